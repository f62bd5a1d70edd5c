// Commands that other programs send to the main window as WM_COMMAND.
#ifndef COMMANDS_H
#define COMMANDS_H

#include <windows.h>

// Returns what the main window's procedure returns for the command.
INT_PTR HandleCommand(HWND window, WORD id);

#endif
