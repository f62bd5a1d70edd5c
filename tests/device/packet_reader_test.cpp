// The real reader thread against the fake driver, on the simulated clock,
// posting to a hidden window of the test thread.
#include <gtest/gtest.h>
#include <functional>
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/reader_session.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "device/packet_reader.h"
#include "device/packet_ring.h"
#include "fakes/fake_os.h"
#include "reader_window.h"
#include "res/resource.h"
#include "settings/settings_key_guard.h"
#include "settings/settings_store.h"
#include "ui/commands.h"

namespace {

PenPacket MakePacket(int x, int y, unsigned status)
{
    PenPacket p;
    ZeroMemory(&p, sizeof p);
    p.x = x;
    p.y = y;
    p.status = status;
    return p;
}

void ExpectPacket(const PenPacket &p, int x, int y, unsigned status, const char *what)
{
    EXPECT_EQ(x, p.x) << what;
    EXPECT_EQ(y, p.y) << what;
    EXPECT_EQ(status, p.status) << what;
}

bool ThreadEnded(void *thread)
{
    return WaitForSingleObject((HANDLE)thread, 0) == WAIT_OBJECT_0;
}

bool PacketCountReached(void *count)
{
    return ReaderWindowLog.Packets.size() >= *(size_t *)count;
}

bool IsHandleOpen(HANDLE handle)
{
    DWORD flags;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// One call of the reader, held where it is until the test lets it go, as a
// slow registry or a driver that does not answer would hold it.
struct HeldCall {
    DWORD Code;       // the driver request to hold (0: the first registry read)
    LONG Taken;       // the call has been held once
    HANDLE Reached;   // set when the reader is held
    HANDLE Released;  // set by the test to let it go
};

HeldCall Held;

void HoldHere()
{
    if (InterlockedExchange(&Held.Taken, 1))
        return;
    SetEvent(Held.Reached);
    WaitForSingleObject(Held.Released, 20000);  // a failing test still ends
}

void HoldRegistryRead(LPCSTR) { HoldHere(); }

void HoldDriverRequest(DWORD code)
{
    if (code == Held.Code)
        HoldHere();
}

DWORD WINAPI ShutDownOnThisThread(LPVOID)
{
    ShutDownProgram();
    return 0;
}

class PacketReaderTest : public testing::Test {
protected:
    SettingsKeyGuard Guard;
    HWND Window;
    HANDLE Thread;
    DWORD ThreadId;

    void SetUp() override
    {
        Guard = SaveSettingsKey();
        DeleteSettingsKey();
        ResetFakeOs();
        ResetPacketRing();
        ResetTabletSettings();
        CloseDriverChannel();
        TabletExtents.XMax = 5000;
        TabletExtents.YMax = 4000;
        App.SettingsLoadAttempted = 0;
        App.SettingsSaved = 0;
        App.ShutdownStarted = 0;
        App.ReaderThread = NULL;
        PacketReader.RunFlag = 0;
        PacketReader.StopRequested = 0;
        PacketReader.ReportingLeftOn = 0;
        PacketReader.PacketEvent = NULL;
        Window = CreateReaderWindow();
        ASSERT_TRUE(Window != NULL);
        App.MainWindow = Window;
        Thread = NULL;
    }

    void TearDown() override
    {
        if (Held.Released)
            SetEvent(Held.Released);
        if (Thread && !ThreadEnded(Thread)) {
            StopPacketReader();
            PumpUntil(ThreadEnded, Thread, 10000);
        }
        if (Thread)
            CloseHandle(Thread);
        if (Held.Reached) {
            CloseHandle(Held.Reached);
            CloseHandle(Held.Released);
        }
        ZeroMemory(&Held, sizeof Held);
        DestroyWindow(Window);
        App.MainWindow = NULL;
        RestoreSettingsKey(Guard);
    }

    void StartReader()
    {
        Thread = CreateThread(NULL, 0, PacketReaderMain, Window, 0, &ThreadId);
        ASSERT_TRUE(Thread != NULL);
        DuplicateHandle(GetCurrentProcess(), Thread, GetCurrentProcess(),
                        &App.ReaderThread, 0, FALSE, DUPLICATE_SAME_ACCESS);
    }

    // The reader has begun its n-th wait (counting from 1).
    void AwaitWait(size_t n)
    {
        ASSERT_TRUE(WaitForFakeWaits(n)) << "wait " << n << " never began";
        PumpFor(0);
    }

    DWORD WaitMs(size_t n) { return FakeClock.Waits.at(n - 1).Ms; }

    void AwaitPackets(size_t count)
    {
        ASSERT_TRUE(PumpUntil(PacketCountReached, &count))
            << "have " << ReaderWindowLog.Packets.size() << " of " << count;
    }

    void AwaitEnd()
    {
        ASSERT_TRUE(PumpUntil(ThreadEnded, Thread, 10000)) << "reader did not end";
        DWORD code = 0;
        GetExitCodeThread(Thread, &code);
        EXPECT_EQ(1u, code);
        PumpFor(20);
    }

    void ExpectOneLastClose()
    {
        ASSERT_EQ(1u, ReaderWindowLog.CloseWParams.size());
        EXPECT_EQ(1u, ReaderWindowLog.CloseWParams[0]);
        EXPECT_EQ(0, ReaderWindowLog.CloseLParams[0]);
        EXPECT_TRUE(ReaderWindowLog.CloseSentByOtherThread[0]);
    }

    size_t Reads() { return FakeRequestsOfCode(IOCTL_TABLET_READ_PACKET).size(); }

    // Starts the reader and returns once it is held at the chosen call.
    void StartReaderHeldAt(DWORD driverCode)
    {
        Held.Code = driverCode;
        Held.Reached = CreateEventA(NULL, TRUE, FALSE, NULL);
        Held.Released = CreateEventA(NULL, TRUE, FALSE, NULL);
        if (driverCode)
            FakeDriverHook = HoldDriverRequest;
        else
            FakeRegistryReadHook = HoldRegistryRead;
        StartReader();
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Held.Reached, 10000))
            << "the reader never reached the call";
    }

    void StoreUserSettings()
    {
        HKEY key = CreateEmptySettingsKey();
        PutStoredDword(key, VALUE_ABSOLUTE, 0);
        PutStoredDword(key, VALUE_SENSITIVITY, 17);
        PutStoredDword(key, VALUE_BUTTON1, 12);
        RegCloseKey(key);
    }

    DWORD Stored(const char *name)
    {
        DWORD number = 0;
        EXPECT_TRUE(GetStoredDword(name, &number)) << name;
        return number;
    }
};

TEST_F(PacketReaderTest, StartStepsReachTheDriverInOrder)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_SENSITIVITY, 12);
    RegCloseKey(key);
    StartReader();
    AwaitWait(1);

    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(IOCTL_TABLET_ENABLE, log[0].Code);
    EXPECT_EQ(1u, FakeRequestValue(log[0]));
    EXPECT_EQ(IOCTL_TABLET_SET_EXTENTS, log[1].Code);
    EXPECT_EQ((5000u << 16) | 4000u, FakeRequestValue(log[1]));
    EXPECT_EQ(IOCTL_TABLET_SET_SETTINGS, log[2].Code);
    EXPECT_EQ(IOCTL_TABLET_SET_EVENT, log[3].Code);
    EXPECT_EQ(1, App.SettingsLoadAttempted);
    EXPECT_EQ(1, PacketReader.RunFlag);
    EXPECT_EQ(12, TabletSettings.Sensitivity);
    ASSERT_TRUE(PacketReader.PacketEvent != NULL);
    EXPECT_EQ(PacketReader.PacketEvent, FakeDriver.Event);
    EXPECT_EQ(PacketReader.PacketEvent, FakeClock.Waits[0].Handle);
}

TEST_F(PacketReaderTest, FirstPacketIsAwaitedWithoutLimitAndPostedUnchanged)
{
    StartReader();
    AwaitWait(1);
    EXPECT_EQ(INFINITE, WaitMs(1));
    AdvanceFakeClock(1000);
    PumpFor(50);
    EXPECT_TRUE(ReaderWindowLog.Packets.empty());
    EXPECT_EQ(0u, Reads());

    QueueFakePacket(MakePacket(100, 200, 0x80));
    AwaitPackets(1);
    ExpectPacket(ReaderWindowLog.Packets[0], 100, 200, 0x80, "in range");
    AwaitWait(2);
    EXPECT_EQ(INFINITE, WaitMs(2));  // in range: still no limit
    AdvanceFakeClock(1000);
    PumpFor(50);
    EXPECT_EQ(1u, ReaderWindowLog.Packets.size());
    EXPECT_EQ(0, ReaderWindowLog.ForeignPackets);
}

TEST_F(PacketReaderTest, OutOfRangePacketKeepsButtonsThenIdlePacketsEvery50Ms)
{
    StartReader();
    AwaitWait(1);
    QueueFakePacket(MakePacket(300, 400, 0x20));
    AwaitPackets(1);
    ExpectPacket(ReaderWindowLog.Packets[0], -1, -1, 0x20, "button 1 out of range");

    AwaitWait(2);
    EXPECT_EQ(50u, WaitMs(2));
    PumpFor(30);
    EXPECT_EQ(1u, ReaderWindowLog.Packets.size());  // the clock has not moved
    AdvanceFakeClock(50);
    AwaitPackets(2);
    ExpectPacket(ReaderWindowLog.Packets[1], -1, -1, 0, "first idle");

    AwaitWait(3);
    EXPECT_EQ(50u, WaitMs(3));
    AdvanceFakeClock(49);
    PumpFor(30);
    EXPECT_EQ(2u, ReaderWindowLog.Packets.size());
    AdvanceFakeClock(1);
    AwaitPackets(3);
    ExpectPacket(ReaderWindowLog.Packets[2], -1, -1, 0, "second idle");
    AwaitWait(4);
    EXPECT_EQ(1u, Reads());  // idle packets are made, not read

    // The driver signals again: both buttons, still out of range.
    QueueFakePacket(MakePacket(7, 8, 0x60));
    AwaitPackets(4);
    ExpectPacket(ReaderWindowLog.Packets[3], -1, -1, 0x60, "both buttons");
    AwaitWait(5);
    EXPECT_EQ(50u, WaitMs(5));

    // Back in range: the reader waits without limit again.
    QueueFakePacket(MakePacket(10, 20, 0x80 | 0x40));
    AwaitPackets(5);
    ExpectPacket(ReaderWindowLog.Packets[4], 10, 20, 0xC0, "in range");
    AwaitWait(6);
    EXPECT_EQ(INFINITE, WaitMs(6));
    AdvanceFakeClock(500);
    PumpFor(50);
    EXPECT_EQ(5u, ReaderWindowLog.Packets.size());
}

TEST_F(PacketReaderTest, ShortReadKeepsTheBytesOfTheLastPacket)
{
    StartReader();
    AwaitWait(1);
    QueueFakePacket(MakePacket(1, 2, 0x80));
    AwaitPackets(1);
    AwaitWait(2);
    FakeDriver.ShortRead = 8;  // only x and y arrive
    QueueFakePacket(MakePacket(7, 8, 0x20));
    AwaitPackets(2);
    ExpectPacket(ReaderWindowLog.Packets[1], 7, 8, 0x80, "short read");
}

TEST_F(PacketReaderTest, ManyPacketsArriveInOrderAndUnchanged)
{
    StartReader();
    AwaitWait(1);
    const int count = 300;
    for (int i = 0; i < count; i++)
        QueueFakePacket(MakePacket(i, 2 * i, 0x80 | (i % 2 ? 0x20 : 0)));
    AwaitPackets(count);
    for (int i = 0; i < count; i++)
        ExpectPacket(ReaderWindowLog.Packets[i], i, 2 * i, 0x80 | (i % 2 ? 0x20 : 0),
                     "burst");
    EXPECT_EQ(0, ReaderWindowLog.ForeignPackets);
}

TEST_F(PacketReaderTest, StopWhileWaitingWithoutLimitEndsTheReaderCleanly)
{
    StartReader();
    AwaitWait(1);
    HANDLE event = PacketReader.PacketEvent;
    ASSERT_TRUE(IsHandleOpen(event));

    StopPacketReader();
    EXPECT_TRUE(App.ReaderThread == NULL);
    AwaitEnd();
    EXPECT_EQ(0u, Reads());
    EXPECT_TRUE(ReaderWindowLog.Packets.empty());
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_FALSE(FakeDriver.IsOpen);
    EXPECT_TRUE(PacketReader.PacketEvent == NULL);
    EXPECT_FALSE(IsHandleOpen(event));
    std::vector<FakeDriverRequest> enables = FakeRequestsOfCode(IOCTL_TABLET_ENABLE);
    ASSERT_EQ(2u, enables.size());
    EXPECT_EQ(0u, FakeRequestValue(enables[1]));  // reporting off by the stop
    EXPECT_TRUE(CopyFakeMessageBoxes().empty());
}

TEST_F(PacketReaderTest, StopWhilePollingEndsTheReaderCleanly)
{
    StartReader();
    AwaitWait(1);
    QueueFakePacket(MakePacket(5, 5, 0));
    AwaitPackets(1);
    AwaitWait(2);
    ASSERT_EQ(50u, WaitMs(2));
    HANDLE event = PacketReader.PacketEvent;

    StopPacketReader();
    AwaitEnd();
    EXPECT_EQ(1u, Reads());
    EXPECT_EQ(1u, ReaderWindowLog.Packets.size());  // no idle packet, nothing read
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_FALSE(IsHandleOpen(event));
    EXPECT_TRUE(PacketReader.PacketEvent == NULL);
}

bool ReadRequested(void *)
{
    return !FakeRequestsOfCode(IOCTL_TABLET_READ_PACKET).empty();
}

DWORD WINAPI StopOnOtherThread(LPVOID)
{
    StopPacketReader();
    return 0;
}

TEST_F(PacketReaderTest, EventIsClosedAndSignalledOnlyUnderTheEventLock)
{
    StartReader();
    AwaitWait(1);
    HANDLE event = PacketReader.PacketEvent;

    // The reader ends (its read fails) while the lock is held elsewhere: the
    // event stays open and published until the lock is free.
    EnterCriticalSection(&PacketReader.EventLock);
    FakeDriver.FailCode = IOCTL_TABLET_READ_PACKET;
    QueueFakePacket(MakePacket(1, 1, 0x80));
    ASSERT_TRUE(PumpUntil(ReadRequested, NULL));
    PumpFor(100);
    EXPECT_TRUE(IsHandleOpen(event));
    EXPECT_EQ(event, PacketReader.PacketEvent);
    EXPECT_EQ(0, FakeDriver.Closes);
    LeaveCriticalSection(&PacketReader.EventLock);
    AwaitEnd();
    EXPECT_FALSE(IsHandleOpen(event));
    EXPECT_TRUE(PacketReader.PacketEvent == NULL);
    ExpectOneLastClose();
}

TEST_F(PacketReaderTest, StopSignalsOnlyUnderTheEventLock)
{
    StartReader();
    AwaitWait(1);
    EnterCriticalSection(&PacketReader.EventLock);
    HANDLE stopper = CreateThread(NULL, 0, StopOnOtherThread, NULL, 0, NULL);
    ASSERT_TRUE(stopper != NULL);
    PumpFor(100);
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(stopper, 0));
    EXPECT_FALSE(ThreadEnded(Thread));
    EXPECT_TRUE(PacketReader.PacketEvent != NULL);
    LeaveCriticalSection(&PacketReader.EventLock);
    AwaitEnd();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(stopper, 5000));
    CloseHandle(stopper);
    EXPECT_EQ(0u, Reads());
    ExpectOneLastClose();
}

TEST_F(PacketReaderTest, StopBeforeTheReaderStartsIsNotMissed)
{
    // The stop comes while the start steps would still run: the reader must
    // not enter its loop and wait for ever.
    StopPacketReader();
    StartReader();
    AwaitEnd();
    EXPECT_EQ(0u, FakeWaitCount());
    EXPECT_TRUE(FakeRequestsOfCode(IOCTL_TABLET_SET_EVENT).empty());
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_TRUE(PacketReader.PacketEvent == NULL);
}

TEST_F(PacketReaderTest, FailedArmShowsTheErrorOnceAndCloses)
{
    FakeDriver.FailCode = IOCTL_TABLET_SET_EVENT;
    StartReader();
    AwaitEnd();
    std::vector<FakeMessageBoxCall> boxes = CopyFakeMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The Vellum USB Tablet driver interface application could not start.",
              boxes[0].Text);
    EXPECT_EQ("Vellum USB Tablet Driver Error", boxes[0].Caption);
    EXPECT_EQ((UINT)MB_ICONHAND, boxes[0].Type);
    EXPECT_EQ(Window, boxes[0].Owner);
    EXPECT_EQ(ThreadId, boxes[0].ThreadId);
    EXPECT_EQ(0u, Reads());
    EXPECT_EQ(0u, FakeWaitCount());
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_TRUE(PacketReader.PacketEvent == NULL);
}

TEST_F(PacketReaderTest, FailedArmOnALaterPassShowsTheErrorOnce)
{
    StartReader();
    AwaitWait(1);
    FakeDriver.FailCode = IOCTL_TABLET_SET_EVENT;
    QueueFakePacket(MakePacket(1, 1, 0x80));
    AwaitEnd();
    EXPECT_EQ(1u, ReaderWindowLog.Packets.size());
    EXPECT_EQ(1u, CopyFakeMessageBoxes().size());
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
}

TEST_F(PacketReaderTest, FailedReadEndsSilently)
{
    StartReader();
    AwaitWait(1);
    FakeDriver.FailCode = IOCTL_TABLET_READ_PACKET;
    QueueFakePacket(MakePacket(1, 1, 0x80));
    AwaitEnd();
    EXPECT_TRUE(ReaderWindowLog.Packets.empty());
    EXPECT_TRUE(CopyFakeMessageBoxes().empty());
    ExpectOneLastClose();
    EXPECT_EQ(1, FakeDriver.Closes);
}

// Another copy starting, IDM_CLOSE or the end of the session while the
// reader is still reading the key: there is nothing loaded to save, and the
// stored settings must not be overwritten with the starting values.
TEST_F(PacketReaderTest, ShutdownDuringTheStartupLoadLeavesTheStoredSettingsAlone)
{
    StoreUserSettings();
    StartReaderHeldAt(0);
    ShutDownProgram();
    SetEvent(Held.Released);
    AwaitEnd();

    EXPECT_EQ(0u, Stored(VALUE_ABSOLUTE));
    EXPECT_EQ(17u, Stored(VALUE_SENSITIVITY));
    EXPECT_EQ(12u, Stored(VALUE_BUTTON1));
    EXPECT_EQ(17, TabletSettings.Sensitivity) << "the load itself went on";
}

// The values are in before the block goes to the driver: a driver that
// never answers the block neither stops the save of what the user changed
// nor keeps the shutdown from finishing.
TEST_F(PacketReaderTest, ShutdownFinishesAndSavesWhileTheDriverHoldsTheSettingsBlock)
{
    StoreUserSettings();
    StartReaderHeldAt(IOCTL_TABLET_SET_SETTINGS);
    LockSettings();
    TabletSettings.Sensitivity = 23;  // the dialog, meanwhile
    UnlockSettings();

    HANDLE shutdown = CreateThread(NULL, 0, ShutDownOnThisThread, NULL, 0, NULL);
    ASSERT_TRUE(shutdown != NULL);
    DWORD waited = WaitForSingleObject(shutdown, 10000);
    SetEvent(Held.Released);
    WaitForSingleObject(shutdown, 10000);
    CloseHandle(shutdown);
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "the shutdown waited for the driver";
    AwaitEnd();

    EXPECT_EQ(23u, Stored(VALUE_SENSITIVITY));
    EXPECT_EQ(0u, Stored(VALUE_ABSOLUTE));
    EXPECT_EQ(12u, Stored(VALUE_BUTTON1));

    // The stop could not switch reporting off: the reader did, before it
    // closed the channel (a request after the close reaches no driver).
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    std::vector<FakeDriverRequest> enables = FakeRequestsOfCode(IOCTL_TABLET_ENABLE);
    ASSERT_EQ(2u, enables.size());
    EXPECT_EQ(1u, FakeRequestValue(enables[0]));
    EXPECT_EQ(0u, FakeRequestValue(enables[1]));
    EXPECT_EQ((DWORD)IOCTL_TABLET_ENABLE, log.back().Code);
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_FALSE(FakeDriver.IsOpen);
}

// A driver that does not answer a request of the reader holds the channel.
// Each request of the window thread then gives up after its wait, as if the
// driver had refused it, so that the window goes on handling its messages
// (WM_CLOSE among them); once the driver answers, requests go through again.
TEST_F(PacketReaderTest, WindowRequestsGiveUpWhileTheDriverHoldsTheReadersRequest)
{
    StoreUserSettings();
    StartReaderHeldAt(IOCTL_TABLET_SET_EVENT);
    const size_t logBefore = CopyFakeDriverLog().size();
    const TabletSettingsState before = TabletSettings;  // the reader's load is done
    HWND window = Window;
    const struct {
        const char *Name;
        std::function<void()> Make;
    } requests[] = {
        {"IDM_ABSOLUTE", [=] { HandleCommand(window, IDM_ABSOLUTE); }},
        {"IDM_PORTRAIT", [=] { HandleCommand(window, IDM_PORTRAIT); }},
        {"the sensitivity slider", [] { EXPECT_FALSE(SetSensitivity(30)); }},
        {"WM_TABLET_RELOAD", [=] { MainWindowProc(window, WM_TABLET_RELOAD, 0, 0); }},
    };
    for (const auto &r : requests) {
        SCOPED_TRACE(r.Name);
        const DWORD start = OsGetTickCount();
        r.Make();
        EXPECT_EQ((DWORD)CHANNEL_WAIT_MS, OsGetTickCount() - start) << "simulated ms waited";
        EXPECT_EQ(logBefore, CopyFakeDriverLog().size()) << "a request reached the driver";
    }
    EXPECT_EQ(0, before.AbsoluteMode);  // as stored
    EXPECT_EQ(0, TabletSettings.AbsoluteMode);
    EXPECT_EQ(0, TabletSettings.Orientation);

    SetEvent(Held.Released);
    HandleCommand(Window, IDM_ABSOLUTE);
    EXPECT_EQ(1u, FakeRequestsOfCode(IOCTL_TABLET_SET_ABSOLUTE).size());
    EXPECT_EQ(1, TabletSettings.AbsoluteMode);
}

TEST_F(PacketReaderTest, FailedOpenClosesTheProgramSilently)
{
    FakeDriver.RefuseOpen = true;
    StartReader();
    AwaitEnd();
    ExpectOneLastClose();
    EXPECT_TRUE(CopyFakeMessageBoxes().empty());
    EXPECT_TRUE(CopyFakeDriverLog().empty());
    EXPECT_EQ(0, App.SettingsLoadAttempted);
    EXPECT_EQ(0, FakeDriver.Closes);
}

TEST_F(PacketReaderTest, FailedEnableClosesTheChannelSilently)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_SENSITIVITY, 12);
    RegCloseKey(key);
    FakeDriver.FailCode = IOCTL_TABLET_ENABLE;
    StartReader();
    AwaitEnd();
    ExpectOneLastClose();
    EXPECT_TRUE(CopyFakeMessageBoxes().empty());
    EXPECT_EQ(1u, CopyFakeDriverLog().size());
    EXPECT_EQ(0, App.SettingsLoadAttempted);
    EXPECT_EQ(4, TabletSettings.Sensitivity);  // never loaded
    EXPECT_EQ(1, FakeDriver.Closes);
}

}  // namespace
