// The real program with the Reconnect setting: the tablet unplugged (or its
// driver losing it in a sleep) and back again, many times, and closes while
// the program waits for it.
#include "program_fixture.h"

#include <algorithm>

#include "bench.h"
#include "ctl_support.h"

namespace {

// Absolute mode, sensitivity 9, the whole tablet, buttons as at start.
static const StoredSettings Stored = {1, 0, 9, 1, 0, 0, 0, 0, 2, 1};

struct Reconnecting : Program {
    // The tablet leaves as a real unplug takes it (the driver fails and
    // wakes the reader, the HID interface goes) or as a sleep does (the
    // driver fails its requests but wakes nobody; Windows says it resumed).
    void Unplug(bool asleep)
    {
        if (asleep) {
            ASSERT_TRUE(SetTabletAsleep(true));
            SendMessageA(FindProgramWindow(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        } else {
            ASSERT_TRUE(SetTabletUnplugged(true));
            ASSERT_TRUE(UnplugHidTablet(1));
        }
    }
    void Replug(bool asleep)
    {
        ASSERT_TRUE(SetTabletUnplugged(false));
        if (!asleep) {
            ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)}));
        }
    }
    // A run with the stored settings and Reconnect (missing when negative),
    // switched to relative mode in memory, then the tablet taken away.
    // Returns the log's sequence number from before it went.
    unsigned StartSwitchedThenUnplug(int reconnect, bool asleep)
    {
        DeleteSettingsKey();
        WriteSettings(Stored);
        if (reconnect >= 0)
            WriteSetting(VALUE_RECONNECT, (DWORD)reconnect);
        StartReady();
        SendMessageA(FindProgramWindow(), WM_COMMAND, 1003, 0);  // relative
        unsigned mark = TabletState().LogTotal;
        Unplug(asleep);
        return mark;
    }
    // The reader has closed the channel it opened after `mark`, and the
    // program still runs.
    void WaitForChannelClosed(unsigned mark)
    {
        ASSERT_TRUE(WaitFor([&] {
            return !EntriesOfCode(EntriesOfProcess(ReadLogFrom(mark), Pid()),
                                  VTABLET_LOG_CLOSE).empty();
        }, 10000)) << "the reader did not end";
    }
    // The start-up's requests after `mark`, each once and in this order
    // (failed opens of a driver not yet back left aside).
    std::vector<unsigned> RequestsSince(unsigned mark)
    {
        std::vector<unsigned> codes;
        for (const VTabletLogEntry &e : EntriesOfProcess(ReadLogFrom(mark), Pid()))
            if (e.Status == 0)
                codes.push_back(e.Code);
        return codes;
    }
    void WaitForArmedSince(unsigned mark)
    {
        ASSERT_TRUE(WaitFor([&] {
            std::vector<unsigned> codes = RequestsSince(mark);
            return std::find(codes.begin(), codes.end(),
                             (unsigned)IOCTL_TABLET_SET_EVENT) != codes.end();
        }, 10000)) << "no new reader armed the driver's event";
    }
};

TEST_F(Reconnecting, UnpluggedOrAsleepTheProgramWaitsThenStartsOverWithTheStartUpRequests)
{
    for (bool asleep : {false, true}) {
        SCOPED_TRACE(asleep ? "asleep" : "unplugged");
        // The switch lives in memory only: the wait saves it and the new
        // reader's load sends it to the driver.
        unsigned mark = StartSwitchedThenUnplug(1, asleep);
        WaitForChannelClosed(mark);
        EXPECT_FALSE(WaitForProgramEnd(Run, 1000, NULL)) << "the program ended";
        EXPECT_EQ(FindMessageBox(ErrorCaption), (HWND)NULL);
        EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u) << "settings not saved when the tablet went";

        mark = TabletState().LogTotal;
        Replug(asleep);
        WaitForArmedSince(mark);
        std::vector<unsigned> codes = RequestsSince(mark);
        const unsigned startUp[] = {VTABLET_LOG_OPEN, IOCTL_TABLET_ENABLE,
                                    IOCTL_TABLET_SET_EXTENTS, IOCTL_TABLET_SET_SETTINGS,
                                    IOCTL_TABLET_SET_EVENT};
        ASSERT_GE(codes.size(), 5u);
        EXPECT_TRUE(std::equal(startUp, startUp + 5, codes.begin()))
            << ::testing::PrintToString(codes);
        std::vector<VTabletLogEntry> log = EntriesOfProcess(ReadLogFrom(mark), Pid());
        std::vector<VTabletLogEntry> blocks = EntriesOfCode(log, IOCTL_TABLET_SET_SETTINGS);
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(BlockWord(blocks[0].Input, 0), 9);  // Sensitivity, as stored
        EXPECT_EQ(BlockWord(blocks[0].Input, 4), 0);  // Absolute: the change kept
        EXPECT_EQ(LoggedValue(EntriesOfCode(log, IOCTL_TABLET_SET_EXTENTS)[0]), 0x7FFF5FFFu);

        ClearSeenInput();
        Queue({MakePenPacket(4, 4, PEN_STATUS_IN_RANGE)});
        EXPECT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000))
            << "the pen does not move the pointer again";
        PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(EndExitCode(10000), 0u);
        KillProgram(Run);
    }
}

// Without the setting, or with 0, an unplug ends the program as it always
// did: silently, with its settings saved.
TEST_F(Reconnecting, WithoutTheSettingAnUnplugEndsTheProgramAsBefore)
{
    for (bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "Reconnect 0" : "Reconnect missing");
        StartSwitchedThenUnplug(stored ? 0 : -1, false);
        EXPECT_EQ(EndExitCode(15000), 0u);
        KillProgram(Run);
        EXPECT_EQ(FindMessageBox(ErrorCaption), (HWND)NULL);
        EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u);
        Replug(false);
    }
}

// Every way the program is closed works while it waits, and saves.
TEST_F(Reconnecting, ClosedWhileWaitingItSavesAndEnds)
{
    struct Case {
        const char *Name;
        std::function<void()> Close;
    };
    ProgramRun later = {};
    const Case cases[] = {
        {"WM_CLOSE", [] { PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0); }},
        {"stylohidctl close",
         [] { RunTool(BuildFolder() + "stylohidctl.exe", "close --wait 10"); }},
        {"a copy started later", [&] { later = StartProgram(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        unsigned mark = StartSwitchedThenUnplug(1, false);
        WaitForChannelClosed(mark);
        // The wait has begun once what it saves is there.
        ASSERT_TRUE(WaitFor([] { return Setting(VALUE_ABSOLUTE) == 0; }, 5000));
        // What the wait saved is gone: only the close can write it again.
        DeleteSettingsKey();
        c.Close();
        EXPECT_EQ(EndExitCode(15000), 0u);
        KillProgram(Run);
        EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u) << "nothing saved at the close";
        EXPECT_EQ(Setting(VALUE_SENSITIVITY), 9u);
        if (later.Started) {
            CloseProgram(later, 10000);
            KillProgram(later);
        }
        Replug(false);
    }
}

// Unplugged and plugged again and again: each reconnect leaves no thread,
// handle or memory behind.
TEST_F(Reconnecting, FiftyUnplugsAndReplugsLeaveThreadsHandlesAndMemoryFlat)
{
    WriteSettings(Stored);
    WriteSetting(VALUE_RECONNECT, 1);
    StartReady();
    unsigned unixPid = FindUnixProcess(PROGRAM_FILE_NAME);
    struct Sample { ULONG Threads, TableSize; long Handles; unsigned long RssKb; } samples[2] = {};
    const int cycles = 50, settled = 5;
    for (int i = 1; i <= cycles; i++) {
        SCOPED_TRACE(i);
        unsigned mark = TabletState().LogTotal;
        Unplug(false);
        WaitForChannelClosed(mark);
        mark = TabletState().LogTotal;
        Replug(false);
        WaitForArmedSince(mark);
        if (i == settled || i == cycles) {
            Sync();
            Sample &s = samples[i == cycles];
            UnixProcessStatus status = {};
            ASSERT_TRUE(ReadWineCounts(Pid(), &s.Threads, &s.TableSize));
            s.Handles = CountProcessHandles(Pid());
            ASSERT_GE(s.Handles, 0);
            ASSERT_TRUE(ReadUnixProcessStatus(unixPid, &status));
            s.RssKb = status.RssKb;
        }
    }
    printf("after %d and %d reconnects: threads %lu, %lu; handles %ld, %ld; "
           "resident memory %lu kB, %lu kB\n", settled, cycles, samples[0].Threads,
           samples[1].Threads, samples[0].Handles, samples[1].Handles, samples[0].RssKb,
           samples[1].RssKb);
    // A thread or handle left per reconnect would show 45 more.
    EXPECT_LE(samples[1].Threads, samples[0].Threads);
    EXPECT_LE(samples[1].Handles, samples[0].Handles + 2);
    EXPECT_LE(samples[1].RssKb, samples[0].RssKb + 1024);
    VTabletState state = TabletState();
    EXPECT_EQ(state.Opens, state.Closes + 1);
    ClearSeenInput();
    Queue({MakePenPacket(4, 4, PEN_STATUS_IN_RANGE)});
    EXPECT_TRUE(WaitFor([] { return !SeenMoves().empty(); }, 5000));
}

}  // namespace
