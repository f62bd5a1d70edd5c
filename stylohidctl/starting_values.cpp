#include "starting_values.h"

#include "settings/stored_values.h"

struct StartingValue {
    const char *Name;
    DWORD Number;
};

// The settings the program starts with while nothing is stored.
static const StartingValue StartingValues[] = {
    {VALUE_ABSOLUTE, START_ABSOLUTE_MODE},   {VALUE_LANDSCAPE, START_ORIENTATION},
    {VALUE_SENSITIVITY, START_SENSITIVITY},  {VALUE_WORKING_AREA, START_WORKING_AREA},
    {VALUE_START_X, START_AREA_EDGE},        {VALUE_START_Y, START_AREA_EDGE},
    {VALUE_END_X, START_AREA_EDGE},          {VALUE_END_Y, START_AREA_EDGE},
    {VALUE_BUTTON1, START_BUTTON1_ACTION},   {VALUE_BUTTON2, START_BUTTON2_ACTION},
};

LONG StoreMissingStartingValues(int *added)
{
    *added = 0;
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    for (const StartingValue &value : StartingValues) {
        status = RegQueryValueExA(key, value.Name, NULL, NULL, NULL, NULL);
        if (status == ERROR_SUCCESS)
            continue;  // the user's, even one the program cannot use
        if (status != ERROR_FILE_NOT_FOUND)
            break;
        status = RegSetValueExA(key, value.Name, 0, REG_DWORD,
                                (const BYTE *)&value.Number, sizeof value.Number);
        if (status != ERROR_SUCCESS)
            break;
        (*added)++;
    }
    RegCloseKey(key);
    return status;
}
