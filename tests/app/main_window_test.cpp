// The main window's class, message table and shutdown.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "input/screen_mapping.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "settings/stored_values.h"
#include "ui/tray_icon.h"

namespace {

TEST(MainWindowClass, RegisteredAsADialogClassWithItsFields)
{
    HINSTANCE instance = App.Instance;
    ATOM atom = RegisterMainWindowClass(instance);
    ASSERT_NE(0, atom);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(instance, "stylohid", &wc));
    EXPECT_EQ(0x2808u, wc.style);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(DLGWINDOWEXTRA, wc.cbWndExtra);
    EXPECT_EQ(instance, wc.hInstance);
    EXPECT_TRUE(wc.hIcon != NULL);
    EXPECT_TRUE(wc.hIconSm != NULL);
    EXPECT_EQ(LoadCursorA(NULL, (LPCSTR)IDC_ARROW), wc.hCursor);
    EXPECT_EQ((HBRUSH)6, wc.hbrBackground);
    EXPECT_EQ(NULL, wc.lpszMenuName);
    // The class is a dialog class: windows of it are made by CreateDialog.
    EXPECT_EQ((WNDPROC)DefDlgProcA, wc.lpfnWndProc);
    // A second registration fails while the first stands.
    EXPECT_EQ(0, RegisterMainWindowClass(instance));
    EXPECT_TRUE(UnregisterClassA("stylohid", instance));
}

#ifndef _WIN64
TEST(MainWindowClass, ExtraBytesAreThirty)
{
    EXPECT_EQ(30, DLGWINDOWEXTRA);
}
#endif

// A main window made from the program's template, with the program's class
// and procedure; WM_INITDIALOG's wait is not wanted here, so the window is
// created with a procedure that forwards everything else.
class MainWindowTest : public testing::Test {
protected:
    HWND Window = NULL;

    static INT_PTR CALLBACK ForwardingProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_INITDIALOG) {
            App.MainWindow = w;
            return TRUE;
        }
        return MainWindowProc(w, m, wp, lp);
    }

    void SetUp() override
    {
        ResetFakeOs();
        App.ShutdownStarted = 0;
        App.SettingsLoadAttempted = 0;
        App.SettingsSaved = 0;
        ASSERT_NE(0, RegisterMainWindowClass(App.Instance));
        Window = CreateDialogParamA(App.Instance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                    ForwardingProc, 0);
        ASSERT_TRUE(Window != NULL);
    }

    void TearDown() override
    {
        DestroyWindow(Window);
        UnregisterClassA("stylohid", App.Instance);
        CloseDriverChannel();
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
        App.MainWindow = NULL;
    }

    // Takes the thread's queued messages; returns how many WM_QUIT were among them.
    int CountQuitMessages()
    {
        int quits = 0;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quits++;
                EXPECT_EQ(0u, msg.wParam);
            } else {
                DispatchMessageA(&msg);
            }
        }
        return quits;
    }

    int NotifyCallsOf(DWORD message)
    {
        int n = 0;
        for (const FakeNotifyCall &c : FakeShell.NotifyCalls)
            n += c.Message == message;
        return n;
    }
};

TEST_F(MainWindowTest, IsHiddenAndFoundByClassName)
{
    EXPECT_FALSE(IsWindowVisible(Window));
    EXPECT_EQ(Window, FindWindowA("stylohid", NULL));
}

TEST_F(MainWindowTest, MessageTableReturnValues)
{
    struct Case {
        UINT Message;
        WPARAM WParam;
        INT_PTR Expected;
    } cases[] = {
        {WM_COMMAND, 2, FALSE},
        {WM_COMMAND, 1, FALSE},
        {WM_COMMAND, 1007, FALSE},
        {WM_COMMAND, 0xFFFF, FALSE},
        {WM_TIMER, 77, FALSE},
        {WM_TRAY_NOTIFY, TRAY_ICON_ID, FALSE},
        {WM_TABLET_PACKET, 0, FALSE},
        {WM_TABLET_RELOAD, 0, FALSE},
        {WM_USER + 5, 0, FALSE},
        {WM_QUERYENDSESSION, 0, FALSE},
        {WM_ENDSESSION, FALSE, FALSE},
        {WM_COMMAND, MAKEWPARAM(IDM_CLOSE, 1), TRUE},  // the high word is not read
        {WM_CLOSE, 1, TRUE},
        {WM_CLOSE, 0, TRUE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.Expected, MainWindowProc(Window, c.Message, c.WParam, 0x1234))
            << "message " << c.Message << " wParam " << c.WParam;
}

// A monitor added, removed or moved: the screen the pen covers is laid out
// again from the monitors as they now are.
TEST_F(MainWindowTest, DisplayChangeLaysTheChosenScreenOutAgain)
{
    const struct {
        const char *Choice;
        bool OverDesktop;
        LONG DeskWidth;
    } cases[] = {
        {SCREEN_CHOICE_ALL, true, GetSystemMetrics(SM_CXVIRTUALSCREEN)},
        {"", false, 0},
    };
    for (const auto &c : cases) {
        LockSettings();
        strcpy(TabletSettings.Screen, c.Choice);
        ScreenTarget.DeskWidth = 7;
        UnlockSettings();
        EXPECT_EQ(FALSE, MainWindowProc(Window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024)));
        LockSettings();
        ScreenMapping mapping = ScreenTarget;
        UnlockSettings();
        EXPECT_EQ(c.OverDesktop, mapping.OverDesktop) << c.Choice;
        EXPECT_EQ(c.DeskWidth, mapping.DeskWidth) << c.Choice;
    }
}

TEST_F(MainWindowTest, CloseCommandPostsCloseAndDoesNotShutDownItself)
{
    EXPECT_EQ(TRUE, MainWindowProc(Window, WM_COMMAND, IDM_CLOSE, 0));
    EXPECT_EQ(0, App.ShutdownStarted);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, Window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(0, msg.lParam);
}

DWORD WINAPI SendCloseFromThread(LPVOID window)
{
    return (DWORD)SendMessageA((HWND)window, WM_CLOSE, 1, 0);
}

TEST_F(MainWindowTest, ShutdownRunsItsStepsOnceWhateverTheSender)
{
    ASSERT_TRUE(OpenDriverChannel());
    NOTIFYICONDATAA icon;
    ZeroMemory(&icon, sizeof icon);
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = Window;
    icon.uID = TRAY_ICON_ID;
    OsShellNotifyIcon(NIM_ADD, &icon);

    PostMessageA(Window, WM_COMMAND, IDM_CLOSE, 0);
    // The reader's last WM_CLOSE comes from another thread.
    HANDLE thread = CreateThread(NULL, 0, SendCloseFromThread, Window, 0, NULL);
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT &&
               PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    CloseHandle(thread);
    // A later WM_CLOSE on the UI thread itself (the wait giving up).
    SendMessageA(Window, WM_CLOSE, 1, 0);
    EXPECT_EQ(TRUE, MainWindowProc(Window, WM_CLOSE, 1, 0));

    EXPECT_EQ(1, App.ShutdownStarted);
    EXPECT_EQ(1, CountQuitMessages());
    EXPECT_EQ(1, NotifyCallsOf(NIM_DELETE));
    // The reader was told once to stop reporting.
    std::vector<FakeDriverRequest> stops = FakeRequestsOfCode(IOCTL_TABLET_ENABLE);
    ASSERT_EQ(1u, stops.size());
    EXPECT_EQ(0u, FakeRequestValue(stops[0]));
}

TEST_F(MainWindowTest, DeleteAtShutdownUsesTheFirstNotifyLayout)
{
    SendMessageA(Window, WM_CLOSE, 1, 0);
    ASSERT_EQ(1, NotifyCallsOf(NIM_DELETE));
    const FakeNotifyCall &call = FakeShell.NotifyCalls.back();
    EXPECT_EQ((DWORD)NOTIFYICONDATAA_V1_SIZE, call.CbSize);
#ifndef _WIN64
    EXPECT_EQ(88u, call.CbSize);
#endif
    EXPECT_EQ(Window, call.Data.hWnd);
    EXPECT_EQ((UINT)TRAY_ICON_ID, call.Data.uID);
}

}  // namespace

namespace {

TEST(RunProgram, WithoutItsWindowTemplateEndsAtOnceAndUnregistersItsClass)
{
    // A module without the main window's template: the window cannot be made,
    // and nothing would ever post the WM_QUIT that the loop waits for.
    HINSTANCE module = GetModuleHandleA("kernel32.dll");
    ASSERT_TRUE(module != NULL);
    EXPECT_EQ(0, RunProgram(module, NULL));
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(module, "stylohid", &wc));
    App.Instance = GetModuleHandleA(NULL);
}

}  // namespace
