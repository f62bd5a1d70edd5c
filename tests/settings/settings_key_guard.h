// Tests that touch the settings key in HKEY_LOCAL_MACHINE keep what was
// there: the key's values are copied at the start and put back at the end.
// Between the two a test may delete, fill and read the key freely.
#ifndef SETTINGS_KEY_GUARD_H
#define SETTINGS_KEY_GUARD_H

#include <windows.h>
#include <string>
#include <vector>
#include "shared/stored_values.h"

struct SavedRegistryValue {
    std::string Name;
    DWORD Type;
    std::vector<BYTE> Data;
};

struct SettingsKeyGuard {
    bool Existed;
    std::vector<SavedRegistryValue> Values;
};

inline void DeleteSettingsKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
}

inline SettingsKeyGuard SaveSettingsKey()
{
    SettingsKeyGuard guard;
    guard.Existed = false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return guard;
    guard.Existed = true;
    for (DWORD i = 0;; i++) {
        char name[256];
        BYTE data[1024];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        SavedRegistryValue value;
        value.Name = name;
        value.Type = type;
        value.Data.assign(data, data + dataSize);
        guard.Values.push_back(value);
    }
    RegCloseKey(key);
    return guard;
}

inline void RestoreSettingsKey(const SettingsKeyGuard &guard)
{
    DeleteSettingsKey();
    if (!guard.Existed)
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                        KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    for (const SavedRegistryValue &v : guard.Values)
        RegSetValueExA(key, v.Name.c_str(), 0, v.Type,
                       v.Data.empty() ? NULL : v.Data.data(), (DWORD)v.Data.size());
    RegCloseKey(key);
}

// Creates the key empty (deleting what was in it).
inline HKEY CreateEmptySettingsKey()
{
    DeleteSettingsKey();
    HKEY key = NULL;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                    KEY_ALL_ACCESS, NULL, &key, NULL);
    return key;
}

inline void PutStoredDword(HKEY key, const char *name, DWORD number)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

// True, with the number, when the value is a 4-byte REG_DWORD.
inline bool GetStoredDword(const char *name, DWORD *number)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *number;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)number, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *number;
}

inline bool SettingsKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

#endif
