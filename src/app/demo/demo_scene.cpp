#include "app/demo/demo_scene.h"

#include "math/trig.h"
#include "render/display_list.h"
#include "scene/model.h"
#include "texture/texture.h"
#include "util/alloc.h"

namespace vantir {

std::int32_t demoTexture = -1;
std::int32_t demoModel = -1;

namespace {

constexpr int TEX_COLUMNS = DEMO_SPHERE_COLUMNS + 1;  // the 21st closes the seam
constexpr int BANDS = DEMO_SPHERE_RINGS - 1;
constexpr int TRIANGLES = BANDS * DEMO_SPHERE_COLUMNS * 4;  // every cell covered twice
constexpr std::int32_t GRID_BYTES = 6400;                  // room for 400 records
constexpr std::int32_t INDEX_BYTES = TRIANGLES * 3 * 2;    // 4800

struct PartRange {
    int firstVertex, vertexCount;
};
// Two rings per band part; the last part holds the last three rings.
constexpr PartRange DEMO_PARTS[DEMO_PART_COUNT] = {{0, 40}, {40, 40}, {80, 40}, {120, 40}, {160, 60}};

bool built = false;

}  // namespace

void sphereVertex(ModelVertex* out, int n, int column, int ring, int shift) {
    const Angle polar = (ring * 1024) / n;
    const Angle azimuth = ((column % n) * 1024) / n;
    out->x = ((fixCos(azimuth) * fixSin(polar)) >> 10) << shift;
    out->y = (fixCos(polar) << shift) >> 1;
    out->z = ((fixSin(azimuth) * fixSin(polar)) >> 10) << shift;
    out->w = 0;
}

bool demoSceneBuilt() { return built; }

int buildDemoScene() {
    built = false;
    demoModel = -1;
    demoTexture = loadTexture("tes256.bmp");

    auto* vertexGrid = static_cast<ModelVertex*>(checkedAlloc(GRID_BYTES));
    auto* texGrid = vertexGrid ? static_cast<TexCoord*>(checkedAlloc(GRID_BYTES)) : nullptr;
    auto* vertexList = texGrid ? static_cast<std::int16_t*>(checkedAlloc(INDEX_BYTES)) : nullptr;
    auto* texList = vertexList ? static_cast<std::int16_t*>(checkedAlloc(INDEX_BYTES)) : nullptr;
    int result = -1;

    // A model slot that cannot be had leaves nothing to build on either.
    const std::int32_t model = texList ? createModel(DEMO_PART_COUNT) : -1;
    if (model >= 0) {
        Vec4* scale = modelScale(model);
        scale->x = scale->y = scale->z = 256;  // half size

        for (int ring = 0; ring < DEMO_SPHERE_RINGS; ++ring)
            for (int column = 0; column < DEMO_SPHERE_COLUMNS; ++column)
                sphereVertex(&vertexGrid[ring * DEMO_SPHERE_COLUMNS + column], DEMO_SPHERE_COLUMNS, column, ring, 1);
        const int vertexBase = appendVertices(DEMO_SPHERE_RINGS * DEMO_SPHERE_COLUMNS, vertexGrid);

        for (int ring = 0; ring < DEMO_SPHERE_RINGS; ++ring) {
            for (int column = 0; column < TEX_COLUMNS; ++column) {
                TexCoord& t = texGrid[ring * TEX_COLUMNS + column];
                t.u = (column * 256) / DEMO_SPHERE_COLUMNS;
                t.v = (ring * 256) / BANDS;
            }
        }
        const int texBase = appendTexCoords(DEMO_SPHERE_RINGS * TEX_COLUMNS, texGrid);

        // Steps 0..19 map each cell of a band with its own coordinates; steps
        // 20..39 cover the same cells again with coordinates 20..39 places on,
        // reaching index 250, past the 231 appended (those records read zero).
        for (int band = 0; band < BANDS; ++band) {
            for (int step = 0; step < 2 * DEMO_SPHERE_COLUMNS; ++step) {
                const int h = DEMO_SPHERE_COLUMNS * band + step % DEMO_SPHERE_COLUMNS;
                const int l = DEMO_SPHERE_COLUMNS * band + (step + 1) % DEMO_SPHERE_COLUMNS;
                const int m = TEX_COLUMNS * band + step;
                const int t = 4 * DEMO_SPHERE_COLUMNS * band + 2 * step;
                const std::int16_t vertices[6] = {
                    static_cast<std::int16_t>(h), static_cast<std::int16_t>(h + 20), static_cast<std::int16_t>(l + 20),
                    static_cast<std::int16_t>(h), static_cast<std::int16_t>(l),      static_cast<std::int16_t>(l + 20)};
                const std::int16_t coords[6] = {
                    static_cast<std::int16_t>(m), static_cast<std::int16_t>(m + 21), static_cast<std::int16_t>(m + 22),
                    static_cast<std::int16_t>(m), static_cast<std::int16_t>(m + 1),  static_cast<std::int16_t>(m + 22)};
                for (int i = 0; i < 6; ++i) {
                    vertexList[3 * t + i] = vertices[i];
                    texList[3 * t + i] = coords[i];
                }
            }
        }
        addTriangles(vertexBase, texBase, 0, 0, vertexList, texList, nullptr, nullptr,
                     demoTexture < 0 ? -1 : demoTexture, TRIANGLES, 0);

        for (const PartRange& part : DEMO_PARTS) addModelPart(model, vertexBase + part.firstVertex, part.vertexCount, 0);
        markModelVertices();

        Vec4* position = modelPosition(model);
        position->x = 0;
        position->z = 700;
        for (int part = DEMO_PART_COUNT - 1; part >= 1; --part) partPosition(model, part)->y = -50;

        demoModel = model;
        built = true;
        result = 0;
    }

    checkedFree(vertexList);
    checkedFree(texList);
    checkedFree(vertexGrid);
    checkedFree(texGrid);
    return result;
}

}  // namespace vantir
