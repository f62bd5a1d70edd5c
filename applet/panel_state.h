// The applet's process-wide state: what is stored, what the dialog showed
// when it opened (or was last applied), and the tablet's size.
#ifndef PANEL_STATE_H
#define PANEL_STATE_H

#include <windows.h>
#include "area_mapping.h"
#include "shared/screen_layout.h"
#include "panel_seams.h"
#include "shared/profiles.h"
#include "shared/stored_values.h"

// The stored values, in this order throughout the applet: the ten of the
// driver's block (their names are StoredValues[value].Name), then Reconnect,
// Smoothing and SteadyClicks (PanelValueName gives every name).
enum PanelValue {
    PANEL_ABSOLUTE = STORED_ABSOLUTE,
    PANEL_LANDSCAPE = STORED_LANDSCAPE,
    PANEL_SENSITIVITY = STORED_SENSITIVITY,
    PANEL_WORKING_AREA = STORED_WORKING_AREA,
    PANEL_START_X = STORED_START_X,
    PANEL_START_Y = STORED_START_Y,
    PANEL_END_X = STORED_END_X,
    PANEL_END_Y = STORED_END_Y,
    PANEL_BUTTON1 = STORED_BUTTON1,
    PANEL_BUTTON2 = STORED_BUTTON2,
    PANEL_RECONNECT = STORED_VALUE_COUNT,
    PANEL_SMOOTHING,
    PANEL_STEADY_CLICKS,
    PANEL_VALUE_COUNT
};

// The registry name of a PanelValue.
static inline const char *PanelValueName(int value)
{
    switch (value) {
    case PANEL_RECONNECT: return VALUE_RECONNECT;
    case PANEL_SMOOTHING: return VALUE_SMOOTHING;
    case PANEL_STEADY_CLICKS: return VALUE_STEADY_CLICKS;
    }
    return StoredValues[value].Name;
}

// The four working-area fields, in the order of their values.
enum PanelAreaField { AREA_START_X, AREA_START_Y, AREA_END_X, AREA_END_Y, AREA_FIELD_COUNT };

#define AREA_TEXT_SIZE 16
// Largest number a working-area field can hold: the program keeps 16 bits.
#define AREA_NUMBER_MAX 65535

struct StoredSettings {
    BOOL Present[PANEL_VALUE_COUNT];  // a REG_DWORD of that name exists
    DWORD Number[PANEL_VALUE_COUNT];
};

// What the controls show.  -1 in a choice: nothing chosen (the stored value
// is one no control can show).
struct PanelShown {
    int Absolute;        // 1 absolute, 0 relative, -1 neither
    int Orientation;     // 0 landscape, 1 portrait, -1 neither
    int Sensitivity;     // slider position
    BOOL StartingSensitivity;  // stands for the program's starting value,
                               // which the slider shows at its nearest position
    int Button1;         // an action code the lists name, or -1
    int Button2;
    int WholeTablet;     // 1 whole tablet, 0 the fields below
    char Area[AREA_FIELD_COUNT][AREA_TEXT_SIZE];
    int Reconnect;       // 1: keep running while the tablet is unplugged
    int Smoothing;       // the steadiness slider, 0..SMOOTHING_MAX
    int SteadyClicks;    // 1: steady clicks
};

struct TabletMaxima {
    BOOL Known;
    LONG XMax;
    LONG YMax;
};

struct PanelStateRecord {
    HINSTANCE Instance;
    StoredSettings Stored;
    PanelShown Opened;     // what the controls showed at opening or the last Apply;
                           // the area fields: as stored
    BOOL SliderMoved;      // any slider notification since then
    BOOL StartingSensitivity;  // the slider stands for the starting value (Defaults)
    TabletMaxima Maxima;
    PanelTestSeams Seams;  // all fields set: the real calls unless replaced

    // The picture of the tablet.
    SurfaceScale Surface;  // where the surface lies in the picture control
    AreaUnits Area;        // the area drawn: the fields as typed, or the whole tablet
    int Grip;              // what a drag holds (AreaGrip); GRIP_NONE between drags
    POINT DragFrom;        // where the drag began, in picture pixels
    AreaUnits DragStart;   // the area when it began

    int ProgramShown;      // the state line shows: 1 running, 0 not, -1 nothing yet

    // The screen the pen covers (panel_screens.cpp).
    ScreenLayout Screens;
    char StoredScreen[SCREEN_NAME_SIZE];  // the Screen value; "" when missing
    int OpenedScreen;      // the list's choice at opening or the last Apply

    // The settings shown and written: "" the machine's, else the user's
    // profile of this name (panel_profiles.cpp).
    char Profile[PROFILE_NAME_SIZE];
};

extern PanelStateRecord Panel;

#endif
