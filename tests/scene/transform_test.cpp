#include "scene/transform.h"

#include <tuple>

#include "support/scene.h"

using namespace vantir;

namespace {

using TransformTest = SceneTest;

auto fields(const ProjectedVertex& p) { return std::tuple{p.x, p.y, p.z, p.clip}; }

// Camera at its start values, model at (10, 0, 0). Part 0 turns a quarter
// about z and moves 100 away; part 1 is its child; pop 1 makes part 2 a
// sibling of part 1; pop 2 makes part 3 a child of the model again.
TEST_F(TransformTest, FrameThroughAPartHierarchy) {
    const int slot = createModel(4);
    sourceVertices[0] = {4, 2, 0, 0};
    sourceVertices[1] = {1, 0, 0, 0};
    sourceVertices[4] = {-20, 4, 400, 0};
    sourceVertices[5] = {0, 0, 70, 0};
    sourceVertices[6] = {0, 0, 69, 0};
    ASSERT_EQ(addModelPart(slot, 0, 1, 0), 0);
    ASSERT_EQ(addModelPart(slot, 1, 1, 1), 1);
    ASSERT_EQ(addModelPart(slot, 2, 1, 2), 2);
    ASSERT_EQ(addModelPart(slot, 3, 4, 0), 3);
    *modelPosition(slot) = {10, 0, 0, 0};
    *partPosition(slot, 0) = {0, 0, 100, 0};
    *partRotation(slot, 0) = {0, 0, 256, 0};
    *partPosition(slot, 1) = {0, 8, 0, 0};
    *partPosition(slot, 2) = {0, 0, -50, 0};
    *partPosition(slot, 3) = {0, 0, -400, 0};
    transformAllModels();

    // View positions by hand (the quarter turn maps (x, y) to (y, -x)), then
    // screen = 256 * view / (z + 256) truncated, plus the centre (100, 80);
    // at or behind the near limit, z -256, the view x and y times 256 stay.
    const ProjectedVertex expected[] = {
        {107, 78, 175, 0},     // (4,2,0) -> (2,-4,0) + (0,0,100) + (10,0,75) = (12,-4,175): 3072/431, -1024/431
        {110, 80, 175, 0},     // (1,8,0) -> (8,-1,0) -> (18,-1,175): 4608/431 = 10, -256/431 = 0
        {106, 80, 125, 0},     // (0,0,-50) -> (10,0,125): 2560/381 = 6
        {2560, 0, -325, -1},   // (0,0,-400) + (10,0,75) = (10,0,-325)
        {93, 83, 75, 0},       // (-20,4,0) + (10,0,75) = (-10,4,75): -2560/331 = -7, 1024/331 = 3
        {2660, 80, -255, 0},   // (0,0,70) -> (10,0,-255): 2560/1, just in front
        {2560, 0, -256, -1},   // (0,0,69) -> (10,0,-256): at the limit
    };
    for (int i = 0; i < 7; ++i) EXPECT_EQ(fields(list->projectedVertices[i]), fields(expected[i])) << "vertex " << i;
    // The matrices of the frame stay on the parts, translations as units x 512.
    const Model* model = modelAt(slot);
    EXPECT_EQ(model->parts[2].world.m[3][0], 10 * 512);
    EXPECT_EQ(model->parts[2].world.m[3][2], 125 * 512);
    EXPECT_EQ(model->parts[0].local.m[0][1], -512);
    EXPECT_EQ(matrixStackDepth, 1);  // part 3's push is still on the stack
}

// Nothing is written for empty slots, for a hidden model, or without models.
TEST_F(TransformTest, EmptySlotsHiddenModelsAndNoModelsWriteNothing) {
    Matrix identity;
    matIdentity(&identity);
    list->projectedVertices[0] = {-9, -9, -9, -9};
    transformModel(0, &identity);
    transformModel(-1, &identity);
    transformModel(MODEL_SLOT_COUNT, &identity);
    transformAllModels();
    const int slot = createModel(1);
    ASSERT_EQ(addModelPart(slot, 0, 1, 0), 0);
    modelAt(slot)->flags = MODEL_HIDDEN;
    transformAllModels();
    EXPECT_EQ(list->projectedVertices[0].x, -9);
    // The camera matrix is built even without models: translation (0, 0, 75).
    EXPECT_EQ(cameraMatrix.m[3][2], 75 * 512);
}

}  // namespace
