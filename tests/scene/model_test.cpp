#include <array>
#include <utility>

#include "support/scene.h"

using namespace vantir;

namespace {

using ModelTest = SceneTest;

TEST_F(ModelTest, CreationTakesTheLowestFreeSlotOrFails) {
    EXPECT_EQ(createModel(1), 0);
    EXPECT_EQ(createModel(1), 1);
    EXPECT_EQ(releaseModel(0), 0);
    EXPECT_EQ(createModel(1), 0);
    for (int slot = 2; slot < MODEL_SLOT_COUNT; ++slot) EXPECT_EQ(createModel(0), slot);
    EXPECT_EQ(createModel(1), -1);
    EXPECT_EQ(releaseModel(17), 17);
    for (int slot : {17, -1, MODEL_SLOT_COUNT}) EXPECT_EQ(releaseModel(slot), -1) << slot;
    EXPECT_EQ(createModel(3), 17);
    releaseModels();
    EXPECT_EQ(createModel(1), -1);  // no table
    releaseModels();                // twice is harmless
    failAllocationsAfter(0);
    EXPECT_EQ(initModels(), -1);
    failAllocationsAfter(-1);
    ASSERT_EQ(initModels(), 0);
    failAllocationsAfter(0);
    EXPECT_EQ(createModel(5), -2);
    failAllocationsAfter(-1);
    for (int parts : {-1, INT32_MAX}) EXPECT_EQ(createModel(parts), -2) << parts;  // no block holds them
    EXPECT_EQ(modelTable[0], nullptr);
}

TEST_F(ModelTest, PartsAreAddedInOrderWithinCapacity) {
    const int slot = createModel(3);
    const Model* model = modelAt(slot);
    EXPECT_EQ((std::array{model->scale.x, model->scale.y, model->scale.z}), (std::array{512, 512, 512}));
    EXPECT_EQ(addModelPart(slot, 0, 10, 0), 0);
    EXPECT_EQ(addModelPart(slot, 10, 20, 1), 1);
    EXPECT_EQ(addModelPart(slot, 1499, 2, 0), -1);  // past row 0's 1500 records
    for (const auto& [badSlot, first, count] : {std::array{1, 0, 1}, {-1, 0, 1}, {slot, -1, 1}, {slot, 0, -1}})
        EXPECT_EQ(addModelPart(badSlot, first, count, 0), -1) << badSlot << " " << first << " " << count;
    EXPECT_EQ(addModelPart(slot, 1500, 0, 2), 2);  // an empty part, right at the row's end
    EXPECT_EQ(addModelPart(slot, 35, 1, 0), -1);  // capacity 3
    EXPECT_EQ((std::array{modelPartCapacity(slot), modelPartCapacity(slot + 1)}), (std::array{3, 0}));
    EXPECT_EQ(model->partCount, 3);
    const ModelPart& part = model->parts[1];
    EXPECT_EQ((std::array{part.popCount, part.vertexCount, part.firstVertex}), (std::array{1, 20, 10}));
    EXPECT_EQ(part.sourceVertices, sourceVertices + 10);
    EXPECT_EQ((std::array{part.scale.x, part.scale.y, part.scale.z}), (std::array{512, 512, 512}));
    // Empty slots and parts not added answer the all-ones address.
    for (int empty : {1, 31, -1, 32}) {
        const std::pair<const char*, const void*> lookups[] = {
            {"modelAt", modelAt(empty)}, {"modelPosition", modelPosition(empty)},
            {"modelRotation", modelRotation(empty)}, {"modelScale", modelScale(empty)},
            {"partPosition", partPosition(empty, 0)}, {"partRotation", partRotation(empty, 0)}};
        for (const auto& [name, address] : lookups) EXPECT_TRUE(isAllOnesAddress(address)) << name << "(" << empty << ")";
    }
    EXPECT_TRUE(isAllOnesAddress(partPosition(slot, 3)));
    EXPECT_TRUE(isAllOnesAddress(partRotation(slot, -1)));
    EXPECT_FALSE(isAllOnesAddress(partScale(slot, 2)));  // the last part added
}

}  // namespace
