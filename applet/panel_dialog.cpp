#include "panel_dialog.h"
#include <commctrl.h>
#include <stdio.h>
#include "panel_edits.h"
#include "panel_resource.h"
#include "panel_store.h"
#include "settings/stored_values.h"

#define SLIDER_TICK_STEP 9

static const int AreaControlIds[AREA_FIELD_COUNT] = {
    IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y
};

static void FillActionList(HWND dialog, int controlId)
{
    HWND list = GetDlgItem(dialog, controlId);
    for (int code = 0; code < ACTION_CODE_COUNT; code++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)ActionCodeNames[code]);
}

static void InitControls(HWND dialog)
{
    FillActionList(dialog, IDC_BUTTON1);
    FillActionList(dialog, IDC_BUTTON2);
    HWND slider = GetDlgItem(dialog, IDC_SENSITIVITY);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(SENSITIVITY_MIN, SENSITIVITY_MAX));
    SendMessageA(slider, TBM_SETTICFREQ, SLIDER_TICK_STEP, 0);
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        SendDlgItemMessageA(dialog, AreaControlIds[field], EM_LIMITTEXT,
                            AREA_TEXT_SIZE - 1, 0);
}

static void ShowTabletSize(HWND dialog)
{
    char text[128];
    if (Panel.Maxima.Known)
        snprintf(text, sizeof text, "Tablet: X from 0 to %ld, Y from 0 to %ld.",
                 (long)Panel.Maxima.XMax, (long)Panel.Maxima.YMax);
    else
        snprintf(text, sizeof text,
                 "The tablet is not connected: its size is not known.");
    SetDlgItemTextA(dialog, IDC_TABLET_SIZE, text);
}

static void EnableAreaFields(HWND dialog, BOOL enable)
{
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        EnableWindow(GetDlgItem(dialog, AreaControlIds[field]), enable);
}

static void CheckChoice(HWND dialog, int firstId, int secondId, int choice)
{
    CheckDlgButton(dialog, firstId, choice == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, secondId, choice == 0 ? BST_CHECKED : BST_UNCHECKED);
}

static int ReadChoice(HWND dialog, int firstId, int secondId)
{
    if (IsDlgButtonChecked(dialog, firstId) == BST_CHECKED)
        return 1;
    if (IsDlgButtonChecked(dialog, secondId) == BST_CHECKED)
        return 0;
    return -1;
}

static void ShowSettings(HWND dialog, const PanelShown *shown)
{
    CheckChoice(dialog, IDC_MODE_ABSOLUTE, IDC_MODE_RELATIVE, shown->Absolute);
    // Orientation 1 is portrait.
    CheckChoice(dialog, IDC_ORIENT_PORTRAIT, IDC_ORIENT_LANDSCAPE, shown->Orientation);
    SendDlgItemMessageA(dialog, IDC_SENSITIVITY, TBM_SETPOS, TRUE, shown->Sensitivity);
    SendDlgItemMessageA(dialog, IDC_BUTTON1, CB_SETCURSEL, (WPARAM)shown->Button1, 0);
    SendDlgItemMessageA(dialog, IDC_BUTTON2, CB_SETCURSEL, (WPARAM)shown->Button2, 0);
    CheckChoice(dialog, IDC_AREA_WHOLE, IDC_AREA_PART, shown->WholeTablet);
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        SetDlgItemTextA(dialog, AreaControlIds[field], shown->Area[field]);
    EnableAreaFields(dialog, !shown->WholeTablet);
}

static int ReadAction(HWND dialog, int controlId)
{
    LRESULT selection = SendDlgItemMessageA(dialog, controlId, CB_GETCURSEL, 0, 0);
    return selection >= 0 && selection < ACTION_CODE_COUNT ? (int)selection : -1;
}

static void ReadSettings(HWND dialog, PanelShown *shown)
{
    ZeroMemory(shown, sizeof *shown);
    shown->Absolute = ReadChoice(dialog, IDC_MODE_ABSOLUTE, IDC_MODE_RELATIVE);
    shown->Orientation = ReadChoice(dialog, IDC_ORIENT_PORTRAIT, IDC_ORIENT_LANDSCAPE);
    shown->Sensitivity = (int)SendDlgItemMessageA(dialog, IDC_SENSITIVITY, TBM_GETPOS, 0, 0);
    shown->Button1 = ReadAction(dialog, IDC_BUTTON1);
    shown->Button2 = ReadAction(dialog, IDC_BUTTON2);
    shown->WholeTablet = IsDlgButtonChecked(dialog, IDC_AREA_WHOLE) == BST_CHECKED;
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        GetDlgItemTextA(dialog, AreaControlIds[field], shown->Area[field], AREA_TEXT_SIZE);
}

// The whole tablet starts at 0, 0 and ends at the maxima, when they are known.
// A click on the choice already made changes nothing.
static void ChooseWholeTablet(HWND dialog)
{
    if (!IsWindowEnabled(GetDlgItem(dialog, IDC_START_X)))
        return;
    SetDlgItemTextA(dialog, IDC_START_X, "0");
    SetDlgItemTextA(dialog, IDC_START_Y, "0");
    if (Panel.Maxima.Known) {
        char text[AREA_TEXT_SIZE];
        snprintf(text, sizeof text, "%ld", (long)Panel.Maxima.XMax);
        SetDlgItemTextA(dialog, IDC_END_X, text);
        snprintf(text, sizeof text, "%ld", (long)Panel.Maxima.YMax);
        SetDlgItemTextA(dialog, IDC_END_Y, text);
    }
    EnableAreaFields(dialog, FALSE);
}

static void ShowProblem(HWND dialog, const char *text, int controlId)
{
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, text);
    if (controlId) {
        HWND control = GetDlgItem(dialog, controlId);
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

// Writes what the user changed and has the running program take it up.
// False, with the reason shown in the dialog, when nothing could be written.
static bool ApplySettings(HWND dialog)
{
    PanelShown now;
    ReadSettings(dialog, &now);
    PanelChanges changes;
    PanelProblem problem;
    if (!CollectChanges(&Panel.Opened, &now, Panel.SliderMoved, &Panel.Maxima,
                        &changes, &problem)) {
        ShowProblem(dialog, problem.Text, problem.ControlId);
        return false;
    }
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, "");
    if (changes.Count == 0)
        return true;
    LONG error;
    if (!WriteStoredChanges(&changes, &error)) {
        char text[PROBLEM_TEXT_SIZE];
        snprintf(text, sizeof text,
                 "The settings could not be saved: the registry refused them "
                 "(error %ld). Nothing was changed.", (long)error);
        ShowProblem(dialog, text, 0);
        return false;
    }
    for (int i = 0; i < changes.Count; i++) {
        Panel.Stored.Present[changes.Value[i]] = TRUE;
        Panel.Stored.Number[changes.Value[i]] = changes.Number[i];
    }
    Panel.Opened = now;
    Panel.SliderMoved = FALSE;
    NotifyRunningProgram();
    return true;
}

static BOOL OpenPanel(HWND dialog)
{
    InitControls(dialog);
    LONG xMax = 0, yMax = 0;
    Panel.Maxima.Known = Panel.Seams.ReadTabletMaxima(&xMax, &yMax);
    Panel.Maxima.XMax = Panel.Maxima.Known ? xMax : 0;
    Panel.Maxima.YMax = Panel.Maxima.Known ? yMax : 0;
    ShowTabletSize(dialog);
    ReadStoredSettings(&Panel.Stored);
    ShowStoredSettings(&Panel.Stored, &Panel.Opened);
    ShowSettings(dialog, &Panel.Opened);
    // What the controls hold now is the reference for "changed".
    ReadSettings(dialog, &Panel.Opened);
    Panel.SliderMoved = FALSE;
    return TRUE;
}

static INT_PTR CALLBACK PanelDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OpenPanel(dialog);
    case WM_HSCROLL:
        if ((HWND)lParam == GetDlgItem(dialog, IDC_SENSITIVITY))
            Panel.SliderMoved = TRUE;
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_AREA_WHOLE:
            if (HIWORD(wParam) == BN_CLICKED)
                ChooseWholeTablet(dialog);
            return TRUE;
        case IDC_AREA_PART:
            if (HIWORD(wParam) == BN_CLICKED)
                EnableAreaFields(dialog, TRUE);
            return TRUE;
        case IDC_APPLY:
            ApplySettings(dialog);
            return TRUE;
        case IDOK:
            if (ApplySettings(dialog))
                EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowPanelDialog(HWND owner)
{
    DialogBoxParamA(Panel.Instance, MAKEINTRESOURCEA(IDD_PANEL), owner,
                    PanelDialogProc, 0);
}
