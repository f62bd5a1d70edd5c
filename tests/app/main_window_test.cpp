// The main window's class, message table and shutdown, and its wait for a
// tablet that went away.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reader_session.h"
#include "app/reconnect.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "device/packet_reader.h"
#include "device/packet_ring.h"
#include "fakes/fake_os.h"
#include "input/button_actions.h"
#include "input/packet_translation.h"
#include "input/screen_mapping.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "settings/settings_key_guard.h"
#include "shared/stored_values.h"
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
        {"", false, GetSystemMetrics(SM_CXSCREEN)},  // the main screen's own
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

namespace {

// The main window waiting for the tablet with the Reconnect setting stored,
// on the fake OS boundary: the reader that ends leaves the program running
// and probing on its timer, and a tablet found gets a new reader.
class ReconnectTest : public MainWindowTest {
protected:
    SettingsKeyGuard Saved;

    void SetUp() override
    {
        Saved = SaveSettingsKey();
        DeleteSettingsKey();
        HKEY key = CreateEmptySettingsKey();
        PutStoredDword(key, VALUE_RECONNECT, 1);
        RegCloseKey(key);
        Reconnect.Waiting = 0;
        PacketReader.Running = 0;
        MainWindowTest::SetUp();
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        RestoreSettingsKey(Saved);
    }

    // Serves the queue (and the reader's sent messages) until done.
    template <typename Done> bool PumpUntil(Done done)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                if (msg.message != WM_QUIT)
                    DispatchMessageA(&msg);
            if (done())
                return true;
            MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
        }
        return false;
    }

    std::vector<std::string> Tips(DWORD message)
    {
        std::vector<std::string> tips;
        for (const FakeNotifyCall &c : FakeShell.NotifyCalls)
            if (c.Message == message)
                tips.push_back(c.Data.szTip);
        return tips;
    }

    bool ProbeTimerArmed()
    {
        for (const FakeTimer &t : FakeClock.Timers)
            if (t.Window == Window && t.Id == RECONNECT_TIMER)
                return t.Ms == RECONNECT_PROBE_MS;
        return false;
    }
};

TEST_F(ReconnectTest, WithoutNoticesTheTimerFindsTheTabletAndTheNewReaderStartsOver)
{
    WatchTablet(Window);
    EXPECT_EQ(NULL, Reconnect.Notification);

    // The driver gone: the reader ends at its open, and the program waits.
    FakeDriver.RefuseOpen = true;
    ASSERT_TRUE(StartPacketReader());
    ASSERT_TRUE(PumpUntil([] { return Reconnect.Waiting != 0; }));
    EXPECT_EQ(std::vector<std::string>{TRAY_TIP_NOT_CONNECTED}, Tips(NIM_MODIFY));
    EXPECT_TRUE(ProbeTimerArmed());
    EXPECT_EQ(0, App.ShutdownStarted);
    EXPECT_TRUE(FakeShell.MessageBoxes.empty());

    // No tablet among the HID devices: the probe starts no reader.
    TabletFound = 1;  // seen at start
    FakeDriver.RefuseOpen = false;
    SendMessageA(Window, WM_TIMER, RECONNECT_TIMER, 0);
    EXPECT_EQ(0, PacketReader.Running);
    EXPECT_EQ(0, FakeDriver.Opens);
    EXPECT_TRUE(ProbeTimerArmed());

    // The tablet back: a new reader makes the start-up's requests, and the
    // tip says so once it runs.
    FakeHid.Devices.push_back(MakeFakeHidDevice(TABLET_VENDOR_ID, TABLET_PRODUCT_ID, 100, 200));
    SendMessageA(Window, WM_TIMER, RECONNECT_TIMER, 0);
    ASSERT_TRUE(PumpUntil([] { return Reconnect.Waiting == 0; }));
    EXPECT_EQ((std::vector<std::string>{TRAY_TIP_NOT_CONNECTED, TRAY_TIP}), Tips(NIM_MODIFY));
    EXPECT_FALSE(ProbeTimerArmed());
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ((DWORD)IOCTL_TABLET_ENABLE, log[0].Code);
    EXPECT_EQ((DWORD)IOCTL_TABLET_SET_EXTENTS, log[1].Code);
    EXPECT_EQ(TABLET_EXTENTS_WORD(100, 200), FakeRequestValue(log[1]));
    EXPECT_EQ((DWORD)IOCTL_TABLET_SET_SETTINGS, log[2].Code);
    EXPECT_EQ((DWORD)IOCTL_TABLET_SET_EVENT, log[3].Code);

    // A close ends the new reader as it ended the first one at start.
    SendMessageA(Window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return FakeDriver.Closes == 1; }));
}

TEST_F(ReconnectTest, NoticesAreAskedForOnceAndGivenBackAtShutdown)
{
    FakeHid.OffersNotifications = true;
    WatchTablet(Window);
    WatchTablet(Window);
    EXPECT_EQ(1, FakeHid.NotificationsHeld);
    SendMessageA(Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, FakeHid.NotificationsHeld);
    EXPECT_EQ(NULL, Reconnect.Notification);
}

// A reader end that the running reader did not send starts no second reader.
TEST_F(ReconnectTest, AForeignReaderEndStartsNoSecondReader)
{
    FakeHid.Devices.push_back(MakeFakeHidDevice(TABLET_VENDOR_ID, TABLET_PRODUCT_ID, 100, 200));
    ASSERT_TRUE(StartPacketReader());
    const LONG generation = PacketReader.Generation;
    for (LPARAM foreign : {(LPARAM)0, (LPARAM)generation})
        SendMessageA(Window, WM_TABLET_CONNECTION, READER_ENDED, foreign);
    SendMessageA(Window, WM_TIMER, RECONNECT_TIMER, 0);  // a waiting program's probe
    EXPECT_EQ(generation, PacketReader.Generation) << "a second reader was started";
    SendMessageA(Window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return FakeDriver.Closes > 0; }));
    EXPECT_EQ(1, FakeDriver.Opens);
    EXPECT_EQ(1, FakeDriver.Closes);
}

// A mouse button that pen button 2 holds goes up once when the reader ends or
// the program is closed; a drag latch's, whatever the action has become since.
struct HeldCase { SHORT PressCode, EndCode; bool Close; DWORD Down, Up; };
void PrintTo(const HeldCase &c, std::ostream *os)
{ *os << "code " << c.PressCode << (c.Close ? ", closed" : ", read fails"); }

class HeldButtonTest : public ReconnectTest, public testing::WithParamInterface<HeldCase> {};

TEST_P(HeldButtonTest, GoesUpOnceWhenThePenStops)
{
    const HeldCase &c = GetParam();
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_RECONNECT, 1);
    PutStoredDword(key, VALUE_BUTTON2, (DWORD)c.PressCode);
    RegCloseKey(key);
    ButtonState = PenButtonState();
    DragLatch = 0;
    const PenPacket held = {-1, -1, 0, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON2, 0};
    QueueFakePacket(held);
    ASSERT_TRUE(StartPacketReader());
    ASSERT_TRUE(PumpUntil([] { return !FakeInput.Events.empty(); }));
    TabletSettings.Button2Action = c.EndCode;  // as a reload would
    if (c.Close)
        SendMessageA(Window, WM_CLOSE, 1, 0);
    FakeDriver.FailCode = IOCTL_TABLET_READ_PACKET;
    QueueFakePacket(held);
    ASSERT_TRUE(PumpUntil(
        [] { return FakeDriver.Closes == 1 && (Reconnect.Waiting || App.ShutdownStarted); }));
    ASSERT_EQ(2u, FakeInput.Events.size());
    EXPECT_EQ(c.Down, FakeInput.Events[0].Flags);
    EXPECT_EQ(c.Up, FakeInput.Events[1].Flags);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, HeldButtonTest,
    testing::Values(HeldCase{1, 1, false, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                    HeldCase{1, 1, true, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                    HeldCase{ACTION_RIGHT_DRAG, ACTION_FIRST_KEY, false, MOUSEEVENTF_RIGHTDOWN,
                             MOUSEEVENTF_RIGHTUP}));

}  // namespace
