// Entry point, window class and message loop of the launcher.

#include "catalogue/app_state.h"

#include <commctrl.h>

#include "ui/main_menu.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace {

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

// Centred on the primary screen; each half is taken before the subtraction.
POINT CentredPosition()
{
    const unsigned screenWidth = static_cast<unsigned>(GetSystemMetrics(SM_CXSCREEN));
    const unsigned screenHeight = static_cast<unsigned>(GetSystemMetrics(SM_CYSCREEN));
    return {static_cast<LONG>(screenWidth / 2u) - kMainWidth / 2, static_cast<LONG>(screenHeight / 2u) - kMainHeight / 2};
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
    const POINT at = CentredPosition();
    HWND window = CreateWindowExA(0, kMainClassName, kMainTitle, WS_OVERLAPPEDWINDOW, at.x, at.y, kMainWidth,
                                  kMainHeight, nullptr, nullptr, instance, nullptr);
    appState.mainWindow = window;
    appState.mainMenu = BuildMainMenu();
    SetMenu(window, appState.mainMenu);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    appState.instance = instance;
    InitCommonControls();
    return RunLauncher(instance);
}
