// The one allocator of the engine: zero-filled blocks, a message box when
// memory runs out, and a release that accepts null.
#pragma once

#include <cstdint>

namespace vantir {

// A block of byteCount zero bytes, or null after the allocation message has
// been shown. A negative count is refused the same way (it names no size).
void* checkedAlloc(std::int32_t byteCount);
void checkedFree(void* block);

// Test hook: let `successes` more allocations succeed, then fail every later
// one as if memory had run out; -1 (the default) never fails.
void failAllocationsAfter(std::int32_t successes);

}  // namespace vantir
