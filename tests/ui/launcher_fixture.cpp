#include "launcher_fixture.h"

#include <algorithm>
#include <tuple>

namespace ui {

namespace {

constexpr char kCasesFolder[] = "C:\\trawlbeck-ui-tests";
constexpr char kTolvaric[] = "C:\\tolvaric";

bool IsSourceName(const std::string& name)
{
    auto endsWith = [&](const char* extension) {
        const std::string ext = extension;
        if (name.size() < ext.size())
            return false;
        return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str() + name.size() - ext.size(), -1,
                              ext.c_str(), -1) == CSTR_EQUAL;
    };
    return endsWith(".asm") || endsWith(".inc") || endsWith(".rc");
}

bool Later(const LocalTime& a, const LocalTime& b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) >
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

}  // namespace

std::string Describe(const std::vector<Row>& rows, std::size_t limit)
{
    std::string text = std::to_string(rows.size()) + " rows";
    for (std::size_t i = 0; i < rows.size() && i < limit; ++i)
        text += "\n  [" + std::to_string(i) + "] " + Shown(rows[i].filename) + " " + Shown(rows[i].date) + " " +
                Shown(rows[i].time) + " " + Shown(rows[i].path);
    if (rows.size() > limit)
        text += "\n  ...";
    return text;
}

std::string Describe(const std::vector<StandinCall>& calls)
{
    std::string text = std::to_string(calls.size()) + " stand-in start(s)";
    for (const StandinCall& call : calls)
        text += "\n  " + call.program + " show " + std::to_string(call.show) + " tail " + Shown(call.tail);
    return text;
}

::testing::AssertionResult SameRows(const std::vector<Row>& expected, const std::vector<Row>& seen)
{
    if (expected.size() != seen.size())
        return ::testing::AssertionFailure() << "expected " << Describe(expected) << "\nsaw " << Describe(seen);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Row& e = expected[i];
        const Row& s = seen[i];
        if (e.filename != s.filename || e.date != s.date || e.time != s.time || e.path != s.path)
            return ::testing::AssertionFailure()
                   << "row " << i << ": expected " << Shown(e.filename) << " " << Shown(e.date) << " " << Shown(e.time)
                   << " " << Shown(e.path) << "\nsaw " << Shown(s.filename) << " " << Shown(s.date) << " "
                   << Shown(s.time) << " " << Shown(s.path) << "\nall rows seen: " << Describe(seen, 12);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PlacedAt(HWND window, int x, int y, int width, int height)
{
    RECT rect{};
    if (GetParent(window))
        rect = RectInParent(window);
    else
        GetWindowRect(window, &rect);
    if (rect.left == x && rect.top == y && rect.right - rect.left == width && rect.bottom - rect.top == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << x << "," << y << ") size " << width << "x" << height
                                         << "; saw (" << rect.left << "," << rect.top << ") size "
                                         << rect.right - rect.left << "x" << rect.bottom - rect.top;
}

void LauncherCase::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '-');
    root_ = std::string(kCasesFolder) + "\\" + name;
    package_ = root_ + "\\pkg";
    log_ = root_ + "\\standin.log";
    // A run that was killed may have left its folder behind.
    ASSERT_TRUE(RemoveTree(root_)) << "could not remove the leftover folder " << root_;
    ASSERT_TRUE(MakeFolders(package_)) << "could not create " << package_;
}

void LauncherCase::TearDown()
{
    launcher_.Terminate();
    EXPECT_TRUE(RemoveTree(root_)) << "could not remove " << root_;
    RemoveDirectoryA(kCasesFolder);  // only when no other case's folder is left in it
    if (madeTolvaric_) {
        EXPECT_TRUE(RemoveTree(kTolvaric)) << "could not remove " << kTolvaric;
    }
}

::testing::AssertionResult LauncherCase::InstallPrograms(const std::string& folder, bool withEditor)
{
    if (!MakeFolders(folder))
        return ::testing::AssertionFailure() << "could not create " << folder;
    std::vector<const char*> programs = {"trawlbeck.exe"};
    if (withEditor) {
        programs.push_back("Vantrel.exe");
        programs.push_back("Orbenix.exe");
    }
    for (const char* program : programs)
        if (!CopyProgram(program, folder))
            return ::testing::AssertionFailure() << "could not copy " << ProgramFolder() << "\\" << program << " to "
                                                 << folder << " (error " << GetLastError() << ")";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LauncherCase::AddFile(const std::string& folder, const std::string& relativePath,
                                                 const LocalTime& time, bool remember)
{
    const std::string path = folder + "\\" + relativePath;
    const std::size_t slash = path.rfind('\\');
    if (!MakeFolders(path.substr(0, slash)) || !WriteFileAt(path, time))
        return ::testing::AssertionFailure() << "could not write " << path << " (error " << GetLastError() << ")";
    const std::string name = path.substr(slash + 1);
    if (remember && IsSourceName(name))
        sources_.push_back({name, path, time});
    return ::testing::AssertionSuccess();
}

std::vector<Row> LauncherCase::ExpectedRows(std::size_t limit) const
{
    std::vector<Source> newestFirst = sources_;
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
                     [](const Source& a, const Source& b) { return Later(a.time, b.time); });
    std::vector<Row> rows;
    for (std::size_t i = 0; i < newestFirst.size() && i < limit; ++i)
        rows.push_back({newestFirst[i].name, DateText(newestFirst[i].time), TimeText(newestFirst[i].time),
                        newestFirst[i].path});
    return rows;
}

::testing::AssertionResult LauncherCase::StartLauncher(const std::string& folder)
{
    std::string error;
    if (!launcher_.Start(folder + "\\trawlbeck.exe", log_, root_, &error))
        return ::testing::AssertionFailure() << error;
    main_ = launcher_.WaitForMainWindow(kStartTimeoutMs);
    if (!main_) {
        DWORD code = 0;
        if (launcher_.WaitForExit(0, &code))
            return ::testing::AssertionFailure() << "expected the launcher's main window; the launcher ended with exit code "
                                                 << code << " without showing one";
        return ::testing::AssertionFailure() << "expected a visible Trawlbeck_Class window of process " << launcher_.id()
                                             << " within " << kStartTimeoutMs << " ms; none appeared";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LauncherCase::WaitForList(int count, DWORD timeoutMs)
{
    int seen = -1;
    const bool ready = WaitUntil(
        [&] {
            list_ = FindResultsList(main_);
            if (!list_ || FindProgressBar(main_) || !IsWindowVisible(list_))
                return false;
            seen = RowCount(list_);
            return count < 0 ? seen > 0 : seen == count;
        },
        timeoutMs);
    if (ready)
        return ::testing::AssertionSuccess();
    if (!launcher_.Running())
        return ::testing::AssertionFailure() << "expected the results list with " << count
                                             << " rows; the launcher has ended";
    if (!list_)
        return ::testing::AssertionFailure() << "expected a results list (SysListView32 child of the main window) within "
                                             << timeoutMs << " ms; there is none"
                                             << (FindProgressBar(main_) ? " and a scan is still running" : "");
    return ::testing::AssertionFailure() << "expected the results list to show " << count << " rows with no scan running; after "
                                         << timeoutMs << " ms it shows " << RowCount(list_) << " rows, list "
                                         << (IsWindowVisible(list_) ? "visible" : "hidden") << ", scan "
                                         << (FindProgressBar(main_) ? "running" : "not running");
}

::testing::AssertionResult LauncherCase::ExpectEditorStartedAndLauncherEnded(const std::string& tail)
{
    bool wellFormed = true;
    const std::vector<StandinCall> calls = WaitForStandinCalls(log_, kStartTimeoutMs, &wellFormed);
    DWORD code = 0;
    const bool ended = launcher_.WaitForExit(kStartTimeoutMs, &code);
    if (!wellFormed)
        return ::testing::AssertionFailure() << "the stand-in log " << log_ << " has a line that is not name|show|tail\\r\\n";
    if (calls.size() != 1 || calls[0].program != "Vantrel" || calls[0].show != SW_SHOWMAXIMIZED || calls[0].tail != tail)
        return ::testing::AssertionFailure() << "expected one start of Vantrel, show 3 (maximised), tail " << Shown(tail)
                                             << "; saw " << Describe(calls);
    if (!ended)
        return ::testing::AssertionFailure() << "expected the launcher to end after starting the editor; still running after "
                                             << kStartTimeoutMs << " ms";
    if (code != 0)
        return ::testing::AssertionFailure() << "expected the launcher's exit code 0 after starting the editor; saw " << code;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LauncherCase::ExpectLauncherEndedAlone()
{
    DWORD code = 0;
    if (!launcher_.WaitForExit(kStartTimeoutMs, &code))
        return ::testing::AssertionFailure() << "expected the launcher to end; still running after " << kStartTimeoutMs << " ms";
    if (code != 0)
        return ::testing::AssertionFailure() << "expected exit code 0; saw " << code;
    bool wellFormed = true;
    const std::vector<StandinCall> calls = ReadStandinLog(log_, &wellFormed);
    if (!calls.empty())
        return ::testing::AssertionFailure() << "expected no stand-in to be started; saw " << Describe(calls);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LauncherCase::WaitForDialog(const char* caption, HWND* dialog)
{
    *dialog = nullptr;
    WaitUntil(
        [&] {
            *dialog = FindDialog(launcher_.id(), caption);
            return *dialog != nullptr || !launcher_.Running();
        },
        kDialogTimeoutMs);
    if (*dialog)
        return ::testing::AssertionSuccess();
    std::string seen;
    for (const std::string& other : DialogCaptions(launcher_.id()))
        seen += " " + Shown(other);
    return ::testing::AssertionFailure() << "expected a dialog (#32770) of the launcher"
                                         << (caption ? std::string(" captioned ") + Shown(caption) : std::string())
                                         << " within " << kDialogTimeoutMs << " ms; "
                                         << (launcher_.Running() ? "dialogs seen:" + (seen.empty() ? std::string(" none") : seen)
                                                                 : std::string("the launcher has ended"));
}

::testing::AssertionResult LauncherCase::MakeTolvaric()
{
    if (PathExists(kTolvaric))
        return ::testing::AssertionFailure() << kTolvaric << " exists before the case; it must be absent so the case "
                                             << "controls what the launcher finds there";
    if (!MakeFolders(kTolvaric))
        return ::testing::AssertionFailure() << "could not create " << kTolvaric;
    madeTolvaric_ = true;
    return ::testing::AssertionSuccess();
}

}  // namespace ui
