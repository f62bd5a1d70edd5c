// Named profiles: sets of settings that each user keeps for himself, laid by
// the program over the machine's settings, chosen by hand or by the program
// in front.  Where they are stored, the rule their names follow and the
// reading of their list, shared by the program, the applet and stylohidctl.
#ifndef SHARED_PROFILES_H
#define SHARED_PROFILES_H

#include <windows.h>

// Under HKEY_CURRENT_USER: the user's own key, and one subkey per profile
// under PROFILES_KEY_PATH, named as the profile.  A profile holds any of the
// settings' values (SettingValueInfo in stored_values.h), with the types of
// the settings key, and VALUE_PROGRAMS.
#define USER_KEY_PATH     "Software\\VELLUM\\Tablet"
#define PROFILES_KEY_PATH "Software\\VELLUM\\Tablet\\Profiles"

// In a profile: REG_MULTI_SZ, the executable file names ("notepad.exe",
// any case) for which the profile applies by itself.
#define VALUE_PROGRAMS "Programs"
// In the user's key: the profile chosen by hand (REG_SZ; missing or empty:
// the machine settings), whether the program in front switches profiles
// (REG_DWORD; missing or nonzero: it does), and the profile the running
// program has in force (REG_SZ, empty for the machine settings; written by
// the program at each switch, for status and the applet).
#define VALUE_PROFILE          "Profile"
#define VALUE_AUTO_PROFILES    "AutoProfiles"
#define VALUE_PROFILE_IN_FORCE "ProfileInForce"

// What the menu and the applet call the settings of the settings key, and
// stylohidctl's name for them ("profile use -").
#define MACHINE_SETTINGS_LABEL "Machine settings"
#define MACHINE_SETTINGS_ARGUMENT "-"

#define PROFILE_NAME_MAX  64
#define PROFILE_NAME_SIZE (PROFILE_NAME_MAX + 1)
// The most profiles the program and the applet list (the first by name).
#define PROFILE_COUNT_MAX 64

// Set by the applet on its windows: a window that has it, or whose owner
// has it, keeps the present profile when it comes to the front.
#define KEEP_PROFILE_PROPERTY "VellumTabletKeepsProfile"

// Why a name cannot be a profile's, or NULL when it can: 1 to 64 printable
// ASCII characters, no backslash, not "-" and not "Machine settings" (in any
// case).  The one rule of stylohidctl and the applet.
const char *ProfileNameProblem(const char *name);

// Names compared as the registry compares key names: without regard to case
// (names are ASCII); below, equal or above zero as strcmp.
int CompareProfileNames(const char *a, const char *b);

// The profiles' names, sorted by name without regard to case: up to max of
// them (the first by name), the count returned; 0 when there is no
// Profiles key.  Subkeys whose names break the rule are not profiles.
int ListProfileNames(char (*names)[PROFILE_NAME_SIZE], int max);

// "Software\VELLUM\Tablet\Profiles\<name>".
void MakeProfileKeyPath(const char *name, char *path, int size);

// The file name at the end of a path ("C:\Windows\notepad.exe": "notepad.exe").
const char *ProgramFileName(const char *path);

// Whether a Programs list (REG_MULTI_SZ: strings each ended by a zero, an
// empty string last) names the program's file, without regard to case.
bool ProgramsNameFile(const char *programs, const char *fileName);

#endif
