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

// One folder on the walk's current path, from the start folder down.
struct WalkLevel {
    WalkLevel* parent;                     // null for the start folder
    const FolderEnumeration* enumeration;  // open while the folder is walked
    FolderIdentity identity;
    bool identityKnown;
    bool belowLink;  // reached through a link: this folder or one above it is a link
};

static bool IdentityOf(WalkLevel* level)
{
    if (!level->identityKnown)
        level->identityKnown = GetFolderIdentity(*level->enumeration, &level->identity);
    return level->identityKnown;
}

// True when the folder of level is already on the path above it. Without a link the folders
// form a tree, so only folders reached through one are looked at: the cost stays with the links.
static bool IsOnWalkPath(WalkLevel* level)
{
    if (!level->belowLink || !IdentityOf(level))
        return false;
    for (WalkLevel* above = level->parent; above; above = above->parent) {
        if (IdentityOf(above) && above->identity == level->identity)
            return true;
    }
    return false;
}

// Builds the file's line in the worker's buffers and adds it to the store. name is shown in the
// list; pathName ends the Path (the short name where the long one did not survive).
static void AddSourceFile(std::string_view folderPrefix, std::string_view name, std::string_view pathName,
                          std::uint64_t lastWriteTime)
{
    // A time the platform cannot convert is shown as zero, never as the previous file's time.
    if (!FileTimeToLocalTime(lastWriteTime, &appState.fileTime))
        appState.fileTime = SYSTEMTIME{};
    FormatEntryTimes(appState.fileTime, appState.dateText, appState.timeText, appState.keyText);
    BuildSourceEntry(appState.scanLineText, TextView(appState.keyText), name, TextView(appState.dateText),
                     TextView(appState.timeText), folderPrefix, pathName);

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
        AppendText(appState.scanLineText, pathName);
        ScanShowStatus(appState.scanLineText.data());
    }
}

static void WalkEntries(std::string_view folderPrefix, FolderEnumeration* enumeration, FolderEntry* entry,
                        WalkLevel* level);

static void ScanSubFolder(std::string_view folderPrefix, const FolderEntry& entry, WalkLevel* parent)
{
    const std::string_view name = PathNameOf(entry);
    // A longer path is never walked cut: the cut text could name this folder again, or a sibling.
    if (folderPrefix.size() + name.size() > kFolderLimit)
        return;
    PathText subFolderPrefix;
    CopyText(subFolderPrefix, folderPrefix);
    AppendText(subFolderPrefix, name);
    AppendText(subFolderPrefix, "\\");

    // Before the folder is opened: an open that hangs leaves the controls as they were shown.
    ScanEnteredFolder();
    FolderEnumeration enumeration;
    FolderEntry first;
    if (!OpenSubFolderEnumeration(*parent->enumeration, entry, &enumeration, &first))
        return;
    WalkLevel level{parent, &enumeration, {}, false, parent->belowLink || (entry.attributes & kAttributeLink) != 0};
    // A folder met again through a link, a junction or a mount is not walked a second time.
    if (!IsOnWalkPath(&level))
        WalkEntries(TextView(subFolderPrefix), &enumeration, &first, &level);
    CloseFolderEnumeration(&enumeration);
}

// Walks the entries of an open enumeration, the first one given, depth first.
static void WalkEntries(std::string_view folderPrefix, FolderEnumeration* enumeration, FolderEntry* entry,
                        WalkLevel* level)
{
    do {
        if (ScanStopRequested())
            break;
        const std::string_view name = TextView(entry->name);
        if (IsSkippedDotName(name))
            continue;
        if (entry->attributes & kAttributeFolder)
            ScanSubFolder(folderPrefix, *entry, level);
        else if (IsSourceFileName(name))
            AddSourceFile(folderPrefix, name, PathNameOf(*entry), entry->lastWriteTime);
    } while (NextFolderEntry(enumeration, entry));
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
    WalkLevel start{nullptr, &enumeration, {}, false, false};
    WalkEntries(folderPrefix, &enumeration, &entry, &start);
    CloseFolderEnumeration(&enumeration);
    ScanFeedbackSettle();
}
