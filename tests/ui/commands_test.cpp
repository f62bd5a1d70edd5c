// The main window's commands, sent as WM_COMMAND to a main window of the
// program's own class with MainWindowProc behind it.
#include <gtest/gtest.h>
#include <cstring>
#include "app/app_state.h"
#include "device/driver_channel.h"
#include "device/packet_ring.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "ui/commands.h"
#include "ui/sensitivity_dialog.h"
#include "ui/sensitivity_harness.h"

namespace {

class CommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetUpDialogHarness();
        ASSERT_TRUE(OpenDriverChannel());
    }
    void TearDown() override { TearDownDialogHarness(); }

    INT_PTR Send(WPARAM wParam, LPARAM lParam = 0)
    {
        DialogHarness.CommandResults.clear();
        SendMessageA(DialogHarness.Owner, WM_COMMAND, wParam, lParam);
        EXPECT_EQ(1u, DialogHarness.CommandResults.size());
        return DialogHarness.CommandResults.empty() ? -1
                                                    : DialogHarness.CommandResults[0];
    }
};

TabletSettingsState CopySettings()
{
    LockSettings();
    TabletSettingsState copy = TabletSettings;
    UnlockSettings();
    return copy;
}

void SetModeAndOrientation(LONG absolute, LONG orientation)
{
    LockSettings();
    TabletSettings.AbsoluteMode = absolute;
    TabletSettings.Orientation = orientation;
    UnlockSettings();
}

struct SettingCommand {
    WORD Id;
    DWORD Code;
    DWORD Value;
    LONG TabletSettingsState::*Field;
};

const SettingCommand SettingCommands[] = {
    {IDM_ABSOLUTE, IOCTL_TABLET_SET_ABSOLUTE, 1, &TabletSettingsState::AbsoluteMode},
    {IDM_RELATIVE, IOCTL_TABLET_SET_ABSOLUTE, 0, &TabletSettingsState::AbsoluteMode},
    {IDM_LANDSCAPE, IOCTL_TABLET_SET_ORIENTATION, 0, &TabletSettingsState::Orientation},
    {IDM_PORTRAIT, IOCTL_TABLET_SET_ORIENTATION, 1, &TabletSettingsState::Orientation},
};

TEST_F(CommandsTest, ModeAndOrientationChangeWhenTheDriverAccepts)
{
    for (const SettingCommand &c : SettingCommands) {
        SCOPED_TRACE(c.Id);
        // Start from the other value, so that a change shows.
        SetModeAndOrientation(1 - (LONG)c.Value, 1 - (LONG)c.Value);
        TabletSettingsState before = CopySettings();
        ResetFakeDriver();
        EXPECT_EQ(FALSE, Send(c.Id));
        std::vector<FakeDriverRequest> log = CopyFakeDriverLog();
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(c.Code, log[0].Code);
        EXPECT_EQ(c.Value, FakeRequestValue(log[0]));
        TabletSettingsState after = CopySettings();
        EXPECT_EQ((LONG)c.Value, after.*c.Field);
        // Only that field changes; the settings block is never touched.
        before.*c.Field = (LONG)c.Value;
        EXPECT_EQ(0, memcmp(&before, &after, sizeof before));
        EXPECT_TRUE(FindSensitivityDialog() == NULL);
    }
}

TEST_F(CommandsTest, RefusedModeAndOrientationLeaveTheSettingAsItWas)
{
    for (const SettingCommand &c : SettingCommands) {
        SCOPED_TRACE(c.Id);
        SetModeAndOrientation(1 - (LONG)c.Value, 1 - (LONG)c.Value);
        TabletSettingsState before = CopySettings();
        ResetFakeDriver();
        FakeDriver.FailCode = c.Code;
        EXPECT_EQ(FALSE, Send(c.Id));
        EXPECT_EQ(1u, FakeRequestsOfCode(c.Code).size());
        TabletSettingsState after = CopySettings();
        EXPECT_EQ(0, memcmp(&before, &after, sizeof before));
    }
}

TEST_F(CommandsTest, WithoutAChannelNothingIsSentAndRelativeStaysAbsolute)
{
    CloseDriverChannel();
    ResetFakeDriver();
    ASSERT_EQ(1, CopySettings().AbsoluteMode);
    EXPECT_EQ(FALSE, Send(IDM_RELATIVE));
    EXPECT_EQ(1, CopySettings().AbsoluteMode);
    // The pointer stays in absolute mode: the next pen packet moves it so.
    PenPacket packet = {1000, 2000, 0, 0x80, 0};
    ASSERT_TRUE(PostPenPacket(DialogHarness.Owner, &packet));
    PumpPendingMessages();
    ASSERT_EQ(1u, FakeInput.Events.size());
    EXPECT_EQ((DWORD)(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE), FakeInput.Events[0].Flags);
    EXPECT_EQ(1000u, FakeInput.Events[0].Dx);
    for (const SettingCommand &c : SettingCommands) {
        SetModeAndOrientation(1 - (LONG)c.Value, 1 - (LONG)c.Value);
        EXPECT_EQ(FALSE, Send(c.Id));
        EXPECT_EQ(1 - (LONG)c.Value, CopySettings().*c.Field) << c.Id;
    }
    EXPECT_TRUE(CopyFakeDriverLog().empty());
}

TEST_F(CommandsTest, RepeatedAbsoluteIsSentAgain)
{
    ASSERT_EQ(1, CopySettings().AbsoluteMode);
    Send(IDM_ABSOLUTE);
    Send(IDM_ABSOLUTE);
    std::vector<FakeDriverRequest> sent = FakeRequestsOfCode(IOCTL_TABLET_SET_ABSOLUTE);
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(1u, FakeRequestValue(sent[0]));
    EXPECT_EQ(1u, FakeRequestValue(sent[1]));
    EXPECT_EQ(1, CopySettings().AbsoluteMode);
}

TEST_F(CommandsTest, OnlyTheLowWordOfWParamChoosesTheCommand)
{
    // A button notification with a control handle acts like a menu choice.
    EXPECT_EQ(FALSE, Send(MAKEWPARAM(IDM_PORTRAIT, BN_CLICKED),
                          (LPARAM)DialogHarness.Owner));
    EXPECT_EQ(1, CopySettings().Orientation);
    // A command id in the high word is not a command.
    EXPECT_EQ(FALSE, Send(MAKEWPARAM(IDOK, IDM_LANDSCAPE)));
    EXPECT_EQ(1, CopySettings().Orientation);
    EXPECT_EQ(1u, CopyFakeDriverLog().size());
}

TEST_F(CommandsTest, OtherIdsDoNothing)
{
    TabletSettingsState before = CopySettings();
    const WORD ids[] = {0, IDOK, IDCANCEL, 1000, 1007, 4001, 0xFFFF};
    for (WORD id : ids) {
        EXPECT_EQ(FALSE, Send(id)) << id;
        EXPECT_EQ(FALSE, HandleCommand(DialogHarness.Owner, id)) << id;
    }
    TabletSettingsState after = CopySettings();
    EXPECT_EQ(0, memcmp(&before, &after, sizeof before));
    EXPECT_TRUE(CopyFakeDriverLog().empty());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, DialogHarness.Owner, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
    EXPECT_EQ(0, App.ShutdownStarted);
}

TEST_F(CommandsTest, CloseReturnsTrueAndTheShutdownRunsFromTheQueue)
{
    EXPECT_EQ(TRUE, Send(IDM_CLOSE));
    EXPECT_EQ(0, App.ShutdownStarted) << "the shutdown ran inside the command";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, DialogHarness.Owner, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ((UINT)WM_CLOSE, msg.message);
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(0, msg.lParam);
    DispatchMessageA(&msg);
    EXPECT_EQ(1, App.ShutdownStarted);
    // The shutdown ends the message loop.
    bool quit = false;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

TEST_F(CommandsTest, SensitivityOpensTheDialogInAbsoluteModeAndReturnsFalse)
{
    ASSERT_EQ(1, CopySettings().AbsoluteMode);
    bool opened = false;
    INT_PTR result = RunDialogSteps({[&](HWND dialog) {
        opened = true;
        PressButton(dialog, IDOK);
    }});
    EXPECT_TRUE(opened);
    EXPECT_EQ(FALSE, result);
}

TEST_F(CommandsTest, CommandsPostedToTheMainWindowAreHandledWhileTheDialogIsOpen)
{
    HWND owner = DialogHarness.Owner;
    RunDialogSteps({
        [&](HWND) { PostMessageA(owner, WM_COMMAND, IDM_RELATIVE, 0); },
        [](HWND dialog) {
            EXPECT_TRUE(IsWindowVisible(dialog));
            std::vector<FakeDriverRequest> sent =
                FakeRequestsOfCode(IOCTL_TABLET_SET_ABSOLUTE);
            ASSERT_EQ(1u, sent.size());
            EXPECT_EQ(0u, FakeRequestValue(sent[0]));
            EXPECT_EQ(0, CopySettings().AbsoluteMode);
            PressButton(dialog, IDOK);
        },
    });
    EXPECT_EQ(0, CopySettings().AbsoluteMode);
}

TEST_F(CommandsTest, CloseWhileTheDialogIsOpenEndsTheDialogAndTheProgram)
{
    HWND owner = DialogHarness.Owner;
    DialogHarness.EndsWithoutAButton = true;
    RunDialogSteps({
        [&](HWND) { PostMessageA(owner, WM_COMMAND, IDM_CLOSE, 0); },
        [](HWND dialog) {
            // The posted WM_CLOSE is still to come.
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_EQ(0, App.ShutdownStarted);
        },
    });
    EXPECT_EQ(1, App.ShutdownStarted);
    EXPECT_TRUE(FindSensitivityDialog() == NULL);
    // The dialog's loop hands the quit on to the program's message loop.
    EXPECT_TRUE(DialogHarness.QuitSeen);
}

// Another thread, as another program or the reader would, posts to the main
// window while the dialog is up and waits until the UI thread has handled it.
struct PosterRun {
    HWND Owner;
    bool SawDialog;
    bool HandledWhileOpen;
};

DWORD WINAPI PostWhileDialogIsOpen(LPVOID context)
{
    PosterRun *run = (PosterRun *)context;
    HWND dialog = NULL;
    for (int i = 0; i < 1000 && !dialog; ++i) {
        dialog = FindSensitivityDialog();
        if (!dialog)
            Sleep(10);
    }
    run->SawDialog = dialog != NULL;
    if (!dialog)
        return 0;
    PostMessageA(run->Owner, WM_COMMAND, IDM_PORTRAIT, 0);
    for (int i = 0; i < 1000; ++i) {
        if (!FakeRequestsOfCode(IOCTL_TABLET_SET_ORIENTATION).empty())
            break;
        Sleep(10);
    }
    run->HandledWhileOpen = !FakeRequestsOfCode(IOCTL_TABLET_SET_ORIENTATION).empty() &&
                            IsWindowVisible(dialog);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

TEST_F(CommandsTest, MessagesFromAnotherThreadAreHandledWhileTheDialogIsOpen)
{
    PosterRun run = {DialogHarness.Owner, false, false};
    HANDLE thread = CreateThread(NULL, 0, PostWhileDialogIsOpen, &run, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    SendMessageA(DialogHarness.Owner, WM_COMMAND, IDM_SENSITIVITY, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_TRUE(run.SawDialog);
    EXPECT_TRUE(run.HandledWhileOpen);
    EXPECT_EQ(1, CopySettings().Orientation);
    EXPECT_EQ(std::vector<DWORD>({4}), SentSensitivities());
    // IDM_PORTRAIT returned inside the dialog, IDM_SENSITIVITY after it.
    EXPECT_EQ(std::vector<INT_PTR>({FALSE, FALSE}), DialogHarness.CommandResults);
}

}  // namespace
