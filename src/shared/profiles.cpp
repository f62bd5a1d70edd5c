// The profiles' names and list, one rule for the program, the applet and
// stylohidctl.  Registry calls go through src/os.
#include "shared/profiles.h"
#include <stdio.h>
#include <string.h>
#include "os/os.h"

int CompareProfileNames(const char *a, const char *b)
{
    for (;; a++, b++) {
        int x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'a' && x <= 'z')
            x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z')
            y -= 'a' - 'A';
        if (x != y || x == 0)
            return x - y;
    }
}

const char *ProfileNameProblem(const char *name)
{
    size_t length = strlen(name);
    if (length == 0 || length > PROFILE_NAME_MAX)
        return "a profile's name has 1 to 64 characters";
    for (const char *c = name; *c; c++) {
        unsigned char u = (unsigned char)*c;
        if (u < 0x20 || u > 0x7E)
            return "a profile's name holds printable ASCII characters only";
        if (u == '\\')
            return "a profile's name cannot hold a backslash";
    }
    if (strcmp(name, MACHINE_SETTINGS_ARGUMENT) == 0)
        return "\"-\" stands for the machine settings and cannot name a profile";
    if (CompareProfileNames(name, MACHINE_SETTINGS_LABEL) == 0)
        return "\"Machine settings\" are the machine's own and cannot name a profile";
    return NULL;
}

// Keeps the max first names by name: each new one goes to its place, and
// the last falls off a full list.
static int InsertName(char (*names)[PROFILE_NAME_SIZE], int count, int max,
                      const char *name)
{
    int at = count;
    while (at > 0 && CompareProfileNames(name, names[at - 1]) < 0)
        at--;
    if (at >= max)
        return count;
    int last = count < max ? count : max - 1;
    memmove(names[at + 1], names[at], (size_t)(last - at) * PROFILE_NAME_SIZE);
    lstrcpynA(names[at], name, PROFILE_NAME_SIZE);
    return count < max ? count + 1 : count;
}

int ListProfileNames(char (*names)[PROFILE_NAME_SIZE], int max)
{
    HKEY key;
    if (max <= 0 || OsRegOpenKeyEx(HKEY_CURRENT_USER, PROFILES_KEY_PATH,
                                   KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return 0;
    int count = 0;
    for (DWORD index = 0;; index++) {
        // A longer name than a profile's may be there, and is passed over.
        char name[256];
        LONG result = OsRegEnumKey(key, index, name, sizeof name);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && !ProfileNameProblem(name))
            count = InsertName(names, count, max, name);
    }
    OsRegCloseKey(key);
    return count;
}

void MakeProfileKeyPath(const char *name, char *path, int size)
{
    snprintf(path, size, "%s\\%s", PROFILES_KEY_PATH, name);
    path[size - 1] = '\0';
}

const char *ProgramFileName(const char *path)
{
    const char *name = path;
    for (const char *c = path; *c; c++)
        if (*c == '\\' || *c == '/' || *c == ':')
            name = c + 1;
    return name;
}

bool ProgramsNameFile(const char *programs, const char *fileName)
{
    if (!fileName[0])
        return false;
    for (const char *entry = programs; *entry; entry += strlen(entry) + 1)
        if (lstrcmpiA(ProgramFileName(entry), fileName) == 0)
            return true;
    return false;
}
