// The texture table: 128 slots of Rgb555 images with power-of-two sides
// (2..256), loaded from BMP files and shared by file name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/fixed.h"

namespace vantir {

constexpr int TEXTURE_SLOT_COUNT = 128;
constexpr int TEXTURE_NAME_BYTES = 28;  // NUL included: names of at most 27 bytes
constexpr int ANIMATED_TEXTURE_CAPACITY = 32;

struct Texture {
    std::int32_t id;
    char name[TEXTURE_NAME_BYTES];
    std::int32_t refCount;
    std::int32_t widthShift;   // width = 1 << widthShift, 1..8
    std::int32_t heightShift;  // height = 1 << heightShift, 1..8
    std::int32_t widthShiftCopy;
    std::int32_t heightShiftCopy;
    Rgb555* currentPixels;  // top-left texel of the current animation frame
    Rgb555* basePixels;     // owns the block: the image twice, stacked
    std::int32_t animCounter;
};

// Slot table (null = free); null before initTextures.
extern Texture** textureTable;
extern Texture* animatedTextures[ANIMATED_TEXTURE_CAPACITY];
extern std::int32_t animatedTextureCount;

// The loaded texture of slot id, or null for a free slot, an id outside
// 0..127, or before initTextures: drawing code checks ids it did not make.
inline const Texture* loadedTexture(int id) {
    if (!textureTable || id < 0 || id >= TEXTURE_SLOT_COUNT) return nullptr;
    return textureTable[id];
}

// Accessors for the textured rasterizers: plain reads of a loaded slot.
inline std::int32_t textureWidthShift(int id) { return textureTable[id]->widthShift; }
inline std::int32_t textureHeightShift(int id) { return textureTable[id]->heightShift; }
inline Rgb555* texturePixels(int id) { return textureTable[id]->currentPixels; }

// Lifetime of the table: initTextures allocates it with every slot free and
// empties the animation list (0, or -1 when memory runs out);
// releaseTextures frees every slot and the table.
int initTextures();
void releaseTextures();

// Loads a BMP file of the working directory into the lowest free slot, or
// shares the slot already holding that name (counting the reference).
// Returns the id, -1 when the name has 28 bytes or more, no slot is free,
// memory runs out or the file is not an image we accept, and -2 (after the
// missing-file message) when it cannot be opened. Every failure also prints
// one English line on stderr: the absolute path tried and the reason.
int loadTexture(const char* name);

// The id of the loaded texture called `name` with its refCount raised by 1,
// or -1.
int findTexture(const char* name);
int findFreeTextureSlot();  // lowest free id, or -1

// Frees the pixel block and record of a loaded slot (whatever its refCount)
// and drops it from the animation list; a free slot or bad id is ignored.
void releaseTexture(int id);

// Puts a ready image (width x height texels, rows top-down, no padding) into
// the lowest free slot under `name`, as a load would, without any file: for
// tests and benchmarks. Never shares: every call takes a fresh slot. Returns
// the id, or -1 for a null or too long name, shifts outside 1..8, a full
// table or no memory.
int installTexture(const char* name, int widthShift, int heightShift, const Rgb555* texels);

// Converts `count` (0..256) four-byte palette entries (blue, green, red,
// unused) into the shared 256-entry palette table, entries past the count
// set to 0, and returns the table.
const Rgb555* convertPalette(const unsigned char* entries, int count);

// The whole file `name` in a new block from checkedAlloc, followed by a 0
// byte; *sizeRead receives the number of file bytes in it. Null on failure:
// then *failureCode (when given) is -2 if the file could not be opened (the
// missing-file message has been shown) and -1 if it could not be read or
// held; either way an English line on stderr says why. The caller releases
// the block with checkedFree.
unsigned char* readWholeFile(const char* name, std::size_t* sizeRead, int* failureCode = nullptr);

// The per-frame step: each animated texture shows its image one row further
// down, back to row 0 after 2^heightShift frames.
void animateTextures();

// Puts the loaded texture of slot id at the end of the animation list, where
// it scrolls on from the row it shows. Answers its place in the list (the
// place it already has when it is there), or -1 for a free slot or a full
// list. Start-up begins with an empty list and shutdown empties it.
int addAnimatedTexture(int id);
// Takes slot id's texture out of the list; it stays at the row it reached.
// 0, or -1 when it is not in the list.
int removeAnimatedTexture(int id);

// The one BMP decoder, for loadTexture and for anything else that holds a
// file's bytes. Checks the header and that every byte the pixels need lies
// inside `size`; on success (0) stores the side shifts, and when `texels` is
// not null also decodes the image into it: width x height texels, rows
// top-down. Returns -1, writing nothing, for a file it does not accept.
int parseBmpImage(const unsigned char* bytes, std::size_t size, int* widthShift, int* heightShift,
                  Rgb555* texels);

}  // namespace vantir
