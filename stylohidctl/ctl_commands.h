// The commands of stylohidctl: one entry point per command, the table that
// names them, and the exit codes they return.
#ifndef CTL_COMMANDS_H
#define CTL_COMMANDS_H

#include <windows.h>

// Exit codes of every command, one meaning each (the help and the README
// list them).
#define EXIT_DONE          0   // done (close: also when no program runs)
#define EXIT_NO_PROGRAM    1   // the command needs the running program and none runs
#define EXIT_USAGE         2   // the command line is wrong
#define EXIT_FAILED        3   // a system call failed
#define EXIT_PROBLEM_FOUND 4   // diagnose: a check is not OK

// argv[0] is the command's own name; argc counts it.
typedef int (*CommandEntry)(int argc, char **argv);

struct CtlCommand {
    const char *Name;
    const char *Arguments;   // shown after the name in the help, "" for none
    const char *Summary;     // one line
    CommandEntry Run;
};

// The table, ending with a row whose Name is NULL.
extern const CtlCommand CtlCommands[];

// ctl_send.cpp: commands to the running program.
int RunClose(int argc, char **argv);
int RunAbsolute(int argc, char **argv);
int RunRelative(int argc, char **argv);
int RunLandscape(int argc, char **argv);
int RunPortrait(int argc, char **argv);
int RunSensitivity(int argc, char **argv);
int RunReload(int argc, char **argv);

// ctl_status.cpp
int RunStatus(int argc, char **argv);

// ctl_start.cpp
int RunStart(int argc, char **argv);

// ctl_screens.cpp
int RunScreens(int argc, char **argv);
int RunScreen(int argc, char **argv);
// The "Screen:" line of status, from the open settings key.
void PrintScreenChoice(HKEY key);

// ctl_button.cpp
int RunButton(int argc, char **argv);
// ctl_steady.cpp
int RunSmoothing(int argc, char **argv);
int RunSteadyClicks(int argc, char **argv);
// The "Smoothing:" and "Steady clicks:" lines of status, from the open key.
void PrintSteadinessStatus(HKEY key);

// ctl_profile.cpp
int RunProfile(int argc, char **argv);
// The profile lines of status, for a user who has profiles: the one in force
// (when the program runs), how many there are and the choices.
void PrintProfileStatus(bool running);

// ctl_grant.cpp
int RunGrantSettings(int argc, char **argv);

// ctl_access.cpp
int RunSettingsAccess(int argc, char **argv);

#endif
