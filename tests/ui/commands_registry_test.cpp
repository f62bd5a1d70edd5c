// Commands and the dialog against the stored settings: their changes live in
// memory until a shutdown saves them, and a reload replaces them.
#include <gtest/gtest.h>
#include "app/app_state.h"
#include "device/driver_channel.h"
#include "fakes/fake_os.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "shared/stored_values.h"
#include "ui/sensitivity_harness.h"

namespace {

const std::vector<std::pair<const char *, DWORD>> StoredLandscapeAbsolute = {
    {VALUE_ABSOLUTE, 1},   {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 12},
    {VALUE_WORKING_AREA, 1}, {VALUE_START_X, 0}, {VALUE_START_Y, 0},
    {VALUE_END_X, 0},      {VALUE_END_Y, 0},     {VALUE_BUTTON1, 2},
    {VALUE_BUTTON2, 1},
};

class CommandsRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        Saved = SnapshotStoredKey();
        SetUpDialogHarness();
        ASSERT_TRUE(OpenDriverChannel());
        WriteStoredKey(StoredLandscapeAbsolute);
    }
    void TearDown() override
    {
        TearDownDialogHarness();
        RestoreStoredKey(Saved);
    }
    void Command(WORD id) { SendMessageA(DialogHarness.Owner, WM_COMMAND, id, 0); }
    StoredKeySnapshot Saved;
};

LONG CurrentOrientation()
{
    LockSettings();
    LONG value = TabletSettings.Orientation;
    UnlockSettings();
    return value;
}

TEST_F(CommandsRegistryTest, PortraitIsStoredOnlyByTheShutdown)
{
    App.SettingsLoadAttempted = 1;  // the reader reached its settings load
    Command(IDM_PORTRAIT);
    ASSERT_EQ(1, CurrentOrientation());
    EXPECT_EQ(0, ReadStoredValue(VALUE_LANDSCAPE)) << "a command wrote the registry";

    SendMessageA(DialogHarness.Owner, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, ReadStoredValue(VALUE_LANDSCAPE));
    EXPECT_EQ(1, ReadStoredValue(VALUE_ABSOLUTE));
}

TEST_F(CommandsRegistryTest, RefusedPortraitIsNotStoredByTheShutdown)
{
    App.SettingsLoadAttempted = 1;
    FakeDriver.FailCode = IOCTL_TABLET_SET_ORIENTATION;
    Command(IDM_PORTRAIT);
    SendMessageA(DialogHarness.Owner, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, ReadStoredValue(VALUE_LANDSCAPE));
}

TEST_F(CommandsRegistryTest, ReloadBringsTheStoredOrientationBack)
{
    Command(IDM_PORTRAIT);
    ASSERT_EQ(1, CurrentOrientation());
    SendMessageA(DialogHarness.Owner, WM_TABLET_RELOAD, 0, 0);
    EXPECT_EQ(0, CurrentOrientation());
    EXPECT_EQ(0, ReadStoredValue(VALUE_LANDSCAPE));
}

TEST_F(CommandsRegistryTest, SensitivityFromTheDialogIsStoredOnlyByTheShutdown)
{
    App.SettingsLoadAttempted = 1;
    RunDialogSteps({
        [](HWND dialog) { MoveSlider(dialog, 30); },
        [](HWND dialog) { PressButton(dialog, IDOK); },
    });
    EXPECT_EQ(30, CurrentSensitivity());
    EXPECT_EQ(12, ReadStoredValue(VALUE_SENSITIVITY));
    SendMessageA(DialogHarness.Owner, WM_CLOSE, 0, 0);
    EXPECT_EQ(30, ReadStoredValue(VALUE_SENSITIVITY));
}

}  // namespace
