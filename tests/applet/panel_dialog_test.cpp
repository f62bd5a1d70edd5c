// The settings dialog: what it shows, what OK, Apply and Cancel write, and
// what it refuses.
#include "applet_harness.h"
#include <commctrl.h>
#include <ctype.h>
#include <string.h>
#include "shared/screen_layout.h"
#include "panel_resource.h"
#include "shared/stored_values.h"

namespace {

// A complete, ordinary set of stored values: relative, portrait, part of
// the tablet.
StoredNumbers OrdinaryValues()
{
    return {
        {VALUE_ABSOLUTE, 0}, {VALUE_LANDSCAPE, 1}, {VALUE_SENSITIVITY, 23},
        {VALUE_WORKING_AREA, 0}, {VALUE_START_X, 100}, {VALUE_START_Y, 200},
        {VALUE_END_X, 3000}, {VALUE_END_Y, 4000},
        {VALUE_BUTTON1, 10}, {VALUE_BUTTON2, 38},
    };
}

int Selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

int SliderPosition(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_SENSITIVITY, TBM_GETPOS, 0, 0);
}

LONG RefuseOpen(HKEY *) { return ERROR_ACCESS_DENIED; }

int WritesSeen;
LONG RefuseSecondWrite(HKEY key, const char *name, DWORD number)
{
    if (++WritesSeen == 2)
        return ERROR_ACCESS_DENIED;
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

} // namespace

// ---- What the controls show ------------------------------------------------

TEST_F(AppletTest, EveryControlShowsTheStoredValue)
{
    PutAll(OrdinaryValues());
    WithDialog([&](HWND dialog) {
        EXPECT_FALSE(IsChecked(dialog, IDC_MODE_ABSOLUTE));
        EXPECT_TRUE(IsChecked(dialog, IDC_MODE_RELATIVE));
        EXPECT_FALSE(IsChecked(dialog, IDC_ORIENT_LANDSCAPE));
        EXPECT_TRUE(IsChecked(dialog, IDC_ORIENT_PORTRAIT));
        EXPECT_EQ(23, SliderPosition(dialog));
        EXPECT_EQ(10, Selection(dialog, IDC_BUTTON1));
        EXPECT_EQ("Ctrl+C", ControlText(dialog, IDC_BUTTON1));
        EXPECT_EQ(38, Selection(dialog, IDC_BUTTON2));
        EXPECT_EQ("F12", ControlText(dialog, IDC_BUTTON2));
        EXPECT_FALSE(IsChecked(dialog, IDC_AREA_WHOLE));
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_PART));
        EXPECT_EQ("100", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("200", ControlText(dialog, IDC_START_Y));
        EXPECT_EQ("3000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("4000", ControlText(dialog, IDC_END_Y));
        EXPECT_TRUE(IsEnabled(dialog, IDC_START_X));
        EXPECT_TRUE(IsEnabled(dialog, IDC_END_Y));
        EXPECT_FALSE(IsChecked(dialog, IDC_RECONNECT));  // Reconnect missing
        EXPECT_EQ("", ControlText(dialog, IDC_PANEL_MESSAGE));
    });
}

TEST_F(AppletTest, TheOtherChoicesShowToo)
{
    PutAll({{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, 50},
            {VALUE_WORKING_AREA, 1}, {VALUE_START_X, 0}, {VALUE_START_Y, 0},
            {VALUE_END_X, 500}, {VALUE_END_Y, 600},
            {VALUE_BUTTON1, 0}, {VALUE_BUTTON2, 13}, {VALUE_RECONNECT, 1}});
    WithDialog([&](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_RECONNECT));
        EXPECT_TRUE(IsChecked(dialog, IDC_MODE_ABSOLUTE));
        EXPECT_FALSE(IsChecked(dialog, IDC_MODE_RELATIVE));
        EXPECT_TRUE(IsChecked(dialog, IDC_ORIENT_LANDSCAPE));
        EXPECT_FALSE(IsChecked(dialog, IDC_ORIENT_PORTRAIT));
        EXPECT_EQ(50, SliderPosition(dialog));
        EXPECT_EQ("Nothing", ControlText(dialog, IDC_BUTTON1));
        EXPECT_EQ("Alt+F4", ControlText(dialog, IDC_BUTTON2));
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_WHOLE));
        EXPECT_FALSE(IsChecked(dialog, IDC_AREA_PART));
        // The whole tablet leaves nothing to type.
        EXPECT_FALSE(IsEnabled(dialog, IDC_START_X));
        EXPECT_FALSE(IsEnabled(dialog, IDC_END_Y));
    });
}

TEST_F(AppletTest, ActionListsNameEveryCodeInOrder)
{
    WithDialog([&](HWND dialog) {
        for (int id : {IDC_BUTTON1, IDC_BUTTON2}) {
            ASSERT_EQ(ACTION_NAME_COUNT,
                      (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
            for (int row = 0; row < ACTION_NAME_COUNT; row++) {
                char text[64] = "";
                SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, row, (LPARAM)text);
                EXPECT_STREQ(ActionListText(row), text) << "row " << row;
            }
        }
        EXPECT_STREQ("Left double click", ActionListText(FindActionRow(2)));
        EXPECT_STREQ("Windows+F1", ActionListText(FindActionRow(15)));
        EXPECT_STREQ("Esc", ActionListText(FindActionRow(16)));
        EXPECT_STREQ("Scroll (hold and move)", ActionListText(FindActionRow(64)));
    });
}

TEST_F(AppletTest, MissingValuesShowTheProgramsStartingValues)
{
    WithDialog([&](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_MODE_ABSOLUTE));
        EXPECT_TRUE(IsChecked(dialog, IDC_ORIENT_LANDSCAPE));
        EXPECT_EQ(SENSITIVITY_MIN, SliderPosition(dialog));  // 4, below the range
        EXPECT_EQ(2, Selection(dialog, IDC_BUTTON1));
        EXPECT_EQ(1, Selection(dialog, IDC_BUTTON2));
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_WHOLE));
        EXPECT_EQ("", ControlText(dialog, IDC_START_X));
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    // Looking is not changing: nothing is written, the key is not even made.
    EXPECT_TRUE(ReadAllStored().empty());
    EXPECT_EQ(0, ReloadsReceived);
}

TEST_F(AppletTest, ShowsTheTabletsSizeOrThatItIsNotKnown)
{
    WithDialog([&](HWND dialog) {
        EXPECT_NE(std::string::npos,
                  ControlText(dialog, IDC_TABLET_SIZE).find("not connected"));
    });
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    WithDialog([&](HWND dialog) {
        std::string size = ControlText(dialog, IDC_TABLET_SIZE);
        EXPECT_NE(std::string::npos, size.find("20000")) << size;
        EXPECT_NE(std::string::npos, size.find("15000")) << size;
    });
}

// ---- OK, Apply and Cancel ----------------------------------------------------

TEST_F(AppletTest, OkWritesExactlyTheChangedValuesAndReloadsOnce)
{
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_MODE_ABSOLUTE);
        MoveSlider(dialog, 30);
        SelectAction(dialog, IDC_BUTTON1, 11);
        TypeText(dialog, IDC_START_X, "150");
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_EQ("", ControlText(dialog, IDC_PANEL_MESSAGE));
    });
    StoredNumbers expected = before;
    expected[VALUE_ABSOLUTE] = 1;
    expected[VALUE_SENSITIVITY] = 30;
    expected[VALUE_BUTTON1] = 11;
    expected[VALUE_START_X] = 150;
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, EveryOtherControlWritesItsValueInTheProgramsTerms)
{
    PutAll({{VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_WORKING_AREA, 1},
            {VALUE_BUTTON2, 1}});
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_MODE_RELATIVE);
        ClickControl(dialog, IDC_ORIENT_PORTRAIT);
        SelectAction(dialog, IDC_BUTTON2, 38);
        ClickControl(dialog, IDC_AREA_PART);
        EXPECT_TRUE(IsEnabled(dialog, IDC_END_X));
        TypeText(dialog, IDC_START_X, "10");
        TypeText(dialog, IDC_START_Y, "20");
        TypeText(dialog, IDC_END_X, "65535");
        TypeText(dialog, IDC_END_Y, " 900 ");
        ClickControl(dialog, IDC_RECONNECT);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = {
        {VALUE_ABSOLUTE, 0}, {VALUE_LANDSCAPE, 1}, {VALUE_WORKING_AREA, 0},
        {VALUE_START_X, 10}, {VALUE_START_Y, 20}, {VALUE_END_X, 65535},
        {VALUE_END_Y, 900}, {VALUE_BUTTON2, 38}, {VALUE_RECONNECT, 1},
    };
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, WithNoKeyOnlyTheChangedValueIsCreated)
{
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON1, 10);
        ClickControl(dialog, IDOK);
    });
    StoredNumbers expected = {{VALUE_BUTTON1, 10}};
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, ValuesNoControlCanShowAreKeptUnlessChanged)
{
    PutAll({{VALUE_SENSITIVITY, 4}, {VALUE_BUTTON1, 300}, {VALUE_BUTTON2, 0xFFFFFFFF},
            {VALUE_LANDSCAPE, 7}, {VALUE_ABSOLUTE, 5}});
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(SENSITIVITY_MIN, SliderPosition(dialog));
        EXPECT_EQ(CB_ERR, Selection(dialog, IDC_BUTTON1));
        EXPECT_EQ(CB_ERR, Selection(dialog, IDC_BUTTON2));
        EXPECT_FALSE(IsChecked(dialog, IDC_ORIENT_LANDSCAPE));
        EXPECT_FALSE(IsChecked(dialog, IDC_ORIENT_PORTRAIT));
        EXPECT_TRUE(IsChecked(dialog, IDC_MODE_ABSOLUTE));  // nonzero is absolute
        ClickControl(dialog, IDC_AREA_WHOLE);  // already chosen: no change
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = {{VALUE_SENSITIVITY, 4}, {VALUE_BUTTON1, 300},
                              {VALUE_BUTTON2, 0xFFFFFFFF}, {VALUE_LANDSCAPE, 7},
                              {VALUE_ABSOLUTE, 5}};
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(0, ReloadsReceived);

    // Changing one of them writes that one only.
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON1, 12);
        ClickControl(dialog, IDOK);
    });
    expected[VALUE_BUTTON1] = 12;
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, TouchingTheSliderChoosesItsPositionAsTheProgramsSliderDoes)
{
    PutStoredDword(VALUE_SENSITIVITY, 4);
    WithDialog([&](HWND dialog) {
        MoveSlider(dialog, 5);  // where it stood
        ClickControl(dialog, IDOK);
    });
    DWORD sensitivity = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_SENSITIVITY, &sensitivity));
    EXPECT_EQ(5u, sensitivity);
}

TEST_F(AppletTest, AValueOfAnotherTypeIsShownAsMissingAndKept)
{
    PutStoredString(VALUE_BUTTON1, "10");
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(2, Selection(dialog, IDC_BUTTON1));
        ClickControl(dialog, IDOK);
    });
    DWORD number;
    EXPECT_FALSE(ReadStoredDword(VALUE_BUTTON1, &number));
    EXPECT_TRUE(StoredValueExists(VALUE_BUTTON1));
}

TEST_F(AppletTest, CancelWritesNothing)
{
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_MODE_ABSOLUTE);
        ClickControl(dialog, IDC_ORIENT_LANDSCAPE);
        MoveSlider(dialog, 41);
        SelectAction(dialog, IDC_BUTTON1, 0);
        SelectAction(dialog, IDC_BUTTON2, 1);
        ClickControl(dialog, IDC_AREA_WHOLE);
        ClickControl(dialog, IDCANCEL);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(before, ReadAllStored());
    EXPECT_EQ(0, ReloadsReceived);
}

TEST_F(AppletTest, ApplyWritesAndReloadsAndKeepsTheDialogOpen)
{
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    StoredNumbers afterApply = before;
    afterApply[VALUE_BUTTON2] = 16;
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON2, 16);
        ClickControl(dialog, IDC_APPLY);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(afterApply, ReadAllStored());
        EXPECT_EQ(1, ReloadsReceived);
        // Applied is no longer a change: OK then writes and sends nothing more.
        PutStoredDword(VALUE_BUTTON2, 17);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    afterApply[VALUE_BUTTON2] = 17;
    EXPECT_EQ(afterApply, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

namespace {

// The stand-in on a thread of its own, as the real program is elsewhere.
struct StandInThread {
    HANDLE Ready;
    DWORD ThreadId;
    HWND Window;
};

DWORD WINAPI RunStandInThread(LPVOID parameter)
{
    StandInThread *standIn = (StandInThread *)parameter;
    standIn->Window = CreateProgramStandIn();
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);  // the queue exists
    SetEvent(standIn->Ready);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    DestroyProgramStandIn(standIn->Window);
    return 0;
}

} // namespace

TEST_F(AppletTest, TheReloadReachesAProgramOnAnotherThreadBeforeOkReturns)
{
    DestroyProgramStandIn(StandIn);
    StandIn = NULL;
    StandInThread standIn = {CreateEventA(NULL, TRUE, FALSE, NULL), 0, NULL};
    HANDLE thread = CreateThread(NULL, 0, RunStandInThread, &standIn, 0, &standIn.ThreadId);
    ASSERT_NE((HANDLE)NULL, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(standIn.Ready, 10000));
    ASSERT_NE((HWND)NULL, standIn.Window);
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON1, 10);
        ClickControl(dialog, IDOK);
        // Sent, not posted: the program has taken the values up by now.
        EXPECT_EQ(1, ReloadsReceived);
    });
    PostThreadMessageA(standIn.ThreadId, WM_QUIT, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    CloseHandle(standIn.Ready);
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, WritesEvenWhenTheProgramIsNotRunning)
{
    DestroyProgramStandIn(StandIn);
    StandIn = NULL;
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_ORIENT_PORTRAIT);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    DWORD orientation = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_LANDSCAPE, &orientation));
    EXPECT_EQ(1u, orientation);
    EXPECT_EQ(0, ReloadsReceived);
}

// ---- The working area and the tablet's size ----------------------------------

TEST_F(AppletTest, WholeTabletStartsAtZeroAndEndsAtTheTabletsMaxima)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_AREA_WHOLE);
        EXPECT_EQ("0", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_Y));
        EXPECT_EQ("20000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("15000", ControlText(dialog, IDC_END_Y));
        EXPECT_FALSE(IsEnabled(dialog, IDC_START_X));
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = before;
    expected[VALUE_WORKING_AREA] = 1;
    expected[VALUE_START_X] = 0;
    expected[VALUE_START_Y] = 0;
    expected[VALUE_END_X] = 20000;
    expected[VALUE_END_Y] = 15000;
    EXPECT_EQ(expected, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, WithoutTheTabletWholeTabletPutsBackTheStoredEnds)
{
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    WithDialog([&](HWND dialog) {
        TypeText(dialog, IDC_END_X, "abc");  // would be greyed and refused
        TypeText(dialog, IDC_END_Y, "5000");
        ClickControl(dialog, IDC_AREA_WHOLE);
        EXPECT_EQ("0", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("3000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("4000", ControlText(dialog, IDC_END_Y));
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog)) << ControlText(dialog, IDC_PANEL_MESSAGE);
    });
    StoredNumbers expected = before;
    expected[VALUE_WORKING_AREA] = 1;
    expected[VALUE_START_X] = 0;
    expected[VALUE_START_Y] = 0;
    EXPECT_EQ(expected, ReadAllStored());
}

TEST_F(AppletTest, AnAreaUpToTheTabletsMaximaIsAccepted)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    PutAll(OrdinaryValues());
    WithDialog([&](HWND dialog) {
        TypeText(dialog, IDC_END_X, "20000");
        TypeText(dialog, IDC_END_Y, "15000");
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    DWORD endX = 0, endY = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_END_X, &endX));
    EXPECT_TRUE(ReadStoredDword(VALUE_END_Y, &endY));
    EXPECT_EQ(20000u, endX);
    EXPECT_EQ(15000u, endY);
}

// ---- Bad input: a message, focus on the field, nothing written ---------------

namespace {

struct BadInputCase {
    const char *Description;
    int Field;
    const char *Text;
    int FocusField;
    const char *MessagePart;
};

} // namespace

class AppletBadInputTest : public AppletTest {
protected:
    // In one dialog, case by case: types the text, presses the button, checks
    // the refusal and puts the field back.
    template <size_t N>
    void ExpectRefused(const BadInputCase (&cases)[N], int button)
    {
        StoredNumbers before = OrdinaryValues();
        PutAll(before);
        WithDialog([&](HWND dialog) {
            SelectAction(dialog, IDC_BUTTON1, 12);  // a good change, held back too
            for (const BadInputCase &bad : cases) {
                std::string original = ControlText(dialog, bad.Field);
                SetDlgItemTextA(dialog, IDC_PANEL_MESSAGE, "");
                TypeText(dialog, bad.Field, bad.Text);
                ClickControl(dialog, button);
                EXPECT_TRUE(IsWindowVisible(dialog)) << bad.Description;
                std::string message = ControlText(dialog, IDC_PANEL_MESSAGE);
                EXPECT_NE(std::string::npos, message.find(bad.MessagePart))
                    << bad.Description << ": " << message;
                EXPECT_EQ(GetDlgItem(dialog, bad.FocusField), GetFocus()) << bad.Description;
                EXPECT_EQ(before, ReadAllStored()) << bad.Description;
                TypeText(dialog, bad.Field, original.c_str());
            }
            ClickControl(dialog, IDCANCEL);
        });
        EXPECT_EQ(before, ReadAllStored());
        EXPECT_EQ(0, ReloadsReceived);
    }
};

TEST_F(AppletBadInputTest, TextWhereANumberBelongsIsRefused)
{
    const BadInputCase cases[] = {
        {"letters after digits", IDC_START_X, "12a", IDC_START_X, "Start X must be a whole number"},
        {"empty", IDC_START_Y, "", IDC_START_Y, "Start Y must be a whole number"},
        {"negative", IDC_END_X, "-5", IDC_END_X, "End X must be a whole number"},
        {"fraction", IDC_END_Y, "4000.5", IDC_END_Y, "End Y must be a whole number"},
        {"beyond 16 bits", IDC_END_X, "65536", IDC_END_X, "from 0 to 65535"},
    };
    ExpectRefused(cases, IDOK);
}

TEST_F(AppletBadInputTest, AStartBeyondItsEndIsRefused)
{
    const BadInputCase cases[] = {
        {"start X beyond end X", IDC_START_X, "3001", IDC_START_X, "Start X must be less than End X"},
        {"start Y at end Y", IDC_START_Y, "4000", IDC_START_Y, "Start Y must be less than End Y"},
        {"end X before start X", IDC_END_X, "99", IDC_START_X, "Start X must be less than End X"},
    };
    ExpectRefused(cases, IDOK);
}

TEST_F(AppletBadInputTest, ApplyRefusesBadInputAsOkDoes)
{
    const BadInputCase cases[] = {
        {"apply", IDC_START_X, "x", IDC_START_X, "Start X must be a whole number"},
    };
    ExpectRefused(cases, IDC_APPLY);
}

TEST_F(AppletBadInputTest, AValueOutsideTheTabletIsRefusedWhenItsSizeIsKnown)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    const BadInputCase cases[] = {
        {"end X beyond the tablet", IDC_END_X, "20001", IDC_END_X, "End X must be a whole number from 0 to 20000"},
        {"end Y beyond the tablet", IDC_END_Y, "15001", IDC_END_Y, "from 0 to 15000"},
    };
    ExpectRefused(cases, IDOK);
}

TEST_F(AppletBadInputTest, CorrectedInputIsThenWritten)
{
    PutAll(OrdinaryValues());
    WithDialog([&](HWND dialog) {
        TypeText(dialog, IDC_START_X, "abc");
        ClickControl(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        TypeText(dialog, IDC_START_X, "5");
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    DWORD startX = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_START_X, &startX));
    EXPECT_EQ(5u, startX);
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletBadInputTest, StoredAreaNumbersAreNotCheckedWhenTheAreaIsNotChanged)
{
    // A stored start beyond its end does not stop a change of the pen buttons.
    PutAll({{VALUE_WORKING_AREA, 0}, {VALUE_START_X, 900}, {VALUE_END_X, 100}});
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON2, 20);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    DWORD button2 = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_BUTTON2, &button2));
    EXPECT_EQ(20u, button2);
}

// ---- A registry that cannot be written ---------------------------------------

TEST_F(AppletTest, AKeyThatCannotBeOpenedForWritingIsReportedAndNothingReloads)
{
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    PanelTestSeams seams = {RefuseOpen, NULL, NULL, NULL};
    SetSeams(&seams);
    WithDialog([&](HWND dialog) {
        SelectAction(dialog, IDC_BUTTON1, 13);
        ClickControl(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        std::string message = ControlText(dialog, IDC_PANEL_MESSAGE);
        EXPECT_NE(std::string::npos, message.find("could not be saved")) << message;
        EXPECT_NE(std::string::npos, message.find("error 5")) << message;
    });
    EXPECT_EQ(before, ReadAllStored());
    EXPECT_EQ(0, ReloadsReceived);
}

TEST_F(AppletTest, AWriteRefusedHalfwayPutsBackWhatWasWritten)
{
    StoredNumbers before = {{VALUE_ABSOLUTE, 0}, {VALUE_SENSITIVITY, 23}};
    PutAll(before);
    WritesSeen = 0;
    PanelTestSeams seams = {NULL, RefuseSecondWrite, NULL, NULL};
    SetSeams(&seams);
    WithDialog([&](HWND dialog) {
        ClickControl(dialog, IDC_MODE_ABSOLUTE);   // written first
        ClickControl(dialog, IDC_ORIENT_PORTRAIT); // refused
        SelectAction(dialog, IDC_BUTTON1, 13);
        ClickControl(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_NE(std::string::npos,
                  ControlText(dialog, IDC_PANEL_MESSAGE).find("could not be saved"));
    });
    EXPECT_EQ(2, WritesSeen);
    EXPECT_EQ(before, ReadAllStored());
    EXPECT_FALSE(StoredValueExists(VALUE_LANDSCAPE));
    EXPECT_EQ(0, ReloadsReceived);
}

// ---- Defaults and the keyboard -------------------------------------------------

TEST_F(AppletTest, DefaultsShowsTheStartingValuesAndOnlyOkWritesThem)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    StoredNumbers before = OrdinaryValues();
    PutAll(before);
    WithDialog([&](HWND dialog) {
        TypeText(dialog, IDC_START_X, "x");  // bad input, swept away
        ClickControl(dialog, IDC_DEFAULTS);
        EXPECT_TRUE(IsChecked(dialog, IDC_MODE_ABSOLUTE));
        EXPECT_TRUE(IsChecked(dialog, IDC_ORIENT_LANDSCAPE));
        EXPECT_EQ(SENSITIVITY_MIN, SliderPosition(dialog));  // 4 at its nearest
        EXPECT_EQ(ACTION_LEFT_DOUBLE_CLICK, Selection(dialog, IDC_BUTTON1));
        EXPECT_EQ(ACTION_LEFT_CLICK, Selection(dialog, IDC_BUTTON2));
        EXPECT_TRUE(IsChecked(dialog, IDC_AREA_WHOLE));
        EXPECT_FALSE(IsChecked(dialog, IDC_AREA_PART));
        EXPECT_FALSE(IsEnabled(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_X));
        EXPECT_EQ("0", ControlText(dialog, IDC_START_Y));
        EXPECT_EQ("20000", ControlText(dialog, IDC_END_X));
        EXPECT_EQ("15000", ControlText(dialog, IDC_END_Y));
        EXPECT_EQ(before, ReadAllStored());
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers starting = {
        {VALUE_ABSOLUTE, 1}, {VALUE_LANDSCAPE, 0}, {VALUE_SENSITIVITY, START_SENSITIVITY},
        {VALUE_WORKING_AREA, 1}, {VALUE_START_X, 0}, {VALUE_START_Y, 0},
        {VALUE_END_X, 20000}, {VALUE_END_Y, 15000},
        {VALUE_BUTTON1, START_BUTTON1_ACTION}, {VALUE_BUTTON2, START_BUTTON2_ACTION},
    };
    EXPECT_EQ(starting, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);

    // Already the starting values: the slider touched and Defaults pressed
    // write nothing, and the stored 4 is not turned into the slider's 5.
    StoredNumbers few = {{VALUE_SENSITIVITY, START_SENSITIVITY}, {VALUE_BUTTON1, 2}};
    DeleteSettingsKey();
    PutAll(few);
    WithDialog([&](HWND dialog) {
        MoveSlider(dialog, 30);
        ClickControl(dialog, IDC_DEFAULTS);
        ClickControl(dialog, IDOK);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(few, ReadAllStored());
    EXPECT_EQ(1, ReloadsReceived);
}

TEST_F(AppletTest, TabVisitsEveryControlInReadingOrderAndKeysWorkAsInAnyDialog)
{
    DestroyProgramStandIn(StandIn);  // not running: Start is shown
    StandIn = NULL;
    StoredNumbers before = OrdinaryValues();  // part of the tablet: the fields take part
    PutAll(before);
    WithDialog([&](HWND dialog) {
        const int order[] = {
            IDC_START_PROGRAM, IDC_PROFILE, IDC_PROFILE_NEW, IDC_MODE_RELATIVE, IDC_ORIENT_PORTRAIT, IDC_SENSITIVITY,
            IDC_BUTTON1, IDC_BUTTON2, IDC_RECONNECT, IDC_AREA_PART, IDC_START_X,
            IDC_START_Y, IDC_END_X, IDC_END_Y, IDC_SMOOTHING, IDC_STEADY_CLICKS, IDC_SCREEN, IDC_MATCH_SCREEN, IDC_DEFAULTS,
            IDOK, IDCANCEL, IDC_APPLY,
            IDC_START_PROGRAM,
        };
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_APPLY), TRUE);
        for (int id : order) {
            PressKey(dialog, VK_TAB);
            EXPECT_EQ(id, GetDlgCtrlID(GetFocus())) << "after the control before " << id;
        }

        // Each mnemonic once in the dialog; a label's goes to its field.
        std::map<char, int> mnemonics;
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[128];
            GetWindowTextA(child, text, sizeof text);
            const char *amp = strchr(text, '&');
            if (amp && amp[1] && amp[1] != '&')
                mnemonics[(char)tolower((unsigned char)amp[1])]++;
        }
        EXPECT_EQ(23u, mnemonics.size());
        for (const auto &entry : mnemonics)
            EXPECT_EQ(1, entry.second) << "mnemonic " << entry.first;
        const struct { char Letter; int Id; } labels[] = {
            {'x', IDC_START_X}, {'y', IDC_START_Y}, {'d', IDC_END_X}, {'n', IDC_END_Y},
            {'1', IDC_BUTTON1}, {'2', IDC_BUTTON2}, {'s', IDC_SENSITIVITY},
            {'c', IDC_SCREEN}, {'r', IDC_PROFILE}, {'i', IDC_SMOOTHING},
        };
        for (const auto &label : labels) {
            PressAltKey(dialog, label.Letter);
            EXPECT_EQ(label.Id, GetDlgCtrlID(GetFocus())) << "Alt+" << label.Letter;
        }

        // Esc is Cancel, wherever the focus is.
        TypeText(dialog, IDC_START_X, "150");
        PressKey(dialog, VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(before, ReadAllStored());

    // Enter in a field is OK.
    WithDialog([&](HWND dialog) {
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_START_X), TRUE);
        TypeText(dialog, IDC_START_X, "150");
        PressKey(dialog, VK_RETURN);
        EXPECT_FALSE(IsWindowVisible(dialog));
    });
    StoredNumbers expected = before;
    expected[VALUE_START_X] = 150;
    EXPECT_EQ(expected, ReadAllStored());
}

std::string StoredScreen()
{
    HKEY key;
    char text[64] = "(missing)";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        DWORD type = 0, size = sizeof text - 1;
        if (RegQueryValueExA(key, VALUE_SCREEN, NULL, &type, (BYTE *)text, &size) ==
            ERROR_SUCCESS)
            text[size] = 0;
        RegCloseKey(key);
    }
    return text;
}

// The test display's one monitor, 1280 x 1024, on a tablet of 20000 x 15000.
TEST_F(AppletTest, TheScreenChoiceIsStoredAndTheAreaMatchesItsProportions)
{
    PanelTestSeams seams = {NULL, NULL, TabletOf20000By15000, NULL};
    SetSeams(&seams);
    PutStoredString(VALUE_SCREEN, "\\\\.\\DISPLAY9");  // not connected
    WithDialog([&](HWND dialog) {
        const char *items[] = {"Main screen", "All screens", "1: 1280 x 1024 at 0,0 (main)",
                               "\\\\.\\DISPLAY9 (not connected)"};
        HWND list = GetDlgItem(dialog, IDC_SCREEN);
        ASSERT_EQ(4, (int)SendMessageA(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < 4; i++) {
            char text[96] = "";
            SendMessageA(list, CB_GETLBTEXT, i, (LPARAM)text);
            EXPECT_STREQ(items[i], text);
        }
        EXPECT_EQ(3, (int)SendMessageA(list, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("Screen: 1280 x 1024 pixels, aspect 1.25", ControlText(dialog, IDC_SCREEN_SIZE));
        // Kept unless changed.
        ClickControl(dialog, IDC_APPLY);
        EXPECT_EQ("\\\\.\\DISPLAY9", StoredScreen());

        struct { int Orientation; const char *Line, *Area[4]; } steps[] = {
            // 1280:1024 fills the tablet's height, centred on the whole tablet.
            {IDC_ORIENT_LANDSCAPE, "Screen: 1280 x 1024 pixels, aspect 1.25",
             {"625", "0", "19375", "15000"}},
            // Turned round in portrait, centred on the area before.
            {IDC_ORIENT_PORTRAIT, "Screen: 1280 x 1024 pixels, aspect 0.80 in portrait",
             {"4000", "0", "16000", "15000"}},
        };
        for (const auto &step : steps) {
            ClickControl(dialog, step.Orientation);
            EXPECT_EQ(step.Line, ControlText(dialog, IDC_SCREEN_SIZE));
            ClickControl(dialog, IDC_MATCH_SCREEN);
            EXPECT_TRUE(IsChecked(dialog, IDC_AREA_PART));
            const int fields[] = {IDC_START_X, IDC_START_Y, IDC_END_X, IDC_END_Y};
            for (int f = 0; f < 4; f++)
                EXPECT_EQ(step.Area[f], ControlText(dialog, fields[f])) << step.Line;
        }
        SelectAction(dialog, IDC_SCREEN, 1);
        ClickControl(dialog, IDC_APPLY);
        EXPECT_EQ("all", StoredScreen());
        SelectAction(dialog, IDC_SCREEN, 2);
        ClickControl(dialog, IDOK);
    });
    ScreenLayout layout;
    ReadScreenLayout(&layout);
    EXPECT_EQ(layout.Screens[0].Device, StoredScreen());
    EXPECT_EQ(2, ReloadsReceived);
    DWORD startX = 0;
    EXPECT_TRUE(ReadStoredDword(VALUE_START_X, &startX));
    EXPECT_EQ(4000u, startX);
}
