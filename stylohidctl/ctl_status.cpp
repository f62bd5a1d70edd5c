// status: whether the program runs, where it starts at logon, and every
// stored setting in words.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "settings/stored_values.h"

enum ValueKind { KIND_MODE, KIND_ORIENTATION, KIND_NUMBER, KIND_AREA, KIND_BUTTON };

struct StatusRow {
    const char *Label;
    const char *ValueName;
    ValueKind Kind;
};

static const StatusRow StatusRows[] = {
    {"Pointer mode", VALUE_ABSOLUTE, KIND_MODE},
    {"Orientation", VALUE_LANDSCAPE, KIND_ORIENTATION},
    {"Sensitivity", VALUE_SENSITIVITY, KIND_NUMBER},
    {"Working area", VALUE_WORKING_AREA, KIND_AREA},
    {"Start X", VALUE_START_X, KIND_NUMBER},
    {"Start Y", VALUE_START_Y, KIND_NUMBER},
    {"End X", VALUE_END_X, KIND_NUMBER},
    {"End Y", VALUE_END_Y, KIND_NUMBER},
    {"Button 1", VALUE_BUTTON1, KIND_BUTTON},
    {"Button 2", VALUE_BUTTON2, KIND_BUTTON},
};

static const char *TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    case REG_NONE: return "REG_NONE";
    }
    return "an unknown type";
}

// The stored number in words, as the program reads it.
static void DescribeNumber(ValueKind kind, DWORD number, char *text, int size)
{
    switch (kind) {
    case KIND_MODE:
        _snprintf(text, size, "%s (%lu)", number ? "absolute" : "relative",
                  (unsigned long)number);
        break;
    case KIND_ORIENTATION:
        _snprintf(text, size, "%s (%lu)",
                  number == 0 ? "landscape" : number == 1 ? "portrait" : "unknown",
                  (unsigned long)number);
        break;
    case KIND_AREA:
        _snprintf(text, size, "%s (%lu)",
                  (number & 0xFFFF) == 1 ? "whole tablet" : "Start X..End X, Start Y..End Y",
                  (unsigned long)number);
        break;
    case KIND_BUTTON: {
        // The program takes the low 16 bits as a signed action code.
        short code = (short)(number & 0xFFFF);
        _snprintf(text, size, "%s (%lu)",
                  code >= 0 && code <= ACTION_CODE_LAST ? ActionCodeNames[code]
                                                        : "does nothing",
                  (unsigned long)number);
        break;
    }
    case KIND_NUMBER:
        _snprintf(text, size, "%lu", (unsigned long)number);
        break;
    }
    text[size - 1] = '\0';
}

static void PrintValue(HKEY key, const StatusRow &row)
{
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, row.ValueName, NULL, &type, NULL, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
        printf("%s: missing (%s)\n", row.Label, row.ValueName);
        return;
    }
    if (status != ERROR_SUCCESS) {
        char text[256];
        DescribeError((DWORD)status, text, sizeof text);
        printf("%s: unreadable (%s): %s\n", row.Label, row.ValueName, text);
        return;
    }
    DWORD number = 0;
    DWORD numberSize = sizeof number;
    if (type != REG_DWORD || size != sizeof number ||
        RegQueryValueExA(key, row.ValueName, NULL, NULL, (BYTE *)&number,
                         &numberSize) != ERROR_SUCCESS) {
        printf("%s: not a REG_DWORD (%s is %s, %lu bytes)\n", row.Label,
               row.ValueName, TypeName(type), (unsigned long)size);
        return;
    }
    char words[128];
    DescribeNumber(row.Kind, number, words, sizeof words);
    printf("%s: %s\n", row.Label, words);
}

static void PrintLogonStart()
{
    HKEY key;
    char path[MAX_PATH + 3];
    DWORD type = 0, size = sizeof path - 1;
    bool found = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY_PATH, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        found = RegQueryValueExA(key, RUN_VALUE_NAME, NULL, &type, (BYTE *)path,
                                 &size) == ERROR_SUCCESS &&
                (type == REG_SZ || type == REG_EXPAND_SZ);
        RegCloseKey(key);
    }
    if (found) {
        path[size < sizeof path ? size : sizeof path - 1] = '\0';
        printf("Start at logon: %s\n", path);
    } else {
        printf("Start at logon: not set\n");
    }
}

int RunStatus(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("status takes no arguments");
    RunningProgram program;
    if (FindRunningProgram(&program))
        printf("stylohid: running (process %lu)\n", (unsigned long)program.ProcessId);
    else
        printf("stylohid: not running\n");
    PrintLogonStart();

    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0,
                                SETTINGS_READ_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        printf("Settings: none stored (HKEY_LOCAL_MACHINE\\%s is missing)\n",
               SETTINGS_KEY_PATH);
        return EXIT_DONE;
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not open the settings key", (DWORD)status);
    printf("Settings: HKEY_LOCAL_MACHINE\\%s\n", SETTINGS_KEY_PATH);
    for (const StatusRow &row : StatusRows)
        PrintValue(key, row);
    RegCloseKey(key);
    return EXIT_DONE;
}
