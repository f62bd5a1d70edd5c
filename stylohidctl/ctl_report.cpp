#include "ctl_report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "ctl_commands.h"

#define CHECK_LABEL_WIDTH 16

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

void DescribeReason(DWORD error, char *text, int size)
{
    DescribeError(error, text, size);
    size_t used = strlen(text);
    snprintf(text + used, size - used, ", error %lu", (unsigned long)error);
}

bool PrintCheck(const char *label, bool ok, const char *format, ...)
{
    char text[CHECK_TEXT_MAX];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char heading[CHECK_LABEL_WIDTH + 2];
    snprintf(heading, sizeof heading, "%s:", label);
    printf("%-*s%s %s\n", CHECK_LABEL_WIDTH, heading, ok ? "OK," : "PROBLEM:", text);
    fflush(stdout);
    return ok;
}
