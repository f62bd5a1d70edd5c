// stylohidctl diagnose against the virtual tablet and the running program:
// a complete set-up passes; each case breaks one thing, which its line names
// while every other line stays OK, and puts it right again.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdio.h>
#include <string.h>

#include "ctl_support.h"
#include "program_fixture.h"

// The output's line that starts with "<label>:".
static std::string LineOf(const std::string &output, const std::string &label)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, label.size() + 1, label + ":") == 0)
            return line;
    return "";
}

static void SetRunValue(const std::string &command)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, RUN_VALUE_NAME, 0, REG_SZ, (const BYTE *)command.c_str(),
                   (DWORD)command.size() + 1);
    RegCloseKey(key);
}

static void DeleteRunValue()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, RUN_VALUE_NAME);
    RegCloseKey(key);
}

// The Run value as it was before the test (an installed package may own it).
static bool ReadRunValue(std::string *command)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    char text[1024];
    DWORD type = 0, size = sizeof text - 1;
    LONG result = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, &type, (BYTE *)text, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    text[size] = '\0';
    *command = text;
    return true;
}

static void PutStoredText(const char *name, const char *text)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(key);
}

// "OK" or "PROBLEM", the word after the line's label.
static std::string Verdict(const std::string &line)
{
    size_t start = line.find_first_not_of(' ', line.find(':') + 1);
    if (start == std::string::npos)
        return "";
    return line.substr(start, line.find_first_of(",:", start) - start);
}

static bool SameValues(const SettingsKeyGuard &a, const SettingsKeyGuard &b)
{
    if (a.Existed != b.Existed || a.Values.size() != b.Values.size())
        return false;
    for (size_t i = 0; i < a.Values.size(); i++)
        if (a.Values[i].Name != b.Values[i].Name || a.Values[i].Type != b.Values[i].Type ||
            a.Values[i].Data != b.Values[i].Data)
            return false;
    return true;
}

// Where Windows redirects a program's writes to the settings key for a user
// who may not write it (a 32-bit program's on 64-bit Windows go below
// WOW6432Node).
static const char VirtualStoreCopy[] =
    "Software\\Classes\\VirtualStore\\MACHINE\\" SETTINGS_KEY_PATH;

static const char *const CheckLabels[] = {"Tablet",   "Driver",   "Program", "UI access",
                                          "Settings", "Logon start", "Applet"};

struct DiagnoseCase {
    const char *Name;
    std::function<void()> Break;
    std::function<void()> Mend;
    const char *Label;  // the line that names the problem; NULL: none
    std::vector<std::string> Words;  // what that line (with none: the output) holds
};

// Program's set-up and tear-down, with a Run value naming the program of
// this build, as an installed package leaves it.
struct Diagnose : Program {
    bool HadRunValue = false;
    std::string OldRunValue;

    void SetUp() override
    {
        Program::SetUp();
        RegDeleteKeyA(HKEY_CURRENT_USER, VirtualStoreCopy);
        HadRunValue = ReadRunValue(&OldRunValue);
        SetRunValue(ProgramCommand());
        WriteSettings({1, 0, 20, 1, 0, 0, 0, 0, 2, 1});
    }
    void TearDown() override
    {
        RefuseTabletOpen(false);
        RegDeleteKeyA(HKEY_CURRENT_USER, VirtualStoreCopy);
        if (HadRunValue)
            SetRunValue(OldRunValue);
        else
            DeleteRunValue();
        Program::TearDown();
    }
    static std::string ProgramCommand()
    {
        return "\"" + BuildFolder() + PROGRAM_FILE_NAME + "\"";
    }
};

TEST_F(Diagnose, NamesTheOneBrokenPartOfTheSetUpAndExitsFourForIt)
{
    StartReady();
    char pid[32];
    snprintf(pid, sizeof pid, "process id %lu", (unsigned long)Pid());
    VTabletDeviceSpec otherProduct = DefaultTabletSpec(2);
    otherProduct.ProductId = TABLET_PRODUCT_ID + 1;
    const DiagnoseCase cases[] = {
        {"everything present", [] {}, [] {}, NULL,
         {"X up to 32767, Y up to 24575", "not opened while the program runs", pid,
          PROGRAM_FILE_NAME " has UI access", "10 values are 4-byte REG_DWORDs",
          PROGRAM_FILE_NAME " starts at every logon", APPLET_FILE_NAME}},
        {"no tablet plugged", [] { ASSERT_TRUE(PresentTablets({})); },
         [] { ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)})); }, "Tablet",
         {"not found among the HID devices", "Plug the tablet in"}},
        {"another product of the tablet's maker",
         [&] { ASSERT_TRUE(PresentTablets({otherProduct})); },
         [] { ASSERT_TRUE(PresentTablets({DefaultTabletSpec(1)})); }, "Tablet",
         {"not found", "vendor 0x2C5E, product 0x0101", "not this tablet"}},
        {"a value of the wrong type", [] { PutStoredText(VALUE_SENSITIVITY, "20"); },
         [] { WriteSetting(VALUE_SENSITIVITY, 20); }, "Settings",
         {"Sensitivity is REG_SZ", "stylohidctl close --wait"}},
        {"a copy of the key in the user's VirtualStore",
         [] {
             HKEY key;
             ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, VirtualStoreCopy, 0, NULL, 0,
                                       KEY_SET_VALUE, NULL, &key, NULL), ERROR_SUCCESS);
             RegCloseKey(key);
         },
         [] { RegDeleteKeyA(HKEY_CURRENT_USER, VirtualStoreCopy); }, "Settings",
         {"HKCU\\Software\\Classes\\VirtualStore\\MACHINE\\Software\\VELLUM",
          "reg delete"}},
        {"no Run value", [] { DeleteRunValue(); },
         [] { SetRunValue(ProgramCommand()); }, "Logon start",
         {"does not start at logon", "\"" RUN_VALUE_NAME "\""}},
        {"a Run value naming no file",
         [] { SetRunValue("\"" + BuildFolder() + "gone\\" + PROGRAM_FILE_NAME + "\" /x"); },
         [] { SetRunValue(ProgramCommand()); }, "Logon start",
         {"gone\\" PROGRAM_FILE_NAME ", which does not exist"}},
    };
    for (const DiagnoseCase &c : cases) {
        SCOPED_TRACE(c.Name);
        c.Break();
        unsigned logStart = TabletState().LogTotal;
        SettingsKeyGuard before = SaveSettingsKey();
        ToolRun run = RunTool(BuildFolder() + "stylohidctl.exe", "diagnose");
        ASSERT_TRUE(run.Ended) << run.Err;
        // Read-only: the driver saw nothing from anyone but the program (not
        // even an open, on which a driver may reset), and the stored values
        // are as they were.
        for (const VTabletLogEntry &e : ReadLogFrom(logStart))
            EXPECT_EQ(e.ProcessId, Pid()) << "request 0x" << std::hex << e.Code;
        EXPECT_TRUE(SameValues(before, SaveSettingsKey()));
        c.Mend();

        EXPECT_EQ(run.ExitCode, c.Label ? 4u : 0u) << run.Out;
        size_t lineStart = 0;  // one line per check, in this order
        for (const char *label : CheckLabels) {
            bool broken = c.Label && strcmp(label, c.Label) == 0;
            EXPECT_EQ(Verdict(LineOf(run.Out, label)), broken ? "PROBLEM" : "OK")
                << label << " in:\n" << run.Out;
            EXPECT_EQ(run.Out.compare(lineStart, strlen(label) + 1, std::string(label) + ":"), 0)
                << label << " in:\n" << run.Out;
            lineStart = run.Out.find('\n', lineStart) + 1;
        }
        EXPECT_EQ(lineStart, run.Out.size()) << run.Out;
        std::string named = c.Label ? LineOf(run.Out, c.Label) : run.Out;
        for (const std::string &words : c.Words)
            EXPECT_NE(named.find(words), std::string::npos)
                << "\"" << words << "\" in:\n" << named;
    }
    EXPECT_FALSE(WaitForProgramEnd(Run, 0, NULL)) << "the program ended";
}

namespace {

// With the program not running, the Program line says whether it ends when
// the tablet is unplugged or was set to wait for it.
TEST_F(Diagnose, ProgramNotRunningTellsWhatTheReconnectSettingDoes)
{
    struct Case { const char *Name; DWORD Reconnect; bool Store; const char *Says; };
    const Case cases[] = {
        {"missing", 0, false, "It ends when the tablet is unplugged; to keep it running, tick"},
        {"0", 0, true, "It ends when the tablet is unplugged"},
        {"1", 1, true, "It is set to keep running while the tablet is unplugged"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        DeleteSettingsKey();
        if (c.Store)
            WriteSetting(VALUE_RECONNECT, c.Reconnect);
        ToolRun run = RunTool(BuildFolder() + "stylohidctl.exe", "diagnose");
        ASSERT_TRUE(run.Ended) << run.Err;
        std::string line = LineOf(run.Out, "Program");
        EXPECT_EQ(Verdict(line), "PROBLEM") << run.Out;
        EXPECT_NE(line.find(c.Says), std::string::npos) << line;
    }
}

}  // namespace

// Without the program the driver's device is opened, and closed at once, to
// see that it opens.
TEST_F(Diagnose, OpensTheDriversDeviceOnlyWhenNoProgramRuns)
{
    const struct {
        bool Refused;
        const char *Verdict;
        std::vector<std::string> Words;
    } cases[] = {
        {false, "OK", {"\\\\.\\USBTablet opens."}},
        {true, "PROBLEM", {"\\\\.\\USBTablet does not open (", "the driver is not loaded"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Verdict);
        RefuseTabletOpen(c.Refused);
        unsigned logStart = TabletState().LogTotal;
        ToolRun run = RunTool(BuildFolder() + "stylohidctl.exe", "diagnose");
        ASSERT_TRUE(run.Ended) << run.Err;
        EXPECT_EQ(run.ExitCode, 4u) << run.Out;  // the program does not run
        std::string line = LineOf(run.Out, "Driver");
        EXPECT_EQ(Verdict(line), c.Verdict) << line;
        for (const std::string &words : c.Words)
            EXPECT_NE(line.find(words), std::string::npos) << "\"" << words << "\" in " << line;
        if (!c.Refused) {  // a refused open does not reach the driver
            EXPECT_FALSE(EntriesOfCode(ReadLogFrom(logStart), VTABLET_LOG_OPEN).empty())
                << "the device was not opened";
        }
    }
}
