// Profiles at work: the program in front followed, the profile that applies
// put in force (waiting for the pen's buttons and drag to be let go), the
// icon's menu and tip, and the name in force told to other programs.  With
// no profile none of it runs: no hook, no timer, no menu.
#ifndef PROFILE_SWITCH_H
#define PROFILE_SWITCH_H

#include <windows.h>

// The look at the foreground window where no hook tells of its changes (the
// first change the hook tells of stops it).
#define FOREGROUND_POLL_TIMER 3
#define FOREGROUND_POLL_MS 50

struct ProfileSwitchState {
    bool Following;          // the user has profiles: the foreground is followed
    HANDLE Watch;            // the foreground hook, NULL when none
    bool Polling;            // FOREGROUND_POLL_TIMER runs
    HWND Foreground;         // the window in front last looked at
    char Program[MAX_PATH];  // file name of the last program in front that was read; "" none
    volatile LONG Waiting;   // a switch waits for the pen's buttons and drag latch
    bool Again;              // the waiting switch lays the profile in force again
    bool InForceWritten;     // ProfileInForce written in this run
};

extern ProfileSwitchState ProfileSwitch;

// Once the tablet is found, before the icon shows and the reader loads:
// with profiles, the foreground is followed and the profile that applies is
// put in force.
void StartProfiles(HWND mainWindow);
// At shutdown: no more hook or timer; ProfileInForce emptied.
void StopProfiles(HWND mainWindow);

// WM_TIMER of FOREGROUND_POLL_TIMER.
void HandleForegroundPoll(HWND mainWindow);
// After each packet, when ProfileSwitch.Waiting: the switch once the pen's
// buttons and the drag latch are up.
void ApplyWaitingSwitch();
// WM_TABLET_PROFILES: the profiles and choices read again; the profile in
// force laid again, as it may have been edited.
void HandleProfilesChanged(HWND mainWindow);
// WM_TRAY_NOTIFY: with profiles, a right-click opens the menu and true is
// returned; otherwise false, and the icon does what it does without them.
bool HandleProfileMenuClick(HWND mainWindow, LPARAM mouse);

// The icon's tip: "USB Tablet", or "USB Tablet - <profile in force>".
void MakeProfileTip(char *tip, int size);

#endif
