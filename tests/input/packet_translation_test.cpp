// Pen packets through HandleTabletPacket: pointer motion, then the edges of
// pen button 2 and pen button 1 with the actions their codes name.
#include <gtest/gtest.h>
#include <climits>
#include <iterator>
#include "fakes/fake_os.h"
#include "input/button_actions.h"
#include "input/packet_translation.h"
#include "input_events.h"
#include "settings/settings_store.h"

namespace {

const LPARAM EXTRA = 0x7E570001;
const unsigned BUTTON1 = 0x20, BUTTON2 = 0x40, IN_RANGE = 0x80;

class PacketTranslationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeInput();
        FakeInput.ExtraInfo = EXTRA;
        ResetTabletSettings();
        ButtonState.Button1Down = 0;
        ButtonState.Button2Down = 0;
        DragLatch = 0;
    }
};

void SetAbsoluteMode(LONG absolute)
{
    LockSettings();
    TabletSettings.AbsoluteMode = absolute;
    UnlockSettings();
}

void SetButtonActions(SHORT button2, SHORT button1)
{
    LockSettings();
    TabletSettings.Button2Action = button2;
    TabletSettings.Button1Action = button1;
    UnlockSettings();
}

// The reserved words are filled so that reading them by mistake shows.
PenPacket Packet(int x, int y, unsigned status)
{
    PenPacket packet;
    packet.x = x;
    packet.y = y;
    packet.reserved1 = 0xFFFFFFFF;
    packet.status = status;
    packet.reserved2 = 0xFFFFFFFF;
    return packet;
}

// Handles one packet and answers the events it produced.
std::vector<std::string> Handle(int x, int y, unsigned status)
{
    size_t first = FakeInput.Events.size();
    HandleTabletPacket(Packet(x, y, status));
    return RecordedLines(first);
}

std::vector<std::string> HandleButtons(unsigned status) { return Handle(-1, -1, status); }

const std::vector<std::string> NOTHING;

// ---- Every action code at the press and at the release -----------------------

struct SingleKey {
    int Code;
    BYTE Vk, Scan;
};

const SingleKey SINGLE_KEYS[] = {
    {16, 0x1B, 0x01}, {17, 0x09, 0x0F}, {18, 0x08, 0x0E}, {19, 0x0D, 0x1C},
    {20, 0x20, 0x39}, {21, 0x2D, 0x52}, {22, 0x2E, 0x53}, {23, 0x24, 0x47},
    {24, 0x23, 0x4F}, {25, 0x21, 0x49}, {26, 0x22, 0x51}, {27, 0x70, 0x3B},
    {28, 0x71, 0x3C}, {29, 0x72, 0x3D}, {30, 0x73, 0x3E}, {31, 0x74, 0x3F},
    {32, 0x75, 0x40}, {33, 0x76, 0x41}, {34, 0x77, 0x42}, {35, 0x78, 0x43},
    {36, 0x79, 0x44}, {37, 0x7A, 0x85}, {38, 0x7B, 0x86},
};

struct Chord {
    int Code;
    BYTE ModVk, ModScan, KeyVk, KeyScan;
};

const Chord CHORDS[] = {
    {10, 0x11, 0x1D, 0x43, 0x2E},  // Ctrl+C
    {11, 0x11, 0x1D, 0x58, 0x2D},  // Ctrl+X
    {12, 0x11, 0x1D, 0x56, 0x2F},  // Ctrl+V
    {13, 0x12, 0x38, 0x73, 0x3E},  // Alt+F4
    {14, 0x11, 0x1D, 0x5A, 0x2C},  // Ctrl+Z
    {15, 0x5B, 0x37, 0x70, 0x3B},  // left Windows key+F1
};

struct EdgeEvents {
    std::vector<std::string> Press, Release;
};

// What one press and release of a pen button on `code` sends, the drag
// latch clear before it.
EdgeEvents ExpectedEdges(int code, LPARAM pressExtra, LPARAM releaseExtra)
{
    static const DWORD downs[] = {0x0002, 0x0008, 0x0020};
    static const DWORD ups[] = {0x0004, 0x0010, 0x0040};
    EdgeEvents e;
    if (code >= 1 && code <= 9) {
        DWORD down = downs[(code - 1) / 3], up = ups[(code - 1) / 3];
        switch ((code - 1) % 3) {
        case 0:
            e.Press = {MouseLine(down, pressExtra)};
            e.Release = {MouseLine(up, releaseExtra)};
            break;
        case 1:
            e.Press = e.Release = DoubleClickLines(down, up);
            break;
        case 2:
            e.Press = {MouseLine(down, 0)};
            e.Release = {MouseLine(up, 0)};
            break;
        }
    }
    for (const Chord &c : CHORDS)
        if (c.Code == code)
            e.Press = ChordLines(c.ModVk, c.ModScan, c.KeyVk, c.KeyScan);
    for (const SingleKey &k : SINGLE_KEYS)
        if (k.Code == code)
            e.Press = KeyPressLines(k.Vk, k.Scan);
    return e;
}

TEST_F(PacketTranslationTest, EveryCodeOnEitherPenButtonGivesItsEventsAtPressAndRelease)
{
    std::vector<int> codes;
    for (int code = -1; code <= 39; code++)
        codes.push_back(code);
    // A code is the whole signed 16-bit value, never its low byte.
    const int more[] = {32767, -32768, 257, 259, 266, 0x7F01, -255};
    codes.insert(codes.end(), std::begin(more), std::end(more));

    for (int button = 2; button >= 1; button--) {
        unsigned bit = button == 2 ? BUTTON2 : BUTTON1;
        for (int code : codes) {
            SCOPED_TRACE(testing::Message() << "pen button " << button << " code " << code);
            SetUp();
            if (button == 2)
                SetButtonActions((SHORT)code, 0);
            else
                SetButtonActions(0, (SHORT)code);
            EdgeEvents expected = ExpectedEdges(code, EXTRA + 1, EXTRA + 2);
            FakeInput.ExtraInfo = EXTRA + 1;
            EXPECT_EQ(expected.Press, HandleButtons(bit));
            FakeInput.ExtraInfo = EXTRA + 2;
            EXPECT_EQ(expected.Release, HandleButtons(0));
            EXPECT_EQ(0, DragLatch);
        }
    }
}

TEST_F(PacketTranslationTest, ABitHeldOverManyPacketsActsOnceAtItsPressAndOnceAtItsRelease)
{
    struct {
        SHORT Code;
        std::vector<std::string> Press, Release;
    } cases[] = {
        {16, KeyPressLines(0x1B, 0x01), NOTHING},
        {10, ChordLines(0x11, 0x1D, 0x43, 0x2E), NOTHING},
        {2, DoubleClickLines(0x0002, 0x0004), DoubleClickLines(0x0002, 0x0004)},
        {1, {MouseLine(0x0002, EXTRA)}, {MouseLine(0x0004, EXTRA)}},
        {3, {MouseLine(0x0002, 0)}, {MouseLine(0x0004, 0)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.Code);
        SetUp();
        SetButtonActions(c.Code, 0);
        EXPECT_EQ(c.Press, HandleButtons(BUTTON2 | IN_RANGE));
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(NOTHING, HandleButtons(BUTTON2 | IN_RANGE));
        EXPECT_EQ(c.Release, HandleButtons(IN_RANGE));
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(NOTHING, HandleButtons(0));
    }
}

TEST_F(PacketTranslationTest, LeftDoubleClickGivesEightEventsForOnePressAndRelease)
{
    SetButtonActions(2, 0);
    HandleButtons(BUTTON2);
    HandleButtons(0);
    std::vector<std::string> four = DoubleClickLines(0x0002, 0x0004);
    std::vector<std::string> eight = four;
    eight.insert(eight.end(), four.begin(), four.end());
    EXPECT_EQ(eight, RecordedLines());
}

TEST_F(PacketTranslationTest, StartingValuesHoldTheLeftButtonOnPenButton2AndDoubleClickOnPenButton1)
{
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0002, EXTRA)}), HandleButtons(BUTTON2));
    EXPECT_EQ(NOTHING, HandleButtons(BUTTON2));
    EXPECT_EQ(DoubleClickLines(0x0002, 0x0004), HandleButtons(BUTTON2 | BUTTON1));
    EXPECT_EQ(DoubleClickLines(0x0002, 0x0004), HandleButtons(BUTTON2));
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0004, EXTRA)}), HandleButtons(0));
}

// ---- The shared drag latch ------------------------------------------------------

TEST_F(PacketTranslationTest, BothPenButtonsShareTheOneDragLatch)
{
    struct {
        const char *Name;
        SHORT Button2, Button1;
        unsigned Statuses[4];
        std::vector<std::string> Events;
        LONG LatchAfter;
    } cases[] = {
        {"left drag on 2, right drag on 1: press 2, press 1, release 2, release 1",
         3, 6, {BUTTON2, BUTTON2 | BUTTON1, BUTTON1, 0},
         {MouseLine(0x0002, 0), MouseLine(0x0010, 0), MouseLine(0x0002, 0),
          MouseLine(0x0010, 0)},
         0},
        {"left drag on 2, left click on 1: press 2, press 1, release 1, release 2",
         3, 1, {BUTTON2, BUTTON2 | BUTTON1, BUTTON2, 0},
         {MouseLine(0x0002, 0), MouseLine(0x0002, EXTRA), MouseLine(0x0004, EXTRA),
          MouseLine(0x0002, 0)},
         1},
        {"middle drag on both: press 2, press 1, release 1, release 2",
         9, 9, {BUTTON2, BUTTON2 | BUTTON1, BUTTON2, 0},
         {MouseLine(0x0020, 0), MouseLine(0x0040, 0), MouseLine(0x0020, 0),
          MouseLine(0x0040, 0)},
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        SetButtonActions(c.Button2, c.Button1);
        for (unsigned status : c.Statuses)
            HandleButtons(status);
        EXPECT_EQ(c.Events, RecordedLines());
        EXPECT_EQ(c.LatchAfter, DragLatch);
    }
}

TEST_F(PacketTranslationTest, TheLatchOutlivesAReloadOfTheCodes)
{
    SetButtonActions(3, 0);
    HandleButtons(BUTTON2);
    HandleButtons(0);
    HandleButtons(BUTTON2);  // left down, latch set
    SetButtonActions(6, 0);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0010, 0)}), HandleButtons(0));
    EXPECT_EQ(0, DragLatch);
}

// ---- Order within a packet --------------------------------------------------------

TEST_F(PacketTranslationTest, PenButton2IsHandledBeforePenButton1AtPressAndAtRelease)
{
    SetButtonActions(1, 4);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0002, EXTRA), MouseLine(0x0008, EXTRA)}),
              HandleButtons(BUTTON2 | BUTTON1));
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0004, EXTRA), MouseLine(0x0010, EXTRA)}),
              HandleButtons(0));

    SetButtonActions(16, 17);
    std::vector<std::string> escThenTab = KeyPressLines(0x1B, 0x01);
    std::vector<std::string> tab = KeyPressLines(0x09, 0x0F);
    escThenTab.insert(escThenTab.end(), tab.begin(), tab.end());
    EXPECT_EQ(escThenTab, HandleButtons(BUTTON2 | BUTTON1));
}

TEST_F(PacketTranslationTest, ThePointerMovesBeforeThePressSoThePressLandsAtTheNewPosition)
{
    SetButtonActions(1, 0);
    SetAbsoluteMode(1);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x8001, EXTRA, 1200, 34000),
                                        MouseLine(0x0002, EXTRA)}),
              Handle(1200, 34000, BUTTON2 | IN_RANGE));
    SetAbsoluteMode(0);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0001, EXTRA, 3, (DWORD)-2),
                                        MouseLine(0x0004, EXTRA)}),
              Handle(9, -4, IN_RANGE));
}

// ---- Code changes while a button is down ------------------------------------------

TEST_F(PacketTranslationTest, TheReleaseFollowsTheCodeInForceAtTheRelease)
{
    // Left click to Ctrl+C: the left button stays down.
    SetButtonActions(1, 0);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0002, EXTRA)}), HandleButtons(BUTTON2));
    SetButtonActions(10, 0);
    EXPECT_EQ(NOTHING, HandleButtons(0));

    // Ctrl+C to left click: the release sends a lone left-button-up.
    SetUp();
    SetButtonActions(0, 10);
    EXPECT_EQ(ChordLines(0x11, 0x1D, 0x43, 0x2E), HandleButtons(BUTTON1));
    SetButtonActions(0, 1);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0004, EXTRA)}), HandleButtons(0));

    // Nothing to right double click: the release double-clicks.
    SetUp();
    SetButtonActions(0, 0);
    EXPECT_EQ(NOTHING, HandleButtons(BUTTON2));
    SetButtonActions(5, 0);
    EXPECT_EQ(DoubleClickLines(0x0008, 0x0010), HandleButtons(0));
}

// ---- Bits that do not take part ---------------------------------------------------

TEST_F(PacketTranslationTest, OnlyTheTwoButtonBitsMakeEdges)
{
    SetButtonActions(1, 4);
    struct {
        unsigned Status;
        std::vector<std::string> Events;
    } steps[] = {
        {BUTTON1, {MouseLine(0x0008, EXTRA)}},  // a press without IN_RANGE
        {BUTTON1 | IN_RANGE, NOTHING},
        {IN_RANGE, {MouseLine(0x0010, EXTRA)}},  // a release with IN_RANGE set
        {IN_RANGE, NOTHING},
        {0xFFFFFF9F, NOTHING},  // every other bit
        {0, NOTHING},
        {BUTTON2, {MouseLine(0x0002, EXTRA)}},
        {0xFFFFFFBF, {MouseLine(0x0004, EXTRA), MouseLine(0x0008, EXTRA)}},
        {0xFFFFFFFF, {MouseLine(0x0002, EXTRA)}},
        {0x00000100 | BUTTON2 | BUTTON1, NOTHING},
        {0x00000001, {MouseLine(0x0004, EXTRA), MouseLine(0x0010, EXTRA)}},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; i++) {
        SCOPED_TRACE(testing::Message() << "step " << i << " status 0x" << std::hex
                                        << steps[i].Status);
        EXPECT_EQ(steps[i].Events, HandleButtons(steps[i].Status));
    }
}

// ---- Motion ----------------------------------------------------------------------

TEST_F(PacketTranslationTest, AbsolutePositionsGoOutUnchanged)
{
    struct {
        int X, Y;
    } cases[] = {{0, 65535}, {65535, 0}, {32768, 12345}, {70000, -5}, {-2, 0}, {0, 0}};
    SetAbsoluteMode(1);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.X << ", " << c.Y << ")");
        EXPECT_EQ((std::vector<std::string>{MouseLine(0x8001, EXTRA, (DWORD)c.X, (DWORD)c.Y)}),
                  Handle(c.X, c.Y, IN_RANGE));
    }
}

TEST_F(PacketTranslationTest, RelativeDisplacementsAreCompressedToTheirSignedIntegerSquareRoot)
{
    struct {
        int X, Y, Dx, Dy;
    } cases[] = {
        {0, 0, 0, 0},
        {1, 0, 1, 0},
        {3, 0, 1, 0},
        {0, 4, 0, 2},
        {15, 15, 3, 3},
        {16, 16, 4, 4},
        {100, 0, 10, 0},
        {0, 1000, 0, 31},
        {65536, 65536, 256, 256},
        {-2, 0, -1, 0},
        {0, -9, 0, -3},
        {7, -7, 2, -2},
        {1000, 1, 31, 1},
        {-3, -15, -1, -3},
        {INT_MAX, 0, 46340, 0},
        {-INT_MAX, 0, -46340, 0},
        // Its magnitude does not fit in 32 signed bits; it compresses like
        // its neighbours.
        {INT_MIN, 0, -46340, 0},
        {0, INT_MIN, 0, -46340},
        {INT_MIN, INT_MIN, -46340, -46340},
    };
    SetAbsoluteMode(0);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.X << ", " << c.Y << ")");
        EXPECT_EQ((std::vector<std::string>{
                      MouseLine(0x0001, EXTRA, (DWORD)c.Dx, (DWORD)c.Dy)}),
                  Handle(c.X, c.Y, 0));
    }
}

TEST_F(PacketTranslationTest, MinusOneOnEitherAxisMeansNoMotionButTheButtonsStillAct)
{
    struct {
        int X, Y;
    } cases[] = {{-1, 500}, {500, -1}, {-1, -1}, {-1, 0}, {0, -1}, {-1, INT_MIN}};
    SetButtonActions(1, 0);
    for (LONG absolute = 0; absolute <= 1; absolute++) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "absolute " << absolute << " (" << c.X << ", "
                                            << c.Y << ")");
            SetAbsoluteMode(absolute);
            EXPECT_EQ((std::vector<std::string>{MouseLine(0x0002, EXTRA)}),
                      Handle(c.X, c.Y, BUTTON2));
            EXPECT_EQ(NOTHING, Handle(c.X, c.Y, BUTTON2));
            EXPECT_EQ((std::vector<std::string>{MouseLine(0x0004, EXTRA)}),
                      Handle(c.X, c.Y, 0));
        }
    }
}

TEST_F(PacketTranslationTest, TheModeAndTheExtraInfoAreTakenAfreshForEveryPacket)
{
    SetAbsoluteMode(1);
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x8001, EXTRA, 100, 400)}),
              Handle(100, 400, 0));
    SetAbsoluteMode(0);
    FakeInput.ExtraInfo = EXTRA + 5;
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x0001, EXTRA + 5, 10, 20)}),
              Handle(100, 400, 0));
    SetAbsoluteMode(7);  // any nonzero value is absolute
    FakeInput.ExtraInfo = 0;
    EXPECT_EQ((std::vector<std::string>{MouseLine(0x8001, 0, 100, 400)}),
              Handle(100, 400, 0));
}

// ---- The square root itself -------------------------------------------------------

TEST(IntegerSquareRoot, IsExactAtEverySquareAndJustBelowItAcrossAll32Bits)
{
    EXPECT_EQ(0u, IntegerSquareRoot(0));
    for (unsigned r = 1; r <= 65535; r++) {
        unsigned square = r * r;
        ASSERT_EQ(r, IntegerSquareRoot(square)) << square;
        ASSERT_EQ(r - 1, IntegerSquareRoot(square - 1)) << square - 1;
        ASSERT_EQ(r, IntegerSquareRoot(square + r)) << square + r;  // just below (r+1)^2
    }
    EXPECT_EQ(65535u, IntegerSquareRoot(0xFFFFFFFFu));
    EXPECT_EQ(46340u, IntegerSquareRoot(0x80000000u));
    EXPECT_EQ(46340u, IntegerSquareRoot(0x7FFFFFFFu));
}

TEST(CompressDisplacement, IsOddSymmetricWithTheSmallestValueAlongside)
{
    const int values[] = {1, 2, 3, 4, 8, 9, 10, 65535, 65536,
                          46340 * 46340 - 1, 46340 * 46340, INT_MAX - 1, INT_MAX};
    for (int v : values) {
        SCOPED_TRACE(v);
        EXPECT_EQ(-CompressDisplacement(v), CompressDisplacement(-v));
    }
    EXPECT_EQ(46339, CompressDisplacement(46340 * 46340 - 1));
    EXPECT_EQ(46340, CompressDisplacement(46340 * 46340));
    EXPECT_EQ(-46340, CompressDisplacement(INT_MIN));
}

}  // namespace

// ---- No settings lock across an injection -------------------------------------

namespace {

DWORD WINAPI TakeAndReleaseSettingsLock(LPVOID)
{
    LockSettings();
    UnlockSettings();
    return 0;
}

struct LockProbeState {
    int Free;     // injections during which another thread took the lock at once
    int Held;     // injections during which it had to wait
    std::vector<HANDLE> Waiting;
};

LockProbeState LockProbe;

// Another thread takes the settings lock while the injection is under way.
// If the handler held the lock, that thread stays blocked until the handler
// lets go, and the wait below gives up on it (a guard against a hang, not a
// timing measurement).
void ProbeSettingsLock(const FakeInputEvent &)
{
    HANDLE thread = CreateThread(NULL, 0, TakeAndReleaseSettingsLock, NULL, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    if (WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0) {
        LockProbe.Free++;
        CloseHandle(thread);
    } else {
        LockProbe.Held++;
        LockProbe.Waiting.push_back(thread);
        FakeInputObserver = NULL;  // one finding is enough
    }
}

TEST_F(PacketTranslationTest, NoInjectionHappensWhileTheSettingsLockIsHeld)
{
    LockProbe = LockProbeState();
    FakeInputObserver = ProbeSettingsLock;
    SetButtonActions(3, 1);
    SetAbsoluteMode(1);
    Handle(10, 20, BUTTON2 | BUTTON1);  // motion, drag, click
    SetAbsoluteMode(0);
    Handle(10, 20, 0);
    SetButtonActions(10, 2);
    Handle(-1, -1, BUTTON2 | BUTTON1);  // chord, double click
    FakeInputObserver = NULL;
    // A probe still waiting now means the handler never let the lock go.
    for (HANDLE thread : LockProbe.Waiting) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000))
            << "the settings lock was left held";
        CloseHandle(thread);
    }
    EXPECT_EQ(0, LockProbe.Held);
    EXPECT_EQ(1 + 2 + 1 + 2 + 4 + 4, (int)FakeInput.Events.size());
    EXPECT_EQ((int)FakeInput.Events.size(), LockProbe.Free);
}

}  // namespace
