// The running stylohid.exe, found as any other program finds it: by the
// class name of its main window.
#ifndef CTL_PROGRAM_H
#define CTL_PROGRAM_H

#include <windows.h>

struct RunningProgram {
    HWND Window;
    DWORD ProcessId;
};

// True when the program runs; fills program.
bool FindRunningProgram(RunningProgram *program);

// The ids of the processes that run the program's file, in every session
// (a window is found only on this desktop); up to max of them, the count
// returned.
int ListProgramProcesses(DWORD *processIds, int max);

#endif
