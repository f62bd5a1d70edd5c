// Entry point of every unit-test program: the process state is set up as
// WinMain sets it up, and the program's resources are linked in.
#include <gtest/gtest.h>
#include "app/app_state.h"
#include "app/startup.h"
#include "fakes/fake_os.h"

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    InitProcessState();
    App.Instance = GetModuleHandleA(NULL);
    ResetFakeOs();
    return RUN_ALL_TESTS();
}
