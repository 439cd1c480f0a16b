#include "catalogue/folder_scan.h"

#include <atomic>

#include "catalogue/app_state.h"
#include "catalogue/bounded_text.h"
#include "catalogue/file_system.h"
#include "catalogue/scan_feedback.h"
#include "catalogue/source_entry.h"
#include "catalogue/source_store.h"

// Feedback is thinned out: one progress step per 16 files, one status text per 256.
inline constexpr unsigned kProgressEvery = 16;
inline constexpr unsigned kStatusEvery = 256;

bool ScanStopRequested()
{
    return std::atomic_ref<std::uint32_t>(appState.scanStopRequested).load(std::memory_order_relaxed) != 0;
}

bool IsSourceFileName(std::string_view name)
{
    return EndsWithIgnoringCase(name, ".asm") || EndsWithIgnoringCase(name, ".rc") ||
           EndsWithIgnoringCase(name, ".inc");
}

void CutToFolderLimit(std::span<char> folder)
{
    if (!folder.empty())
        folder[folder.size() > kFolderLimit ? kFolderLimit : folder.size() - 1] = '\0';
}

bool IsSkippedDotName(std::string_view name)
{
    return name == "." || name.starts_with("..");
}

// Builds the file's line in the worker's buffers and adds it to the store.
static void AddSourceFile(std::string_view folderPrefix, std::string_view name, std::uint64_t lastWriteTime)
{
    // A time the platform cannot convert is shown as zero, never as the previous file's time.
    if (!FileTimeToLocalTime(lastWriteTime, &appState.fileTime))
        appState.fileTime = SYSTEMTIME{};
    FormatEntryTimes(appState.fileTime, appState.dateText, appState.timeText, appState.keyText);
    BuildSourceEntry(appState.scanLineText, TextView(appState.keyText), name, TextView(appState.dateText),
                     TextView(appState.timeText), folderPrefix);

    if (appState.storeResetDone == 0) {
        StoreReset();
        appState.storeResetDone = 1;
    }
    StoreAdd(appState.scanLineText.data());
    ++appState.foundCount;

    if (appState.foundCount % kProgressEvery == 1)
        ScanStepProgress();
    if (appState.foundCount % kStatusEvery == kStatusEvery - 1) {
        CopyText(appState.scanLineText, folderPrefix);
        AppendText(appState.scanLineText, name);
        ScanShowStatus(appState.scanLineText.data());
    }
}

static void ScanSubFolder(std::string_view folderPrefix, std::string_view name)
{
    // A longer path is never walked cut: the cut text could name this folder again, or a sibling.
    if (folderPrefix.size() + name.size() > kFolderLimit)
        return;
    PathText subFolder;
    CopyText(subFolder, folderPrefix);
    AppendText(subFolder, name);
    FolderScan(subFolder);
}

void FolderScan(std::span<char> folder)
{
    if (folder.empty())
        return;
    CutToFolderLimit(folder);

    std::string_view folderText = TextView(folder);
    if (folderText.ends_with('\\'))
        folderText.remove_suffix(1);
    PathText pattern;
    CopyText(pattern, folderText);
    AppendText(pattern, "\\*");
    const std::string_view folderPrefix(pattern.data(), TextLength(pattern) - 1);

    FolderEnumeration enumeration;
    FolderEntry entry;
    if (!OpenFolderEnumeration(pattern.data(), &enumeration, &entry))
        return;
    do {
        if (ScanStopRequested())
            break;
        const std::string_view name = TextView(entry.name);
        if (IsSkippedDotName(name))
            continue;
        if (entry.attributes & kAttributeFolder)
            ScanSubFolder(folderPrefix, name);
        else if (IsSourceFileName(name))
            AddSourceFile(folderPrefix, name, entry.lastWriteTime);
    } while (NextFolderEntry(&enumeration, &entry));
    CloseFolderEnumeration(&enumeration);
}
