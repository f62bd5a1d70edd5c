#include "app/discovery_wait.h"

// Not yet waiting: the program starts without looking for the tablet.
void WaitForTablet(HWND) {}

void DrainMessages() {}
