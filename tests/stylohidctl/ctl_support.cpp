#include "ctl_support.h"

#include <sddl.h>
#include <stdio.h>
#include <set>
#include <vector>

#include "settings/stored_values.h"

static HANDLE CreateOutputFile(const std::string &path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, NULL);
}

std::string FileContent(const std::string &path)
{
    std::string content;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, n);
    fclose(file);
    return content;
}

static std::string ReadTextFile(const std::string &path)
{
    std::string plain;
    for (char c : FileContent(path))
        if (c != '\r')
            plain += c;
    return plain;
}

ToolRun RunTool(const std::string &exe, const std::string &arguments, DWORD timeoutMs)
{
    ToolRun run = {false, 0xDEAD, "", ""};
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    char stem[64];
    sprintf(stem, "ctltest-%lu-", GetCurrentProcessId());
    std::string outPath = std::string(folder) + stem + "out.txt";
    std::string errPath = std::string(folder) + stem + "err.txt";
    HANDLE out = CreateOutputFile(outPath), err = CreateOutputFile(errPath);

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process;
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    if (CreateProcessA(NULL, commandLine.data(), NULL, NULL, TRUE, CREATE_NO_WINDOW,
                       NULL, NULL, &startup, &process)) {
        run.Ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
        if (!run.Ended)
            TerminateProcess(process.hProcess, 99);
        GetExitCodeProcess(process.hProcess, &run.ExitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        run.Err = "could not start " + exe;
    }
    CloseHandle(out);
    CloseHandle(err);
    run.Out = ReadTextFile(outPath);
    run.Err += ReadTextFile(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

std::string SettingsKeyAclProblem()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, READ_CONTROL, &key) !=
        ERROR_SUCCESS)
        return "the settings key cannot be opened";
    std::vector<BYTE> buffer(4096);
    DWORD size = (DWORD)buffer.size();
    LONG status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "RegGetKeySecurity failed";
    PSECURITY_DESCRIPTOR descriptor = buffer.data();
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = NULL;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
        !dacl)
        return "the key has no access list";
    std::string problem;
    if (!(control & SE_DACL_PROTECTED))
        problem += "the access list is not protected; ";
    std::set<std::string> granted;
    for (DWORD i = 0; i < dacl->AceCount; i++) {
        ACE_HEADER *header = NULL;
        GetAce(dacl, i, (void **)&header);
        char *sid = NULL;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE)
            ConvertSidToStringSidA((PSID)&((ACCESS_ALLOWED_ACE *)header)->SidStart, &sid);
        char entry[160];
        sprintf(entry, "entry %lu (type %u, flags 0x%X, %s) ", i, header->AceType,
                header->AceFlags, sid ? sid : "?");
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            problem += std::string(entry) + "does not allow; ";
        else if (((ACCESS_ALLOWED_ACE *)header)->Mask != KEY_ALL_ACCESS)
            problem += std::string(entry) + "is not KEY_ALL_ACCESS; ";
        else if (!(header->AceFlags & CONTAINER_INHERIT_ACE))
            problem += std::string(entry) + "is not inherited by subkeys; ";
        else if (sid)
            granted.insert(sid);
        if (sid)
            LocalFree(sid);
    }
    // Administrators, SYSTEM, Users.
    std::set<std::string> wanted = {"S-1-5-32-544", "S-1-5-18", "S-1-5-32-545"};
    if (granted != wanted || dacl->AceCount != wanted.size())
        problem += "the entries are not exactly Administrators, SYSTEM and Users";
    return problem;
}
