// grant-settings: the settings key made one key for every user, and no more
// than that.  Every user's program reads and sets the values of the key
// (and may watch it and read its access list); only administrators and
// SYSTEM may change its access list, its owner or its subkeys.  Run by the
// installer as an administrator (SYSTEM), and by hand to repair a key whose
// owner or access list someone changed: ownership is taken back first, and
// subkeys, which nothing of this product makes, are removed without
// following registry links to where they point, whatever their names and
// however deep; one that cannot be removed is left and told, and does not
// make the command fail (an older release let every user make subkeys
// there).  A value missing from the key is stored with the program's
// starting value (starting_values.cpp).
#include <windows.h>
#include <sddl.h>
#include <stdio.h>
#include <stdlib.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "key_security.h"
#include "shared/stored_values.h"
#include "starting_values.h"

// Owner Administrators.  Protected access list on the key alone (nothing
// inherited by subkeys): full control for Administrators and SYSTEM; for
// Users query value (CC), set value (DC), notify (RP) and read control (RC):
// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_NOTIFY | READ_CONTROL, 0x20013.
static const char SETTINGS_KEY_SDDL[] =
    "O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;CCDCRPRC;;;BU)";

// What grant-settings opens a key for once owner and access list are set.
#define KEY_TREE_ACCESS (READ_CONTROL | DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)
// A key name's room: the registry allows 255 characters.
#define KEY_NAME_CHARS 256

struct GrantState {
    PSECURITY_DESCRIPTOR Descriptor;
    unsigned Removed;            // subkeys removed
    unsigned Left;               // subkeys that could not be removed
    bool LinkReplaced;           // a link stood in the settings key's place
    const char *Step;            // what failed, for the report
};

// Owner and access list set on parent\name itself, then the key opened
// itself for what comes next.
static LONG SecureKey(HKEY parent, const WCHAR *name, bool create, GrantState *state,
                      HKEY *key, bool *created)
{
    LONG status = SetKeyOwnerAndAccess(parent, name, state->Descriptor, create, created,
                                       &state->Step);
    if (status != ERROR_SUCCESS)
        return status;
    state->Step = "open";
    return OpenKeyItself(parent, name, KEY_TREE_ACCESS, key);
}

// The settings key secured and open.  A link in its place would take the
// settings to another key: it is removed and a key made there.
static LONG OpenSettingsKey(GrantState *state, HKEY *key, bool *created)
{
    for (int tries = 0; tries < 2; tries++) {
        LONG status = SecureKey(HKEY_LOCAL_MACHINE, L"" SETTINGS_KEY_PATH, true, state, key,
                                created);
        if (status != ERROR_SUCCESS || !IsLinkKey(*key))
            return status;
        state->Step = "remove a link in the place of";
        status = DeleteOpenKey(*key);
        RegCloseKey(*key);
        if (status != ERROR_SUCCESS)
            return status;
        state->LinkReplaced = true;
    }
    return ERROR_CANTWRITE;   // a link came back at once
}

// One key on the way down: open, and how many of its subkeys stay (they
// come first in its list).
struct WalkLevel {
    HKEY Key;
    DWORD Kept;
};

// The open keys of the walk, the deepest last.
struct SubkeyWalk {
    WalkLevel *Levels;
    DWORD Capacity;
    DWORD Depth;
};

// A subkey of the deepest key that cannot be removed stays: the next one
// in its list is looked at.
static void KeepSubkey(WalkLevel *level, GrantState *state)
{
    level->Kept++;
    state->Left++;
}

// The subkey name of the deepest key, secured and opened: a link is removed
// itself, any other key becomes the deepest.  A list that cannot grow makes
// room first (the same subkey comes again next).
static void EnterSubkey(SubkeyWalk *walk, const WCHAR *name, GrantState *state)
{
    WalkLevel *level = &walk->Levels[walk->Depth - 1];
    HKEY child;
    if (SecureKey(level->Key, name, false, state, &child, NULL) != ERROR_SUCCESS) {
        KeepSubkey(level, state);
    } else if (IsLinkKey(child)) {
        if (DeleteOpenKey(child) == ERROR_SUCCESS)
            state->Removed++;
        else
            KeepSubkey(level, state);
        RegCloseKey(child);
    } else if (walk->Depth == walk->Capacity) {
        WalkLevel *more =
            (WalkLevel *)realloc(walk->Levels, 2 * walk->Capacity * sizeof *more);
        RegCloseKey(child);
        if (more) {
            walk->Levels = more;
            walk->Capacity *= 2;
        } else {
            KeepSubkey(level, state);
        }
    } else {
        walk->Levels[walk->Depth].Key = child;
        walk->Levels[walk->Depth].Kept = 0;
        walk->Depth++;
    }
}

// The deepest key's list is done (or cannot be read, status): the key goes
// when nothing stays under it; the top stays.
static void LeaveSubkey(SubkeyWalk *walk, LONG status, GrantState *state)
{
    WalkLevel *level = &walk->Levels[walk->Depth - 1];
    walk->Depth--;
    if (walk->Depth == 0)
        return;
    if (status == ERROR_NO_MORE_ITEMS && level->Kept == 0 &&
        DeleteOpenKey(level->Key) == ERROR_SUCCESS)
        state->Removed++;
    else
        KeepSubkey(&walk->Levels[walk->Depth - 1], state);
    RegCloseKey(level->Key);
}

// Removes every subkey of top: a walk down with a list of the open keys
// (no recursion, so no depth is too deep), each subkey secured and opened
// by its wide name, a link removed itself.  What cannot be removed is left
// and counted.
static void RemoveSubkeys(HKEY top, GrantState *state)
{
    SubkeyWalk walk;
    walk.Capacity = 16;
    walk.Depth = 1;
    walk.Levels = (WalkLevel *)malloc(walk.Capacity * sizeof *walk.Levels);
    if (!walk.Levels) {
        state->Left++;
        return;
    }
    walk.Levels[0].Key = top;
    walk.Levels[0].Kept = 0;
    while (walk.Depth > 0) {
        WalkLevel *level = &walk.Levels[walk.Depth - 1];
        WCHAR name[KEY_NAME_CHARS];
        DWORD length = KEY_NAME_CHARS;
        LONG status = RegEnumKeyExW(level->Key, level->Kept, name, &length, NULL, NULL,
                                    NULL, NULL);
        if (status == ERROR_SUCCESS)
            EnterSubkey(&walk, name, state);
        else
            LeaveSubkey(&walk, status, state);
    }
    free(walk.Levels);
}

int RunGrantSettings(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("grant-settings takes no arguments");
    GrantState state;
    ZeroMemory(&state, sizeof state);
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            SETTINGS_KEY_SDDL, SDDL_REVISION_1, &state.Descriptor, NULL))
        return ReportFailure(EXIT_FAILED, "could not build the settings key's access list",
                             GetLastError());
    EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    EnablePrivilege(SE_RESTORE_NAME);

    HKEY key;
    bool created = false;
    LONG status = OpenSettingsKey(&state, &key, &created);
    if (status == ERROR_SUCCESS) {
        RemoveSubkeys(key, &state);
        RegCloseKey(key);
    }
    LocalFree(state.Descriptor);
    if (status != ERROR_SUCCESS) {
        char text[128];
        snprintf(text, sizeof text, "could not %s the settings key", state.Step);
        return ReportFailure(EXIT_FAILED, text, (DWORD)status);
    }
    printf("HKEY_LOCAL_MACHINE\\%s (%s): owner Administrators; full control for "
           "Administrators and SYSTEM; Users read and set its values\n",
           SETTINGS_KEY_PATH, created ? "created" : "kept its values");
    if (state.LinkReplaced)
        printf("a registry link in its place removed (not followed)\n");
    if (state.Removed)
        printf("%u subkeys removed (links removed, not followed)\n", state.Removed);
    if (state.Left)
        printf("%u subkeys could not be removed and stay (nothing reads them)\n", state.Left);
    // An empty key helps nobody: the program's starting values where none is.
    int added = 0;
    status = StoreMissingStartingValues(&added);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the starting settings",
                             (DWORD)status);
    if (added > 0)
        printf("%d missing settings stored with the program's starting values\n", added);
    return EXIT_DONE;
}
