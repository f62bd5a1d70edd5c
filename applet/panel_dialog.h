// The applet's one dialog, editing every stored value.
#ifndef PANEL_DIALOG_H
#define PANEL_DIALOG_H

#include <windows.h>

// Runs the dialog modally, owned by the control panel's window.
void ShowPanelDialog(HWND owner);

#endif
