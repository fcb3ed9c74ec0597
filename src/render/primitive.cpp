#include "render/primitive.h"

namespace vantir {

namespace {
// Handle h names entry h - 1; handles stay 32-bit so records keep their sizes.
PrimitiveCallback registeredCallbacks[PRIM_CALLBACK_CAPACITY] = {};
}  // namespace

std::int32_t registerPrimitiveCallback(PrimitiveCallback fn) {
    if (!fn) return -1;
    for (int i = 0; i < PRIM_CALLBACK_CAPACITY; ++i) {
        if (registeredCallbacks[i] == fn) return i + 1;  // one handle per function
        if (!registeredCallbacks[i]) {
            registeredCallbacks[i] = fn;
            return i + 1;
        }
    }
    return -1;
}

PrimitiveCallback primitiveCallback(std::uint32_t handle) {
    if (handle < 1 || handle > PRIM_CALLBACK_CAPACITY) return nullptr;
    return registeredCallbacks[handle - 1];
}

}  // namespace vantir
