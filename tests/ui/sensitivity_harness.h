// Drives the real sensitivity dialog under Wine: a main window of the
// program's own class and template, with MainWindowProc behind it, owns the
// dialog; scripted steps run from the dialog's modal loop as messages posted
// to that main window, the way another program's messages would arrive.
#ifndef SENSITIVITY_HARNESS_H
#define SENSITIVITY_HARNESS_H

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>

typedef std::function<void(HWND dialog)> DialogStep;

struct OwnerMessage {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};

struct DialogHarnessState {
    HWND Owner;
    std::vector<DialogStep> Steps;
    size_t StepsRun;
    bool DialogLeftOpen;                 // the steps did not end the dialog
    bool EndsWithoutAButton;             // set by a test whose dialog ends otherwise
    bool QuitSeen;                       // PumpPendingMessages met WM_QUIT
    std::vector<OwnerMessage> Scrolled;  // WM_SENSITIVITY_SCROLLED at the owner
    std::vector<INT_PTR> CommandResults; // MainWindowProc results of WM_COMMAND, as they returned
};

extern DialogHarnessState DialogHarness;

// Trackbar class, main window class, a main window; fake driver reset.
void SetUpDialogHarness();
void TearDownDialogHarness();

HWND FindSensitivityDialog();
HWND SliderOf(HWND dialog);
LONG SliderPosition(HWND dialog);
// As a user's drag ends: the thumb is put at the position and the dialog is
// told with WM_HSCROLL carrying the slider's handle.
void MoveSlider(HWND dialog, int position, WORD code = TB_THUMBPOSITION);
void PressButton(HWND dialog, int id);

// Sends IDM_SENSITIVITY to the main window and runs each step, in order, from
// the dialog's modal loop; returns when HandleCommand has returned and the
// messages left over have been handled.  Returns what the main window's
// procedure returned for the command.
INT_PTR RunDialogSteps(const std::vector<DialogStep> &steps);
// The same around RunSensitivityDialog itself; returns the dialog's result.
INT_PTR RunSensitivityDialogSteps(const std::vector<DialogStep> &steps);

// Dispatches whatever is queued for this thread.
void PumpPendingMessages();

LONG CurrentSensitivity();
void SetCurrentSensitivity(LONG value);
// The values of every sensitivity request the driver received, in order.
std::vector<DWORD> SentSensitivities();

// The stored settings key (the real one, under HKEY_LOCAL_MACHINE) as it was
// before a test, put back afterwards.
struct StoredValue {
    std::string Name;
    DWORD Type;
    std::vector<BYTE> Data;
};

struct StoredKeySnapshot {
    bool VendorKeyExisted;  // "Software\\VELLUM"
    bool Existed;
    std::vector<StoredValue> Values;
};

StoredKeySnapshot SnapshotStoredKey();
void RestoreStoredKey(const StoredKeySnapshot &snapshot);
// Replaces the key with one that holds exactly these REG_DWORD values.
void WriteStoredKey(const std::vector<std::pair<const char *, DWORD>> &values);
// A REG_DWORD value of the key, or -1 when it is missing.
long long ReadStoredValue(const char *name);

#endif
