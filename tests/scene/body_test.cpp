#include "scene/body.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "math/matrix.h"
#include "math/trig.h"
#include "util/alloc.h"

using namespace vantir;

namespace {

std::vector<Body*> calls;
void record(Body* body) { calls.push_back(body); }

class BodyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(initBodyBlocks(), 0);
        ASSERT_EQ(initBodies(), 0);
        matIdentity(&identity);
        setProjectionCentre(100, 80);
        calls.clear();
    }
    void TearDown() override {
        failAllocationsAfter(-1);
        releaseBodies();
        releaseBodyBlocks();
        setProjectionCentre(0, 0);
    }
    Body* link(int list, Vec4 at, std::uint32_t flags = BODY_COLLIDES, BodyCallback callback = record) {
        return linkBody(list, &identity, &at, 10, flags, callback);
    }
    void frame() {
        projectBodies();
        testBodyContacts();
    }
    int callsOf(const Body* body) const { return static_cast<int>(std::count(calls.begin(), calls.end(), body)); }
    Matrix identity;
};

// A contact ends when the bodies part (also for the second body of a list),
// and unlinking a body clears the partner fields that name it. A body
// without BODY_COLLIDES touches nothing.
TEST_F(BodyTest, ContactEndsWhenTheBodiesPartOrOneIsUnlinked) {
    Body* second = link(0, {0, 0, 0, 0});
    Body* first = link(0, {500, 0, 0, 0});
    ASSERT_EQ(bodyLists[0], first);
    Body* other = link(1, {5, 0, 0, 0});
    Body* inert = link(2, {500, 0, 0, 0}, 0);
    frame();
    EXPECT_TRUE(second->flags & BODY_CONTACT);
    EXPECT_EQ((std::array{callsOf(second), callsOf(other), callsOf(first), callsOf(inert)}), (std::array{1, 1, 0, 0}));
    other->local = {200, 0, 0, 0};
    calls.clear();
    frame();
    EXPECT_FALSE(second->flags & BODY_CONTACT);
    EXPECT_FALSE(other->flags & BODY_CONTACT);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(second->partner, other);  // the last partner is remembered
    EXPECT_EQ(unlinkBody(other), 0);
    EXPECT_EQ(second->partner, nullptr);
}

TEST_F(BodyTest, ProjectionGivesTheViewPositionScreenPointAndRadius) {
    struct Case { Vec4 at; std::uint32_t flags; std::int32_t radius; Vec4 screen; };  // screen (-7, -7): left as it was
    const Case cases[] = {
        {{3, -2, 0, 0}, BODY_PROJECT, 10, {103, 78, 0, 0}},        {{6, -4, 256, 0}, BODY_PROJECT, 5, {103, 78, 0, 0}},
        {{3, -2, -255, 0}, BODY_PROJECT, 2560, {868, -432, 0, 0}}, {{3, -2, -256, 0}, BODY_PROJECT, -1, {-7, -7, 0, 0}},
        {{3, -2, 0, 0}, 0, 0, {-7, -7, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "z " << c.at.z << " flags " << c.flags);
        releaseBodies();
        ASSERT_EQ(initBodies(), 0);
        Body* body = link(5, c.at, c.flags);
        body->screen = {-7, -7, 0, 0};
        frame();
        EXPECT_EQ(body->projectedRadius, c.radius);
        EXPECT_EQ((std::array{body->screen.x, body->screen.y}), (std::array{c.screen.x, c.screen.y}));
        EXPECT_EQ((std::array{body->view.x, body->view.y, body->view.z}), (std::array{c.at.x, c.at.y, c.at.z}));
    }
    Matrix m;
    const Vec4 offset{-30, 7, 40, 0}, local{1, 2, 3, 0};
    matTranslation(&m, &offset);
    Vec4 view{}, screen{};
    EXPECT_EQ(projectBody(&view, &screen, &local, &m, 10, 0), 0);
    EXPECT_EQ((std::array{view.x, view.y, view.z}), (std::array{-29, 9, 43}));  // x: (-29 * 256) >> 8, arithmetic
    // Quarter turns about y and x carry depth into x and y.
    const Vec4 depth{0, 0, 3, 0}, aboutY{0, 256, 0, 0}, aboutX{256, 0, 0, 0};
    ASSERT_EQ(initMath(), 0);
    matRotation(&m, &aboutY);
    projectBody(&view, &screen, &depth, &m, 10, 0);
    EXPECT_EQ((std::array{view.x, view.y, view.z}), (std::array{3, 0, 0}));
    matRotation(&m, &aboutX);
    projectBody(&view, &screen, &depth, &m, 10, 0);
    EXPECT_EQ((std::array{view.x, view.y, view.z}), (std::array{0, 3, 0}));
    releaseMath();
}

TEST_F(BodyTest, LinkingTakesAndReturnsPoolRecords) {
    const Vec4 at{0, 0, 0, 0};
    EXPECT_EQ(linkBody(-1, &identity, &at, 1, 0, nullptr), nullptr);
    EXPECT_EQ(linkBody(BODY_LIST_COUNT, &identity, &at, 1, 0, nullptr), nullptr);
    EXPECT_EQ(linkBody(0, nullptr, &at, 1, 0, nullptr), nullptr);
    std::vector<Body*> bodies;
    for (int i = 0; i < BODY_POOL_SIZE; ++i) {
        Body* b = link(i % BODY_LIST_COUNT, at);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(bodyLists[i % BODY_LIST_COUNT], b);  // linked at the front
        bodies.push_back(b);
    }
    EXPECT_EQ(link(0, at), nullptr);  // pool exhausted
    Body* middle = bodies[40];        // list 8, neither first nor last
    EXPECT_EQ(unlinkBody(middle), 0);
    EXPECT_EQ(unlinkBody(middle), -1);
    EXPECT_EQ(bodies[72]->next, bodies[8]);  // its neighbours in list 8 are joined
    EXPECT_EQ(link(2, at), middle);  // the freed record is taken again
    EXPECT_EQ(unlinkBody(nullptr), -1);
}

TEST_F(BodyTest, StartUpFailuresAndTheBlockTable) {
    bodyBlocks[3] = checkedAlloc(64);
    bodyBlocks[30] = checkedAlloc(16);
    EXPECT_EQ(releaseBodyBlock(3), 0);
    EXPECT_EQ(bodyBlocks[3], nullptr);
    for (int i : {3, -1, BODY_BLOCK_COUNT}) EXPECT_EQ(releaseBodyBlock(i), 1) << i;
    releaseBodyBlocks();  // frees entry 30 (the leak checkers would notice otherwise)
    EXPECT_EQ(bodyBlocks, nullptr);
    releaseBodies();
    for (int successes = 0; successes < 2; ++successes) {
        failAllocationsAfter(successes);
        EXPECT_EQ(initBodies(), -1);
        failAllocationsAfter(-1);
        releaseBodies();
        EXPECT_EQ(bodyLists, nullptr);
        EXPECT_EQ(bodyPool, nullptr);
    }
    failAllocationsAfter(0);
    EXPECT_EQ(initBodyBlocks(), -1);
    failAllocationsAfter(-1);
    projectBodies();  // without lists both passes do nothing
    testBodyContacts();
}

}  // namespace
