// Affine texture-mapped triangles and quadrilaterals: copied (codes 11, 12),
// added with per-channel saturation (27, 28) or averaged with the screen
// (59, 60). The six entries share the whole pipeline; the span routines share
// their stepping and addressing and differ only in how a texel meets the
// pixel beneath it.
#pragma once

#include <cstdint>

#include "math/fixed.h"
#include "render/primitive.h"
#include "render/raster/polygon.h"

namespace vantir {

// x, y and u, v (TexCoord units: 256 = one texture width or height).
using TexturedPoint = RasterPoint<2>;

// Per-polygon addressing of a power-of-two texture that wraps both ways.
struct TextureAddressing {
    const Rgb555* texels;      // (1 << heightShift) rows of (1 << widthShift) texels
    std::int32_t widthShift;   // 1..8
    std::int32_t heightShift;  // 1..8
    std::int32_t columnMask;   // (1 << widthShift) - 1
    std::int32_t rowMask;      // ((1 << heightShift) - 1) << 8
    std::int32_t rowShift;     // 8 - widthShift
};

// The addressing of texture slot `texture`, or false when the slot holds no
// loaded texture with sides the rasterizer can address (then nothing is drawn).
bool textureAddressing(int texture, TextureAddressing* out);

void drawTexTriangle(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture);
void drawTexQuad(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture);
void drawTexTriangleAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                        const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture);
void drawTexQuadAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                    const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                    const TexCoord* t3, std::int32_t texture);
void drawTexTriangleHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                         const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture);
void drawTexQuadHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                     const TexCoord* t3, std::int32_t texture);

// The fast route of one textured polygon of n = 3 or 4 corners (each its
// vertex's x and y and its texture coordinates) with the target and the
// texture's addressing already fetched: the dispatch fetches them once for
// the many polygons between two callbacks. The same pixels as the entries above.
enum class TexturedMode { Copy, Add, Half };
void drawTexturedPrepared(TexturedMode mode, const TexturedPoint* corners, int n, const TextureAddressing& addressing,
                          const RasterTarget& target);

// Span routines: count pixels from dst; u and v run from the left side's
// accumulators towards the right side's (texture units * 256), the right end
// itself not drawn. Nothing for count <= 0.
void spanCopy(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture);
void spanAdd(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
             std::int32_t vRight, const TextureAddressing& texture);
void spanHalf(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture);

// The same spans, bit for bit, by the fast route (reciprocal division,
// unrolled, vector code where the processor has it). The entries take them
// when the code path is Fast.
void spanCopyFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture);
void spanAddFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                 std::int32_t vRight, const TextureAddressing& texture);
void spanHalfFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture);

using TexturedSpan = void (*)(Rgb555*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                              const TextureAddressing&);

// Draws the polygon of n corners (n = 3 or 4) with one span routine; the
// three instances (spanCopy, spanAdd, spanHalf) are identical in all else.
template <TexturedSpan Span>
void fillTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                         std::int32_t texture, int n);

// Clips with the enlarged divisor in both passes into out (CLIP_POINT_CAPACITY
// points); returns the number of points written. Clipped u and v are whole.
int clipTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                        TexturedPoint* out, int n);

}  // namespace vantir
