// The texture table: 128 slots of Rgb555 images with power-of-two sides
// (2..256), loaded from BMP files and shared by file name.
#pragma once

#include <cstdint>

#include "math/fixed.h"

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
