// Models made of parts, the model table and the camera.
//
// A model is a rigid hierarchy of parts; each part owns a contiguous range of
// row-0 source vertices, whose indices are also those of their projected
// vertices. The hierarchy follows the order of the parts: a part is the child
// of the one before it, and a pop count n closes n levels after its part.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/fixed.h"
#include "math/matrix.h"
#include "render/primitive.h"

namespace vantir {

constexpr int MODEL_SLOT_COUNT = 32;
constexpr std::uint32_t MODEL_HIDDEN = 1;  // the per-frame transform skips the model

struct ModelPart {
    std::int32_t reserved0;
    std::int32_t reserved1;
    std::int32_t popCount;     // matrix-stack levels dropped after this part
    std::int32_t vertexCount;
    std::int32_t firstVertex;  // in row 0 and in the projected vertices alike
    ModelVertex* sourceVertices;  // row-0 record firstVertex, fixed when added
    Matrix local;              // rebuilt every frame
    Matrix world;              // local x parents x model x camera, every frame
    Vec4 position;             // offset from the parent, units
    Vec4 rotation;             // angles 0..1023
    Vec4 scale;                // Fix9
};
// 200 bytes on 32-bit builds; the source address takes 8 bytes on 64-bit.
static_assert(offsetof(ModelPart, sourceVertices) == 20 || offsetof(ModelPart, sourceVertices) == 24);
static_assert(sizeof(ModelPart) == (sizeof(void*) == 4 ? 200 : 208));

struct Model {
    std::int32_t slot;
    std::uint32_t flags;
    std::int32_t partCount;
    ModelPart* parts;          // the array right after this header
    Vec4 position;             // units
    Vec4 rotation;             // angles 0..1023
    Vec4 scale;                // Fix9
};
// 64 bytes on 32-bit builds: four 4-byte fields, then the three vectors.
static_assert(offsetof(Model, position) == offsetof(Model, parts) + sizeof(void*) &&
              sizeof(Model) == offsetof(Model, position) + 48);
static_assert(sizeof(void*) != 4 || sizeof(Model) == 64);

// 32 slots, null when empty; null itself before initModels.
extern Model** modelTable;
extern Vec4 cameraPosition;  // (0, 0, 75, 1) after initModels: added before the camera turn
extern Vec4 cameraRotation;  // (0, 0, 0, 1) after initModels
extern Matrix cameraMatrix;  // rebuilt every frame

// 0, or -1 when the table cannot be allocated.
int initModels();
void releaseModels();
// Lowest empty slot with room for capacity parts; -1 no free slot, -2 no
// memory (or a capacity no allocation can hold).
int createModel(std::int32_t capacity);
// The slot, or -1 when it is empty.
int releaseModel(int slot);
// Index of the new part; -1 for an empty slot, a full part array, or a
// negative first vertex or vertex count. The source address is taken from
// the current display list's row 0; a range past row 0's known capacity is
// refused as well.
int addModelPart(int slot, std::int32_t firstVertex, std::int32_t vertexCount, std::int32_t popCount);

// Parts the slot's allocation holds (0 for an empty slot).
std::int32_t modelPartCapacity(int slot);

// Lookups answer the all-ones address for an empty slot (and a part index
// outside the model's parts).
Model* modelAt(int slot);
Vec4* modelPosition(int slot);
Vec4* modelRotation(int slot);
Vec4* modelScale(int slot);
Vec4* partPosition(int slot, int part);
Vec4* partRotation(int slot, int part);
Vec4* partScale(int slot, int part);

}  // namespace vantir
