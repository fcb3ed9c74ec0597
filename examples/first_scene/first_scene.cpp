// A first scene: a cube turning by itself, three faces flat and three shaded.
#include <vantir/app/program.h>
#include <vantir/render/display_list.h>
#include <vantir/scene/model.h>

using namespace vantir;

namespace {
int cube = -1;

int buildCube() {
    if ((cube = createModel(1)) < 0) return -1;
    const ModelVertex corners[8] = {{-130, -130, -130, 0}, {130, -130, -130, 0}, {130, 130, -130, 0},
                                    {-130, 130, -130, 0},  {-130, -130, 130, 0}, {130, -130, 130, 0},
                                    {130, 130, 130, 0},    {-130, 130, 130, 0}};
    const int first = appendVertices(8, corners);
    const ColourRecord colours[5] = {{230, 60, 60, 0}, {60, 200, 90, 0}, {70, 110, 240, 0}, {255, 255, 255, 0},
                                     {40, 40, 60, 0}};
    for (const ColourRecord& c : colours) appendRow(&c, 1);
    // Two triangles a face, clockwise as seen from outside; flat ones take a
    // colour each, shaded ones one per corner.
    const std::int16_t flat[18] = {0, 1, 2, 0, 2, 3, 5, 4, 7, 5, 7, 6, 4, 0, 3, 4, 3, 7};
    const std::int16_t flatColours[6] = {0, 0, 1, 1, 2, 2};
    const std::int16_t shaded[18] = {1, 5, 6, 1, 6, 2, 4, 5, 1, 4, 1, 0, 3, 2, 6, 3, 6, 7};
    const std::int16_t shadedColours[18] = {3, 4, 4, 3, 4, 3, 3, 4, 4, 3, 4, 3, 3, 4, 4, 3, 4, 3};
    addTriangles(first, 0, 0, 0, flat, nullptr, flatColours, nullptr, -1, 6, PRIM_BACKFACE);
    addTriangles(first, 0, 0, 0, shaded, nullptr, shadedColours, nullptr, -1, 6, PRIM_BACKFACE | 0x40);
    addModelPart(cube, first, 8, 0);
    modelPosition(cube)->z = 300;
    return 0;
}

void turn(std::int32_t, std::int32_t, std::int32_t) {
    modelRotation(cube)->x = (modelRotation(cube)->x + 3) & ANGLE_MASK;
    modelRotation(cube)->y = (modelRotation(cube)->y + 5) & ANGLE_MASK;
}

const Program firstScene = {.title = "first scene", .buildScene = buildCube, .frameMouse = turn};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) { return runProgram(firstScene, instance, show); }
