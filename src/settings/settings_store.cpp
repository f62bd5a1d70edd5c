#include "settings/settings_store.h"

TabletSettingsState TabletSettings;
static CRITICAL_SECTION SettingsLock;

void LockSettings() { EnterCriticalSection(&SettingsLock); }
void UnlockSettings() { LeaveCriticalSection(&SettingsLock); }

void InitSettingsStore()
{
    InitializeCriticalSection(&SettingsLock);
    ResetTabletSettings();
}

void ResetTabletSettings()
{
    LockSettings();
    ZeroMemory(&TabletSettings, sizeof TabletSettings);
    TabletSettings.AbsoluteMode = 1;
    TabletSettings.Orientation = 0;
    TabletSettings.Sensitivity = 4;
    TabletSettings.Button1Action = 2;
    TabletSettings.Button2Action = 1;
    UnlockSettings();
}

void LoadSettings() {}
void SaveSettings() {}
void ReloadButtonSettings() {}
