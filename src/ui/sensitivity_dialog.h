// The relative-sensitivity dialog: a slider whose every move takes effect at
// once; OK keeps the value, Cancel puts back the opening value after a move.
#ifndef SENSITIVITY_DIALOG_H
#define SENSITIVITY_DIALOG_H

#include <windows.h>

// Sent to the owner on every WM_HSCROLL; wParam is the dialog's handle.
#define WM_SENSITIVITY_SCROLLED 1128

#define SENSITIVITY_DIALOG_CAPTION "Vellum USB Tablet configuration"

// One copy for the program, not one per open dialog.
struct SensitivityDialogState {
    LONG SavedSensitivity;  // Sensitivity when the dialog opened
    bool SliderMoved;       // any WM_HSCROLL from the slider since opening
    HWND Window;            // the open dialog, NULL when none is open
};

extern SensitivityDialogState SensitivityDialog;

INT_PTR CALLBACK SensitivityDialogProc(HWND dialog, UINT message,
                                       WPARAM wParam, LPARAM lParam);

// Range, position and ticks of the dialog's slider, in that order.
void InitSensitivitySlider(HWND dialog, LONG position);

// Where a window of this outer rectangle stands when centred on a screen of
// this size: 0 on an axis where the screen is not larger than the window.
POINT CentredWindowOrigin(int screenWidth, int screenHeight, const RECT &window);

// Moves the window to the centre of the primary screen, keeping its size.
void CentreWindowOnScreen(HWND window);

// Runs the dialog, from the owner's module, modally with the owner disabled;
// 1 for OK, 0 for Cancel, -1 when none ran.  While one is open, a second request brings it to the
// front instead of opening another over it.
INT_PTR RunSensitivityDialog(HWND owner);

#endif
