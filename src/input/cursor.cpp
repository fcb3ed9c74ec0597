#include "input/cursor.h"

#include "platform/win32.h"
#include "util/alloc.h"
#include "video/screen.h"

namespace vantir {

namespace {

CursorSlot* cursorTable = nullptr;

bool isSlot(int slot) { return slot >= 0 && slot < CURSOR_SLOTS; }

}  // namespace

int initCursors() {
    cursorTable = static_cast<CursorSlot*>(checkedAlloc(CURSOR_SLOTS * static_cast<std::int32_t>(sizeof(CursorSlot))));
    if (!cursorTable) return -1;
    for (int slot = 0; slot < CURSOR_SLOTS; ++slot) cursorTable[slot] = CURSOR_SLOT_EMPTY;
    // Start-up runs inside the window's creation: this is the cursor shown then.
    cursorTable[0] = reinterpret_cast<CursorSlot>(GetCursor());
    return 0;
}

void releaseCursors() {
    if (cursorTable) {
        SetClassLongPtr(screenWindow(), GCLP_HCURSOR, static_cast<LONG_PTR>(cursorTable[0]));
        for (int slot = 1; slot < CURSOR_SLOTS; ++slot) destroyCursorSlot(slot);
    }
    checkedFree(cursorTable);
    cursorTable = nullptr;
}

int destroyCursorSlot(int slot) {
    if (!isSlot(slot) || !cursorTable) return -3;
    if (cursorTable[slot] < 0) return -1;
    DestroyCursor(reinterpret_cast<HCURSOR>(cursorTable[slot]));
    cursorTable[slot] = CURSOR_SLOT_EMPTY;
    return slot;
}

CursorSlot cursorSlot(int slot) {
    if (!isSlot(slot) || !cursorTable) return CURSOR_SLOT_EMPTY;
    return cursorTable[slot];
}

}  // namespace vantir
