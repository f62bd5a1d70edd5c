#include "panel_dialog.h"
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include <windowsx.h>
#include "area_picture.h"
#include "panel_edits.h"
#include "panel_profiles.h"
#include "panel_resource.h"
#include "panel_screens.h"
#include "panel_store.h"
#include "program_start.h"
#include "shared/stored_values.h"

// How often the state line looks for the running program.
#define PROGRAM_TIMER_ID 1
#define PROGRAM_POLL_MS 500
#define START_MESSAGE_SIZE (MAX_PATH + 160)

static void FillActionList(HWND dialog, int controlId)
{
    HWND list = GetDlgItem(dialog, controlId);
    for (int row = 0; row < ACTION_NAME_COUNT; row++)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)ActionListText(row));
}

static void InitControls(HWND dialog)
{
    FillActionList(dialog, IDC_BUTTON1);
    FillActionList(dialog, IDC_BUTTON2);
    HWND slider = GetDlgItem(dialog, IDC_SENSITIVITY);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(SENSITIVITY_MIN, SENSITIVITY_MAX));
    SendMessageA(slider, TBM_SETTICFREQ, SENSITIVITY_TICK_STEP, 0);
    HWND steadiness = GetDlgItem(dialog, IDC_SMOOTHING);
    SendMessageA(steadiness, TBM_SETRANGE, TRUE, MAKELPARAM(0, SMOOTHING_MAX));
    SendMessageA(steadiness, TBM_SETTICFREQ, 1, 0);
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        SendDlgItemMessageA(dialog, AreaFieldIds[field], EM_LIMITTEXT,
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
                 "The tablet is not connected: outline not to scale.");
    SetDlgItemTextA(dialog, IDC_TABLET_SIZE, text);
}

static void EnableAreaFields(HWND dialog, BOOL enable)
{
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        EnableWindow(GetDlgItem(dialog, AreaFieldIds[field]), enable);
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
    // A code that does nothing selects no row (-1).
    SendDlgItemMessageA(dialog, IDC_BUTTON1, CB_SETCURSEL,
                        (WPARAM)FindActionRow(shown->Button1), 0);
    SendDlgItemMessageA(dialog, IDC_BUTTON2, CB_SETCURSEL,
                        (WPARAM)FindActionRow(shown->Button2), 0);
    CheckChoice(dialog, IDC_AREA_WHOLE, IDC_AREA_PART, shown->WholeTablet);
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        SetDlgItemTextA(dialog, AreaFieldIds[field], shown->Area[field]);
    EnableAreaFields(dialog, !shown->WholeTablet);
    CheckDlgButton(dialog, IDC_RECONNECT, shown->Reconnect ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_SMOOTHING, TBM_SETPOS, TRUE, shown->Smoothing);
    CheckDlgButton(dialog, IDC_STEADY_CLICKS,
                   shown->SteadyClicks ? BST_CHECKED : BST_UNCHECKED);
}

static int ReadAction(HWND dialog, int controlId)
{
    LRESULT selection = SendDlgItemMessageA(dialog, controlId, CB_GETCURSEL, 0, 0);
    return selection >= 0 && selection < ACTION_NAME_COUNT
        ? ActionNames[selection].Code : -1;
}

static void ReadSettings(HWND dialog, PanelShown *shown)
{
    ZeroMemory(shown, sizeof *shown);
    shown->Absolute = ReadChoice(dialog, IDC_MODE_ABSOLUTE, IDC_MODE_RELATIVE);
    shown->Orientation = ReadChoice(dialog, IDC_ORIENT_PORTRAIT, IDC_ORIENT_LANDSCAPE);
    shown->Sensitivity = (int)SendDlgItemMessageA(dialog, IDC_SENSITIVITY, TBM_GETPOS, 0, 0);
    shown->StartingSensitivity = Panel.StartingSensitivity;
    shown->Button1 = ReadAction(dialog, IDC_BUTTON1);
    shown->Button2 = ReadAction(dialog, IDC_BUTTON2);
    shown->WholeTablet = IsDlgButtonChecked(dialog, IDC_AREA_WHOLE) == BST_CHECKED;
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        GetDlgItemTextA(dialog, AreaFieldIds[field], shown->Area[field], AREA_TEXT_SIZE);
    shown->Reconnect = IsDlgButtonChecked(dialog, IDC_RECONNECT) == BST_CHECKED;
    shown->Smoothing = (int)SendDlgItemMessageA(dialog, IDC_SMOOTHING, TBM_GETPOS, 0, 0);
    shown->SteadyClicks = IsDlgButtonChecked(dialog, IDC_STEADY_CLICKS) == BST_CHECKED;
}

// The fields of the whole tablet: 0, 0 and the maxima.  Where the maxima are
// not known, the ends go back to what is stored: a number typed there goes
// with the part of the tablet, and is not left greyed where it could be
// refused and not put right.
static void ShowWholeTabletFields(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_START_X, "0");
    SetDlgItemTextA(dialog, IDC_START_Y, "0");
    if (Panel.Maxima.Known) {
        char text[AREA_TEXT_SIZE];
        snprintf(text, sizeof text, "%ld", (long)Panel.Maxima.XMax);
        SetDlgItemTextA(dialog, IDC_END_X, text);
        snprintf(text, sizeof text, "%ld", (long)Panel.Maxima.YMax);
        SetDlgItemTextA(dialog, IDC_END_Y, text);
    } else {
        SetDlgItemTextA(dialog, IDC_END_X, Panel.Opened.Area[AREA_END_X]);
        SetDlgItemTextA(dialog, IDC_END_Y, Panel.Opened.Area[AREA_END_Y]);
    }
}

// Chooses the whole tablet.  Choosing it again changes nothing.
static void ChooseWholeTablet(HWND dialog)
{
    CheckRadioButton(dialog, IDC_AREA_WHOLE, IDC_AREA_PART, IDC_AREA_WHOLE);
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_START_X))) {
        ShowWholeTabletFields(dialog);
        EnableAreaFields(dialog, FALSE);
    }
    FollowAreaFields(dialog);
}

static void ChoosePartOfTablet(HWND dialog)
{
    EnableAreaFields(dialog, TRUE);
    FollowAreaFields(dialog);
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
// A profile is written whole, every field's value, so that it holds all
// it applies.
static bool ApplySettings(HWND dialog)
{
    PanelShown now;
    ReadSettings(dialog, &now);
    PanelShown opened = Panel.Opened;
    if (Panel.Profile[0])
        MakeEveryFieldChanged(&now, &opened);
    PanelChanges changes;
    PanelProblem problem;
    if (!CollectChanges(&opened, &now, Panel.SliderMoved, &Panel.Maxima,
                        &changes, &problem)) {
        ShowProblem(dialog, problem.Text, problem.ControlId);
        return false;
    }
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, "");
    char screen[SCREEN_NAME_SIZE];
    if (Panel.Profile[0])
        ReadScreenChoice(dialog, screen);
    changes.Screen = Panel.Profile[0] || ReadScreenChange(dialog, screen) ? screen : NULL;
    if (changes.Count == 0 && !changes.Screen)
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
    // The area fields are compared with what is stored, not with what the
    // whole tablet shows in them.
    PanelShown stored;
    ShowStoredSettings(&Panel.Stored, &stored);
    memcpy(Panel.Opened.Area, stored.Area, sizeof stored.Area);
    Panel.SliderMoved = FALSE;
    NoteScreenApplied(dialog);
    NotifyRunningProgram();
    return true;
}

// Every control back to the program's starting values, as if nothing were
// stored; written, like any change, by OK or Apply.
static void ShowStartingValues(HWND dialog)
{
    StoredSettings nothing;
    ZeroMemory(&nothing, sizeof nothing);
    PanelShown start, now;
    ShowStoredSettings(&nothing, &start);
    ReadSettings(dialog, &now);
    // The area as it is, then the whole tablet chosen as a click chooses it.
    start.WholeTablet = now.WholeTablet;
    memcpy(start.Area, now.Area, sizeof now.Area);
    ShowSettings(dialog, &start);
    ChooseWholeTablet(dialog);
    ChooseMainScreen(dialog);
    Panel.SliderMoved = FALSE;
    Panel.StartingSensitivity = TRUE;
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, "");
}

// The state line, and the Start button while the program does not run.
static void ShowProgramState(HWND dialog)
{
    int running = IsProgramRunning() ? 1 : 0;
    if (running == Panel.ProgramShown)
        return;
    Panel.ProgramShown = running;
    SetDlgItemTextA(dialog, IDC_PROGRAM_STATE, running
        ? "The tablet program is running: OK and Apply take effect at once."
        : "The tablet program is not running: the settings take effect when it starts.");
    HWND start = GetDlgItem(dialog, IDC_START_PROGRAM);
    if (running && GetFocus() == start)
        SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
    ShowWindow(start, running ? SW_HIDE : SW_SHOW);
}

static void StartProgram(HWND dialog)
{
    char path[MAX_PATH];
    DWORD error = StartInstalledProgram(path, sizeof path);
    char text[START_MESSAGE_SIZE] = "";
    if (error == ERROR_FILE_NOT_FOUND && !path[0])
        snprintf(text, sizeof text, "The tablet program was not found.");
    else if (error == ERROR_FILE_NOT_FOUND)
        snprintf(text, sizeof text,
                 "The tablet program was not found: it is not installed, and %s "
                 "does not exist.", path);
    else if (error != ERROR_SUCCESS)
        snprintf(text, sizeof text,
                 "The tablet program %s could not be started (error %lu).", path,
                 (unsigned long)error);
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, text);
    ShowProgramState(dialog);
}

// The stored values of the settings chosen in the Profile list, in every
// control; what they show now is the reference for "changed".
static void ShowStoredValues(HWND dialog)
{
    ReadStoredSettings(&Panel.Stored);
    ShowStoredSettings(&Panel.Stored, &Panel.Opened);
    Panel.StartingSensitivity = Panel.Opened.StartingSensitivity;
    ShowSettings(dialog, &Panel.Opened);
    // What the controls hold now is the reference for "changed".
    ReadSettings(dialog, &Panel.Opened);
    Panel.SliderMoved = FALSE;
    // The whole tablet shows the area in force.
    if (Panel.Opened.WholeTablet && Panel.Maxima.Known)
        ShowWholeTabletFields(dialog);
    FollowAreaFields(dialog);
    SetUpScreenChoice(dialog);
    EnableProfileControls(dialog);
}

static BOOL OpenPanel(HWND dialog)
{
    InitControls(dialog);
    // The program keeps its profile while the applet is in front.
    SetPropA(dialog, KEEP_PROFILE_PROPERTY, (HANDLE)1);
    LONG xMax = 0, yMax = 0;
    Panel.Maxima.Known = Panel.Seams.ReadTabletMaxima(&xMax, &yMax);
    Panel.Maxima.XMax = Panel.Maxima.Known ? xMax : 0;
    Panel.Maxima.YMax = Panel.Maxima.Known ? yMax : 0;
    ShowTabletSize(dialog);
    SetUpAreaPicture(dialog);
    SetUpProfileList(dialog, "");
    ShowStoredValues(dialog);
    Panel.ProgramShown = -1;
    ShowProgramState(dialog);
    SetTimer(dialog, PROGRAM_TIMER_ID, PROGRAM_POLL_MS, NULL);
    return TRUE;
}

static POINT MessagePoint(LPARAM lParam)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return point;
}

static BOOL HandleSliderScroll(HWND dialog, HWND control)
{
    if (control == GetDlgItem(dialog, IDC_SENSITIVITY)) {
        Panel.SliderMoved = TRUE;
        Panel.StartingSensitivity = FALSE;
    }
    return TRUE;
}

static BOOL HandleDrawItem(WPARAM controlId, const DRAWITEMSTRUCT *item)
{
    if (controlId == IDC_SCREEN_PICTURE)
        DrawScreenPicture(item);
    else if (controlId == IDC_AREA_PICTURE)
        DrawAreaPicture(item);
    else
        return FALSE;
    return TRUE;
}

static BOOL HandleSetCursor(HWND dialog, HWND window, LPARAM lParam)
{
    if (window != dialog || LOWORD(lParam) != HTCLIENT || !SetAreaCursor(dialog))
        return FALSE;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

static BOOL HandleDragEnd(HWND dialog)
{
    EndAreaDrag(dialog);
    return TRUE;
}

static BOOL HandlePanelTimer(HWND dialog, WPARAM timerId)
{
    if (timerId == PROGRAM_TIMER_ID)
        ShowProgramState(dialog);
    return TRUE;
}

static void HandleOk(HWND dialog)
{
    if (ApplySettings(dialog))
        EndDialog(dialog, IDOK);
}

static void ShowChosenProfile(HWND dialog)
{
    TakeChosenProfile(dialog);
    SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, "");
    ShowStoredValues(dialog);
}

// A new profile of the fields as shown, written whole, then shown.
static void MakeNewProfile(HWND dialog)
{
    char name[PROFILE_NAME_SIZE];
    if (!AskProfileName(dialog, name))
        return;
    char shown[PROFILE_NAME_SIZE];
    lstrcpynA(shown, Panel.Profile, sizeof shown);
    lstrcpynA(Panel.Profile, name, sizeof Panel.Profile);
    if (!ApplySettings(dialog)) {
        lstrcpynA(Panel.Profile, shown, sizeof Panel.Profile);
        return;
    }
    SetUpProfileList(dialog, name);
    ShowStoredValues(dialog);
}

static void DeleteProfile(HWND dialog)
{
    if (!DeleteShownProfile(dialog))
        return;
    SetUpProfileList(dialog, "");
    ShowStoredValues(dialog);
}

// WM_COMMAND: one handler per control, each for the notification it acts on.
static BOOL HandlePanelCommand(HWND dialog, WORD id, WORD code)
{
    switch (id) {
    case IDC_AREA_WHOLE:
        if (code == BN_CLICKED)
            ChooseWholeTablet(dialog);
        return TRUE;
    case IDC_AREA_PART:
        if (code == BN_CLICKED)
            ChoosePartOfTablet(dialog);
        return TRUE;
    case IDC_START_X:
    case IDC_START_Y:
    case IDC_END_X:
    case IDC_END_Y:
        if (code == EN_CHANGE)
            FollowAreaFields(dialog);
        return TRUE;
    case IDC_DEFAULTS:
        ShowStartingValues(dialog);
        return TRUE;
    case IDC_SCREEN:
        if (code == CBN_SELCHANGE)
            ShowChosenScreen(dialog);
        return TRUE;
    case IDC_ORIENT_LANDSCAPE:
    case IDC_ORIENT_PORTRAIT:
        if (code == BN_CLICKED)
            ShowChosenScreen(dialog);
        return TRUE;
    case IDC_MATCH_SCREEN:
        MatchScreenProportions(dialog);
        return TRUE;
    case IDC_START_PROGRAM:
        StartProgram(dialog);
        return TRUE;
    case IDC_PROFILE:
        if (code == CBN_SELCHANGE)
            ShowChosenProfile(dialog);
        return TRUE;
    case IDC_PROFILE_NEW:
        MakeNewProfile(dialog);
        return TRUE;
    case IDC_PROFILE_DELETE:
        DeleteProfile(dialog);
        return TRUE;
    case IDC_PROFILE_PROGRAMS:
        EditProfilePrograms(dialog);
        return TRUE;
    case IDC_APPLY:
        ApplySettings(dialog);
        return TRUE;
    case IDOK:
        HandleOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK PanelDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OpenPanel(dialog);
    case WM_HSCROLL:
        return HandleSliderScroll(dialog, (HWND)lParam);
    case WM_DRAWITEM:
        return HandleDrawItem(wParam, (const DRAWITEMSTRUCT *)lParam);
    case WM_LBUTTONDOWN:
        return PressAreaPicture(dialog, MessagePoint(lParam));
    case WM_MOUSEMOVE:
        return DragAreaPicture(dialog, MessagePoint(lParam));
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        return HandleDragEnd(dialog);
    case WM_SETCURSOR:
        return HandleSetCursor(dialog, (HWND)wParam, lParam);
    case WM_TIMER:
        return HandlePanelTimer(dialog, wParam);
    case WM_COMMAND:
        return HandlePanelCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:
        RemovePropA(dialog, KEEP_PROFILE_PROPERTY);
        return FALSE;
    }
    return FALSE;
}

void ShowPanelDialog(HWND owner)
{
    DialogBoxParamA(Panel.Instance, MAKEINTRESOURCEA(IDD_PANEL), owner,
                    PanelDialogProc, 0);
}
