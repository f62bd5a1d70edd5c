/* Resource identifiers of the settings applet; shared by its resource
   script, its code and its tests. */
#ifndef PANEL_RESOURCE_H
#define PANEL_RESOURCE_H

#define IDI_PANEL             1

#define IDS_PANEL_NAME        1
#define IDS_PANEL_INFO        2

#define IDD_PANEL             100

#define IDC_MODE_ABSOLUTE     101
#define IDC_MODE_RELATIVE     102
#define IDC_ORIENT_LANDSCAPE  103
#define IDC_ORIENT_PORTRAIT   104
#define IDC_SENSITIVITY       105
#define IDC_BUTTON1           106
#define IDC_BUTTON2           107
#define IDC_AREA_WHOLE        108
#define IDC_AREA_PART         109
#define IDC_START_X           110
#define IDC_START_Y           111
#define IDC_END_X             112
#define IDC_END_Y             113
#define IDC_TABLET_SIZE       114
#define IDC_PANEL_MESSAGE     115
#define IDC_APPLY             116
#define IDC_AREA_PICTURE      117
#define IDC_AREA_SIZE         118
#define IDC_SCREEN_SIZE       119
#define IDC_PROGRAM_STATE     120
#define IDC_START_PROGRAM     121
#define IDC_DEFAULTS          122
#define IDC_SCREEN            123
#define IDC_SCREEN_PICTURE    124
#define IDC_MATCH_SCREEN      125
#define IDC_RECONNECT         126
#define IDC_PROFILE           127
#define IDC_PROFILE_NEW       128
#define IDC_PROFILE_DELETE    129
#define IDC_PROFILE_PROGRAMS  130
#define IDC_SMOOTHING         131
#define IDC_STEADY_CLICKS     132

/* The profile's name (New...), its programs, and a window to take one from. */
#define IDD_PROFILE_NAME      101
#define IDD_PROFILE_PROGRAMS  102
#define IDD_PICK_WINDOW       103
#define IDC_PROFILE_NAME      140
#define IDC_PROFILE_NAME_MESSAGE 141
#define IDC_PROGRAMS_INTRO    142
#define IDC_PROGRAMS_LIST     143
#define IDC_PROGRAMS_ADD      144
#define IDC_PROGRAMS_MESSAGE  145
#define IDC_WINDOW_LIST       146

/* The dialog's caption, by which it can be found. */
#define PANEL_CAPTION         "USB Tablet"

#endif
