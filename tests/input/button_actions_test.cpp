// The mouse and key actions, called directly.
#include <gtest/gtest.h>
#include "fakes/fake_os.h"
#include "input/button_actions.h"
#include "input_events.h"

namespace {

const LPARAM EXTRA = 0x7E570001;

class ButtonActionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeInput();
        FakeInput.ExtraInfo = EXTRA;
        DragLatch = 0;
    }
};

struct ClickCase {
    int Code;
    DWORD Down;
    DWORD Up;
};

const ClickCase CLICKS[] = {
    {1, 0x0002, 0x0004},
    {4, 0x0008, 0x0010},
    {7, 0x0020, 0x0040},
};

TEST_F(ButtonActionsTest, ClicksSendTheDownEventOnlyForPhaseOneAndTheUpEventForAnyOtherPhase)
{
    const LONG phases[] = {1, 2, 0, -1, 3, 0x7FFFFFFF, (LONG)0x80000000};
    for (const ClickCase &c : CLICKS) {
        for (LONG phase : phases) {
            SCOPED_TRACE(testing::Message() << "code " << c.Code << " phase " << phase);
            ResetFakeInput();
            FakeInput.ExtraInfo = EXTRA + phase;
            PerformMouseAction(c.Code, phase);
            EXPECT_EQ(std::vector<std::string>{MouseLine(phase == 1 ? c.Down : c.Up,
                                                         EXTRA + phase)},
                      RecordedLines());
        }
    }
}

TEST_F(ButtonActionsTest, OnlyTheLeftClickClearsTheLatchAndItSendsNothingForTheClearing)
{
    struct {
        int Code;
        LONG Phase;
        LONG LatchAfter;
        DWORD Flags;
    } cases[] = {
        {1, 1, 0, 0x0002}, {1, 2, 0, 0x0004},
        {4, 1, 1, 0x0008}, {4, 2, 1, 0x0010},
        {7, 1, 1, 0x0020}, {7, 2, 1, 0x0040},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.Code << " phase " << c.Phase);
        ResetFakeInput();
        FakeInput.ExtraInfo = EXTRA;
        DragLatch = 1;
        PerformMouseAction(c.Code, c.Phase);
        EXPECT_EQ(c.LatchAfter, DragLatch);
        EXPECT_EQ(std::vector<std::string>{MouseLine(c.Flags, EXTRA)}, RecordedLines());
    }
}

TEST_F(ButtonActionsTest, DoubleClicksSendFourEventsWithNoExtraInfoAtEveryPhaseAndLeaveTheLatch)
{
    struct {
        int Code;
        DWORD Down, Up;
    } cases[] = {{2, 0x0002, 0x0004}, {5, 0x0008, 0x0010}, {8, 0x0020, 0x0040}};
    for (const auto &c : cases) {
        for (LONG latch = 0; latch <= 1; latch++) {
            for (LONG phase : {1, 2}) {
                SCOPED_TRACE(testing::Message() << "code " << c.Code << " latch " << latch
                                                << " phase " << phase);
                ResetFakeInput();
                FakeInput.ExtraInfo = EXTRA;
                DragLatch = latch;
                PerformMouseAction(c.Code, phase);
                EXPECT_EQ(DoubleClickLines(c.Down, c.Up), RecordedLines());
                EXPECT_EQ(latch, DragLatch);
            }
        }
    }
}

TEST_F(ButtonActionsTest, DragsToggleTheOneLatchWhateverThePhase)
{
    struct {
        int Code;
        DWORD Down, Up;
    } cases[] = {{3, 0x0002, 0x0004}, {6, 0x0008, 0x0010}, {9, 0x0020, 0x0040}};
    for (const auto &c : cases) {
        for (LONG phase : {1, 2, 0}) {
            SCOPED_TRACE(testing::Message() << "code " << c.Code << " phase " << phase);
            ResetFakeInput();
            FakeInput.ExtraInfo = EXTRA;
            DragLatch = 0;
            PerformMouseAction(c.Code, phase);
            EXPECT_EQ(1, DragLatch);
            PerformMouseAction(c.Code, phase);
            EXPECT_EQ(0, DragLatch);
            EXPECT_EQ((std::vector<std::string>{MouseLine(c.Down, 0), MouseLine(c.Up, 0)}),
                      RecordedLines());
        }
    }
}

TEST_F(ButtonActionsTest, ADragLetsGoOfItsOwnMouseButtonWhicheverButtonSetTheLatch)
{
    PerformMouseAction(3, 1);  // left down, latch set
    PerformMouseAction(9, 1);  // latch set: middle up
    PerformMouseAction(6, 2);  // latch clear: right down
    PerformMouseAction(3, 2);  // latch set: left up
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0002, 0), MouseLine(0x0040, 0),
                                        MouseLine(0x0008, 0), MouseLine(0x0004, 0)}),
              RecordedLines());
    EXPECT_EQ(0, DragLatch);
}

TEST_F(ButtonActionsTest, RoutinesIgnoreCodesOutsideTheirRange)
{
    const int notMouse[] = {0, -1, 10, 15, 16, 38, 39, 32767, -32768, 257, 259};
    for (int code : notMouse) {
        SCOPED_TRACE(testing::Message() << "mouse action " << code);
        DragLatch = 1;
        PerformMouseAction(code, 1);
        PerformMouseAction(code, 2);
        EXPECT_EQ(1, DragLatch);
    }
    // The key routines act on 10..38 alone, the mouse codes included.
    const int notKey[] = {0, -1, 1, 2, 3, 9, 39, 40, 48, 58, 32767, -32768, 266, -246};
    for (int code : notKey) {
        SCOPED_TRACE(testing::Message() << "key action " << code);
        PerformKeyAction(code);
        SendKeystroke(code);
    }
    EXPECT_TRUE(RecordedLines().empty());
    EXPECT_EQ(1, DragLatch);
}

TEST_F(ButtonActionsTest, ChordTenIsCtrlCWithTheModifierLetGoFirst)
{
    PerformKeyAction(10);
    EXPECT_EQ(ChordLines(0x11, 0x1D, 0x43, 0x2E), RecordedLines());
}

TEST_F(ButtonActionsTest, ChordFifteenIsTheLeftWindowsKeyWithItsOwnScanCodeAndF1)
{
    PerformKeyAction(15);
    EXPECT_EQ(ChordLines(0x5B, 0x37, 0x70, 0x3B), RecordedLines());
}

TEST_F(ButtonActionsTest, F11AndF12CarryScanCodes85And86)
{
    SendKeystroke(37);
    SendKeystroke(38);
    std::vector<std::string> expected = KeyPressLines(0x7A, 0x85);
    std::vector<std::string> f12 = KeyPressLines(0x7B, 0x86);
    expected.insert(expected.end(), f12.begin(), f12.end());
    EXPECT_EQ(expected, RecordedLines());
}

TEST_F(ButtonActionsTest, EveryKeyEventIsExtendedWithNoExtraInfoAndLeavesTheLatch)
{
    DragLatch = 1;
    for (int code = 10; code <= 38; code++)
        PerformKeyAction(code);
    EXPECT_EQ(1, DragLatch);
    EXPECT_EQ(6 * 4 + 23 * 2, (int)FakeInput.Events.size());
    for (const FakeInputEvent &e : FakeInput.Events) {
        EXPECT_TRUE(e.IsKey);
        EXPECT_EQ(0u, e.Extra);
        EXPECT_TRUE(e.Flags & KEYEVENTF_EXTENDEDKEY);
    }
}

}  // namespace
