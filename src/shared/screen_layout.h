// The monitors of the desktop, numbered as every part of the system numbers
// them: the main screen first, then the others from left to right, then top
// to bottom, and the stored Screen choice read from the settings key.
// Shared by the resident program, the applet and the command tool, so that
// "screen 2" is the same screen everywhere.
#ifndef SCREEN_LAYOUT_H
#define SCREEN_LAYOUT_H

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "shared/stored_values.h"

#define SCREEN_COUNT_MAX 16

struct ScreenInfo {
    RECT Rect;                       // in virtual-desktop pixels, right/bottom exclusive
    char Device[SCREEN_NAME_SIZE];   // "\\.\DISPLAY2": how a choice finds it again
};

struct ScreenLayout {
    int Count;                       // 0 only when the system listed none
    ScreenInfo Screens[SCREEN_COUNT_MAX];  // [0] is the main screen
};

// Where a choice leads in a layout: the main screen as the system maps it,
// the whole desktop, or one screen by its index.
enum {
    SCREEN_TARGET_MAIN = -2,
    SCREEN_TARGET_ALL = -1
};

static inline bool ComesBefore(const ScreenInfo &a, const ScreenInfo &b)
{
    if (a.Rect.left != b.Rect.left)
        return a.Rect.left < b.Rect.left;
    return a.Rect.top < b.Rect.top;
}

// The main screen is the one at the desktop's origin; it goes first, the
// rest follow left to right, then top to bottom.
static inline void SortScreenLayout(ScreenLayout *layout)
{
    int n = layout->Count;
    for (int i = 0; i < n; i++) {
        const RECT &r = layout->Screens[i].Rect;
        if (r.left == 0 && r.top == 0 && i != 0) {
            ScreenInfo main = layout->Screens[i];
            memmove(&layout->Screens[1], &layout->Screens[0], i * sizeof(ScreenInfo));
            layout->Screens[0] = main;
            break;
        }
    }
    for (int i = 2; i < n; i++) {
        ScreenInfo s = layout->Screens[i];
        int j = i;
        for (; j > 1 && ComesBefore(s, layout->Screens[j - 1]); j--)
            layout->Screens[j] = layout->Screens[j - 1];
        layout->Screens[j] = s;
    }
}

static inline BOOL CALLBACK AddScreenToLayout(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    ScreenLayout *layout = (ScreenLayout *)data;
    if (layout->Count >= SCREEN_COUNT_MAX)
        return FALSE;
    MONITORINFOEXA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        return TRUE;
    ScreenInfo &screen = layout->Screens[layout->Count++];
    screen.Rect = info.rcMonitor;
    lstrcpynA(screen.Device, info.szDevice, sizeof screen.Device);
    return TRUE;
}

// Reads the present monitors, in physical pixels wherever the system scales:
// a tool without a manifest of its own (the applet runs inside control.exe)
// asks for per-monitor coordinates on its thread for the time of the walk.
static inline void ReadScreenLayout(ScreenLayout *layout)
{
    typedef HANDLE(WINAPI * SetContextFn)(HANDLE);
    SetContextFn setContext = (SetContextFn)(void *)GetProcAddress(
        GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    HANDLE before = NULL;
    if (setContext)  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE
        before = setContext((HANDLE)(INT_PTR)-3);
    ZeroMemory(layout, sizeof *layout);
    EnumDisplayMonitors(NULL, NULL, AddScreenToLayout, (LPARAM)layout);
    if (setContext && before)
        setContext(before);
    SortScreenLayout(layout);
}

// The rectangle that holds every screen: the virtual desktop.
static inline RECT ScreenLayoutBounds(const ScreenLayout &layout)
{
    RECT bounds = {0, 0, 0, 0};
    for (int i = 0; i < layout.Count; i++) {
        const RECT &r = layout.Screens[i].Rect;
        if (i == 0 || r.left < bounds.left) bounds.left = r.left;
        if (i == 0 || r.top < bounds.top) bounds.top = r.top;
        if (i == 0 || r.right > bounds.right) bounds.right = r.right;
        if (i == 0 || r.bottom > bounds.bottom) bounds.bottom = r.bottom;
    }
    return bounds;
}

// A stored choice in a layout: "all", a present screen's device name, and
// otherwise (missing, "main", a screen that is gone) the main screen.
static inline int FindChosenScreen(const ScreenLayout &layout, const char *choice)
{
    if (!choice || !choice[0] || lstrcmpiA(choice, SCREEN_CHOICE_MAIN) == 0)
        return SCREEN_TARGET_MAIN;
    if (lstrcmpiA(choice, SCREEN_CHOICE_ALL) == 0)
        return layout.Count > 0 ? SCREEN_TARGET_ALL : SCREEN_TARGET_MAIN;
    for (int i = 0; i < layout.Count; i++)
        if (lstrcmpiA(choice, layout.Screens[i].Device) == 0)
            return i;
    return SCREEN_TARGET_MAIN;
}

// The stored choice from the open settings key, by the one rule of the
// program, the applet and stylohidctl: true with choice set
// (SCREEN_NAME_SIZE) when the value is a string that fits, else false with
// choice "" (the main screen).  Read through src/os (screen_layout.cpp).
bool ReadScreenValue(HKEY key, char *choice);
// The same rule for any REG_SZ setting: true with its text when the value is
// a string that fits in size with its end, else false with text "".
bool ReadTextValue(HKEY key, const char *name, char *text, DWORD size);

// "2: 1024 x 768 at 1280,0" for screen index i (numbered from 1), with
// " (main)" after the main screen.
static inline void DescribeScreen(const ScreenLayout &layout, int i, char *text,
                                  int size)
{
    const RECT &r = layout.Screens[i].Rect;
    _snprintf(text, size, "%d: %ld x %ld at %ld,%ld%s", i + 1,
              (long)(r.right - r.left), (long)(r.bottom - r.top), (long)r.left,
              (long)r.top, i == 0 ? " (main)" : "");
    text[size - 1] = '\0';
}

#endif
