// One probe pass over fake HID sets: which devices count as the tablet, what
// the pass leaves open, and which extents it records.
#include <gtest/gtest.h>
#include "device/hid_probe.h"
#include "fakes/fake_os.h"

namespace {

const USHORT VENDOR = 0x2C5E;
const USHORT PRODUCT = 0x0100;

class HidProbeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeHid();
        TabletFound = 0;
        TabletExtents.XMax = 0;
        TabletExtents.YMax = 0;
    }

    void AddDevices(int count, USHORT vendor, USHORT product)
    {
        for (int i = 0; i < count; i++)
            FakeHid.Devices.push_back(MakeFakeHidDevice(vendor, product));
    }

    // Every interface opened was closed, and no handle or preparsed data was
    // still held when the next index was asked for.
    void ExpectNothingLeftOpen()
    {
        EXPECT_EQ(FakeHid.Opens, FakeHid.Closes);
        EXPECT_EQ(FakeHid.PreparsedGets, FakeHid.PreparsedFrees);
        EXPECT_EQ(0, FakeHid.MostOpenAtEnum);
        EXPECT_EQ(0, FakeHid.MostPreparsedAtEnum);
        EXPECT_EQ(FakeHid.SetsCreated, FakeHid.SetsDestroyed);
    }
};

TEST_F(HidProbeTest, NoInterfacesMeansNoTablet)
{
    EXPECT_FALSE(ProbeTablet());
    EXPECT_EQ(0, TabletFound);
    ASSERT_EQ(1u, FakeHid.EnumIndices.size());
    EXPECT_EQ(0u, FakeHid.EnumIndices[0]);
    EXPECT_EQ(1, FakeHid.SetsCreated);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, NoDeviceSetMeansNoEnumeration)
{
    FakeHid.ClassDevsFails = true;
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT));
    EXPECT_FALSE(ProbeTablet());
    EXPECT_TRUE(FakeHid.EnumIndices.empty());
    EXPECT_EQ(0, FakeHid.Opens);
}

TEST_F(HidProbeTest, NineInterfacesAreAllExaminedAndClosedAsTheTableGrows)
{
    AddDevices(8, 0x845E, 0x0001);
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 4000, 3000));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(9, FakeHid.Opens);
    EXPECT_EQ(9, FakeHid.PreparsedGets);
    ASSERT_EQ(10u, FakeHid.EnumIndices.size());
    for (DWORD i = 0; i < 10; i++)
        EXPECT_EQ(i, FakeHid.EnumIndices[i]);
    EXPECT_EQ(4000, TabletExtents.XMax);
    EXPECT_EQ(3000, TabletExtents.YMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, ManyInterfacesBeyondSeveralDoublings)
{
    AddDevices(40, 0x845E, 0x0002);
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 5, 6));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(41, FakeHid.Opens);
    EXPECT_EQ(5, TabletExtents.XMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, OnlyBothIdsTogetherMakeTheTablet)
{
    struct {
        USHORT Vendor, Product;
        bool Tablet;
    } cases[] = {
        {0x2C5E, 0x0101, false},
        {0x2C5D, 0x0100, false},
        {0x0100, 0x2C5E, false},
        {0x2C5E, 0x0100, true},
    };
    for (const auto &c : cases) {
        ResetFakeHid();
        TabletFound = 0;
        FakeHid.Devices.push_back(MakeFakeHidDevice(c.Vendor, c.Product, 10, 20));
        EXPECT_EQ(c.Tablet, ProbeTablet()) << std::hex << c.Vendor << ":" << c.Product;
        EXPECT_EQ(1, FakeHid.Opens);
        ExpectNothingLeftOpen();
    }
}

TEST_F(HidProbeTest, DetailRecordCarriesTheFixedSizeField)
{
    AddDevices(2, 0x845E, 0x0001);
    ProbeTablet();
    ASSERT_EQ(2u, FakeHid.DetailSizeFields.size());
#ifndef _WIN64
    EXPECT_EQ(5u, FakeHid.DetailSizeFields[0]);
#endif
    EXPECT_EQ(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), FakeHid.DetailSizeFields[1]);
}

TEST_F(HidProbeTest, TabletThatCannotBeOpenedIsNotFound)
{
    FakeHidDevice tablet = MakeFakeHidDevice(VENDOR, PRODUCT, 10, 20);
    tablet.OpenFails = true;
    FakeHid.Devices.push_back(tablet);
    EXPECT_FALSE(ProbeTablet());
    EXPECT_EQ(0, FakeHid.Opens);
    EXPECT_EQ(0, TabletExtents.XMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, InterfacesThatFailOnTheWayAreSkippedAndClosed)
{
    FakeHidDevice detail = MakeFakeHidDevice(VENDOR, PRODUCT);
    detail.DetailFails = true;
    FakeHidDevice preparsed = MakeFakeHidDevice(VENDOR, PRODUCT);
    preparsed.PreparsedFails = true;
    FakeHidDevice attributes = MakeFakeHidDevice(VENDOR, PRODUCT);
    attributes.AttributesFail = true;
    FakeHid.Devices = {detail, preparsed, attributes};
    EXPECT_FALSE(ProbeTablet());
    EXPECT_EQ(2, FakeHid.Opens);  // the detail failure never opens
    EXPECT_EQ(1, FakeHid.PreparsedGets);
    ExpectNothingLeftOpen();

    // The same failures ahead of the tablet do not hide it.
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 7, 8));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(7, TabletExtents.XMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, TabletWithUnreadableCapabilitiesIsFoundWithExtentsKept)
{
    FakeHidDevice tablet = MakeFakeHidDevice(VENDOR, PRODUCT, 10, 20);
    tablet.CapsFail = true;
    FakeHid.Devices.push_back(tablet);
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(0, TabletExtents.XMax);
    EXPECT_EQ(0, TabletExtents.YMax);
    EXPECT_TRUE(FakeHid.ValueCapsOffered.empty());
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, ExtentsAreWrittenOnlyForAxesTheReportHas)
{
    TabletExtents.XMax = 1234;
    TabletExtents.YMax = 5678;
    FakeHidDevice noX = MakeFakeHidDevice(VENDOR, PRODUCT, 999, 777);
    noX.HasX = false;
    FakeHid.Devices.push_back(noX);
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(1234, TabletExtents.XMax);
    EXPECT_EQ(777, TabletExtents.YMax);

    FakeHidDevice noY = MakeFakeHidDevice(VENDOR, PRODUCT, 999, 888);
    noY.HasY = false;
    FakeHid.Devices[0] = noY;
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(999, TabletExtents.XMax);
    EXPECT_EQ(777, TabletExtents.YMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, ValueQueriesOfferRoomForEveryInputValue)
{
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 100, 200));
    ASSERT_TRUE(ProbeTablet());
    // The fake's report has X, Y and a pressure value.
    ASSERT_EQ(2u, FakeHid.ValueCapsOffered.size());
    EXPECT_EQ(3, FakeHid.ValueCapsOffered[0]);
    EXPECT_EQ(3, FakeHid.ValueCapsOffered[1]);
}

TEST_F(HidProbeTest, NegativeAndLargeMaximaAreKeptAsSigned32Bit)
{
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 70000, -5));
    ASSERT_TRUE(ProbeTablet());
    EXPECT_EQ(70000, TabletExtents.XMax);
    EXPECT_EQ(-5, TabletExtents.YMax);
}

TEST_F(HidProbeTest, EnumerationErrorAtOneIndexSkipsOnlyThatIndex)
{
    AddDevices(3, 0x845E, 0x0001);
    FakeHid.Devices[1].EnumFails = true;
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 11, 22));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(3, FakeHid.Opens);
    ASSERT_EQ(5u, FakeHid.EnumIndices.size());
    EXPECT_EQ(4u, FakeHid.EnumIndices[4]);
    EXPECT_EQ(11, TabletExtents.XMax);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, LongRunOfEnumerationErrorsShortOfTheLimitIsCrossed)
{
    AddDevices(HID_ENUM_FAILURE_LIMIT - 1, 0x845E, 0x0001);
    for (FakeHidDevice &d : FakeHid.Devices)
        d.EnumFails = true;
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 3, 4));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(1, FakeHid.Opens);
    ExpectNothingLeftOpen();
}

TEST_F(HidProbeTest, EnumerationThatNeverStopsFailingEndsThePass)
{
    AddDevices(2, 0x845E, 0x0001);
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 30, 40));
    FakeHid.EnumFailsPastEnd = true;
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(3u + HID_ENUM_FAILURE_LIMIT, FakeHid.EnumIndices.size());
    EXPECT_EQ(30, TabletExtents.XMax);
    EXPECT_EQ(1, FakeHid.SetsDestroyed);
    ExpectNothingLeftOpen();

    // Without the tablet the same endless failure still ends, not found.
    ResetFakeHid();
    TabletFound = 0;
    FakeHid.EnumFailsPastEnd = true;
    EXPECT_FALSE(ProbeTablet());
    EXPECT_EQ((size_t)HID_ENUM_FAILURE_LIMIT, FakeHid.EnumIndices.size());
}

TEST_F(HidProbeTest, FoundStaysFoundWhenTheTabletIsGone)
{
    FakeHid.Devices.push_back(MakeFakeHidDevice(VENDOR, PRODUCT, 50, 60));
    ASSERT_TRUE(ProbeTablet());
    FakeHid.Devices.clear();
    EXPECT_TRUE(ProbeTablet());
    FakeHid.Devices.push_back(MakeFakeHidDevice(0x2C5E, 0x0101));
    EXPECT_TRUE(ProbeTablet());
    EXPECT_EQ(1, TabletFound);
    EXPECT_EQ(50, TabletExtents.XMax);
    EXPECT_EQ(60, TabletExtents.YMax);
}

}  // namespace
