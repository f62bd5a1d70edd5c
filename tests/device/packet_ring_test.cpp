// The way packets travel to the main window: each posted packet is taken
// once, as it was posted; anything else that arrives as WM_TABLET_PACKET is
// refused without being looked into.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include "app/main_window.h"
#include "device/packet_ring.h"
#include "reader_window.h"

namespace {

PenPacket MakePacket(int x, int y, unsigned status)
{
    PenPacket p;
    ZeroMemory(&p, sizeof p);
    p.x = x;
    p.y = y;
    p.status = status;
    p.reserved1 = 0x11111111u * (unsigned)(x & 0xF);
    return p;
}

class PacketRingTest : public testing::Test {
protected:
    HWND Window;
    void SetUp() override
    {
        ResetPacketRing();
        Window = CreateReaderWindow();
        ASSERT_TRUE(Window != NULL);
    }
    void TearDown() override { DestroyWindow(Window); }

    // Takes the window's pending WM_TABLET_PACKET messages off the queue
    // without handling them, in order.
    std::vector<LPARAM> PendingLParams()
    {
        std::vector<LPARAM> lParams;
        MSG msg;
        while (PeekMessageA(&msg, Window, WM_TABLET_PACKET, WM_TABLET_PACKET, PM_REMOVE))
            lParams.push_back(msg.lParam);
        return lParams;
    }
};

TEST_F(PacketRingTest, PostedPacketIsTakenOnceAsItWasPosted)
{
    PenPacket packet = MakePacket(100, 200, 0x80);
    ASSERT_TRUE(PostPenPacket(Window, &packet));
    packet.x = 999;  // the reader's next read must not change what was posted
    std::vector<LPARAM> lParams = PendingLParams();
    ASSERT_EQ(1u, lParams.size());

    PenPacket taken;
    ASSERT_TRUE(TakePostedPacket(lParams[0], &taken));
    EXPECT_EQ(100, taken.x);
    EXPECT_EQ(200, taken.y);
    EXPECT_EQ(0x80u, taken.status);
    PenPacket posted = MakePacket(100, 200, 0x80);
    EXPECT_EQ(0, memcmp(&taken, &posted, sizeof taken));  // reserved words too

    // The same lParam again, as another program might post it: refused.
    EXPECT_FALSE(TakePostedPacket(lParams[0], &taken));
}

TEST_F(PacketRingTest, AFullRingOfPendingPacketsArrivesIntact)
{
    for (int i = 0; i < PACKET_RING_SIZE; i++) {
        PenPacket packet = MakePacket(i, -i, (unsigned)i & 0xE0);
        ASSERT_TRUE(PostPenPacket(Window, &packet));
    }
    std::vector<LPARAM> lParams = PendingLParams();
    ASSERT_EQ((size_t)PACKET_RING_SIZE, lParams.size());
    for (int i = 0; i < PACKET_RING_SIZE; i++) {
        PenPacket taken;
        ASSERT_TRUE(TakePostedPacket(lParams[i], &taken)) << i;
        EXPECT_EQ(i, taken.x);
        EXPECT_EQ(-i, taken.y);
        EXPECT_EQ((unsigned)i & 0xE0, taken.status);
    }
}

TEST_F(PacketRingTest, OverrunSlotIsRefusedNeverHandedOutAsAnotherPacket)
{
    for (int i = 0; i <= PACKET_RING_SIZE; i++) {
        PenPacket packet = MakePacket(i, i, 0x80);
        PostPenPacket(Window, &packet);
    }
    std::vector<LPARAM> lParams = PendingLParams();
    ASSERT_EQ((size_t)PACKET_RING_SIZE + 1, lParams.size());
    PenPacket taken;
    EXPECT_FALSE(TakePostedPacket(lParams[0], &taken));  // its slot was reused
    for (int i = 1; i <= PACKET_RING_SIZE; i++) {
        ASSERT_TRUE(TakePostedPacket(lParams[i], &taken)) << i;
        EXPECT_EQ(i, taken.x);
    }
}

TEST_F(PacketRingTest, ForeignLParamsAreRefused)
{
    PenPacket real = MakePacket(1, 2, 0x80);
    PenPacket pending = MakePacket(3, 4, 0x80);
    ASSERT_TRUE(PostPenPacket(Window, &pending));
    std::vector<LPARAM> lParams = PendingLParams();
    ASSERT_EQ(1u, lParams.size());
    LPARAM next = (LPARAM)((ULONG_PTR)lParams[0] + 1);

    std::vector<LPARAM> foreign = {
        0, 1, -1, 2, 0x7FFFFFFF, (LPARAM)0x80000000u, (LPARAM)0xFFFFFFFFu,
        (LPARAM)&real, (LPARAM)0xDEAD0000u, next,
        (LPARAM)((ULONG_PTR)lParams[0] + PACKET_RING_SIZE),
        (LPARAM)((ULONG_PTR)lParams[0] - PACKET_RING_SIZE),
    };
#ifdef _WIN64
    foreign.push_back((LPARAM)((ULONG_PTR)lParams[0] | ((ULONG_PTR)1 << 32)));
#endif
    srand(12345);
    for (int i = 0; i < 1000; i++)
        foreign.push_back((LPARAM)(((ULONG_PTR)rand() << 16) ^ (ULONG_PTR)rand()));

    PenPacket taken;
    for (LPARAM lParam : foreign) {
        if (lParam == lParams[0])
            continue;
        EXPECT_FALSE(TakePostedPacket(lParam, &taken)) << std::hex << lParam;
    }
    // The pending packet is untouched by all of that.
    ASSERT_TRUE(TakePostedPacket(lParams[0], &taken));
    EXPECT_EQ(3, taken.x);
}

TEST_F(PacketRingTest, SmallNumbersNeverNamePendingPackets)
{
    // Other programs are likeliest to post small numbers; a full ring of
    // pending packets must not answer to any of them.
    for (int i = 0; i < PACKET_RING_SIZE; i++) {
        PenPacket packet = MakePacket(i, i, 0x80);
        ASSERT_TRUE(PostPenPacket(Window, &packet));
    }
    PenPacket taken;
    for (LPARAM lParam = -4096; lParam <= 65535; lParam++)
        ASSERT_FALSE(TakePostedPacket(lParam, &taken)) << lParam;
    std::vector<LPARAM> lParams = PendingLParams();
    ASSERT_EQ((size_t)PACKET_RING_SIZE, lParams.size());
    for (int i = 0; i < PACKET_RING_SIZE; i++)
        ASSERT_TRUE(TakePostedPacket(lParams[i], &taken)) << i;
}

TEST_F(PacketRingTest, ForeignMessagesToTheMainWindowAreIgnored)
{
    // Posted by "another program": lParams that would fault if dereferenced.
    HWND main = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                NULL, NULL, NULL);
    const LPARAM foreign[] = {1, 0x10, (LPARAM)0xDEAD0000u, -16, 0x7FFF0001};
    for (LPARAM lParam : foreign)
        EXPECT_EQ(FALSE, MainWindowProc(main, WM_TABLET_PACKET, 0, lParam));
    DestroyWindow(main);

    // A real packet, then the foreign messages and a replay of its lParam.
    PenPacket packet = MakePacket(5, 6, 0x80);
    ASSERT_TRUE(PostPenPacket(Window, &packet));
    std::vector<LPARAM> real = PendingLParams();
    ASSERT_EQ(1u, real.size());
    PostMessageA(Window, WM_TABLET_PACKET, 0, real[0]);
    int posted = 0;
    for (LPARAM lParam : foreign)
        if (lParam != real[0]) {
            PostMessageA(Window, WM_TABLET_PACKET, 0, lParam);
            posted++;
        }
    PostMessageA(Window, WM_TABLET_PACKET, 0, real[0]);
    PumpFor(20);
    EXPECT_EQ(posted + 1, ReaderWindowLog.ForeignPackets);
    ASSERT_EQ(1u, ReaderWindowLog.Packets.size());
    EXPECT_EQ(5, ReaderWindowLog.Packets[0].x);
}

}  // namespace
