#include "ui/sensitivity_dialog.h"
#include <commctrl.h>
#include "device/driver_channel.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"

SensitivityDialogState SensitivityDialog;

static LONG ReadSensitivity()
{
    LockSettings();
    LONG value = TabletSettings.Sensitivity;
    UnlockSettings();
    return value;
}

static void WriteSensitivity(LONG value)
{
    LockSettings();
    TabletSettings.Sensitivity = value;
    UnlockSettings();
}

void InitSensitivitySlider(HWND dialog, LONG position)
{
    HWND slider = GetDlgItem(dialog, IDC_SENSITIVITY_SLIDER);
    SendMessageA(slider, TBM_SETRANGE, TRUE,
                 MAKELPARAM(SENSITIVITY_MIN, SENSITIVITY_MAX));
    SendMessageA(slider, TBM_SETPOS, TRUE, (LPARAM)position);
    SendMessageA(slider, TBM_SETTICFREQ, SENSITIVITY_TICK_STEP, 0);
}

POINT CentredWindowOrigin(int screenWidth, int screenHeight, const RECT &window)
{
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    POINT origin;
    origin.x = screenWidth > width ? (screenWidth - width) / 2 : 0;
    origin.y = screenHeight > height ? (screenHeight - height) / 2 : 0;
    return origin;
}

void CentreWindowOnScreen(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    POINT origin = CentredWindowOrigin(GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), rect);
    MoveWindow(window, origin.x, origin.y, rect.right - rect.left,
               rect.bottom - rect.top, TRUE);
}

static void HandleSliderScroll(HWND dialog, HWND control)
{
    SendMessageA(GetWindow(dialog, GW_OWNER), WM_SENSITIVITY_SCROLLED,
                 (WPARAM)dialog, 0);
    if (!control || GetDlgCtrlID(control) != IDC_SENSITIVITY_SLIDER)
        return;
    SensitivityDialog.SliderMoved = true;
    LONG position = (LONG)SendMessageA(control, TBM_GETPOS, 0, 0);
    // The setting follows the slider whatever the driver answers.
    WriteSensitivity(position);
    SetSensitivity((DWORD)position);
}

static void CancelSensitivityDialog(HWND dialog)
{
    if (SensitivityDialog.SliderMoved)
        WriteSensitivity(SensitivityDialog.SavedSensitivity);
    SetSensitivity((DWORD)ReadSensitivity());
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK SensitivityDialogProc(HWND dialog, UINT message,
                                       WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SensitivityDialog.Window = dialog;
        SensitivityDialog.SavedSensitivity = ReadSensitivity();
        InitSensitivitySlider(dialog, SensitivityDialog.SavedSensitivity);
        SensitivityDialog.SliderMoved = false;
        CentreWindowOnScreen(dialog);
        return TRUE;

    case WM_HSCROLL:
        HandleSliderScroll(dialog, (HWND)lParam);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // The driver already has the last slider position.
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            CancelSensitivityDialog(dialog);
            return TRUE;
        }
        return FALSE;

    case WM_DESTROY:
        if (SensitivityDialog.Window == dialog)
            SensitivityDialog.Window = NULL;
        return FALSE;
    }
    return FALSE;
}

INT_PTR RunSensitivityDialog(HWND owner)
{
    // The dialog's state exists once: a second dialog stacked over the first
    // would overwrite the value the first one's Cancel puts back.
    if (SensitivityDialog.Window && IsWindow(SensitivityDialog.Window)) {
        SetForegroundWindow(SensitivityDialog.Window);
        return -1;
    }
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SENSITIVITY), owner,
                           SensitivityDialogProc, 0);
}
