#include "scene/body.h"

#include <gtest/gtest.h>

#include <vector>

#include "math/matrix.h"
#include "util/alloc.h"

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
    Body* link(int list, Vec4 at, std::int32_t radius = 10, std::uint32_t flags = BODY_COLLIDES) {
        return linkBody(list, &identity, &at, radius, flags, record);
    }
    void frame() {
        projectBodies();
        testBodyContacts();
    }
    int callsOf(const Body* body) const {
        int n = 0;
        for (const Body* b : calls) n += b == body;
        return n;
    }
    Matrix identity;
};

TEST_F(BodyTest, EmptyListsDoNothing) {
    frame();
    EXPECT_TRUE(calls.empty());
    for (int i = 0; i < BODY_POOL_SIZE; ++i) ASSERT_EQ(bodyPool[i].poolMark, BODY_FREE);
}

struct ContactCase {
    Vec4 other;
    bool touching;
};

TEST_F(BodyTest, ContactAtTruncatedDistance) {
    const ContactCase cases[] = {
        {{19, 6, 0, 0}, true},    // sqrt(397) = 19.92, truncated to 19 < 20
        {{16, 12, 0, 0}, false},  // exactly 20: not less than the radii's sum
        {{0, 0, 20, 0}, false},
        {{0, 0, -19, 0}, true},
        {{11, 11, 11, 0}, true},  // sqrt(363) = 19.05
        {{12, 12, 12, 0}, false}, // sqrt(432) = 20.78
    };
    for (const ContactCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.other.x << "," << c.other.y << "," << c.other.z);
        releaseBodies();
        ASSERT_EQ(initBodies(), 0);
        calls.clear();
        Body* a = link(0, {0, 0, 0, 0});
        Body* b = link(1, c.other);
        frame();
        EXPECT_EQ(bool(a->flags & BODY_CONTACT), c.touching);
        EXPECT_EQ(bool(b->flags & BODY_CONTACT), c.touching);
        // Each body in contact is called back once: a as the finder, b by its flag.
        EXPECT_EQ(callsOf(a), c.touching ? 1 : 0);
        EXPECT_EQ(callsOf(b), c.touching ? 1 : 0);
        EXPECT_EQ(a->partner, c.touching ? b : nullptr);
        EXPECT_EQ(b->partner, c.touching ? a : nullptr);
    }
}

TEST_F(BodyTest, BodiesOfOneListNeverTouch) {
    Body* a = link(3, {0, 0, 0, 0});
    Body* b = link(3, {0, 0, 0, 0});
    frame();
    EXPECT_FALSE(a->flags & BODY_CONTACT);
    EXPECT_FALSE(b->flags & BODY_CONTACT);
    EXPECT_TRUE(calls.empty());
}

TEST_F(BodyTest, OnlyCollidingBodiesAreTested) {
    Body* a = link(0, {0, 0, 0, 0});
    Body* b = link(1, {0, 0, 0, 0}, 10, BODY_PROJECT);
    frame();
    EXPECT_FALSE(a->flags & BODY_CONTACT);
    EXPECT_FALSE(b->flags & BODY_CONTACT);
    EXPECT_TRUE(calls.empty());
}

TEST_F(BodyTest, ContactEndsWhenTheBodiesPart) {
    // The touching body is the second of its list: its flag must be cleared
    // by the next frame as well as the first body's.
    Body* second = link(0, {0, 0, 0, 0});
    Body* first = link(0, {500, 0, 0, 0});
    ASSERT_EQ(bodyLists[0], first);
    ASSERT_EQ(first->next, second);
    Body* other = link(1, {5, 0, 0, 0});
    frame();
    EXPECT_TRUE(second->flags & BODY_CONTACT);
    EXPECT_EQ(callsOf(second), 1);
    EXPECT_EQ(callsOf(other), 1);
    EXPECT_EQ(callsOf(first), 0);

    other->local = {200, 0, 0, 0};
    calls.clear();
    frame();
    EXPECT_FALSE(second->flags & BODY_CONTACT);
    EXPECT_FALSE(other->flags & BODY_CONTACT);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(second->partner, other);  // the last partner is remembered
}

TEST_F(BodyTest, ProjectedRadius) {
    struct Case {
        Vec4 at;
        std::uint32_t flags;
        std::int32_t radius;
        Vec4 screen;  // (-7, -7) = left as it was
    };
    const Case cases[] = {
        {{3, -2, 0, 0}, BODY_PROJECT, 10, {103, 78, 0, 0}},
        {{6, -4, 256, 0}, BODY_PROJECT, 5, {103, 78, 0, 0}},
        {{3, -2, -255, 0}, BODY_PROJECT, 2560, {868, -432, 0, 0}},
        {{3, -2, -256, 0}, BODY_PROJECT, -1, {-7, -7, 0, 0}},
        {{3, -2, 0, 0}, 0, 0, {-7, -7, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "z " << c.at.z << " flags " << c.flags);
        releaseBodies();
        ASSERT_EQ(initBodies(), 0);
        Body* body = link(5, c.at, 10, c.flags);
        body->screen = {-7, -7, 0, 0};
        frame();
        EXPECT_EQ(body->projectedRadius, c.radius);
        EXPECT_EQ(body->screen.x, c.screen.x);
        EXPECT_EQ(body->screen.y, c.screen.y);
        // The view position is stored in units whether projected or not.
        EXPECT_EQ(body->view.x, c.at.x);
        EXPECT_EQ(body->view.y, c.at.y);
        EXPECT_EQ(body->view.z, c.at.z);
    }
}

TEST_F(BodyTest, ViewPositionFollowsTheMatrix) {
    Matrix m;
    const Vec4 offset{-30, 7, 40, 0};
    matTranslation(&m, &offset);
    Vec4 view{}, screen{};
    const Vec4 local{1, 2, 3, 0};
    EXPECT_EQ(projectBody(&view, &screen, &local, &m, 10, 0), 0);
    EXPECT_EQ(view.x, -29);  // (-29 * 256) >> 8, arithmetic
    EXPECT_EQ(view.y, 9);
    EXPECT_EQ(view.z, 43);
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
        EXPECT_EQ(b->poolMark, 0);
        EXPECT_EQ(bodyLists[i % BODY_LIST_COUNT], b);  // linked at the front
        bodies.push_back(b);
    }
    EXPECT_EQ(link(0, at), nullptr);  // pool exhausted
    Body* middle = bodies[40];        // list 8, neither first nor last
    EXPECT_EQ(unlinkBody(middle), 0);
    EXPECT_EQ(middle->poolMark, BODY_FREE);
    EXPECT_EQ(unlinkBody(middle), -1);
    for (Body* b = bodyLists[8]; b; b = b->next) EXPECT_NE(b, middle);
    EXPECT_EQ(link(2, at), middle);  // the freed record is taken again
    EXPECT_EQ(unlinkBody(nullptr), -1);
}

TEST_F(BodyTest, UnlinkingClearsPartnersThatNameTheBody) {
    Body* a = link(0, {0, 0, 0, 0});
    Body* b = link(1, {1, 0, 0, 0});
    frame();
    ASSERT_EQ(a->partner, b);
    EXPECT_EQ(unlinkBody(b), 0);
    EXPECT_EQ(a->partner, nullptr);
    calls.clear();
    frame();
    EXPECT_TRUE(calls.empty());
}

TEST_F(BodyTest, NullCallbacksAreSkipped) {
    const Vec4 at{0, 0, 0, 0};
    Body* a = linkBody(0, &identity, &at, 10, BODY_COLLIDES, nullptr);
    Body* b = linkBody(1, &identity, &at, 10, BODY_COLLIDES, nullptr);
    frame();
    EXPECT_TRUE(a->flags & BODY_CONTACT);
    EXPECT_TRUE(b->flags & BODY_CONTACT);
}

TEST_F(BodyTest, DistancesPastThirtyOneBitsAreNoContact) {
    // View positions written by hand (the contact pass reads whatever is
    // there): differences of 2^31 give a distance of about 3.7e9.
    Body* a = link(0, {0, 0, 0, 0});
    Body* b = link(1, {0, 0, 0, 0});
    a->view = {1 << 30, 1 << 30, 1 << 30, 0};
    b->view = {-(1 << 30), -(1 << 30), -(1 << 30), 0};
    testBodyContacts();
    EXPECT_FALSE(a->flags & BODY_CONTACT);
    EXPECT_TRUE(calls.empty());
}

TEST_F(BodyTest, BlockTable) {
    bodyBlocks[3] = checkedAlloc(64);
    bodyBlocks[30] = checkedAlloc(16);
    EXPECT_EQ(releaseBodyBlock(3), 0);
    EXPECT_EQ(bodyBlocks[3], nullptr);
    EXPECT_EQ(releaseBodyBlock(3), 1);
    EXPECT_EQ(releaseBodyBlock(-1), 1);
    EXPECT_EQ(releaseBodyBlock(BODY_BLOCK_COUNT), 1);
    releaseBodyBlocks();  // frees entry 30 (the leak checker would notice otherwise)
    EXPECT_EQ(bodyBlocks, nullptr);
    ASSERT_EQ(initBodyBlocks(), 0);
}

TEST(BodyStartUp, AllocationFailures) {
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
    releaseBodyBlocks();
    projectBodies();  // without lists both passes do nothing
    testBodyContacts();
}

}  // namespace
