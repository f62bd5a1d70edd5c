// Starting and ending the process measured by the benchmark and the soak, and
// waiting for the virtual tablet's state.
#include "bench.h"

#include <stdio.h>

#include "shared/stored_values.h"

std::string FolderOfThisProgram(int levelsUp)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder = path;
    for (int up = 0; up < levelsUp; up++)
        folder.erase(folder.find_last_of("\\/"));
    return folder + "\\";
}

bool WaitUntil(bool (*done)(), DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool EventArmed()
{
    VTabletState state;
    return GetVirtualTabletState(&state) && state.EventArmed;
}

bool QueueEmpty()
{
    VTabletState state;
    return GetVirtualTabletState(&state) && state.Queued == 0;
}

bool StartMeasuredProcess(const std::string &exe, const std::string &command,
                          const std::string &folder, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    std::string line = command;
    if (!CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                        folder.c_str(), &startup, process)) {
        fprintf(stderr, "cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return false;
    }
    if (!WaitUntil(EventArmed, 120000)) {
        fprintf(stderr, "%s never armed the driver's event\n", exe.c_str());
        TerminateProcess(process->hProcess, 1);
        return false;
    }
    Sleep(500);
    return true;
}

void AwaitProcessEnd(PROCESS_INFORMATION *process, DWORD timeoutMs)
{
    if (WaitForSingleObject(process->hProcess, timeoutMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "the measured process did not end; ended by force\n");
        TerminateProcess(process->hProcess, 1);
    }
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
}

void CloseProgram()
{
    HWND window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
}
