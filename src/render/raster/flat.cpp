#include "render/raster/flat.h"

#include <cstring>

#include "util/code_path.h"

namespace vantir {

namespace {

void loadCorners(const ProjectedVertex* const* vertices, int n, FlatPoint* corners) {
    for (int i = 0; i < n; ++i) corners[i] = {vertices[i]->x, vertices[i]->y, {}};
}

void fillFlatPolygon(const ProjectedVertex* const* vertices, int n, std::int32_t colour) {
    if (allOnOneRow(vertices, n)) return;
    RasterTarget target;
    if (!fetchRasterTarget(&target)) return;
    FlatPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, n, corners);
    const auto span = [&](std::int32_t row, const EdgeValues<0>& left, const EdgeValues<0>& right) {
        Rgb555* dst;
        std::int32_t count;
        if (clampSpan(target, row, left.x, right.x, &dst, &count)) spanFlat(dst, count, colour);
    };
    if (fastPath())
        rasterizePolygonFast(corners, n, ClipDivisor::Plain, span);
    else
        rasterizePolygon(corners, n, ClipDivisor::Plain, span);
}

}  // namespace

void drawFlatTriangle(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                      std::int32_t colour) {
    const ProjectedVertex* const vertices[] = {a, b, c};
    fillFlatPolygon(vertices, 3, colour);
}

void drawFlatQuad(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                  const ProjectedVertex* d, std::int32_t colour) {
    const ProjectedVertex* const vertices[] = {a, b, c, d};
    fillFlatPolygon(vertices, 4, colour);
}

int clipFlatPolygon(const ProjectedVertex* const* vertices, FlatPoint* out, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return 0;
    FlatPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, n, corners);
    return clipPolygon(corners, n, out, ClipDivisor::Plain, clipRect);
}

void spanFlat(Rgb555* dst, std::int32_t count, std::int32_t colour) {
    const std::uint32_t pixel = static_cast<std::uint16_t>(colour);
    const std::uint32_t pattern = pixel | (pixel << 16);  // both halves equal: byte order does not matter
    for (std::int32_t i = 0; i < count / 2; ++i) std::memcpy(dst + 2 * i, &pattern, sizeof pattern);
    if (count > 0 && (count & 1)) dst[count - 1] = static_cast<Rgb555>(pixel);
}

}  // namespace vantir
