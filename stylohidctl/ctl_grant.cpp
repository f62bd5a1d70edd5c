// grant-settings: the settings key made one key for every user.  On Windows
// Vista and later a standard user may not open HKEY_LOCAL_MACHINE keys with
// KEY_ALL_ACCESS, which the program asks for; without this the program
// would be redirected to a per-user copy while the applet is refused.  A
// value missing from the key is stored with the program's starting value
// (starting_values.cpp).  Run by the installer as an administrator.
#include <windows.h>
#include <sddl.h>
#include <stdio.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "settings/stored_values.h"
#include "starting_values.h"

// Protected DACL, inherited by subkeys: full control (KEY_ALL_ACCESS, which
// holds DELETE, WRITE_DAC and WRITE_OWNER as well as reading and writing)
// for the built-in Administrators, SYSTEM and the Users group.
static const char SETTINGS_KEY_SDDL[] =
    "D:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;BU)";

int RunGrantSettings(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("grant-settings takes no arguments");
    HKEY key;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, READ_CONTROL | WRITE_DAC,
                                  NULL, &key, &disposition);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not open or create the settings key",
                             (DWORD)status);
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            SETTINGS_KEY_SDDL, SDDL_REVISION_1, &descriptor, NULL)) {
        DWORD error = GetLastError();
        RegCloseKey(key);
        return ReportFailure(EXIT_FAILED, "could not build the settings key's access list",
                             error);
    }
    status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not set the settings key's access list",
                             (DWORD)status);
    printf("HKEY_LOCAL_MACHINE\\%s (%s): full control for Administrators, SYSTEM "
           "and Users\n", SETTINGS_KEY_PATH,
           disposition == REG_CREATED_NEW_KEY ? "created" : "kept its values");
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
