#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/sequences.h"

namespace {

// Repeated passes with the same motion, from a zero rotation: the angles
// after each pass.
std::vector<std::int32_t> tiltTrack(std::int32_t dy, int passes) {
    Vec4 rotation{0, 0, 0, 0};
    std::vector<std::int32_t> track;
    for (int i = 0; i < passes; ++i) {
        turnPartByMouse(&rotation, 0, dy);
        track.push_back(rotation.x);
    }
    return track;
}

std::vector<std::int32_t> turnTrack(std::int32_t dx, int passes) {
    Vec4 rotation{0, 0, 0, 0};
    std::vector<std::int32_t> track;
    for (int i = 0; i < passes; ++i) {
        turnPartByMouse(&rotation, dx, 0);
        track.push_back(rotation.z);
    }
    return track;
}

TEST(MouseRotation, SteadyMotionRunsIntoTheLimits) {
    using Track = std::vector<std::int32_t>;
    // Moving down tilts backwards to -64 (stored 960), up forwards to +96.
    EXPECT_EQ(tiltTrack(10, 9), (Track{1014, 1004, 994, 984, 974, 964, 960, 960, 960}));
    EXPECT_EQ(tiltTrack(-10, 12), (Track{10, 20, 30, 40, 50, 60, 70, 80, 90, 96, 96, 96}));
    // Moving right lowers z to -64, left raises it to +64.
    EXPECT_EQ(turnTrack(10, 9), (Track{1014, 1004, 994, 984, 974, 964, 960, 960, 960}));
    EXPECT_EQ(turnTrack(-10, 9), (Track{10, 20, 30, 40, 50, 60, 64, 64, 64}));
}

TEST(MouseRotation, OneStepWrapsThenClamps) {
    struct Case {
        std::int32_t x, z, dx, dy, newX, newZ;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0},
        {96, 64, 0, 0, 96, 64},          // the limits themselves stay
        {960, 960, 0, 0, 960, 960},
        {0, 0, -97, -97, 96, 64},         // just past the positive limits
        {0, 0, 65, 65, 960, 960},         // both land on 959: up to 960
        {0, 0, -511, -511, 96, 64},
        {0, 0, -512, -512, 960, 960},     // half a turn lands on the negative side
        {0, 0, -600, -600, 960, 960},
        {0, 0, -1024, -1024, 0, 0},       // a whole turn is no turn
        {1000, 1000, -30, -30, 6, 6},     // across 0 upwards
        {5, 5, 1029, 1029, 0, 0},         // wraps by more than a turn
        {0, 0, 0, 64, 960, 0},
        {0, 0, -65, 0, 0, 64},
        {0, 0, 0, -65, 65, 0},            // x allows up to 96
    };
    for (const Case& c : cases) {
        Vec4 rotation{c.x, 321, c.z, -7};
        turnPartByMouse(&rotation, c.dx, c.dy);
        EXPECT_EQ(rotation.x, c.newX) << c.x << " - dy " << c.dy;
        EXPECT_EQ(rotation.z, c.newZ) << c.z << " - dx " << c.dx;
        EXPECT_EQ(rotation.y, 321);
        EXPECT_EQ(rotation.w, -7);
    }
}

}  // namespace
