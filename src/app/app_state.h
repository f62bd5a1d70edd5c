// Process-wide state of the application shell.
#ifndef APP_STATE_H
#define APP_STATE_H

#include <windows.h>

struct AppState {
    HINSTANCE Instance;                // every resource lookup uses it
    HWND MainWindow;                   // hidden main window, class "stylohid"
    volatile LONG ShutdownStarted;     // set by the first WM_CLOSE
    volatile LONG SettingsLoadAttempted; // the reader's settings load has taken
                                         // in the stored values or found no key
    volatile LONG StartupBegun;        // the first WM_INITDIALOG has started the wait
    volatile LONG SettingsSaved;       // the settings have been written once
    HANDLE ReaderThread;               // released by ReleaseReaderThread alone
    HANDLE StartupLock;                // held from before the look for a running
                                       // copy to the start of WM_INITDIALOG
};

extern AppState App;

#endif
