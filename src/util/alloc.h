// The one allocator of the engine: zero-filled blocks, a message box when
// memory runs out, and a release that accepts null.
#pragma once

#include <cstdint>

// A block of byteCount zero bytes, or null after the allocation message has
// been shown. A negative count is refused the same way (it names no size).
void* checkedAlloc(std::int32_t byteCount);
void checkedFree(void* block);
