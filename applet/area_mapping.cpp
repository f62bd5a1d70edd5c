#include "area_mapping.h"

static LONG ClampLong(LONG value, LONG low, LONG high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

// n * mul / div, rounded half away from zero.
static LONG ScaleRounded(LONG n, LONG mul, LONG div)
{
    if (div <= 0)
        return 0;
    LONGLONG product = (LONGLONG)n * mul;
    LONGLONG magnitude = (product < 0 ? -product : product) + div / 2;
    LONGLONG quotient = magnitude / div;
    return (LONG)(product < 0 ? -quotient : quotient);
}

void FitSurface(LONG unitsX, LONG unitsY, LONG aspectX, LONG aspectY,
                int width, int height, int margin, SurfaceScale *scale)
{
    scale->UnitsX = unitsX > 0 ? unitsX : 1;
    scale->UnitsY = unitsY > 0 ? unitsY : 1;
    if (aspectX <= 0 || aspectY <= 0) {
        aspectX = scale->UnitsX;
        aspectY = scale->UnitsY;
    }
    // The border pixels belong to the surface: its last pixel is Left + PixelsX.
    int roomX = width - 2 * margin - 1;
    int roomY = height - 2 * margin - 1;
    if (roomX < 1)
        roomX = 1;
    if (roomY < 1)
        roomY = 1;
    if ((LONGLONG)aspectX * roomY >= (LONGLONG)aspectY * roomX) {
        scale->PixelsX = roomX;
        scale->PixelsY = (int)ScaleRounded(roomX, aspectY, aspectX);
    } else {
        scale->PixelsY = roomY;
        scale->PixelsX = (int)ScaleRounded(roomY, aspectX, aspectY);
    }
    if (scale->PixelsX < 1)
        scale->PixelsX = 1;
    if (scale->PixelsY < 1)
        scale->PixelsY = 1;
    scale->Left = (width - scale->PixelsX - 1) / 2;
    scale->Top = (height - scale->PixelsY - 1) / 2;
}

int UnitToPixel(LONG unit, LONG units, int pixels)
{
    if (units <= 0)
        return 0;
    return (int)ScaleRounded(ClampLong(unit, 0, units), pixels, units);
}

LONG PixelToUnit(int pixel, int pixels, LONG units)
{
    if (pixels <= 0)
        return 0;
    return ScaleRounded(ClampLong(pixel, 0, pixels), units, pixels);
}

void AreaToPixels(const AreaUnits *area, const SurfaceScale *scale, RECT *pixels)
{
    pixels->left = scale->Left + UnitToPixel(area->StartX, scale->UnitsX, scale->PixelsX);
    pixels->top = scale->Top + UnitToPixel(area->StartY, scale->UnitsY, scale->PixelsY);
    pixels->right = scale->Left + UnitToPixel(area->EndX, scale->UnitsX, scale->PixelsX);
    pixels->bottom = scale->Top + UnitToPixel(area->EndY, scale->UnitsY, scale->PixelsY);
}

static LONG Distance(LONG a, LONG b)
{
    return a > b ? a - b : b - a;
}

// Of two edges within reach, the nearer; the end one on a tie, so that a
// collapsed area can be pulled open.
static int GripOnAxis(LONG position, LONG start, LONG end, int reach, int startGrip,
                      int endGrip)
{
    LONG toStart = Distance(position, start), toEnd = Distance(position, end);
    if (toStart > reach && toEnd > reach)
        return GRIP_NONE;
    return toEnd <= toStart ? endGrip : startGrip;
}

int FindAreaGrip(const RECT *pixels, POINT point, int reach)
{
    bool withinX = point.x >= pixels->left - reach && point.x <= pixels->right + reach;
    bool withinY = point.y >= pixels->top - reach && point.y <= pixels->bottom + reach;
    if (!withinX || !withinY)
        return GRIP_NONE;
    int grip = GripOnAxis(point.x, pixels->left, pixels->right, reach,
                          GRIP_START_X, GRIP_END_X) |
               GripOnAxis(point.y, pixels->top, pixels->bottom, reach,
                          GRIP_START_Y, GRIP_END_Y);
    if (grip != GRIP_NONE)
        return grip;
    return GRIP_MOVE;
}

static void ClampAxis(LONG *start, LONG *end, LONG units)
{
    if (*start > *end) {
        LONG swap = *start;
        *start = *end;
        *end = swap;
    }
    *start = ClampLong(*start, 0, units - 1);
    *end = ClampLong(*end, *start + 1, units);
}

void ClampArea(AreaUnits *area, LONG unitsX, LONG unitsY)
{
    ClampAxis(&area->StartX, &area->EndX, unitsX > 0 ? unitsX : 1);
    ClampAxis(&area->StartY, &area->EndY, unitsY > 0 ? unitsY : 1);
}

// A held edge: where the pointer has taken the edge's pixel; unchanged while
// the pointer is back where it was pressed.
static LONG DragEdge(LONG edge, int moved, LONG units, int pixels)
{
    if (moved == 0)
        return edge;
    return PixelToUnit(UnitToPixel(edge, units, pixels) + moved, pixels, units);
}

// Moves start and end together by moved pixels, the whole span kept on the surface.
static void MoveSpan(LONG *start, LONG *end, int moved, LONG units, int pixels)
{
    LONG size = *end - *start;
    LONG shifted = ClampLong(*start + ScaleRounded(moved, units, pixels), 0, units - size);
    *start = shifted;
    *end = shifted + size;
}

void DragArea(const AreaUnits *start, int grip, POINT from, POINT to,
              const SurfaceScale *scale, AreaUnits *area)
{
    *area = *start;
    ClampArea(area, scale->UnitsX, scale->UnitsY);
    int movedX = (int)(to.x - from.x), movedY = (int)(to.y - from.y);
    if (grip & GRIP_MOVE) {
        MoveSpan(&area->StartX, &area->EndX, movedX, scale->UnitsX, scale->PixelsX);
        MoveSpan(&area->StartY, &area->EndY, movedY, scale->UnitsY, scale->PixelsY);
        return;
    }
    // An edge dragged past the opposite one stops a unit short of it.
    if (grip & GRIP_START_X)
        area->StartX = ClampLong(DragEdge(area->StartX, movedX, scale->UnitsX, scale->PixelsX),
                                 0, area->EndX - 1);
    if (grip & GRIP_END_X)
        area->EndX = ClampLong(DragEdge(area->EndX, movedX, scale->UnitsX, scale->PixelsX),
                               area->StartX + 1, scale->UnitsX);
    if (grip & GRIP_START_Y)
        area->StartY = ClampLong(DragEdge(area->StartY, movedY, scale->UnitsY, scale->PixelsY),
                                 0, area->EndY - 1);
    if (grip & GRIP_END_Y)
        area->EndY = ClampLong(DragEdge(area->EndY, movedY, scale->UnitsY, scale->PixelsY),
                               area->StartY + 1, scale->UnitsY);
}

int AspectHundredths(LONG width, LONG height)
{
    if (height <= 0 || width < 0)
        return 0;
    return (int)ScaleRounded(width, 100, height);
}

// One axis of a centred span: its start, kept on 0..units.
static LONG CentredStart(LONG presentStart, LONG presentEnd, LONG span, LONG units)
{
    LONG start = (presentStart + presentEnd - span) / 2;
    if (start > units - span)
        start = units - span;
    return start < 0 ? 0 : start;
}

void FitAreaToAspect(const AreaUnits *present, LONG unitsX, LONG unitsY,
                     LONG aspectX, LONG aspectY, AreaUnits *area)
{
    LONG width = unitsX, height = unitsY;
    if ((LONGLONG)unitsX * aspectY > (LONGLONG)unitsY * aspectX)
        width = (LONG)(((LONGLONG)unitsY * aspectX * 2 + aspectY) / (2 * (LONGLONG)aspectY));
    else
        height = (LONG)(((LONGLONG)unitsX * aspectY * 2 + aspectX) / (2 * (LONGLONG)aspectX));
    area->StartX = CentredStart(present->StartX, present->EndX, width, unitsX);
    area->StartY = CentredStart(present->StartY, present->EndY, height, unitsY);
    area->EndX = area->StartX + width;
    area->EndY = area->StartY + height;
}
