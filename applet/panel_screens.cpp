#include "panel_screens.h"
#include <stdio.h>
#include "area_picture.h"
#include "panel_resource.h"
#include "panel_profiles.h"
#include "panel_state.h"

// The list: "Main screen", "All screens", each screen, and last, when the
// stored screen is not connected, that screen by its name.
enum { LIST_MAIN = 0, LIST_ALL = 1, LIST_FIRST_SCREEN = 2 };

static int ChosenItem(HWND dialog)
{
    LRESULT item = SendDlgItemMessageA(dialog, IDC_SCREEN, CB_GETCURSEL, 0, 0);
    return item < 0 ? LIST_MAIN : (int)item;
}

// The layout's index of the screen an item stands for; SCREEN_TARGET_ALL or
// SCREEN_TARGET_MAIN for the others.
static int TargetOfItem(int item)
{
    if (item == LIST_ALL)
        return SCREEN_TARGET_ALL;
    if (item >= LIST_FIRST_SCREEN && item - LIST_FIRST_SCREEN < Panel.Screens.Count)
        return item - LIST_FIRST_SCREEN;
    return SCREEN_TARGET_MAIN;
}

static void ReadStoredScreen()
{
    Panel.StoredScreen[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, SETTINGS_READ_ACCESS,
                      &key) != ERROR_SUCCESS)
        return;
    ReadScreenValue(key, Panel.StoredScreen);
    RegCloseKey(key);
    ReadProfileScreen(Panel.StoredScreen);
}

void SetUpScreenChoice(HWND dialog)
{
    ReadScreenLayout(&Panel.Screens);
    ReadStoredScreen();
    HWND list = GetDlgItem(dialog, IDC_SCREEN);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)"Main screen");
    SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)"All screens");
    for (int i = 0; i < Panel.Screens.Count; i++) {
        char text[96];
        DescribeScreen(Panel.Screens, i, text, sizeof text);
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)text);
    }
    int target = FindChosenScreen(Panel.Screens, Panel.StoredScreen);
    int item = target == SCREEN_TARGET_ALL ? LIST_ALL
             : target >= 0 ? LIST_FIRST_SCREEN + target : LIST_MAIN;
    if (target == SCREEN_TARGET_MAIN && Panel.StoredScreen[0] &&
        lstrcmpiA(Panel.StoredScreen, SCREEN_CHOICE_MAIN) != 0) {
        // Kept unless changed: the program covers it again once it returns.
        char text[96];
        _snprintf(text, sizeof text, "%s (not connected)", Panel.StoredScreen);
        text[sizeof text - 1] = '\0';
        item = (int)SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageA(list, CB_SETCURSEL, (WPARAM)item, 0);
    Panel.OpenedScreen = item;
    ShowChosenScreen(dialog);
}

static RECT ChosenRect(HWND dialog)
{
    int target = TargetOfItem(ChosenItem(dialog));
    if (target == SCREEN_TARGET_ALL)
        return ScreenLayoutBounds(Panel.Screens);
    if (Panel.Screens.Count == 0) {
        RECT main = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return main;
    }
    return Panel.Screens.Screens[target >= 0 ? target : 0].Rect;
}

// The chosen screen's proportions as they lie on the tablet: turned round
// in portrait.
static bool ChosenProportions(HWND dialog, LONG *x, LONG *y)
{
    RECT r = ChosenRect(dialog);
    bool portrait = IsDlgButtonChecked(dialog, IDC_ORIENT_PORTRAIT) == BST_CHECKED;
    *x = portrait ? r.bottom - r.top : r.right - r.left;
    *y = portrait ? r.right - r.left : r.bottom - r.top;
    return portrait;
}

void ShowChosenScreen(HWND dialog)
{
    RECT r = ChosenRect(dialog);
    LONG x, y;
    bool portrait = ChosenProportions(dialog, &x, &y);
    int hundredths = AspectHundredths(x, y);
    char text[96];
    _snprintf(text, sizeof text, "Screen: %ld x %ld pixels, aspect %d.%02d%s",
              (long)(r.right - r.left), (long)(r.bottom - r.top), hundredths / 100,
              hundredths % 100, portrait ? " in portrait" : "");
    text[sizeof text - 1] = '\0';
    SetDlgItemTextA(dialog, IDC_SCREEN_SIZE, text);
    InvalidateRect(GetDlgItem(dialog, IDC_SCREEN_PICTURE), NULL, FALSE);
}

void ChooseMainScreen(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_SCREEN, CB_SETCURSEL, LIST_MAIN, 0);
    ShowChosenScreen(dialog);
}

bool ReadScreenChange(HWND dialog, char *choice)
{
    if (ChosenItem(dialog) == Panel.OpenedScreen)
        return false;
    ReadScreenChoice(dialog, choice);
    return true;
}

void ReadScreenChoice(HWND dialog, char *choice)
{
    int item = ChosenItem(dialog);
    int target = TargetOfItem(item);
    const char *text = target >= 0 ? Panel.Screens.Screens[target].Device
                     : item == LIST_ALL ? SCREEN_CHOICE_ALL
                     : item == LIST_MAIN ? SCREEN_CHOICE_MAIN
                     : Panel.StoredScreen;  // the screen not connected
    lstrcpynA(choice, text, SCREEN_NAME_SIZE);
}

void NoteScreenApplied(HWND dialog)
{
    Panel.OpenedScreen = ChosenItem(dialog);
}

void MatchScreenProportions(HWND dialog)
{
    LONG x, y;
    ChosenProportions(dialog, &x, &y);
    if (x > 0 && y > 0)
        SetAreaProportions(dialog, x, y);
}

void DrawScreenPicture(const DRAWITEMSTRUCT *item)
{
    HDC dc = item->hDC;
    RECT bounds = item->rcItem;
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_3DFACE));
    const ScreenLayout &layout = Panel.Screens;
    if (layout.Count == 0)
        return;
    RECT desk = ScreenLayoutBounds(layout);
    SurfaceScale scale;
    FitSurface(desk.right - desk.left, desk.bottom - desk.top, desk.right - desk.left,
               desk.bottom - desk.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, 2, &scale);
    int target = TargetOfItem(ChosenItem(GetParent(item->hwndItem)));
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(GetParent(item->hwndItem),
                                                           WM_GETFONT, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < layout.Count; i++) {
        const RECT &r = layout.Screens[i].Rect;
        RECT shown = {
            bounds.left + scale.Left + UnitToPixel(r.left - desk.left, scale.UnitsX, scale.PixelsX),
            bounds.top + scale.Top + UnitToPixel(r.top - desk.top, scale.UnitsY, scale.PixelsY),
            bounds.left + scale.Left + UnitToPixel(r.right - desk.left, scale.UnitsX, scale.PixelsX),
            bounds.top + scale.Top + UnitToPixel(r.bottom - desk.top, scale.UnitsY, scale.PixelsY)};
        bool chosen = target == SCREEN_TARGET_ALL || target == i ||
                      (target == SCREEN_TARGET_MAIN && i == 0);
        FillRect(dc, &shown, GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        FrameRect(dc, &shown, GetSysColorBrush(COLOR_WINDOWTEXT));
        char number[8];
        _snprintf(number, sizeof number, "%d", i + 1);
        number[sizeof number - 1] = '\0';
        SetTextColor(dc, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(dc, number, -1, &shown, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, oldFont);
}
