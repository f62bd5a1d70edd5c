#include "ctl_report.h"

#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"

void DescribeError(DWORD error, char *text, int size)
{
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error,
        0, text, (DWORD)size, NULL);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0)
        snprintf(text, size, "error %lu", (unsigned long)error);
    text[size - 1] = '\0';
}

const char *RegistryTypeName(DWORD type, const char *unknown)
{
    static const char *const names[] = {
        "REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
        "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ",
        "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
        "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
    return type < sizeof names / sizeof names[0] ? names[type] : unknown;
}

int ReportFailure(int exitCode, const char *what, DWORD error)
{
    char text[512];
    DescribeError(error, text, sizeof text);
    fprintf(stderr, "stylohidctl: %s: %s (error %lu)\n", what, text,
            (unsigned long)error);
    return exitCode;
}

int ReportProblem(int exitCode, const char *text)
{
    fprintf(stderr, "stylohidctl: %s\n", text);
    return exitCode;
}

int ReportUsage(const char *text)
{
    fprintf(stderr, "stylohidctl: %s (stylohidctl --help lists the commands)\n",
            text);
    return EXIT_USAGE;
}
