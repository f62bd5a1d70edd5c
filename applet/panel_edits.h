// From stored values to what the controls show, and from what the user
// changed back to the values to write, with the checks on the way.
#ifndef PANEL_EDITS_H
#define PANEL_EDITS_H

#include "panel_state.h"
#include "panel_store.h"

#define PROBLEM_TEXT_SIZE 160

// The controls of the four working-area fields, in PanelAreaField order.
extern const int AreaFieldIds[AREA_FIELD_COUNT];

// Why the changes cannot be written, and the control to put right.
struct PanelProblem {
    int ControlId;
    char Text[PROBLEM_TEXT_SIZE];
};

// What the controls show for the stored values.  A missing value shows the
// program's starting value (absolute, landscape, sensitivity 4, buttons 2 and
// 1, whole tablet; an empty field for a missing working-area number).
void ShowStoredSettings(const StoredSettings *stored, PanelShown *shown);

// Digits only, blanks around them allowed, no more than the limit.
bool ParseAreaNumber(const char *text, LONG limit, LONG *number);

// Collects the values whose control differs from what it showed at opening
// (the slider: also any slider notification; the starting sensitivity when
// Defaults brought it back).  The whole tablet, kept, writes no area numbers.  False, with the problem,
// when a working-area number that would be written is not a number, lies
// outside the tablet or starts at or beyond its end.
bool CollectChanges(const PanelShown *opened, const PanelShown *now,
                    BOOL sliderMoved, const TabletMaxima *maxima,
                    PanelChanges *changes, PanelProblem *problem);

#endif
