// Shared set-up of the scene tests: math tables, the display list with row 0
// bound to a 1500-record array, the model table and a fixed projection centre.
#pragma once

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/trig.h"
#include "render/display_list.h"
#include "scene/model.h"
#include "util/alloc.h"

using namespace vantir;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(initMath(), 0);
        ASSERT_EQ(initDisplayList(), 0);
        ASSERT_EQ(initModels(), 0);
        ASSERT_EQ(bindVertexArray(sourceVertices, DISPLAY_LIST_VERTEX_COUNT), 0);
        setProjectionCentre(100, 80);
        list = currentDisplayList();
    }
    void TearDown() override {
        failAllocationsAfter(-1);
        releaseModels();
        releaseDisplayList();
        releaseMath();
        setProjectionCentre(0, 0);
    }

    ModelVertex sourceVertices[DISPLAY_LIST_VERTEX_COUNT] = {};
    DisplayList* list = nullptr;
};
