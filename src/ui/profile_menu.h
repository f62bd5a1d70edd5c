// The notification icon's menu, shown once the user has profiles: the
// machine settings and each profile (the one in force checked), "Switch by
// program", and "Settings…", which opens the applet.
#ifndef PROFILE_MENU_H
#define PROFILE_MENU_H

#include <windows.h>
#include "settings/profiles.h"

// The items' identifiers: a profile's is IDM_PROFILE_FIRST plus its index.
#define IDM_PROFILE_AUTO     1101
#define IDM_PROFILE_SETTINGS 1102
#define IDM_PROFILE_MACHINE  1110
#define IDM_PROFILE_FIRST    1111

// Shows the menu at the pointer, for the keyboard and the mouse, until an
// item is chosen or it is closed (Esc, a click elsewhere); returns the item
// chosen, 0 for none.  The window comes to the front first, as a menu of
// the notification area needs.
UINT TrackProfileMenu(HWND window, const ProfileChoices &choices, int inForce);

#endif
