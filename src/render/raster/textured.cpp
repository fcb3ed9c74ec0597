#include "render/raster/textured.h"

#include "texture/texture.h"

namespace {

void loadCorners(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords, int n,
                 TexturedPoint* corners) {
    for (int i = 0; i < n; ++i) corners[i] = {vertices[i]->x, vertices[i]->y, {texCoords[i]->u, texCoords[i]->v}};
}

// How a texel T meets the destination pixel D; the result's low 16 bits are stored.
struct CopyTexel {
    static std::uint32_t combine(std::uint32_t t, std::uint32_t) { return t; }
};
struct AddTexel {
    // Channels added at four-bit precision; a channel's carry lands in the next
    // field's lowest bit (or bit 15), and k - (k >> 5) saturates it to 31.
    static std::uint32_t combine(std::uint32_t t, std::uint32_t d) {
        const std::uint32_t s = (t & 0x7bdeu) + (d & 0x7bdeu);
        const std::uint32_t k = s & 0x8420u;
        return s | (k - (k >> 5));
    }
};
struct HalfTexel {
    // Each channel halved before the sum, so no carry crosses channels.
    static std::uint32_t combine(std::uint32_t t, std::uint32_t d) { return ((t >> 1) & 0x3defu) + ((d >> 1) & 0x3defu); }
};

template <typename Combine>
void spanTextured(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture) {
    if (count <= 0) return;
    const std::int32_t du = (uRight - uLeft) / count;
    const std::int32_t dv = (vRight - vLeft) / count;
    // Texel units with 8 fraction bits; every right shift is arithmetic.
    const std::int32_t stepU = du >> (8 - texture.widthShift);
    const std::int32_t stepV = dv >> (8 - texture.heightShift);
    std::int32_t u = (uLeft << texture.widthShift) >> 8;
    std::int32_t v = (vLeft << texture.heightShift) >> 8;
    for (std::int32_t i = 0; i < count; ++i) {
        // Masks wrap both coordinates into the texture, negative ones included.
        const std::int32_t index = ((v & texture.rowMask) >> texture.rowShift) + ((u >> 8) & texture.columnMask);
        dst[i] = static_cast<Rgb555>(Combine::combine(texture.texels[index], dst[i]));
        u += stepU;
        v += stepV;
    }
}

template <TexturedSpan Span>
void drawTextured(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords, std::int32_t texture,
                  int n) {
    if (allOnOneRow(vertices, n)) return;
    fillTexturedPolygon<Span>(vertices, texCoords, texture, n);
}

}  // namespace

bool textureAddressing(int texture, TextureAddressing* out) {
    const Texture* t = loadedTexture(texture);
    if (t == nullptr || t->currentPixels == nullptr) return false;
    if (t->widthShift < 1 || t->widthShift > 8 || t->heightShift < 1 || t->heightShift > 8) return false;
    out->texels = t->currentPixels;
    out->widthShift = t->widthShift;
    out->heightShift = t->heightShift;
    out->columnMask = (1 << t->widthShift) - 1;
    out->rowMask = ((1 << t->heightShift) - 1) << 8;
    out->rowShift = 8 - t->widthShift;
    return true;
}

template <TexturedSpan Span>
void fillTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                         std::int32_t texture, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return;
    TextureAddressing addressing;  // read once per polygon
    if (!textureAddressing(texture, &addressing)) return;
    RasterTarget target;
    if (!fetchRasterTarget(&target)) return;
    TexturedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, texCoords, n, corners);
    rasterizePolygon(corners, n, ClipDivisor::Enlarged,
                     [&](std::int32_t row, const EdgeValues<2>& left, const EdgeValues<2>& right) {
                         Rgb555* dst;
                         std::int32_t count;
                         if (clampSpan(target, row, left.x, right.x, &dst, &count))
                             Span(dst, count, left.value[0], left.value[1], right.value[0], right.value[1],
                                  addressing);
                     });
}

template void fillTexturedPolygon<spanCopy>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);
template void fillTexturedPolygon<spanAdd>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);
template void fillTexturedPolygon<spanHalf>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);

int clipTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                        TexturedPoint* out, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return 0;
    TexturedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, texCoords, n, corners);
    return clipPolygon(corners, n, out, ClipDivisor::Enlarged, clipRect);
}

void spanCopy(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<CopyTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanAdd(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
             std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<AddTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanHalf(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<HalfTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void drawTexTriangle(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanCopy>(vertices, texCoords, texture, 3);
}

void drawTexQuad(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanCopy>(vertices, texCoords, texture, 4);
}

void drawTexTriangleAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanAdd>(vertices, texCoords, texture, 3);
}

void drawTexQuadAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanAdd>(vertices, texCoords, texture, 4);
}

void drawTexTriangleHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanHalf>(vertices, texCoords, texture, 3);
}

void drawTexQuadHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanHalf>(vertices, texCoords, texture, 4);
}
