// Records shared by the transform stage, the display list, the ordering table
// and the rasterizers. Sizes are fixed by the design on every build: links
// inside records are 32-bit values, never pointers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantir {

// Written by the transform stage for every source vertex of row 0.
struct ProjectedVertex {
    std::int32_t x;     // screen column, or view x * 256 when clipped
    std::int32_t y;     // screen row (down), or view y * 256 when clipped
    std::int32_t z;     // view depth in units, larger is farther
    std::int32_t clip;  // 0 projected, -1 at or behind the near limit
};
static_assert(sizeof(ProjectedVertex) == 16);

// The 16-byte records of vertex-array rows 0, 1 and 2.
struct ModelVertex {
    std::int32_t x, y, z, w;
};
struct ColourRecord {
    std::int32_t red, green, blue, unused;  // 0..255 each
};
struct TexCoord {
    std::int32_t u, v;  // 256 = one full texture width / height
    std::int32_t unused0, unused1;
};
static_assert(sizeof(ModelVertex) == 16 && sizeof(ColourRecord) == 16 && sizeof(TexCoord) == 16);

// Primitive codes (low byte of the code word).
enum : std::uint32_t {
    PRIM_FLAT_TRI = 3,
    PRIM_FLAT_QUAD = 4,
    PRIM_TEX_TRI = 11,
    PRIM_TEX_QUAD = 12,
    PRIM_TEX_ADD_TRI = 27,
    PRIM_TEX_ADD_QUAD = 28,
    PRIM_TEX_HALF_TRI = 59,
    PRIM_TEX_HALF_QUAD = 60,
    PRIM_SHADED_TRI = 67,
    PRIM_SHADED_QUAD = 68,
    PRIM_SPRITE = 81,
    PRIM_SHADED_ADD_TRI = 83,
    PRIM_SHADED_ADD_QUAD = 84,
    PRIM_CALLBACK = 96,
};
constexpr std::uint32_t PRIM_CODE_MASK = 0xff;
constexpr std::uint32_t PRIM_VERTEX_COUNT_MASK = 0x7;  // low three bits of every code
constexpr std::uint32_t PRIM_BACKFACE = 0x200;

// A primitive's 32-bit link (and an ordering-table bucket head):
//   0                              end of the chain
//   PRIM_LINK_CALLBACK_SLOT | k    callback slot k
//   anything else                  byte offset of the record from the start of
//                                  the display-list block (always past its header)
constexpr std::uint32_t PRIM_LINK_NONE = 0;
constexpr std::uint32_t PRIM_LINK_CALLBACK_SLOT = 0x80000000u;

// Depth that marks a primitive with a vertex at or behind the near limit.
constexpr std::int16_t PRIM_DEPTH_REJECTED = 4096;

// A primitive record: the common part, then signed 16-bit fields s0, s1, ...
// whose meaning depends on the code. Records lie back to back in creation
// order, `size` bytes each; a triangle made by addTriangles is the full 44.
struct Primitive {
    std::uint32_t codeWord;  // bits 0-7 code, bit 9 back-face test, bits 16-31 sprite index
    std::int32_t size;
    std::uint32_t link;
    std::int16_t depth;
    std::int16_t bias;
    std::int16_t s[14];  // s0..s12 used; s13 pads the record to 44 bytes
};
static_assert(sizeof(Primitive) == 44);
static_assert(offsetof(Primitive, link) == 8 && offsetof(Primitive, depth) == 12 && offsetof(Primitive, s) == 16);
constexpr std::int32_t PRIMITIVE_HEADER_BYTES = 16;
constexpr std::int32_t TRIANGLE_PRIMITIVE_BYTES = 44;

// Callbacks are named by 32-bit handles (1..PRIM_CALLBACK_CAPACITY; 0 = none) so
// that records keep their sizes: a code-96 record holds its handle in the
// place of s0 and s1, a callback slot right after its common part.
using PrimitiveCallback = void (*)(std::int32_t depth);
constexpr int PRIM_CALLBACK_CAPACITY = 32;
// Registers fn and answers its handle, or -1 when the registry is full.
std::int32_t registerPrimitiveCallback(PrimitiveCallback fn);
// The function of a handle, or null for 0 or an unknown handle.
PrimitiveCallback primitiveCallback(std::uint32_t handle);

struct CallbackSlot {
    std::uint32_t codeWord;
    std::int32_t size;
    std::uint32_t link;
    std::int16_t depth;
    std::int16_t bias;
    std::uint32_t function;  // handle; a slot is active when it is not 0
};
static_assert(sizeof(CallbackSlot) == 20);
constexpr int CALLBACK_SLOT_COUNT = 32;

}  // namespace vantir
