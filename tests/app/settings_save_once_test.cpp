// When the settings reach the registry: once per run, at the first of the
// shutdown and the end of the session, and only after the reader's load.
#include <gtest/gtest.h>
#include "app/app_state.h"
#include "app/main_window.h"
#include "device/driver_channel.h"
#include "device/packet_reader.h"
#include "fakes/fake_os.h"
#include "settings/settings_key_guard.h"
#include "settings/settings_store.h"

namespace {

class SettingsSaveOnceTest : public testing::Test {
protected:
    SettingsKeyGuard Guard;
    HWND Window;

    void SetUp() override
    {
        Guard = SaveSettingsKey();
        DeleteSettingsKey();
        ResetFakeOs();
        ResetTabletSettings();
        App.SettingsLoadAttempted = 0;
        App.SettingsSaved = 0;
        App.ShutdownStarted = 0;
        Window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 NULL, NULL, NULL);
        App.MainWindow = Window;
    }

    void TearDown() override
    {
        DestroyWindow(Window);
        App.MainWindow = NULL;
        RestoreSettingsKey(Guard);
    }

    void SetRunningSensitivity(LONG sensitivity)
    {
        LockSettings();
        TabletSettings.Sensitivity = sensitivity;
        UnlockSettings();
    }

    DWORD StoredSensitivity()
    {
        DWORD number = 0;
        EXPECT_TRUE(GetStoredDword(VALUE_SENSITIVITY, &number));
        return number;
    }

    bool QuitPosted()
    {
        MSG msg;
        return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
};

TEST_F(SettingsSaveOnceTest, EndOfSessionSavesWithoutTheRestOfTheShutdown)
{
    App.SettingsLoadAttempted = 1;
    SetRunningSensitivity(17);
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(17u, StoredSensitivity());
    EXPECT_EQ(0, App.ShutdownStarted);
    EXPECT_EQ(0, PacketReader.StopRequested);
    EXPECT_TRUE(FakeShell.NotifyCalls.empty());
    EXPECT_FALSE(QuitPosted());
}

// Restart Manager closing the program (Windows Installer updating it) ends
// it as WM_CLOSE does; a log-off only saves; a cancelled end does nothing.
TEST_F(SettingsSaveOnceTest, EndOfSessionForTheProgramAloneShutsItDown)
{
    struct {
        WPARAM Ending;
        DWORD Flags;
        bool Saved, ShutDown;
    } cases[] = {
        {TRUE, ENDSESSION_CLOSEAPP, true, true},
        {TRUE, ENDSESSION_LOGOFF, true, false},
        {FALSE, ENDSESSION_CLOSEAPP, false, false},
    };
    for (const auto &c : cases) {
        TearDown();
        SetUp();
        PacketReader.StopRequested = 0;
        App.SettingsLoadAttempted = 1;
        SetRunningSensitivity(17);
        MainWindowProc(Window, WM_ENDSESSION, c.Ending, c.Flags);
        DWORD stored = 0;
        EXPECT_EQ(c.Saved, GetStoredDword(VALUE_SENSITIVITY, &stored) && stored == 17)
            << c.Flags;
        EXPECT_EQ(c.ShutDown, App.ShutdownStarted != 0) << c.Flags;
        EXPECT_EQ(c.ShutDown, PacketReader.StopRequested != 0) << c.Flags;
        EXPECT_EQ(c.ShutDown, QuitPosted()) << c.Flags;
    }
}

TEST_F(SettingsSaveOnceTest, SessionThatGoesOnSavesNothing)
{
    App.SettingsLoadAttempted = 1;
    MainWindowProc(Window, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsSaveOnceTest, SettingsAreWrittenAtMostOncePerRun)
{
    App.SettingsLoadAttempted = 1;
    SetRunningSensitivity(17);
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    ASSERT_EQ(17u, StoredSensitivity());

    // Another program stores a value; no second save may overwrite it.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH,
                                           0, KEY_ALL_ACCESS, &key));
    PutStoredDword(key, VALUE_SENSITIVITY, 40);
    RegCloseKey(key);
    SetRunningSensitivity(22);
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    ShutDownProgram();
    EXPECT_EQ(40u, StoredSensitivity());
    EXPECT_TRUE(QuitPosted());  // the shutdown itself still ran
}

TEST_F(SettingsSaveOnceTest, EndOfSessionAfterTheShutdownSavesNothingMore)
{
    App.SettingsLoadAttempted = 1;
    SetRunningSensitivity(9);
    ShutDownProgram();
    ASSERT_EQ(9u, StoredSensitivity());
    SetRunningSensitivity(31);
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(9u, StoredSensitivity());
}

TEST_F(SettingsSaveOnceTest, NothingIsWrittenWhenTheLoadWasNeverReached)
{
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    ShutDownProgram();
    EXPECT_FALSE(SettingsKeyExists());

    // Stored values stay as they were.
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_SENSITIVITY, 44);
    RegCloseKey(key);
    SetRunningSensitivity(5);
    MainWindowProc(Window, WM_ENDSESSION, TRUE, 0);
    SaveSettingsOnce();
    EXPECT_EQ(44u, StoredSensitivity());
    DWORD absolute;
    EXPECT_FALSE(GetStoredDword(VALUE_ABSOLUTE, &absolute));
}

}  // namespace
