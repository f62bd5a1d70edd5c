// The real stylohid.exe under Wine against the virtual tablet: what it asks
// of the driver and in which order, the input it synthesises (seen by
// low-level hooks), the registry it leaves, and how it ends.
#include "program_fixture.h"

namespace {

TEST_F(Program, StartsWithTheTabletEnablesThenSendsExtentsThenTheStoredBlock)
{
    WriteSettings({1, 0, 9, 1, 10, 20, 100, 200, 4, 7});
    StartReady();

    std::vector<VTabletLogEntry> log = ProgramLog();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[0].Code, VTABLET_LOG_OPEN);
    EXPECT_EQ(log[1].Code, (unsigned)IOCTL_TABLET_ENABLE);
    EXPECT_EQ(LoggedValue(log[1]), 1u);
    EXPECT_EQ(log[2].Code, (unsigned)IOCTL_TABLET_SET_EXTENTS);
    EXPECT_EQ(LoggedValue(log[2]), 0x7FFF5FFFu);
    ASSERT_EQ(log[3].Code, (unsigned)IOCTL_TABLET_SET_SETTINGS);
    EXPECT_EQ(log[4].Code, (unsigned)IOCTL_TABLET_SET_EVENT);

    const unsigned char *block = log[3].Input;
    EXPECT_EQ(log[3].InputLength, 32u);
    EXPECT_EQ(BlockWord(block, 0), 9);        // Sensitivity
    EXPECT_EQ(BlockWord(block, 2), 0);        // Landscape
    EXPECT_EQ(BlockWord(block, 4), 1);        // Absolute
    EXPECT_EQ(BlockWord(block, 6), 1);        // WorkingArea: whole tablet
    EXPECT_EQ(BlockWord(block, 8), 10);
    EXPECT_EQ(BlockWord(block, 10), 20);
    EXPECT_EQ(BlockWord(block, 12), 0x7FFF);  // the tablet's maxima
    EXPECT_EQ(BlockWord(block, 14), 0x5FFF);
    EXPECT_EQ(block[16], 4);
    EXPECT_EQ(block[17], 7);
    for (int i = 18; i < 32; i++)
        EXPECT_EQ(block[i], 0) << i;

    PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    log = ProgramLog();
    std::vector<VTabletLogEntry> enables = EntriesOfCode(log, IOCTL_TABLET_ENABLE);
    ASSERT_EQ(enables.size(), 2u);
    EXPECT_EQ(LoggedValue(enables[1]), 0u);
    EXPECT_EQ(log.back().Code, VTABLET_LOG_CLOSE);
    VTabletState state = TabletState();
    EXPECT_EQ(state.Opens, 1u);
    EXPECT_EQ(state.Closes, 1u);
    // Saved at shutdown, the working area as the load left it.
    EXPECT_EQ(Setting(VALUE_SENSITIVITY), 9u);
    EXPECT_EQ(Setting(VALUE_END_X), 0x7FFFu);
    EXPECT_EQ(Setting(VALUE_END_Y), 0x5FFFu);
    EXPECT_EQ(Setting(VALUE_BUTTON1), 4u);
}

TEST_F(Program, AbsolutePositionsMoveThePointerAsNormalisedCoordinates)
{
    StartReady();
    ClearSeenInput();
    Queue({MakePenPacket(32768, 16384, PEN_STATUS_IN_RANGE)});
    ASSERT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000));
    SeenMouse move = SeenMoves().back();
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(move.Data.pt.x, width / 2, 2);
    EXPECT_NEAR(move.Data.pt.y, height / 4, 2);
    EXPECT_TRUE(move.Data.flags & LLMHF_INJECTED);

    // A packet out of range carries no position: no motion.
    ClearSeenInput();
    Queue({MakePenPacket(100, 100, 0)});
    WaitDelivered();
    EXPECT_TRUE(SeenMoves().empty());
}

TEST_F(Program, RelativeMotionIsTheSignedSquareRootOfEachAxis)
{
    WriteSetting(VALUE_ABSOLUTE, 0);
    StartReady();
    SetCursorPos(400, 300);
    Sleep(100);
    ClearSeenInput();
    // Small enough that the system's acceleration (which doubles steps
    // above 6 by default) leaves it alone.
    Queue({MakePenPacket(25, -16, PEN_STATUS_IN_RANGE)});
    ASSERT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000));
    SeenMouse move = SeenMoves().back();
    EXPECT_EQ(move.Data.pt.x, 405);
    EXPECT_EQ(move.Data.pt.y, 296);
    EXPECT_TRUE(move.Data.flags & LLMHF_INJECTED);

    // -1 on either axis is the no-motion marker.
    ClearSeenInput();
    Queue({MakePenPacket(-1, 25, PEN_STATUS_IN_RANGE)});
    WaitDelivered();
    EXPECT_TRUE(SeenMoves().empty());
}

// One pen button through every kind of action, each taken up by a reload.
TEST_F(Program, EachKindOfButtonActionAfterAReload)
{
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 0, 0});
    StartReady();
    const PenPacket press = MakePenPacket(-1, -1, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON1);
    const PenPacket release = MakePenPacket(-1, -1, PEN_STATUS_IN_RANGE);
    struct Case {
        DWORD Code;
        std::vector<WPARAM> Mouse;
        std::vector<std::pair<WPARAM, DWORD>> Keys;  // message, virtual key
    };
    const Case cases[] = {
        {1, {WM_LBUTTONDOWN, WM_LBUTTONUP}, {}},
        {5, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
             WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}, {}},
        {9, {WM_MBUTTONDOWN, WM_MBUTTONUP}, {}},
        {10, {}, {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'C'},
                  {WM_KEYUP, VK_CONTROL}, {WM_KEYUP, 'C'}}},
        {16, {}, {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_ESCAPE}}},
        {37, {}, {{WM_KEYDOWN, VK_F11}, {WM_KEYUP, VK_F11}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Code);
        WriteSetting(VALUE_BUTTON1, c.Code);
        Reload(CountOf(IOCTL_TABLET_SET_SETTINGS));
        ClearSeenInput();
        Queue({press, release});
        WaitDelivered();
        std::vector<SeenMouse> buttons = SeenButtons();
        ASSERT_EQ(buttons.size(), c.Mouse.size());
        for (size_t i = 0; i < buttons.size(); i++) {
            EXPECT_EQ(buttons[i].Message, c.Mouse[i]) << i;
            EXPECT_TRUE(buttons[i].Data.flags & LLMHF_INJECTED);
        }
        std::vector<SeenKey> keys = SeenKeyEvents();
        ASSERT_EQ(keys.size(), c.Keys.size());
        for (size_t i = 0; i < keys.size(); i++) {
            EXPECT_EQ(keys[i].Message, c.Keys[i].first) << i;
            DWORD vk = keys[i].Data.vkCode;
            if (vk == VK_RCONTROL || vk == VK_LCONTROL)  // Wine tells the side
                vk = VK_CONTROL;
            EXPECT_EQ(vk, c.Keys[i].second) << i;
            EXPECT_TRUE(keys[i].Data.flags & LLKHF_EXTENDED) << i;
            EXPECT_TRUE(keys[i].Data.flags & LLKHF_INJECTED) << i;
            EXPECT_EQ(keys[i].Data.dwExtraInfo, 0u) << i;
        }
        if (c.Code == 37) {
            EXPECT_EQ(keys[0].Data.scanCode, 0x85u);
        }
        if (c.Code == 10) {
            EXPECT_EQ(keys[1].Data.scanCode, 0x2Eu);
        }
    }
}

TEST_F(Program, IdlePacketsReleaseAButtonHeldWhenThePenLeavesRange)
{
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 0});
    StartReady();
    ClearSeenInput();
    Queue({MakePenPacket(500, 500, PEN_STATUS_BUTTON1)});
    ASSERT_TRUE(WaitFor([] { return SeenButtons().size() >= 2; }, 5000));
    std::vector<SeenMouse> buttons = SeenButtons();
    EXPECT_EQ(buttons[0].Message, (WPARAM)WM_LBUTTONDOWN);
    EXPECT_EQ(buttons[1].Message, (WPARAM)WM_LBUTTONUP);
    EXPECT_EQ(TabletState().Delivered, 1u);
    EXPECT_TRUE(SeenMoves().empty());
}

TEST_F(Program, DriverRefusingToOpenEndsTheProgramSilentlyAndLeavesTheRegistry)
{
    ASSERT_TRUE(RefuseTabletOpen(true));
    Run = StartProgram();
    ASSERT_TRUE(Run.Started);
    bool boxSeen = false;
    WaitFor([&] {
        boxSeen = boxSeen || FindMessageBox(ErrorCaption) != NULL;
        return WaitForProgramEnd(Run, 0, NULL);
    }, 30000);
    EXPECT_EQ(EndExitCode(0), 0u);
    EXPECT_FALSE(boxSeen);
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(Program, ArmingFailureShowsStringSevenThenEnds)
{
    ASSERT_TRUE(SetRequestFailure(IOCTL_TABLET_SET_EVENT, 0, VTABLET_FAIL_FOREVER, 0));
    Run = StartProgram();
    ASSERT_TRUE(Run.Started);
    HWND box = NULL;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(ErrorCaption)) != NULL; },
                        30000));
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    EXPECT_EQ(owner, Pid());
    EXPECT_EQ(MessageBoxText(box), CannotStartText);
    EXPECT_FALSE(WaitForProgramEnd(Run, 300, NULL)) << "ended before the box was dismissed";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    EXPECT_EQ(TabletState().Opens, TabletState().Closes);
}

TEST_F(Program, SecondCopyReplacesTheFirstAfterItSavedItsSettings)
{
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 2});
    StartReady();
    ProgramRun first = Run;
    // Stored behind the first copy's back: its shutdown writes back what it
    // loaded, and the second copy must load that.
    WriteSetting(VALUE_SENSITIVITY, 33);

    Run = StartProgram();
    ASSERT_TRUE(Run.Started);
    EXPECT_TRUE(WaitForProgramEnd(first, 15000, NULL)) << "the first copy did not end";
    ASSERT_TRUE(WaitFor([&] { return CountOf(IOCTL_TABLET_SET_EVENT) > 0; }, 30000));
    KillProgram(first);

    std::vector<VTabletLogEntry> log = ReadLogFrom(0);
    size_t firstClose = 0, secondOpen = 0;
    for (size_t i = 0; i < log.size(); i++) {
        if (log[i].ProcessId == first.Process.dwProcessId && log[i].Code == VTABLET_LOG_CLOSE)
            firstClose = i;
        if (log[i].ProcessId == Pid() && log[i].Code == VTABLET_LOG_OPEN && !secondOpen)
            secondOpen = i;
    }
    EXPECT_GT(firstClose, 0u);
    EXPECT_GT(secondOpen, firstClose);
    std::vector<VTabletLogEntry> blocks = EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_SETTINGS);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(BlockWord(blocks[0].Input, 0), 9) << "loaded before the first copy saved";
    EXPECT_EQ(FindWindowExA(NULL, FindProgramWindow(), MAIN_WINDOW_CLASS, NULL), (HWND)NULL)
        << "two main windows";
}

// Two copies started at once (Restart Manager's, the installer's): one runs, each round.
TEST_F(Program, TwoCopiesStartedTogetherLeaveOneRunning)
{
    for (int round = 0; round < 8; round++) {
        ProgramRun other = StartProgram(CREATE_SUSPENDED);
        Run = StartProgram(CREATE_SUSPENDED);
        ASSERT_TRUE(other.Started && Run.Started);
        ResumeThread(other.Process.hThread);
        ResumeThread(Run.Process.hThread);
        auto ended = [](ProgramRun &run) { return WaitForProgramEnd(run, 0, NULL); };
        ASSERT_TRUE(WaitFor([&] { return ended(other) || ended(Run); }, 15000)) << round;
        EXPECT_TRUE(WaitFor([] { return TabletState().Opens - TabletState().Closes == 1; }, 30000));
        KillProgram(other);
        KillProgram(Run);
    }
}

TEST_F(Program, ReloadTakesUpChangedStoredValuesAndSendsTheBlockAgain)
{
    WriteSettings({1, 0, 9, 0, 0, 0, 1000, 1000, 1, 2});
    StartReady();
    SendMessageA(FindProgramWindow(), WM_COMMAND, 1005, 0);   // portrait in memory
    WriteSettings({0, 0, 20, 0, 0, 0, 0x9000, 500, 3, 16});
    Reload(1);
    std::vector<VTabletLogEntry> blocks = EntriesOfCode(ProgramLog(), IOCTL_TABLET_SET_SETTINGS);
    ASSERT_EQ(blocks.size(), 2u);
    const unsigned char *block = blocks[1].Input;
    EXPECT_EQ(BlockWord(block, 0), 20);
    EXPECT_EQ(BlockWord(block, 2), 0);
    EXPECT_EQ(BlockWord(block, 4), 0);
    EXPECT_EQ(BlockWord(block, 12), 0x7FFF);  // lowered to the X maximum
    EXPECT_EQ(BlockWord(block, 14), 500);
    EXPECT_EQ(block[16], 3);
    EXPECT_EQ(block[17], 16);

    PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    EXPECT_EQ(Setting(VALUE_LANDSCAPE), 0u);   // the stored value won
    EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u);
    EXPECT_EQ(Setting(VALUE_END_X), 0x7FFFu);
}

// Restart Manager (Windows Installer replacing the file) asks whether the
// program may end, then ends it: it saves what the user changed and ends as
// on WM_CLOSE.
TEST_F(Program, RestartManagerClosingTheProgramSavesAndEndsIt)
{
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 2});
    StartReady();
    HWND window = FindProgramWindow();
    SendMessageA(window, WM_COMMAND, 1005, 0);   // portrait in memory
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                    SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(answer, (DWORD_PTR)TRUE) << "the program refused to end";
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                        10000, &answer);
    EXPECT_EQ(EndExitCode(10000), 0u);
    EXPECT_EQ(Setting(VALUE_LANDSCAPE), 1u);
    EXPECT_EQ(TabletState().Opens, TabletState().Closes);
}

TEST_F(Program, TabletUnpluggedWhileRunningEndsSilentlyWithSettingsSaved)
{
    StartReady();   // no settings key: the starting values are in force
    ASSERT_TRUE(SetTabletUnplugged(true));
    ASSERT_TRUE(UnplugHidTablet(1));
    bool boxSeen = false;
    WaitFor([&] {
        boxSeen = boxSeen || FindMessageBox(ErrorCaption) != NULL;
        return WaitForProgramEnd(Run, 0, NULL);
    }, 15000);
    EXPECT_EQ(EndExitCode(0), 0u);
    EXPECT_FALSE(boxSeen);
    EXPECT_EQ(Setting(VALUE_ABSOLUTE), 1u);
    EXPECT_EQ(Setting(VALUE_SENSITIVITY), 4u);
    std::vector<VTabletLogEntry> reads = EntriesOfCode(ProgramLog(), IOCTL_TABLET_READ_PACKET);
    ASSERT_FALSE(reads.empty());
    EXPECT_NE(reads.back().Status, 0u);
    EXPECT_EQ(TabletState().Opens, TabletState().Closes);
}

TEST_F(Program, ForeignPacketMessagesWithRandomParametersSynthesiseNothing)
{
    StartReady();
    HWND window = FindProgramWindow();
    ClearSeenInput();
    srand(7);
    for (int i = 0; i < 2000; i++) {
        ULONG_PTR junk = 0;
        for (int k = 0; k < 4; k++)
            junk = (junk << 16) ^ (ULONG_PTR)rand();
        PostMessageA(window, 2025, (WPARAM)rand(), (LPARAM)junk);
    }
    Sync();
    Sleep(200);
    Sync();
    EXPECT_TRUE(SeenMouseEvents().empty());
    EXPECT_TRUE(SeenKeyEvents().empty());
    EXPECT_FALSE(WaitForProgramEnd(Run, 0, NULL));

    // Still working.
    Queue({MakePenPacket(32768, 32768, PEN_STATUS_IN_RANGE)});
    EXPECT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000));
}

}  // namespace

namespace {

// Many runs in a row, each pressing and releasing both pen buttons (plain
// clicks: a drag latch would hold a button down by design).
TEST_F(Program, TwoHundredStartsAndStopsLeaveNoProgramNoOpenHandleNoButtonDown)
{
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 4});
    const int cycles = 200;
    for (int i = 0; i < cycles; i++) {
        SCOPED_TRACE(i);
        // Queued first: the driver holds them until the program enables it.
        Queue({MakePenPacket(30000, 30000,
                             PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON1 | PEN_STATUS_BUTTON2),
               MakePenPacket(30000, 30000, PEN_STATUS_IN_RANGE)});
        unsigned mark = TabletState().LogTotal;
        Run = StartProgram();
        ASSERT_TRUE(Run.Started);
        // Both packets read and posted: the reader armed again after the
        // second read, so the posts are queued before our WM_CLOSE.
        HWND window = NULL;
        ASSERT_TRUE(WaitFor([&] {
            std::vector<VTabletLogEntry> log = EntriesOfProcess(ReadLogFrom(mark), Pid());
            return EntriesOfCode(log, IOCTL_TABLET_READ_PACKET).size() >= 2 &&
                   log.back().Code == IOCTL_TABLET_SET_EVENT &&
                   (window = FindProgramWindow()) != NULL;
        }, 30000));
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForProgramEnd(Run, 10000, NULL));
        KillProgram(Run);
    }
    Sleep(200);
    EXPECT_EQ(FindProgramWindow(), (HWND)NULL);
    VTabletState state = TabletState();
    EXPECT_EQ(state.Opens, (unsigned)cycles);
    EXPECT_EQ(state.Closes, (unsigned)cycles);
    int down = 0;
    for (const SeenMouse &m : SeenButtons())
        down += (m.Message == WM_LBUTTONDOWN || m.Message == WM_RBUTTONDOWN) ? 1 : -1;
    EXPECT_EQ(down, 0);
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_RBUTTON) & 0x8000);
}

}  // namespace
