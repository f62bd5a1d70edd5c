// diagnose: whether the running program has UI access, which lets its input
// reach the windows of programs run as administrator.  Windows grants it to
// a program whose manifest asks for it (the signed release's), signed by a
// certificate the machine trusts and installed in a protected folder.
#include <windows.h>

#include "shared/stored_values.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "diagnose.h"

// Vista and later open a process for this with less access than XP needs.
#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

// The UI access flag of the process's token in *uiAccess; ERROR_SUCCESS or
// why it cannot be read (Windows XP knows no such flag; a program that has
// UI access may run at a raised integrity level that refuses the question).
static DWORD ReadUiAccess(DWORD processId, DWORD *uiAccess)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return GetLastError();
    HANDLE token;
    DWORD error = ERROR_SUCCESS, size = 0;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        error = GetLastError();
    } else {
        if (!GetTokenInformation(token, TokenUIAccess, uiAccess, sizeof *uiAccess, &size))
            error = GetLastError();
        CloseHandle(token);
    }
    CloseHandle(process);
    return error;
}

bool CheckUiAccess()
{
    const char *label = "UI access";
    RunningProgram program;
    if (!FindRunningProgram(&program))
        return PrintCheck(label, true, "cannot tell: %s is not running.", PROGRAM_FILE_NAME);
    DWORD uiAccess = 0;
    DWORD error = ReadUiAccess(program.ProcessId, &uiAccess);
    if (error != ERROR_SUCCESS) {
        char reason[ERROR_TEXT_MAX];
        DescribeReason(error, reason, sizeof reason);
        return PrintCheck(label, true, "cannot tell whether %s has UI access (%s).",
                          PROGRAM_FILE_NAME, reason);
    }
    if (uiAccess)
        return PrintCheck(label, true,
                          "%s has UI access: the pen reaches windows of programs run as "
                          "administrator too.", PROGRAM_FILE_NAME);
    return PrintCheck(label, false,
                      "Windows of programs run as administrator get no pen input: install "
                      "the signed package into Program Files");
}
