// The stored Screen choice, and any other string setting, read one way for
// the resident program, the applet and stylohidctl.
#include "shared/screen_layout.h"
#include "os/os.h"

bool ReadTextValue(HKEY key, const char *name, char *text, DWORD size)
{
    DWORD type = 0, read = size - 1;
    text[0] = '\0';
    if (OsRegQueryValueEx(key, name, &type, (BYTE *)text, &read) != ERROR_SUCCESS ||
        type != REG_SZ) {
        text[0] = '\0';
        return false;
    }
    text[read] = '\0';
    return true;
}

bool ReadScreenValue(HKEY key, char *choice)
{
    return ReadTextValue(key, VALUE_SCREEN, choice, SCREEN_NAME_SIZE);
}
