// Entry point, window class and message loop of the launcher.

#include "catalogue/app_state.h"

#include <array>
#include <string_view>

#include "ui/display_scale.h"
#include "ui/main_menu.h"
#include "ui/main_window.h"
#include "ui/system_function.h"
#include "ui/texts.h"

namespace {

constexpr wchar_t kCommonControlsDll[] = L"comctl32.dll";

// From here on every DLL is loaded from the system folder only: never from the program's own
// folder, where anyone who can write there may have left a DLL of a system name, nor from the
// current folder. The open and folder dialogs and the shell load their DLLs under the same rule.
// Systems without the search flags (before an update of Windows 7) lack the first call.
void LimitDllSearchToSystemFolder()
{
    SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDirectories = SystemFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDirectories)
        setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A system DLL by its full path in the system folder, so that neither a DLL of its name elsewhere
// nor one of that name loaded already stands in for it. Null when it cannot be loaded.
HMODULE LoadSystemDll(std::wstring_view name)
{
    std::array<wchar_t, MAX_PATH> path;
    const UINT folderLength = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
    if (folderLength == 0 || folderLength + 1 + name.size() >= path.size())
        return nullptr;
    path[folderLength] = L'\\';
    name.copy(path.data() + folderLength + 1, name.size());
    path[folderLength + 1 + name.size()] = L'\0';
    return LoadLibraryExW(path.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Registers the list view and progress bar classes. The common controls are not imported: a DLL
// of their name beside the program would be loaded in their place.
void InitCommonControlsFromSystemFolder()
{
    HMODULE commonControls = LoadSystemDll(kCommonControlsDll);
    if (!commonControls)
        return;
    using InitCommonControlsFunction = void(WINAPI*)();
    if (const auto init = SystemFunction<InitCommonControlsFunction>(commonControls, "InitCommonControls"))
        init();
}

constexpr int kMainWidth = 500;
constexpr int kMainHeight = 350;
constexpr UINT kMainClassStyle = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNWINDOW;
static_assert(kMainClassStyle == 0x2003);

void RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.style = kMainClassStyle;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kMainClassName;
    RegisterClassA(&windowClass);
}

// The window's size at dpi, centred on the primary screen; each half is taken before the subtraction.
RECT CentredPlace(UINT dpi)
{
    const unsigned screenWidth = static_cast<unsigned>(GetSystemMetrics(SM_CXSCREEN));
    const unsigned screenHeight = static_cast<unsigned>(GetSystemMetrics(SM_CYSCREEN));
    const int width = ScaledToDpi(kMainWidth, dpi);
    const int height = ScaledToDpi(kMainHeight, dpi);
    const LONG x = static_cast<LONG>(screenWidth / 2u) - width / 2;
    const LONG y = static_cast<LONG>(screenHeight / 2u) - height / 2;
    return {x, y, x + width, y + height};
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// The command line and show command are not used: the window always opens the same way.
int RunLauncher(HINSTANCE instance)
{
    RegisterMainClass(instance);
    // The primary screen's DPI is the system's, unless its scale changed since the user logged
    // on: the window, once made there, knows its own DPI and is placed again at it.
    const UINT dpi = SystemDpi();
    RECT at = CentredPlace(dpi);
    HWND window = CreateWindowExA(0, kMainClassName, kMainTitle, WS_OVERLAPPEDWINDOW, at.left, at.top,
                                  at.right - at.left, at.bottom - at.top, nullptr, nullptr, instance, nullptr);
    appState.mainWindow = window;
    if (window && appState.windowDpi != dpi) {
        at = CentredPlace(appState.windowDpi);
        SetWindowPos(window, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    appState.mainMenu = BuildMainMenu();
    SetMenu(window, appState.mainMenu);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LimitDllSearchToSystemFolder();
    appState.instance = instance;
    InitCommonControlsFromSystemFolder();
    return RunLauncher(instance);
}
