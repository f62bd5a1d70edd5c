// The start-up wait for the tablet, on the simulated clock: when it probes,
// what it does once the tablet is there, when it gives up, and how a
// WM_CLOSE served during the wait ends it.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "app/app_state.h"
#include "app/discovery_wait.h"
#include "app/main_window.h"
#include "device/hid_probe.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "shared/stored_values.h"
#include "ui/tray_icon.h"

namespace {

const char NOT_CONNECTED_TEXT[] =
    "The Vellum USB Tablet is not connected or the drivers have not been loaded.";
const char ERROR_CAPTION[] = "Vellum USB Tablet Driver Error";

// What the sleep hook does at a chosen simulated moment of the wait.
struct WaitScript {
    DWORD Start;             // tick count when the wait began
    DWORD PlugAfterMs;       // tablet appears at this elapsed time (0: never)
    DWORD CloseAtSleep;      // at this sleep (1-based), a WM_CLOSE arrives (0: never)
    bool CloseFromThread;    // sent by another thread, as a later copy does
    int SleepCount;
    HANDLE SenderThread;
    BOOL SenderSent;
    HANDLE ReaderAtAdd;      // App.ReaderThread when the icon was added
    int AddsSeen;
};

WaitScript Script;

DWORD WINAPI SendCloseLikeALaterCopy(LPVOID)
{
    HWND running = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    DWORD_PTR result = 0;
    Script.SenderSent = running && SendMessageTimeoutA(running, WM_CLOSE, 1, 0,
                                                       SMTO_NORMAL, 20000, &result);
    return 0;
}

// Blocks until a message sent by another thread waits for this thread, so
// that the next drain serves it (real time, bounded).
void AwaitSentMessage()
{
    for (int i = 0; i < 5000; i++) {
        if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)
            return;
        Sleep(1);
    }
}

void FollowScript(DWORD now)
{
    Script.SleepCount++;
    if (Script.PlugAfterMs && now - Script.Start >= Script.PlugAfterMs &&
        FakeHid.Devices.empty())
        FakeHid.Devices.push_back(MakeFakeHidDevice(TABLET_VENDOR_ID, TABLET_PRODUCT_ID,
                                                    5000, 4000));
    if (Script.CloseAtSleep && Script.SleepCount == (int)Script.CloseAtSleep) {
        if (Script.CloseFromThread) {
            Script.SenderThread = CreateThread(NULL, 0, SendCloseLikeALaterCopy, NULL, 0, NULL);
            AwaitSentMessage();
        } else {
            // Command IDM_CLOSE, which posts WM_CLOSE in its turn.
            PostMessageA(App.MainWindow, WM_COMMAND, IDM_CLOSE, 0);
        }
    }
}

void WatchAdds(DWORD message, const NOTIFYICONDATAA *)
{
    if (message == NIM_ADD && Script.AddsSeen++ == 0)
        Script.ReaderAtAdd = App.ReaderThread;
}

// A window that only records the WM_CLOSE it is sent, and what the message
// boxes were at that moment.
struct CloseRecord {
    int Closes;
    WPARAM WParam;
    LPARAM LParam;
    size_t BoxesAtClose;
};
CloseRecord Closed;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        if (Closed.Closes++ == 0) {
            Closed.WParam = wParam;
            Closed.LParam = lParam;
            Closed.BoxesAtClose = CopyFakeMessageBoxes().size();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow()
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = App.Instance;
    wc.lpszClassName = "DiscoveryCloseRecorder";
    RegisterClassA(&wc);
    return CreateWindowA("DiscoveryCloseRecorder", "", WS_POPUP, 0, 0, 0, 0, NULL,
                         NULL, App.Instance, NULL);
}

// The settings key's values, or nothing when the key is absent.
std::map<std::string, std::vector<BYTE>> ReadSettingsKey(bool *exists)
{
    std::map<std::string, std::vector<BYTE>> values;
    HKEY key;
    *exists = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) ==
              ERROR_SUCCESS;
    if (!*exists)
        return values;
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE data[512];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> bytes(data, data + dataSize);
        bytes.push_back((BYTE)type);
        values[name] = bytes;
    }
    RegCloseKey(key);
    return values;
}

size_t CountNotify(DWORD message)
{
    size_t n = 0;
    for (const FakeNotifyCall &call : FakeShell.NotifyCalls)
        n += call.Message == message;
    return n;
}

bool QuitPending(WPARAM *code)
{
    MSG msg;
    if (!PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        return false;
    *code = msg.wParam;
    return true;
}

class DiscoveryWaitTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeOs();
        TabletFound = 0;
        TabletExtents.XMax = TabletExtents.YMax = 0;
        App.MainWindow = NULL;
        App.ShutdownStarted = 0;
        App.SettingsLoadAttempted = 0;
        App.SettingsSaved = 0;
        App.ReaderThread = NULL;
        App.StartupBegun = 0;
        ZeroMemory(&Script, sizeof Script);
        ZeroMemory(&Closed, sizeof Closed);
        Script.Start = OsGetTickCount();
        FakeSleepHook = FollowScript;
        FakeNotifyHook = WatchAdds;
    }

    void StartAt(DWORD tick)
    {
        ResetFakeClock(tick);
        FakeSleepHook = FollowScript;
        Script.Start = tick;
    }

    void PresentTablet()
    {
        FakeHid.Devices.push_back(
            MakeFakeHidDevice(TABLET_VENDOR_ID, TABLET_PRODUCT_ID, 5000, 4000));
    }

    // The main window as start-up creates it: the wait runs inside.
    HWND CreateMainWindow()
    {
        RegisterMainWindowClass(App.Instance);
        HWND window = CreateDialogParamA(App.Instance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                         MainWindowProc, 0);
        EXPECT_TRUE(window != NULL);
        return window;
    }

    DWORD Elapsed() { return OsGetTickCount() - Script.Start; }

    void ExpectEverySleepIsOnePollPeriod()
    {
        for (DWORD ms : FakeClock.Sleeps)
            ASSERT_EQ((DWORD)DISCOVERY_POLL_MS, ms);
    }

    // The icon and the reader thread after a successful wait.
    void ExpectIconThenTimeCriticalReader(HWND window)
    {
        ASSERT_EQ(1u, CountNotify(NIM_ADD));
        const FakeNotifyCall &add = FakeShell.NotifyCalls[0];
        EXPECT_EQ(window, add.Data.hWnd);
        EXPECT_EQ((UINT)TRAY_ICON_ID, add.Data.uID);
        EXPECT_TRUE(add.Data.hIcon != NULL);
        EXPECT_STREQ("USB Tablet", add.Data.szTip);
        EXPECT_TRUE(Script.ReaderAtAdd == NULL) << "reader created before the icon";
        ASSERT_TRUE(App.ReaderThread != NULL);
        EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(App.ReaderThread));
        EXPECT_TRUE(CopyFakeMessageBoxes().empty());
        EXPECT_FALSE(App.ShutdownStarted);
    }
};

TEST_F(DiscoveryWaitTest, TabletPresentAtStartIsFoundByTheFirstProbeAfterOneSleep)
{
    PresentTablet();
    HWND window = CreateMainWindow();

    EXPECT_EQ(std::vector<DWORD>{DISCOVERY_POLL_MS}, FakeClock.Sleeps);
    EXPECT_EQ(1, FakeHid.SetsCreated) << "one probe";
    EXPECT_EQ((DWORD)DISCOVERY_POLL_MS, Elapsed());
    EXPECT_EQ(5000, TabletExtents.XMax);
    ExpectIconThenTimeCriticalReader(window);
    WPARAM code;
    EXPECT_FALSE(QuitPending(&code)) << "the program must go on running";
    DestroyWindow(window);
}

TEST_F(DiscoveryWaitTest, LaterInitDialogFromAnotherProgramStartsNothing)
{
    PresentTablet();
    HWND window = CreateMainWindow();
    ASSERT_EQ(1, FakeHid.SetsCreated);
    HANDLE reader = App.ReaderThread;

    // Anyone can find the window by its class name and send it this.
    SendMessageA(window, WM_INITDIALOG, 0, 0);

    EXPECT_EQ(1, FakeHid.SetsCreated) << "no second wait";
    EXPECT_EQ(1u, FakeClock.Sleeps.size());
    EXPECT_EQ(1u, CountNotify(NIM_ADD));
    EXPECT_EQ(reader, App.ReaderThread) << "no second reader";
    EXPECT_EQ(window, App.MainWindow);
    DestroyWindow(window);
}

TEST_F(DiscoveryWaitTest, TabletPluggedInDuringTheWaitIsFoundByTheNextProbe)
{
    Script.PlugAfterMs = 5000;
    HWND window = CreateMainWindow();

    EXPECT_EQ(5000u / DISCOVERY_POLL_MS, (unsigned)FakeHid.SetsCreated);
    EXPECT_EQ(5000u, Elapsed());
    ExpectEverySleepIsOnePollPeriod();
    ExpectIconThenTimeCriticalReader(window);
    DestroyWindow(window);
}

TEST_F(DiscoveryWaitTest, ProbeBegunBeforeTheDeadlineCountsEvenWhenItEndsAtIt)
{
    // The last sleep ends exactly at the timeout; its probe still counts.
    Script.PlugAfterMs = DISCOVERY_TIMEOUT_MS;
    HWND window = CreateMainWindow();

    EXPECT_EQ((unsigned)(DISCOVERY_TIMEOUT_MS / DISCOVERY_POLL_MS),
              (unsigned)FakeHid.SetsCreated);
    ExpectIconThenTimeCriticalReader(window);
    DestroyWindow(window);
}

TEST_F(DiscoveryWaitTest, RefusedIconIsRetriedEvery10sUntilAcceptedWhileTheReaderRuns)
{
    PresentTablet();
    FakeShell.RefuseNextAdds = 2;
    HWND window = CreateMainWindow();

    ASSERT_TRUE(App.ReaderThread != NULL) << "the reader starts without the icon";
    EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(App.ReaderThread));
    for (int retry = 1; retry <= 2; retry++) {
        ASSERT_EQ(1u, FakeClock.Timers.size()) << "retry " << retry;
        EXPECT_EQ(window, FakeClock.Timers[0].Window);
        EXPECT_EQ((UINT_PTR)TRAY_RETRY_TIMER, FakeClock.Timers[0].Id);
        EXPECT_EQ(10000u, FakeClock.Timers[0].Ms);
        SendMessageA(window, WM_TIMER, TRAY_RETRY_TIMER, 0);
    }
    EXPECT_EQ(3u, CountNotify(NIM_ADD));
    EXPECT_TRUE(FakeShell.NotifyCalls.back().Result);
    EXPECT_TRUE(FakeClock.Timers.empty()) << "accepted: no further retry";
    EXPECT_EQ(2u, FakeClock.KillTimerCalls.size());
    EXPECT_TRUE(App.ReaderThread != NULL) << "the retries leave the reader alone";
    EXPECT_FALSE(App.ShutdownStarted);
    DestroyWindow(window);
}

TEST_F(DiscoveryWaitTest, TabletNeverPresentShowsString2ThenSendsWmClose)
{
    HWND owner = CreateRecordingWindow();
    ASSERT_TRUE(owner != NULL);
    WaitForTablet(owner);

    DWORD elapsed = Elapsed();
    EXPECT_GE(elapsed, (DWORD)DISCOVERY_TIMEOUT_MS);
    EXPECT_LE(elapsed, (DWORD)(DISCOVERY_TIMEOUT_MS + DISCOVERY_POLL_MS)) << "one cycle more at most";
    EXPECT_GE(FakeHid.SetsCreated, DISCOVERY_TIMEOUT_MS / DISCOVERY_POLL_MS);
    EXPECT_LE(FakeHid.SetsCreated, DISCOVERY_TIMEOUT_MS / DISCOVERY_POLL_MS + 1);
    ExpectEverySleepIsOnePollPeriod();

    std::vector<FakeMessageBoxCall> boxes = CopyFakeMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(owner, boxes[0].Owner);
    EXPECT_EQ(NOT_CONNECTED_TEXT, boxes[0].Text);
    EXPECT_EQ(ERROR_CAPTION, boxes[0].Caption);
    EXPECT_EQ((UINT)MB_OK, boxes[0].Type);

    EXPECT_EQ(1, Closed.Closes) << "WM_CLOSE sent before the wait returns";
    EXPECT_EQ(1u, Closed.WParam);
    EXPECT_EQ(0, Closed.LParam);
    EXPECT_EQ(1u, Closed.BoxesAtClose) << "the box comes first";
    EXPECT_EQ(0u, CountNotify(NIM_ADD));
    EXPECT_TRUE(App.ReaderThread == NULL);
    DestroyWindow(owner);
}

TEST_F(DiscoveryWaitTest, TabletNeverPresentEndsTheProgramWithCode0AndRegistryUntouched)
{
    bool existedBefore;
    std::map<std::string, std::vector<BYTE>> before = ReadSettingsKey(&existedBefore);

    int code = RunProgram(App.Instance, NULL);

    EXPECT_EQ(0, code);
    std::vector<FakeMessageBoxCall> boxes = CopyFakeMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(App.MainWindow, boxes[0].Owner);
    EXPECT_EQ(NOT_CONNECTED_TEXT, boxes[0].Text);
    EXPECT_EQ(ERROR_CAPTION, boxes[0].Caption);
    EXPECT_TRUE(App.ShutdownStarted);
    EXPECT_FALSE(IsWindow(App.MainWindow));
    EXPECT_EQ(0u, CountNotify(NIM_ADD));
    EXPECT_TRUE(App.ReaderThread == NULL);

    bool existsAfter;
    std::map<std::string, std::vector<BYTE>> after = ReadSettingsKey(&existsAfter);
    EXPECT_EQ(existedBefore, existsAfter);
    EXPECT_TRUE(before == after) << "the settings were written";
}

struct CloseCase {
    const char *Name;
    bool FromThread;
};

void PrintTo(const CloseCase &c, std::ostream *os) { *os << c.Name; }

class DiscoveryCloseTest : public DiscoveryWaitTest,
                           public testing::WithParamInterface<CloseCase> {};

TEST_P(DiscoveryCloseTest, WmCloseDuringTheWaitEndsItAtOnce)
{
    Script.CloseAtSleep = 10;
    Script.CloseFromThread = GetParam().FromThread;
    Script.PlugAfterMs = 2000;  // would be found later, were the wait to go on
    HWND window = CreateMainWindow();

    EXPECT_EQ(10, FakeHid.SetsCreated) << "no probe after the drain that closed";
    EXPECT_EQ(10u, FakeClock.Sleeps.size());
    EXPECT_TRUE(App.ShutdownStarted);
    EXPECT_EQ(0u, CountNotify(NIM_ADD));
    EXPECT_EQ(1u, CountNotify(NIM_DELETE)) << "the shutdown ran";
    EXPECT_TRUE(App.ReaderThread == NULL);
    EXPECT_TRUE(CopyFakeMessageBoxes().empty());
    WPARAM code = 99;
    EXPECT_TRUE(QuitPending(&code)) << "the quit must reach the message loop";
    EXPECT_EQ(0u, code);

    if (Script.SenderThread) {
        WaitForSingleObject(Script.SenderThread, 20000);
        CloseHandle(Script.SenderThread);
        EXPECT_TRUE(Script.SenderSent) << "the later copy's WM_CLOSE was not served";
    }
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Senders, DiscoveryCloseTest,
                         testing::Values(CloseCase{"CommandClose", false},
                                         CloseCase{"LaterCopy", true}),
                         [](const testing::TestParamInfo<CloseCase> &info) {
                             return std::string(info.param.Name);
                         });

// Tick counts just below the 32-bit wrap: start + timeout overflows.
class DiscoveryWrapTest : public DiscoveryWaitTest,
                          public testing::WithParamInterface<DWORD> {};

TEST_P(DiscoveryWrapTest, WaitLastsItsFullTimeAcrossTheWrap)
{
    StartAt(GetParam());
    HWND owner = CreateRecordingWindow();
    WaitForTablet(owner);

    DWORD elapsed = Elapsed();
    EXPECT_GE(elapsed, (DWORD)DISCOVERY_TIMEOUT_MS);
    EXPECT_LE(elapsed, (DWORD)(DISCOVERY_TIMEOUT_MS + DISCOVERY_POLL_MS));
    EXPECT_GE(FakeHid.SetsCreated, DISCOVERY_TIMEOUT_MS / DISCOVERY_POLL_MS);
    EXPECT_EQ(1u, CopyFakeMessageBoxes().size());
    DestroyWindow(owner);
}

TEST_P(DiscoveryWrapTest, TabletPresentIsFoundByTheFirstProbeAcrossTheWrap)
{
    StartAt(GetParam());
    PresentTablet();
    HWND window = CreateMainWindow();

    EXPECT_EQ(1, FakeHid.SetsCreated);
    ExpectIconThenTimeCriticalReader(window);
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(NearWrap, DiscoveryWrapTest,
                         testing::Values(0xFFFFFFFFu - 50, 0xFFFFFFFFu - 120000,
                                         0xFFFFFFFFu - DISCOVERY_TIMEOUT_MS + 2));

// ---- DrainMessages ----------------------------------------------------------

struct DrainRecord {
    std::vector<UINT> Messages;
};
DrainRecord Drained;

LRESULT CALLBACK DrainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER)
        Drained.Messages.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI SendUserMessage(LPVOID window)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA((HWND)window, WM_USER + 7, 0, 0, SMTO_NORMAL, 20000, &result);
    return 0;
}

class DrainMessagesTest : public testing::Test {
protected:
    HWND Window;
    void SetUp() override
    {
        Drained.Messages.clear();
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = DrainProc;
        wc.hInstance = App.Instance;
        wc.lpszClassName = "DrainRecorder";
        RegisterClassA(&wc);
        Window = CreateWindowA("DrainRecorder", "", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                               App.Instance, NULL);
        ASSERT_TRUE(Window != NULL);
    }
    void TearDown() override { DestroyWindow(Window); }
};

TEST_F(DrainMessagesTest, ServesPostedAndSentMessagesThenReturnsOnAnEmptyQueue)
{
    PostMessageA(Window, WM_USER + 1, 0, 0);
    PostMessageA(Window, WM_USER + 2, 0, 0);
    HANDLE sender = CreateThread(NULL, 0, SendUserMessage, Window, 0, NULL);
    AwaitSentMessage();

    DrainMessages();

    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sender, 20000)) << "sent message not served";
    CloseHandle(sender);
    std::vector<UINT> expected = {WM_USER + 7, WM_USER + 1, WM_USER + 2};
    EXPECT_EQ(expected, Drained.Messages);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
}

TEST_F(DrainMessagesTest, WmQuitIsPostedAgainWithItsExitCode)
{
    PostMessageA(Window, WM_USER + 1, 0, 0);
    PostQuitMessage(5);

    DrainMessages();

    EXPECT_EQ(std::vector<UINT>{WM_USER + 1}, Drained.Messages);
    WPARAM code = 0;
    ASSERT_TRUE(QuitPending(&code)) << "the drain swallowed WM_QUIT";
    EXPECT_EQ(5u, code);
}

}  // namespace
