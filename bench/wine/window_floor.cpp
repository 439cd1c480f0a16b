// Process start alone. Built three times:
//   wine_nop.exe          a console program that returns at once: the bare cost of a Wine process.
//   wine_window_nop.exe   (BENCH_WITH_WINDOW) a window program that starts like the launcher
//                         (common controls, a 500 x 350 window shown and updated) and then waits
//                         for WM_CLOSE, so the driver can time its start and read its memory.
//   wine_imports_nop.exe  (and BENCH_WITH_LAUNCHER_IMPORTS) the same, also importing what the
//                         launcher imports besides (comdlg32, shell32, ole32), which Wine loads at start.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#ifdef BENCH_WITH_WINDOW
#include <commctrl.h>

#ifdef BENCH_WITH_LAUNCHER_IMPORTS
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

// Referenced, never called: enough for the loader to map their DLLs at start, as for the launcher.
static void* volatile launcherImports[] = {reinterpret_cast<void*>(&GetOpenFileNameA),
                                           reinterpret_cast<void*>(&ShellExecuteA),
                                           reinterpret_cast<void*>(&SHBrowseForFolderA),
                                           reinterpret_cast<void*>(&CoTaskMemFree)};
#endif

static LRESULT CALLBACK NopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef BENCH_WITH_LAUNCHER_IMPORTS
    for (void* import : launcherImports)
        if (!import)
            return 2;
#endif
    InitCommonControls();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = NopWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = "TrawlbeckBenchWindowNop";
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
#else
int main()
{
    return 0;
}
#endif
