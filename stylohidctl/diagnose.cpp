// stylohidctl diagnose: one line per check, in the order a user would look:
// the tablet, its driver, the program and its UI access, its settings, its
// start at logon and its control-panel applet.  The checks are in
// diagnose_devices.cpp, diagnose_ui_access.cpp and diagnose_setup.cpp.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "diagnose.h"

#define CHECK_LABEL_WIDTH 16

void DescribeReason(DWORD error, char *text, int size)
{
    DescribeError(error, text, size);
    size_t used = strlen(text);
    snprintf(text + used, size - used, ", error %lu", (unsigned long)error);
}

bool PrintCheck(const char *label, bool ok, const char *format, ...)
{
    char text[CHECK_TEXT_MAX];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char heading[CHECK_LABEL_WIDTH + 2];
    snprintf(heading, sizeof heading, "%s:", label);
    printf("%-*s%s %s\n", CHECK_LABEL_WIDTH, heading, ok ? "OK," : "PROBLEM:", text);
    fflush(stdout);
    return ok;
}

int RunDiagnose(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("diagnose takes no arguments");
    bool ok = true;
    ok = CheckTabletPresent() && ok;
    ok = CheckControlDevice() && ok;
    ok = CheckProgramRunning() && ok;
    ok = CheckUiAccess() && ok;
    ok = CheckSettingsKey() && ok;
    ok = CheckLogonStart() && ok;
    ok = CheckApplet() && ok;
    return ok ? EXIT_DONE : EXIT_PROBLEM_FOUND;
}

