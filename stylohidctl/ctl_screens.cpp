// screens and screen: the monitors as the program numbers them, and the
// screen the pen covers in absolute mode.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "shared/screen_layout.h"
#include "shared/stored_values.h"

int RunScreens(int argc, char **argv)
{
    (void)argv;
    if (argc != 1)
        return ReportUsage("screens takes no arguments");
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    for (int i = 0; i < layout.Count; i++) {
        char text[96];
        DescribeScreen(layout, i, text, sizeof text);
        printf("%s %s\n", text, layout.Screens[i].Device);
    }
    return EXIT_DONE;
}

// "main", "all" or a screen's number: the value to store, or false.
static bool ChoiceOfArgument(const char *argument, const ScreenLayout &layout,
                             char *choice)
{
    if (lstrcmpiA(argument, SCREEN_CHOICE_MAIN) == 0 ||
        lstrcmpiA(argument, SCREEN_CHOICE_ALL) == 0) {
        lstrcpynA(choice, argument, SCREEN_NAME_SIZE);
        CharLowerA(choice);
        return true;
    }
    size_t digits = strspn(argument, "0123456789");
    if (digits == 0 || digits > 2 || argument[digits])
        return false;
    int number = atoi(argument);
    if (number < 1 || number > layout.Count)
        return false;
    lstrcpynA(choice, layout.Screens[number - 1].Device, SCREEN_NAME_SIZE);
    return true;
}

int RunScreen(int argc, char **argv)
{
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    char choice[SCREEN_NAME_SIZE];
    if (argc != 2 || !ChoiceOfArgument(argv[1], layout, choice)) {
        char text[96];
        _snprintf(text, sizeof text, "usage: screen main|all|N, N 1 to %d "
                  "(see: stylohidctl screens)", layout.Count);
        text[sizeof text - 1] = '\0';
        return ReportUsage(text);
    }
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, SETTINGS_WRITE_ACCESS, NULL,
                                  &key, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, VALUE_SCREEN, 0, REG_SZ, (const BYTE *)choice,
                                lstrlenA(choice) + 1);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return ReportFailure(EXIT_FAILED, "could not store the screen", (DWORD)status);
    printf("Screen: %s stored\n", choice);
    // A running program takes it up at once; one that starts later reads it.
    return TellRunningProgram(WM_TABLET_RELOAD);
}

void PrintScreenChoice(HKEY key)
{
    char choice[SCREEN_NAME_SIZE];
    if (!ReadScreenValue(key, choice)) {
        printf("Screen: main screen (%s not set)\n", VALUE_SCREEN);
        return;
    }
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    int target = FindChosenScreen(layout, choice);
    if (target == SCREEN_TARGET_ALL) {
        printf("Screen: all screens (%s)\n", choice);
    } else if (target >= 0) {
        char text[96];
        DescribeScreen(layout, target, text, sizeof text);
        printf("Screen: %s (%s)\n", text, choice);
    } else if (lstrcmpiA(choice, SCREEN_CHOICE_MAIN) == 0) {
        printf("Screen: main screen (%s)\n", choice);
    } else {
        printf("Screen: main screen while %s is gone\n", choice);
    }
}
