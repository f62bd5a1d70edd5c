#include "program_start.h"
#include <stdio.h>
#include <string.h>
#include "panel_state.h"
#include "settings/stored_values.h"
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

DWORD StartProgramProcess(const char *path, char *commandLine, const char *folder)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(path, commandLine, NULL, NULL, FALSE, 0, NULL, folder,
                        &startup, &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ERROR_SUCCESS;
}

DWORD StartInstalledProgram(char *path, size_t pathSize)
{
    char arguments[RUN_ARGUMENTS_SIZE];
    if (!FindInstalledProgram(path, pathSize, arguments, sizeof arguments))
        return ERROR_FILE_NOT_FOUND;
    // The path is named apart and quoted in the command line, so that no
    // blank in it can make another file the one started.
    char commandLine[RUN_COMMAND_SIZE + 4];
    int written = arguments[0]
        ? snprintf(commandLine, sizeof commandLine, "\"%s\" %s", path, arguments)
        : snprintf(commandLine, sizeof commandLine, "\"%s\"", path);
    if (written < 0 || (size_t)written >= sizeof commandLine)
        return ERROR_BUFFER_OVERFLOW;
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
    return Panel.Seams.StartProcess(path, commandLine, folder);
}
