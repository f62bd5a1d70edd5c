// The settings store against Wine's registry: what a load takes from the key,
// what it sends to the driver, what a save writes, and the button reload.
#include <gtest/gtest.h>
#include <cstring>
#include "app/app_state.h"
#include "app/main_window.h"
#include "device/driver_channel.h"
#include "device/hid_probe.h"
#include "fakes/fake_os.h"
#include "settings/settings_key_guard.h"
#include "settings/settings_store.h"

namespace {

const LONG X_MAX = 5000;
const LONG Y_MAX = 4000;

class SettingsStoreTest : public testing::Test {
protected:
    SettingsKeyGuard Guard;

    void SetUp() override
    {
        Guard = SaveSettingsKey();
        DeleteSettingsKey();
        CloseDriverChannel();
        ResetFakeDriver();
        ResetTabletSettings();
        TabletExtents.XMax = X_MAX;
        TabletExtents.YMax = Y_MAX;
        App.SettingsLoadAttempted = 0;
        App.SettingsSaved = 0;
        ResetFakeRegistry();
        ASSERT_TRUE(OpenDriverChannel());
    }

    void TearDown() override
    {
        ResetFakeRegistry();
        CloseDriverChannel();
        RestoreSettingsKey(Guard);
    }

    // Every block the driver received; each must keep bytes 18 to 31 zero.
    std::vector<DriverSettingsBlock> SentBlocks()
    {
        std::vector<DriverSettingsBlock> blocks;
        for (const FakeDriverRequest &r : FakeRequestsOfCode(IOCTL_TABLET_SET_SETTINGS)) {
            EXPECT_EQ(sizeof(DriverSettingsBlock), r.Input.size());
            EXPECT_EQ(0u, r.OutputSize);
            DriverSettingsBlock block;
            ZeroMemory(&block, sizeof block);
            memcpy(&block, r.Input.data(), std::min(r.Input.size(), sizeof block));
            for (size_t i = 18; i < 32; i++)
                EXPECT_EQ(0, r.Input[i]) << "byte " << i;
            blocks.push_back(block);
        }
        return blocks;
    }

    TabletSettingsState Settings()
    {
        LockSettings();
        TabletSettingsState copy = TabletSettings;
        UnlockSettings();
        return copy;
    }

    DWORD Stored(const char *name)
    {
        DWORD number = 0xDEADBEEF;
        EXPECT_TRUE(GetStoredDword(name, &number)) << name;
        return number;
    }
};

void ExpectStartingValues(const TabletSettingsState &s)
{
    EXPECT_EQ(1, s.AbsoluteMode);
    EXPECT_EQ(0, s.Orientation);
    EXPECT_EQ(4, s.Sensitivity);
    EXPECT_EQ(2, s.Button1Action);
    EXPECT_EQ(1, s.Button2Action);
}

TEST_F(SettingsStoreTest, StartingBlockHoldsTheStartingValues)
{
    const DriverSettingsBlock &b = Settings().Block;
    EXPECT_EQ(4, b.Sensitivity);
    EXPECT_EQ(0, b.Landscape);
    EXPECT_EQ(1, b.Absolute);
    EXPECT_EQ(1, b.WorkingArea);
    EXPECT_EQ(0, b.StartX);
    EXPECT_EQ(0, b.StartY);
    EXPECT_EQ(0, b.EndX);
    EXPECT_EQ(0, b.EndY);
    EXPECT_EQ(2, b.Button1);
    EXPECT_EQ(1, b.Button2);
    for (unsigned char c : b.Reserved)
        EXPECT_EQ(0, c);
}

TEST_F(SettingsStoreTest, FirstRunWithoutKeySavesUsableButtonsAndWholeTablet)
{
    LoadSettings();
    ExpectStartingValues(Settings());
    EXPECT_TRUE(SentBlocks().empty());
    EXPECT_FALSE(SettingsKeyExists());

    SaveSettings();
    EXPECT_EQ(1u, Stored(VALUE_ABSOLUTE));
    EXPECT_EQ(0u, Stored(VALUE_LANDSCAPE));
    EXPECT_EQ(4u, Stored(VALUE_SENSITIVITY));
    EXPECT_EQ(2u, Stored(VALUE_BUTTON1));
    EXPECT_EQ(1u, Stored(VALUE_BUTTON2));
    EXPECT_EQ(1u, Stored(VALUE_WORKING_AREA));
    EXPECT_EQ(0u, Stored(VALUE_START_X));
    EXPECT_EQ(0u, Stored(VALUE_START_Y));
    EXPECT_EQ(0u, Stored(VALUE_END_X));
    EXPECT_EQ(0u, Stored(VALUE_END_Y));

    // The next run keeps both pen buttons and works on the whole tablet.
    ResetTabletSettings();
    LoadSettings();
    TabletSettingsState s = Settings();
    ExpectStartingValues(s);
    std::vector<DriverSettingsBlock> sent = SentBlocks();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(2, sent[0].Button1);
    EXPECT_EQ(1, sent[0].Button2);
    EXPECT_EQ(1, sent[0].WorkingArea);
    EXPECT_EQ(X_MAX, sent[0].EndX);
    EXPECT_EQ(Y_MAX, sent[0].EndY);
}

TEST_F(SettingsStoreTest, EveryValueGoesToItsFieldsAndTheBlockIsSentOnce)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 0);
    PutStoredDword(key, VALUE_LANDSCAPE, 1);
    PutStoredDword(key, VALUE_SENSITIVITY, 3);
    PutStoredDword(key, VALUE_WORKING_AREA, 0);
    PutStoredDword(key, VALUE_START_X, 100);
    PutStoredDword(key, VALUE_START_Y, 200);
    PutStoredDword(key, VALUE_END_X, 3000);
    PutStoredDword(key, VALUE_END_Y, 2500);
    PutStoredDword(key, VALUE_BUTTON1, 16);
    PutStoredDword(key, VALUE_BUTTON2, 38);
    RegCloseKey(key);

    LoadSettings();
    TabletSettingsState s = Settings();
    EXPECT_EQ(0, s.AbsoluteMode);
    EXPECT_EQ(1, s.Orientation);
    EXPECT_EQ(3, s.Sensitivity);  // no range check
    EXPECT_EQ(16, s.Button1Action);
    EXPECT_EQ(38, s.Button2Action);
    std::vector<DriverSettingsBlock> sent = SentBlocks();
    ASSERT_EQ(1u, sent.size());
    const DriverSettingsBlock &b = sent[0];
    EXPECT_EQ(3, b.Sensitivity);
    EXPECT_EQ(1, b.Landscape);
    EXPECT_EQ(0, b.Absolute);
    EXPECT_EQ(0, b.WorkingArea);
    EXPECT_EQ(100, b.StartX);
    EXPECT_EQ(200, b.StartY);
    EXPECT_EQ(3000, b.EndX);
    EXPECT_EQ(2500, b.EndY);
    EXPECT_EQ(16, b.Button1);
    EXPECT_EQ(38, b.Button2);
    EXPECT_EQ(0, memcmp(&b, &s.Block, sizeof b));
}

// A key as an install that leaves it empty, or an applet that stores one
// value, leaves it: every value not stored keeps its starting value; none
// takes the number of the value before it.
TEST_F(SettingsStoreTest, ValuesNotStoredKeepTheirStartingValues)
{
    for (bool withAbsolute : {false, true}) {
        SCOPED_TRACE(withAbsolute ? "only Absolute 0 stored" : "empty key");
        ResetFakeDriver();
        ResetTabletSettings();
        HKEY key = CreateEmptySettingsKey();
        if (withAbsolute)
            PutStoredDword(key, VALUE_ABSOLUTE, 0);
        RegCloseKey(key);

        LoadSettings();
        ReloadButtonSettings();
        TabletSettingsState s = Settings();
        LONG mode = withAbsolute ? 0 : 1;
        EXPECT_EQ(mode, s.AbsoluteMode);
        EXPECT_EQ(0, s.Orientation);
        EXPECT_EQ(4, s.Sensitivity);
        EXPECT_EQ(2, s.Button1Action);
        EXPECT_EQ(1, s.Button2Action);
        std::vector<DriverSettingsBlock> sent = SentBlocks();
        ASSERT_EQ(1u, sent.size());
        const DriverSettingsBlock &b = sent[0];
        EXPECT_EQ(mode, b.Absolute);
        EXPECT_EQ(0, b.Landscape);
        EXPECT_EQ(4, b.Sensitivity);
        EXPECT_EQ(1, b.WorkingArea);
        EXPECT_EQ(0, b.StartX);
        EXPECT_EQ(0, b.StartY);
        EXPECT_EQ(X_MAX, b.EndX);  // working area 1: the tablet's maxima
        EXPECT_EQ(Y_MAX, b.EndY);
        EXPECT_EQ(2, b.Button1);
        EXPECT_EQ(1, b.Button2);
        EXPECT_EQ(0, memcmp(&b, &s.Block, sizeof b));
    }
}

TEST_F(SettingsStoreTest, MissingAbsoluteKeepsThePointerModeInForce)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_SENSITIVITY, 20);
    RegCloseKey(key);

    for (LONG mode : {0L, 1L}) {
        ResetFakeDriver();
        LockSettings();
        TabletSettings.AbsoluteMode = mode;  // as a command leaves it
        UnlockSettings();
        LoadSettings();
        TabletSettingsState s = Settings();
        EXPECT_EQ(mode, s.AbsoluteMode);
        EXPECT_EQ(mode, s.Block.Absolute);
        EXPECT_EQ(0, s.Orientation);
        EXPECT_EQ(20, s.Sensitivity);
        EXPECT_EQ(0, s.Block.StartX);
        ASSERT_EQ(1u, SentBlocks().size());
        EXPECT_EQ(mode, SentBlocks()[0].Absolute);
    }
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesOrSizesCountAsMissing)
{
    HKEY key = CreateEmptySettingsKey();
    BYTE four[4] = {9, 0, 0, 0};
    BYTE two[2] = {9, 0};
    ULONGLONG eight = 20;
    DWORD number = 7;
    PutStoredDword(key, VALUE_ABSOLUTE, 0);
    RegSetValueExA(key, VALUE_LANDSCAPE, 0, REG_BINARY, four, sizeof four);
    RegSetValueExA(key, VALUE_SENSITIVITY, 0, REG_QWORD, (BYTE *)&eight, sizeof eight);
    PutStoredDword(key, VALUE_WORKING_AREA, 5);
    RegSetValueExA(key, VALUE_START_X, 0, REG_SZ, (const BYTE *)"9", 2);
    RegSetValueExA(key, VALUE_START_Y, 0, REG_BINARY, two, sizeof two);
    PutStoredDword(key, VALUE_END_X, 300);
    RegSetValueExA(key, VALUE_END_Y, 0, REG_DWORD_BIG_ENDIAN, (BYTE *)&number,
                   sizeof number);
    RegSetValueExA(key, VALUE_BUTTON1, 0, REG_SZ, (const BYTE *)"4", 2);
    RegSetValueExA(key, VALUE_BUTTON2, 0, REG_BINARY, four, sizeof four);
    RegCloseKey(key);

    LoadSettings();
    TabletSettingsState s = Settings();
    EXPECT_EQ(0, s.AbsoluteMode);
    EXPECT_EQ(0, s.Orientation);
    EXPECT_EQ(4, s.Sensitivity);
    EXPECT_EQ(5, s.Block.WorkingArea);
    EXPECT_EQ(0, s.Block.StartX);
    EXPECT_EQ(0, s.Block.StartY);
    EXPECT_EQ(300, s.Block.EndX);
    EXPECT_EQ(0, s.Block.EndY);
    EXPECT_EQ(2, s.Button1Action);
    EXPECT_EQ(2, s.Block.Button1);
    EXPECT_EQ(1, s.Button2Action);
    EXPECT_EQ(1, s.Block.Button2);

    // The reload passes over such values too.
    ReloadButtonSettings();
    s = Settings();
    EXPECT_EQ(2, s.Button1Action);
    EXPECT_EQ(2, s.Block.Button1);
    EXPECT_EQ(1, s.Button2Action);
    EXPECT_EQ(1, s.Block.Button2);
}

struct WorkingAreaCase {
    const char *Name;
    DWORD WorkingArea;
    DWORD EndX, EndY;
    LONG XMax, YMax;
    USHORT WantEndX, WantEndY;
};

TEST_F(SettingsStoreTest, WorkingAreaStepAgainstTheTabletMaxima)
{
    const WorkingAreaCase cases[] = {
        {"whole tablet, ends above", 1, 9000, 8000, 5000, 4000, 5000, 4000},
        {"whole tablet, ends below", 1, 100, 200, 5000, 4000, 5000, 4000},
        {"own area, end X above", 0, 5001, 3999, 5000, 4000, 5000, 3999},
        {"own area, ends at the maxima", 0, 5000, 4000, 5000, 4000, 5000, 4000},
        {"own area, end Y above", 0, 10, 65535, 5000, 4000, 10, 4000},
        {"any other value is an own area", 2, 6000, 6000, 5000, 4000, 5000, 4000},
        {"maxima above 16 bits", 1, 10, 10, 70000, 4000, 70000 & 0xFFFF, 4000},
        // A maximum that is not known (0) never lowers or replaces an end.
        {"whole tablet, maxima unknown", 1, 3000, 2000, 0, 0, 3000, 2000},
        {"own area, maxima unknown", 0, 3000, 2000, 0, 0, 3000, 2000},
        {"whole tablet, Y unknown", 1, 3000, 2000, 5000, 0, 5000, 2000},
        {"own area, X unknown", 0, 3000, 9000, 0, 4000, 3000, 4000},
    };
    for (const WorkingAreaCase &c : cases) {
        ResetFakeDriver();
        ResetTabletSettings();
        TabletExtents.XMax = c.XMax;
        TabletExtents.YMax = c.YMax;
        HKEY key = CreateEmptySettingsKey();
        PutStoredDword(key, VALUE_WORKING_AREA, c.WorkingArea);
        PutStoredDword(key, VALUE_START_X, 7);
        PutStoredDword(key, VALUE_START_Y, 9);
        PutStoredDword(key, VALUE_END_X, c.EndX);
        PutStoredDword(key, VALUE_END_Y, c.EndY);
        RegCloseKey(key);

        LoadSettings();
        std::vector<DriverSettingsBlock> sent = SentBlocks();
        ASSERT_EQ(1u, sent.size()) << c.Name;
        EXPECT_EQ(c.WantEndX, sent[0].EndX) << c.Name;
        EXPECT_EQ(c.WantEndY, sent[0].EndY) << c.Name;
        EXPECT_EQ(7, sent[0].StartX) << c.Name;
        EXPECT_EQ(9, sent[0].StartY) << c.Name;

        SaveSettings();
        EXPECT_EQ((DWORD)c.WantEndX, Stored(VALUE_END_X)) << c.Name;
        EXPECT_EQ((DWORD)c.WantEndY, Stored(VALUE_END_Y)) << c.Name;
        EXPECT_EQ(c.WorkingArea, Stored(VALUE_WORKING_AREA)) << c.Name;
        EXPECT_EQ(7u, Stored(VALUE_START_X)) << c.Name;
    }
}

TEST_F(SettingsStoreTest, ButtonCodesAboveAByteKeepTheirActionButSaveTheLowByte)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_BUTTON1, 300);
    PutStoredDword(key, VALUE_BUTTON2, 0xFFFFFFFF);
    RegCloseKey(key);

    LoadSettings();
    TabletSettingsState s = Settings();
    EXPECT_EQ(300, s.Button1Action);
    EXPECT_EQ(44, s.Block.Button1);
    EXPECT_EQ(-1, s.Button2Action);
    EXPECT_EQ(255, s.Block.Button2);
    ASSERT_EQ(1u, SentBlocks().size());
    EXPECT_EQ(44, SentBlocks()[0].Button1);

    SaveSettings();
    EXPECT_EQ(44u, Stored(VALUE_BUTTON1));
    EXPECT_EQ(255u, Stored(VALUE_BUTTON2));
}

TEST_F(SettingsStoreTest, SaveWritesTheRunningValuesAndTheLoadedBlockAsDwords)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 1);
    PutStoredDword(key, VALUE_LANDSCAPE, 0);
    PutStoredDword(key, VALUE_SENSITIVITY, 10);
    PutStoredDword(key, VALUE_BUTTON1, 4);
    PutStoredDword(key, VALUE_BUTTON2, 7);
    RegCloseKey(key);
    LoadSettings();

    // As the commands and the sensitivity dialog change them.
    LockSettings();
    TabletSettings.AbsoluteMode = 0;
    TabletSettings.Orientation = 1;
    TabletSettings.Sensitivity = 33;
    TabletSettings.Button1Action = 9;  // saved from the block, not from here
    UnlockSettings();
    SaveSettings();

    EXPECT_EQ(0u, Stored(VALUE_ABSOLUTE));
    EXPECT_EQ(1u, Stored(VALUE_LANDSCAPE));
    EXPECT_EQ(33u, Stored(VALUE_SENSITIVITY));
    EXPECT_EQ(4u, Stored(VALUE_BUTTON1));
    EXPECT_EQ(7u, Stored(VALUE_BUTTON2));
    EXPECT_EQ(1u, Stored(VALUE_WORKING_AREA));  // not stored: the starting value
}

// The Screen choice: a string that fits is loaded and saved back; anything
// else is the main screen, and no choice is saved as none.
TEST_F(SettingsStoreTest, ScreenChoiceIsLoadedAndSavedAsAString)
{
    const std::string tooLong(SCREEN_NAME_SIZE, 'D');
    const struct {
        DWORD Type;  // REG_NONE: no value
        std::string Data, Loaded;
    } cases[] = {
        {REG_NONE, "", ""},
        {REG_SZ, "all", "all"},
        {REG_SZ, "\\\\.\\DISPLAY2", "\\\\.\\DISPLAY2"},
        {REG_DWORD, "\2\0\0\0", ""},
        {REG_SZ, tooLong, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Data);
        HKEY key = CreateEmptySettingsKey();
        if (c.Type != REG_NONE)
            RegSetValueExA(key, VALUE_SCREEN, 0, c.Type, (const BYTE *)c.Data.c_str(),
                           (DWORD)c.Data.size() + (c.Type == REG_SZ ? 1 : 0));
        RegCloseKey(key);
        LockSettings();
        strcpy(TabletSettings.Screen, "main");  // the loads replace it
        UnlockSettings();
        LoadSettings();
        EXPECT_EQ(c.Loaded, Settings().Screen);

        DeleteSettingsKey();
        SaveSettings();
        char saved[64] = "";
        DWORD size = sizeof saved - 1, type = 0;
        bool present = false;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            present = RegQueryValueExA(key, VALUE_SCREEN, NULL, &type, (BYTE *)saved,
                                       &size) == ERROR_SUCCESS && type == REG_SZ;
            RegCloseKey(key);
        }
        EXPECT_EQ(!c.Loaded.empty(), present);
        EXPECT_EQ(c.Loaded, std::string(present ? saved : ""));
        DeleteSettingsKey();
    }
}

TEST_F(SettingsStoreTest, ReloadOfButtonsLeavesAMissingOneAsItIs)
{
    struct {
        const char *Name;
        bool Has1, Has2;
        DWORD Stored1, Stored2;
        SHORT Want1, Want2;
    } cases[] = {
        {"both stored", true, true, 5, 6, 5, 6},
        {"Button1 missing", false, true, 0, 6, 2, 6},
        {"Button2 missing", true, false, 5, 0, 5, 1},
        {"both missing", false, false, 0, 0, 2, 1},
        {"Button1 300", true, true, 300, 0, 300, 0},
    };
    for (const auto &c : cases) {
        ResetTabletSettings();
        ResetFakeDriver();
        HKEY key = CreateEmptySettingsKey();
        if (c.Has1)
            PutStoredDword(key, VALUE_BUTTON1, c.Stored1);
        if (c.Has2)
            PutStoredDword(key, VALUE_BUTTON2, c.Stored2);
        RegCloseKey(key);
        ReloadButtonSettings();
        TabletSettingsState s = Settings();
        EXPECT_EQ(c.Want1, s.Button1Action) << c.Name;
        EXPECT_EQ((BYTE)c.Want1, s.Block.Button1) << c.Name;
        EXPECT_EQ(c.Want2, s.Button2Action) << c.Name;
        EXPECT_EQ((BYTE)c.Want2, s.Block.Button2) << c.Name;
        EXPECT_TRUE(SentBlocks().empty()) << c.Name;  // not sent again
    }
}

TEST_F(SettingsStoreTest, ReloadWithoutKeyChangesNothing)
{
    LockSettings();
    TabletSettings.Button1Action = 12;
    TabletSettings.Block.Button1 = 12;
    UnlockSettings();
    ReloadButtonSettings();
    LoadSettings();
    EXPECT_EQ(12, Settings().Button1Action);
    EXPECT_EQ(12, Settings().Block.Button1);
    EXPECT_TRUE(SentBlocks().empty());
}

TEST_F(SettingsStoreTest, ReloadMessageRestoresStoredValuesAndSendsThem)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 1);
    PutStoredDword(key, VALUE_LANDSCAPE, 0);
    PutStoredDword(key, VALUE_SENSITIVITY, 12);
    PutStoredDword(key, VALUE_BUTTON2, 3);
    RegCloseKey(key);
    LockSettings();
    TabletSettings.AbsoluteMode = 0;  // a command switched to relative mode
    TabletSettings.Block.Absolute = 0;
    UnlockSettings();

    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  NULL, NULL, NULL);
    EXPECT_EQ(0, MainWindowProc(window, WM_TABLET_RELOAD, 0, 0));
    DestroyWindow(window);

    TabletSettingsState s = Settings();
    EXPECT_EQ(1, s.AbsoluteMode);
    EXPECT_EQ(12, s.Sensitivity);
    // Button1 is missing: neither the load nor the reload changes it.
    EXPECT_EQ(2, s.Button1Action);
    EXPECT_EQ(2, s.Block.Button1);
    EXPECT_EQ(3, s.Button2Action);
    std::vector<DriverSettingsBlock> sent = SentBlocks();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(1, sent[0].Absolute);
    EXPECT_EQ(2, sent[0].Button1);
    EXPECT_EQ(0, App.SettingsLoadAttempted);
}

TEST_F(SettingsStoreTest, ReloadBeforeTheTabletIsFoundReadsButSendsNothing)
{
    CloseDriverChannel();
    TabletExtents.XMax = 0;
    TabletExtents.YMax = 0;
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 0);
    PutStoredDword(key, VALUE_WORKING_AREA, 1);
    PutStoredDword(key, VALUE_END_X, 4321);
    PutStoredDword(key, VALUE_END_Y, 1234);
    PutStoredDword(key, VALUE_BUTTON1, 9);
    RegCloseKey(key);

    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  NULL, NULL, NULL);
    MainWindowProc(window, WM_TABLET_RELOAD, 0, 0);
    DestroyWindow(window);

    TabletSettingsState s = Settings();
    EXPECT_EQ(0, s.AbsoluteMode);
    EXPECT_EQ(9, s.Button1Action);
    EXPECT_EQ(4321, s.Block.EndX);  // no known maximum: the stored end stays
    EXPECT_EQ(1234, s.Block.EndY);
    EXPECT_TRUE(CopyFakeDriverLog().empty());
    EXPECT_EQ(0, App.SettingsLoadAttempted);
}

DWORD WINAPI LoadOnOtherThread(LPVOID)
{
    LoadSettings();
    return 0;
}

// The settings block held in the driver, as a driver that is slow to answer.
HANDLE BlockReleased;

void HoldSettingsBlock(DWORD code)
{
    if (code == IOCTL_TABLET_SET_SETTINGS)
        WaitForSingleObject(BlockReleased, 20000);  // a failing test still ends
}

DWORD WINAPI WaitForLoadedSensitivity(LPVOID)
{
    for (;;) {
        LockSettings();
        bool loaded = TabletSettings.Sensitivity == 25;
        UnlockSettings();
        if (loaded)
            return 0;
        Sleep(1);
    }
}

TEST_F(SettingsStoreTest, LoadOnAnotherThreadWaitsForTheLockAndSendsWithoutIt)
{
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 0);
    PutStoredDword(key, VALUE_SENSITIVITY, 25);
    RegCloseKey(key);

    // While the UI thread holds the settings, the load does not touch them.
    LockSettings();
    HANDLE thread = CreateThread(NULL, 0, LoadOnOtherThread, NULL, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(thread, 300));
    EXPECT_EQ(1, TabletSettings.AbsoluteMode);
    EXPECT_EQ(4, TabletSettings.Sensitivity);
    UnlockSettings();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    CloseHandle(thread);
    EXPECT_EQ(0, Settings().AbsoluteMode);

    // While the driver request is held up, the settings are free again:
    // another thread takes the lock and finds the loaded values.
    ResetTabletSettings();
    ResetFakeDriver();
    BlockReleased = CreateEventA(NULL, TRUE, FALSE, NULL);
    FakeDriverHook = HoldSettingsBlock;
    thread = CreateThread(NULL, 0, LoadOnOtherThread, NULL, 0, NULL);
    ASSERT_TRUE(thread != NULL);
    HANDLE reader = CreateThread(NULL, 0, WaitForLoadedSensitivity, NULL, 0, NULL);
    ASSERT_TRUE(reader != NULL);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(reader, 5000));
    SetEvent(BlockReleased);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    CloseHandle(thread);
    WaitForSingleObject(reader, 5000);
    CloseHandle(reader);
    FakeDriverHook = NULL;
    CloseHandle(BlockReleased);
    ASSERT_EQ(1u, SentBlocks().size());
    EXPECT_EQ(25, SentBlocks()[0].Sensitivity);
}

}  // namespace

namespace {

// Each operation opens the key once, asking for the one right it uses; with
// only the rights every user holds on the installed key (values read and
// set, change notification, the access list read) it loads, reloads and
// saves, and a missing key it may not create stays missing.
TEST_F(SettingsStoreTest, EachOpenAsksOnlyForTheRightItUses)
{
    const REGSAM usersRights = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_NOTIFY | READ_CONTROL;
    struct {
        const char *Name;
        void (*Run)();
        REGSAM Access;
        bool Create;
    } cases[] = {
        {"load", [] { LoadSettings(); }, KEY_QUERY_VALUE, false},
        {"reload", [] { ReloadButtonSettings(); }, KEY_QUERY_VALUE, false},
        {"save", [] { SaveSettings(); }, KEY_SET_VALUE, true},
    };
    HKEY key = CreateEmptySettingsKey();
    PutStoredDword(key, VALUE_ABSOLUTE, 0);
    PutStoredDword(key, VALUE_BUTTON1, 7);
    RegCloseKey(key);
    for (const auto &c : cases) {
        ResetFakeRegistry();
        FakeRegistryGrant = usersRights;
        c.Run();
        ASSERT_EQ(1u, FakeRegistryOpens.size()) << c.Name;
        EXPECT_EQ(c.Access, FakeRegistryOpens[0].Access) << c.Name;
        EXPECT_EQ(c.Create, FakeRegistryOpens[0].Create) << c.Name;
    }
    // What the load and reload read is what the save wrote back.
    EXPECT_EQ(0, Settings().AbsoluteMode);
    EXPECT_EQ(7, Settings().Button1Action);
    LockSettings();
    TabletSettings.Sensitivity = 30;
    UnlockSettings();
    SaveSettings();
    EXPECT_EQ(30u, Stored(VALUE_SENSITIVITY));
    EXPECT_EQ(7u, Stored(VALUE_BUTTON1));

    DeleteSettingsKey();
    SaveSettings();
    EXPECT_FALSE(SettingsKeyExists());
}

}  // namespace
