// Cursor slots: slot 0 remembers the cursor shown at start-up, which becomes
// the window class's cursor again at shutdown; slots 1..7 would hold cursors
// the program creates. Handles are kept pointer-wide so that 64-bit handles
// fit; -1 marks an empty slot.
#pragma once

#include <cstdint>

namespace vantir {

using CursorSlot = std::intptr_t;

constexpr int CURSOR_SLOTS = 8;
constexpr CursorSlot CURSOR_SLOT_EMPTY = -1;

// Allocates the table, empties every slot and keeps the current cursor in
// slot 0. 0, or -1 after the allocation message.
int initCursors();
// Gives slot 0 back to the screen window's class as its cursor, destroys
// slots 1..7 and frees the table; accepts a partial start-up.
void releaseCursors();
// slot after destroying its cursor, -1 when the slot is empty, -3 when it
// lies outside 0..7 (or no table exists).
int destroyCursorSlot(int slot);
// A slot's handle value, CURSOR_SLOT_EMPTY when empty or without a table.
CursorSlot cursorSlot(int slot);

}  // namespace vantir
