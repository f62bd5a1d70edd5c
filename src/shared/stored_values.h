/* Where the tablet's settings are stored and what the stored numbers mean.
   Shared by the resident program, the settings applet and stylohidctl. */
#ifndef STORED_VALUES_H
#define STORED_VALUES_H

#include <windows.h>

/* Under HKEY_LOCAL_MACHINE; every value is a REG_DWORD, but for Screen. */
#define SETTINGS_KEY_PATH "Software\\VELLUM\\Tablet\\CurrentVersion\\Settings"

/* The rights the program asks for on the key: reading to load, setting
   values to save; what every user is granted on it holds both. */
#define SETTINGS_READ_ACCESS  KEY_QUERY_VALUE
#define SETTINGS_WRITE_ACCESS KEY_SET_VALUE

#define VALUE_ABSOLUTE     "Absolute"     /* 1 absolute, 0 relative pointer mode */
#define VALUE_LANDSCAPE    "Landscape"    /* 0 landscape, 1 portrait */
#define VALUE_SENSITIVITY  "Sensitivity"  /* relative-mode sensitivity */
#define VALUE_WORKING_AREA "WorkingArea"  /* 1: the whole tablet; else StartX..EndY */
#define VALUE_START_X      "StartX"       /* working area, in tablet units */
#define VALUE_START_Y      "StartY"
#define VALUE_END_X        "EndX"
#define VALUE_END_Y        "EndY"
#define VALUE_BUTTON1      "Button1"      /* action code of pen button 1 (status 0x20) */
#define VALUE_BUTTON2      "Button2"      /* action code of pen button 2 (status 0x40) */
/* Not one of the ten the program saves: 0 or missing, the program ends when
   the tablet goes away; any other number (the applet writes 1), it keeps
   running and waits for the tablet to come back. */
#define VALUE_RECONNECT    "Reconnect"

/* The screen the pen covers in absolute mode, a REG_SZ: SCREEN_CHOICE_MAIN
   (also when missing, or when the named screen is gone), SCREEN_CHOICE_ALL
   (the whole desktop), or a screen's device name ("\\.\DISPLAY2"). */
#define VALUE_SCREEN       "Screen"
#define SCREEN_CHOICE_MAIN "main"
#define SCREEN_CHOICE_ALL  "all"
#define SCREEN_NAME_SIZE   32     /* a device name's room, with its end */

/* Absolute mode's pointer smoothing, a REG_DWORD: 0 or missing, off (the
   pointer goes where the pen is); 1 (lightest) to SMOOTHING_MAX (strongest),
   on; a larger number counts as SMOOTHING_MAX. */
#define VALUE_SMOOTHING    "Smoothing"
#define SMOOTHING_MAX      10
/* Absolute mode's steady clicks, a REG_DWORD: 0 or missing, off; any other
   number, on (a press holds the pointer still and lands a second press of a
   double click where the first landed). */
#define VALUE_STEADY_CLICKS "SteadyClicks"

/* The sensitivity slider's range, with a tick every SENSITIVITY_TICK_STEP
   positions (the program's dialog and the applet alike). */
#define SENSITIVITY_MIN 5
#define SENSITIVITY_MAX 50
#define SENSITIVITY_TICK_STEP 9

/* The program's settings while nothing is stored (no key, or a value missing
   at first run). */
#define START_ABSOLUTE_MODE 1
#define START_ORIENTATION   0
#define START_SENSITIVITY   4
#define START_BUTTON1_ACTION 2
#define START_BUTTON2_ACTION 1
#define START_WORKING_AREA  1   /* the whole tablet */
#define START_AREA_BOUND    0   /* StartX, StartY, EndX and EndY */

/* The stored values, in the order in which the program reads them and the
   applet and stylohidctl list them. */
enum StoredValueIndex {
    STORED_ABSOLUTE,
    STORED_LANDSCAPE,
    STORED_SENSITIVITY,
    STORED_WORKING_AREA,
    STORED_START_X,
    STORED_START_Y,
    STORED_END_X,
    STORED_END_Y,
    STORED_BUTTON1,
    STORED_BUTTON2,
    STORED_VALUE_COUNT
};

typedef struct StoredValueInfo {
    const char *Name;
    DWORD Type;   /* the registry type the program takes (4 bytes) */
    DWORD Start;  /* the program's value while none is stored */
} StoredValueInfo;

static const StoredValueInfo StoredValues[STORED_VALUE_COUNT] = {
    {VALUE_ABSOLUTE, REG_DWORD, START_ABSOLUTE_MODE},
    {VALUE_LANDSCAPE, REG_DWORD, START_ORIENTATION},
    {VALUE_SENSITIVITY, REG_DWORD, START_SENSITIVITY},
    {VALUE_WORKING_AREA, REG_DWORD, START_WORKING_AREA},
    {VALUE_START_X, REG_DWORD, START_AREA_BOUND},
    {VALUE_START_Y, REG_DWORD, START_AREA_BOUND},
    {VALUE_END_X, REG_DWORD, START_AREA_BOUND},
    {VALUE_END_Y, REG_DWORD, START_AREA_BOUND},
    {VALUE_BUTTON1, REG_DWORD, START_BUTTON1_ACTION},
    {VALUE_BUTTON2, REG_DWORD, START_BUTTON2_ACTION},
};

/* The program settings beyond the ten, in the settings key beside them: read
   by the program at every load, and held by profiles as the ten are (a
   profile's value laid over the machine's).  A setting added here is
   carried by profiles, copied by stylohidctl's profile save and written by
   the applet into a profile, with no further code there; the program reads
   it into its settings in ApplySettingValues. */
enum ProgramSettingIndex {
    PROGRAM_SCREEN,
    PROGRAM_SMOOTHING,
    PROGRAM_STEADY_CLICKS,
    PROGRAM_SETTING_COUNT
};

static const StoredValueInfo ProgramSettings[PROGRAM_SETTING_COUNT] = {
    {VALUE_SCREEN, REG_SZ, 0},
    {VALUE_SMOOTHING, REG_DWORD, 0},
    {VALUE_STEADY_CLICKS, REG_DWORD, 0},
};

/* Every value a profile may hold: the ten, then the program settings. */
#define SETTING_VALUE_COUNT (STORED_VALUE_COUNT + PROGRAM_SETTING_COUNT)

static inline const StoredValueInfo *SettingValueInfo(int value)
{
    return value < STORED_VALUE_COUNT ? &StoredValues[value]
                                      : &ProgramSettings[value - STORED_VALUE_COUNT];
}

/* Whether a value that the registry gave with this type and size holds a
   stored number: only a REG_DWORD of exactly four bytes does. */
static inline bool IsFourByteDword(DWORD type, DWORD size)
{
    return type == REG_DWORD && size == sizeof(DWORD);
}

/* Asked by another program to take up the stored values again. */
#define WM_TABLET_RELOAD 2026
/* Asked by another program to take up the profiles again (a profile or the
   choice among them changed); the machine settings in use stay as they are. */
#define WM_TABLET_PROFILES 2027

/* The class name by which other programs find the running program. */
#define MAIN_WINDOW_CLASS "stylohid"

/* Where the installed program is started at every logon: a value of this
   name under HKEY_LOCAL_MACHINE's Run key, holding the program's quoted
   path.  The installed command tool lives in the same folder. */
#define RUN_KEY_PATH   "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define RUN_VALUE_NAME "stylohid"

/* The program's file, and the control-panel applet's file, which
   control.exe finds in the system folder. */
#define PROGRAM_FILE_NAME "stylohid.exe"
#define APPLET_FILE_NAME  "penpanel.cpl"

/* Pen-button action codes.  Any value outside 0..ACTION_CODE_LAST that is not
   ACTION_SCROLL does nothing. */
enum ActionCode {
    ACTION_NONE = 0,
    ACTION_LEFT_CLICK = 1,
    ACTION_LEFT_DOUBLE_CLICK = 2,
    ACTION_LEFT_DRAG = 3,
    ACTION_RIGHT_CLICK = 4,
    ACTION_RIGHT_DOUBLE_CLICK = 5,
    ACTION_RIGHT_DRAG = 6,
    ACTION_MIDDLE_CLICK = 7,
    ACTION_MIDDLE_DOUBLE_CLICK = 8,
    ACTION_MIDDLE_DRAG = 9,
    ACTION_FIRST_CHORD = 10,   /* 10..15: two-key chords */
    ACTION_LAST_CHORD = 15,
    ACTION_FIRST_KEY = 16,     /* 16..38: single keys */
    ACTION_CODE_LAST = 38,     /* the last key; 39..63 are kept for more keys */
    ACTION_SCROLL = 64         /* held, the pen's movement turns the wheel */
};

#define ACTION_CODE_COUNT (ACTION_CODE_LAST + 1)

/* The actions a pen button can be given, in the order the applet lists them.
   Name is what status shows, and what stylohidctl's button command takes in
   any case with "-" for a space ("left-click"); ListText, where the applet's
   list says more. */
typedef struct ActionNameRow {
    SHORT Code;
    const char *Name;
    const char *ListText;
} ActionNameRow;

#define ACTION_NAME_COUNT (ACTION_CODE_COUNT + 1)

static const ActionNameRow ActionNames[ACTION_NAME_COUNT] = {
    {0, "Nothing", NULL},
    {1, "Left click", NULL}, {2, "Left double click", NULL}, {3, "Left drag", NULL},
    {4, "Right click", NULL}, {5, "Right double click", NULL}, {6, "Right drag", NULL},
    {7, "Middle click", NULL}, {8, "Middle double click", NULL}, {9, "Middle drag", NULL},
    {10, "Ctrl+C", NULL}, {11, "Ctrl+X", NULL}, {12, "Ctrl+V", NULL},
    {13, "Alt+F4", NULL}, {14, "Ctrl+Z", NULL}, {15, "Windows+F1", NULL},
    {16, "Esc", NULL}, {17, "Tab", NULL}, {18, "Backspace", NULL}, {19, "Enter", NULL},
    {20, "Space", NULL}, {21, "Insert", NULL}, {22, "Delete", NULL},
    {23, "Home", NULL}, {24, "End", NULL}, {25, "Page Up", NULL}, {26, "Page Down", NULL},
    {27, "F1", NULL}, {28, "F2", NULL}, {29, "F3", NULL}, {30, "F4", NULL},
    {31, "F5", NULL}, {32, "F6", NULL}, {33, "F7", NULL}, {34, "F8", NULL},
    {35, "F9", NULL}, {36, "F10", NULL}, {37, "F11", NULL}, {38, "F12", NULL},
    {ACTION_SCROLL, "Scroll", "Scroll (hold and move)"},
};

/* The row of an action code (the program's low 16 bits of a stored value,
   signed), or -1 for a code that does nothing. */
static inline int FindActionRow(int code)
{
    for (int row = 0; row < ACTION_NAME_COUNT; row++)
        if (ActionNames[row].Code == code)
            return row;
    return -1;
}

static inline const char *ActionListText(int row)
{
    return ActionNames[row].ListText ? ActionNames[row].ListText : ActionNames[row].Name;
}

/* A name's letter as the button command compares it: "-" for a space, in
   any case. */
static inline char FoldActionLetter(char letter)
{
    if (letter == '-')
        return ' ';
    return letter >= 'A' && letter <= 'Z' ? (char)(letter - 'A' + 'a') : letter;
}

/* The row whose Name the word is, in any case and with "-" for a space;
   -1 when none is. */
static inline int FindActionNamed(const char *word)
{
    for (int row = 0; row < ACTION_NAME_COUNT; row++) {
        const char *name = ActionNames[row].Name;
        int i = 0;
        while (name[i] && FoldActionLetter(word[i]) == FoldActionLetter(name[i]))
            i++;
        if (!name[i] && !word[i])
            return row;
    }
    return -1;
}

#endif
