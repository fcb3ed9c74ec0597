#include "video/screen.h"

#include <cstring>

#include "util/alloc.h"
#include "util/code_path.h"
#include "util/error.h"

namespace vantir {

namespace {

struct ScreenState {
    ScreenSurface* surfaces;
    HWND window;
    HDC windowDC;          // held from beginFrame to presentFrame only
    std::int32_t currentSlot;
    std::int32_t flipMask;  // 0 after every recreation: slot 0 is drawn and shown
    std::int32_t width;     // even: the client width rounded down
    std::int32_t height;    // usable height: the client height less one row
    std::int32_t depth;     // 0 until the first setScreenDepth
    std::uint32_t clearWord;
    std::int32_t framePeriod;
    DWORD lastTick;         // tick at the previous frame start
    bool framesBegun;       // the first frame starts at once, whatever the tick
};

ScreenState screen{};

// The raster target follows the current slot and the drawing size.
void publishBackBuffer() {
    Rgb555* pixels = screen.surfaces ? screen.surfaces[screen.currentSlot].pixels : nullptr;
    setBackBuffer(pixels, screen.width, screen.height);
}

// The clear: half as many 32-bit words as pixels in rows 0..height-1 (the
// width is even), each the pre-doubled clear colour.
void clearWords(Rgb555* pixels) {
    const std::int32_t words = (screen.width >> 1) * screen.height;
    if (words <= 0 || !pixels) return;
    if (fastPath())
        fillWordsFast(pixels, words, screen.clearWord);
    else
        fillWordsReference(pixels, words, screen.clearWord);
}

bool isSlot(int slot) { return slot >= 0 && slot < SCREEN_SURFACE_SLOTS; }

}  // namespace

int initScreen(HWND window) {
    // A fresh state, as at process start: the depth must read 0 so that
    // setScreenDepth below creates the surfaces.
    screen = ScreenState{};
    publishBackBuffer();
    screen.surfaces =
        static_cast<ScreenSurface*>(checkedAlloc(SCREEN_SURFACE_SLOTS * static_cast<std::int32_t>(sizeof(ScreenSurface))));
    if (!screen.surfaces) return -1;
    screen.window = window;
    screen.framePeriod = SCREEN_FRAME_PERIOD_MS;
    screen.clearWord = 0;
    return setScreenDepth(SCREEN_DEPTH);
}

void releaseScreen() {
    if (screen.surfaces) {
        for (int slot = 0; slot < SCREEN_SURFACE_SLOTS; ++slot) releaseSurface(slot);
    }
    checkedFree(screen.surfaces);
    screen = ScreenState{};
    publishBackBuffer();
}

int setScreenDepth(std::int32_t bits) {
    if (bits == screen.depth) return 0;
    screen.depth = bits;
    return recreateSurfaces();
}

int recreateSurfaces() {
    RECT client{};
    GetClientRect(screen.window, &client);
    // DIB rows are padded to 4 bytes while the raster addresses pixel (x, y) at
    // y * width + x: an even width of 16-bit pixels makes the two agree. An odd
    // client column is left unpainted rather than shearing the image.
    screen.width = client.right & ~1;
    screen.height = client.bottom;

    releaseSurface(0);
    releaseSurface(1);
    screen.windowDC = GetDC(screen.window);
    int created = 0;
    while (created < 2 && createSurface(screen.windowDC, created, screen.width, screen.height, screen.depth) >= 0) {
        ++created;
    }
    ReleaseDC(screen.window, screen.windowDC);
    screen.windowDC = nullptr;

    if (created < 2) {
        showError("%s", MSG_SURFACE_FAILED);
        publishBackBuffer();
        return -1;
    }
    screen.currentSlot = 0;
    screen.flipMask = 0;
    screen.height -= 1;  // the bitmap's last row is never cleared, drawn or shown
    publishBackBuffer();
    return 0;
}

int createSurface(HDC dc, int slot, std::int32_t width, std::int32_t height, std::int32_t bits) {
    if (!isSlot(slot) || !screen.surfaces) return -1;
    releaseSurface(slot);
    ScreenSurface& surface = screen.surfaces[slot];

    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows run top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;

    surface.memoryDC = CreateCompatibleDC(dc);
    if (!surface.memoryDC) {
        releaseSurface(slot);
        return -1;
    }
    void* pixels = nullptr;
    surface.bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!surface.bitmap) {
        releaseSurface(slot);
        return -1;
    }
    surface.pixels = static_cast<Rgb555*>(pixels);
    SelectObject(surface.memoryDC, surface.bitmap);
    // The release above cleared the raster target of the current slot.
    if (slot == screen.currentSlot) publishBackBuffer();
    return 0;
}

int releaseSurface(int slot) {
    if (!isSlot(slot)) return -2;
    if (!screen.surfaces) return 0;
    ScreenSurface& surface = screen.surfaces[slot];
    // The context goes first, so the bitmap is no longer selected when deleted.
    if (surface.memoryDC) DeleteDC(surface.memoryDC);
    if (surface.bitmap) DeleteObject(surface.bitmap);
    // The pixels died with the bitmap; keep no pointer into them.
    surface = ScreenSurface{};
    if (slot == screen.currentSlot) publishBackBuffer();
    return 0;
}

void setFramePeriod(std::int32_t milliseconds) { screen.framePeriod = milliseconds; }

void setClearColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const std::uint32_t pixel = packRgb555From5(red, green, blue);
    screen.clearWord = (pixel << 16) | pixel;  // two pixels per 32-bit store
}

void beginFrame(HWND window, std::uint32_t flags) {
    Rgb555* const pixels = screen.surfaces ? screen.surfaces[screen.currentSlot].pixels : nullptr;
    screen.window = window;
    screen.windowDC = GetDC(window);

    // Busy-wait on the tick count. The difference is taken as signed 32-bit so
    // that the wrap at 2^32 changes nothing. The first frame does not wait: its
    // predecessor's tick is not a time, and against a tick count past 2^31 it
    // would read as a wait of weeks.
    DWORD tick = GetTickCount();
    if (screen.framesBegun) {
        while (static_cast<std::int32_t>(tick - screen.lastTick) < screen.framePeriod) tick = GetTickCount();
    }
    screen.lastTick = tick;  // frame start to frame start
    screen.framesBegun = true;

    if (flags & FRAME_CLEAR) clearWords(pixels);
}

void clearBackBuffer() {
    clearWords(screen.surfaces ? screen.surfaces[screen.currentSlot].pixels : nullptr);
}

void fillWordsReference(void* destination, std::int32_t words, std::uint32_t word) {
    auto* bytes = static_cast<unsigned char*>(destination);
    for (std::int32_t i = 0; i < words; ++i) std::memcpy(bytes + 4 * static_cast<std::size_t>(i), &word, 4);
}

void fillWordsFast(void* destination, std::int32_t words, std::uint32_t word) {
    if (words <= 0) return;
    auto* bytes = static_cast<unsigned char*>(destination);
    const std::size_t size = 4 * static_cast<std::size_t>(words);
    // Four equal bytes (black, the usual clear colour): the C library's own
    // fill is as fast as this machine can store.
    const std::uint32_t low = word & 0xffu;
    if (word == low * 0x01010101u) {
        std::memset(bytes, static_cast<int>(low), size);
        return;
    }
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Any other colour: the processor's string fill with the two-word
    // pattern, which like memset's writes whole lines without first reading
    // them. Every 8-byte unit from the start holds two whole words.
    if (size >= 64) {
        const std::uint64_t pattern = word | (static_cast<std::uint64_t>(word) << 32);
        void* p = bytes;
        std::size_t units = size / 8;
        __asm__ volatile("rep stosq" : "+D"(p), "+c"(units) : "a"(pattern) : "memory");
        if (size % 8) std::memcpy(bytes + size - 4, &word, 4);
        return;
    }
#endif
    // Elsewhere, and for a few bytes: word by word, which compilers widen themselves.
    for (std::size_t i = 0; i < size; i += 4) std::memcpy(bytes + i, &word, 4);
}

void presentFrame() {
    HDC source = screen.surfaces ? screen.surfaces[screen.currentSlot].memoryDC : nullptr;
    BitBlt(screen.windowDC, 0, 0, screen.width, screen.height, source, 0, 0, SRCCOPY);
    ReleaseDC(screen.window, screen.windowDC);
    screen.windowDC = nullptr;
    screen.currentSlot ^= screen.flipMask;
    publishBackBuffer();
}

HWND screenWindow() { return screen.window; }
const ScreenSurface* screenSurfaces() { return screen.surfaces; }

}  // namespace vantir
