/* The applet's seams: the registry writes and the tablet's size can be
   replaced, so that a refused write or a present tablet can be exercised
   where neither can be arranged.  Exported from penpanel.cpl as
   SetPanelTestSeams; a NULL record, or a NULL field, means the real call. */
#ifndef PANEL_SEAMS_H
#define PANEL_SEAMS_H

#include <windows.h>

/* Opens (creating if need be) the settings key for setting and querying values. */
typedef LONG (*PanelOpenKeyForWrite)(HKEY *key);
/* Writes one REG_DWORD value. */
typedef LONG (*PanelSetDword)(HKEY key, const char *name, DWORD number);
/* The X and Y logical maxima of the tablet's input report; FALSE when no
   tablet is present. */
typedef BOOL (*PanelReadTabletMaxima)(LONG *xMax, LONG *yMax);

struct PanelTestSeams {
    PanelOpenKeyForWrite OpenKeyForWrite;
    PanelSetDword SetDword;
    PanelReadTabletMaxima ReadTabletMaxima;
};

typedef void (*SetPanelTestSeamsProc)(const PanelTestSeams *seams);

#endif
