#include "ctl_program.h"

#include "settings/stored_values.h"

bool FindRunningProgram(RunningProgram *program)
{
    program->Window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    program->ProcessId = 0;
    if (!program->Window)
        return false;
    GetWindowThreadProcessId(program->Window, &program->ProcessId);
    return true;
}
