// The control-panel entry of penpanel.cpl: one applet, "USB Tablet".
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <string.h>
#include "panel_dialog.h"
#include "panel_resource.h"
#include "panel_state.h"
#include "panel_store.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Panel.Instance = instance;
        ResetPanelSeams();
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

static void DescribeApplet(NEWCPLINFOA *info)
{
    ZeroMemory(info, sizeof *info);
    info->dwSize = sizeof *info;
    info->hIcon = LoadIconA(Panel.Instance, MAKEINTRESOURCEA(IDI_PANEL));
    LoadStringA(Panel.Instance, IDS_PANEL_NAME, info->szName, sizeof info->szName);
    LoadStringA(Panel.Instance, IDS_PANEL_INFO, info->szInfo, sizeof info->szInfo);
}

extern "C" LONG APIENTRY CPlApplet(HWND owner, UINT message, LPARAM param1,
                                   LPARAM param2)
{
    (void)param1;
    switch (message) {
    case CPL_INIT: {
        INITCOMMONCONTROLSEX controls;
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_BAR_CLASSES;
        return InitCommonControlsEx(&controls) ? TRUE : FALSE;
    }
    case CPL_GETCOUNT:
        return 1;
    case CPL_INQUIRE: {
        CPLINFO *info = (CPLINFO *)param2;
        info->idIcon = IDI_PANEL;
        info->idName = IDS_PANEL_NAME;
        info->idInfo = IDS_PANEL_INFO;
        info->lData = 0;
        return 0;
    }
    case CPL_NEWINQUIRE:
        DescribeApplet((NEWCPLINFOA *)param2);
        return 0;
    case CPL_DBLCLK:
        ShowPanelDialog(owner);
        return 0;
    case CPL_STOP:
    case CPL_EXIT:
        return 0;
    }
    return 0;
}
