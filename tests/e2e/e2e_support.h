// Helpers of the end-to-end tests: the virtual tablet installed into the
// test prefix, the real stylohid.exe started and stopped, waits that poll,
// and low-level hooks that record the input the program synthesises.
#ifndef E2E_SUPPORT_H
#define E2E_SUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/settings_key_guard.h"
#include "vtablet_client.h"

// The build folder (the one holding stylohid.exe), with a trailing backslash.
std::string BuildFolder();

// Copies the drivers of the build into the prefix and starts them; the
// virtual HID bus too when withBus.  Idempotent; false with a message on
// stderr when something could not be done.
bool InstallVirtualTablet(bool withBus);

// Polls until done() or timeoutMs passed; returns done()'s last answer.
bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs);

// Request log entries of the stand-in driver from sequence number first on.
std::vector<VTabletLogEntry> ReadLogFrom(unsigned first);
std::vector<VTabletLogEntry> EntriesOfCode(const std::vector<VTabletLogEntry> &log,
                                           unsigned code);
VTabletState TabletState();
DWORD LoggedValue(const VTabletLogEntry &entry);  // the u32 input

// The HID devices as the program's probe sees them.
struct SeenHid {
    std::string Path;
    bool Virtual;        // one of the virtual bus's tablets
    USHORT VendorId, ProductId;
    bool HasX, HasY;
    LONG XMax, YMax;
};
std::vector<SeenHid> ListHidDevices();
// Unplugs every virtual tablet, plugs these and waits until SetupAPI lists
// exactly them.  Does nothing when they are listed already.
bool PresentTablets(const std::vector<VTabletDeviceSpec> &specs);

// Entries logged for one process.
std::vector<VTabletLogEntry> EntriesOfProcess(const std::vector<VTabletLogEntry> &log,
                                              DWORD processId);

// A message box (class "#32770") with this caption, or NULL.
HWND FindMessageBox(const char *caption);
// The text of a message box's static control (id 0xFFFF).
std::string MessageBoxText(HWND box);

// The program under test.
struct ProgramRun {
    PROCESS_INFORMATION Process;
    bool Started;
};
// creationFlags as CreateProcess takes them (CREATE_SUSPENDED: resume it).
ProgramRun StartProgram(DWORD creationFlags = 0);
// Waits for the process to end; true when it ended within timeoutMs.
bool WaitForProgramEnd(ProgramRun &run, DWORD timeoutMs, DWORD *exitCode);
// Ends the process by force (the failure path of a test) and closes handles.
void KillProgram(ProgramRun &run);
HWND FindProgramWindow();
// Started, main window up and its reader armed the driver's event.
bool WaitForProgramReady(DWORD timeoutMs);
// WM_CLOSE to the main window and the process's end.
bool CloseProgram(ProgramRun &run, DWORD timeoutMs);
// Ends every stylohid.exe left by an earlier test.
void EndStrayPrograms();

// Registry key of the settings under HKEY_LOCAL_MACHINE (saved, restored,
// deleted and tested for with the helpers of settings_key_guard.h).
void WriteSetting(const char *name, DWORD value);
bool ReadSetting(const char *name, DWORD *value);

// Low-level hooks on a thread of their own, recording what they see.
struct SeenMouse {
    WPARAM Message;
    MSLLHOOKSTRUCT Data;
};
struct SeenKey {
    WPARAM Message;
    KBDLLHOOKSTRUCT Data;
};
void StartInputHooks();
void StopInputHooks();
std::vector<SeenMouse> SeenMouseEvents();
std::vector<SeenKey> SeenKeyEvents();
void ClearSeenInput();

#endif
