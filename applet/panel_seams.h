/* The applet's seams: the registry writes, the tablet's size and the start
   of the program can be replaced, so that a refused write, a present tablet
   or a started program can be exercised where none can be arranged.  Only
   the tests' copy of the applet, penpanel-seams.cpl, exports
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

/* Starts the program file at path, with the parameters ("" for none),
   in the folder, through the shell; ERROR_SUCCESS or the error. */
typedef DWORD (*PanelStartProcess)(const char *path, const char *parameters,
                                   const char *folder);

struct PanelTestSeams {
    PanelOpenKeyForWrite OpenKeyForWrite;
    PanelSetDword SetDword;
    PanelReadTabletMaxima ReadTabletMaxima;
    PanelStartProcess StartProcess;
};

typedef void (*SetPanelTestSeamsProc)(const PanelTestSeams *seams);

#endif
