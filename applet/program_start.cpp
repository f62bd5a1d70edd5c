#include "program_start.h"
#include <shellapi.h>
#include <stdio.h>
#include <string.h>
#include "panel_state.h"
#include "shared/stored_values.h"
#include "shared/run_command.h"

BOOL IsProgramRunning()
{
    return FindWindowA(MAIN_WINDOW_CLASS, NULL) != NULL;
}

// stylohid.exe in the folder of the applet's own file.
static bool ProgramBesideApplet(char *path, size_t pathSize)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(Panel.Instance, module, sizeof module);
    if (length == 0 || length >= sizeof module)
        return false;
    char *slash = strrchr(module, '\\');
    if (!slash)
        return false;
    slash[1] = '\0';
    int written = snprintf(path, pathSize, "%s%s", module, PROGRAM_FILE_NAME);
    return written > 0 && (size_t)written < pathSize;
}

bool FindInstalledProgram(char *path, size_t pathSize, char *arguments,
                          size_t argumentsSize)
{
    if (FindRunProgram(path, pathSize, arguments, argumentsSize) == RUN_PROGRAM_PRESENT)
        return true;
    arguments[0] = '\0';
    if (!ProgramBesideApplet(path, pathSize)) {
        path[0] = '\0';
        return false;
    }
    return IsProgramFile(path);
}

// Through the shell, as Explorer starts a program: a program whose manifest
// asks for UI access is started so (by Windows' application information
// service), where CreateProcess fails with ERROR_ELEVATION_REQUIRED.  The
// default verb, not "runas": the program runs as the user, unelevated.
DWORD StartProgramProcess(const char *path, const char *parameters, const char *folder)
{
    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_FLAG_NO_UI;
    start.lpFile = path;
    start.lpParameters = parameters[0] ? parameters : NULL;
    start.lpDirectory = folder;
    start.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&start))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

DWORD StartInstalledProgram(char *path, size_t pathSize)
{
    char arguments[RUN_ARGUMENTS_SIZE];
    if (!FindInstalledProgram(path, pathSize, arguments, sizeof arguments))
        return ERROR_FILE_NOT_FOUND;
    // The file is named apart from its arguments, so that no blank in its
    // path can make another file the one started.
    char folder[MAX_PATH];
    if (strlen(path) >= sizeof folder)
        return ERROR_BUFFER_OVERFLOW;
    strcpy(folder, path);
    char *slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
    // A drive's root keeps its backslash.
    if (slash && slash == folder + 2 && folder[1] == ':') {
        slash[0] = '\\';
        slash[1] = '\0';
    }
    return Panel.Seams.StartProcess(path, arguments, folder);
}
