// The stand-in tablet driver itself, driven the way the program drives it:
// the end-to-end tests of the program can only be as right as it is.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

struct StandInDriver : ::testing::Test {
    HANDLE Device = INVALID_HANDLE_VALUE;
    HANDLE Event = NULL;

    void SetUp() override
    {
        ASSERT_TRUE(InstallVirtualTablet(false));
        ASSERT_TRUE(ResetVirtualTablet());
        Device = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, 0, NULL);
        ASSERT_NE(Device, INVALID_HANDLE_VALUE);
        Event = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    void TearDown() override
    {
        if (Device != INVALID_HANDLE_VALUE)
            CloseHandle(Device);
        if (Event)
            CloseHandle(Event);
        ResetVirtualTablet();
    }
    BOOL Send(DWORD code, const void *in, DWORD inSize, void *out = NULL,
              DWORD outSize = 0)
    {
        DWORD returned = 0;
        return DeviceIoControl(Device, code, const_cast<void *>(in), inSize, out,
                               outSize, &returned, NULL);
    }
    BOOL SendValue(DWORD code, DWORD value) { return Send(code, &value, 4); }
    BOOL Arm()
    {
        DWORD handle = (DWORD)(ULONG_PTR)Event;
        return Send(IOCTL_TABLET_SET_EVENT, &handle, 4);
    }
    PenPacket Read()
    {
        PenPacket p = MakePenPacket(0x55555555, 0x55555555, 0x55555555);
        EXPECT_TRUE(Send(IOCTL_TABLET_READ_PACKET, NULL, 0, &p, sizeof p));
        return p;
    }
};

TEST_F(StandInDriver, QueuedPacketSignalsTheArmedEventAndIsReadBackInOrder)
{
    ASSERT_TRUE(Arm());
    ASSERT_TRUE(SendValue(IOCTL_TABLET_ENABLE, 1));
    EXPECT_EQ(WaitForSingleObject(Event, 50), (DWORD)WAIT_TIMEOUT);

    PenPacket packets[2] = {MakePenPacket(100, 200, PEN_STATUS_IN_RANGE),
                            MakePenPacket(-1, -1, PEN_STATUS_BUTTON1)};
    ASSERT_TRUE(QueuePenPackets(packets, 2));
    EXPECT_EQ(WaitForSingleObject(Event, 5000), (DWORD)WAIT_OBJECT_0);
    PenPacket first = Read();
    EXPECT_EQ(first.x, 100);
    EXPECT_EQ(first.y, 200);
    EXPECT_EQ(first.status, PEN_STATUS_IN_RANGE);

    // Re-arming with a packet still waiting leaves the event signalled...
    ASSERT_TRUE(Arm());
    EXPECT_EQ(WaitForSingleObject(Event, 0), (DWORD)WAIT_OBJECT_0);
    PenPacket second = Read();
    EXPECT_EQ(second.x, -1);
    EXPECT_EQ(second.status, PEN_STATUS_BUTTON1);
    // ...and with none waiting returns it to non-signalled.
    ASSERT_TRUE(Arm());
    EXPECT_EQ(WaitForSingleObject(Event, 50), (DWORD)WAIT_TIMEOUT);
    EXPECT_EQ(TabletState().Delivered, 2u);
}

TEST_F(StandInDriver, PacketsWaitWhileReportingIsOff)
{
    ASSERT_TRUE(Arm());
    PenPacket p = MakePenPacket(1, 2, PEN_STATUS_IN_RANGE);
    ASSERT_TRUE(QueuePenPackets(&p, 1));
    EXPECT_EQ(WaitForSingleObject(Event, 100), (DWORD)WAIT_TIMEOUT);
    ASSERT_TRUE(SendValue(IOCTL_TABLET_ENABLE, 1));
    EXPECT_EQ(WaitForSingleObject(Event, 5000), (DWORD)WAIT_OBJECT_0);
    EXPECT_EQ(Read().y, 2);
}

TEST_F(StandInDriver, FullQueueDropsTheOldestAndCountsThem)
{
    std::vector<PenPacket> packets;
    for (int i = 0; i < VTABLET_QUEUE_CAPACITY + 5; i++)
        packets.push_back(MakePenPacket(i, i, PEN_STATUS_IN_RANGE));
    ASSERT_TRUE(QueuePenPackets(packets.data(), (unsigned)packets.size()));
    VTabletState state = TabletState();
    EXPECT_EQ(state.Queued, (unsigned)VTABLET_QUEUE_CAPACITY);
    EXPECT_EQ(state.Dropped, 5u);
    ASSERT_TRUE(SendValue(IOCTL_TABLET_ENABLE, 1));
    EXPECT_EQ(Read().x, 5);
}

TEST_F(StandInDriver, RecordsSettingsAndLogsEveryRequestInOrder)
{
    ASSERT_TRUE(SendValue(IOCTL_TABLET_SET_EXTENTS, 0x7FFF5FFF));
    ASSERT_TRUE(SendValue(IOCTL_TABLET_SET_ABSOLUTE, 0));
    ASSERT_TRUE(SendValue(IOCTL_TABLET_SET_ORIENTATION, 1));
    ASSERT_TRUE(SendValue(IOCTL_TABLET_SET_SENSITIVITY, 17));
    unsigned char block[32] = {};
    for (int i = 0; i < 18; i++)
        block[i] = (unsigned char)(i + 1);
    ASSERT_TRUE(Send(IOCTL_TABLET_SET_SETTINGS, block, sizeof block));

    VTabletState state = TabletState();
    EXPECT_EQ(state.Extents, 0x7FFF5FFFu);
    EXPECT_EQ(state.Absolute, 0u);
    EXPECT_EQ(state.Orientation, 1u);
    EXPECT_EQ(state.Sensitivity, 17u);
    EXPECT_EQ(state.SettingsCount, 1u);
    EXPECT_EQ(memcmp(state.Settings, block, 32), 0);

    std::vector<VTabletLogEntry> log = ReadLogFrom(0);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].Code, VTABLET_LOG_OPEN);
    EXPECT_EQ(log[0].ProcessId, GetCurrentProcessId());
    const unsigned codes[] = {IOCTL_TABLET_SET_EXTENTS, IOCTL_TABLET_SET_ABSOLUTE,
                              IOCTL_TABLET_SET_ORIENTATION,
                              IOCTL_TABLET_SET_SENSITIVITY, IOCTL_TABLET_SET_SETTINGS};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(log[i + 1].Code, codes[i]) << i;
    EXPECT_EQ(LoggedValue(log[1]), 0x7FFF5FFFu);
    EXPECT_EQ(log[5].InputLength, 32u);
    EXPECT_EQ(memcmp(log[5].Input, block, 32), 0);
}

TEST_F(StandInDriver, FailsTheChosenRequestsOnly)
{
    // The second orientation request fails, the others pass.
    ASSERT_TRUE(SetRequestFailure(IOCTL_TABLET_SET_ORIENTATION, 1, 1, 0));
    EXPECT_TRUE(SendValue(IOCTL_TABLET_SET_ORIENTATION, 1));
    EXPECT_FALSE(SendValue(IOCTL_TABLET_SET_ORIENTATION, 0));
    EXPECT_TRUE(SendValue(IOCTL_TABLET_SET_ORIENTATION, 0));
    // Every absolute-mode request fails and changes nothing.
    ASSERT_TRUE(SetRequestFailure(IOCTL_TABLET_SET_ABSOLUTE, 0, VTABLET_FAIL_FOREVER, 0));
    for (int i = 0; i < 3; i++)
        EXPECT_FALSE(SendValue(IOCTL_TABLET_SET_ABSOLUTE, 1));
    VTabletState state = TabletState();
    EXPECT_EQ(state.Absolute, VTABLET_NEVER_SET);
    EXPECT_EQ(state.Orientation, 0u);
    std::vector<VTabletLogEntry> failed = EntriesOfCode(ReadLogFrom(0),
                                                        IOCTL_TABLET_SET_ABSOLUTE);
    ASSERT_EQ(failed.size(), 3u);
    EXPECT_NE(failed[0].Status, 0u);
}

TEST_F(StandInDriver, RefusesOpensWhenToldAndCountsOpensAndCloses)
{
    ASSERT_TRUE(RefuseTabletOpen(true));
    HANDLE refused = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(refused, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(RefuseTabletOpen(false));
    HANDLE accepted = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                  0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(accepted, INVALID_HANDLE_VALUE);
    CloseHandle(accepted);
    CloseHandle(Device);
    Device = INVALID_HANDLE_VALUE;
    VTabletState state = TabletState();
    EXPECT_EQ(state.Opens, 2u);
    EXPECT_EQ(state.Closes, 2u);
}

// Gone: the armed event is signalled, as a driver that lost its tablet does;
// asleep: nothing wakes the caller.  Either way the requests and opens fail
// until the tablet is back.
TEST_F(StandInDriver, UnplugOrSleepFailsRequestsAndOpensAndOnlyUnplugSignals)
{
    struct Case { bool Asleep; DWORD Wait; } cases[] = {
        {false, (DWORD)WAIT_OBJECT_0}, {true, (DWORD)WAIT_TIMEOUT}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Asleep ? "asleep" : "gone");
        ASSERT_TRUE(Arm());
        ASSERT_TRUE(SendValue(IOCTL_TABLET_ENABLE, 1));
        ASSERT_TRUE(c.Asleep ? SetTabletAsleep(true) : SetTabletUnplugged(true));
        EXPECT_EQ(WaitForSingleObject(Event, c.Asleep ? 300 : 5000), c.Wait);
        PenPacket p;
        EXPECT_FALSE(Send(IOCTL_TABLET_READ_PACKET, NULL, 0, &p, sizeof p));
        EXPECT_FALSE(SendValue(IOCTL_TABLET_ENABLE, 1));
        HANDLE again = CreateFileA(TABLET_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                   0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(again, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetTabletUnplugged(false));
        EXPECT_TRUE(SendValue(IOCTL_TABLET_ENABLE, 1));
        ResetEvent(Event);
    }
}

}  // namespace
