// The program among several HID devices: it takes its ranges from the one
// with the tablet's ids.
#include "program_fixture.h"

namespace {

TEST_F(Program, AmongSeveralHidDevicesTheTabletsRangesMakeTheExtentsWord)
{
    VTabletDeviceSpec foreign = DefaultTabletSpec(2);
    foreign.VendorId = 0x1234;
    foreign.XMax = 0x1111;
    foreign.YMax = 0x2222;
    VTabletDeviceSpec otherProduct = DefaultTabletSpec(3);
    otherProduct.ProductId = 0x0101;
    otherProduct.XMax = 0x3333;
    otherProduct.YMax = 0x4444;
    VTabletDeviceSpec tablet = DefaultTabletSpec(4);
    tablet.XMax = 0x2000;
    tablet.YMax = 0x10000;   // spills into the upper half of the word
    ASSERT_TRUE(PresentTablets({foreign, otherProduct, tablet}));
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 2});
    StartReady();

    std::vector<VTabletLogEntry> extents = EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_EXTENTS);
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_EQ(LoggedValue(extents[0]), 0x20010000u);
    std::vector<VTabletLogEntry> blocks = EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_SETTINGS);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(BlockWord(blocks[0].Input, 12), 0x2000);   // whole tablet: its maxima
    EXPECT_EQ(BlockWord(blocks[0].Input, 14), 0x0000);   // low 16 bits of 0x10000
}

TEST_F(Program, OnlyAForeignDeviceKeepsTheProgramWaitingUntilTheTabletIsPlugged)
{
    VTabletDeviceSpec foreign = DefaultTabletSpec(2);
    foreign.VendorId = 0x1234;
    ASSERT_TRUE(PresentTablets({foreign}));
    Run = StartProgram();
    ASSERT_TRUE(Run.Started);
    ASSERT_TRUE(WaitFor([] { return FindProgramWindow() != NULL; }, 30000));
    Sleep(500);
    EXPECT_EQ(TabletState().Opens, 0u) << "the driver was opened without the tablet";

    VTabletDeviceSpec tablet = DefaultTabletSpec(1);
    ASSERT_TRUE(PlugHidTablet(&tablet));
    ASSERT_TRUE(WaitFor([&] { return CountOf(IOCTL_TABLET_SET_EVENT) > 0; }, 30000));
    std::vector<VTabletLogEntry> extents = EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_EXTENTS);
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_EQ(LoggedValue(extents[0]), 0x7FFF5FFFu);
}

}  // namespace
