#include "ui/profile_menu.h"
#include <string.h>
#include "res/resource.h"

// A menu shows "&" as the underline of the next letter: a name's own "&"
// is doubled.
static void EscapeAmpersands(const char *name, char *text, int size)
{
    int n = 0;
    for (const char *c = name; *c && n < size - 2; c++) {
        if (*c == '&')
            text[n++] = '&';
        text[n++] = *c;
    }
    text[n] = '\0';
}

static void AppendStringItem(HMENU menu, HINSTANCE instance, UINT id, UINT textId)
{
    char text[64] = "";
    LoadStringA(instance, textId, text, sizeof text);
    AppendMenuA(menu, MF_STRING, id, text);
}

static HMENU BuildProfileMenu(HWND window, const ProfileChoices &choices, int inForce)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return NULL;
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    AppendStringItem(menu, instance, IDM_PROFILE_MACHINE, IDS_MENU_MACHINE);
    for (int i = 0; i < choices.Count; i++) {
        char text[2 * PROFILE_NAME_SIZE];
        EscapeAmpersands(choices.Profiles[i].Name, text, sizeof text);
        AppendMenuA(menu, MF_STRING, IDM_PROFILE_FIRST + i, text);
    }
    CheckMenuRadioItem(menu, IDM_PROFILE_MACHINE, IDM_PROFILE_FIRST + choices.Count - 1,
                       inForce >= 0 ? IDM_PROFILE_FIRST + inForce : IDM_PROFILE_MACHINE,
                       MF_BYCOMMAND);
    AppendStringItem(menu, instance, IDM_PROFILE_AUTO, IDS_MENU_AUTO);
    CheckMenuItem(menu, IDM_PROFILE_AUTO,
                  MF_BYCOMMAND | (choices.Automatic ? MF_CHECKED : MF_UNCHECKED));
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendStringItem(menu, instance, IDM_PROFILE_SETTINGS, IDS_MENU_SETTINGS);
    // What a double-click on the icon does.
    SetMenuDefaultItem(menu, IDM_PROFILE_SETTINGS, FALSE);
    return menu;
}

UINT TrackProfileMenu(HWND window, const ProfileChoices &choices, int inForce)
{
    HMENU menu = BuildProfileMenu(window, choices, inForce);
    if (!menu)
        return 0;
    POINT at = {0, 0};
    GetCursorPos(&at);
    // Without the window in front the menu takes no keys and stays open
    // after a click elsewhere; the message after it lets the next click in.
    SetForegroundWindow(window);
    UINT chosen = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                       at.x, at.y, 0, window, NULL);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return chosen;
}
