#include "shared/run_command.h"
#include <stdio.h>
#include <string.h>
#include "shared/stored_values.h"

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

bool ReadRunValue(char *text, size_t size, DWORD *type)
{
    if (size < 2)
        return false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    *type = REG_NONE;
    DWORD length = (DWORD)size - 1;
    LONG result = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, type, (BYTE *)text, &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ))
        return false;
    text[length] = '\0';  // the registry does not promise the terminating zero
    return true;
}

// The stored text with environment names expanded where its type says so.
static bool ExpandRunValue(const char *text, DWORD type, char *command, size_t size)
{
    if (type == REG_SZ)
        return CopyPart(text, strlen(text), command, size);
    DWORD expanded = ExpandEnvironmentStringsA(text, command, (DWORD)size);
    return expanded != 0 && expanded <= size;
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

bool IsProgramFile(const char *path)
{
    bool full = (path[0] != '\0' && path[1] == ':' && path[2] == '\\') ||
                (path[0] == '\\' && path[1] == '\\');
    if (!full)
        return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

RunProgramLookup FindRunProgram(char *path, size_t pathSize, char *arguments,
                                size_t argumentsSize)
{
    char text[RUN_COMMAND_SIZE], command[RUN_COMMAND_SIZE];
    DWORD type;
    path[0] = arguments[0] = '\0';
    if (!ReadRunValue(text, sizeof text, &type))
        return RUN_VALUE_ABSENT;
    bool expanded = ExpandRunValue(text, type, command, sizeof command);
    if (!expanded ||
        !SplitRunCommand(command, path, pathSize, arguments, argumentsSize)) {
        snprintf(path, pathSize, "%s", expanded ? command : text);
        arguments[0] = '\0';
        return RUN_PROGRAM_ABSENT;
    }
    return IsProgramFile(path) ? RUN_PROGRAM_PRESENT : RUN_PROGRAM_ABSENT;
}
