#include "scene/body.h"

#include <cmath>

#include "scene/transform.h"
#include "util/alloc.h"

namespace vantir {

Body** bodyLists = nullptr;
Body* bodyPool = nullptr;
void** bodyBlocks = nullptr;

int initBodyBlocks() {
    bodyBlocks = static_cast<void**>(checkedAlloc(BODY_BLOCK_COUNT * sizeof(void*)));
    return bodyBlocks ? 0 : -1;
}

int releaseBodyBlock(int i) {
    if (!bodyBlocks || i < 0 || i >= BODY_BLOCK_COUNT || !bodyBlocks[i]) return 1;
    checkedFree(bodyBlocks[i]);
    bodyBlocks[i] = nullptr;
    return 0;
}

void releaseBodyBlocks() {
    if (!bodyBlocks) return;
    for (int i = 0; i < BODY_BLOCK_COUNT; ++i) releaseBodyBlock(i);
    checkedFree(bodyBlocks);
    bodyBlocks = nullptr;
}

int initBodies() {
    bodyLists = static_cast<Body**>(checkedAlloc(BODY_LIST_COUNT * sizeof(Body*)));
    if (!bodyLists) return -1;
    bodyPool = static_cast<Body*>(checkedAlloc(BODY_POOL_SIZE * sizeof(Body)));
    if (!bodyPool) return -1;
    for (int i = 0; i < BODY_POOL_SIZE; ++i) bodyPool[i].poolMark = BODY_FREE;
    return 0;
}

void releaseBodies() {
    checkedFree(bodyLists);
    bodyLists = nullptr;
    checkedFree(bodyPool);
    bodyPool = nullptr;
}

Body* linkBody(int list, const Matrix* matrix, const Vec4* local, std::int32_t radius, std::uint32_t flags,
               BodyCallback callback) {
    if (!bodyLists || !bodyPool || list < 0 || list >= BODY_LIST_COUNT || !matrix || !local) return nullptr;
    for (int i = 0; i < BODY_POOL_SIZE; ++i) {
        Body& body = bodyPool[i];
        if (body.poolMark != BODY_FREE) continue;
        body = Body{};
        body.poolMark = 0;
        body.flags = flags;
        body.local = *local;
        body.radius = radius;
        body.matrix = matrix;
        body.callback = callback;
        body.next = bodyLists[list];
        bodyLists[list] = &body;
        return &body;
    }
    return nullptr;
}

int unlinkBody(Body* body) {
    if (!bodyLists || !body) return -1;
    for (int list = 0; list < BODY_LIST_COUNT; ++list) {
        for (Body** link = &bodyLists[list]; *link; link = &(*link)->next) {
            if (*link != body) continue;
            *link = body->next;
            // Nothing may keep pointing at a freed record.
            for (int i = 0; i < BODY_POOL_SIZE; ++i)
                if (bodyPool[i].partner == body) bodyPool[i].partner = nullptr;
            body->next = nullptr;
            body->poolMark = BODY_FREE;
            return 0;
        }
    }
    return -1;
}

std::int32_t projectBody(Vec4* viewOut, Vec4* screenOut, const Vec4* local, const Matrix* matrix,
                         std::int32_t radius, std::uint32_t flags) {
    std::int32_t centreX, centreY;
    getProjectionCentre(&centreX, &centreY);
    const auto& e = matrix->m;
    const std::int32_t x = local->x, y = local->y, z = local->z;
    // As for model vertices: x and y come out times 256, z in units.
    std::int32_t vx = (x * e[0][0] + y * e[1][0] + z * e[2][0] + e[3][0]) >> 1;
    std::int32_t vy = (x * e[0][1] + y * e[1][1] + z * e[2][1] + e[3][1]) >> 1;
    const std::int32_t vz = (x * e[0][2] + y * e[1][2] + z * e[2][2] + e[3][2]) >> 9;
    std::int32_t result = 0;
    if (flags & BODY_PROJECT) {
        if (vz <= NEAR_LIMIT) {
            result = -1;
        } else {
            const std::int32_t d = vz - NEAR_LIMIT;  // >= 1; truncating divisions
            screenOut->x = vx / d + centreX;
            screenOut->y = vy / d + centreY;
            result = (radius * 256) / d;  // the radius in pixels at that depth
        }
    }
    viewOut->x = vx >> 8;  // back to units
    viewOut->y = vy >> 8;
    viewOut->z = vz;
    return result;
}

void projectBodies() {
    if (!bodyLists) return;
    // Every body starts the frame out of contact, so a contact lasts only as
    // long as the bodies keep touching.
    for (int list = 0; list < BODY_LIST_COUNT; ++list)
        for (Body* body = bodyLists[list]; body; body = body->next) body->flags &= ~BODY_CONTACT;
    for (int list = 0; list < BODY_LIST_COUNT; ++list) {
        for (Body* body = bodyLists[list]; body; body = body->next) {
            if (!body->matrix) continue;
            body->projectedRadius =
                projectBody(&body->view, &body->screen, &body->local, body->matrix, body->radius, body->flags);
        }
    }
}

namespace {
void notify(Body* body) {
    if (body->callback) body->callback(body);
}

// Distance of the view positions, truncated toward zero. The differences
// wrap as 32-bit values. Positions projectBodies writes stay within 2^22
// units, but the pass reads whatever the records hold, and a distance past
// 2^31 must not convert into a small (or negative) number: it is kept in 64
// bits, and so is the radii's sum.
std::int64_t viewDistance(const Body& a, const Body& b) {
    const std::int32_t dx = a.view.x - b.view.x, dy = a.view.y - b.view.y, dz = a.view.z - b.view.z;
    const double d = std::hypot(std::hypot(double(dx), double(dy)), double(dz));
    return std::isfinite(d) ? static_cast<std::int64_t>(d) : 0;
}
}  // namespace

void testBodyContacts() {
    if (!bodyLists) return;
    for (int i = 0; i < BODY_LIST_COUNT; ++i) {
        for (Body* a = bodyLists[i]; a; a = a->next) {
            if (!(a->flags & BODY_COLLIDES)) continue;
            if (a->flags & BODY_CONTACT) {
                notify(a);  // touched by a body tested earlier this frame
                continue;
            }
            bool found = false;
            for (int j = 0; j < BODY_LIST_COUNT && !found; ++j) {
                if (j == i) continue;  // bodies of one list never touch each other
                for (Body* b = bodyLists[j]; b; b = b->next) {
                    if (!(b->flags & BODY_COLLIDES)) continue;
                    if (viewDistance(*a, *b) >= std::int64_t{a->radius} + b->radius) continue;
                    a->flags |= BODY_CONTACT;
                    b->flags |= BODY_CONTACT;
                    a->partner = b;
                    b->partner = a;
                    notify(a);
                    found = true;
                    break;
                }
            }
        }
    }
}

}  // namespace vantir
