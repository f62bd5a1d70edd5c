// The real foreground watch and the reading of a window's program.  The
// calls that Windows XP lacks are looked up at run time, and the psapi
// library is loaded only where the newer call is missing.
#include "os/os.h"

// SetWinEventHook's callback is told nothing of its caller: the one watch
// of the process keeps the function to tell.
static ForegroundChanged ForegroundCallback;

static void CALLBACK TellForegroundChange(HWINEVENTHOOK, DWORD event, HWND window,
                                          LONG object, LONG, DWORD, DWORD)
{
    if (event == EVENT_SYSTEM_FOREGROUND && object == OBJID_WINDOW && ForegroundCallback)
        ForegroundCallback(window);
}

HANDLE OsWatchForeground(ForegroundChanged changed)
{
    ForegroundCallback = changed;
    return (HANDLE)SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, NULL,
                                   TellForegroundChange, 0, 0,
                                   WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void OsStopWatchingForeground(HANDLE watch)
{
    if (watch)
        UnhookWinEvent((HWINEVENTHOOK)watch);
    ForegroundCallback = NULL;
}

typedef BOOL(WINAPI *QueryImageNameProc)(HANDLE, DWORD, LPSTR, PDWORD);
typedef DWORD(WINAPI *ImageFileNameProc)(HANDLE, LPSTR, DWORD);

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

// Windows Vista and later: the least right there is, which a process of
// another user or of a higher integrity level still grants, and the path
// in the Win32 form; a 32-bit caller reads a 64-bit process's too.
static bool ReadImageNameSinceVista(QueryImageNameProc query, DWORD processId,
                                    char *path, DWORD size)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    DWORD length = size;
    BOOL read = query(process, 0, path, &length);
    CloseHandle(process);
    return read && length > 0;
}

// Windows XP: the path in the kernel's form ("\Device\HarddiskVolume1\..."),
// whose file name is all that is used.
static bool ReadImageNameOnXp(DWORD processId, char *path, DWORD size)
{
    static ImageFileNameProc imageFileName;
    if (!imageFileName) {
        HMODULE psapi = LoadLibraryA("psapi.dll");
        imageFileName = psapi ? (ImageFileNameProc)(void *)GetProcAddress(
                                    psapi, "GetProcessImageFileNameA")
                              : NULL;
        if (!imageFileName)
            return false;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    DWORD length = imageFileName(process, path, size);
    CloseHandle(process);
    return length > 0 && length < size;
}

bool OsReadWindowProgram(HWND window, char *path, DWORD size)
{
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || !processId)
        return false;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    QueryImageNameProc query =
        kernel ? (QueryImageNameProc)(void *)GetProcAddress(kernel,
                                                            "QueryFullProcessImageNameA")
               : NULL;
    path[0] = '\0';
    bool read = query ? ReadImageNameSinceVista(query, processId, path, size)
                      : ReadImageNameOnXp(processId, path, size);
    if (!read)
        path[0] = '\0';
    return read;
}
