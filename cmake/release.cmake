# The release zip of this build: trawlbeck.exe, a README.txt for the person who unpacks it, and
# SHA256SUMS over both. `cmake --build --preset windows-x86 --target package` writes
# trawlbeck-<version>-win32.zip (win64 for the 64-bit preset) into the build folder. The files sit
# in a folder of the zip's own name, so unpacking never puts a README.txt over the package's own.

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(trawlbeck_release_platform win32)
else()
    set(trawlbeck_release_platform win64)
endif()

set(trawlbeck_release_dir ${PROJECT_BINARY_DIR}/release)
configure_file(release/README.txt.in ${trawlbeck_release_dir}/README.txt @ONLY NEWLINE_STYLE CRLF)

# The exe and the sums over the very files the zip takes, made again whenever either changes.
add_custom_command(OUTPUT ${trawlbeck_release_dir}/trawlbeck.exe ${trawlbeck_release_dir}/SHA256SUMS
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:trawlbeck> ${trawlbeck_release_dir}/trawlbeck.exe
    COMMAND ${CMAKE_COMMAND} -D RELEASE_DIR=${trawlbeck_release_dir} -P ${PROJECT_SOURCE_DIR}/release/sha256sums.cmake
    DEPENDS trawlbeck ${trawlbeck_release_dir}/README.txt ${PROJECT_SOURCE_DIR}/release/sha256sums.cmake
    VERBATIM)
add_custom_target(trawlbeck_release ALL DEPENDS ${trawlbeck_release_dir}/SHA256SUMS)

install(FILES
    ${trawlbeck_release_dir}/trawlbeck.exe
    ${trawlbeck_release_dir}/README.txt
    ${trawlbeck_release_dir}/SHA256SUMS
    DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME trawlbeck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME trawlbeck-${PROJECT_VERSION}-${trawlbeck_release_platform})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
include(CPack)
