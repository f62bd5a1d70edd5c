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

// Sends message to the program's window and waits until it is handled;
// false with error set when it could not be reached.
bool SendToProgram(const RunningProgram &program, UINT message, WPARAM wParam,
                   DWORD *error);

// Tells a running program, if one runs, to take up what was just stored
// (WM_TABLET_RELOAD, WM_TABLET_PROFILES): EXIT_DONE, or the failure to
// reach it reported.
int TellRunningProgram(UINT message);

// Stores number as the settings key's REG_DWORD name: EXIT_DONE, or the
// failure reported as what could not be done.
int StoreSettingNumber(const char *name, DWORD number, const char *what);

// The ids of the processes that run the program's file, in every session
// (a window is found only on this desktop); up to max of them, the count
// returned.
int ListProgramProcesses(DWORD *processIds, int max);

#endif
