// Device contexts and DIB sections on memory, shared by both backends.
//
// A DIB section is plain zero-filled memory laid out as on Windows: rows padded
// to 4 bytes, top-down for a negative height, bottom-up otherwise. A memory DC
// holds at most one selected bitmap; a window DC stands for the window's
// client area, whose image BitBlt writes and the backend then shows.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "platform/common/platform_core.h"

enum class DCKind { WINDOW, SCREEN, MEMORY };

struct HDC__ {
    DCKind kind = DCKind::MEMORY;
    HWND window = nullptr;           // WINDOW: its window
    HBITMAP selected = nullptr;      // MEMORY: the selected bitmap, null for the default one
};

struct HBITMAP__ {
    int width = 0;
    int height = 0;  // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    std::size_t stride = 0;  // bytes per row, a multiple of 4
    unsigned char* bits = nullptr;
    HDC selectedInto = nullptr;
};

namespace {

constexpr std::size_t MAX_DIB_BYTES = std::size_t{1} << 30;
constexpr std::uintptr_t DEFAULT_BITMAP_VALUE = 0x30001;  // the 1x1 bitmap a new memory DC holds

std::unordered_set<HDC> liveDCs;          // memory, window and screen DCs
std::unordered_set<HBITMAP> liveBitmaps;
HDC screenDC = nullptr;
int heldDCs = 0;
int presents = 0;
int failDibs = 0;
int failMemoryDCs = 0;

HGDIOBJ defaultBitmap() { return reinterpret_cast<HGDIOBJ>(DEFAULT_BITMAP_VALUE); }

HDC liveDC(HGDIOBJ object) {
    auto dc = static_cast<HDC>(object);
    return liveDCs.count(dc) ? dc : nullptr;
}

HBITMAP liveBitmap(HGDIOBJ object) {
    auto bitmap = static_cast<HBITMAP>(object);
    return liveBitmaps.count(bitmap) ? bitmap : nullptr;
}

void freeBitmap(HBITMAP bitmap) {
    std::free(bitmap->bits);
    liveBitmaps.erase(bitmap);
    delete bitmap;
}

// A 16-bit pixel plane: where row r starts and how far apart rows are.
struct Plane {
    unsigned char* base;  // row 0 (top)
    std::ptrdiff_t rowStep;
    int width;
    int height;
};

Plane planeOf(HBITMAP b) {
    if (b->topDown) return {b->bits, static_cast<std::ptrdiff_t>(b->stride), b->width, b->height};
    // Bottom-up: the top row is the last one in memory.
    return {b->bits + (b->height - 1) * b->stride, -static_cast<std::ptrdiff_t>(b->stride), b->width, b->height};
}

Plane planeOf(HWND w) {
    return {reinterpret_cast<unsigned char*>(w->image.data()), static_cast<std::ptrdiff_t>(w->clientWidth) * 2,
            w->clientWidth, w->clientHeight};
}

// Clips one axis of a copy of `length` pixels from `source` to `dest` against
// both extents; false when nothing is left.
bool clipAxis(std::int64_t& dest, std::int64_t& source, std::int64_t& length, std::int64_t destExtent,
              std::int64_t sourceExtent) {
    const std::int64_t skip = std::max({std::int64_t{0}, -dest, -source});
    dest += skip;
    source += skip;
    length -= skip;
    length = std::min({length, destExtent - dest, sourceExtent - source});
    return length > 0;
}

}  // namespace

// A program that quits without destroying its window (Escape) leaves its
// objects to the end of the process; free them then, before leak checks run.
namespace {
struct ReleaseAtExit {
    ~ReleaseAtExit() { vantir::gdiResetState(); }
} releaseAtExit;
}  // namespace

// ---- Core links -------------------------------------------------------------

namespace vantir {

void gdiResetState() {
    for (HBITMAP b : std::unordered_set<HBITMAP>(liveBitmaps)) freeBitmap(b);
    for (HDC dc : liveDCs) delete dc;
    liveDCs.clear();
    screenDC = nullptr;
    heldDCs = 0;
    presents = 0;
    failDibs = 0;
    failMemoryDCs = 0;
}

int gdiLiveObjectCount() {
    int memoryDCs = 0;
    for (HDC dc : liveDCs)
        if (dc->kind == DCKind::MEMORY) ++memoryDCs;
    return memoryDCs + static_cast<int>(liveBitmaps.size());
}

int gdiHeldDCCount() { return heldDCs; }
int gdiPresentCount() { return presents; }

HDC gdiCreateWindowDC(HWND window) {
    HDC dc = new HDC__{DCKind::WINDOW, window, nullptr};
    liveDCs.insert(dc);
    return dc;
}

void platformFailDibSections(int count) { failDibs = count; }
void platformFailCompatibleDCs(int count) { failMemoryDCs = count; }

}  // namespace vantir

// ---- GDI calls ------------------------------------------------------------

HDC GetDC(HWND window) {
    if (!window) {
        if (!screenDC) {
            screenDC = new HDC__{DCKind::SCREEN, nullptr, nullptr};
            liveDCs.insert(screenDC);
        }
        ++heldDCs;
        return screenDC;
    }
    RECT probe;
    if (!GetClientRect(window, &probe)) return nullptr;  // no such window
    ++heldDCs;
    return window->dc;
}

int ReleaseDC(HWND, HDC dc) {
    HDC d = liveDC(dc);
    if (!d || d->kind == DCKind::MEMORY || heldDCs == 0) return 0;
    --heldDCs;
    return 1;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !liveDC(dc)) return nullptr;
    if (failMemoryDCs > 0) {
        --failMemoryDCs;
        return nullptr;
    }
    HDC memory = new HDC__{DCKind::MEMORY, nullptr, nullptr};
    liveDCs.insert(memory);
    return memory;
}

BOOL DeleteDC(HDC dc) {
    HDC d = liveDC(dc);
    if (!d || d->kind != DCKind::MEMORY) return FALSE;
    if (d->selected) d->selected->selectedInto = nullptr;  // the bitmap survives its DC
    liveDCs.erase(d);
    delete d;
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || section || usage > 1) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const bool bitfields = h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32);
    const bool knownDepth = h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 16 ||
                            h.biBitCount == 24 || h.biBitCount == 32;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || !knownDepth || h.biWidth <= 0 ||
        h.biHeight == 0 || (h.biCompression != BI_RGB && !bitfields))
        return nullptr;

    // Rows are padded to whole 32-bit words. The stride fits 64 bits for any
    // 32-bit width and depth; the total is checked by division, not computed.
    const std::int64_t rows = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    const std::int64_t stride = (static_cast<std::int64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    constexpr auto limit = static_cast<std::int64_t>(MAX_DIB_BYTES);
    if (stride > limit || rows > limit / stride) return nullptr;
    if (failDibs > 0) {
        --failDibs;
        return nullptr;
    }
    auto* memory = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(stride * rows), 1));
    if (!memory) return nullptr;

    auto* bitmap = new HBITMAP__{h.biWidth, static_cast<int>(rows), h.biHeight < 0, h.biBitCount,
                                 static_cast<std::size_t>(stride), memory, nullptr};
    liveBitmaps.insert(bitmap);
    if (bits) *bits = memory;
    return bitmap;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    HDC d = liveDC(dc);
    if (!d || !object) return nullptr;
    if (HBITMAP b = liveBitmap(object)) {
        if (d->kind != DCKind::MEMORY) return nullptr;  // only memory DCs hold bitmaps
        if (b->selectedInto && b->selectedInto != d) return nullptr;  // one DC at a time
        HGDIOBJ previous = d->selected ? static_cast<HGDIOBJ>(d->selected) : defaultBitmap();
        if (d->selected) d->selected->selectedInto = nullptr;
        d->selected = b;
        b->selectedInto = d;
        return previous;
    }
    if (object == defaultBitmap()) {
        if (d->kind != DCKind::MEMORY) return nullptr;
        HGDIOBJ previous = d->selected ? static_cast<HGDIOBJ>(d->selected) : defaultBitmap();
        if (d->selected) d->selected->selectedInto = nullptr;
        d->selected = nullptr;
        return previous;
    }
    // Brushes and the other stock objects: nothing draws with them here.
    return GetStockObject(0);
}

BOOL DeleteObject(HGDIOBJ object) {
    if (HBITMAP b = liveBitmap(object)) {
        if (b->selectedInto) return FALSE;  // still selected: Windows keeps it too
        freeBitmap(b);
        return TRUE;
    }
    // Stock objects ignore deletion; anything else is no object of ours.
    for (int i = 0; GetStockObject(i); ++i)
        if (object == GetStockObject(i)) return TRUE;
    return FALSE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    HDC d = liveDC(dest);
    HDC s = liveDC(source);
    if (!d || !s || rop != SRCCOPY) return FALSE;
    if (s->kind != DCKind::MEMORY || !s->selected || s->selected->bitCount != 16) return FALSE;
    const Plane from = planeOf(s->selected);
    Plane to{};
    if (d->kind == DCKind::WINDOW) {
        RECT probe;
        if (!GetClientRect(d->window, &probe)) return FALSE;
        to = planeOf(d->window);
    } else if (d->kind == DCKind::MEMORY && d->selected && d->selected->bitCount == 16) {
        to = planeOf(d->selected);
    } else {
        return FALSE;
    }

    std::int64_t dx = x, dy = y, sx = sourceX, sy = sourceY, w = width, h = height;
    const bool any = clipAxis(dx, sx, w, to.width, from.width) && clipAxis(dy, sy, h, to.height, from.height);
    if (any) {
        for (std::int64_t row = 0; row < h; ++row) {
            // memmove: a bitmap may be copied onto itself.
            std::memmove(to.base + (dy + row) * to.rowStep + dx * 2, from.base + (sy + row) * from.rowStep + sx * 2,
                         static_cast<std::size_t>(w) * 2);
        }
    }
    if (d->kind == DCKind::WINDOW) {
        ++presents;
        const RECT changed = any ? RECT{static_cast<LONG>(dx), static_cast<LONG>(dy), static_cast<LONG>(dx + w),
                                        static_cast<LONG>(dy + h)}
                                 : RECT{0, 0, 0, 0};
        vantir::backendPresent(d->window, changed);
    }
    return TRUE;
}
