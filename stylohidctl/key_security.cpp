#include "key_security.h"

typedef LONG(WINAPI *NtDeleteKeyCall)(HANDLE key);

void EnablePrivilege(const char *name)
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

LONG OpenKeyItself(HKEY parent, const WCHAR *name, REGSAM access, HKEY *key)
{
    return RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, access, key);
}

// Opens parent\name itself for access and sets what of descriptor
// information names.
static LONG SetKeySecurityPart(HKEY parent, const WCHAR *name, REGSAM access,
                               SECURITY_INFORMATION information,
                               PSECURITY_DESCRIPTOR descriptor)
{
    HKEY key;
    LONG status = OpenKeyItself(parent, name, access, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, information, descriptor);
        RegCloseKey(key);
    }
    return status;
}

LONG SetKeyOwnerAndAccess(HKEY parent, const WCHAR *name, PSECURITY_DESCRIPTOR descriptor,
                          bool create, bool *created, const char **step)
{
    *step = "take ownership of";
    if (created)
        *created = false;
    LONG status = SetKeySecurityPart(parent, name, WRITE_OWNER, OWNER_SECURITY_INFORMATION,
                                     descriptor);
    if (status == ERROR_FILE_NOT_FOUND && create) {
        HKEY key;
        DWORD disposition = 0;
        status = RegCreateKeyExW(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, WRITE_OWNER,
                                 NULL, &key, &disposition);
        if (status == ERROR_SUCCESS) {
            status = RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION, descriptor);
            RegCloseKey(key);
            if (created)
                *created = disposition == REG_CREATED_NEW_KEY;
        }
    }
    if (status != ERROR_SUCCESS)
        return status;
    *step = "set the access list of";
    return SetKeySecurityPart(parent, name, WRITE_DAC, DACL_SECURITY_INFORMATION, descriptor);
}

bool IsLinkKey(HKEY key)
{
    DWORD type = REG_NONE;
    LONG status = RegQueryValueExW(key, L"SymbolicLinkValue", NULL, &type, NULL, NULL);
    return status == ERROR_SUCCESS && type == REG_LINK;
}

LONG DeleteOpenKey(HKEY key)
{
    static NtDeleteKeyCall deleteKey = (NtDeleteKeyCall)(void *)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    // NtDeleteKey answers an NTSTATUS: any failure is reported as refused.
    return deleteKey && deleteKey(key) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}
