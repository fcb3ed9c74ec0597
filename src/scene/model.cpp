#include "scene/model.h"


#include "render/display_list.h"
#include "util/alloc.h"

namespace vantir {

Model** modelTable = nullptr;
Vec4 cameraPosition = {0, 0, 0, 0};
Vec4 cameraRotation = {0, 0, 0, 0};
Matrix cameraMatrix = {};

namespace {
// Part capacities live beside the table so the model header keeps its fields.
std::int32_t partCapacities[MODEL_SLOT_COUNT] = {};
constexpr Vec4 UNIT_SCALE = {FIX9_ONE, FIX9_ONE, FIX9_ONE, 0};

Model* occupied(int slot) {
    if (!modelTable || slot < 0 || slot >= MODEL_SLOT_COUNT) return nullptr;
    return modelTable[slot];
}

ModelPart* partOf(int slot, int part) {
    Model* model = occupied(slot);
    if (!model || part < 0 || part >= model->partCount) return nullptr;
    return &model->parts[part];
}

template <typename T>
T* orAllOnes(T* address) {
    return address ? address : allOnesAddress<T>();
}
}  // namespace

int initModels() {
    modelTable = static_cast<Model**>(checkedAlloc(MODEL_SLOT_COUNT * sizeof(Model*)));
    if (!modelTable) return -1;
    // The world origin sits 75 units in front of the screen plane.
    cameraPosition = {0, 0, 75, 1};
    cameraRotation = {0, 0, 0, 1};
    return 0;
}

void releaseModels() {
    if (!modelTable) return;
    for (int slot = 0; slot < MODEL_SLOT_COUNT; ++slot) releaseModel(slot);
    checkedFree(modelTable);
    modelTable = nullptr;
}

int createModel(std::int32_t capacity) {
    if (!modelTable) return -1;
    int slot = 0;
    while (slot < MODEL_SLOT_COUNT && modelTable[slot]) ++slot;
    if (slot == MODEL_SLOT_COUNT) return -1;
    // A negative capacity or a size past 32 bits reaches the allocator as -1,
    // which refuses it with its own message.
    const std::int64_t bytes = std::int64_t{sizeof(Model)} + std::int64_t{capacity} * std::int64_t{sizeof(ModelPart)};
    const bool valid = capacity >= 0 && bytes <= INT32_MAX;
    auto* model = static_cast<Model*>(checkedAlloc(valid ? static_cast<std::int32_t>(bytes) : -1));
    if (!model) return -2;
    static_assert(sizeof(Model) % alignof(ModelPart) == 0);
    model->slot = slot;
    model->flags = 0;
    model->partCount = 0;
    model->parts = reinterpret_cast<ModelPart*>(model + 1);
    model->scale = UNIT_SCALE;
    partCapacities[slot] = capacity;
    modelTable[slot] = model;
    return slot;
}

int releaseModel(int slot) {
    Model* model = occupied(slot);
    if (!model) return -1;
    checkedFree(model);
    modelTable[slot] = nullptr;
    return slot;
}

int addModelPart(int slot, std::int32_t firstVertex, std::int32_t vertexCount, std::int32_t popCount) {
    Model* model = occupied(slot);
    // Checked: the part array's capacity, the range's sign, and row 0's
    // capacity when the row was bound with one.
    if (!model || model->partCount >= partCapacities[slot] || firstVertex < 0 || vertexCount < 0) return -1;
    const std::int32_t row0Capacity = rowCapacity(0);
    if (row0Capacity != ROW_CAPACITY_UNKNOWN && std::int64_t{firstVertex} + vertexCount > row0Capacity) return -1;
    ModelPart* part = &model->parts[model->partCount];
    part->popCount = popCount;
    part->vertexCount = vertexCount;
    part->firstVertex = firstVertex;
    ModelVertex* base = sourceVertexBase();
    part->sourceVertices = base ? base + firstVertex : nullptr;
    matIdentity(&part->local);
    part->scale = UNIT_SCALE;
    return model->partCount++;
}

std::int32_t modelPartCapacity(int slot) { return occupied(slot) ? partCapacities[slot] : 0; }

Model* modelAt(int slot) { return orAllOnes(occupied(slot)); }

Vec4* modelPosition(int slot) {
    Model* model = occupied(slot);
    return orAllOnes(model ? &model->position : nullptr);
}

Vec4* modelRotation(int slot) {
    Model* model = occupied(slot);
    return orAllOnes(model ? &model->rotation : nullptr);
}

Vec4* modelScale(int slot) {
    Model* model = occupied(slot);
    return orAllOnes(model ? &model->scale : nullptr);
}

Vec4* partPosition(int slot, int part) {
    ModelPart* p = partOf(slot, part);
    return orAllOnes(p ? &p->position : nullptr);
}

Vec4* partRotation(int slot, int part) {
    ModelPart* p = partOf(slot, part);
    return orAllOnes(p ? &p->rotation : nullptr);
}

Vec4* partScale(int slot, int part) {
    ModelPart* p = partOf(slot, part);
    return orAllOnes(p ? &p->scale : nullptr);
}

}  // namespace vantir
