#include <windows.h>
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    return RunProgram(instance, previous);
}
