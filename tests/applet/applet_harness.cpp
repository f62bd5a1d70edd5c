#include "applet_harness.h"
#include <commctrl.h>
#include "panel_resource.h"
#include "shared/stored_values.h"

static void PutStoredValue(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH,
                                             0, NULL, 0, KEY_WRITE, NULL, &key, NULL));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size));
    RegCloseKey(key);
}

void PutStoredDword(const char *name, DWORD number)
{
    PutStoredValue(name, REG_DWORD, &number, sizeof number);
}

void PutStoredString(const char *name, const char *text)
{
    PutStoredValue(name, REG_SZ, text, (DWORD)strlen(text) + 1);
}

bool ReadStoredDword(const char *name, DWORD *number)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *number;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)number, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *number;
}

bool StoredValueExists(const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegQueryValueExA(key, name, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

StoredNumbers ReadAllStored()
{
    static const char *const names[] = {
        VALUE_ABSOLUTE, VALUE_LANDSCAPE, VALUE_SENSITIVITY, VALUE_WORKING_AREA,
        VALUE_START_X, VALUE_START_Y, VALUE_END_X, VALUE_END_Y,
        VALUE_BUTTON1, VALUE_BUTTON2, VALUE_RECONNECT
    };
    StoredNumbers numbers;
    for (const char *name : names) {
        DWORD number;
        if (ReadStoredDword(name, &number))
            numbers[name] = number;
    }
    return numbers;
}

void PutAll(const StoredNumbers &numbers)
{
    for (const auto &entry : numbers)
        PutStoredDword(entry.first.c_str(), entry.second);
}

BOOL TabletOf20000By15000(LONG *xMax, LONG *yMax)
{
    *xMax = 20000;
    *yMax = 15000;
    return TRUE;
}

BOOL NoTablet(LONG *, LONG *)
{
    return FALSE;
}

HMODULE LoadApplet()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    char *slash = strrchr(path, '\\');
    if (!slash)
        return NULL;
    *slash = '\0';
    std::string cpl = std::string(path) + "\\..\\penpanel-seams.cpl";
    return LoadLibraryA(cpl.c_str());
}

int ReloadsReceived;

static LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TABLET_RELOAD) {
        ReloadsReceived++;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateProgramStandIn()
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    RegisterClassA(&windowClass);
    ReloadsReceived = 0;
    return CreateWindowA(MAIN_WINDOW_CLASS, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                         GetModuleHandleA(NULL), NULL);
}

void DestroyProgramStandIn(HWND window)
{
    if (window)
        DestroyWindow(window);
    UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
}

// The one dialog run at a time, and what its timer is to do.
struct DialogRun {
    const std::function<void(HWND)> *Script;
    bool Ran;
    int Attempts;
};
static DialogRun CurrentRun;

#define DIALOG_POLL_MS 20
#define DIALOG_POLL_LIMIT 250

static BOOL CALLBACK FindPanel(HWND window, LPARAM found)
{
    char caption[64], className[16];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(className, "#32770") == 0 && strcmp(caption, PANEL_CAPTION) == 0) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindPanel, (LPARAM)&dialog);
    if (!dialog || !IsWindowVisible(dialog)) {
        if (++CurrentRun.Attempts < DIALOG_POLL_LIMIT)
            return;
        KillTimer(NULL, timer);
        return;
    }
    KillTimer(NULL, timer);
    CurrentRun.Ran = true;
    (*CurrentRun.Script)(dialog);
    if (IsWindowVisible(dialog))
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

bool RunPanelDialog(APPLET_PROC applet, const std::function<void(HWND)> &script)
{
    CurrentRun.Script = &script;
    CurrentRun.Ran = false;
    CurrentRun.Attempts = 0;
    UINT_PTR timer = SetTimer(NULL, 0, DIALOG_POLL_MS, DriveDialog);
    applet(NULL, CPL_DBLCLK, 0, 0);
    if (!CurrentRun.Ran)
        KillTimer(NULL, timer);
    return CurrentRun.Ran;
}

void ClickControl(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SelectAction(HWND dialog, int id, int code)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, (WPARAM)FindActionRow(code), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
}

void MoveSlider(HWND dialog, int position)
{
    HWND slider = GetDlgItem(dialog, IDC_SENSITIVITY);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 (LPARAM)slider);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)slider);
}

void TypeText(HWND dialog, int id, const char *text)
{
    SetDlgItemTextA(dialog, id, text);
}

std::string ControlText(HWND dialog, int id)
{
    char text[256];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

#define SERVE_WAIT_MS 10

static void ServeQueuedMessages(HWND dialog)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool ServeDialogUntil(HWND dialog, const std::function<bool()> &condition,
                      DWORD milliseconds)
{
    DWORD started = GetTickCount();
    for (;;) {
        ServeQueuedMessages(dialog);
        if (condition())
            return true;
        if (GetTickCount() - started >= milliseconds)
            return condition();
        MsgWaitForMultipleObjects(0, NULL, FALSE, SERVE_WAIT_MS, QS_ALLINPUT);
    }
}

void PressKey(HWND dialog, WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    ServeQueuedMessages(dialog);
}

void PressAltKey(HWND dialog, char letter)
{
    PostMessageA(GetFocus(), WM_SYSCHAR, (WPARAM)(unsigned char)letter, 0x20000001);
    ServeQueuedMessages(dialog);
}

void MouseDown(HWND dialog, POINT point)
{
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
}

void MouseMove(HWND dialog, POINT point)
{
    SendMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
}

void MouseUp(HWND dialog, POINT point)
{
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

void AppletTest::SetUp()
{
    Saved = SaveSettingsKey();
    DeleteSettingsKey();
    Module = LoadApplet();
    ASSERT_NE((HMODULE)NULL, Module) << "penpanel.cpl not found beside the tests";
    // Through void (*)(void), the type GCC takes as "any function".
    Applet = (APPLET_PROC)(void (*)(void))GetProcAddress(Module, "CPlApplet");
    ASSERT_NE((APPLET_PROC)NULL, Applet);
    SetSeams = (SetPanelTestSeamsProc)(void (*)(void))GetProcAddress(Module,
                                                                  "SetPanelTestSeams");
    ASSERT_NE((SetPanelTestSeamsProc)NULL, SetSeams);
    // No tablet unless a test says so, whatever the machine has.
    PanelTestSeams seams = {NULL, NULL, NoTablet, NULL};
    SetSeams(&seams);
    ASSERT_NE(0, Applet(NULL, CPL_INIT, 0, 0));
    StandIn = CreateProgramStandIn();
    ASSERT_NE((HWND)NULL, StandIn);
}

void AppletTest::TearDown()
{
    if (Applet)
        Applet(NULL, CPL_EXIT, 0, 0);
    if (Module)
        FreeLibrary(Module);
    DestroyProgramStandIn(StandIn);
    RestoreSettingsKey(Saved);
}

void AppletTest::WithDialog(const std::function<void(HWND)> &script)
{
    ASSERT_TRUE(RunPanelDialog(Applet, script)) << "the dialog did not open";
}
