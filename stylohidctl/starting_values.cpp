#include "starting_values.h"

#include "shared/stored_values.h"

LONG StoreMissingStartingValues(int *added)
{
    *added = 0;
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    for (const StoredValueInfo &value : StoredValues) {
        status = RegQueryValueExA(key, value.Name, NULL, NULL, NULL, NULL);
        if (status == ERROR_SUCCESS)
            continue;  // the user's, even one the program cannot use
        if (status != ERROR_FILE_NOT_FOUND)
            break;
        status = RegSetValueExA(key, value.Name, 0, value.Type,
                                (const BYTE *)&value.Start, sizeof value.Start);
        if (status != ERROR_SUCCESS)
            break;
        (*added)++;
    }
    RegCloseKey(key);
    return status;
}
