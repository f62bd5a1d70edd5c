// stylohidctl: commands to the resident tablet program and to its stored
// settings, for people, scripts and the installer.
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"
#include "ctl_report.h"

static void PrintHelp()
{
    printf("Usage: stylohidctl COMMAND [ARGUMENTS]\n"
           "Commands to the running stylohid.exe and its stored settings.\n\n");
    for (const CtlCommand *c = CtlCommands; c->Name; c++) {
        char head[64];
        snprintf(head, sizeof head, "%s %s", c->Name, c->Arguments);
        printf("  %-32s %s\n", head, c->Summary);
    }
    printf("  %-32s %s\n", "--help", "show this text");
    printf("  %-32s %s\n", "--version", "show the version");
    printf("\nExit codes: 0 done (close: also when no program runs); 1 the program\n"
           "does not run; 2 wrong command line; 3 failed; 4 diagnose found a problem.\n");
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return ReportUsage("no command given");
    const char *name = argv[1];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0 ||
        strcmp(name, "/?") == 0) {
        PrintHelp();
        return EXIT_DONE;
    }
    if (strcmp(name, "--version") == 0) {
        printf("stylohidctl %s\n", STYLOHID_VERSION);
        return EXIT_DONE;
    }
    for (const CtlCommand *c = CtlCommands; c->Name; c++)
        if (strcmp(name, c->Name) == 0)
            return c->Run(argc - 1, argv + 1);
    char text[160];
    snprintf(text, sizeof text, "unknown command \"%.100s\"", name);
    return ReportUsage(text);
}
