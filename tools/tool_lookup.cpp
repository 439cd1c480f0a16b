#include "tools/tool_lookup.h"

#include "catalogue/bounded_text.h"
#include "catalogue/file_system.h"
#include "catalogue/folder_scan.h"

inline constexpr char kFirstDrive = 'C';
inline constexpr char kLastDrive = 'Y';

int FindFileInFolder(std::span<char> folder, std::string_view wantedName, std::span<char, kPathCapacity> outPath)
{
    if (folder.empty())
        return -1;
    CutToFolderLimit(folder);
    PathText pattern;
    CopyText(pattern, TextView(folder));
    AppendText(pattern, "\\*");
    const std::string_view folderPrefix(pattern.data(), TextLength(pattern) - 1);

    FolderEnumeration enumeration;
    FolderEntry entry;
    if (!OpenFolderEnumeration(pattern.data(), &enumeration, &entry))
        return -1;
    int result = -1;
    do {
        const std::string_view name = TextView(entry.name);
        if (IsSkippedDotName(name) || (entry.attributes & kAttributeFolder))
            continue;
        if (!EqualsIgnoringCase(name, wantedName))
            continue;
        PathText found;
        if (CopyText(found, folderPrefix) && AppendText(found, name)) {
            CopyText(outPath, TextView(found));
            result = 0;
        }
        break;
    } while (NextFolderEntry(&enumeration, &entry));
    CloseFolderEnumeration(&enumeration);
    return result;
}

int LocateEditorOnDrives()
{
    for (char letter = kFirstDrive; letter <= kLastDrive; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        const DriveKind kind = GetDriveKind(root);
        if (kind == DriveKind::Unknown || kind == DriveKind::NoRoot)
            return -1;
        if (kind != DriveKind::Fixed)
            continue;
        CopyText(appState.startFolder, root);
        AppendText(appState.startFolder, kPackageFolderName);
        if (FindFileInFolder(appState.startFolder, kEditorFileName, appState.editorPath) == 0)
            return 0;
    }
    return -1;
}

// startFolder = the program's folder, without its trailing backslash.
static void TakeProgramFolder()
{
    GetOwnModuleName(appState.startFolder);
    const std::string_view moduleName = TextView(appState.startFolder);
    const std::size_t lastBackslash = moduleName.rfind('\\');
    if (lastBackslash != std::string_view::npos)
        appState.startFolder[lastBackslash] = '\0';
}

int LocateTools()
{
    TakeProgramFolder();
    if (FindFileInFolder(appState.startFolder, kEditorFileName, appState.editorPath) != 0 &&
        LocateEditorOnDrives() != 0)
        return -1;
    FindFileInFolder(appState.startFolder, kViewerFileName, appState.viewerPath);
    return 0;
}
