// button: the action of a pen button, stored, and taken up by a running
// program at once.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "shared/stored_values.h"

// An action's number or name: its row of the names, or -1.
static int ActionOfArgument(const char *argument)
{
    size_t digits = strspn(argument, "0123456789");
    if (digits == 0)
        return FindActionNamed(argument);
    if (digits > 5 || argument[digits])
        return -1;
    return FindActionRow(atoi(argument));
}

int RunButton(int argc, char **argv)
{
    int row = -1;
    bool second = argc == 3 && strcmp(argv[1], "2") == 0;
    if (argc == 3 && (second || strcmp(argv[1], "1") == 0))
        row = ActionOfArgument(argv[2]);
    if (row < 0)
        return ReportUsage("usage: button 1|2 ACTION, ACTION a number or a name as "
                           "status shows it, with - for a space (left-click, scroll)");
    const char *value = second ? VALUE_BUTTON2 : VALUE_BUTTON1;
    DWORD code = (DWORD)ActionNames[row].Code;
    int result = StoreSettingNumber(value, code, "could not store the button's action");
    if (result != EXIT_DONE)
        return result;
    printf("Button %s: %s (%lu) stored\n", second ? "2" : "1", ActionNames[row].Name,
           (unsigned long)code);
    // A running program takes it up at once; one that starts later reads it.
    return TellRunningProgram(WM_TABLET_RELOAD);
}
