// stylohidctl.exe of this build against the real program, without one, and
// with the settings key as the program and the installer leave it.
#include "program_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include <sddl.h>

#include "ctl_support.h"

namespace {

std::string ToolPath() { return BuildFolder() + "stylohidctl.exe"; }

ToolRun Ctl(const std::string &arguments) { return RunTool(ToolPath(), arguments); }

// A failure is told in one line on standard error, starting with the name.
void ExpectOneLineError(const ToolRun &run)
{
    EXPECT_EQ(run.Err.rfind("stylohidctl: ", 0), 0u) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
}

TEST_F(Program, StylohidctlWithoutTheProgram)
{
    struct Case {
        const char *Arguments;
        DWORD ExitCode;
        const char *Says;   // in the output (0) or in the one error line
    };
    const Case cases[] = {
        {"close", 0, "not running"},
        {"close --wait 5", 0, "not running"},
        {"absolute", 1, "stylohid is not running"},
        {"relative", 1, "stylohid is not running"},
        {"landscape", 1, "stylohid is not running"},
        {"portrait", 1, "stylohid is not running"},
        {"sensitivity", 1, "stylohid is not running"},
        {"reload", 1, "stylohid is not running"},
        {"", 2, "no command given"},
        {"bogus", 2, "unknown command \"bogus\""},
        {"close --wait 5 6", 2, "close [--wait [SECONDS]]"},
        {"close --wait x", 2, "close [--wait [SECONDS]]"},
        {"close --wait 86401", 2, "close [--wait [SECONDS]]"},
        {"close --now", 2, "close [--wait [SECONDS]]"},
        {"relative now", 2, "relative takes no arguments"},
        {"status all", 2, "status takes no arguments"},
        {"grant-settings now", 2, "grant-settings takes no arguments"},
        {"start now", 2, "start takes no arguments"},
        {"settings-access", 2, "usage: settings-access record|restore"},
        {"screens all", 2, "screens takes no arguments"},
        {"screen", 2, "usage: screen main|all|N, N 1 to 1"},
        {"screen 0", 2, "usage: screen main|all|N, N 1 to 1"},
        {"screen 2", 2, "usage: screen main|all|N, N 1 to 1"},
        {"screen 1x", 2, "usage: screen main|all|N, N 1 to 1"},
        {"screens", 0, "1: 1280 x 1024 at 0,0 (main) \\\\.\\DISPLAY1\n"},
        {"--version", 0, "stylohidctl " STYLOHID_VERSION "\n"},
        {"status", 0, "stylohid: not running\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Arguments);
        ToolRun run = Ctl(c.Arguments);
        ASSERT_TRUE(run.Ended) << run.Err;
        EXPECT_EQ(run.ExitCode, c.ExitCode);
        if (c.ExitCode == 0) {
            EXPECT_NE(run.Out.find(c.Says), std::string::npos) << run.Out;
            EXPECT_EQ(run.Err, "");
        } else {
            EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
            ExpectOneLineError(run);
        }
    }
    // The help names every command with its arguments.
    ToolRun help = Ctl("--help");
    EXPECT_EQ(help.ExitCode, 0u);
    for (const char *line : {"start", "close [--wait [SECONDS]]", "absolute", "relative", "landscape",
                             "portrait", "sensitivity", "reload", "screens",
                             "screen main|all|N", "status",
                             "grant-settings", "settings-access record|restore",
                             "--version"})
        EXPECT_NE(help.Out.find(std::string("  ") + line + " "), std::string::npos) << line;
    // Nothing stored: status says so and creates nothing.
    EXPECT_NE(Ctl("status").Out.find("Settings: none stored"), std::string::npos);
    DWORD ignored;
    EXPECT_FALSE(ReadSetting(VALUE_ABSOLUTE, &ignored));
}

// start: the program beside the tool, started through the shell, runs; with
// no program beside it the tool fails and names the file it meant.
TEST_F(Program, StylohidctlStartStartsTheProgramBesideIt)
{
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    const std::string alone = std::string(temp) + "stylohidctl alone";
    CreateDirectoryA(alone.c_str(), NULL);
    ASSERT_TRUE(CopyFileA(ToolPath().c_str(), (alone + "\\stylohidctl.exe").c_str(), FALSE));
    ToolRun missing = RunTool(alone + "\\stylohidctl.exe", "start");
    DeleteFileA((alone + "\\stylohidctl.exe").c_str());
    RemoveDirectoryA(alone.c_str());
    EXPECT_EQ(missing.ExitCode, 3u);
    EXPECT_NE(missing.Err.find("could not start " + alone + "\\" PROGRAM_FILE_NAME),
              std::string::npos) << missing.Err;
    EXPECT_EQ(FindProgramWindow(), (HWND)NULL);

    ToolRun run = Ctl("start");
    EXPECT_EQ(run.ExitCode, 0u) << run.Err;
    EXPECT_TRUE(WaitFor([] { return FindProgramWindow() != NULL; }, 30000))
        << "the program did not start";
}

// A copy of the program whose window cannot be reached from here (another
// session or desktop; here: started suspended, before its window exists) is
// never reported as "not running": close fails, with --wait after the wait.
TEST_F(Program, StylohidctlCloseFailsForACopyItCannotReach)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION copy;
    std::string command = "\"" + BuildFolder() + PROGRAM_FILE_NAME + "\"";
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, CREATE_SUSPENDED, NULL,
                               NULL, &startup, &copy));
    char pid[32];
    snprintf(pid, sizeof pid, "(process %lu)", (unsigned long)copy.dwProcessId);
    for (const char *arguments : {"close", "close --wait 1"}) {
        ToolRun run = Ctl(arguments);
        EXPECT_EQ(run.ExitCode, 3u) << arguments << ": " << run.Out;
        EXPECT_NE(run.Err.find(pid), std::string::npos) << arguments << ": " << run.Err;
        EXPECT_NE(run.Err.find("cannot reach it"), std::string::npos) << run.Err;
        ExpectOneLineError(run);
    }
    // status and diagnose name that case too, not "not running" or "hangs".
    for (const char *arguments : {"status", "diagnose"})
        EXPECT_NE(Ctl(arguments).Out.find(std::to_string(copy.dwProcessId) +
                                          ") without a window this command can find: "
                                          "in another session or on another desktop"),
                  std::string::npos) << arguments;
    TerminateProcess(copy.hProcess, 1);
    WaitForSingleObject(copy.hProcess, 10000);
    CloseHandle(copy.hProcess);
    CloseHandle(copy.hThread);
    EXPECT_EQ(Ctl("close --wait 1").ExitCode, 0u);
}

// Two stored values the program cannot use: one made text, one deleted.
bool PutTextAndDelete(const char *textName, const char *text, const char *deletedName)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, textName, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegDeleteValueA(key, deletedName);
    RegCloseKey(key);
    return true;
}

TEST_F(Program, StylohidctlStatusTellsEveryStoredValue)
{
    StoredSettings stored = {0, 1, 20, 1, 10, 20, 3000, 2000, 10, 300};
    WriteSettings(stored);
    WriteSetting(VALUE_RECONNECT, 1);
    WriteSetting(VALUE_SMOOTHING, 5);
    WriteSetting(VALUE_STEADY_CLICKS, 1);
    ASSERT_TRUE(PutTextAndDelete(VALUE_START_Y, "20", VALUE_END_Y));

    ToolRun run = Ctl("status");
    EXPECT_EQ(run.ExitCode, 0u) << run.Err;
    EXPECT_EQ(run.Out,
              "stylohid: not running\n"
              "Start at logon: not set\n"
              "Settings: HKEY_LOCAL_MACHINE\\Software\\VELLUM\\Tablet\\CurrentVersion\\Settings\n"
              "Pointer mode: relative (0)\n"
              "Orientation: portrait (1)\n"
              "Sensitivity: 20\n"
              "Working area: whole tablet (1)\n"
              "Start X: 10\n"
              "Start Y: not a REG_DWORD (StartY is REG_SZ, 3 bytes)\n"
              "End X: 3000\n"
              "End Y: missing (EndY)\n"
              "Button 1: Ctrl+C (10)\n"
              "Button 2: does nothing (300)\n"
              "Tablet unplugged: keep running and wait for it (1)\n"
              "Screen: main screen (Screen not set)\n"
              "Smoothing: 5\n"
              "Steady clicks: on\n");
}

TEST_F(Program, StylohidctlCommandsReachTheRunningProgram)
{
    WriteSettings({1, 0, 20, 1, 0, 0, 0, 0, 1, 2});
    StartReady();
    // Sent, not posted: done when the tool has ended.
    unsigned blocks = CountOf(IOCTL_TABLET_SET_SETTINGS);
    EXPECT_EQ(Ctl("reload").ExitCode, 0u);
    EXPECT_EQ(CountOf(IOCTL_TABLET_SET_SETTINGS), blocks + 1);

    struct Case {
        const char *Command;
        unsigned VTabletState::*Field;
        unsigned Expected;
    };
    const Case cases[] = {
        {"relative", &VTabletState::Absolute, 0},
        {"portrait", &VTabletState::Orientation, 1},
        {"absolute", &VTabletState::Absolute, 1},
        {"landscape", &VTabletState::Orientation, 0},
        {"relative", &VTabletState::Absolute, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Command);
        ToolRun run = Ctl(c.Command);
        EXPECT_EQ(run.ExitCode, 0u) << run.Err;
        EXPECT_EQ(TabletState().*c.Field, c.Expected);
    }

    ToolRun status = Ctl("status");
    EXPECT_NE(status.Out.find("stylohid: running (process " + std::to_string(Pid()) + ")\n"),
              std::string::npos)
        << status.Out;

    // The dialog is modal in the program: the tool does not wait for it.
    ToolRun sensitivity = Ctl("sensitivity");
    EXPECT_EQ(sensitivity.ExitCode, 0u) << sensitivity.Err;
    HWND dialog = NULL;
    ASSERT_TRUE(WaitFor([&] {
        dialog = NULL;
        for (HWND w = FindWindowExA(NULL, NULL, "#32770", NULL); w;
             w = FindWindowExA(NULL, w, "#32770", NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == Pid() && w != FindProgramWindow() && IsWindowVisible(w))
                dialog = w;
        }
        return dialog != NULL;
    }, 5000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));

    // close --wait (30 s) returns once the program has ended and saved.
    ToolRun close = Ctl("close --wait");
    EXPECT_EQ(close.ExitCode, 0u) << close.Err;
    EXPECT_TRUE(WaitForProgramEnd(Run, 0, NULL));
    EXPECT_EQ(Setting(VALUE_ABSOLUTE), 0u);

    // Without --wait: asked, not waited for.
    StartReady();
    EXPECT_EQ(Ctl("close").ExitCode, 0u);
    EXPECT_EQ(EndExitCode(10000), 0u);
}

// A window of the program's class that never ends: close --wait fails.
TEST_F(Program, StylohidctlCloseWaitFailsWhenTheProgramDoesNotEnd)
{
    HANDLE stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread owner([stop] {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = MAIN_WINDOW_CLASS;
        RegisterClassA(&windowClass);
        HWND window = CreateWindowA(MAIN_WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, NULL,
                                    NULL, windowClass.hInstance, NULL);
        while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
        }
        DestroyWindow(window);
        UnregisterClassA(MAIN_WINDOW_CLASS, windowClass.hInstance);
    });
    ASSERT_TRUE(WaitFor([] { return FindProgramWindow() != NULL; }, 5000));
    ToolRun run = Ctl("close --wait 1");
    SetEvent(stop);
    owner.join();
    CloseHandle(stop);
    EXPECT_EQ(run.ExitCode, 3u);
    EXPECT_NE(run.Err.find("did not end within 1 seconds"), std::string::npos) << run.Err;
    ExpectOneLineError(run);
}

// A key (and its subkeys) with the given owner and access list.
void SetKeySddl(const std::string &path, const char *sddl, DWORD options = 0)
{
    HKEY key;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                     &descriptor, NULL));
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), options,
                            WRITE_OWNER | WRITE_DAC, &key), ERROR_SUCCESS) << path;
    EXPECT_EQ(RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                descriptor), ERROR_SUCCESS) << path;
    RegCloseKey(key);
    LocalFree(descriptor);
}

void CreateKeyWithValue(const std::string &path, DWORD options = 0)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, options,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &key, NULL),
              ERROR_SUCCESS) << path;
    DWORD one = 1;
    RegSetValueExA(key, "Mark", 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
}

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A missing key is created, an existing one keeps its values; either way the
// owner and access list are exactly the granted ones.  A key a user took
// over (owner, access list, subkeys inheriting his full control, a subkey
// that is a link to another key) is repaired: the subkeys go, the link's
// target stays; so do subkeys named outside the ANSI code page and a chain
// deeper than anyone would make by hand.  A link in the key's own place is
// removed, not followed, and a key made there.
TEST_F(Program, StylohidctlGrantSettingsGrantsExactlyAndRepairs)
{
    const std::string settings = SETTINGS_KEY_PATH;
    const std::string target = "Software\\VELLUM\\GrantLinkTarget";
    const std::wstring linkTo = L"\\Registry\\Machine\\Software\\VELLUM\\GrantLinkTarget";
    const char tampered[] = "O:BUD:P(A;OICI;KA;;;BU)(D;OICI;KA;;;BA)";
    enum Tamper { NONE, OWNER_AND_SUBKEYS, FOREIGN_NAME_AND_DEPTH, LINK_IN_PLACE };
    struct Case {
        const char *Name;
        Tamper Tampering;
        const char *Says;
        bool KeepsValues;
    } cases[] = {
        {"missing key", NONE, "(created)", false},
        {"existing key", NONE, "(kept its values)", true},
        {"tampered key", OWNER_AND_SUBKEYS, "3 subkeys removed", true},
        {"a subkey named Omega and a 40-level chain", FOREIGN_NAME_AND_DEPTH,
         "41 subkeys removed", true},
        {"a link in the key's place", LINK_IN_PLACE, "a registry link in its place removed",
         false},
    };
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, settings.c_str());
    CreateKeyWithValue(target + "\\Inside");
    const std::string targetSddl = KeySddl(HKEY_LOCAL_MACHINE, target.c_str());
    auto makeLink = [&](const std::string &path) {
        HKEY link;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL,
                                  REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                                  NULL, &link, NULL),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                 (const BYTE *)linkTo.data(), linkTo.size() * sizeof(WCHAR)),
                  ERROR_SUCCESS);
        RegCloseKey(link);
        ASSERT_TRUE(KeyExists(path + "\\Inside"));  // the link leads there
    };
    for (const Case &c : cases) {
        if (c.Tampering == OWNER_AND_SUBKEYS) {
            CreateKeyWithValue(settings + "\\Extra\\Deeper");
            makeLink(settings + "\\Link");
            for (const char *sub : {"\\Extra\\Deeper", "\\Extra", ""})
                SetKeySddl(settings + sub, tampered);
            SetKeySddl(settings + "\\Link", tampered, REG_OPTION_OPEN_LINK);
        } else if (c.Tampering == FOREIGN_NAME_AND_DEPTH) {
            HKEY omega;
            std::wstring path(settings.begin(), settings.end());
            ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (path + L"\\\u03A9").c_str(), 0, NULL,
                                      0, KEY_ALL_ACCESS, NULL, &omega, NULL), ERROR_SUCCESS);
            RegCloseKey(omega);
            std::string chain = settings;
            for (int level = 0; level < 40; level++)
                chain += "\\Deep";
            CreateKeyWithValue(chain);
        } else if (c.Tampering == LINK_IN_PLACE) {
            ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, settings.c_str()), ERROR_SUCCESS);
            makeLink(settings);
        }
        ToolRun run = Ctl("grant-settings");
        EXPECT_EQ(run.ExitCode, 0u) << c.Name << ": " << run.Err;
        EXPECT_NE(run.Out.find(c.Says), std::string::npos) << c.Name << ": " << run.Out;
        EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl) << c.Name;
        EXPECT_EQ(Setting(VALUE_SENSITIVITY), c.KeepsValues ? 33u : START_SENSITIVITY)
            << c.Name;
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings.c_str(), 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        DWORD subkeys = 99;
        RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL, NULL, NULL,
                         NULL);
        RegCloseKey(key);
        EXPECT_EQ(subkeys, 0u) << c.Name;
        WriteSetting(VALUE_SENSITIVITY, 33);
    }
    EXPECT_TRUE(KeyExists(target + "\\Inside")) << "the link was followed";
    EXPECT_EQ(KeySddl(HKEY_LOCAL_MACHINE, target.c_str()), targetSddl) << "the link was followed";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (target + "\\Inside").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, target.c_str());
}

// The installer's way back: the owner and access list the key had before
// grant-settings (here the old release's full control for every user,
// inherited by subkeys) come back with the rollback's restore; on a machine
// where nothing of the product was, nothing is recorded and the key stays
// as grant-settings made it.
TEST_F(Program, StylohidctlSettingsAccessRestoresWhatWasRecorded)
{
    const char oldRelease[] = "O:BAD:(A;CI;KA;;;BU)(A;CI;KA;;;BA)(A;CI;KA;;;SY)";
    const std::string parent = "Software\\VELLUM\\Tablet\\CurrentVersion";
    for (const char *before : {oldRelease, (const char *)NULL}) {
        for (const std::string &key :
             {std::string(SETTINGS_KEY_PATH), parent + "\\SettingsAccessRecord", parent})
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
        if (before) {
            WriteSetting(VALUE_SENSITIVITY, 33);
            SetKeySddl(SETTINGS_KEY_PATH, before);
        }
        for (const char *step :
             {"settings-access record", "grant-settings", "settings-access restore"}) {
            ToolRun run = Ctl(step);
            EXPECT_EQ(run.ExitCode, 0u) << step << ": " << run.Err;
        }
        EXPECT_EQ(SettingsKeySddl(), before ? before : GrantedSettingsKeySddl);
    }
}

TEST_F(Program, StylohidctlGrantSettingsStoresOnlyMissingStartingValues)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    // Missing key: created with the access list and the program's starting
    // values, so that the applet and status show them.
    ToolRun created = Ctl("grant-settings");
    EXPECT_EQ(created.ExitCode, 0u) << created.Err;
    EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl);
    const std::pair<const char *, DWORD> starting[] = {
        {VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 4},
        {VALUE_WORKING_AREA, 1}, {VALUE_START_X, 0}, {VALUE_START_Y, 0},
        {VALUE_END_X, 0}, {VALUE_END_Y, 0}, {VALUE_BUTTON1, 2}, {VALUE_BUTTON2, 1}};
    for (const auto &value : starting)
        EXPECT_EQ(Setting(value.first), value.second) << value.first;
    // Existing key: its values stay, even one the program cannot use; only a
    // missing one is added.
    WriteSetting(VALUE_SENSITIVITY, 33);
    ASSERT_TRUE(PutTextAndDelete(VALUE_BUTTON1, "9", VALUE_END_X));
    ToolRun again = Ctl("grant-settings");
    EXPECT_EQ(again.ExitCode, 0u) << again.Err;
    EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl);
    EXPECT_EQ(Setting(VALUE_SENSITIVITY), 33u);
    EXPECT_EQ(Setting(VALUE_END_X), 0u);
    DWORD button1;
    EXPECT_FALSE(ReadSetting(VALUE_BUTTON1, &button1)) << "the text was replaced";
}

}  // namespace
