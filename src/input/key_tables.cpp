#include "input/key_tables.h"
#include "shared/stored_values.h"

static_assert(KEY_TABLE_SIZE == ACTION_CODE_LAST + KEY_ROW_OFFSET + 1,
              "one row for every key action code");

// Positions that no chord names hold no key.
const KeyTableEntry KeyTable[KEY_TABLE_SIZE] = {
    // Keys that chords name.
    {VK_CONTROL, 0x1D},  //  0 Ctrl
    {VK_MENU, 0x38},     //  1 Alt
    {0, 0},              //  2
    {0x43, 0x2E},        //  3 C
    {0, 0},              //  4
    {0, 0},              //  5
    {0, 0},              //  6
    {0, 0},              //  7
    {0x56, 0x2F},        //  8 V
    {0x58, 0x2D},        //  9 X
    {0x5A, 0x2C},        // 10 Z
    {0, 0},              // 11
    {0, 0},              // 12
    {0, 0},              // 13
    {VK_F1, 0x3B},       // 14 F1
    {0, 0},              // 15
    {VK_LWIN, 0x37},     // 16 left Windows key
    {0, 0},              // 17
    {VK_F4, 0x3E},       // 18 F4
    {0, 0},              // 19
    // Chords, codes 10..15: modifier position, key position.
    {0, 3},    // 20 code 10 Ctrl+C
    {0, 9},    // 21 code 11 Ctrl+X
    {0, 8},    // 22 code 12 Ctrl+V
    {1, 18},   // 23 code 13 Alt+F4
    {0, 10},   // 24 code 14 Ctrl+Z
    {16, 14},  // 25 code 15 Windows+F1
    // Single keys, codes 16..38: virtual-key code, scan code.
    {VK_ESCAPE, 0x01},  // 26 code 16 Esc
    {VK_TAB, 0x0F},     // 27 code 17 Tab
    {VK_BACK, 0x0E},    // 28 code 18 Backspace
    {VK_RETURN, 0x1C},  // 29 code 19 Enter
    {VK_SPACE, 0x39},   // 30 code 20 Space
    {VK_INSERT, 0x52},  // 31 code 21 Insert
    {VK_DELETE, 0x53},  // 32 code 22 Delete
    {VK_HOME, 0x47},    // 33 code 23 Home
    {VK_END, 0x4F},     // 34 code 24 End
    {VK_PRIOR, 0x49},   // 35 code 25 Page Up
    {VK_NEXT, 0x51},    // 36 code 26 Page Down
    {VK_F1, 0x3B},      // 37 code 27 F1
    {VK_F2, 0x3C},      // 38 code 28 F2
    {VK_F3, 0x3D},      // 39 code 29 F3
    {VK_F4, 0x3E},      // 40 code 30 F4
    {VK_F5, 0x3F},      // 41 code 31 F5
    {VK_F6, 0x40},      // 42 code 32 F6
    {VK_F7, 0x41},      // 43 code 33 F7
    {VK_F8, 0x42},      // 44 code 34 F8
    {VK_F9, 0x43},      // 45 code 35 F9
    {VK_F10, 0x44},     // 46 code 36 F10
    {VK_F11, 0x85},     // 47 code 37 F11
    {VK_F12, 0x86},     // 48 code 38 F12
};

const KeyTableEntry *const ChordTable = KeyTable + ACTION_FIRST_CHORD + KEY_ROW_OFFSET;
