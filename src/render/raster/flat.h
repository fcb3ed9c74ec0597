// Flat-coloured triangles and quadrilaterals (primitive codes 3 and 4).
#pragma once

#include <cstdint>

#include "math/fixed.h"
#include "render/primitive.h"
#include "render/raster/polygon.h"

namespace vantir {

using FlatPoint = RasterPoint<0>;

// colour: the Rgb555 value in the low 16 bits.
void drawFlatTriangle(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                      std::int32_t colour);
void drawFlatQuad(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                  const ProjectedVertex* d, std::int32_t colour);

// Clips the path vertices[0..n-1] (n = 3 or 4) into out (CLIP_POINT_CAPACITY
// points): plain x difference in the column pass, enlarged y difference in
// the row pass. Returns the number of points written.
int clipFlatPolygon(const ProjectedVertex* const* vertices, FlatPoint* out, int n);

// Fills count pixels from dst: two pixels per 32-bit store of the colour
// doubled, then one 16-bit store when count is odd. Nothing for count <= 0.
void spanFlat(Rgb555* dst, std::int32_t count, std::int32_t colour);

}  // namespace vantir
