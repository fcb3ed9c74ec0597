// Collision bodies: spheres carried by a matrix, kept in 32 lists. Every
// frame each body is carried into view space (and projected when asked), then
// bodies of different lists are tested pairwise for contact.
//
// Linking: linkBody takes a free record from the pool, gives it a matrix, a
// centre, a radius, flags and a callback and puts it at the front of a list;
// unlinkBody takes it out again and frees the record. The owner keeps the
// matrix alive while the body is linked. A callback must not link or unlink
// bodies: it runs while the lists are walked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/fixed.h"
#include "math/matrix.h"

namespace vantir {

constexpr int BODY_LIST_COUNT = 32;
constexpr int BODY_POOL_SIZE = 512;
constexpr int BODY_BLOCK_COUNT = 32;

constexpr std::uint32_t BODY_CONTACT = 1;   // set by the contact test, cleared each frame
constexpr std::uint32_t BODY_PROJECT = 2;   // project to the screen every frame
constexpr std::uint32_t BODY_COLLIDES = 4;  // takes part in contact tests

constexpr std::int32_t BODY_FREE = -1;  // pool mark of a free record

struct Body;
using BodyCallback = void (*)(Body* body);

struct Body {
    std::int32_t poolMark;  // BODY_FREE, or 0 while linked
    std::int32_t reserved0;
    std::uint32_t flags;
    Vec4 local;             // centre before transformation, units
    std::int32_t radius;    // units
    std::int32_t reserved1;
    Vec4 view;              // centre in view space, units, every frame
    Vec4 screen;            // x, y in pixels when projected; z, w untouched
    std::int32_t projectedRadius;
    std::int32_t reserved2;
    const Matrix* matrix;   // carries the centre into view space; owner's
    Body* partner;          // the body it last touched
    BodyCallback callback;  // called on contact
    std::int32_t reserved3;
    Body* next;             // next body of the same list
};
// 96 bytes on 32-bit builds; the fields before the addresses sit alike on all.
static_assert(offsetof(Body, local) == 12 && offsetof(Body, radius) == 28 && offsetof(Body, view) == 36 &&
              offsetof(Body, screen) == 52 && offsetof(Body, projectedRadius) == 68);
static_assert(sizeof(void*) != 4 || sizeof(Body) == 96);

extern Body** bodyLists;  // 32 heads; null before initBodies
extern Body* bodyPool;    // 512 records
extern void** bodyBlocks; // 32 owned blocks; null before initBodyBlocks

int initBodyBlocks();
// 1 for an empty entry (or an index outside 0..31), 0 after releasing it.
int releaseBodyBlock(int i);
void releaseBodyBlocks();
// Lists all empty, every pool record free. 0, or -1 if an allocation fails.
int initBodies();
void releaseBodies();

// The linked body, or null when list is outside 0..31, matrix is null, the
// pool is full or initBodies has not run.
Body* linkBody(int list, const Matrix* matrix, const Vec4* local, std::int32_t radius, std::uint32_t flags,
               BodyCallback callback);
// Takes a linked body out of its list and frees its record. 0, or -1 when it
// is not a linked pool record.
int unlinkBody(Body* body);

// Clears BODY_CONTACT on every body, then carries each one into view space.
void projectBodies();
// Tests bodies of different lists for contact and calls back the ones touching.
void testBodyContacts();
// One centre through matrix: writes the view position (units) and, with
// BODY_PROJECT and a depth in front of the near limit, the screen position.
// Answers the radius in pixels, -1 behind the near limit, 0 without BODY_PROJECT.
std::int32_t projectBody(Vec4* viewOut, Vec4* screenOut, const Vec4* local, const Matrix* matrix,
                         std::int32_t radius, std::uint32_t flags);

}  // namespace vantir
