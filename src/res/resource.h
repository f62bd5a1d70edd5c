/* Resource identifiers of the program; shared by the resource script and the code. */
#ifndef RESOURCE_H
#define RESOURCE_H

#define IDS_ERROR_CAPTION   1
#define IDS_NOT_CONNECTED   2
#define IDS_CANNOT_START    7
/* The notification icon's menu, with profiles. */
#define IDS_MENU_MACHINE    20
#define IDS_MENU_AUTO       21
#define IDS_MENU_SETTINGS   22

#define IDI_TABLET          2001

#define IDD_MAIN            3001
#define IDD_SENSITIVITY     3002

#define IDC_SENSITIVITY_SLIDER 4001

#define IDM_CLOSE           1001
#define IDM_ABSOLUTE        1002
#define IDM_RELATIVE        1003
#define IDM_LANDSCAPE       1004
#define IDM_PORTRAIT        1005
#define IDM_SENSITIVITY     1006

/* The menu is addressed by name. */
#define POPUP_MENU_NAME     "PopupMenu"

#endif
