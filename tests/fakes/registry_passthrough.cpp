// Not a fake: the registry calls pass through to the real registry of the
// test's Wine prefix, with a hook into each value read.
#include "fakes/fake_os.h"

void (*FakeRegistryReadHook)(LPCSTR name);

void ResetFakeRegistry() { FakeRegistryReadHook = NULL; }

LONG OsRegOpenKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
    return RegOpenKeyExA(root, path, 0, access, key);
}

LONG OsRegCreateKeyEx(HKEY root, LPCSTR path, REGSAM access, PHKEY key)
{
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
