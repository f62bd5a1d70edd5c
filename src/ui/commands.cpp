#include "ui/commands.h"
#include "device/driver_channel.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "ui/sensitivity_dialog.h"

// The driver is asked first; the setting changes only when it accepts.
static void ChangePointerMode(LONG absolute)
{
    if (!SetAbsoluteMode((DWORD)absolute))
        return;
    LockSettings();
    TabletSettings.AbsoluteMode = absolute;
    UnlockSettings();
}

static void ChangeOrientation(LONG portrait)
{
    if (!SetOrientation((DWORD)portrait))
        return;
    LockSettings();
    TabletSettings.Orientation = portrait;
    UnlockSettings();
}

INT_PTR HandleCommand(HWND window, WORD id)
{
    switch (id) {
    case IDM_CLOSE:
        // The shutdown runs later, from the message loop.
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    case IDM_ABSOLUTE:
        ChangePointerMode(1);
        break;
    case IDM_RELATIVE:
        ChangePointerMode(0);
        break;
    case IDM_LANDSCAPE:
        ChangeOrientation(0);
        break;
    case IDM_PORTRAIT:
        ChangeOrientation(1);
        break;
    case IDM_SENSITIVITY:
        RunSensitivityDialog(window);
        break;
    }
    return FALSE;
}
