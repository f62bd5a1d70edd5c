// smoothing and steady-clicks: absolute mode's steadiness, stored in the
// settings key and taken up by a running program at once.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_program.h"
#include "ctl_report.h"
#include "shared/stored_values.h"

int RunSmoothing(int argc, char **argv)
{
    const char *text = argc == 2 ? argv[1] : "";
    size_t digits = strspn(text, "0123456789");
    int strength = atoi(text);
    if (digits == 0 || digits > 2 || text[digits] || strength > SMOOTHING_MAX)
        return ReportUsage("usage: smoothing 0..10 (0 off, 1 lightest, 10 strongest)");
    int result = StoreSettingNumber(VALUE_SMOOTHING, (DWORD)strength,
                                    "could not store the smoothing");
    if (result != EXIT_DONE)
        return result;
    printf("Smoothing: %d stored\n", strength);
    // A running program takes it up at once; one that starts later reads it.
    return TellRunningProgram(WM_TABLET_RELOAD);
}

int RunSteadyClicks(int argc, char **argv)
{
    bool on = argc == 2 && strcmp(argv[1], "on") == 0;
    if (argc != 2 || (!on && strcmp(argv[1], "off") != 0))
        return ReportUsage("usage: steady-clicks on|off");
    int result = StoreSettingNumber(VALUE_STEADY_CLICKS, on ? 1 : 0,
                                    "could not store the steady clicks");
    if (result != EXIT_DONE)
        return result;
    printf("Steady clicks: %s stored\n", on ? "on" : "off");
    return TellRunningProgram(WM_TABLET_RELOAD);
}

// A stored number as the program reads it: present only as a 4-byte REG_DWORD.
static bool ReadNumber(HKEY key, const char *name, DWORD *number)
{
    DWORD type = 0, size = sizeof *number;
    *number = 0;
    return RegQueryValueExA(key, name, NULL, &type, (BYTE *)number, &size) ==
               ERROR_SUCCESS && IsFourByteDword(type, size);
}

void PrintSteadinessStatus(HKEY key)
{
    DWORD smoothing, steady;
    if (!ReadNumber(key, VALUE_SMOOTHING, &smoothing) || smoothing == 0)
        printf("Smoothing: off\n");
    else if (smoothing > SMOOTHING_MAX)
        printf("Smoothing: %d (%lu stored)\n", SMOOTHING_MAX, (unsigned long)smoothing);
    else
        printf("Smoothing: %lu\n", (unsigned long)smoothing);
    bool on = ReadNumber(key, VALUE_STEADY_CLICKS, &steady) && steady != 0;
    printf("Steady clicks: %s\n", on ? "on" : "off");
}
