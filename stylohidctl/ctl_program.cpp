#include "ctl_program.h"

#include <tlhelp32.h>

#include "shared/stored_values.h"

bool FindRunningProgram(RunningProgram *program)
{
    program->Window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    program->ProcessId = 0;
    if (!program->Window)
        return false;
    GetWindowThreadProcessId(program->Window, &program->ProcessId);
    return true;
}

int ListProgramProcesses(DWORD *processIds, int max)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && count < max;
         more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, PROGRAM_FILE_NAME) == 0)
            processIds[count++] = entry.th32ProcessID;
    CloseHandle(snapshot);
    return count;
}
