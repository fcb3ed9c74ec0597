#include <cstring>

#include "support/scene.h"

namespace {

using ModelTest = SceneTest;

TEST_F(ModelTest, CameraStartValues) {
    EXPECT_EQ(cameraPosition.x, 0);
    EXPECT_EQ(cameraPosition.y, 0);
    EXPECT_EQ(cameraPosition.z, 75);
    EXPECT_EQ(cameraPosition.w, 1);
    EXPECT_EQ(cameraRotation.x, 0);
    EXPECT_EQ(cameraRotation.y, 0);
    EXPECT_EQ(cameraRotation.z, 0);
    EXPECT_EQ(cameraRotation.w, 1);
}

TEST_F(ModelTest, SlotsAreReusedAndLimited) {
    EXPECT_EQ(createModel(1), 0);
    EXPECT_EQ(createModel(1), 1);
    EXPECT_EQ(releaseModel(0), 0);
    EXPECT_EQ(createModel(1), 0);
    for (int slot = 2; slot < MODEL_SLOT_COUNT; ++slot) EXPECT_EQ(createModel(0), slot);
    EXPECT_EQ(createModel(1), -1);  // the 33rd
    EXPECT_EQ(releaseModel(17), 17);
    EXPECT_EQ(releaseModel(17), -1);
    EXPECT_EQ(releaseModel(-1), -1);
    EXPECT_EQ(releaseModel(MODEL_SLOT_COUNT), -1);
    EXPECT_EQ(createModel(3), 17);
}

TEST_F(ModelTest, NewModelState) {
    const int slot = createModel(2);
    ASSERT_EQ(slot, 0);
    const Model* model = modelAt(slot);
    EXPECT_EQ(model->slot, 0);
    EXPECT_EQ(model->flags, 0u);
    EXPECT_EQ(model->partCount, 0);
    EXPECT_EQ(model->parts, reinterpret_cast<const ModelPart*>(model + 1));
    EXPECT_EQ(model->position.x | model->position.y | model->position.z | model->position.w, 0);
    EXPECT_EQ(model->rotation.x | model->rotation.y | model->rotation.z | model->rotation.w, 0);
    EXPECT_EQ(model->scale.x, 512);
    EXPECT_EQ(model->scale.y, 512);
    EXPECT_EQ(model->scale.z, 512);
    EXPECT_EQ(model->scale.w, 0);
    EXPECT_EQ(modelPosition(slot), &modelTable[slot]->position);
    EXPECT_EQ(modelScale(slot), &modelTable[slot]->scale);
}

TEST_F(ModelTest, FailedAllocationKeepsTheSlotEmpty) {
    failAllocationsAfter(0);
    EXPECT_EQ(createModel(5), -2);
    failAllocationsAfter(-1);
    EXPECT_EQ(modelTable[0], nullptr);
    EXPECT_EQ(createModel(-1), -2);     // no allocation holds a negative count
    EXPECT_EQ(createModel(INT32_MAX), -2);
    EXPECT_EQ(createModel(1), 0);
}

TEST_F(ModelTest, PartsAreAddedInOrderWithinCapacity) {
    const int slot = createModel(3);
    EXPECT_EQ(addModelPart(slot, 0, 10, 0), 0);
    EXPECT_EQ(addModelPart(slot, 10, 20, 1), 1);
    EXPECT_EQ(addModelPart(slot, 30, 5, 2), 2);
    EXPECT_EQ(addModelPart(slot, 35, 1, 0), -1);  // capacity 3
    EXPECT_EQ(modelPartCapacity(slot), 3);
    EXPECT_EQ(modelPartCapacity(slot + 1), 0);
    const Model* model = modelAt(slot);
    EXPECT_EQ(model->partCount, 3);
    const ModelPart& part = model->parts[1];
    EXPECT_EQ(part.popCount, 1);
    EXPECT_EQ(part.vertexCount, 20);
    EXPECT_EQ(part.firstVertex, 10);
    EXPECT_EQ(part.sourceVertices, sourceVertices + 10);
    Matrix identity;
    matIdentity(&identity);
    EXPECT_EQ(std::memcmp(&part.local, &identity, sizeof identity), 0);
    EXPECT_EQ(part.scale.x, 512);
    EXPECT_EQ(part.scale.y, 512);
    EXPECT_EQ(part.scale.z, 512);
    EXPECT_EQ(part.position.x | part.position.y | part.position.z, 0);
    EXPECT_EQ(part.rotation.x | part.rotation.y | part.rotation.z, 0);
    EXPECT_EQ(partPosition(slot, 1), &model->parts[1].position);
    EXPECT_EQ(partRotation(slot, 2), &model->parts[2].rotation);
}

TEST_F(ModelTest, PartsOutsideTheirBoundsAreRefused) {
    const int slot = createModel(4);
    EXPECT_EQ(addModelPart(1, 0, 1, 0), -1);   // empty slot
    EXPECT_EQ(addModelPart(-1, 0, 1, 0), -1);
    EXPECT_EQ(addModelPart(slot, -1, 1, 0), -1);
    EXPECT_EQ(addModelPart(slot, 0, -1, 0), -1);
    EXPECT_EQ(addModelPart(slot, 1499, 2, 0), -1);  // past row 0's 1500 records
    EXPECT_EQ(addModelPart(slot, 1499, 1, 0), 0);
    EXPECT_EQ(modelAt(slot)->partCount, 1);
}

TEST_F(ModelTest, EmptySlotsAnswerTheAllOnesAddress) {
    const int slot = createModel(1);
    ASSERT_EQ(addModelPart(slot, 0, 1, 0), 0);
    for (int empty : {1, 31, -1, 32}) {
        EXPECT_TRUE(isAllOnesAddress(modelAt(empty))) << empty;
        EXPECT_TRUE(isAllOnesAddress(modelPosition(empty))) << empty;
        EXPECT_TRUE(isAllOnesAddress(modelRotation(empty))) << empty;
        EXPECT_TRUE(isAllOnesAddress(modelScale(empty))) << empty;
        EXPECT_TRUE(isAllOnesAddress(partPosition(empty, 0))) << empty;
        EXPECT_TRUE(isAllOnesAddress(partRotation(empty, 0))) << empty;
    }
    // Part indices outside the parts added so far are refused the same way.
    EXPECT_TRUE(isAllOnesAddress(partPosition(slot, 1)));
    EXPECT_TRUE(isAllOnesAddress(partRotation(slot, -1)));
    EXPECT_TRUE(isAllOnesAddress(partScale(slot, 1)));
    EXPECT_FALSE(isAllOnesAddress(partScale(slot, 0)));
}

TEST_F(ModelTest, ReleaseFreesEveryModel) {
    for (int i = 0; i < 5; ++i) createModel(2);
    releaseModels();
    EXPECT_EQ(modelTable, nullptr);
    EXPECT_EQ(createModel(1), -1);
    EXPECT_TRUE(isAllOnesAddress(modelPosition(0)));
    releaseModels();  // twice is harmless
    ASSERT_EQ(initModels(), 0);
    EXPECT_EQ(createModel(1), 0);
}

TEST(ModelStartUp, TableAllocationFailure) {
    failAllocationsAfter(0);
    EXPECT_EQ(initModels(), -1);
    failAllocationsAfter(-1);
    EXPECT_EQ(createModel(1), -1);
    releaseModels();
}

}  // namespace
