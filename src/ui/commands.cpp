#include "ui/commands.h"
#include "res/resource.h"

INT_PTR HandleCommand(HWND window, WORD id)
{
    switch (id) {
    case IDM_CLOSE:
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return FALSE;
}
