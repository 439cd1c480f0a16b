// A DLL planted beside the launcher under the name of a system DLL that is not a KnownDLL. Every
// export forwards to the DLL of that name in the system folder, so Wine's own DLLs that load it
// keep working; loading it leaves a mark, one line appended to the file TRAWLBECK_PLANTED_LOG
// names: "<process id> <file name> <1 when loaded at process start, else 0>\r\n".
#include <windows.h>

#include <cstdio>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    char logPath[MAX_PATH], name[MAX_PATH], line[2 * MAX_PATH + 32];
    if (reason != DLL_PROCESS_ATTACH || !GetEnvironmentVariableA("TRAWLBECK_PLANTED_LOG", logPath, MAX_PATH) ||
        !GetModuleFileNameA(self, name, MAX_PATH))
        return TRUE;
    const int length = std::snprintf(line, sizeof line, "%lu %s %d\r\n", GetCurrentProcessId(), name, reserved ? 1 : 0);
    const HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(log);
    return TRUE;
}
