// Start-up, the message loop and the end of the program.
#include <windows.h>
#include <commctrl.h>
#include "app/app_state.h"
#include "app/startup.h"
#include "app/main_window.h"
#include "device/driver_channel.h"
#include "device/packet_reader.h"
#include "os/os.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"

void InitProcessState()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InitDriverChannel();
    InitPacketReader();
    InitSettingsStore();
}

ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = MAIN_WINDOW_CLASS_STYLE;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TABLET));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = NULL;
    wc.lpszClassName = MAIN_WINDOW_CLASS;

    typedef ATOM(WINAPI * RegisterClassExProc)(const WNDCLASSEXA *);
    RegisterClassExProc registerEx = NULL;
    HMODULE user32 = GetModuleHandleA("USER32");
    if (user32)
        registerEx = (RegisterClassExProc)(void *)GetProcAddress(user32, "RegisterClassExA");
    if (!registerEx)
        return RegisterClassA(&wc);

    WNDCLASSEXA wcx;
    ZeroMemory(&wcx, sizeof wcx);
    wcx.cbSize = sizeof wcx;
    wcx.style = wc.style;
    wcx.lpfnWndProc = wc.lpfnWndProc;
    wcx.cbClsExtra = wc.cbClsExtra;
    wcx.cbWndExtra = wc.cbWndExtra;
    wcx.hInstance = wc.hInstance;
    wcx.hIcon = wc.hIcon;
    wcx.hCursor = wc.hCursor;
    wcx.hbrBackground = wc.hbrBackground;
    wcx.lpszMenuName = wc.lpszMenuName;
    wcx.lpszClassName = wc.lpszClassName;
    wcx.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TABLET));
    return registerEx(&wcx);
}

// Restart Manager starts the program again, in the same session, after it
// closed it for an update; not after a crash, a hang or a restart of
// Windows (the Run value starts it at logon).  Windows Vista and later: looked
// up at run time so that the program still starts on XP.
static void RegisterForRestart()
{
    typedef HRESULT(WINAPI * RegisterRestartProc)(PCWSTR, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    RegisterRestartProc registerRestart =
        kernel ? (RegisterRestartProc)(void *)GetProcAddress(kernel,
                                                             "RegisterApplicationRestart")
               : NULL;
    if (registerRestart)
        registerRestart(NULL, RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}

// In the session's namespace: each user's session has its own program.
#define STARTUP_LOCK_NAME "Local\\stylohid.startup"
#define STARTUP_LOCK_WAIT_MS 5000

// Copies started at the same moment (Restart Manager's and the installer's)
// take turns, across the session: each looks for a running copy only once
// the one before has made its window, so that the later one finds it and
// closes it.  A copy that holds the lock longer than STARTUP_LOCK_WAIT_MS
// is not waited for any more; one that ended holding it (a crash) left it
// abandoned, which is as good as free.
static HANDLE TakeStartupLock()
{
    HANDLE lock = CreateMutexA(NULL, FALSE, STARTUP_LOCK_NAME);
    if (!lock)
        return NULL;
    DWORD waited = OsWaitForSingleObject(lock, STARTUP_LOCK_WAIT_MS);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return lock;
    CloseHandle(lock);
    return NULL;
}

void ReleaseStartupLock()
{
    if (!App.StartupLock)
        return;
    ReleaseMutex(App.StartupLock);
    CloseHandle(App.StartupLock);
    App.StartupLock = NULL;
}

int RunProgram(HINSTANCE instance, HINSTANCE previous)
{
    InitProcessState();
    App.Instance = instance;
    if (!previous) {
        App.StartupLock = TakeStartupLock();
        // A running copy saves its settings and ends its whole shutdown
        // before SendMessage returns, so our load sees what it saved.
        HWND running = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        if (running)
            SendMessageA(running, WM_CLOSE, 1, 0);
        if (!RegisterMainWindowClass(instance)) {
            ReleaseStartupLock();
            return 0;
        }
    }
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    RegisterForRestart();

    // The sensitivity dialog's slider needs the trackbar class.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     MainWindowProc, 0);
    ReleaseStartupLock();  // when no WM_INITDIALOG came
    if (!window) {
        // Nothing would ever post the WM_QUIT the loop waits for.
        UnregisterClassA(MAIN_WINDOW_CLASS, instance);
        return 0;
    }
    App.MainWindow = window;

    MSG msg;
    ZeroMemory(&msg, sizeof msg);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(App.MainWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(App.MainWindow);
    UnregisterClassA(MAIN_WINDOW_CLASS, instance);
    return (int)msg.wParam;
}

void ShowStringMessage(HWND owner, UINT textId, UINT captionId, UINT style)
{
    char text[256];
    char caption[256];
    text[0] = caption[0] = '\0';
    LoadStringA(App.Instance, textId, text, sizeof text);
    LoadStringA(App.Instance, captionId, caption, sizeof caption);
    OsMessageBox(owner, text, caption, style);
}
