#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "ui/sensitivity_harness.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"
#include "ui/sensitivity_dialog.h"

DialogHarnessState DialogHarness;

#define WM_HARNESS_STEP (WM_APP + 61)
#define WM_HARNESS_CHECK (WM_APP + 62)

static void RunHarnessStep(size_t index)
{
    HWND dialog = FindSensitivityDialog();
    if (!dialog) {
        ADD_FAILURE() << "step " << index << ": the dialog is not open";
        return;
    }
    DialogHarness.StepsRun = index + 1;
    DialogHarness.Steps[index](dialog);
    if (index + 1 < DialogHarness.Steps.size())
        PostMessageA(DialogHarness.Owner, WM_HARNESS_STEP, index + 1, 0);
    else
        PostMessageA(DialogHarness.Owner, WM_HARNESS_CHECK, 0, 0);
}

static void CheckDialogEnded()
{
    HWND dialog = FindSensitivityDialog();
    if (DialogHarness.EndsWithoutAButton)
        return;
    if (dialog && IsWindowVisible(dialog)) {
        DialogHarness.DialogLeftOpen = true;
        ADD_FAILURE() << "the steps left the dialog open";
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// The main window of the tests: no discovery wait at creation, everything
// else goes to the program's own procedure.
static INT_PTR CALLBACK HarnessMainWindowProc(HWND window, UINT message,
                                              WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        App.MainWindow = window;
        return TRUE;
    case WM_HARNESS_STEP:
        RunHarnessStep((size_t)wParam);
        return TRUE;
    case WM_HARNESS_CHECK:
        CheckDialogEnded();
        return TRUE;
    case WM_SENSITIVITY_SCROLLED:
        DialogHarness.Scrolled.push_back({message, wParam, lParam});
        break;
    case WM_COMMAND: {
        INT_PTR result = MainWindowProc(window, message, wParam, lParam);
        DialogHarness.CommandResults.push_back(result);
        return result;
    }
    }
    return MainWindowProc(window, message, wParam, lParam);
}

void SetUpDialogHarness()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    RegisterMainWindowClass(App.Instance);  // already there in a second test
    CloseDriverChannel();
    ResetFakeOs();
    ResetTabletSettings();
    App.ShutdownStarted = 0;
    App.SettingsLoadAttempted = 0;
    App.SettingsSaved = 0;
    DialogHarness.Steps.clear();
    DialogHarness.StepsRun = 0;
    DialogHarness.DialogLeftOpen = false;
    DialogHarness.EndsWithoutAButton = false;
    DialogHarness.QuitSeen = false;
    DialogHarness.Scrolled.clear();
    DialogHarness.CommandResults.clear();
    DialogHarness.Owner = CreateDialogParamA(
        App.Instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, HarnessMainWindowProc, 0);
    ASSERT_TRUE(DialogHarness.Owner != NULL);
}

void TearDownDialogHarness()
{
    CloseDriverChannel();
    if (DialogHarness.Owner)
        DestroyWindow(DialogHarness.Owner);
    DialogHarness.Owner = NULL;
    App.MainWindow = NULL;
    PumpPendingMessages();
}

HWND FindSensitivityDialog()
{
    return FindWindowA("#32770", SENSITIVITY_DIALOG_CAPTION);
}

HWND SliderOf(HWND dialog)
{
    return GetDlgItem(dialog, IDC_SENSITIVITY_SLIDER);
}

LONG SliderPosition(HWND dialog)
{
    return (LONG)SendMessageA(SliderOf(dialog), TBM_GETPOS, 0, 0);
}

void MoveSlider(HWND dialog, int position, WORD code)
{
    HWND slider = SliderOf(dialog);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position), (LPARAM)slider);
}

void PressButton(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

static void QueueSteps(const std::vector<DialogStep> &steps)
{
    DialogHarness.Steps = steps;
    DialogHarness.StepsRun = 0;
    if (!steps.empty())
        PostMessageA(DialogHarness.Owner, WM_HARNESS_STEP, 0, 0);
}

INT_PTR RunSensitivityDialogSteps(const std::vector<DialogStep> &steps)
{
    QueueSteps(steps);
    INT_PTR result = RunSensitivityDialog(DialogHarness.Owner);
    PumpPendingMessages();
    return result;
}

INT_PTR RunDialogSteps(const std::vector<DialogStep> &steps)
{
    QueueSteps(steps);
    DialogHarness.CommandResults.clear();
    SendMessageA(DialogHarness.Owner, WM_COMMAND, IDM_SENSITIVITY, 0);
    // Commands the steps send return inside the dialog, before this one.
    INT_PTR result = DialogHarness.CommandResults.empty()
                         ? -1 : DialogHarness.CommandResults.back();
    PumpPendingMessages();
    return result;
}

void PumpPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            DialogHarness.QuitSeen = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LONG CurrentSensitivity()
{
    LockSettings();
    LONG value = TabletSettings.Sensitivity;
    UnlockSettings();
    return value;
}

void SetCurrentSensitivity(LONG value)
{
    LockSettings();
    TabletSettings.Sensitivity = value;
    UnlockSettings();
}

std::vector<DWORD> SentSensitivities()
{
    std::vector<DWORD> values;
    for (const FakeDriverRequest &r : FakeRequestsOfCode(IOCTL_TABLET_SET_SENSITIVITY))
        values.push_back(FakeRequestValue(r));
    return values;
}

#define VENDOR_KEY_PATH "Software\\VELLUM"

StoredKeySnapshot SnapshotStoredKey()
{
    StoredKeySnapshot snapshot;
    snapshot.Existed = false;
    HKEY key;
    snapshot.VendorKeyExisted =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH, 0, KEY_READ, &key) ==
        ERROR_SUCCESS;
    if (snapshot.VendorKeyExisted)
        RegCloseKey(key);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return snapshot;
    snapshot.Existed = true;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[1024];
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        snapshot.Values.push_back({name, type, std::vector<BYTE>(data, data + dataSize)});
    }
    RegCloseKey(key);
    return snapshot;
}

static void DeleteStoredKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
}

void RestoreStoredKey(const StoredKeySnapshot &snapshot)
{
    DeleteStoredKey();
    if (!snapshot.VendorKeyExisted) {
        // The tests made the whole path: take it away again.
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH "\\Tablet\\CurrentVersion");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH "\\Tablet");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH);
    }
    if (!snapshot.Existed)
        return;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                              KEY_WRITE, NULL, &key, NULL));
    for (const StoredValue &v : snapshot.Values)
        RegSetValueExA(key, v.Name.c_str(), 0, v.Type,
                       v.Data.empty() ? NULL : v.Data.data(), (DWORD)v.Data.size());
    RegCloseKey(key);
}

void WriteStoredKey(const std::vector<std::pair<const char *, DWORD>> &values)
{
    DeleteStoredKey();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, 0,
                              KEY_WRITE, NULL, &key, NULL));
    for (const auto &v : values)
        RegSetValueExA(key, v.first, 0, REG_DWORD, (const BYTE *)&v.second,
                       sizeof v.second);
    RegCloseKey(key);
}

long long ReadStoredValue(const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return -1;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)&value, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD)
        return -1;
    return value;
}
