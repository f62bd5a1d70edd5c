// The line that tells whether the program runs, and Start: which file it
// starts, from the Run value or beside the applet.
#include "applet_harness.h"
#include <string>
#include <vector>
#include "panel_resource.h"
#include "shared/stored_values.h"

namespace {

// What the start seam was asked, and what it does.
struct StartRecord {
    int Count;
    std::string Path;
    std::string Parameters;
    std::string Folder;
    DWORD Result;
    bool BringsProgramUp;
    HWND Program;
};
StartRecord Started;

DWORD RecordStart(const char *path, const char *parameters, const char *folder)
{
    Started.Count++;
    Started.Path = path;
    Started.Parameters = parameters;
    Started.Folder = folder;
    if (Started.BringsProgramUp && Started.Result == ERROR_SUCCESS)
        Started.Program = CreateProgramStandIn();
    return Started.Result;
}

const DWORD NO_VALUE = 0;

} // namespace

// Keeps the Run value as it was, and a program file in a folder with a blank
// in its name.
class AppletProgramTest : public AppletTest {
protected:
    void SetUp() override
    {
        AppletTest::SetUp();
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, NULL,
                                                 0, KEY_ALL_ACCESS, NULL, &key, NULL));
        BYTE data[2048];
        DWORD size = sizeof data;
        RunValueExisted = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, &RunValueType, data,
                                           &size) == ERROR_SUCCESS;
        if (RunValueExisted)
            RunValueData.assign(data, data + size);
        RegCloseKey(key);

        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        Folder = std::string(temp) + "pen panel test";
        CreateDirectoryA(Folder.c_str(), NULL);
        Program = Folder + "\\stylohid.exe";
        HANDLE file = CreateFileA(Program.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);

        char module[MAX_PATH];
        GetModuleFileNameA(Module, module, sizeof module);
        Beside = module;
        Beside = Beside.substr(0, Beside.rfind('\\')) + "\\stylohid.exe";

        Started = StartRecord();
        PanelTestSeams seams = {NULL, NULL, NoTablet, RecordStart};
        SetSeams(&seams);
    }

    void TearDown() override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            if (RunValueExisted)
                RegSetValueExA(key, RUN_VALUE_NAME, 0, RunValueType, RunValueData.data(),
                               (DWORD)RunValueData.size());
            else
                RegDeleteValueA(key, RUN_VALUE_NAME);
            RegCloseKey(key);
        }
        DeleteFileA(Program.c_str());
        RemoveDirectoryA(Folder.c_str());
        if (Started.Program)
            DestroyProgramStandIn(Started.Program);
        AppletTest::TearDown();
    }

    // type NO_VALUE: the value deleted.
    void PutRunValue(DWORD type, const std::string &text)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_ALL_ACCESS, &key));
        if (type == NO_VALUE)
            RegDeleteValueA(key, RUN_VALUE_NAME);
        else
            RegSetValueExA(key, RUN_VALUE_NAME, 0, type, (const BYTE *)text.c_str(),
                           (DWORD)text.size() + 1);
        RegCloseKey(key);
    }

    bool RunValueExisted = false;
    DWORD RunValueType = 0;
    std::vector<BYTE> RunValueData;
    std::string Folder, Program, Beside;
};

TEST_F(AppletProgramTest, TheLineFollowsTheProgramAndStartRunsTheInstalledOne)
{
    WithDialog([&](HWND dialog) {
        HWND start = GetDlgItem(dialog, IDC_START_PROGRAM);
        auto stateSays = [&](const char *words) {
            return ControlText(dialog, IDC_PROGRAM_STATE).find(words) != std::string::npos;
        };
        EXPECT_TRUE(stateSays("is running")) << ControlText(dialog, IDC_PROGRAM_STATE);
        EXPECT_FALSE(IsWindowVisible(start));

        DestroyProgramStandIn(StandIn);
        StandIn = NULL;
        EXPECT_TRUE(ServeDialogUntil(dialog, [&] { return stateSays("is not running"); }, 10000))
            << ControlText(dialog, IDC_PROGRAM_STATE);
        EXPECT_TRUE(IsWindowVisible(start));

        // Which file Start starts, and how.
        SetEnvironmentVariableA("PEN_PANEL_TEST", Folder.c_str());
        const std::string quoted = "\"" + Program + "\"";
        const struct {
            const char *What;
            DWORD Type;
            std::string Value;
            std::string Path;
            std::string Arguments;
        } cases[] = {
            {"quoted, with arguments", REG_SZ, " " + quoted + "  /tray  ", Program, "/tray"},
            {"quoted alone", REG_SZ, quoted, Program, ""},
            {"unquoted, a blank in the path", REG_SZ, Program + " ", Program, ""},
            {"expanded", REG_EXPAND_SZ, "\"%PEN_PANEL_TEST%\\stylohid.exe\" -x", Program, "-x"},
            {"no Run value", NO_VALUE, "", Beside, ""},
            {"unquoted with arguments", REG_SZ, Program + " /tray", Beside, ""},
            {"quote not closed", REG_SZ, "\"" + Program + " /tray", Beside, ""},
            {"text against the quote", REG_SZ, quoted + "/tray", Beside, ""},
            {"no such file", REG_SZ, "\"C:\\no such folder\\stylohid.exe\"", Beside, ""},
            {"a folder", REG_SZ, "\"" + Folder + "\"", Beside, ""},
            {"not a full path", REG_SZ, "\"stylohid.exe\"", Beside, ""},
            {"empty quotes", REG_SZ, "\"\" " + Program, Beside, ""},
            {"not text", REG_DWORD, "abcd", Beside, ""},
        };
        for (const auto &c : cases) {
            PutRunValue(c.Type, c.Value);
            Started.Count = 0;
            ClickControl(dialog, IDC_START_PROGRAM);
            ASSERT_EQ(1, Started.Count) << c.What;
            EXPECT_EQ(c.Path, Started.Path) << c.What;
            EXPECT_EQ(c.Arguments, Started.Parameters) << c.What;
            EXPECT_EQ(c.Path.substr(0, c.Path.rfind('\\')), Started.Folder) << c.What;
            EXPECT_EQ("", ControlText(dialog, IDC_PANEL_MESSAGE)) << c.What;
        }

        // A start that fails is told, with the file.
        PutRunValue(REG_SZ, quoted);
        Started.Result = ERROR_ACCESS_DENIED;
        ClickControl(dialog, IDC_START_PROGRAM);
        std::string message = ControlText(dialog, IDC_PANEL_MESSAGE);
        EXPECT_NE(std::string::npos, message.find("could not be started (error 5)")) << message;
        EXPECT_NE(std::string::npos, message.find(Program)) << message;
        EXPECT_TRUE(IsWindowVisible(start));

        // A start that brings the program up: the line says so, Start goes.
        Started.Result = ERROR_SUCCESS;
        Started.BringsProgramUp = true;
        ClickControl(dialog, IDC_START_PROGRAM);
        EXPECT_EQ("", ControlText(dialog, IDC_PANEL_MESSAGE));
        EXPECT_TRUE(ServeDialogUntil(dialog, [&] { return stateSays("is running"); }, 10000))
            << ControlText(dialog, IDC_PROGRAM_STATE);
        EXPECT_FALSE(IsWindowVisible(start));

        // Changes then reach it as before.
        SelectAction(dialog, IDC_BUTTON1, 10);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(1, ReloadsReceived);
}
