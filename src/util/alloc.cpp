#include "util/alloc.h"

#include <cstdlib>

#include "util/error.h"

namespace vantir {

namespace {
std::int32_t allocationsBeforeFailure = -1;

bool injectedFailure() {
    if (allocationsBeforeFailure < 0) return false;
    if (allocationsBeforeFailure == 0) return true;
    --allocationsBeforeFailure;
    return false;
}
}  // namespace

void failAllocationsAfter(std::int32_t successes) { allocationsBeforeFailure = successes; }

void* checkedAlloc(std::int32_t byteCount) {
    if (injectedFailure()) {
        showError(MSG_ALLOC_FAILED, static_cast<int>(byteCount));
        return nullptr;
    }
    // calloc(n, 1) zero-fills; a negative count would become a huge size_t, so
    // it fails like any other request that cannot be met.
    void* block = byteCount < 0 ? nullptr : std::calloc(static_cast<std::size_t>(byteCount), 1);
    if (!block) showError(MSG_ALLOC_FAILED, static_cast<int>(byteCount));
    return block;
}

void checkedFree(void* block) {
    if (block) std::free(block);
}

}  // namespace vantir
