#include "program_start.h"
#include <stdio.h>
#include <string.h>
#include "panel_state.h"
#include "settings/stored_values.h"

// Longest logon command read from the Run value.
#define RUN_COMMAND_SIZE (MAX_PATH + PROGRAM_ARGUMENTS_SIZE)

BOOL IsProgramRunning()
{
    return FindWindowA(MAIN_WINDOW_CLASS, NULL) != NULL;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static bool CopyPart(const char *from, size_t length, char *to, size_t size)
{
    if (length >= size)
        return false;
    memcpy(to, from, length);
    to[length] = '\0';
    return true;
}

bool SplitRunCommand(const char *command, char *path, size_t pathSize,
                     char *arguments, size_t argumentsSize)
{
    while (IsBlank(*command))
        command++;
    const char *rest;
    if (*command == '"') {
        const char *close = strchr(command + 1, '"');
        if (!close || close == command + 1)
            return false;
        if (!CopyPart(command + 1, (size_t)(close - command - 1), path, pathSize))
            return false;
        rest = close + 1;
        if (*rest != '\0' && !IsBlank(*rest))
            return false;
    } else {
        // Unquoted, a blank cannot tell the path from arguments: all of it
        // is the path, which then has to exist as it stands.
        size_t length = strlen(command);
        while (length > 0 && IsBlank(command[length - 1]))
            length--;
        if (length == 0 || !CopyPart(command, length, path, pathSize))
            return false;
        rest = command + length;
    }
    while (IsBlank(*rest))
        rest++;
    size_t length = strlen(rest);
    while (length > 0 && IsBlank(rest[length - 1]))
        length--;
    return CopyPart(rest, length, arguments, argumentsSize);
}

// A full path (drive or network) of an existing file, not a folder.
static bool IsProgramFile(const char *path)
{
    bool full = (path[0] != '\0' && path[1] == ':' && path[2] == '\\') ||
                (path[0] == '\\' && path[1] == '\\');
    if (!full)
        return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The Run value's text, environment names expanded; false when it is
// missing, not text or too long.
static bool ReadRunCommand(char *command, size_t size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    char text[RUN_COMMAND_SIZE];
    DWORD type = 0, length = sizeof text - 1;
    LONG result = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, &type, (BYTE *)text, &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[length] = '\0';  // the registry does not promise the terminating zero
    if (type == REG_SZ)
        return CopyPart(text, strlen(text), command, size);
    DWORD expanded = ExpandEnvironmentStringsA(text, command, (DWORD)size);
    return expanded != 0 && expanded <= size;
}

// stylohid.exe in the folder of the applet's own file.
static bool ProgramBesideApplet(char *path, size_t pathSize)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(Panel.Instance, module, sizeof module);
    if (length == 0 || length >= sizeof module)
        return false;
    char *slash = strrchr(module, '\\');
    if (!slash)
        return false;
    slash[1] = '\0';
    int written = snprintf(path, pathSize, "%s%s", module, PROGRAM_FILE_NAME);
    return written > 0 && (size_t)written < pathSize;
}

bool FindInstalledProgram(char *path, size_t pathSize, char *arguments,
                          size_t argumentsSize)
{
    char command[RUN_COMMAND_SIZE];
    if (ReadRunCommand(command, sizeof command) &&
        SplitRunCommand(command, path, pathSize, arguments, argumentsSize) &&
        IsProgramFile(path))
        return true;
    arguments[0] = '\0';
    if (!ProgramBesideApplet(path, pathSize)) {
        path[0] = '\0';
        return false;
    }
    return IsProgramFile(path);
}

DWORD StartProgramProcess(const char *path, char *commandLine, const char *folder)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(path, commandLine, NULL, NULL, FALSE, 0, NULL, folder,
                        &startup, &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ERROR_SUCCESS;
}

DWORD StartInstalledProgram(char *path, size_t pathSize)
{
    char arguments[PROGRAM_ARGUMENTS_SIZE];
    if (!FindInstalledProgram(path, pathSize, arguments, sizeof arguments))
        return ERROR_FILE_NOT_FOUND;
    // The path is named apart and quoted in the command line, so that no
    // blank in it can make another file the one started.
    char commandLine[RUN_COMMAND_SIZE + 4];
    int written = arguments[0]
        ? snprintf(commandLine, sizeof commandLine, "\"%s\" %s", path, arguments)
        : snprintf(commandLine, sizeof commandLine, "\"%s\"", path);
    if (written < 0 || (size_t)written >= sizeof commandLine)
        return ERROR_BUFFER_OVERFLOW;
    char folder[MAX_PATH];
    if (!CopyPart(path, strlen(path), folder, sizeof folder))
        return ERROR_BUFFER_OVERFLOW;
    char *slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
    // A drive's root keeps its backslash.
    if (slash && slash == folder + 2 && folder[1] == ':') {
        slash[0] = '\\';
        slash[1] = '\0';
    }
    return Panel.Seams.StartProcess(path, commandLine, folder);
}
