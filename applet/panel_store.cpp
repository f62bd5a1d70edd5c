#include "panel_store.h"
#include "panel_profiles.h"
#include "shared/stored_values.h"
#include "program_start.h"
#include "tablet_maxima.h"

PanelStateRecord Panel;

// How long a running program may take over a reload before it is given up.
#define RELOAD_TIMEOUT_MS 5000
// A value is put back only when it is no longer than this.
#define OLD_DATA_MAX 64

static LONG OpenKeyForWrite(HKEY *key)
{
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL,
                           REG_OPTION_NON_VOLATILE,
                           SETTINGS_WRITE_ACCESS | SETTINGS_READ_ACCESS, NULL, key, NULL);
}

static LONG SetDword(HKEY key, const char *name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number,
                          sizeof number);
}

void ResetPanelSeams()
{
    Panel.Seams.OpenKeyForWrite = OpenKeyForWrite;
    Panel.Seams.SetDword = SetDword;
    Panel.Seams.ReadTabletMaxima = ReadTabletMaxima;
    Panel.Seams.StartProcess = StartProgramProcess;
}

void ReadStoredSettings(StoredSettings *stored)
{
    ZeroMemory(stored, sizeof *stored);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, SETTINGS_READ_ACCESS,
                      &key) != ERROR_SUCCESS)
        return;
    for (int value = 0; value < PANEL_VALUE_COUNT; value++) {
        DWORD type = 0, number = 0, size = sizeof number;
        if (RegQueryValueExA(key, PanelValueName(value), NULL, &type,
                             (BYTE *)&number, &size) == ERROR_SUCCESS &&
            IsFourByteDword(type, size)) {
            stored->Present[value] = TRUE;
            stored->Number[value] = number;
        }
    }
    RegCloseKey(key);
    // A profile shown: its values over the machine's, which it takes where
    // it has none.
    ReadProfileOverlay(stored);
}

// A value as it stood before this write, so that it can be put back.
struct OldValue {
    BOOL Present;
    BOOL Restorable;
    DWORD Type;
    DWORD Size;
    BYTE Data[OLD_DATA_MAX];
};

static void RememberValue(HKEY key, const char *name, OldValue *old)
{
    ZeroMemory(old, sizeof *old);
    old->Size = sizeof old->Data;
    LONG result = RegQueryValueExA(key, name, NULL, &old->Type, old->Data, &old->Size);
    old->Present = result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
    old->Restorable = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

static void RestoreValue(HKEY key, const char *name, const OldValue *old)
{
    if (!old->Restorable)
        return;
    if (old->Present)
        RegSetValueExA(key, name, 0, old->Type, old->Data, old->Size);
    else
        RegDeleteValueA(key, name);
}

bool WriteStoredChanges(const PanelChanges *changes, LONG *error)
{
    HKEY key;
    *error = Panel.Profile[0] ? OpenProfileKeyForWrite(&key) : Panel.Seams.OpenKeyForWrite(&key);
    if (*error != ERROR_SUCCESS)
        return false;
    OldValue old[PANEL_VALUE_COUNT];
    int written = 0;
    for (; written < changes->Count; written++) {
        const char *name = PanelValueName(changes->Value[written]);
        RememberValue(key, name, &old[written]);
        *error = Panel.Seams.SetDword(key, name, changes->Number[written]);
        if (*error != ERROR_SUCCESS)
            break;
    }
    bool complete = written == changes->Count;
    // The choice goes last: refused, it leaves nothing to put back.
    if (complete && changes->Screen) {
        *error = RegSetValueExA(key, VALUE_SCREEN, 0, REG_SZ,
                                (const BYTE *)changes->Screen,
                                lstrlenA(changes->Screen) + 1);
        complete = *error == ERROR_SUCCESS;
    }
    if (!complete) {
        for (int i = written - 1; i >= 0; i--)
            RestoreValue(key, PanelValueName(changes->Value[i]), &old[i]);
    }
    RegCloseKey(key);
    return complete;
}

void NotifyRunningProgram()
{
    if (Panel.Profile[0]) {
        NotifyProgramOfProfiles();
        return;
    }
    HWND program = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    if (!program)
        return;
    DWORD_PTR result;
    // A program that does not answer must not hang the control panel.
    SendMessageTimeoutA(program, WM_TABLET_RELOAD, 0, 0,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, RELOAD_TIMEOUT_MS, &result);
}
