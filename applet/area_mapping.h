// Between the working area in tablet units and its picture in pixels: where
// the tablet's surface lies in the picture, each edge of the area in units
// and in pixels, and what a drag with the mouse does to the area.  Pure
// arithmetic, no window.
#ifndef AREA_MAPPING_H
#define AREA_MAPPING_H

#include <windows.h>

// Free pixels the dialog keeps around the surface in its picture, room for
// the grips on the surface's border.
#define PICTURE_MARGIN 4

// A working area in tablet units: start X, start Y, end X, end Y.
struct AreaUnits {
    LONG StartX;
    LONG StartY;
    LONG EndX;
    LONG EndY;
};

// The tablet's surface in the picture: units 0..UnitsX run from pixel Left
// to pixel Left + PixelsX, units 0..UnitsY from Top to Top + PixelsY.
struct SurfaceScale {
    LONG UnitsX;
    LONG UnitsY;
    int Left;
    int Top;
    int PixelsX;
    int PixelsY;
};

// What the mouse holds of the area: edges (combined for a corner), or the
// whole area to move it.
enum AreaGrip {
    GRIP_NONE = 0,
    GRIP_START_X = 1,
    GRIP_START_Y = 2,
    GRIP_END_X = 4,
    GRIP_END_Y = 8,
    GRIP_MOVE = 16
};

// Lays a surface of unitsX by unitsY units (each at least 1) into a picture
// of width by height pixels, keeping margin pixels free all round, centred
// and as large as fits with the proportions aspectX : aspectY.
void FitSurface(LONG unitsX, LONG unitsY, LONG aspectX, LONG aspectY,
                int width, int height, int margin, SurfaceScale *scale);

// One axis: a unit from 0..units to a pixel offset in 0..pixels, and back,
// both rounded to the nearest; values outside are first clamped, so that
// 0 and units land exactly on the surface's edges.
int UnitToPixel(LONG unit, LONG units, int pixels);
LONG PixelToUnit(int pixel, int pixels, LONG units);

// The area's rectangle in picture pixels (edges inclusive), clamped to the
// surface.
void AreaToPixels(const AreaUnits *area, const SurfaceScale *scale, RECT *pixels);

// What a press at the point would take hold of: an edge or corner within
// reach pixels of it, else the inside to move, else nothing.
int FindAreaGrip(const RECT *pixels, POINT point, int reach);

// Puts the area inside the surface, starts before ends by at least one unit.
void ClampArea(AreaUnits *area, LONG unitsX, LONG unitsY);

// The area after the mouse, pressed at from on the grip of start, has come
// to to.  A held edge goes where the pointer puts it (the surface's border
// pixel gives exactly 0 or the maximum); a moved area keeps its size.  The
// result is clamped to the surface.
void DragArea(const AreaUnits *start, int grip, POINT from, POINT to,
              const SurfaceScale *scale, AreaUnits *area);

// The largest area of the proportions aspectX : aspectY (each at least 1)
// on a surface of unitsX by unitsY units, centred on the present area and
// then moved as little as keeps it on the surface.
void FitAreaToAspect(const AreaUnits *present, LONG unitsX, LONG unitsY,
                     LONG aspectX, LONG aspectY, AreaUnits *area);

// Width to height in hundredths, rounded (133 for 4:3); 0 for no height.
int AspectHundredths(LONG width, LONG height);

#endif
