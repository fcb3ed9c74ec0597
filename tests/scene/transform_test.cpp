#include "scene/transform.h"

#include <cstring>

#include "support/scene.h"

namespace {

using TransformTest = SceneTest;

struct ProjectionCase {
    ModelVertex view;  // through the identity matrix the source is the view position
    ProjectedVertex expected;
};

TEST_F(TransformTest, ProjectionExamples) {
    const ProjectionCase cases[] = {
        {{100, 0, 0, 0}, {200, 80, 0, 0}},           // screen plane: own x from the centre
        {{100, 0, 256, 0}, {150, 80, 256, 0}},       // twice as far: half the offset
        {{3, -2, -255, 0}, {868, -432, -255, 0}},    // nearest accepted depth: divisor 1
        {{3, -2, -256, 0}, {768, -512, -256, -1}},   // near limit: view coordinates x 256
        {{3, -2, -1000, 0}, {768, -512, -1000, -1}},
        {{1, 0, 1000, 0}, {100, 80, 1000, 0}},       // 256 / 1256 truncates to 0
        {{-1, 0, 1000, 0}, {100, 80, 1000, 0}},      // toward zero, not down
        {{0, -1, 1000, 0}, {100, 80, 1000, 0}},
        {{-3, 3, 256, 0}, {99, 81, 256, 0}},         // -1.5 -> -1, 1.5 -> 1
        {{-5, 0, 0, 0}, {95, 80, 0, 0}},
    };
    Matrix identity;
    matIdentity(&identity);
    for (const ProjectionCase& c : cases) {
        ProjectedVertex out{};
        EXPECT_EQ(transformVertices(1, &out, &c.view, &identity), 0);
        EXPECT_EQ(std::memcmp(&out, &c.expected, sizeof out), 0) << c.view.x << "," << c.view.y << "," << c.view.z
                                                                << " -> " << out.x << "," << out.y << "," << out.clip;
    }
}

TEST_F(TransformTest, DepthSumIsShiftedOnceAndDown) {
    Matrix m;
    matIdentity(&m);
    m.m[0][2] = 256;  // half a unit of depth per x
    m.m[2][2] = 256;
    const ModelVertex source[] = {{1, 0, 1, 0}, {0, 0, -1, 0}};
    ProjectedVertex out[2] = {};
    transformVertices(2, out, source, &m);
    EXPECT_EQ(out[0].z, 1);   // 256 + 256 shifted once; shifting each term would give 0
    EXPECT_EQ(out[1].z, -1);  // -256 >> 9 rounds toward minus infinity
    out[0] = {7, 7, 7, 7};
    for (std::int32_t count : {0, -1}) transformVertices(count, out, source, &m);
    EXPECT_EQ(out[0].x + out[0].clip, 14);  // no count, no write
}

// Camera at its start values, model at (10, 0, 0). Part 0 turns a quarter
// about z and moves 100 away; part 1 is its child; pop 1 makes part 2 a
// sibling of part 1; pop 2 makes part 3 a child of the model again.
TEST_F(TransformTest, FrameThroughAPartHierarchy) {
    const int slot = createModel(4);
    sourceVertices[0] = {4, 2, 0, 0};
    sourceVertices[1] = {1, 0, 0, 0};
    sourceVertices[2] = {0, 0, 0, 0};
    sourceVertices[3] = {0, 0, 0, 0};
    sourceVertices[4] = {-20, 4, 400, 0};
    ASSERT_EQ(addModelPart(slot, 0, 1, 0), 0);
    ASSERT_EQ(addModelPart(slot, 1, 1, 1), 1);
    ASSERT_EQ(addModelPart(slot, 2, 1, 2), 2);
    ASSERT_EQ(addModelPart(slot, 3, 2, 0), 3);
    *modelPosition(slot) = {10, 0, 0, 0};
    *partPosition(slot, 0) = {0, 0, 100, 0};
    *partRotation(slot, 0) = {0, 0, 256, 0};
    *partPosition(slot, 1) = {0, 8, 0, 0};
    *partPosition(slot, 2) = {0, 0, -50, 0};
    *partPosition(slot, 3) = {0, 0, -400, 0};
    transformAllModels();

    // View positions by hand (the quarter turn maps (x, y) to (y, -x)), then
    // screen = 256 * view / (z + 256) truncated, plus the centre (100, 80).
    const ProjectedVertex expected[] = {
        {107, 78, 175, 0},     // (4,2,0) -> (2,-4,0) + (0,0,100) + (10,0,75) = (12,-4,175): 3072/431, -1024/431
        {110, 80, 175, 0},     // (1,8,0) -> (8,-1,0) -> (18,-1,175): 4608/431 = 10, -256/431 = 0
        {106, 80, 125, 0},     // (0,0,-50) -> (10,0,125): 2560/381 = 6
        {2560, 0, -325, -1},   // (0,0,-400) + (10,0,75) = (10,0,-325): behind the near limit
        {93, 83, 75, 0},       // (-20,4,0) + (10,0,75) = (-10,4,75): -2560/331 = -7, 1024/331 = 3
    };
    for (int i = 0; i < 5; ++i) {
        const ProjectedVertex& p = list->projectedVertices[i];
        EXPECT_EQ(std::memcmp(&p, &expected[i], sizeof p), 0) << i << ": " << p.x << "," << p.y << "," << p.z << "," << p.clip;
    }
    // The matrices of the frame stay on the parts, translations as units x 512.
    const Model* model = modelAt(slot);
    EXPECT_EQ(model->parts[2].world.m[3][0], 10 * 512);
    EXPECT_EQ(model->parts[2].world.m[3][2], 125 * 512);
    EXPECT_EQ(model->parts[0].local.m[0][1], -512);
    EXPECT_EQ(matrixStackDepth, 1);  // part 3's push is still on the stack
}

TEST_F(TransformTest, HiddenModelsKeepTheirVertices) {
    const int slot = createModel(1);
    sourceVertices[0] = {0, 0, 0, 0};
    ASSERT_EQ(addModelPart(slot, 0, 1, 0), 0);
    list->projectedVertices[0] = {-9, -9, -9, -9};
    modelAt(slot)->flags |= MODEL_HIDDEN;
    transformAllModels();
    EXPECT_EQ(list->projectedVertices[0].x, -9);
    EXPECT_EQ(list->projectedVertices[0].clip, -9);
    modelAt(slot)->flags &= ~MODEL_HIDDEN;
    transformAllModels();
    EXPECT_EQ(list->projectedVertices[0].x, CENTRE_X);
    EXPECT_EQ(list->projectedVertices[0].z, 75);
}

TEST_F(TransformTest, PartsAreClippedToTheProjectedVertices) {
    // Row 0 bound without a capacity cannot refuse the range when the part is
    // added; the frame still writes only the vertices that exist.
    static ModelVertex wide[DISPLAY_LIST_VERTEX_COUNT + 8] = {};
    ASSERT_EQ(bindVertexArray(wide), 0);
    const int slot = createModel(2);
    ASSERT_EQ(addModelPart(slot, 1498, 6, 0), 0);
    ASSERT_EQ(addModelPart(slot, 1600, 4, 0), 1);
    transformAllModels();
    EXPECT_EQ(list->projectedVertices[1498].z, 75);
    EXPECT_EQ(list->projectedVertices[1499].z, 75);
    const unsigned char zero[64] = {};
    EXPECT_EQ(std::memcmp(list->reservedColourRecords, zero, sizeof zero), 0);
}

TEST_F(TransformTest, EmptySlotsAndNoModelsDoNothing) {
    Matrix identity;
    matIdentity(&identity);
    list->projectedVertices[0] = {-9, -9, -9, -9};
    transformModel(0, &identity);
    transformModel(-1, &identity);
    transformModel(MODEL_SLOT_COUNT, &identity);
    transformAllModels();
    EXPECT_EQ(list->projectedVertices[0].x, -9);
    // The camera matrix is built even without models: translation (0, 0, 75).
    EXPECT_EQ(cameraMatrix.m[3][2], 75 * 512);
}

}  // namespace
