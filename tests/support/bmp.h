// Hand-made BMP files for the loader tests: a well-formed file of any shape,
// whose fields the tests then falsify one at a time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "math/fixed.h"

using namespace vantir;

namespace bmptest {

using Bytes = std::vector<unsigned char>;

// Little-endian fields of `bytes` bytes.
inline void put(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void put16(Bytes& b, std::size_t at, std::uint32_t v) { put(b, at, v, 2); }
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) { put(b, at, v, 4); }
inline std::uint32_t get(const Bytes& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// Offsets of the header fields the tests write or falsify.
enum BmpOffset : std::size_t {
    BMP_FILE_SIZE = 2, BMP_DATA_OFFSET = 10, BMP_HEADER_SIZE = 14, BMP_WIDTH = 18, BMP_HEIGHT = 22, BMP_PLANES = 26,
    BMP_BIT_COUNT = 28, BMP_COMPRESSION = 30, BMP_IMAGE_SIZE = 34, BMP_PALETTE_COUNT = 46, BMP_MASKS = 54,
};

struct BmpFields {
    std::int32_t width = 4;
    std::int32_t height = 4;
    int bitCount = 8;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> palette = {};  // 0x00RRGGBB, written as blue, green, red, 0
    std::vector<std::uint32_t> masks = {};    // BI_BITFIELDS: red, green, blue (right after 40-byte headers)
    Bytes pixels = {};                        // everything from the data offset on
};

// Header, optional masks, palette, then the pixel bytes; the data offset
// points right after the palette.
inline Bytes buildBmp(const BmpFields& s) {
    const std::size_t masksInHeader = s.headerSize >= 52 ? 0 : 4 * s.masks.size();
    const std::size_t paletteAt = BMP_HEADER_SIZE + s.headerSize + masksInHeader;
    const std::size_t dataAt = paletteAt + 4 * s.palette.size();
    Bytes b(dataAt + s.pixels.size(), 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, BMP_FILE_SIZE, static_cast<std::uint32_t>(b.size()));
    put32(b, BMP_DATA_OFFSET, static_cast<std::uint32_t>(dataAt));
    put32(b, BMP_HEADER_SIZE, s.headerSize);
    put32(b, BMP_WIDTH, static_cast<std::uint32_t>(s.width));
    put32(b, BMP_HEIGHT, static_cast<std::uint32_t>(s.height));
    put16(b, BMP_PLANES, 1);
    put16(b, BMP_BIT_COUNT, static_cast<std::uint32_t>(s.bitCount));
    put32(b, BMP_COMPRESSION, s.compression);
    put32(b, BMP_PALETTE_COUNT, static_cast<std::uint32_t>(s.palette.size()));
    for (std::size_t i = 0; i < s.masks.size(); ++i) put32(b, BMP_MASKS + 4 * i, s.masks[i]);
    for (std::size_t i = 0; i < s.palette.size(); ++i) put32(b, paletteAt + 4 * i, s.palette[i] & 0xffffff);
    std::copy(s.pixels.begin(), s.pixels.end(), b.begin() + static_cast<std::ptrdiff_t>(dataAt));
    return b;
}

// File rows (given bottom-up, as stored) each padded with zeros to 4 bytes.
inline Bytes paddedRows(const std::vector<Bytes>& rows) {
    Bytes out;
    for (const Bytes& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

inline Bytes readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool writeFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace bmptest
