#include "panel_profiles.h"
#include <stdio.h>
#include <string.h>
#include "os/os.h"
#include "panel_resource.h"
#include "shared/screen_layout.h"

// How long a running program may take over the profiles before it is given up.
#define PROFILES_TIMEOUT_MS 5000
#define PROGRAMS_TEXT_SIZE 4096
#define WINDOW_LIST_MAX 256

static void ShownProfileKeyPath(char *path, int size)
{
    MakeProfileKeyPath(Panel.Profile, path, size);
}

void SetUpProfileList(HWND dialog, const char *select)
{
    static char names[PROFILE_COUNT_MAX][PROFILE_NAME_SIZE];
    HWND list = GetDlgItem(dialog, IDC_PROFILE);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)MACHINE_SETTINGS_LABEL);
    int count = ListProfileNames(names, PROFILE_COUNT_MAX);
    int chosen = 0;
    for (int i = 0; i < count; i++) {
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)names[i]);
        if (select[0] && CompareProfileNames(names[i], select) == 0)
            chosen = i + 1;
    }
    SendMessageA(list, CB_SETCURSEL, (WPARAM)chosen, 0);
    TakeChosenProfile(dialog);
}

void TakeChosenProfile(HWND dialog)
{
    LRESULT item = SendDlgItemMessageA(dialog, IDC_PROFILE, CB_GETCURSEL, 0, 0);
    Panel.Profile[0] = '\0';
    if (item > 0)
        SendDlgItemMessageA(dialog, IDC_PROFILE, CB_GETLBTEXT, (WPARAM)item,
                            (LPARAM)Panel.Profile);
}

void EnableProfileControls(HWND dialog)
{
    BOOL profile = Panel.Profile[0] != '\0';
    HWND focus = GetFocus();
    EnableWindow(GetDlgItem(dialog, IDC_PROFILE_DELETE), profile);
    EnableWindow(GetDlgItem(dialog, IDC_PROFILE_PROGRAMS), profile);
    EnableWindow(GetDlgItem(dialog, IDC_RECONNECT), !profile);
    if (focus && !IsWindowEnabled(focus))
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_PROFILE), TRUE);
}

static bool OpenShownProfile(HKEY *key)
{
    char path[MAX_PATH];
    ShownProfileKeyPath(path, sizeof path);
    return Panel.Profile[0] &&
           RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
}

void ReadProfileOverlay(StoredSettings *stored)
{
    HKEY key;
    if (!OpenShownProfile(&key))
        return;
    // Every value a profile holds but the unplug choice, the machine's own:
    // the ten, which come first among the applet's values, and the two of
    // the steadiness.
    for (int value = 0; value < PANEL_VALUE_COUNT; value++) {
        if (value == PANEL_RECONNECT)
            continue;
        DWORD type = 0, number = 0, size = sizeof number;
        if (RegQueryValueExA(key, PanelValueName(value), NULL, &type, (BYTE *)&number,
                             &size) == ERROR_SUCCESS &&
            IsFourByteDword(type, size)) {
            stored->Present[value] = TRUE;
            stored->Number[value] = number;
        }
    }
    RegCloseKey(key);
}

void ReadProfileScreen(char *screen)
{
    HKEY key;
    if (!OpenShownProfile(&key))
        return;
    char choice[SCREEN_NAME_SIZE];
    if (ReadScreenValue(key, choice))
        lstrcpynA(screen, choice, SCREEN_NAME_SIZE);
    RegCloseKey(key);
}

LONG OpenProfileKeyForWrite(HKEY *key)
{
    char path[MAX_PATH];
    ShownProfileKeyPath(path, sizeof path);
    return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE | KEY_QUERY_VALUE, NULL, key, NULL);
}

void MakeEveryFieldChanged(const PanelShown *now, PanelShown *opened)
{
    // No control shows these: each choice differs, each field is new, the
    // slider's starting value too.
    ZeroMemory(opened, sizeof *opened);
    opened->Absolute = opened->Orientation = -2;
    opened->Button1 = opened->Button2 = -2;
    opened->Sensitivity = -1;
    opened->StartingSensitivity = FALSE;
    opened->WholeTablet = -1;
    opened->Reconnect = now->Reconnect;
    opened->Smoothing = opened->SteadyClicks = -1;
}

void NotifyProgramOfProfiles()
{
    HWND program = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    DWORD_PTR result;
    if (program)
        SendMessageTimeoutA(program, WM_TABLET_PROFILES, 0, 0,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, PROFILES_TIMEOUT_MS, &result);
}

// ---- New...: the name ------------------------------------------------------

static bool ProfileExists(const char *name)
{
    char path[MAX_PATH];
    MakeProfileKeyPath(name, path, sizeof path);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static INT_PTR CALLBACK ProfileNameProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SendDlgItemMessageA(dialog, IDC_PROFILE_NAME, EM_LIMITTEXT, PROFILE_NAME_MAX, 0);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK)
        return FALSE;
    char *name = (char *)GetWindowLongPtrA(dialog, DWLP_USER);
    char typed[PROFILE_NAME_SIZE + 1] = "";
    GetDlgItemTextA(dialog, IDC_PROFILE_NAME, typed, sizeof typed);
    const char *problem = ProfileNameProblem(typed);
    char text[200];
    if (problem)
        snprintf(text, sizeof text, "Not a profile's name: %s.", problem);
    else if (ProfileExists(typed))
        snprintf(text, sizeof text, "There is a profile \"%s\" already.", typed);
    if (problem || ProfileExists(typed)) {
        SetDlgItemTextA(dialog, IDC_PROFILE_NAME_MESSAGE, text);
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_PROFILE_NAME), TRUE);
        return TRUE;
    }
    lstrcpynA(name, typed, PROFILE_NAME_SIZE);
    EndDialog(dialog, IDOK);
    return TRUE;
}

bool AskProfileName(HWND dialog, char *name)
{
    return DialogBoxParamA(Panel.Instance, MAKEINTRESOURCEA(IDD_PROFILE_NAME), dialog,
                           ProfileNameProc, (LPARAM)name) == IDOK;
}

// ---- Delete ------------------------------------------------------------------

bool DeleteShownProfile(HWND dialog)
{
    char text[160];
    snprintf(text, sizeof text, "Delete the profile \"%s\"?", Panel.Profile);
    if (MessageBoxA(dialog, text, PANEL_CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    char path[MAX_PATH];
    ShownProfileKeyPath(path, sizeof path);
    LONG error = RegDeleteKeyA(HKEY_CURRENT_USER, path);
    if (error != ERROR_SUCCESS) {
        snprintf(text, sizeof text, "The profile could not be deleted (error %ld).",
                 (long)error);
        SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, text);
        return false;
    }
    // A choice of it by hand goes with it.
    HKEY key;
    char chosen[PROFILE_NAME_SIZE] = "";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, USER_KEY_PATH, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) == ERROR_SUCCESS) {
        if (ReadTextValue(key, VALUE_PROFILE, chosen, sizeof chosen) &&
            CompareProfileNames(chosen, Panel.Profile) == 0)
            RegDeleteValueA(key, VALUE_PROFILE);
        RegCloseKey(key);
    }
    NotifyProgramOfProfiles();
    return true;
}

// ---- Programs...: the list, and a window's program added to it --------------

static struct {
    int Count;
    char Programs[WINDOW_LIST_MAX][MAX_PATH];  // each listed window's program file
    char *Picked;                              // where OK puts the chosen one
} WindowList;

static BOOL CALLBACK ListWindow(HWND window, LPARAM list)
{
    char title[128];
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (WindowList.Count >= WINDOW_LIST_MAX || !IsWindowVisible(window) ||
        GetWindow(window, GW_OWNER) || processId == GetCurrentProcessId() ||
        (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) ||
        GetWindowTextA(window, title, sizeof title) == 0)
        return TRUE;
    char path[MAX_PATH];
    if (!OsReadWindowProgram(window, path, sizeof path))
        return TRUE;
    const char *file = ProgramFileName(path);
    char text[sizeof title + MAX_PATH + 8];
    snprintf(text, sizeof text, "%s  (%s)", title, file);
    LRESULT item = SendMessageA((HWND)list, LB_ADDSTRING, 0, (LPARAM)text);
    if (item >= 0) {
        SendMessageA((HWND)list, LB_SETITEMDATA, (WPARAM)item, WindowList.Count);
        lstrcpynA(WindowList.Programs[WindowList.Count++], file, MAX_PATH);
    }
    return TRUE;
}

static void TakePickedWindow(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
    LRESULT item = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (item < 0)
        return;
    LRESULT index = SendMessageA(list, LB_GETITEMDATA, (WPARAM)item, 0);
    lstrcpynA(WindowList.Picked, WindowList.Programs[index], MAX_PATH);
    EndDialog(dialog, IDOK);
}

static INT_PTR CALLBACK PickWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        WindowList.Count = 0;
        EnumWindows(ListWindow, (LPARAM)GetDlgItem(dialog, IDC_WINDOW_LIST));
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    WORD id = LOWORD(wParam);
    if (id == IDOK || (id == IDC_WINDOW_LIST && HIWORD(wParam) == LBN_DBLCLK))
        TakePickedWindow(dialog);
    else if (id == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
    else
        return FALSE;
    return TRUE;
}

// The picked window's program on a line of its own, unless it is listed.
static void AddWindowProgram(HWND dialog)
{
    char program[MAX_PATH] = "";
    WindowList.Picked = program;
    if (DialogBoxParamA(Panel.Instance, MAKEINTRESOURCEA(IDD_PICK_WINDOW), dialog,
                        PickWindowProc, 0) != IDOK)
        return;
    char text[PROGRAMS_TEXT_SIZE];
    GetDlgItemTextA(dialog, IDC_PROGRAMS_LIST, text, sizeof text);
    for (char *line = strtok(text, "\r\n"); line; line = strtok(NULL, "\r\n"))
        if (lstrcmpiA(line, program) == 0)
            return;
    GetDlgItemTextA(dialog, IDC_PROGRAMS_LIST, text, sizeof text);
    size_t length = strlen(text);
    snprintf(text + length, sizeof text - length, "%s%s",
             length && text[length - 1] != '\n' ? "\r\n" : "", program);
    SetDlgItemTextA(dialog, IDC_PROGRAMS_LIST, text);
}

static void ShowPrograms(HWND dialog)
{
    char caption[PROFILE_NAME_SIZE + 32], intro[PROFILE_NAME_SIZE + 160];
    snprintf(caption, sizeof caption, "Programs of %s", Panel.Profile);
    SetWindowTextA(dialog, caption);
    snprintf(intro, sizeof intro,
             "%s applies by itself while one of these programs is in front: one file "
             "name a line, such as notepad.exe.", Panel.Profile);
    SetDlgItemTextA(dialog, IDC_PROGRAMS_INTRO, intro);
    char programs[PROGRAMS_TEXT_SIZE], text[PROGRAMS_TEXT_SIZE * 2] = "";
    ZeroMemory(programs, sizeof programs);
    HKEY key;
    DWORD type = 0, size = sizeof programs - 2;
    if (OpenShownProfile(&key)) {
        if (RegQueryValueExA(key, VALUE_PROGRAMS, NULL, &type, (BYTE *)programs, &size) !=
                ERROR_SUCCESS || type != REG_MULTI_SZ)
            ZeroMemory(programs, sizeof programs);
        RegCloseKey(key);
    }
    for (const char *p = programs; *p; p += strlen(p) + 1) {
        strncat(text, p, sizeof text - strlen(text) - 3);
        strcat(text, "\r\n");
    }
    SetDlgItemTextA(dialog, IDC_PROGRAMS_LIST, text);
}

// The lines as a REG_MULTI_SZ (blanks around a name dropped, empty lines
// skipped); false, with the line at fault, for one that is not a file name.
static bool CollectPrograms(const char *text, char *list, DWORD *size, char *fault)
{
    char copy[PROGRAMS_TEXT_SIZE];
    lstrcpynA(copy, text, sizeof copy);
    DWORD used = 0;
    for (char *line = strtok(copy, "\r\n"); line; line = strtok(NULL, "\r\n")) {
        while (*line == ' ' || *line == '\t')
            line++;
        size_t length = strlen(line);
        while (length && (line[length - 1] == ' ' || line[length - 1] == '\t'))
            line[--length] = '\0';
        if (!length)
            continue;
        if (strpbrk(line, "\\/:") || used + length + 2 > PROGRAMS_TEXT_SIZE) {
            lstrcpynA(fault, line, MAX_PATH);
            return false;
        }
        memcpy(list + used, line, length + 1);
        used += (DWORD)length + 1;
    }
    list[used++] = '\0';
    *size = used;
    return true;
}

static void WritePrograms(HWND dialog)
{
    char text[PROGRAMS_TEXT_SIZE], list[PROGRAMS_TEXT_SIZE], fault[MAX_PATH], message[400];
    GetDlgItemTextA(dialog, IDC_PROGRAMS_LIST, text, sizeof text);
    DWORD size = 0;
    if (!CollectPrograms(text, list, &size, fault)) {
        snprintf(message, sizeof message,
                 "\"%.100s\" is not a program's file name (such as notepad.exe, without "
                 "a folder).", fault);
        SetDlgItemTextA(dialog, IDC_PROGRAMS_MESSAGE, message);
        return;
    }
    HKEY key;
    LONG error = OpenProfileKeyForWrite(&key);
    if (error == ERROR_SUCCESS) {
        error = size > 1 ? RegSetValueExA(key, VALUE_PROGRAMS, 0, REG_MULTI_SZ,
                                          (const BYTE *)list, size)
                         : RegDeleteValueA(key, VALUE_PROGRAMS);
        if (error == ERROR_FILE_NOT_FOUND)
            error = ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (error != ERROR_SUCCESS) {
        snprintf(message, sizeof message,
                 "The programs could not be saved: the registry refused them (error %ld).",
                 (long)error);
        SetDlgItemTextA(dialog, IDC_PROGRAMS_MESSAGE, message);
        return;
    }
    NotifyProgramOfProfiles();
    EndDialog(dialog, IDOK);
}

static INT_PTR CALLBACK ProgramsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowPrograms(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_PROGRAMS_ADD:
        AddWindowProgram(dialog);
        return TRUE;
    case IDOK:
        WritePrograms(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void EditProfilePrograms(HWND dialog)
{
    if (Panel.Profile[0])
        DialogBoxParamA(Panel.Instance, MAKEINTRESOURCEA(IDD_PROFILE_PROGRAMS), dialog,
                        ProgramsProc, 0);
}
