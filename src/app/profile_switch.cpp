// The program in front decides the profile in force, through the foreground
// hook, or where that tells nothing (Wine) through a look every
// FOREGROUND_POLL_MS.  A switch waits while the pen holds a button or a
// drag, so that a tap that brings a program to the front keeps its action
// between its press and its release.
#include "app/profile_switch.h"
#include <stdio.h>
#include "app/app_state.h"
#include "app/reconnect.h"
#include "input/button_actions.h"
#include "input/packet_translation.h"
#include "input/screen_mapping.h"
#include "os/os.h"
#include "settings/profiles.h"
#include "ui/profile_menu.h"
#include "ui/tray_icon.h"

ProfileSwitchState ProfileSwitch;
static ProfileChoices Choices;

// The shell's taskbar and notification area, and any menu: the present
// profile stays while they are in front.
static const char *const ShellClasses[] = {
    "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow", "#32768"
};

static bool PenBusy()
{
    return ButtonState.Button1Down || ButtonState.Button2Down || DragLatch;
}

void MakeProfileTip(char *tip, int size)
{
    if (ProfileOverlay.InForce[0])
        snprintf(tip, size, "%s - %s", TRAY_TIP, ProfileOverlay.InForce);
    else
        lstrcpynA(tip, TRAY_TIP, size);
}

static void ShowProfileTip(HWND window)
{
    // "Not connected" stays until the tablet is back.
    if (Reconnect.Waiting)
        return;
    char tip[TRAY_TIP_FIELD];
    MakeProfileTip(tip, sizeof tip);
    if (TrayIcon.Wanted)
        ModifyTrayTip(window, TRAY_ICON_ID, tip);
    else
        lstrcpynA(TrayIcon.Tip, tip, sizeof TrayIcon.Tip);
}

static void WriteUserValue(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (OsRegCreateKeyEx(HKEY_CURRENT_USER, USER_KEY_PATH, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    OsRegSetValueEx(key, name, type, (const BYTE *)data, size);
    OsRegCloseKey(key);
}

static void WriteProfileInForce()
{
    const char *name = ProfileOverlay.InForce;
    WriteUserValue(VALUE_PROFILE_IN_FORCE, REG_SZ, name, lstrlenA(name) + 1);
    ProfileSwitch.InForceWritten = true;
}

// The screen, the name told to other programs and the tip follow a switch.
static void PutInForce(HWND window, const char *name, bool again)
{
    if (!SwitchProfile(name, again))
        return;
    UpdateScreenMapping();
    WriteProfileInForce();
    ShowProfileTip(window);
}

// The profile that applies with this program in front (NULL: the present
// one stays) put in force, or left waiting while the pen is busy.
static void Decide(HWND window, const char *program)
{
    int present = FindProfile(Choices, ProfileOverlay.InForce);
    int target = ChooseProfile(Choices, program, present);
    const char *name = target >= 0 ? Choices.Profiles[target].Name : "";
    if (!ProfileSwitch.Again && CompareProfileNames(name, ProfileOverlay.InForce) == 0) {
        InterlockedExchange(&ProfileSwitch.Waiting, 0);
        return;
    }
    if (PenBusy()) {
        InterlockedExchange(&ProfileSwitch.Waiting, 1);
        return;
    }
    InterlockedExchange(&ProfileSwitch.Waiting, 0);
    bool again = ProfileSwitch.Again;
    ProfileSwitch.Again = false;
    PutInForce(window, name, again);
}

// The program's own windows, the applet and the shell keep the present
// profile.
static bool KeepsProfile(HWND window)
{
    if (!window)
        return true;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId())
        return true;
    for (HWND w = window; w; w = GetWindow(w, GW_OWNER))
        if (GetPropA(w, KEEP_PROFILE_PROPERTY))
            return true;
    char className[64] = "";
    GetClassNameA(GetAncestor(window, GA_ROOTOWNER), className, sizeof className);
    for (const char *shell : ShellClasses)
        if (lstrcmpiA(className, shell) == 0)
            return true;
    return false;
}

// The file name of the program in front, into ProfileSwitch.Program; NULL
// when it keeps the present profile or cannot be read.
static const char *ReadFrontProgram(HWND window)
{
    char path[MAX_PATH];
    if (KeepsProfile(window) || !OsReadWindowProgram(window, path, sizeof path))
        return NULL;
    lstrcpynA(ProfileSwitch.Program, ProgramFileName(path), sizeof ProfileSwitch.Program);
    return ProfileSwitch.Program;
}

static void FollowForeground(HWND window)
{
    if (!ProfileSwitch.Following || App.ShutdownStarted ||
        window == ProfileSwitch.Foreground)
        return;
    ProfileSwitch.Foreground = window;
    Decide(App.MainWindow, ReadFrontProgram(window));
}

// The hook works here: no more looks on the timer.
static void HandleForegroundHook(HWND window)
{
    if (ProfileSwitch.Polling) {
        OsKillTimer(App.MainWindow, FOREGROUND_POLL_TIMER);
        ProfileSwitch.Polling = false;
    }
    FollowForeground(window);
}

static void BeginFollowing(HWND mainWindow)
{
    ProfileSwitch.Following = true;
    ProfileSwitch.Watch = OsWatchForeground(HandleForegroundHook);
    ProfileSwitch.Polling = OsSetTimer(mainWindow, FOREGROUND_POLL_TIMER,
                                       FOREGROUND_POLL_MS) != 0;
    ProfileSwitch.Foreground = GetForegroundWindow();
    ProfileSwitch.Program[0] = '\0';
    ReadFrontProgram(ProfileSwitch.Foreground);
}

static void EndFollowing(HWND mainWindow)
{
    OsStopWatchingForeground(ProfileSwitch.Watch);
    ProfileSwitch.Watch = NULL;
    if (ProfileSwitch.Polling)
        OsKillTimer(mainWindow, FOREGROUND_POLL_TIMER);
    ProfileSwitch.Polling = false;
    ProfileSwitch.Following = false;
    InterlockedExchange(&ProfileSwitch.Waiting, 0);
}

void StartProfiles(HWND mainWindow)
{
    ReadProfileChoices(&Choices);
    if (Choices.Count == 0)
        return;
    BeginFollowing(mainWindow);
    // Nothing is sent yet (no channel): the reader's load lays the profile
    // over the stored values.
    ProfileSwitch.Again = false;
    int target = ChooseProfile(Choices, ProfileSwitch.Program, PROFILE_MACHINE);
    SwitchProfile(target >= 0 ? Choices.Profiles[target].Name : "", false);
    WriteProfileInForce();
    ShowProfileTip(mainWindow);
}

void StopProfiles(HWND mainWindow)
{
    if (ProfileSwitch.Following)
        EndFollowing(mainWindow);
    if (ProfileSwitch.InForceWritten) {
        WriteUserValue(VALUE_PROFILE_IN_FORCE, REG_SZ, "", 1);
        ProfileSwitch.InForceWritten = false;
    }
}

void HandleForegroundPoll(HWND mainWindow)
{
    if (!ProfileSwitch.Following) {
        OsKillTimer(mainWindow, FOREGROUND_POLL_TIMER);
        return;
    }
    ApplyWaitingSwitch();
    FollowForeground(GetForegroundWindow());
}

void ApplyWaitingSwitch()
{
    if (ProfileSwitch.Waiting && !PenBusy() && !App.ShutdownStarted)
        Decide(App.MainWindow, ProfileSwitch.Program);
}

void HandleProfilesChanged(HWND mainWindow)
{
    if (App.ShutdownStarted || !App.MainWindow)
        return;
    ReadProfileChoices(&Choices);
    if (Choices.Count == 0) {
        if (!ProfileSwitch.Following)
            return;
        EndFollowing(mainWindow);
        ProfileSwitch.Again = false;
        PutInForce(mainWindow, "", false);
        return;
    }
    if (!ProfileSwitch.Following)
        BeginFollowing(mainWindow);
    // The profile in force may have been edited: laid again, and sent when
    // that changed the settings in force.
    ProfileSwitch.Again = true;
    Decide(mainWindow, ProfileSwitch.Program);
}

static void ChooseByHand(HWND mainWindow, const char *name)
{
    WriteUserValue(VALUE_PROFILE, REG_SZ, name, lstrlenA(name) + 1);
    lstrcpynA(Choices.Chosen, name, sizeof Choices.Chosen);
    // The choice applies at once; the next program brought to the front
    // decides again.
    ProfileSwitch.Foreground = mainWindow;
    InterlockedExchange(&ProfileSwitch.Waiting, 0);
    PutInForce(mainWindow, name, false);
}

static void SwitchByProgram(HWND mainWindow, bool automatic)
{
    DWORD number = automatic ? 1 : 0;
    WriteUserValue(VALUE_AUTO_PROFILES, REG_DWORD, &number, sizeof number);
    Choices.Automatic = automatic;
    Decide(mainWindow, ProfileSwitch.Program);
}

bool HandleProfileMenuClick(HWND mainWindow, LPARAM mouse)
{
    if (!ProfileSwitch.Following || mouse != WM_RBUTTONUP || App.ShutdownStarted)
        return false;
    // The list as it is now, whatever another program changed unannounced.
    ReadProfileChoices(&Choices);
    if (Choices.Count == 0) {
        HandleProfilesChanged(mainWindow);
        return true;
    }
    UINT item = TrackProfileMenu(mainWindow, Choices,
                                 FindProfile(Choices, ProfileOverlay.InForce));
    if (item == IDM_PROFILE_SETTINGS)
        OsWinExec(PANEL_COMMAND, SW_SHOWNORMAL);
    else if (item == IDM_PROFILE_AUTO)
        SwitchByProgram(mainWindow, !Choices.Automatic);
    else if (item == IDM_PROFILE_MACHINE)
        ChooseByHand(mainWindow, "");
    else if (item >= IDM_PROFILE_FIRST && item < IDM_PROFILE_FIRST + (UINT)Choices.Count)
        ChooseByHand(mainWindow, Choices.Profiles[item - IDM_PROFILE_FIRST].Name);
    return true;
}
