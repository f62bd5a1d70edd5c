// Helpers of the tests of stylohidctl.exe and of the installed package: the
// tool run as a process with its output and exit code, and the settings
// key's access list read back.
#ifndef CTL_SUPPORT_H
#define CTL_SUPPORT_H

#include <windows.h>
#include <string>

struct ToolRun {
    bool Ended;       // within the timeout
    DWORD ExitCode;
    std::string Out;  // standard output, without carriage returns
    std::string Err;  // standard error, likewise
};

// A file's bytes as they are; "" when it cannot be read.
std::string FileContent(const std::string &path);

// Runs "exe arguments" and waits for its end.
ToolRun RunTool(const std::string &exe, const std::string &arguments,
                DWORD timeoutMs = 60000);

// The settings key's access list as grant-settings sets it: protected, and
// KEY_ALL_ACCESS inherited by subkeys for Administrators, SYSTEM and Users,
// nothing else.  "" when so, otherwise what differs.
std::string SettingsKeyAclProblem();

#endif
