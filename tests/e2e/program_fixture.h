// The fixture of the tests that run the real stylohid.exe: the virtual
// tablet present, a clean driver log and registry key, input hooks, and
// helpers that read what the program asked of the driver.
#ifndef PROGRAM_FIXTURE_H
#define PROGRAM_FIXTURE_H

#include <gtest/gtest.h>

#include <stdlib.h>

#include "e2e_support.h"
#include "shared/stored_values.h"


static const char ErrorCaption[] = "Vellum USB Tablet Driver Error";
static const char CannotStartText[] =
    "The Vellum USB Tablet driver interface application could not start.";

struct StoredSettings {
    DWORD Absolute, Landscape, Sensitivity, WorkingArea;
    DWORD StartX, StartY, EndX, EndY, Button1, Button2;
};

inline void WriteSettings(const StoredSettings &s)
{
    WriteSetting(VALUE_ABSOLUTE, s.Absolute);
    WriteSetting(VALUE_LANDSCAPE, s.Landscape);
    WriteSetting(VALUE_SENSITIVITY, s.Sensitivity);
    WriteSetting(VALUE_WORKING_AREA, s.WorkingArea);
    WriteSetting(VALUE_START_X, s.StartX);
    WriteSetting(VALUE_START_Y, s.StartY);
    WriteSetting(VALUE_END_X, s.EndX);
    WriteSetting(VALUE_END_Y, s.EndY);
    WriteSetting(VALUE_BUTTON1, s.Button1);
    WriteSetting(VALUE_BUTTON2, s.Button2);
}

inline DWORD Setting(const char *name)
{
    DWORD value = 0xDEADBEEF;
    ReadSetting(name, &value);
    return value;
}

inline unsigned short BlockWord(const unsigned char *block, int offset)
{
    return (unsigned short)(block[offset] | block[offset + 1] << 8);
}

inline bool IsButtonMessage(WPARAM m)
{
    return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN ||
           m == WM_RBUTTONUP || m == WM_MBUTTONDOWN || m == WM_MBUTTONUP;
}

inline std::vector<SeenMouse> SeenButtons()
{
    std::vector<SeenMouse> buttons;
    for (const SeenMouse &m : SeenMouseEvents())
        if (IsButtonMessage(m.Message))
            buttons.push_back(m);
    return buttons;
}

inline std::vector<SeenMouse> SeenMoves()
{
    std::vector<SeenMouse> moves;
    for (const SeenMouse &m : SeenMouseEvents())
        if (m.Message == WM_MOUSEMOVE)
            moves.push_back(m);
    return moves;
}

struct Program : ::testing::Test {
    ProgramRun Run = {};

    void SetUp() override
    {
        ASSERT_TRUE(InstallVirtualTablet(true));
        EndStrayPrograms();
        ASSERT_TRUE(ResetVirtualTablet());
        ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)}));
        DeleteSettingsKey();
        StartInputHooks();
    }
    void TearDown() override
    {
        HWND box = FindMessageBox(ErrorCaption);
        if (box)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (Run.Started && !WaitForProgramEnd(Run, 0, NULL))
            CloseProgram(Run, 5000);
        KillProgram(Run);
        EndStrayPrograms();
        StopInputHooks();
        ResetVirtualTablet();
        DeleteSettingsKey();
        PresentTablets({});  // other tests start the program without a tablet
    }

    DWORD Pid() const { return Run.Process.dwProcessId; }
    std::vector<VTabletLogEntry> ProgramLog() const
    {
        return EntriesOfProcess(ReadLogFrom(0), Pid());
    }
    unsigned CountOf(unsigned code) const
    {
        return (unsigned)EntriesOfCode(ProgramLog(), code).size();
    }
    void StartReady()
    {
        Run = StartProgram();
        ASSERT_TRUE(Run.Started);
        ASSERT_TRUE(WaitFor([&] { return FindProgramWindow() &&
                                         CountOf(IOCTL_TABLET_SET_EVENT) > 0; },
                            30000))
            << "the program did not arm the driver's event";
    }
    DWORD EndExitCode(DWORD timeoutMs)
    {
        DWORD code = 0xDEAD;
        EXPECT_TRUE(WaitForProgramEnd(Run, timeoutMs, &code)) << "the program did not end";
        return code;
    }
    void Queue(std::initializer_list<PenPacket> packets)
    {
        std::vector<PenPacket> list(packets);
        ASSERT_TRUE(QueuePenPackets(list.data(), (unsigned)list.size()));
    }
    // The UI thread handled everything before this returns.
    void Sync() { SendMessageA(FindProgramWindow(), WM_NULL, 0, 0); }
    void WaitDelivered()
    {
        ASSERT_TRUE(WaitFor([] { return TabletState().Queued == 0; }, 5000));
        Sleep(100);
        Sync();
    }
    void Reload(unsigned blocksBefore)
    {
        PostMessageA(FindProgramWindow(), WM_TABLET_RELOAD, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return CountOf(IOCTL_TABLET_SET_SETTINGS) > blocksBefore; },
                            5000));
        Sync();
    }
};

#endif
