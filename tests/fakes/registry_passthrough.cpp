// Not a fake: the registry calls pass through to the real registry of the
// test's Wine prefix, with a hook into each value read.
#include "fakes/fake_os.h"

void (*FakeRegistryReadHook)(LPCSTR name);
std::vector<FakeRegistryOpen> FakeRegistryOpens;
REGSAM FakeRegistryGrant;

void ResetFakeRegistry()
{
    FakeRegistryReadHook = NULL;
    FakeRegistryOpens.clear();
    FakeRegistryGrant = 0;
}

static bool RefusedByGrant(REGSAM access)
{
    return FakeRegistryGrant != 0 && (access & ~FakeRegistryGrant) != 0;
}

LONG OsRegOpenKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
    FakeRegistryOpens.push_back({access, false});
    if (RefusedByGrant(access))
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(root, path, 0, access, key);
}

LONG OsRegCreateKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
    FakeRegistryOpens.push_back({access, true});
    if (RefusedByGrant(access))
        return ERROR_ACCESS_DENIED;
    if (FakeRegistryGrant != 0) {
        LONG opened = RegOpenKeyExA(root, path, 0, access, key);
        return opened == ERROR_FILE_NOT_FOUND ? ERROR_ACCESS_DENIED : opened;
    }
    return RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, access,
                           NULL, key, NULL);
}

LONG OsRegQueryValueEx(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data,
                       LPDWORD size)
{
    if (FakeRegistryReadHook)
        FakeRegistryReadHook(name);
    return RegQueryValueExA(key, name, NULL, type, data, size);
}

LONG OsRegSetValueEx(HKEY key, LPCSTR name, DWORD type, const BYTE *data,
                     DWORD size)
{
    return RegSetValueExA(key, name, 0, type, data, size);
}

LONG OsRegCloseKey(HKEY key) { return RegCloseKey(key); }

LONG OsRegEnumKey(HKEY key, DWORD index, LPSTR name, DWORD size)
{
    return RegEnumKeyExA(key, index, name, &size, NULL, NULL, NULL, NULL);
}
