// settings-access record|restore: the installer's way back for the settings
// key's owner and access list.  The package records them just before
// grant-settings changes them, and its rollback restores what was recorded,
// so that an upgrade that fails and rolls back to the old version leaves the
// key as the old version had it (it may open the key for more than
// grant-settings grants).  The record is kept in a volatile key beside the
// settings key, which only administrators and SYSTEM may change and which
// no restart keeps; a restore uses it up.
#include <windows.h>
#include <sddl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_report.h"
#include "key_security.h"
#include "shared/stored_values.h"

// Beside the settings key: its parent, made non-volatile first (the keys
// that a volatile key's creation makes on its way are volatile too, and no
// restart would keep the settings key under them).
#define ACCESS_RECORD_PARENT "Software\\VELLUM\\Tablet\\CurrentVersion"
#define ACCESS_RECORD_NAME "SettingsAccessRecord"
#define ACCESS_RECORD_VALUE L"OwnerAndAccessList"
// The record key's own access list: administrators and SYSTEM alone.
static const char ACCESS_RECORD_SDDL[] = "O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)";

// The record key, made if missing, open for access.
static LONG OpenRecordKey(REGSAM access, HKEY *key)
{
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = FALSE;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            ACCESS_RECORD_SDDL, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, NULL))
        return (LONG)GetLastError();
    HKEY parent;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"" ACCESS_RECORD_PARENT, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY, NULL, &parent,
                                  NULL);
    if (status == ERROR_SUCCESS) {
        status = RegCreateKeyExW(parent, L"" ACCESS_RECORD_NAME, 0, NULL, REG_OPTION_VOLATILE,
                                 access, &attributes, key, NULL);
        RegCloseKey(parent);
    }
    LocalFree(attributes.lpSecurityDescriptor);
    return status;
}

// The settings key's owner and access list, self-relative, into a buffer
// of the caller's to free; ERROR_FILE_NOT_FOUND when there is no key.
static LONG ReadSettingsSecurity(BYTE **descriptor, DWORD *size)
{
    HKEY key;
    LONG status =
        OpenKeyItself(HKEY_LOCAL_MACHINE, L"" SETTINGS_KEY_PATH, READ_CONTROL, &key);
    if (status != ERROR_SUCCESS)
        return status;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    *size = 0;
    status = RegGetKeySecurity(key, what, NULL, size);
    *descriptor = NULL;
    if (status == ERROR_INSUFFICIENT_BUFFER) {
        *descriptor = (BYTE *)malloc(*size);
        status = *descriptor ? RegGetKeySecurity(key, what, *descriptor, size)
                             : ERROR_OUTOFMEMORY;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        free(*descriptor);
        *descriptor = NULL;
    }
    return status;
}

// An earlier record is removed first: a record that cannot be made leaves
// none, and the rollback then changes nothing.
static int RecordAccess()
{
    HKEY record;
    LONG status = OpenRecordKey(KEY_SET_VALUE, &record);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not open the record of the settings key",
                             (DWORD)status);
    status = RegDeleteValueW(record, ACCESS_RECORD_VALUE);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        RegCloseKey(record);
        return ReportFailure(EXIT_FAILED, "could not clear the record of the settings key",
                             (DWORD)status);
    }
    BYTE *descriptor;
    DWORD size;
    status = ReadSettingsSecurity(&descriptor, &size);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(record, ACCESS_RECORD_VALUE, 0, REG_BINARY, descriptor, size);
        free(descriptor);
    }
    RegCloseKey(record);
    if (status == ERROR_FILE_NOT_FOUND) {
        printf("no settings key: nothing recorded\n");
        return EXIT_DONE;
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED,
                             "could not record the settings key's owner and access list",
                             (DWORD)status);
    printf("the settings key's owner and access list recorded\n");
    return EXIT_DONE;
}

// The recorded owner and access list set again; the record is used up.
static int RestoreAccess()
{
    HKEY record;
    LONG status = OpenRecordKey(KEY_QUERY_VALUE | KEY_SET_VALUE, &record);
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not open the record of the settings key",
                             (DWORD)status);
    DWORD type = REG_NONE, size = 0;
    status = RegQueryValueExW(record, ACCESS_RECORD_VALUE, NULL, &type, NULL, &size);
    BYTE *descriptor = status == ERROR_SUCCESS && type == REG_BINARY && size > 0
                           ? (BYTE *)malloc(size) : NULL;
    if (!descriptor) {
        RegCloseKey(record);
        printf("nothing recorded: the settings key stays as it is\n");
        return EXIT_DONE;
    }
    status = RegQueryValueExW(record, ACCESS_RECORD_VALUE, NULL, &type, descriptor, &size);
    PSID owner = NULL;
    PACL acl = NULL;
    BOOL ownerDefaulted, aclPresent = FALSE, aclDefaulted;
    if (status == ERROR_SUCCESS &&
        !(IsValidSecurityDescriptor(descriptor) &&
          GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) && owner &&
          GetSecurityDescriptorDacl(descriptor, &aclPresent, &acl, &aclDefaulted) &&
          aclPresent))
        status = ERROR_INVALID_DATA;
    const char *step = "read the record of";
    if (status == ERROR_SUCCESS) {
        // The recorded owner may be anyone: setting it needs the restore
        // privilege.
        EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
        EnablePrivilege(SE_RESTORE_NAME);
        status = SetKeyOwnerAndAccess(HKEY_LOCAL_MACHINE, L"" SETTINGS_KEY_PATH, descriptor,
                                      false, NULL, &step);
    }
    free(descriptor);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        RegDeleteValueW(record, ACCESS_RECORD_VALUE);
    RegCloseKey(record);
    if (status == ERROR_FILE_NOT_FOUND) {
        printf("no settings key: nothing restored\n");
        return EXIT_DONE;
    }
    if (status != ERROR_SUCCESS) {
        char text[128];
        snprintf(text, sizeof text, "could not %s the settings key", step);
        return ReportFailure(EXIT_FAILED, text, (DWORD)status);
    }
    printf("the settings key's recorded owner and access list restored\n");
    return EXIT_DONE;
}

int RunSettingsAccess(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "record") == 0)
        return RecordAccess();
    if (argc == 2 && strcmp(argv[1], "restore") == 0)
        return RestoreAccess();
    return ReportUsage("usage: settings-access record|restore");
}
