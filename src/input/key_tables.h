// The keys the pen buttons can send.
#ifndef KEY_TABLES_H
#define KEY_TABLES_H

#include <windows.h>

// One two-byte entry of the KeyTable.  A key entry holds a virtual-key code
// and a scan code; a chord row holds two positions of the KeyTable instead,
// the modifier's first and the key's second.
struct KeyTableEntry {
    BYTE First;   // virtual-key code, or the modifier's position
    BYTE Second;  // scan code, or the key's position
};

#define KEY_TABLE_SIZE 49
// The row of action code n sits at position n + KEY_ROW_OFFSET.
#define KEY_ROW_OFFSET 10
// Rows of the chord codes 10..15 (positions 20..25).
#define CHORD_TABLE_SIZE 6

// Positions 0..19 hold the keys that chords name; positions 20..48 hold the
// rows of the action codes 10..38.
extern const KeyTableEntry KeyTable[KEY_TABLE_SIZE];
// The chord rows, codes 10..15, inside KeyTable.
extern const KeyTableEntry *const ChordTable;

#endif
