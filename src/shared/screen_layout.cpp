// The stored Screen choice, read one way for the resident program, the
// applet and stylohidctl.
#include "shared/screen_layout.h"
#include "os/os.h"

bool ReadScreenValue(HKEY key, char *choice)
{
    DWORD type = 0, size = SCREEN_NAME_SIZE - 1;
    choice[0] = '\0';
    if (OsRegQueryValueEx(key, VALUE_SCREEN, &type, (BYTE *)choice, &size) !=
            ERROR_SUCCESS || type != REG_SZ) {
        choice[0] = '\0';
        return false;
    }
    choice[size] = '\0';
    return true;
}
