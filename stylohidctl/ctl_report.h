// One-line messages of stylohidctl on standard error.
#ifndef CTL_REPORT_H
#define CTL_REPORT_H

#include <windows.h>

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

#endif
