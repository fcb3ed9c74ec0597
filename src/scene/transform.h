// The per-frame pass that carries every visible model through its parts and
// the camera into view space and projects each vertex onto the screen.
//
// View space: the eye at z = -256 looking toward +z, the screen plane at
// z = 0, so a point at z = 0 lands at its own x and y from the projection
// centre. Depths at or behind NEAR_LIMIT are rejected.
#pragma once

#include <cstdint>

#include "math/matrix.h"
#include "render/primitive.h"

namespace vantir {

constexpr std::int32_t NEAR_LIMIT = -256;

// Builds cameraMatrix from the camera state, then transforms every model
// whose MODEL_HIDDEN flag is clear, slots 0 to 31 in order.
void transformAllModels();
// One model through its part hierarchy with the view matrix; nothing for an
// empty slot. A part's vertices are written only up to the current display
// list's projected-vertex capacity: the rest of its range is dropped.
void transformModel(int slot, const Matrix* view);
// count source records through m into count projected records; 0.
int transformVertices(std::int32_t count, ProjectedVertex* out, const ModelVertex* source, const Matrix* m);

}  // namespace vantir
