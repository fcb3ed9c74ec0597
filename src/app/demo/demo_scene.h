// The demo scene: one textured sphere of 220 vertices and 800 triangles, made
// of five stacked bands (model parts) so the frame can turn bands 1 to 4.
#pragma once

#include <cstdint>

#include "render/primitive.h"

namespace vantir {

constexpr int DEMO_SPHERE_COLUMNS = 20;
constexpr int DEMO_SPHERE_RINGS = 11;  // top pole to bottom pole
constexpr int DEMO_PART_COUNT = 5;

// Texture id of "tes256.bmp", negative when it could not be loaded.
extern std::int32_t demoTexture;
// Model slot of the sphere; -1 until the scene has been built.
extern std::int32_t demoModel;

// One vertex of a sphere of n columns: ring 0 is the top pole, and shift 1
// gives radius 512.
void sphereVertex(ModelVertex* out, int n, int column, int ring, int shift);

// 0 after a complete build, -1 when a temporary block could not be allocated
// or the model could not be created (nothing of the model exists then).
int buildDemoScene();

// True when buildDemoScene made the sphere, so the frame may turn its parts.
bool demoSceneBuilt();

}  // namespace vantir
