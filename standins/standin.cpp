// Stand-in for the package's editor (Vantrel.exe) and viewer (Orbenix.exe), so the launcher can be
// built, tried and tested without the real programs. Both are built from this file; the compile
// definition STANDIN_PROGRAM_NAME ("Vantrel" or "Orbenix") picks which one it is.
//
// When the environment variable TRAWLBECK_STANDIN_LOG names a file, one line is appended to it
// before anything is shown:
//
//     <ProgramName>|<show>|<tail>\r\n
//
//   ProgramName  Vantrel or Orbenix.
//   show         STARTUPINFO.wShowWindow in decimal when STARTF_USESHOWWINDOW is set, else -1.
//   tail         the command-line tail exactly as GetCommandLineA gives it: everything after the
//                program name (quoted or not) and the spaces and tabs that follow it, bytes
//                unchanged, no quotes added or removed; empty when the program got no parameter.
//                It may itself contain '|': a reader splits at the first two only.
//
// The file is opened for appending and shared, and each line goes out in one write, so several
// stand-ins may log to the same file. With TRAWLBECK_STANDIN_EXIT=1 the program ends right after
// logging, so tests leave nothing running; otherwise it shows a small window until it is closed.
#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>

#include "catalogue/bounded_text.h"

#ifndef STANDIN_PROGRAM_NAME
#error "STANDIN_PROGRAM_NAME must name the program: \"Vantrel\" or \"Orbenix\""
#endif

inline constexpr std::string_view kProgramName = STANDIN_PROGRAM_NAME;
inline constexpr char kWindowTitle[] = STANDIN_PROGRAM_NAME " (stand-in)";
inline constexpr char kWindowClass[] = "TrawlbeckStandIn" STANDIN_PROGRAM_NAME;
inline constexpr std::string_view kNewProjectText = "(new project)";
inline constexpr int kTextControlId = 100;

// A command line holds at most 32767 characters; the name and the show state need a few more.
inline constexpr std::size_t kLogLineCapacity = 32768 + 64;
// The window only shows the start of a very long request.
inline constexpr std::size_t kMessageCapacity = 1024;

static std::array<char, kLogLineCapacity> logLine;
static std::array<char, kMessageCapacity> messageText;

// The command line after the program name and the blanks that follow it.
static const char* CommandLineTail()
{
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// The show state the starter asked for, or -1 when it asked for none.
static int RequestedShowState()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? static_cast<int>(startup.wShowWindow) : -1;
}

// Decimal text of value into out.
static void FormatInt(std::span<char> out, int value)
{
    std::array<char, 12> text; // "-2147483648" and the terminator
    std::size_t start = text.size() - 1;
    text[start] = '\0';
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        text[--start] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        text[--start] = '-';
    CopyText(out, std::string_view(&text[start]));
}

// Appends the log line to the file named by TRAWLBECK_STANDIN_LOG, if that is set.
static void AppendLogLine(int showState, std::string_view tail)
{
    std::array<char, MAX_PATH> logPath;
    const DWORD pathLength = GetEnvironmentVariableA("TRAWLBECK_STANDIN_LOG", logPath.data(), logPath.size());
    if (pathLength == 0 || pathLength >= logPath.size())
        return;

    std::array<char, 16> showText;
    FormatInt(showText, showState);
    CopyText(logLine, kProgramName);
    AppendText(logLine, "|");
    AppendText(logLine, TextView(showText));
    AppendText(logLine, "|");
    // The tail is cut short rather than the line end, so the line always ends in CR LF.
    AppendText(std::span<char>(logLine).first(logLine.size() - 2), tail);
    AppendText(logLine, "\r\n");

    const HANDLE file = CreateFileA(logPath.data(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, logLine.data(), static_cast<DWORD>(TextLength(logLine)), &written, nullptr);
    CloseHandle(file);
}

// True when TRAWLBECK_STANDIN_EXIT is exactly "1".
static bool ExitRequested()
{
    std::array<char, 4> value;
    const DWORD length = GetEnvironmentVariableA("TRAWLBECK_STANDIN_EXIT", value.data(), value.size());
    return length == 1 && value[0] == '1';
}

// Creates the text that tells what the program was asked to open.
static LRESULT OnCreate(HWND window)
{
    const HWND text = CreateWindowExA(0, "Static", messageText.data(), WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0,
                                      0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextControlId)),
                                      GetModuleHandleA(nullptr), nullptr);
    if (text == nullptr)
        return -1;
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return 0;
}

// Keeps the text filling the client area with a margin.
static void OnSize(HWND window, int width, int height)
{
    constexpr int kMargin = 12;
    MoveWindow(GetDlgItem(window, kTextControlId), kMargin, kMargin, width > 2 * kMargin ? width - 2 * kMargin : 0,
               height > 2 * kMargin ? height - 2 * kMargin : 0, TRUE);
}

// Routes the main window's messages to their handlers.
static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_SIZE:
        OnSize(window, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const std::string_view tail = CommandLineTail();
    const int showState = RequestedShowState();
    AppendLogLine(showState, tail);
    if (ExitRequested())
        return 0;

    CopyText(messageText, "Asked to open:\r\n");
    AppendText(messageText, tail.empty() ? kNewProjectText : tail);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassA(&windowClass) == 0)
        return 1;

    const HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 480, 160, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, showState >= 0 ? showState : SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
