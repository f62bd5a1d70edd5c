#include "ctl_support.h"

#include <sddl.h>
#include <stdio.h>
#include <set>
#include <vector>

#include "shared/stored_values.h"

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
        DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
        run.Ended = waited == WAIT_OBJECT_0;
        if (!run.Ended) {
            TerminateProcess(process.hProcess, 99);
            char why[64];
            snprintf(why, sizeof why, "wait ended with %lu (error %lu); ",
                     (unsigned long)waited, (unsigned long)GetLastError());
            run.Err = why;
        }
        GetExitCodeProcess(process.hProcess, &run.ExitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        char why[32];
        snprintf(why, sizeof why, " (error %lu)", (unsigned long)GetLastError());
        run.Err = "could not start " + exe + why;
    }
    CloseHandle(out);
    CloseHandle(err);
    run.Out = ReadTextFile(outPath);
    run.Err += ReadTextFile(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

// CCDCRPRC: KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_NOTIFY, READ_CONTROL.
const char GrantedSettingsKeySddl[] = "O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;CCDCRPRC;;;BU)";

std::string KeySddl(HKEY root, const char *path, DWORD options)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, options, READ_CONTROL, &key) != ERROR_SUCCESS)
        return "(cannot be opened)";
    std::vector<BYTE> buffer(4096);
    DWORD size = (DWORD)buffer.size();
    SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    LONG status = RegGetKeySecurity(key, what, buffer.data(), &size);
    RegCloseKey(key);
    char *text = NULL;
    if (status != ERROR_SUCCESS ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(buffer.data(), SDDL_REVISION_1,
                                                              what, &text, NULL))
        return "(cannot be read)";
    std::string sddl = text;
    LocalFree(text);
    return sddl;
}

std::string SettingsKeySddl()
{
    return KeySddl(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
}
