// The settings applet and the running program together: a button action
// chosen in penpanel.cpl's dialog is what the program synthesises at the
// next press, without the program being restarted.
#include "program_fixture.h"

#include <cpl.h>

#include <string.h>

#include "panel_resource.h"

namespace {

// What the dialog's timer does once the dialog is up: button 1 set to
// Ctrl+C and OK pressed.
struct PanelRun {
    int Attempts;
    bool Found;
    bool Closed;
};
PanelRun CurrentPanel;

BOOL CALLBACK FindPanel(HWND window, LPARAM found)
{
    char caption[64], className[16];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(className, "#32770") == 0 && strcmp(caption, PANEL_CAPTION) == 0) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

const int CtrlCCode = 10;

void CALLBACK ChooseCtrlCAndConfirm(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindPanel, (LPARAM)&dialog);
    if (!dialog || !IsWindowVisible(dialog)) {
        if (++CurrentPanel.Attempts >= 250)
            KillTimer(NULL, timer);
        return;
    }
    KillTimer(NULL, timer);
    CurrentPanel.Found = true;
    HWND list = GetDlgItem(dialog, IDC_BUTTON1);
    SendMessageA(list, CB_SETCURSEL, (WPARAM)CtrlCCode, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BUTTON1, CBN_SELCHANGE), (LPARAM)list);
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    CurrentPanel.Closed = !IsWindowVisible(dialog);
    if (!CurrentPanel.Closed)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

struct AppletWithProgram : Program {
    SettingsKeyGuard Saved = {false, {}};
    HMODULE Applet = NULL;
    APPLET_PROC Entry = NULL;

    void SetUp() override
    {
        Saved = SaveSettingsKey();
        Program::SetUp();
    }
    void TearDown() override
    {
        if (Entry)
            Entry(NULL, CPL_EXIT, 0, 0);
        if (Applet)
            FreeLibrary(Applet);
        Program::TearDown();
        RestoreSettingsKey(Saved);
    }
    void LoadApplet()
    {
        std::string path = BuildFolder() + "penpanel.cpl";
        Applet = LoadLibraryA(path.c_str());
        ASSERT_NE(Applet, (HMODULE)NULL) << path << " did not load";
        // Through void (*)(void), the type GCC takes as "any function".
        Entry = (APPLET_PROC)(void (*)(void))GetProcAddress(Applet, "CPlApplet");
        ASSERT_NE(Entry, (APPLET_PROC)NULL);
        ASSERT_NE(Entry(NULL, CPL_INIT, 0, 0), 0);
        ASSERT_EQ(Entry(NULL, CPL_GETCOUNT, 0, 0), 1);
    }
    // One press and release of pen button 1, handled by the program.
    void PressButton1()
    {
        ClearSeenInput();
        Queue({MakePenPacket(-1, -1, PEN_STATUS_IN_RANGE | PEN_STATUS_BUTTON1),
               MakePenPacket(-1, -1, PEN_STATUS_IN_RANGE)});
        WaitDelivered();
    }
};

TEST_F(AppletWithProgram, ButtonChosenInTheAppletActsAtTheNextPressWithoutRestart)
{
    // Button 1 starts as a left click.
    WriteSettings({1, 0, 9, 1, 0, 0, 0, 0, 1, 0});
    StartReady();
    const DWORD pid = Pid();

    PressButton1();
    std::vector<SeenMouse> clicks = SeenButtons();
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].Message, (WPARAM)WM_LBUTTONDOWN);
    EXPECT_EQ(clicks[1].Message, (WPARAM)WM_LBUTTONUP);
    EXPECT_TRUE(SeenKeyEvents().empty());

    LoadApplet();
    const unsigned blocksBefore = CountOf(IOCTL_TABLET_SET_SETTINGS);
    CurrentPanel = {0, false, false};
    UINT_PTR timer = SetTimer(NULL, 0, 20, ChooseCtrlCAndConfirm);
    Entry(NULL, CPL_DBLCLK, 0, 0);
    if (!CurrentPanel.Found)
        KillTimer(NULL, timer);
    ASSERT_TRUE(CurrentPanel.Found) << "the applet's dialog did not open";
    ASSERT_TRUE(CurrentPanel.Closed) << "OK did not close the dialog";
    EXPECT_EQ(Setting(VALUE_BUTTON1), (DWORD)CtrlCCode);
    EXPECT_EQ(Setting(VALUE_BUTTON2), 0u);

    // The applet's reload has the program send its settings block again.
    ASSERT_TRUE(WaitFor([&] { return CountOf(IOCTL_TABLET_SET_SETTINGS) > blocksBefore; },
                        5000))
        << "the running program did not take up the applet's change";
    Sync();

    PressButton1();
    EXPECT_TRUE(SeenButtons().empty());
    const std::pair<WPARAM, DWORD> expected[] = {
        {WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'C'}, {WM_KEYUP, VK_CONTROL}, {WM_KEYUP, 'C'}};
    std::vector<SeenKey> keys = SeenKeyEvents();
    ASSERT_EQ(keys.size(), 4u);
    for (size_t i = 0; i < keys.size(); i++) {
        EXPECT_EQ(keys[i].Message, expected[i].first) << i;
        DWORD vk = keys[i].Data.vkCode;
        if (vk == VK_RCONTROL || vk == VK_LCONTROL)  // Wine tells the side
            vk = VK_CONTROL;
        EXPECT_EQ(vk, expected[i].second) << i;
        EXPECT_TRUE(keys[i].Data.flags & LLKHF_INJECTED) << i;
    }

    // Still the first process, running and owning the window.
    EXPECT_FALSE(WaitForProgramEnd(Run, 0, NULL));
    DWORD windowPid = 0;
    GetWindowThreadProcessId(FindProgramWindow(), &windowPid);
    EXPECT_EQ(windowPid, pid);
    EXPECT_EQ(Pid(), pid);

    PostMessageA(FindProgramWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(EndExitCode(10000), 0u);
    EXPECT_EQ(Setting(VALUE_BUTTON1), (DWORD)CtrlCCode);
}

}  // namespace
