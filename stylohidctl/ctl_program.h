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

#endif
