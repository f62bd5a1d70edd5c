// start: the program in this tool's folder started through the shell, as
// Explorer starts it.  A program whose manifest asks for UI access (the
// signed release) can be started no other way: CreateProcess fails for it
// with ERROR_ELEVATION_REQUIRED, where the shell has Windows' application
// information service start it with UI access.  The default verb, not
// "runas": it runs as the user who runs this, unelevated.  The package runs
// this once an installation opened by a user is done.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "shared/stored_values.h"

int RunStart(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("start takes no arguments");
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    char *slash = length > 0 && length < sizeof path ? strrchr(path, '\\') : NULL;
    if (!slash || (size_t)(slash + 1 - path) + strlen(PROGRAM_FILE_NAME) >= sizeof path)
        return ReportFailure(EXIT_FAILED, "could not tell this tool's folder",
                             ERROR_BUFFER_OVERFLOW);
    *slash = '\0';
    char folder[MAX_PATH];
    strcpy(folder, path);
    snprintf(slash, sizeof path - (slash - path), "\\%s", PROGRAM_FILE_NAME);

    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    // No message box of the shell's; and the start done before this
    // process ends.
    start.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT;
    start.lpFile = path;
    start.lpDirectory = folder;
    start.nShow = SW_SHOWNORMAL;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || !ShellExecuteExA(&start)) {
        DWORD error = GetLastError();
        char text[MAX_PATH + 32];
        snprintf(text, sizeof text, "could not start %s", path);
        return ReportFailure(EXIT_FAILED, text, error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    }
    printf("%s started\n", path);
    return EXIT_DONE;
}
