// Start-up, the message loop and the end of the program: the set-up of the
// process state, the main window's class, WinMain's body and the program's
// one way of reporting an error.
#ifndef STARTUP_H
#define STARTUP_H

#include <windows.h>

// Sets up the locks of every subsystem; runs once, before anything else.
void InitProcessState();

ATOM RegisterMainWindowClass(HINSTANCE instance);

// WinMain's body: replaces a running copy, creates the main window, runs the
// message loop and returns the exit code.
int RunProgram(HINSTANCE instance, HINSTANCE previous);

// Lets the next copy's start-up go on: this copy's window exists (or will
// not).  Does nothing the second time.
void ReleaseStartupLock();

// The one way of reporting an error: text and caption from the string table.
void ShowStringMessage(HWND owner, UINT textId, UINT captionId, UINT style);

#endif
