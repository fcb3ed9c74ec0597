#include "scene/transform.h"

#include <algorithm>

#include "render/display_list.h"
#include "scene/model.h"

namespace vantir {

namespace {
// Rotation builds index the trigonometric tables with the angles as they
// are; stored angles are meant to lie in 0..1023, and reducing a copy keeps a
// stray one from reading outside the tables without changing valid ones.
Vec4 reducedAngles(const Vec4& a) { return {a.x & ANGLE_MASK, a.y & ANGLE_MASK, a.z & ANGLE_MASK, a.w}; }

// Vertices [first, first + count) clipped to the projected-vertex array.
std::int32_t writableCount(const DisplayList* list, std::int32_t first, std::int32_t count) {
    if (!list || first < 0 || first >= list->vertexCount || count <= 0) return 0;
    return std::min(count, list->vertexCount - first);
}
}  // namespace

int transformVertices(std::int32_t count, ProjectedVertex* out, const ModelVertex* source, const Matrix* m) {
    std::int32_t centreX, centreY;
    getProjectionCentre(&centreX, &centreY);
    const auto& e = m->m;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t x = source[i].x, y = source[i].y, z = source[i].z;
        // The matrix holds 512 per unit: >> 1 leaves view x and y times 256,
        // >> 9 the depth in units. 32-bit sums wrap; shifts are arithmetic.
        const std::int32_t vx = (x * e[0][0] + y * e[1][0] + z * e[2][0] + e[3][0]) >> 1;
        const std::int32_t vy = (x * e[0][1] + y * e[1][1] + z * e[2][1] + e[3][1]) >> 1;
        const std::int32_t vz = (x * e[0][2] + y * e[1][2] + z * e[2][2] + e[3][2]) >> 9;
        ProjectedVertex& p = out[i];
        p.z = vz;
        if (vz <= NEAR_LIMIT) {
            p.x = vx;
            p.y = vy;
            p.clip = -1;
        } else {
            // d >= 1, and vz < 2^23, so neither the sum nor the division can
            // overflow; division truncates toward zero on both sides.
            const std::int32_t d = vz - NEAR_LIMIT;
            p.x = vx / d + centreX;
            p.y = vy / d + centreY;
            p.clip = 0;
        }
    }
    return 0;
}

void transformModel(int slot, const Matrix* view) {
    Model* model = (modelTable && slot >= 0 && slot < MODEL_SLOT_COUNT) ? modelTable[slot] : nullptr;
    if (!model) return;
    DisplayList* list = currentDisplayList();

    Matrix modelMatrix, current;
    const Vec4 modelAngles = reducedAngles(model->rotation);
    matModelTransform(&modelMatrix, &model->position, &modelAngles, &model->scale);
    resetMatrixStack();
    matMultiply(&current, &modelMatrix, view);

    // The part count is read again after every part.
    const std::int32_t capacity = modelPartCapacity(slot);
    for (std::int32_t k = 0; k < model->partCount && k < capacity; ++k) {
        ModelPart& part = model->parts[k];
        pushMatrix(&current);  // a full stack drops the push; a later pop then restores an older matrix
        const Vec4 partAngles = reducedAngles(part.rotation);
        matModelTransform(&part.local, &part.position, &partAngles, &part.scale);
        matMultiply(&part.world, &part.local, &current);
        current = part.world;
        const std::int32_t n = writableCount(list, part.firstVertex, part.vertexCount);
        if (n > 0 && part.sourceVertices)
            transformVertices(n, list->projectedVertices + part.firstVertex, part.sourceVertices, &current);
        if (part.popCount != 0) popMatrix(&current, part.popCount);
    }
}

void transformAllModels() {
    const Vec4 unitScale = {FIX9_ONE, FIX9_ONE, FIX9_ONE, 1};
    const Vec4 cameraAngles = reducedAngles(cameraRotation);
    matViewTransform(&cameraMatrix, &cameraPosition, &cameraAngles, &unitScale);
    if (!modelTable) return;
    for (int slot = 0; slot < MODEL_SLOT_COUNT; ++slot) {
        const Model* model = modelTable[slot];
        if (model && !(model->flags & MODEL_HIDDEN)) transformModel(slot, &cameraMatrix);
    }
}

}  // namespace vantir
