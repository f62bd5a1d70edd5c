#include "panel_edits.h"
#include <stdio.h>
#include <string.h>
#include "panel_resource.h"
#include "shared/stored_values.h"

const int AreaFieldIds[AREA_FIELD_COUNT] = {
    IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y
};
static const char *const AreaFieldNames[AREA_FIELD_COUNT] = {
    "Start X", "Start Y", "End X", "End Y"
};

static int ClampSlider(LONG number)
{
    if (number < SENSITIVITY_MIN)
        return SENSITIVITY_MIN;
    if (number > SENSITIVITY_MAX)
        return SENSITIVITY_MAX;
    return (int)number;
}

// The program acts on a button's low 16 bits, taken as a signed number.
static int ShowAction(const StoredSettings *stored, int value, int start)
{
    if (!stored->Present[value])
        return start;
    SHORT code = (SHORT)LOWORD(stored->Number[value]);
    return FindActionRow(code) >= 0 ? code : -1;
}

void ShowStoredSettings(const StoredSettings *stored, PanelShown *shown)
{
    ZeroMemory(shown, sizeof *shown);
    shown->Absolute = stored->Present[PANEL_ABSOLUTE]
        ? (stored->Number[PANEL_ABSOLUTE] != 0 ? 1 : 0) : START_ABSOLUTE_MODE;

    shown->Orientation = START_ORIENTATION;
    if (stored->Present[PANEL_LANDSCAPE]) {
        DWORD orientation = stored->Number[PANEL_LANDSCAPE];
        shown->Orientation = orientation <= 1 ? (int)orientation : -1;
    }

    shown->Sensitivity = ClampSlider(stored->Present[PANEL_SENSITIVITY]
        ? (LONG)stored->Number[PANEL_SENSITIVITY] : START_SENSITIVITY);
    shown->StartingSensitivity = !stored->Present[PANEL_SENSITIVITY] ||
                                 stored->Number[PANEL_SENSITIVITY] == START_SENSITIVITY;

    shown->Button1 = ShowAction(stored, PANEL_BUTTON1, START_BUTTON1_ACTION);
    shown->Button2 = ShowAction(stored, PANEL_BUTTON2, START_BUTTON2_ACTION);
    shown->Reconnect = stored->Present[PANEL_RECONNECT] && stored->Number[PANEL_RECONNECT] != 0;
    // The program takes a larger number as the strongest.
    DWORD smoothing = stored->Present[PANEL_SMOOTHING] ? stored->Number[PANEL_SMOOTHING] : 0;
    shown->Smoothing = smoothing > SMOOTHING_MAX ? SMOOTHING_MAX : (int)smoothing;
    shown->SteadyClicks = stored->Present[PANEL_STEADY_CLICKS] &&
                          stored->Number[PANEL_STEADY_CLICKS] != 0;

    // The program takes the working area's values as 16 bits.
    shown->WholeTablet = !stored->Present[PANEL_WORKING_AREA] ||
                         LOWORD(stored->Number[PANEL_WORKING_AREA]) == 1;
    for (int field = 0; field < AREA_FIELD_COUNT; field++) {
        int value = PANEL_START_X + field;
        if (stored->Present[value])
            snprintf(shown->Area[field], AREA_TEXT_SIZE, "%u",
                     (unsigned)LOWORD(stored->Number[value]));
    }
}

static void AddChange(PanelChanges *changes, int value, DWORD number)
{
    changes->Value[changes->Count] = value;
    changes->Number[changes->Count] = number;
    changes->Count++;
}

static bool ChoiceChanged(int opened, int now)
{
    return now >= 0 && now != opened;
}

// Largest number the field may hold: the tablet's maximum when known.
static LONG AreaFieldLimit(int field, const TabletMaxima *maxima)
{
    if (!maxima->Known)
        return AREA_NUMBER_MAX;
    LONG max = field == AREA_START_X || field == AREA_END_X ? maxima->XMax : maxima->YMax;
    if (max < 0)
        return 0;
    return max < AREA_NUMBER_MAX ? max : AREA_NUMBER_MAX;
}

bool ParseAreaNumber(const char *text, LONG limit, LONG *number)
{
    while (*text == ' ')
        text++;
    if (*text < '0' || *text > '9')
        return false;
    LONG value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > limit)
            return false;
    }
    while (*text == ' ')
        text++;
    if (*text != '\0')
        return false;
    *number = value;
    return true;
}

static void ReportNotANumber(PanelProblem *problem, int field, LONG limit,
                             const TabletMaxima *maxima)
{
    problem->ControlId = AreaFieldIds[field];
    snprintf(problem->Text, PROBLEM_TEXT_SIZE, "%s must be a whole number from 0 to %ld%s.",
             AreaFieldNames[field], (long)limit,
             maxima->Known ? " (the tablet's size)" : "");
}

static void ReportStartNotBeforeEnd(PanelProblem *problem, int start, int end)
{
    problem->ControlId = AreaFieldIds[start];
    snprintf(problem->Text, PROBLEM_TEXT_SIZE, "%s must be less than %s.",
             AreaFieldNames[start], AreaFieldNames[end]);
}

static bool CollectAreaChanges(const PanelShown *opened, const PanelShown *now,
                               const TabletMaxima *maxima, PanelChanges *changes,
                               PanelProblem *problem)
{
    bool modeChanged = now->WholeTablet != opened->WholeTablet;
    // The whole tablet kept: its greyed fields only show the area in force.
    if (now->WholeTablet && !modeChanged)
        return true;
    // A field differs from the stored number unless both read as the same number.
    bool fieldChanged[AREA_FIELD_COUNT];
    bool anyChanged = modeChanged;
    for (int field = 0; field < AREA_FIELD_COUNT; field++) {
        LONG was, is;
        fieldChanged[field] =
            strcmp(now->Area[field], opened->Area[field]) != 0 &&
            !(ParseAreaNumber(opened->Area[field], AREA_NUMBER_MAX, &was) &&
              ParseAreaNumber(now->Area[field], AREA_NUMBER_MAX, &is) && was == is);
        anyChanged = anyChanged || fieldChanged[field];
    }
    if (!anyChanged)
        return true;

    // A part of the tablet needs all four numbers, each start before its end;
    // the whole tablet needs only the numbers being written.
    LONG number[AREA_FIELD_COUNT] = {0, 0, 0, 0};
    for (int field = 0; field < AREA_FIELD_COUNT; field++) {
        if (now->WholeTablet && !fieldChanged[field])
            continue;
        LONG limit = AreaFieldLimit(field, maxima);
        if (!ParseAreaNumber(now->Area[field], limit, &number[field])) {
            ReportNotANumber(problem, field, limit, maxima);
            return false;
        }
    }
    if (!now->WholeTablet) {
        for (int start = AREA_START_X; start <= AREA_START_Y; start++) {
            int end = start + (AREA_END_X - AREA_START_X);
            if (number[start] >= number[end]) {
                ReportStartNotBeforeEnd(problem, start, end);
                return false;
            }
        }
    }

    if (modeChanged)
        AddChange(changes, PANEL_WORKING_AREA, now->WholeTablet ? 1 : 0);
    for (int field = 0; field < AREA_FIELD_COUNT; field++) {
        if (fieldChanged[field])
            AddChange(changes, PANEL_START_X + field, (DWORD)number[field]);
    }
    return true;
}

bool CollectChanges(const PanelShown *opened, const PanelShown *now,
                    BOOL sliderMoved, const TabletMaxima *maxima,
                    PanelChanges *changes, PanelProblem *problem)
{
    ZeroMemory(changes, sizeof *changes);
    ZeroMemory(problem, sizeof *problem);
    if (ChoiceChanged(opened->Absolute, now->Absolute))
        AddChange(changes, PANEL_ABSOLUTE, (DWORD)now->Absolute);
    if (ChoiceChanged(opened->Orientation, now->Orientation))
        AddChange(changes, PANEL_LANDSCAPE, (DWORD)now->Orientation);
    // As the program's own slider: any notification counts as a choice.
    // Defaults brings back the starting value itself, below the slider's range.
    if (sliderMoved) {
        AddChange(changes, PANEL_SENSITIVITY, (DWORD)now->Sensitivity);
    } else if (now->StartingSensitivity) {
        if (!opened->StartingSensitivity)
            AddChange(changes, PANEL_SENSITIVITY, START_SENSITIVITY);
    } else if (now->Sensitivity != opened->Sensitivity) {
        AddChange(changes, PANEL_SENSITIVITY, (DWORD)now->Sensitivity);
    }
    if (!CollectAreaChanges(opened, now, maxima, changes, problem)) {
        changes->Count = 0;
        return false;
    }
    if (ChoiceChanged(opened->Button1, now->Button1))
        AddChange(changes, PANEL_BUTTON1, (DWORD)now->Button1);
    if (ChoiceChanged(opened->Button2, now->Button2))
        AddChange(changes, PANEL_BUTTON2, (DWORD)now->Button2);
    if (now->Reconnect != opened->Reconnect)
        AddChange(changes, PANEL_RECONNECT, now->Reconnect ? 1 : 0);
    if (now->Smoothing != opened->Smoothing)
        AddChange(changes, PANEL_SMOOTHING, (DWORD)now->Smoothing);
    if (now->SteadyClicks != opened->SteadyClicks)
        AddChange(changes, PANEL_STEADY_CLICKS, now->SteadyClicks ? 1 : 0);
    return true;
}
