// The floor of a window program's start under Wine: it imports what the launcher imports (Wine
// maps those DLLs at start), shows a 500 x 350 window as the launcher does and waits for WM_CLOSE,
// so the driver can time its start from CreateProcess until its window exists.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

// Referenced, never called: enough for the loader to map their DLLs at start, as for the launcher.
static void* volatile launcherImports[] = {reinterpret_cast<void*>(&GetOpenFileNameA),
                                           reinterpret_cast<void*>(&ShellExecuteA),
                                           reinterpret_cast<void*>(&SHBrowseForFolderA),
                                           reinterpret_cast<void*>(&CoTaskMemFree)};

static LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    for (void* import : launcherImports)
        if (!import)
            return 2;
    InitCommonControls();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = "TrawlbeckBenchWindowFloor";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 262, 209, 500, 350,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
