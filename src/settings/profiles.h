// Profiles in the program: the user's list and choices, which profile
// applies with a program in front, and the laying of a profile's values over
// the machine settings.  The machine settings stay beneath, and they alone
// are saved; a switch changes only the settings in force.
#ifndef PROFILES_H
#define PROFILES_H

#include <windows.h>
#include "settings/settings_store.h"
#include "shared/profiles.h"

// The machine settings, where a profile's index is expected.
#define PROFILE_MACHINE (-1)
// Room for a profile's Programs list as stored.
#define PROFILE_PROGRAMS_SIZE 1024

struct ProfileEntry {
    char Name[PROFILE_NAME_SIZE];
    char Programs[PROFILE_PROGRAMS_SIZE];  // REG_MULTI_SZ, an empty string last
};

// What the user keeps under HKEY_CURRENT_USER.
struct ProfileChoices {
    int Count;
    ProfileEntry Profiles[PROFILE_COUNT_MAX];  // sorted by name
    char Chosen[PROFILE_NAME_SIZE];            // chosen by hand; "" none
    bool Automatic;                            // the program in front chooses
};

void ReadProfileChoices(ProfileChoices *choices);
// The profile's index, by its name in any case; PROFILE_MACHINE when none.
int FindProfile(const ProfileChoices &choices, const char *name);

// The profile that applies (an index, or PROFILE_MACHINE) while the program
// whose file name is `program` is in front: the first by name whose Programs
// name it, when the program in front chooses; else the one chosen by hand,
// if there is such a profile; else the machine settings.  `program` "":
// none is known; NULL: its name could not be read, and `present` stays.
int ChooseProfile(const ProfileChoices &choices, const char *program, int present);

// UI thread.  Makes profile `name` ("": the machine settings) the one in
// force: its values over the machine settings (which keep what a command
// changed while they were in force) become the settings in force, and their
// block goes to the driver.  Does nothing and returns false when that one is
// in force already, unless `again` (its values have changed).
bool SwitchProfile(const char *name, bool again);

#endif
