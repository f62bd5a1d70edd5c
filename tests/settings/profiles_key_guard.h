// Tests that touch the user's key (HKEY_CURRENT_USER\Software\VELLUM\Tablet:
// the profiles and the choices among them) keep what was there: the whole
// key is copied at the start and put back at the end, and emptied between.
#ifndef PROFILES_KEY_GUARD_H
#define PROFILES_KEY_GUARD_H

#include <windows.h>
#include <string>
#include <vector>
#include "settings/settings_key_guard.h"
#include "shared/profiles.h"

struct SavedUserKey {
    std::string Path;  // under HKEY_CURRENT_USER
    std::vector<SavedRegistryValue> Values;
};

inline void SaveUserKeyTree(const std::string &path, std::vector<SavedUserKey> *saved)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    SavedUserKey entry;
    entry.Path = path;
    for (DWORD i = 0;; i++) {
        char name[256];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        entry.Values.push_back({name, type, std::vector<BYTE>(data, data + dataSize)});
    }
    saved->push_back(entry);
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        SaveUserKeyTree(path + "\\" + name, saved);
    }
    RegCloseKey(key);
}

inline void DeleteKeyTree(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char name[256];
        DWORD nameSize = sizeof name;
        std::vector<std::string> subkeys;
        for (DWORD i = 0; RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) ==
                          ERROR_SUCCESS;
             i++, nameSize = sizeof name)
            subkeys.push_back(path + "\\" + name);
        RegCloseKey(key);
        for (const std::string &subkey : subkeys)
            DeleteKeyTree(subkey);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

inline void DeleteUserKey() { DeleteKeyTree(USER_KEY_PATH); }

inline std::vector<SavedUserKey> SaveUserKey()
{
    std::vector<SavedUserKey> saved;
    SaveUserKeyTree(USER_KEY_PATH, &saved);
    return saved;
}

inline void RestoreUserKey(const std::vector<SavedUserKey> &saved)
{
    DeleteUserKey();
    for (const SavedUserKey &entry : saved) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, entry.Path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                            NULL, &key, NULL) != ERROR_SUCCESS)
            continue;
        for (const SavedRegistryValue &v : entry.Values)
            RegSetValueExA(key, v.Name.c_str(), 0, v.Type, v.Data.data(), (DWORD)v.Data.size());
        RegCloseKey(key);
    }
}

// A value of the user's key ("" names the key itself, else a profile).
inline void PutUserValue(const char *profile, const char *name, DWORD type, const void *data,
                         DWORD size)
{
    std::string path = profile[0] ? std::string(PROFILES_KEY_PATH "\\") + profile
                                  : std::string(USER_KEY_PATH);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
}

inline void PutUserText(const char *profile, const char *name, const std::string &text)
{
    PutUserValue(profile, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

inline void PutUserDword(const char *profile, const char *name, DWORD number)
{
    PutUserValue(profile, name, REG_DWORD, &number, sizeof number);
}

// Programs, given as one string with a zero after each name.
inline void PutPrograms(const char *profile, const std::string &programs)
{
    PutUserValue(profile, VALUE_PROGRAMS, REG_MULTI_SZ, programs.c_str(),
                 (DWORD)programs.size() + 1);
}

inline std::string GetUserText(const char *name)
{
    HKEY key;
    char text[256] = "";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    DWORD type = 0, size = sizeof text - 1;
    LONG read = RegQueryValueExA(key, name, NULL, &type, (BYTE *)text, &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : "(none)";
}

#endif
