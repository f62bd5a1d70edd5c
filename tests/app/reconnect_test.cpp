// Waiting for the tablet with the Reconnect setting, on the fake OS boundary
// without device-change notices: the reader that ends leaves the program
// running and probing on its timer, and a tablet found gets a new reader.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reconnect.h"
#include "device/driver_channel.h"
#include "device/packet_reader.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_key_guard.h"
#include "ui/tray_icon.h"

namespace {

class ReconnectTest : public testing::Test {
protected:
    HWND Window = NULL;
    SettingsKeyGuard Saved;

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
        Saved = SaveSettingsKey();
        DeleteSettingsKey();
        HKEY key = CreateEmptySettingsKey();
        PutStoredDword(key, VALUE_RECONNECT, 1);
        RegCloseKey(key);
        ResetFakeOs();
        App.ShutdownStarted = App.SettingsLoadAttempted = App.SettingsSaved = 0;
        Reconnect.Waiting = 0;
        PacketReader.Running = 0;
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
    EXPECT_EQ(MakeExtentsWord(100, 200), FakeRequestValue(log[1]));
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

}  // namespace
