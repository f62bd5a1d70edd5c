// What the driver receives for each operation of the channel.
#include <gtest/gtest.h>
#include <cstring>
#include "device/driver_channel.h"
#include "fakes/fake_os.h"

namespace {

class DriverChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        CloseDriverChannel();
        ResetFakeDriver();
    }
    void TearDown() override { CloseDriverChannel(); }
};

TEST_F(DriverChannelTest, EveryRequestFailsWithoutReachingTheDriverWhenNoChannelIsOpen)
{
    PenPacket packet;
    DriverSettingsBlock block;
    ZeroMemory(&block, sizeof block);
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    EXPECT_FALSE(EnableReporting(1));
    EXPECT_FALSE(ArmPacketEvent(event));
    EXPECT_FALSE(ReadPenPacket(&packet));
    EXPECT_FALSE(SetAbsoluteMode(1));
    EXPECT_FALSE(SetOrientation(1));
    EXPECT_FALSE(SetSensitivity(20));
    EXPECT_FALSE(SetExtents(100, 200));
    EXPECT_FALSE(SendSettingsBlock(&block));
    EXPECT_TRUE(CopyFakeDriverLog().empty());
    CloseHandle(event);
}

TEST_F(DriverChannelTest, RefusedOpenLeavesNoChannel)
{
    FakeDriver.RefuseOpen = true;
    EXPECT_FALSE(OpenDriverChannel());
    EXPECT_FALSE(IsDriverChannelOpen());
    EXPECT_FALSE(EnableReporting(1));
    EXPECT_TRUE(CopyFakeDriverLog().empty());
}

TEST_F(DriverChannelTest, CloseReleasesTheHandleOnceAndLaterRequestsFail)
{
    ASSERT_TRUE(OpenDriverChannel());
    CloseDriverChannel();
    CloseDriverChannel();
    EXPECT_EQ(1, FakeDriver.Opens);
    EXPECT_EQ(1, FakeDriver.Closes);
    EXPECT_FALSE(SetSensitivity(7));
    EXPECT_TRUE(CopyFakeDriverLog().empty());
}

struct ValueRequestCase {
    const char *Name;
    bool (*Send)(DWORD);
    DWORD Value;
    DWORD Code;
};

TEST_F(DriverChannelTest, ValueRequestsCarryTheirCodeAndOneFourByteValue)
{
    const ValueRequestCase cases[] = {
        {"enable on", EnableReporting, 1, 0x222010},
        {"enable off", EnableReporting, 0, 0x222010},
        {"absolute", SetAbsoluteMode, 1, 0x222014},
        {"relative", SetAbsoluteMode, 0, 0x222014},
        {"landscape", SetOrientation, 0, 0x222018},
        {"portrait", SetOrientation, 1, 0x222018},
        {"sensitivity", SetSensitivity, 37, 0x22201C},
    };
    ASSERT_TRUE(OpenDriverChannel());
    for (const ValueRequestCase &c : cases) {
        ResetFakeDriver();
        EXPECT_TRUE(c.Send(c.Value)) << c.Name;
        std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
        ASSERT_EQ(1u, log.size()) << c.Name;
        EXPECT_EQ(c.Code, log[0].Code) << c.Name;
        ASSERT_EQ(4u, log[0].Input.size()) << c.Name;
        EXPECT_EQ(c.Value, FakeRequestValue(log[0])) << c.Name;
        EXPECT_FALSE(log[0].HadOutputBuffer) << c.Name;
        EXPECT_EQ(0u, log[0].OutputSize) << c.Name;
    }
}

TEST_F(DriverChannelTest, DriverRefusalIsReportedAsFalse)
{
    ASSERT_TRUE(OpenDriverChannel());
    FakeDriver.FailCode = IOCTL_TABLET_SET_ORIENTATION;
    EXPECT_FALSE(SetOrientation(1));
    EXPECT_TRUE(SetAbsoluteMode(0));
}

TEST_F(DriverChannelTest, ArmHandsOverTheEventHandleValue)
{
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    ASSERT_TRUE(OpenDriverChannel());
    EXPECT_TRUE(ArmPacketEvent(event));
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(0x222008u, log[0].Code);
    ASSERT_EQ(4u, log[0].Input.size());
    EXPECT_EQ((DWORD)(ULONG_PTR)event, FakeRequestValue(log[0]));
    CloseHandle(event);
}

TEST_F(DriverChannelTest, ReadFillsTheCallersPacketAndAShortReadKeepsTheRest)
{
    ASSERT_TRUE(OpenDriverChannel());
    PenPacket sent = {100, 200, 0xAAAA, 0x80, 0xBBBB};
    QueueFakePacket(sent);
    PenPacket packet;
    memset(&packet, 0x11, sizeof packet);
    EXPECT_TRUE(ReadPenPacket(&packet));
    EXPECT_EQ(0, memcmp(&sent, &packet, sizeof packet));
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(0x22200Cu, log[0].Code);
    EXPECT_TRUE(log[0].Input.empty());
    EXPECT_EQ(20u, log[0].OutputSize);

    PenPacket next = {7, 8, 0, 0, 0};
    QueueFakePacket(next);
    FakeDriver.ShortRead = 8;
    EXPECT_TRUE(ReadPenPacket(&packet));
    EXPECT_EQ(7, packet.x);
    EXPECT_EQ(8, packet.y);
    EXPECT_EQ(0x80u, packet.status);  // the bytes the driver did not write
}

TEST_F(DriverChannelTest, ExtentsWordShiftsXAndOrsYUnmasked)
{
    EXPECT_EQ(0x12340567u, TABLET_EXTENTS_WORD(0x1234, 0x0567));
    EXPECT_EQ(0x20010000u, TABLET_EXTENTS_WORD(0x2000, 0x10000));
    EXPECT_EQ(0x56780001u, TABLET_EXTENTS_WORD(0x12345678, 1));  // high X bits shift out
    ASSERT_TRUE(OpenDriverChannel());
    EXPECT_TRUE(SetExtents(0x2000, 0x10000));
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(0x222020u, log[0].Code);
    EXPECT_EQ(0x20010000u, FakeRequestValue(log[0]));
}

TEST_F(DriverChannelTest, SettingsBlockGoesWholeWithItsCode)
{
    DriverSettingsBlock block;
    ZeroMemory(&block, sizeof block);
    block.Sensitivity = 0x0102;
    block.Landscape = 1;
    block.Absolute = 1;
    block.WorkingArea = 1;
    block.StartX = 0x1111;
    block.StartY = 0x2222;
    block.EndX = 0x3333;
    block.EndY = 0x4444;
    block.Button1 = 0x2C;
    block.Button2 = 3;
    ASSERT_TRUE(OpenDriverChannel());
    EXPECT_TRUE(SendSettingsBlock(&block));
    std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(0x222F80u, log[0].Code);
    ASSERT_EQ(32u, log[0].Input.size());
    const unsigned char expected[32] = {0x02, 0x01, 1, 0, 1, 0, 1, 0,
                                        0x11, 0x11, 0x22, 0x22, 0x33, 0x33,
                                        0x44, 0x44, 0x2C, 3};
    EXPECT_EQ(0, memcmp(expected, log[0].Input.data(), 32));
}

struct RequestResult {
    volatile LONG Done;
    bool Ok;
};

DWORD WINAPI SendRelativeOnThread(LPVOID p)
{
    RequestResult *r = (RequestResult *)p;
    r->Ok = SetAbsoluteMode(0);
    InterlockedExchange(&r->Done, 1);
    return 0;
}

// The close ends while the request still waits for the channel: the
// simulated clock stands still while the close holds it.
HANDLE CloseDone;

void WaitForTheClose(DWORD) { WaitForSingleObject(CloseDone, 5000); }

TEST_F(DriverChannelTest, RequestFromAnotherThreadWaitsForCloseAndThenFails)
{
    ASSERT_TRUE(OpenDriverChannel());
    CloseDone = CreateEventA(NULL, TRUE, FALSE, NULL);
    FakeSleepHook = WaitForTheClose;
    EnterCriticalSection(&DriverChannel.Lock);  // the reader, closing
    RequestResult result = {0, true};
    HANDLE thread = CreateThread(NULL, 0, SendRelativeOnThread, &result, 0, NULL);
    Sleep(50);
    EXPECT_EQ(0, result.Done);  // held behind the close
    OsCloseHandle(DriverChannel.Handle);
    DriverChannel.Handle = NULL;
    LeaveCriticalSection(&DriverChannel.Lock);
    SetEvent(CloseDone);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    FakeSleepHook = NULL;
    CloseHandle(CloseDone);
    EXPECT_EQ(1, result.Done);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(FakeRequestsOfCode(IOCTL_TABLET_SET_ABSOLUTE).empty());
}

}  // namespace
