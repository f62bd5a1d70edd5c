// status: whether the program runs, where it starts at logon, and every
// stored setting in words.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "shared/stored_values.h"
#include "shared/run_command.h"

enum ValueKind { KIND_MODE, KIND_ORIENTATION, KIND_NUMBER, KIND_AREA, KIND_BUTTON, KIND_RECONNECT };

// How each stored value is shown, by StoredValueIndex.
struct StatusRow {
    const char *Label;
    ValueKind Kind;
};

static const StatusRow StatusRows[STORED_VALUE_COUNT] = {
    {"Pointer mode", KIND_MODE},
    {"Orientation", KIND_ORIENTATION},
    {"Sensitivity", KIND_NUMBER},
    {"Working area", KIND_AREA},
    {"Start X", KIND_NUMBER},
    {"Start Y", KIND_NUMBER},
    {"End X", KIND_NUMBER},
    {"End Y", KIND_NUMBER},
    {"Button 1", KIND_BUTTON},
    {"Button 2", KIND_BUTTON},
};

// The stored number in words, as the program reads it.
static void DescribeNumber(ValueKind kind, DWORD number, char *text, int size)
{
    switch (kind) {
    case KIND_MODE:
        snprintf(text, size, "%s (%lu)", number ? "absolute" : "relative",
                 (unsigned long)number);
        break;
    case KIND_ORIENTATION:
        snprintf(text, size, "%s (%lu)",
                 number == 0 ? "landscape" : number == 1 ? "portrait" : "unknown",
                 (unsigned long)number);
        break;
    case KIND_AREA:
        snprintf(text, size, "%s (%lu)",
                 (number & 0xFFFF) == 1 ? "whole tablet" : "Start X..End X, Start Y..End Y",
                 (unsigned long)number);
        break;
    case KIND_BUTTON: {
        // The program takes the low 16 bits as a signed action code.
        int row = FindActionRow((short)(number & 0xFFFF));
        snprintf(text, size, "%s (%lu)",
                 row >= 0 ? ActionNames[row].Name : "does nothing",
                 (unsigned long)number);
        break;
    }
    case KIND_RECONNECT:
        snprintf(text, size, "%s (%lu)",
                 number ? "keep running and wait for it" : "the program ends",
                 (unsigned long)number);
        break;
    case KIND_NUMBER:
        snprintf(text, size, "%lu", (unsigned long)number);
        break;
    }
}

// One stored REG_DWORD in words, under its label.
static void PrintValue(HKEY key, const StatusRow &row, const char *name)
{
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, name, NULL, &type, NULL, &size);
    if (status == ERROR_FILE_NOT_FOUND && row.Kind == KIND_RECONNECT) {
        printf("%s: the program ends (%s missing)\n", row.Label, name);
        return;
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        printf("%s: missing (%s)\n", row.Label, name);
        return;
    }
    if (status != ERROR_SUCCESS) {
        char text[256];
        DescribeError((DWORD)status, text, sizeof text);
        printf("%s: unreadable (%s): %s\n", row.Label, name, text);
        return;
    }
    DWORD number = 0;
    DWORD numberSize = sizeof number;
    if (!IsFourByteDword(type, size) ||
        RegQueryValueExA(key, name, NULL, NULL, (BYTE *)&number,
                         &numberSize) != ERROR_SUCCESS) {
        printf("%s: not a REG_DWORD (%s is %s, %lu bytes)\n", row.Label,
               name, RegistryTypeName(type, "an unknown type"), (unsigned long)size);
        return;
    }
    char words[128];
    DescribeNumber(row.Kind, number, words, sizeof words);
    printf("%s: %s\n", row.Label, words);
}

static void PrintLogonStart()
{
    char command[RUN_COMMAND_SIZE];
    DWORD type;
    if (ReadRunValue(command, sizeof command, &type))
        printf("Start at logon: %s\n", command);
    else
        printf("Start at logon: not set\n");
}

int RunStatus(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("status takes no arguments");
    RunningProgram program;
    DWORD copy;
    bool running = FindRunningProgram(&program);
    if (running)
        printf("stylohid: running (process %lu)\n", (unsigned long)program.ProcessId);
    else if (ListProgramProcesses(&copy, 1) == 1)
        printf("stylohid: running (process %lu) without a window this command can "
               "find: in another session or on another desktop, or it is ending or "
               "hangs\n", (unsigned long)copy);
    else
        printf("stylohid: not running\n");
    PrintLogonStart();
    PrintProfileStatus(running);

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
    for (int value = 0; value < STORED_VALUE_COUNT; value++)
        PrintValue(key, StatusRows[value], StoredValues[value].Name);
    static const StatusRow reconnect = {"Tablet unplugged", KIND_RECONNECT};
    PrintValue(key, reconnect, VALUE_RECONNECT);
    PrintScreenChoice(key);
    PrintSteadinessStatus(key);
    RegCloseKey(key);
    return EXIT_DONE;
}
