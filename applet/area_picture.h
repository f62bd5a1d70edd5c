// The picture of the tablet in the dialog: its surface, the working area on
// it, the sizes beside, and the mouse dragging the area.  The four fields
// and the picture follow each other through Panel.Area.
#ifndef AREA_PICTURE_H
#define AREA_PICTURE_H

#include <windows.h>

// Lays the surface out in the picture control from the tablet's maxima, or
// as an outline of the screen's proportions when they are not known.
void SetUpAreaPicture(HWND dialog);

// The area drawn takes the fields as typed (each field that reads as a
// number), or the whole surface while "Whole tablet" is chosen; the size
// line follows.
void FollowAreaFields(HWND dialog);

// Chooses "Part of the tablet" with the largest area of the proportions
// x : y, centred on the area shown (the whole tablet when its size is not
// known: any number the fields take).
void SetAreaProportions(HWND dialog, LONG x, LONG y);

// Paints the picture control (its WM_DRAWITEM).
void DrawAreaPicture(const DRAWITEMSTRUCT *item);

// The mouse over the dialog, at a point in the dialog's client pixels.  A
// press on the area or its edges begins a drag (choosing "Part of the
// tablet" if the whole was chosen); each move puts the dragged area into
// the fields; a release ends it.  While the tablet's size is not known the
// area is not dragged (the fields still take it).  True when the message was
// taken.
bool PressAreaPicture(HWND dialog, POINT point);
bool DragAreaPicture(HWND dialog, POINT point);
void EndAreaDrag(HWND dialog);

// The pointer's shape over the area's edges and inside; true when set.
bool SetAreaCursor(HWND dialog);

#endif
