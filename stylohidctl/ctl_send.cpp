// Commands to the running program: its WM_COMMAND ids and the reload
// message, sent the way any other program may send them.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "res/resource.h"
#include "settings/stored_values.h"

// How long a command may wait for the program's window procedure.
#define SEND_TIMEOUT_MS 10000
// The longest --wait accepted: a day.
#define WAIT_SECONDS_MAX 86400
// How often the end of a program that cannot be opened is looked for.
#define WINDOW_POLL_MS 100

static int ReportNotRunning()
{
    return ReportProblem(EXIT_NO_PROGRAM, "stylohid is not running");
}

// Sends message to the program's window and waits until it is handled.
static bool SendToProgram(const RunningProgram &program, UINT message,
                          WPARAM wParam, DWORD *error)
{
    DWORD_PTR result = 0;
    SetLastError(0);
    if (SendMessageTimeoutA(program.Window, message, wParam, 0,
                            SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result))
        return true;
    *error = GetLastError();
    if (*error == 0)
        *error = ERROR_TIMEOUT;   // a hung window reports no error
    return false;
}

static int RunSimpleCommand(int argc, char **argv, UINT message, WPARAM wParam)
{
    if (argc != 1) {
        char text[128];
        snprintf(text, sizeof text, "%s takes no arguments", argv[0]);
        return ReportUsage(text);
    }
    RunningProgram program;
    if (!FindRunningProgram(&program))
        return ReportNotRunning();
    DWORD error = 0;
    if (!SendToProgram(program, message, wParam, &error))
        return ReportFailure(EXIT_FAILED, "could not reach stylohid", error);
    return EXIT_DONE;
}

int RunAbsolute(int argc, char **argv)
{
    return RunSimpleCommand(argc, argv, WM_COMMAND, IDM_ABSOLUTE);
}

int RunRelative(int argc, char **argv)
{
    return RunSimpleCommand(argc, argv, WM_COMMAND, IDM_RELATIVE);
}

int RunLandscape(int argc, char **argv)
{
    return RunSimpleCommand(argc, argv, WM_COMMAND, IDM_LANDSCAPE);
}

int RunPortrait(int argc, char **argv)
{
    return RunSimpleCommand(argc, argv, WM_COMMAND, IDM_PORTRAIT);
}

int RunReload(int argc, char **argv)
{
    return RunSimpleCommand(argc, argv, WM_TABLET_RELOAD, 0);
}

// The dialog is modal inside the program's command: posted, so that this
// command does not wait until the user closes it.
int RunSensitivity(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("sensitivity takes no arguments");
    RunningProgram program;
    if (!FindRunningProgram(&program))
        return ReportNotRunning();
    if (!PostMessageA(program.Window, WM_COMMAND, IDM_SENSITIVITY, 0))
        return ReportFailure(EXIT_FAILED, "could not reach stylohid", GetLastError());
    return EXIT_DONE;
}

// "--wait SECONDS": true with seconds set, false for a wrong command line.
static bool ParseCloseArguments(int argc, char **argv, bool *wait, DWORD *seconds)
{
    *wait = false;
    *seconds = 0;
    if (argc == 1)
        return true;
    if (argc != 3 || strcmp(argv[1], "--wait") != 0)
        return false;
    const char *digits = argv[2];
    if (!*digits || strlen(digits) > 5 || strspn(digits, "0123456789") != strlen(digits))
        return false;
    unsigned long number = strtoul(digits, NULL, 10);
    if (number > WAIT_SECONDS_MAX)
        return false;
    *wait = true;
    *seconds = (DWORD)number;
    return true;
}

// Waits for the process's end, or, when it cannot be opened, for its
// window's: the program saves its settings before its window goes.
static bool WaitForEnd(HANDLE process, HWND window, DWORD seconds)
{
    DWORD timeoutMs = seconds * 1000;
    if (process)
        return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(WINDOW_POLL_MS);
    }
    return true;
}

int RunClose(int argc, char **argv)
{
    bool wait;
    DWORD seconds;
    if (!ParseCloseArguments(argc, argv, &wait, &seconds))
        return ReportUsage("usage: close [--wait SECONDS], SECONDS 0 to 86400");
    RunningProgram program;
    if (!FindRunningProgram(&program)) {
        printf("stylohid is not running\n");
        return EXIT_DONE;
    }
    // Opened before it is asked to end, so that its end cannot be missed.
    HANDLE process = wait ? OpenProcess(SYNCHRONIZE, FALSE, program.ProcessId) : NULL;
    DWORD error = 0;
    if (!SendToProgram(program, WM_COMMAND, IDM_CLOSE, &error) &&
        IsWindow(program.Window)) {
        if (process)
            CloseHandle(process);
        return ReportFailure(EXIT_FAILED, "could not ask stylohid to close", error);
    }
    int code = EXIT_DONE;
    if (wait && !WaitForEnd(process, program.Window, seconds)) {
        char text[128];
        snprintf(text, sizeof text,
                 "stylohid (process %lu) did not end within %lu seconds",
                 (unsigned long)program.ProcessId, (unsigned long)seconds);
        code = ReportProblem(EXIT_FAILED, text);
    }
    if (process)
        CloseHandle(process);
    if (code == EXIT_DONE)
        printf(wait ? "stylohid (process %lu) has ended\n"
                    : "stylohid (process %lu) was asked to close\n",
               (unsigned long)program.ProcessId);
    return code;
}
