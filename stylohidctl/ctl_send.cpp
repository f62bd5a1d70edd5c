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
#include "shared/stored_values.h"

// How long a command may wait for the program's window procedure.
#define SEND_TIMEOUT_MS 10000
// The longest --wait accepted: a day.
#define WAIT_SECONDS_MAX 86400
// A --wait without a number: as long as the installer's close waits.
#define WAIT_SECONDS_DEFAULT 30
// How often the end of a program that cannot be opened is looked for.
#define WINDOW_POLL_MS 100

static int ReportNotRunning()
{
    return ReportProblem(EXIT_NO_PROGRAM, "stylohid is not running");
}

bool SendToProgram(const RunningProgram &program, UINT message,
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

int TellRunningProgram(UINT message)
{
    RunningProgram program;
    DWORD error = 0;
    if (FindRunningProgram(&program) && !SendToProgram(program, message, 0, &error))
        return ReportFailure(EXIT_FAILED, "could not reach stylohid", error);
    return EXIT_DONE;
}

int StoreSettingNumber(const char *name, DWORD number, const char *what)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, SETTINGS_WRITE_ACCESS, NULL,
                                  &key, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number,
                                sizeof number);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, what, (DWORD)status);
    return EXIT_DONE;
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

// "--wait [SECONDS]": true with seconds set, false for a wrong command line.
static bool ParseCloseArguments(int argc, char **argv, bool *wait, DWORD *seconds)
{
    *wait = false;
    *seconds = 0;
    if (argc == 1)
        return true;
    if (argc > 3 || strcmp(argv[1], "--wait") != 0)
        return false;
    if (argc == 2) {
        *wait = true;
        *seconds = WAIT_SECONDS_DEFAULT;
        return true;
    }
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

// Up to this many copies without a window here are waited for.
#define UNREACHABLE_COPIES_MAX 8

// No window here: done only when no copy of the program runs at all, or,
// with --wait, when every copy ends in time.  A copy in another session or
// on another desktop (the installer run as SYSTEM, another user logged on)
// cannot be asked to close from here, and a file it holds stays locked:
// that is a failure, never "not running".
static int CloseUnreachable(bool wait, DWORD seconds)
{
    DWORD ids[UNREACHABLE_COPIES_MAX];
    int count = ListProgramProcesses(ids, UNREACHABLE_COPIES_MAX);
    if (count == 0) {
        printf("stylohid is not running\n");
        return EXIT_DONE;
    }
    HANDLE processes[UNREACHABLE_COPIES_MAX];
    int opened = 0;
    for (int i = 0; wait && i < count; i++)
        if ((processes[opened] = OpenProcess(SYNCHRONIZE, FALSE, ids[i])) != NULL)
            opened++;
    bool ended = wait && opened == count &&
                 WaitForMultipleObjects(opened, processes, TRUE, seconds * 1000) ==
                     WAIT_OBJECT_0;
    for (int i = 0; i < opened; i++)
        CloseHandle(processes[i]);
    if (ended) {
        printf("stylohid has ended\n");
        return EXIT_DONE;
    }
    char text[256];
    _snprintf(text, sizeof text,
              "stylohid runs (process %lu) where this command cannot reach it: in "
              "another session or on another desktop. Close it there, or log that "
              "user off", (unsigned long)ids[0]);
    text[sizeof text - 1] = '\0';
    return ReportProblem(EXIT_FAILED, text);
}

int RunClose(int argc, char **argv)
{
    bool wait;
    DWORD seconds;
    if (!ParseCloseArguments(argc, argv, &wait, &seconds))
        return ReportUsage(
            "usage: close [--wait [SECONDS]], SECONDS 0 to 86400 (30 if left out)");
    RunningProgram program;
    if (!FindRunningProgram(&program))
        return CloseUnreachable(wait, seconds);
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
