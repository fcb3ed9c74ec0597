// The fuzz targets' view of their input: values taken from the front of the
// bytes in order. Past the end every read answers 0, so any input, even an
// empty one, is a whole run; libFuzzer grows inputs only as far as they pay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

struct FuzzInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    bool exhausted() const { return pos >= size; }
    std::uint8_t u8() { return pos < size ? data[pos++] : 0; }
    // Little-endian, byte by byte: no alignment and no read past the end.
    std::uint16_t u16() {
        const unsigned lo = u8();
        return static_cast<std::uint16_t>(lo | unsigned{u8()} << 8);
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | std::uint32_t{u16()} << 16;
    }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
};

// A broken invariant: said on stderr, then abort, which libFuzzer reports as
// a crash with the input saved and the corpus driver as a failed test.
inline void fuzzCheck(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
