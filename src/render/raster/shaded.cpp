#include "render/raster/shaded.h"

#include "math/reciprocal.h"
#include "util/code_path.h"

namespace vantir {

namespace {

void loadCorners(const ProjectedVertex* const* vertices, const ColourRecord* const* colours, int n,
                 ShadedPoint* corners) {
    for (int i = 0; i < n; ++i)
        corners[i] = {vertices[i]->x, vertices[i]->y, {colours[i]->red, colours[i]->green, colours[i]->blue}};
}

using SpanRoutine = void (*)(Rgb555*, std::int32_t, const ShadedColour&, const ShadedColour&);

void fillShaded(const ProjectedVertex* const* vertices, const ColourRecord* const* colours, int n,
                SpanRoutine spanRoutine) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return;
    RasterTarget target;
    if (!fetchRasterTarget(&target)) return;
    ShadedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, colours, n, corners);
    if (fastPath()) {
        // The fast spans by their twins: spanShaded -> spanShadedFast, spanShadedAdd -> spanShadedAddFast.
        const SpanRoutine fastRoutine = spanRoutine == spanShadedAdd ? spanShadedAddFast : spanShadedFast;
        rasterizePolygonFast(corners, n, ClipDivisor::Enlarged,
                             [&](std::int32_t row, const EdgeValues<3>& left, const EdgeValues<3>& right) {
                                 Rgb555* dst;
                                 std::int32_t count;
                                 if (clampSpan(target, row, left.x, right.x, &dst, &count))
                                     fastRoutine(dst, count, left.value, right.value);
                             });
        return;
    }
    rasterizePolygon(corners, n, ClipDivisor::Enlarged,
                     [&](std::int32_t row, const EdgeValues<3>& left, const EdgeValues<3>& right) {
                         Rgb555* dst;
                         std::int32_t count;
                         if (clampSpan(target, row, left.x, right.x, &dst, &count))
                             spanRoutine(dst, count, left.value, right.value);
                     });
}

void drawShaded(const ProjectedVertex* const* vertices, const ColourRecord* const* colours, int n,
                SpanRoutine spanRoutine) {
    if (allOnOneRow(vertices, n)) return;
    fillShaded(vertices, colours, n, spanRoutine);
}

// Additive pixel values keep each channel's top four bits where its 5-bit
// field lies in the upper half of a 32-bit word, the field's lowest bit zero.
std::uint32_t additiveSource(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return (static_cast<std::uint32_t>(red) & 0x78000000u) | (static_cast<std::uint32_t>(green) & 0x03C00000u) |
           (static_cast<std::uint32_t>(blue) & 0x001E0000u);
}

}  // namespace

void drawShadedTriangle(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                        const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc) {
    const ProjectedVertex* const vertices[] = {a, b, c};
    const ColourRecord* const colours[] = {ca, cb, cc};
    drawShaded(vertices, colours, 3, spanShaded);
}

void drawShadedQuad(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                    const ProjectedVertex* d, const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc,
                    const ColourRecord* cd) {
    const ProjectedVertex* const vertices[] = {a, b, c, d};
    const ColourRecord* const colours[] = {ca, cb, cc, cd};
    drawShaded(vertices, colours, 4, spanShaded);
}

void drawShadedTriangleAdd(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                           const ColourRecord* ca, const ColourRecord* cb, const ColourRecord* cc) {
    const ProjectedVertex* const vertices[] = {a, b, c};
    const ColourRecord* const colours[] = {ca, cb, cc};
    drawShaded(vertices, colours, 3, spanShadedAdd);
}

void drawShadedQuadAdd(const ProjectedVertex* a, const ProjectedVertex* b, const ProjectedVertex* c,
                       const ProjectedVertex* d, const ColourRecord* ca, const ColourRecord* cb,
                       const ColourRecord* cc, const ColourRecord* cd) {
    const ProjectedVertex* const vertices[] = {a, b, c, d};
    const ColourRecord* const colours[] = {ca, cb, cc, cd};
    drawShaded(vertices, colours, 4, spanShadedAdd);
}

void fillShadedPolygon(const ProjectedVertex* const* vertices, const ColourRecord* const* colours, int n) {
    fillShaded(vertices, colours, n, spanShaded);
}

int clipShadedPolygon(const ProjectedVertex* const* vertices, const ColourRecord* const* colours,
                      ShadedPoint* out, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return 0;
    ShadedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, colours, n, corners);
    return clipPolygon(corners, n, out, ClipDivisor::Enlarged, clipRect);
}

namespace {

// The span routines, shared by the reference and the fast twin; they differ
// only in how the per-pixel steps are divided (hardware division or an exact
// reciprocal multiplication).
struct HardwareDivide {
    static std::int32_t quotient(std::int32_t n, std::int32_t d) { return n / d; }
};
struct ReciprocalDivide {
    static std::int32_t quotient(std::int32_t n, std::int32_t d) { return divTruncPositive(n, d); }
};

template <typename Divide>
void opaqueSpan(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    if (count <= 0) return;
    // Seven fraction bits: the top five bits of an 8-bit channel then sit in
    // bits 10-14 for red, and are shifted down into place for green and blue.
    std::int32_t red = left[0] >> 1, green = left[1] >> 1, blue = left[2] >> 1;
    const std::int32_t stepRed = Divide::quotient((right[0] - left[0]) >> 1, count);
    const std::int32_t stepGreen = Divide::quotient((right[1] - left[1]) >> 1, count);
    const std::int32_t stepBlue = Divide::quotient((right[2] - left[2]) >> 1, count);
    for (std::int32_t i = 0; i < count; ++i) {
        dst[i] = static_cast<Rgb555>((red & 0x7C00) | ((green >> 5) & 0x03E0) | ((blue >> 10) & 0x001F));
        red += stepRed;
        green += stepGreen;
        blue += stepBlue;
    }
}

template <typename Divide>
void additiveSpan(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    if (count <= 0) return;
    // Channels pre-positioned: red * 2^23, green * 2^18, blue * 2^13.
    std::int32_t red = left[0] << 15, green = left[1] << 10, blue = left[2] << 5;
    const std::int32_t stepRed = Divide::quotient((right[0] - left[0]) << 15, count);
    const std::int32_t stepGreen = Divide::quotient((right[1] - left[1]) << 10, count);
    const std::int32_t stepBlue = Divide::quotient((right[2] - left[2]) << 5, count);
    const auto stepAll = [&] {
        red += stepRed;
        green += stepGreen;
        blue += stepBlue;
    };
    // Two pixels per 32-bit word, the lower address in the low half. The masks
    // clear each destination field's lowest bit so that a channel's carry lands
    // in the next field's lowest bit (or bit 15); carries - (carries >> 5) then
    // fills a carried channel with ones.
    for (std::int32_t i = 0; i < count / 2; ++i) {
        std::uint32_t source = additiveSource(red, green, blue) >> 16;
        stepAll();
        source |= additiveSource(red, green, blue);
        stepAll();
        Rgb555* const pair = dst + 2 * i;
        const std::uint32_t word = pair[0] | (static_cast<std::uint32_t>(pair[1]) << 16);
        const std::uint32_t sum = source + (word & 0x7BDE7BDEu);
        const std::uint32_t carries = sum & 0x84208420u;
        const std::uint32_t result = sum | (carries - (carries >> 5));
        pair[0] = static_cast<Rgb555>(result);
        pair[1] = static_cast<Rgb555>(result >> 16);
    }
    if (count & 1) {
        Rgb555* const last = dst + (count - 1);
        const std::uint32_t sum = (additiveSource(red, green, blue) >> 16) + (*last & 0x7BDEu);
        const std::uint32_t carries = sum & 0x8420u;
        *last = static_cast<Rgb555>(sum | (carries - (carries >> 5)));
    }
}

}  // namespace

void spanShaded(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    opaqueSpan<HardwareDivide>(dst, count, left, right);
}

void spanShadedAdd(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    additiveSpan<HardwareDivide>(dst, count, left, right);
}

void spanShadedFast(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    opaqueSpan<ReciprocalDivide>(dst, count, left, right);
}

void spanShadedAddFast(Rgb555* dst, std::int32_t count, const ShadedColour& left, const ShadedColour& right) {
    additiveSpan<ReciprocalDivide>(dst, count, left, right);
}

}  // namespace vantir
