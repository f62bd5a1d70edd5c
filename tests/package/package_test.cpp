// The package installed, upgraded and removed with msiexec in a fresh
// prefix (tests/package/run-in-fresh-prefix.sh), with the virtual tablet:
// what a user and an administrator would notice at each step.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "applet_harness.h"
#include "ctl_support.h"
#include "e2e_support.h"
#include "panel_resource.h"
#include "shared/stored_values.h"

namespace {

const char ProductName[] = "Vellum USB Tablet Program";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string BelowBuild(const char *relative)
{
    std::string path = BuildFolder() + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ProgramFolder()
{
    char folder[MAX_PATH] = "";
    GetEnvironmentVariableA("ProgramFiles", folder, sizeof folder);
    return std::string(folder) + "\\Vellum USB Tablet\\";
}

std::string SystemFolder()
{
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\";
}

bool SameContent(const std::string &a, const std::string &b)
{
    std::string first = FileContent(a);
    return !first.empty() && first == FileContent(b);
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// msiexec with a log beside the test, quiet unless ui says otherwise (/qr:
// the reduced user interface of a user who opens the package); the time it
// took on standard output.  Wine has no Restart Manager: the package closes
// the program itself, as on Windows XP or with Restart Manager turned off.
DWORD Msiexec(const char *what, const std::string &arguments, const char *ui = "/qn")
{
    std::string log = BelowBuild("tests/package/") + what + ".log";
    DWORD start = GetTickCount();
    ToolRun run = RunTool(SystemFolder() + "msiexec.exe",
                          arguments + " MSIRESTARTMANAGERCONTROL=Disable " + ui +
                              " /l*v \"" + log + "\"", 600000);
    printf("[ timing ] %s: %.1f s (msiexec exit %lu)\n", what,
           (GetTickCount() - start) / 1000.0, (unsigned long)run.ExitCode);
    return run.Ended ? run.ExitCode : 0xDEAD;
}

ToolRun InstalledCtl(const std::string &arguments)
{
    return RunTool(ProgramFolder() + "stylohidctl.exe", arguments);
}

bool ReadString(const char *path, const char *name, std::string *text)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD type = 0, size = sizeof data - 1;
    LONG status = RegQueryValueExA(key, name, NULL, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    data[size] = '\0';
    *text = data;
    return true;
}

// The versions of the entries of this product in Add/Remove Programs.
std::vector<std::string> InstalledEntries()
{
    std::vector<std::string> versions;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return versions;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; i++) {
        std::string path = std::string(UninstallKey) + "\\" + name, display, version;
        if (ReadString(path.c_str(), "DisplayName", &display) && display == ProductName) {
            ReadString(path.c_str(), "DisplayVersion", &version);
            versions.push_back(version);
        }
    }
    RegCloseKey(key);
    return versions;
}

// The process id of the running program, and the file it runs from.
DWORD RunningPid(std::string *image = NULL)
{
    HWND window = FindProgramWindow();
    DWORD pid = 0;
    if (window)
        GetWindowThreadProcessId(window, &pid);
    if (pid && image) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
        MODULEENTRY32 module;
        module.dwSize = sizeof module;
        if (snapshot != INVALID_HANDLE_VALUE && Module32First(snapshot, &module))
            *image = module.szExePath;
        if (snapshot != INVALID_HANDLE_VALUE)
            CloseHandle(snapshot);
    }
    return pid;
}

// Processes of the program's file, with or without a window yet.
int ProgramProcesses()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    int count = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry))
        count += _stricmp(entry.szExeFile, PROGRAM_FILE_NAME) == 0;
    CloseHandle(snapshot);
    return count;
}

bool ProcessEnded(DWORD pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;
    bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// The installed program runs (another process than formerPid), has armed
// the driver's event and moves the pointer.
void ExpectProgramWorking(DWORD formerPid)
{
    DWORD pid = 0;
    ASSERT_TRUE(WaitFor([&] {
        pid = RunningPid();
        return pid && pid != formerPid &&
               !EntriesOfCode(EntriesOfProcess(ReadLogFrom(0), pid), IOCTL_TABLET_SET_EVENT)
                    .empty();
    }, 60000)) << "the installed program is not running";
    std::string image;
    RunningPid(&image);
    EXPECT_EQ(_stricmp(image.c_str(), (ProgramFolder() + "stylohid.exe").c_str()), 0)
        << image;
    for (int x : {0x2000, 0x6000}) {
        SetCursorPos(400, 300);
        POINT before;
        GetCursorPos(&before);
        PenPacket packet = MakePenPacket(x, 0x3000, PEN_STATUS_IN_RANGE);
        ASSERT_TRUE(QueuePenPackets(&packet, 1));
        EXPECT_TRUE(WaitFor([&] {
            POINT now;
            GetCursorPos(&now);
            return now.x != before.x || now.y != before.y;
        }, 5000)) << "the pointer did not move";
    }
}

DWORD StoredSetting(const char *name)
{
    DWORD value = 0xDEADBEEF;
    ReadSetting(name, &value);
    return value;
}

// The settings blocks a process sent to the driver, in order.
std::vector<VTabletLogEntry> BlocksSentBy(DWORD pid)
{
    return EntriesOfCode(EntriesOfProcess(ReadLogFrom(0), pid), IOCTL_TABLET_SET_SETTINGS);
}

// A block's 18 bytes that carry settings, in pairs as they lie in memory.
std::string BlockHex(const unsigned char *bytes)
{
    std::string text;
    for (int i = 0; i < 18; i++) {
        char pair[4];
        snprintf(pair, sizeof pair, "%s%02x", i > 0 && i % 2 == 0 ? " " : "", bytes[i]);
        text += pair;
    }
    return text;
}

std::string BlockHex(const DriverSettingsBlock &block)
{
    return BlockHex((const unsigned char *)&block);
}

// A user's first day: a fresh machine, the package installed, the tablet at
// work with the program's own starting values, one setting changed in the
// applet and nothing else changed with it.  The package is removed again
// and the settings deleted, so that the next test finds a fresh machine.
TEST(Package, FirstDayStartsWithTheStartingValuesAndTheAppletChangesOnlyItsOwn)
{
    ASSERT_TRUE(InstallVirtualTablet(true));
    ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)}));
    ASSERT_FALSE(SettingsKeyExists()) << "not a fresh machine";
    std::string package = BelowBuild(PACKAGE_FILE);
    ASSERT_EQ(Msiexec("first-day-install", "/i \"" + package + "\"", "/qr"), 0u);
    ASSERT_NO_FATAL_FAILURE(ExpectProgramWorking(0));

    // The virtual tablet reaches X 0x7FFF and Y 0x5FFF.
    DriverSettingsBlock starting;
    ZeroMemory(&starting, sizeof starting);
    starting.Sensitivity = START_SENSITIVITY;
    starting.Landscape = START_ORIENTATION;
    starting.Absolute = START_ABSOLUTE_MODE;
    starting.WorkingArea = START_WORKING_AREA;
    starting.EndX = 0x7FFF;
    starting.EndY = 0x5FFF;
    starting.Button1 = START_BUTTON1_ACTION;
    starting.Button2 = START_BUTTON2_ACTION;
    DWORD pid = RunningPid();
    std::vector<VTabletLogEntry> blocks = BlocksSentBy(pid);
    ASSERT_EQ(blocks.size(), 1u);
    printf("[ block    ] after the install: %s\n", BlockHex(blocks[0].Input).c_str());
    EXPECT_EQ(BlockHex(blocks[0].Input), BlockHex(starting));

    // Relative chosen in the applet, and OK.
    HMODULE module = LoadLibraryA((SystemFolder() + "penpanel.cpl").c_str());
    ASSERT_NE(module, (HMODULE)NULL);
    APPLET_PROC applet = (APPLET_PROC)(void (*)(void))GetProcAddress(module, "CPlApplet");
    ASSERT_NE(applet, (APPLET_PROC)NULL);
    ASSERT_NE(applet(NULL, CPL_INIT, 0, 0), 0);
    bool closed = false;
    EXPECT_TRUE(RunPanelDialog(applet, [&](HWND dialog) {
        ClickControl(dialog, IDC_MODE_RELATIVE);
        ClickControl(dialog, IDOK);
        closed = !IsWindowVisible(dialog);
    })) << "the applet's dialog did not open";
    applet(NULL, CPL_EXIT, 0, 0);
    FreeLibrary(module);
    EXPECT_TRUE(closed) << "OK did not close the dialog";

    EXPECT_TRUE(WaitFor([&] { return BlocksSentBy(pid).size() >= 2; }, 10000))
        << "the program did not take up the change";
    blocks = BlocksSentBy(pid);
    ASSERT_EQ(blocks.size(), 2u);
    printf("[ block    ] after Relative: %s\n", BlockHex(blocks[1].Input).c_str());
    DriverSettingsBlock relative = starting;
    relative.Absolute = 0;
    EXPECT_EQ(BlockHex(blocks[1].Input), BlockHex(relative));
    StoredNumbers stored = {
        {VALUE_ABSOLUTE, 0},
        {VALUE_LANDSCAPE, START_ORIENTATION},
        {VALUE_SENSITIVITY, START_SENSITIVITY},
        {VALUE_WORKING_AREA, START_WORKING_AREA},
        {VALUE_START_X, START_AREA_BOUND},
        {VALUE_START_Y, START_AREA_BOUND},
        {VALUE_END_X, START_AREA_BOUND},
        {VALUE_END_Y, START_AREA_BOUND},
        {VALUE_BUTTON1, START_BUTTON1_ACTION},
        {VALUE_BUTTON2, START_BUTTON2_ACTION},
    };
    EXPECT_EQ(ReadAllStored(), stored);

    EXPECT_EQ(Msiexec("first-day-remove", "/x \"" + package + "\""), 0u);
    EXPECT_TRUE(ProcessEnded(pid));
    DeleteSettingsKey();
}

// Each step a user or administrator takes, in order: the package's life on
// one machine.
TEST(Package, InstallUpgradeDowngradeAndRemove)
{
    ASSERT_TRUE(InstallVirtualTablet(true));
    ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)}));
    std::string package = BelowBuild(PACKAGE_FILE);
    std::string rebuilt = BelowBuild(REBUILT_PACKAGE_FILE);
    std::string next = BelowBuild(NEXT_PACKAGE_FILE);
    std::string program = ProgramFolder() + "stylohid.exe";
    std::string tool = ProgramFolder() + "stylohidctl.exe";
    std::string applet = SystemFolder() + "penpanel.cpl";

    // A quiet install: files, Run value, the settings key one for all, and
    // no program started (the Run value starts it at the next logon).
    ASSERT_EQ(Msiexec("install", "/i \"" + package + "\""), 0u);
    EXPECT_EQ(ProgramProcesses(), 0) << "a quiet install started the program";
    EXPECT_TRUE(FileExists(program));
    EXPECT_TRUE(FileExists(tool));
    EXPECT_TRUE(FileExists(applet));
    std::string run;
    EXPECT_TRUE(ReadString(RUN_KEY_PATH, RUN_VALUE_NAME, &run));
    EXPECT_EQ(run, "\"" + program + "\"");
    EXPECT_NE(InstalledCtl("status").Out.find("Start at logon: " + run + "\n"),
              std::string::npos);
    EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl);
    EXPECT_EQ(InstalledEntries(), std::vector<std::string>{PACKAGE_VERSION});
    EXPECT_FALSE(SameContent(program, BuildFolder() + "stylohid.exe"));  // stripped

    // The same version rebuilt, opened by a user: one entry, and the
    // program started for him once the installation is done.
    ASSERT_EQ(Msiexec("reinstall-rebuilt", "/i \"" + rebuilt + "\"", "/qr"), 0u);
    EXPECT_EQ(InstalledEntries(), std::vector<std::string>{PACKAGE_VERSION});
    ASSERT_NO_FATAL_FAILURE(ExpectProgramWorking(0));

    // Upgrade to a newer build, opened by a user: the old program closed
    // first and its change saved, the new files in place, the program
    // started again.
    DWORD pid = RunningPid();
    ASSERT_EQ(InstalledCtl("portrait").ExitCode, 0u);
    ASSERT_EQ(InstalledCtl("relative").ExitCode, 0u);
    ASSERT_EQ(Msiexec("upgrade", "/i \"" + next + "\"", "/qr"), 0u);
    EXPECT_TRUE(ProcessEnded(pid));
    EXPECT_EQ(StoredSetting(VALUE_LANDSCAPE), 1u);
    EXPECT_EQ(StoredSetting(VALUE_ABSOLUTE), 0u);
    EXPECT_EQ(InstalledEntries(), std::vector<std::string>{NEXT_VERSION});
    EXPECT_EQ(InstalledCtl("--version").Out, "stylohidctl " NEXT_VERSION "\n");
    // The newer build ships the program unstripped, as built here.
    EXPECT_TRUE(SameContent(program, BuildFolder() + "stylohid.exe"));
    EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl);
    ASSERT_NO_FATAL_FAILURE(ExpectProgramWorking(pid));

    // The older package is refused and changes nothing.
    pid = RunningPid();
    EXPECT_EQ(Msiexec("downgrade", "/i \"" + package + "\""), (DWORD)ERROR_INSTALL_FAILURE);
    EXPECT_EQ(InstalledEntries(), std::vector<std::string>{NEXT_VERSION});
    EXPECT_EQ(RunningPid(), pid);

    // control.exe finds the installed applet.
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION control;
    char commandLine[] = "control.exe penpanel.cpl";
    ASSERT_TRUE(CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL,
                               &startup, &control));
    HWND panel = NULL;
    EXPECT_TRUE(WaitFor([&] { return (panel = FindWindowA("#32770", PANEL_CAPTION)) != NULL; },
                        30000)) << "control.exe penpanel.cpl opened no applet";
    if (panel)
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(control.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(control.hProcess, 1);
    CloseHandle(control.hProcess);
    CloseHandle(control.hThread);

    // Remove: the program closed and its change saved, files and Run value
    // gone, the settings kept.
    pid = RunningPid();
    ASSERT_EQ(InstalledCtl("landscape").ExitCode, 0u);
    ASSERT_EQ(Msiexec("remove", "/x \"" + next + "\""), 0u);
    EXPECT_TRUE(ProcessEnded(pid));
    EXPECT_EQ(FindProgramWindow(), (HWND)NULL);
    EXPECT_FALSE(FileExists(program));
    EXPECT_FALSE(FileExists(tool));
    EXPECT_FALSE(FileExists(applet));
    EXPECT_FALSE(ReadString(RUN_KEY_PATH, RUN_VALUE_NAME, &run));
    EXPECT_TRUE(InstalledEntries().empty());
    EXPECT_EQ(StoredSetting(VALUE_LANDSCAPE), 0u);
    EXPECT_EQ(StoredSetting(VALUE_ABSOLUTE), 0u);
    EXPECT_EQ(SettingsKeySddl(), GrantedSettingsKeySddl);
}

}  // namespace
