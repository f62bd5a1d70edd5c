// stylohidctl diagnose: one line per check, in the order a user would look:
// the tablet, its driver, the program and its UI access, its settings, its
// start at logon and its control-panel applet.  The checks are in
// diagnose_devices.cpp, diagnose_ui_access.cpp and diagnose_setup.cpp.
#include <windows.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "diagnose.h"

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

