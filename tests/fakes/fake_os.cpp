#include "fakes/fake_os.h"

void ResetFakeOs()
{
    ResetFakeDriver();
    ResetFakeClock();
    ResetFakeShell();
    ResetFakeInput();
    ResetFakeHid();
    ResetFakeRegistry();
    ResetFakePrograms();
}
