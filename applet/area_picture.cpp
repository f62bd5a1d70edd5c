#include "area_picture.h"
#include <stdio.h>
#include "area_mapping.h"
#include "panel_edits.h"
#include "panel_resource.h"
#include "panel_state.h"

// How near an edge a press takes hold of it, in pixels.
#define GRIP_REACH 3
// Half the side of a grip's square.
#define GRIP_HALF 2

static bool SurfaceToScale()
{
    return Panel.Maxima.Known && Panel.Maxima.XMax > 0 && Panel.Maxima.YMax > 0;
}

static LONG AreaLimit(LONG max)
{
    return max < AREA_NUMBER_MAX ? max : AREA_NUMBER_MAX;
}

static bool WholeTabletChosen(HWND dialog)
{
    return IsDlgButtonChecked(dialog, IDC_AREA_WHOLE) == BST_CHECKED;
}

// Hundredths as a decimal: "1.33".
static void FormatAspect(char *text, size_t size, int hundredths)
{
    snprintf(text, size, "%d.%02d", hundredths / 100, hundredths % 100);
}

void SetUpAreaPicture(HWND dialog)
{
    LONG screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
    RECT client;
    GetClientRect(GetDlgItem(dialog, IDC_AREA_PICTURE), &client);
    if (SurfaceToScale()) {
        FitSurface(AreaLimit(Panel.Maxima.XMax), AreaLimit(Panel.Maxima.YMax),
                   Panel.Maxima.XMax, Panel.Maxima.YMax, client.right, client.bottom,
                   PICTURE_MARGIN, &Panel.Surface);
    } else {
        // Any number the fields take, in an outline shaped like the screen.
        FitSurface(AREA_NUMBER_MAX, AREA_NUMBER_MAX, screenX, screenY, client.right,
                   client.bottom, PICTURE_MARGIN, &Panel.Surface);
    }
    Panel.Area.StartX = 0;
    Panel.Area.StartY = 0;
    Panel.Area.EndX = Panel.Surface.UnitsX;
    Panel.Area.EndY = Panel.Surface.UnitsY;
    Panel.Grip = GRIP_NONE;
}

// The area's size and proportions as the fields give them.
static void ShowAreaSize(HWND dialog)
{
    char text[96], aspect[16];
    LONG number[AREA_FIELD_COUNT];
    bool whole = WholeTabletChosen(dialog);
    bool read = true;
    if (whole) {
        number[AREA_START_X] = 0;
        number[AREA_START_Y] = 0;
        number[AREA_END_X] = Panel.Maxima.XMax;
        number[AREA_END_Y] = Panel.Maxima.YMax;
        read = SurfaceToScale();
    } else {
        for (int field = 0; field < AREA_FIELD_COUNT; field++) {
            char typed[AREA_TEXT_SIZE];
            GetDlgItemTextA(dialog, AreaFieldIds[field], typed, sizeof typed);
            read = read && ParseAreaNumber(typed, AREA_NUMBER_MAX, &number[field]);
        }
    }
    LONG width = number[AREA_END_X] - number[AREA_START_X];
    LONG height = number[AREA_END_Y] - number[AREA_START_Y];
    if (whole && !read) {
        snprintf(text, sizeof text, "Area: the whole tablet, its size not known");
    } else if (!read || width <= 0 || height <= 0) {
        snprintf(text, sizeof text, "Area: no size while a start is not below its end");
    } else {
        FormatAspect(aspect, sizeof aspect, AspectHundredths(width, height));
        snprintf(text, sizeof text, "Area: %ld x %ld units, aspect %s", (long)width,
                 (long)height, aspect);
    }
    SetDlgItemTextA(dialog, IDC_AREA_SIZE, text);
}

void FollowAreaFields(HWND dialog)
{
    if (WholeTabletChosen(dialog)) {
        Panel.Area.StartX = 0;
        Panel.Area.StartY = 0;
        Panel.Area.EndX = Panel.Surface.UnitsX;
        Panel.Area.EndY = Panel.Surface.UnitsY;
    } else {
        LONG *edges[AREA_FIELD_COUNT] = {&Panel.Area.StartX, &Panel.Area.StartY,
                                         &Panel.Area.EndX, &Panel.Area.EndY};
        for (int field = 0; field < AREA_FIELD_COUNT; field++) {
            char typed[AREA_TEXT_SIZE];
            GetDlgItemTextA(dialog, AreaFieldIds[field], typed, sizeof typed);
            LONG number;
            if (ParseAreaNumber(typed, AREA_NUMBER_MAX, &number))
                *edges[field] = number;
        }
    }
    ShowAreaSize(dialog);
    InvalidateRect(GetDlgItem(dialog, IDC_AREA_PICTURE), NULL, FALSE);
}

// The area as drawn and dragged: inside the surface, each start below its end.
static void ShownArea(AreaUnits *area)
{
    *area = Panel.Area;
    ClampArea(area, Panel.Surface.UnitsX, Panel.Surface.UnitsY);
}

static COLORREF Blend(COLORREF a, COLORREF b, int aParts, int bParts)
{
    int total = aParts + bParts;
    return RGB((GetRValue(a) * aParts + GetRValue(b) * bParts) / total,
               (GetGValue(a) * aParts + GetGValue(b) * bParts) / total,
               (GetBValue(a) * aParts + GetBValue(b) * bParts) / total);
}

static void DrawGrips(HDC dc, const RECT *area)
{
    LONG midX = (area->left + area->right) / 2, midY = (area->top + area->bottom) / 2;
    POINT at[8] = {{area->left, area->top}, {midX, area->top}, {area->right, area->top},
                   {area->right, midY}, {area->right, area->bottom},
                   {midX, area->bottom}, {area->left, area->bottom}, {area->left, midY}};
    for (const POINT &point : at) {
        RECT grip = {point.x - GRIP_HALF, point.y - GRIP_HALF, point.x + GRIP_HALF + 1,
                     point.y + GRIP_HALF + 1};
        FillRect(dc, &grip, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}

static void DrawSurfaceAndArea(HDC dc, HWND dialog, const RECT *bounds)
{
    FillRect(dc, bounds, GetSysColorBrush(COLOR_3DFACE));
    const SurfaceScale *scale = &Panel.Surface;
    RECT surface = {scale->Left, scale->Top, scale->Left + scale->PixelsX + 1,
                    scale->Top + scale->PixelsY + 1};
    FillRect(dc, &surface, GetSysColorBrush(COLOR_WINDOW));
    bool toScale = SurfaceToScale();
    // A dotted outline where the tablet's size is not known.
    HPEN pen = CreatePen(toScale ? PS_SOLID : PS_DOT, 1,
                         GetSysColor(toScale ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, surface.left, surface.top, surface.right, surface.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    AreaUnits area;
    ShownArea(&area);
    RECT pixels;
    AreaToPixels(&area, scale, &pixels);
    RECT filled = {pixels.left, pixels.top, pixels.right + 1, pixels.bottom + 1};
    HBRUSH tint = CreateSolidBrush(Blend(GetSysColor(COLOR_HIGHLIGHT),
                                         GetSysColor(COLOR_WINDOW), 1, 3));
    FillRect(dc, &filled, tint);
    DeleteObject(tint);
    FrameRect(dc, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (toScale && !WholeTabletChosen(dialog))
        DrawGrips(dc, &pixels);

    if (!toScale) {
        HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, "Tablet not connected", -1, &surface,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }
}

void DrawAreaPicture(const DRAWITEMSTRUCT *item)
{
    RECT bounds = item->rcItem;
    int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    // Drawn aside and copied whole, so that a drag does not flicker.
    HDC dc = CreateCompatibleDC(item->hDC);
    HBITMAP bitmap = CreateCompatibleBitmap(item->hDC, width, height);
    if (!dc || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
        RECT local = {0, 0, width, height};
        DrawSurfaceAndArea(item->hDC, GetParent(item->hwndItem), &local);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    // The surface is laid out in the control's own pixels, from its corner.
    RECT local = {0, 0, width, height};
    DrawSurfaceAndArea(dc, GetParent(item->hwndItem), &local);
    BitBlt(item->hDC, bounds.left, bounds.top, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The dialog's client point in the picture's pixels.
static POINT PicturePoint(HWND dialog, POINT point)
{
    MapWindowPoints(dialog, GetDlgItem(dialog, IDC_AREA_PICTURE), &point, 1);
    return point;
}

// Writes each edge whose field does not already read as that number.
static void PutAreaIntoFields(HWND dialog, const AreaUnits *area)
{
    const LONG edges[AREA_FIELD_COUNT] = {area->StartX, area->StartY, area->EndX, area->EndY};
    for (int field = 0; field < AREA_FIELD_COUNT; field++) {
        char typed[AREA_TEXT_SIZE];
        GetDlgItemTextA(dialog, AreaFieldIds[field], typed, sizeof typed);
        LONG number;
        if (ParseAreaNumber(typed, AREA_NUMBER_MAX, &number) && number == edges[field])
            continue;
        char text[AREA_TEXT_SIZE];
        snprintf(text, sizeof text, "%ld", (long)edges[field]);
        SetDlgItemTextA(dialog, AreaFieldIds[field], text);
    }
    Panel.Area = *area;
    FollowAreaFields(dialog);
}

static void ChoosePartWithArea(HWND dialog, const AreaUnits *area)
{
    CheckRadioButton(dialog, IDC_AREA_WHOLE, IDC_AREA_PART, IDC_AREA_PART);
    for (int field = 0; field < AREA_FIELD_COUNT; field++)
        EnableWindow(GetDlgItem(dialog, AreaFieldIds[field]), TRUE);
    PutAreaIntoFields(dialog, area);
}

void SetAreaProportions(HWND dialog, LONG x, LONG y)
{
    AreaUnits present, area;
    ShownArea(&present);
    FitAreaToAspect(&present, Panel.Surface.UnitsX, Panel.Surface.UnitsY, x, y, &area);
    ChoosePartWithArea(dialog, &area);
}

static LPCSTR CursorForGrip(int grip)
{
    const int startCorner = GRIP_START_X | GRIP_START_Y, endCorner = GRIP_END_X | GRIP_END_Y;
    if (grip == GRIP_MOVE)
        return IDC_SIZEALL;
    if (grip == startCorner || grip == endCorner)
        return IDC_SIZENWSE;
    if ((grip & (GRIP_START_X | GRIP_END_X)) && (grip & (GRIP_START_Y | GRIP_END_Y)))
        return IDC_SIZENESW;
    if (grip & (GRIP_START_X | GRIP_END_X))
        return IDC_SIZEWE;
    return IDC_SIZENS;
}

// What a press at the picture's point would hold.  Nothing while the
// tablet's size is not known: the outline's units are not the tablet's, and
// an area dragged on it could reach past the tablet's edges.
static int GripAt(HWND dialog, POINT point)
{
    if (!SurfaceToScale())
        return GRIP_NONE;
    RECT client;
    GetClientRect(GetDlgItem(dialog, IDC_AREA_PICTURE), &client);
    if (!PtInRect(&client, point))
        return GRIP_NONE;
    AreaUnits area;
    ShownArea(&area);
    RECT pixels;
    AreaToPixels(&area, &Panel.Surface, &pixels);
    return FindAreaGrip(&pixels, point, GRIP_REACH);
}

bool PressAreaPicture(HWND dialog, POINT point)
{
    POINT at = PicturePoint(dialog, point);
    int grip = GripAt(dialog, at);
    if (grip == GRIP_NONE)
        return false;
    AreaUnits area;
    ShownArea(&area);
    if (WholeTabletChosen(dialog)) {
        // Dragging the whole tablet's area makes it a part of the tablet.
        ChoosePartWithArea(dialog, &area);
    }
    Panel.Grip = grip;
    Panel.DragFrom = at;
    Panel.DragStart = area;
    SetCapture(dialog);
    SetCursor(LoadCursorA(NULL, CursorForGrip(grip)));
    return true;
}

bool DragAreaPicture(HWND dialog, POINT point)
{
    if (Panel.Grip == GRIP_NONE)
        return false;
    AreaUnits area;
    DragArea(&Panel.DragStart, Panel.Grip, Panel.DragFrom, PicturePoint(dialog, point),
             &Panel.Surface, &area);
    PutAreaIntoFields(dialog, &area);
    SetCursor(LoadCursorA(NULL, CursorForGrip(Panel.Grip)));
    return true;
}

void EndAreaDrag(HWND dialog)
{
    if (Panel.Grip == GRIP_NONE)
        return;
    Panel.Grip = GRIP_NONE;
    if (GetCapture() == dialog)
        ReleaseCapture();
}

bool SetAreaCursor(HWND dialog)
{
    POINT point;
    if (!GetCursorPos(&point))
        return false;
    ScreenToClient(GetDlgItem(dialog, IDC_AREA_PICTURE), &point);
    int grip = Panel.Grip != GRIP_NONE ? Panel.Grip : GripAt(dialog, point);
    if (grip == GRIP_NONE)
        return false;
    SetCursor(LoadCursorA(NULL, CursorForGrip(grip)));
    return true;
}
