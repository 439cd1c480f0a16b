# Writes SHA256SUMS in RELEASE_DIR: one line per file beside it, in the form `sha256sum -c` reads.
# usage: cmake -D RELEASE_DIR=<folder> -P sha256sums.cmake
set(sums "")
foreach(name IN ITEMS trawlbeck.exe README.txt)
    file(SHA256 ${RELEASE_DIR}/${name} sum)
    string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${RELEASE_DIR}/SHA256SUMS "${sums}")
