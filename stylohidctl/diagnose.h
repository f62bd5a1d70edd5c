// stylohidctl diagnose: what a working set-up needs, checked one thing at a
// time, each on one line of standard output that says OK or, in plain
// words, what is wrong and what to do about it (PrintCheck, ctl_report.h).
// Reads only: it changes no setting, sends the driver no request and leaves
// the program alone.
#ifndef DIAGNOSE_H
#define DIAGNOSE_H

#include <windows.h>
#include "ctl_commands.h"

// The command: runs every check in order; EXIT_DONE when all of them are OK,
// EXIT_PROBLEM_FOUND otherwise.
int RunDiagnose(int argc, char **argv);

// The checks, in the order RunDiagnose runs them; each prints its line and
// returns true when it is OK.
bool CheckTabletPresent();
bool CheckControlDevice();
bool CheckProgramRunning();
bool CheckUiAccess();
bool CheckSettingsKey();
bool CheckLogonStart();
bool CheckApplet();

#endif
