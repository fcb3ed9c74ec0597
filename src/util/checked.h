// Size and offset arithmetic for numbers that come from outside the program
// (file headers): every range is checked before it is used as an address,
// so a lying field can only ever produce a refusal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantir {

// True when the bytes [offset, offset + length) lie inside a block of `size`
// bytes. Written so that no sum can wrap, whatever the three values are.
constexpr bool rangeInside(std::size_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// Little-endian fields of a byte block; the caller has checked the range.
inline std::uint16_t loadLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace vantir
