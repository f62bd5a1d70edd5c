// Pen packets keep working the pointer while the sensitivity dialog is open:
// its modal loop dispatches the main window's WM_TABLET_PACKET.
#include <gtest/gtest.h>
#include "device/driver_channel.h"
#include "device/packet_ring.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "ui/sensitivity_harness.h"

namespace {

class SensitivityPacketsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetUpDialogHarness();
        ASSERT_TRUE(OpenDriverChannel());
    }
    void TearDown() override { TearDownDialogHarness(); }
};

struct PacketPost {
    HWND Window;
    PenPacket Packet;
    BOOL Posted;
};

// Posts from a thread of its own, as the reader does.
DWORD WINAPI PostFromReaderThread(LPVOID context)
{
    PacketPost *post = (PacketPost *)context;
    post->Posted = PostPenPacket(post->Window, &post->Packet);
    return 0;
}

TEST_F(SensitivityPacketsTest, PenPacketMovesThePointerWhileTheDialogIsOpen)
{
    PacketPost post = {DialogHarness.Owner, {1000, 2000, 0, 0x80, 0}, FALSE};
    RunDialogSteps({
        [&](HWND) {
            HANDLE thread = CreateThread(NULL, 0, PostFromReaderThread, &post, 0, NULL);
            ASSERT_TRUE(thread != NULL);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            ASSERT_TRUE(post.Posted);
            EXPECT_TRUE(FakeInput.Events.empty());
        },
        [](HWND dialog) {
            EXPECT_TRUE(IsWindowVisible(dialog));
            ASSERT_EQ(1u, FakeInput.Events.size());
            const FakeInputEvent &e = FakeInput.Events[0];
            EXPECT_FALSE(e.IsKey);
            EXPECT_EQ((DWORD)(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE), e.Flags);
            EXPECT_EQ(1000u, e.Dx);
            EXPECT_EQ(2000u, e.Dy);
            PressButton(dialog, IDOK);
        },
    });
    EXPECT_EQ(1u, FakeInput.Events.size());
}

}  // namespace
