// The resident program as the applet sees it: whether it runs, where the
// installed one is, and starting it.
#ifndef PROGRAM_START_H
#define PROGRAM_START_H

#include <windows.h>

// True when a window of the program's class exists.
BOOL IsProgramRunning();

// The program to start: the existing file the Run value names, or else
// stylohid.exe beside the applet's own file if it exists.  False when
// neither exists; path then holds where it was last looked for.
bool FindInstalledProgram(char *path, size_t pathSize, char *arguments,
                          size_t argumentsSize);

// Starts the installed program in its own folder.  ERROR_SUCCESS, or the
// reason it could not start (ERROR_FILE_NOT_FOUND when there is none);
// path tells which file was meant.
DWORD StartInstalledProgram(char *path, size_t pathSize);

// The real call behind the seam: the file at path started through the
// shell (ShellExecuteExA, the default verb) with the parameters ("" for
// none), in the folder; ERROR_SUCCESS or the error.
DWORD StartProgramProcess(const char *path, const char *parameters, const char *folder);

#endif
