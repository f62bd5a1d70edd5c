#include "input/screen_mapping.h"
#include "settings/settings_store.h"

ScreenMapping ScreenTarget;

ScreenMapping PlanScreenMapping(const ScreenLayout &layout, const char *choice)
{
    ScreenMapping mapping;
    ZeroMemory(&mapping, sizeof mapping);
    int target = FindChosenScreen(layout, choice);
    if (target == SCREEN_TARGET_MAIN) {
        // The position goes out as it is; the size serves the steady pointer.
        if (layout.Count > 0) {
            const RECT &main = layout.Screens[0].Rect;
            mapping.Width = mapping.DeskWidth = main.right - main.left;
            mapping.Height = mapping.DeskHeight = main.bottom - main.top;
        }
        return mapping;
    }
    RECT desk = ScreenLayoutBounds(layout);
    RECT screen = target == SCREEN_TARGET_ALL ? desk : layout.Screens[target].Rect;
    mapping.OverDesktop = true;
    mapping.Left = screen.left - desk.left;
    mapping.Top = screen.top - desk.top;
    mapping.Width = screen.right - screen.left;
    mapping.Height = screen.bottom - screen.top;
    mapping.DeskWidth = desk.right - desk.left;
    mapping.DeskHeight = desk.bottom - desk.top;
    return mapping;
}

LONG PenPixel(LONG pen, LONG size)
{
    if (pen < 0)
        pen = 0;
    if (pen > 65535)
        pen = 65535;
    return (LONG)((LONGLONG)pen * size >> 16);
}

LONG MapPenAxis(LONG pen, LONG first, LONG size, LONG deskSize)
{
    // A position beyond the driver's range stays on this screen's edge.
    if (deskSize <= 0)
        return pen < 0 ? 0 : pen > 65535 ? 65535 : pen;
    return NormalisePixel(first + (LONGLONG)PenPixel(pen, size), deskSize);
}

LONG NormalisePixel(LONGLONG pixel, LONG deskSize)
{
    if (deskSize <= 0)
        return 0;
    // The smallest normalised value whose pixel (value * deskSize / 65536,
    // cut or rounded) is this one: it lies at most deskSize / 65536 of a
    // pixel past the pixel's start, so both ways of converting back agree.
    LONGLONG normal = (pixel * 65536 + deskSize - 1) / deskSize;
    return normal > 65535 ? 65535 : (LONG)normal;
}

void UpdateScreenMapping()
{
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    LockSettings();
    ScreenTarget = PlanScreenMapping(layout, TabletSettings.Screen);
    UnlockSettings();
}
