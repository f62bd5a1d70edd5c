// grant-settings: the settings key made one key for every user, and no more
// than that.  Every user's program reads and sets the values of the key
// (and may watch it and read its access list); only administrators and
// SYSTEM may change its access list, its owner or its subkeys.  Run by the
// installer as an administrator (SYSTEM), and by hand to repair a key whose
// owner or access list someone changed: ownership is taken back first, and
// subkeys, which nothing of this product makes, are removed without
// following registry links to where they point.  A value missing from the
// key is stored with the program's starting value (starting_values.cpp).
#include <windows.h>
#include <sddl.h>
#include <stdio.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "settings/stored_values.h"
#include "starting_values.h"

// Owner Administrators.  Protected access list on the key alone (nothing
// inherited by subkeys): full control for Administrators and SYSTEM; for
// Users query value (CC), set value (DC), notify (RP) and read control (RC):
// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_NOTIFY | READ_CONTROL, 0x20013.
static const char SETTINGS_KEY_SDDL[] =
    "O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;CCDCRPRC;;;BU)";

// What grant-settings opens a key for once owner and access list are set.
#define KEY_TREE_ACCESS (READ_CONTROL | DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)
// Deeper than any key a person makes by hand: a guard, not a limit met.
#define SUBKEY_DEPTH_MAX 32

typedef LONG(WINAPI *NtDeleteKeyCall)(HANDLE key);

struct GrantState {
    PSECURITY_DESCRIPTOR Descriptor;
    NtDeleteKeyCall DeleteKey;   // deletes the very key a handle is open on
    unsigned Removed;            // subkeys removed
    const char *Step;            // what failed, for the report
};

// Turns a privilege of the administrator's token on, for this process only;
// without it (not an administrator) the steps below fail and say so.
static void EnablePrivilege(const char *name)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(NULL, name, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
    CloseHandle(token);
}

// Opens parent\name (a link itself, not where it points, with
// REG_OPTION_OPEN_LINK in options) for access; creates it when create is
// set.
static LONG OpenKey(HKEY parent, const char *name, DWORD options, REGSAM access,
                    bool create, HKEY *key, DWORD *disposition)
{
    if (create)
        return RegCreateKeyExA(parent, name, 0, NULL, options | REG_OPTION_NON_VOLATILE,
                               access, NULL, key, disposition);
    return RegOpenKeyExA(parent, name, options, access, key);
}

// One step of SecureKey: opens for access, sets what of the descriptor
// information names.
static LONG SetKeySecurityPart(HKEY parent, const char *name, DWORD options,
                               REGSAM access, SECURITY_INFORMATION information,
                               GrantState *state, bool create, DWORD *disposition)
{
    HKEY key;
    LONG status = OpenKey(parent, name, options, access, create, &key, disposition);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, information, state->Descriptor);
        RegCloseKey(key);
    }
    return status;
}

// Owner first (taking ownership works whatever the access list says), then
// the access list (the owner may always change it), then the key opened for
// what comes next.
static LONG SecureKey(HKEY parent, const char *name, DWORD options, bool create,
                      GrantState *state, HKEY *key, DWORD *disposition)
{
    state->Step = "take ownership of";
    LONG status = SetKeySecurityPart(parent, name, options, WRITE_OWNER,
                                     OWNER_SECURITY_INFORMATION, state, create,
                                     disposition);
    if (status != ERROR_SUCCESS)
        return status;
    state->Step = "set the access list of";
    status = SetKeySecurityPart(parent, name, options, WRITE_DAC,
                                DACL_SECURITY_INFORMATION, state, false, NULL);
    if (status != ERROR_SUCCESS)
        return status;
    state->Step = "open";
    return OpenKey(parent, name, options, KEY_TREE_ACCESS, false, key, NULL);
}

// A key opened with REG_OPTION_OPEN_LINK is a link when it holds the
// link's target.
static bool IsLinkKey(HKEY key)
{
    DWORD type = REG_NONE;
    LONG status = RegQueryValueExA(key, "SymbolicLinkValue", NULL, &type, NULL, NULL);
    return status == ERROR_SUCCESS && type == REG_LINK;
}

static LONG RemoveSubkeys(HKEY key, GrantState *state, int depth);

// Removes parent\name and what is under it; a link is removed itself, and
// what it points to is left alone.
static LONG RemoveKey(HKEY parent, const char *name, GrantState *state, int depth)
{
    HKEY key;
    LONG status = SecureKey(parent, name, REG_OPTION_OPEN_LINK, false, state, &key, NULL);
    if (status != ERROR_SUCCESS)
        return status;
    if (!IsLinkKey(key))
        status = RemoveSubkeys(key, state, depth + 1);
    if (status == ERROR_SUCCESS) {
        state->Step = "remove a subkey of";
        status = state->DeleteKey ? state->DeleteKey(key) : ERROR_PROC_NOT_FOUND;
        if (status != ERROR_SUCCESS)
            status = ERROR_ACCESS_DENIED;   // an NTSTATUS: reported as refused
        else
            state->Removed++;
    }
    RegCloseKey(key);
    return status;
}

static LONG RemoveSubkeys(HKEY key, GrantState *state, int depth)
{
    if (depth > SUBKEY_DEPTH_MAX) {
        state->Step = "remove the subkeys of";
        return ERROR_CANTWRITE;
    }
    for (;;) {
        char name[256];
        DWORD length = sizeof name;
        state->Step = "list the subkeys of";
        LONG status = RegEnumKeyExA(key, 0, name, &length, NULL, NULL, NULL, NULL);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        status = RemoveKey(key, name, state, depth);
        if (status != ERROR_SUCCESS)
            return status;
    }
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
    state.DeleteKey = (NtDeleteKeyCall)(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    EnablePrivilege(SE_RESTORE_NAME);

    HKEY key;
    DWORD disposition = 0;
    LONG status = SecureKey(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, true, &state, &key,
                            &disposition);
    if (status == ERROR_SUCCESS) {
        status = RemoveSubkeys(key, &state, 0);
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
           SETTINGS_KEY_PATH,
           disposition == REG_CREATED_NEW_KEY ? "created" : "kept its values");
    if (state.Removed)
        printf("%u subkeys removed (links removed, not followed)\n", state.Removed);
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
