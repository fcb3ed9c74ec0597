// Vertex-shaded (Gouraud) triangles and quadrilaterals: opaque (codes 67, 68)
// and added to the screen with per-channel saturation (codes 83, 84).
#pragma once

#include <array>
#include <cstdint>

#include "math/fixed.h"
#include "render/primitive.h"
#include "render/raster/polygon.h"

namespace vantir {

// x, y and red, green, blue (0..255 at the corners).
using ShadedPoint = RasterPoint<3>;
// Red, green and blue edge accumulators, 24.8.
using ShadedColour = std::array<std::int32_t, 3>;

void drawShadedTriangle(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                        const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc);
void drawShadedQuad(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                    const ProjectedVertex* d, const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc,
                    const ColourRecord* cd);
void drawShadedTriangleAdd(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                           const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc);
void drawShadedQuadAdd(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                       const ProjectedVertex* d, const ColourRecord* ca, const ColourRecord* cb,
                       const ColourRecord* cc, const ColourRecord* cd);

// The opaque polygon routine behind the entries: vertices and colours hold n
// pointers each (n = 3 or 4), element i of both belonging to corner i.
void fillShadedPolygon(const ProjectedVertex* const* vertices, const ColourRecord* const* colours, int n);

// Clips with the enlarged divisor in both passes into out (CLIP_POINT_CAPACITY
// points); returns the number of points written.
int clipShadedPolygon(const ProjectedVertex* const* vertices, const ColourRecord* const* colours,
                      ShadedPoint* out, int n);

// Span routines: count pixels from dst, colours interpolated from the left
// accumulators towards the right ones (which are not drawn). Nothing for count <= 0.
void spanShaded(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right);
void spanShadedAdd(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right);
// The same spans, bit for bit, with reciprocal division; the polygon routines
// take them when the code path is Fast.
void spanShadedFast(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right);
void spanShadedAddFast(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right);

}  // namespace vantir
