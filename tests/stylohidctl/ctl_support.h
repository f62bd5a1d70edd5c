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

// A key's owner and access list as SDDL, read back from the registry; with
// REG_OPTION_OPEN_LINK in options, of a link itself.
std::string KeySddl(HKEY root, const char *path, DWORD options = 0);
std::string SettingsKeySddl();

// What grant-settings leaves on the settings key: owner Administrators, a
// protected access list on the key alone, full control for Administrators
// and SYSTEM, and for Users query value, set value, notify and read
// control.
extern const char GrantedSettingsKeySddl[];

#endif
