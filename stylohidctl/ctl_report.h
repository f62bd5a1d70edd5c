// One-line messages of stylohidctl on standard error, and the lines of
// diagnose's checks on standard output.
#ifndef CTL_REPORT_H
#define CTL_REPORT_H

#include <windows.h>

// For the checks: room for a line's text and for an error's text.
#define CHECK_TEXT_MAX 1024
#define ERROR_TEXT_MAX 256

// The system's text for a Windows error code, without its line end, into
// text; "error N" when the system has none.
void DescribeError(DWORD error, char *text, int size);

// The name of a registry value type ("REG_SZ"), or unknown when it has none.
const char *RegistryTypeName(DWORD type, const char *unknown);

// "stylohidctl: <what>: <the system's text> (error N)" on standard error;
// returns exitCode.
int ReportFailure(int exitCode, const char *what, DWORD error);

// "stylohidctl: <text>" on standard error; returns exitCode.
int ReportProblem(int exitCode, const char *text);

// A usage error: the problem and a hint to --help; returns EXIT_USAGE.
int ReportUsage(const char *text);

// Prints one check's line, "<label>:" then "OK, <text>" or "PROBLEM: <text>",
// and hands ok back.
bool PrintCheck(const char *label, bool ok, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The system's text for an error, with its number.
void DescribeReason(DWORD error, char *text, int size);

#endif
