// The virtual HID tablets as SetupAPI and HID.DLL see them: the ids and
// the X and Y ranges chosen for them, several at once, plugged and
// unplugged at run time.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

struct VirtualHid : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(InstallVirtualTablet(true)); }
    // Other tests start the program without a tablet.
    void TearDown() override { PresentTablets({}); }
};

std::vector<SeenHid> VirtualDevices()
{
    std::vector<SeenHid> found;
    for (const SeenHid &d : ListHidDevices())
        if (d.Virtual)
            found.push_back(d);
    return found;
}

TEST_F(VirtualHid, DefaultTabletHasTheTabletsIdsAndARealisticPairOfRanges)
{
    ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)}));
    std::vector<SeenHid> devices = VirtualDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].VendorId, 0x2C5E);
    EXPECT_EQ(devices[0].ProductId, 0x0100);
    EXPECT_TRUE(devices[0].HasX);
    EXPECT_TRUE(devices[0].HasY);
    EXPECT_EQ(devices[0].XMax, 0x7FFF);
    EXPECT_EQ(devices[0].YMax, 0x5FFF);
}

TEST_F(VirtualHid, SeveralTabletsWithOtherIdsAndOneWithoutXAndY)
{
    VTabletDeviceSpec other = DefaultTabletSpec(2);
    other.ProductId = 0x0101;
    other.XMax = 1000;
    other.YMax = 0x12345;
    VTabletDeviceSpec noXY = DefaultTabletSpec(3);
    noXY.Flags = VTABLET_NO_XY;
    VTabletDeviceSpec foreign = DefaultTabletSpec(4);
    foreign.VendorId = 0x1234;
    ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1), other, noXY, foreign}));

    int seenOther = 0, seenNoXY = 0, seenForeign = 0;
    for (const SeenHid &d : VirtualDevices()) {
        if (d.ProductId == 0x0101) {
            seenOther++;
            EXPECT_EQ(d.XMax, 1000);
            EXPECT_EQ(d.YMax, 0x12345);
        }
        if (d.VendorId == 0x2C5E && d.ProductId == 0x0100 && !d.HasX) {
            seenNoXY++;
            EXPECT_FALSE(d.HasY);
        }
        if (d.VendorId == 0x1234)
            seenForeign++;
    }
    EXPECT_EQ(seenOther, 1);
    EXPECT_EQ(seenNoXY, 1);
    EXPECT_EQ(seenForeign, 1);
}

TEST_F(VirtualHid, UnplugRemovesOnlyThatTabletAndPlugBringsItBack)
{
    VTabletDeviceSpec second = DefaultTabletSpec(2);
    second.ProductId = 0x0101;
    ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1), second}));
    ASSERT_TRUE(UnplugHidTablet(1));
    EXPECT_TRUE(WaitFor([] { return VirtualDevices().size() == 1; }, 10000));
    std::vector<SeenHid> left = VirtualDevices();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].ProductId, 0x0101);

    VTabletDeviceSpec first = DefaultTabletSpec(1);
    ASSERT_TRUE(PlugHidTablet(&first));
    EXPECT_TRUE(WaitFor([] { return VirtualDevices().size() == 2; }, 10000));
    // A serial in use cannot be plugged twice.
    EXPECT_FALSE(PlugHidTablet(&first));
}

}  // namespace
