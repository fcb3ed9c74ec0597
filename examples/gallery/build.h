// Building the gallery's scene: vertices, colours and texture coordinates go
// to the shell's rows, and primitive records of every code into the display
// list. Indices are row indices as the records store them.
#pragma once

#include <cstdint>

#include "render/primitive.h"

namespace gallery {

struct Rgb {
    std::int32_t r, g, b;
};

// A colour of hue 0..359 (red, yellow, green, cyan, blue, magenta) at full
// saturation, scaled to `value` (0..255).
Rgb hue(int degrees, int value);

int addVertex(std::int32_t x, std::int32_t y, std::int32_t z);
// A colour record: its index names it for shaded corners and, once the
// colours are converted at the end of start-up, its colour-table entry for
// flat polygons. Record 0 is black (what an untextured record shows).
int addColour(Rgb colour);
int addTexCoord(std::int32_t u, std::int32_t v);

// How a textured record combines its texels with the screen.
enum class Blend { Copy, Add, Half };

// Records of 3 or 4 corners; `flags` may hold PRIM_BACKFACE. Each answers
// false when the display list is full.
bool addFlat(const int* corners, int n, int colour, std::uint32_t flags = 0);
bool addShaded(const int* corners, const int* colours, int n, bool additive, std::uint32_t flags = 0);
// A texture that did not load (a negative id) makes a flat black record, as
// the demo's untextured sphere.
bool addTextured(const int* corners, const int* texCoords, int n, int texture, Blend blend, std::uint32_t flags = 0);
bool addSprite(int vertex, int spriteIndex);
// A code-96 record at a fixed depth: fn runs when the walk reaches its bucket.
bool addCallbackRecord(vantir::PrimitiveCallback fn, std::int32_t depth);

// A part under construction: its vertices are appended between begin and end.
struct PartBuilder {
    int model;
    int firstVertex;
};
PartBuilder beginPart(int model);
// Adds the part (the vertices appended since beginPart) to its model; its
// index, or -1.
int endPart(const PartBuilder& part, int popCount = 0);

// A box of half sizes hx, hy, hz around (cx, cy, cz), with its faces turned
// outward for the back-face test: top and bottom in colour `top`, the sides
// facing x in `side`, those facing z in `front`. Appends 8 vertices.
void addBox(std::int32_t cx, std::int32_t cy, std::int32_t cz, std::int32_t hx, std::int32_t hy, std::int32_t hz,
            int top, int side, int front);
// The same box with a shaded corner colour per vertex (colours[8], in the
// order of its vertices: y = -hy first, then +hy, each x, z = --, +-, ++, -+).
void addShadedBox(std::int32_t cx, std::int32_t cy, std::int32_t cz, std::int32_t hx, std::int32_t hy,
                  std::int32_t hz, const int* colours);

// Puts a face's corners in the order that faces away from `inside`, a point
// within the solid (so the back-face test keeps the face when it is seen
// from outside): corners are given around the face in either direction.
void orientOutward(int* corners, int n, std::int32_t insideX, std::int32_t insideY, std::int32_t insideZ);

}  // namespace gallery
