// What the applet's tests share: the applet loaded from its test copy, the
// settings key saved and put back around each test, a stand-in for the
// running program that counts reloads, and a way to work the modal dialog.
#ifndef APPLET_HARNESS_H
#define APPLET_HARNESS_H

#include <windows.h>
#include <cpl.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "panel_seams.h"
#include "settings/settings_key_guard.h"

void PutStoredDword(const char *name, DWORD number);
void PutStoredString(const char *name, const char *text);
// True with the number when the value exists as a REG_DWORD.
bool ReadStoredDword(const char *name, DWORD *number);
// True when the value exists, whatever its type.
bool StoredValueExists(const char *name);

// Every REG_DWORD among the ten values, by name.
typedef std::map<std::string, DWORD> StoredNumbers;
StoredNumbers ReadAllStored();
void PutAll(const StoredNumbers &numbers);

// A tablet seam: 20000 by 15000 units.
BOOL TabletOf20000By15000(LONG *xMax, LONG *yMax);
// A tablet seam: no tablet.
BOOL NoTablet(LONG *xMax, LONG *yMax);

// Loads the applet's test copy, penpanel-seams.cpl (penpanel.cpl with
// SetPanelTestSeams exported too), from the test program's folder's parent.
HMODULE LoadApplet();

// A top-level window of class "stylohid" in this process, counting the
// WM_TABLET_RELOAD messages it receives.
extern int ReloadsReceived;
HWND CreateProgramStandIn();
void DestroyProgramStandIn(HWND window);

// Runs CPL_DBLCLK; once the dialog is up, the script is run on it from a
// timer of this thread.  If the dialog is still shown after the script, it
// is cancelled.  Returns false if the dialog never appeared.
bool RunPanelDialog(APPLET_PROC applet, const std::function<void(HWND)> &script);

// Working the controls as a user would.
void ClickControl(HWND dialog, int id);
void SelectAction(HWND dialog, int id, int code);
void MoveSlider(HWND dialog, int position);
void TypeText(HWND dialog, int id, const char *text);
std::string ControlText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// Serves this thread's messages as the dialog's own loop does (keys through
// IsDialogMessage) until the condition holds or the time is up; the
// condition's last answer.
bool ServeDialogUntil(HWND dialog, const std::function<bool()> &condition,
                      DWORD milliseconds);
// A key pressed in the focused control (Alt with it for WM_SYSCHAR), its
// messages served.
void PressKey(HWND dialog, WPARAM key);
void PressAltKey(HWND dialog, char letter);
// The mouse in the dialog, at a point of its client area.
void MouseDown(HWND dialog, POINT point);
void MouseMove(HWND dialog, POINT point);
void MouseUp(HWND dialog, POINT point);

class AppletTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the dialog and runs the script on it; fails the test if the
    // dialog did not open.
    void WithDialog(const std::function<void(HWND)> &script);

    SettingsKeyGuard Saved;
    HMODULE Module = NULL;
    APPLET_PROC Applet = NULL;
    SetPanelTestSeamsProc SetSeams = NULL;
    HWND StandIn = NULL;
};

#endif
