// The Run value (the program's start at every logon), read and split by one
// rule for everything that asks which file starts: the applet's Start and
// stylohidctl's status and diagnose.
#ifndef RUN_COMMAND_H
#define RUN_COMMAND_H

#include <windows.h>
#include <stddef.h>

// Room for the arguments after the program's path, and for the whole
// logon command read from the Run value.
#define RUN_ARGUMENTS_SIZE 512
#define RUN_COMMAND_SIZE (MAX_PATH + RUN_ARGUMENTS_SIZE)

// The Run value's text as stored, and its type (REG_SZ or REG_EXPAND_SZ);
// false when it is missing, not text or longer than size - 1.
bool ReadRunValue(char *text, size_t size, DWORD *type);

// Splits a logon command as the Run value holds it: a quoted path,
// optionally followed by blanks and arguments, or an unquoted path alone.
// False when there is no path, a quote is not closed, something follows the
// closing quote without a blank, or a part does not fit its buffer (a part
// fits when its text and terminating zero do).
bool SplitRunCommand(const char *command, char *path, size_t pathSize,
                     char *arguments, size_t argumentsSize);

// A full path (drive or network) of an existing file, not a folder.
bool IsProgramFile(const char *path);

enum RunProgramLookup {
    RUN_VALUE_ABSENT,    // no text value (or one too long to read)
    RUN_PROGRAM_ABSENT,  // path holds what it names, which is no program file
    RUN_PROGRAM_PRESENT  // path is an existing file, arguments what follows it
};

// The program the Run value starts: its text, environment names expanded
// where its type says so, split as above.  Where the command cannot be split,
// path holds as much of the command as fits and arguments is empty.
RunProgramLookup FindRunProgram(char *path, size_t pathSize, char *arguments,
                                size_t argumentsSize);

#endif
