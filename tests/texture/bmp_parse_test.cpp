// The BMP decoder on its own: real files written by ImageMagick against the
// colours ImageMagick reads back from them, and hand-made files for every
// refusal and every run-length command.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "support/bmp.h"
#include "texture/texture.h"

namespace {

using bmptest::Bytes;
using bmptest::BmpFields;
using bmptest::buildBmp;
using bmptest::paddedRows;
using bmptest::put16;
using bmptest::put32;

const std::string kBmpDir = std::string(VANTIR_TEST_DATA_DIR) + "/bmp/";

struct Decoded {
    int result = -2;
    int widthShift = -1;
    int heightShift = -1;
    std::vector<Rgb555> texels;
};

// Checks the file, then decodes it into a block with a guard zone on each
// side, so a write outside the image shows as a changed guard.
Decoded decode(const Bytes& file, std::size_t size) {
    Decoded d;
    d.result = parseBmpImage(file.data(), size, &d.widthShift, &d.heightShift, nullptr);
    if (d.result < 0) return d;
    const std::size_t count = std::size_t{1} << (d.widthShift + d.heightShift);
    std::vector<Rgb555> block(count + 64, 0xbeef);
    int ws = -1;
    int hs = -1;
    EXPECT_EQ(parseBmpImage(file.data(), size, &ws, &hs, block.data() + 32), 0);
    EXPECT_EQ(ws, d.widthShift);
    EXPECT_EQ(hs, d.heightShift);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(block[i], 0xbeef);
        EXPECT_EQ(block[count + 32 + i], 0xbeef);
    }
    d.texels.assign(block.begin() + 32, block.begin() + 32 + static_cast<std::ptrdiff_t>(count));
    return d;
}
Decoded decode(const Bytes& file) { return decode(file, file.size()); }

// ---------------------------------------------------------------------------
// Real files

struct Ppm {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

Ppm readPpm(const std::string& path) {
    const Bytes raw = bmptest::readFileBytes(path);
    Ppm ppm;
    std::size_t pos = 0;
    auto number = [&]() {
        while (pos < raw.size() && std::isspace(raw[pos])) ++pos;
        int v = 0;
        while (pos < raw.size() && std::isdigit(raw[pos])) v = v * 10 + (raw[pos++] - '0');
        return v;
    };
    if (raw.size() < 2 || raw[0] != 'P' || raw[1] != '6') return ppm;
    pos = 2;
    ppm.width = number();
    ppm.height = number();
    const int maxValue = number();
    ++pos;  // the single white space before the samples
    if (maxValue != 255) return Ppm{};
    ppm.rgb.assign(raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.end());
    return ppm;
}

struct RealFile {
    const char* name;
    int widthShift;
    int heightShift;
    int bitCount;
    std::uint32_t compression;
};

// Written by tests/data/bmp/make.sh: BMP3 (40-byte header) and V5 (124-byte
// header, data offset past it) files of every depth ImageMagick writes.
const RealFile kRealFiles[] = {
    {"bmp3_1bit", 4, 3, 1, 0},       {"bmp3_1bit_tiny", 1, 2, 1, 0}, {"bmp3_4bit", 4, 3, 4, 0},
    {"bmp3_4bit_tiny", 1, 2, 4, 0},  {"bmp3_8bit", 5, 4, 8, 0},      {"bmp3_8bit_rle", 5, 4, 8, 1},
    {"bmp3_8bit_tiny", 1, 4, 8, 0},  {"bmp3_24bit", 4, 3, 24, 0},    {"bmp3_24bit_tiny", 1, 2, 24, 0},
    {"bmp3_32bit", 2, 3, 32, 0},     {"v5_8bit", 5, 4, 8, 0},        {"v5_8bit_rle", 5, 4, 8, 1},
    {"v5_16bit_565", 4, 3, 16, 3},   {"v5_16bit_555", 4, 3, 16, 3},  {"v5_24bit", 2, 3, 24, 0},
    {"v5_32bit", 4, 3, 32, 3},
};

TEST(ParseBmpImage, RealFilesDecodeToTheColoursTheyHold) {
    for (const RealFile& f : kRealFiles) {
        SCOPED_TRACE(f.name);
        const Bytes file = bmptest::readFileBytes(kBmpDir + f.name + ".bmp");
        ASSERT_GT(file.size(), 54u);
        // The file is what the table says it is.
        EXPECT_EQ(file[28] | (file[29] << 8), f.bitCount);
        EXPECT_EQ(file[30], f.compression);
        const Ppm expected = readPpm(kBmpDir + f.name + ".ppm");
        ASSERT_EQ(expected.width, 1 << f.widthShift);
        ASSERT_EQ(expected.height, 1 << f.heightShift);
        ASSERT_EQ(expected.rgb.size(), 3u * expected.width * expected.height);

        const Decoded d = decode(file);
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.widthShift, f.widthShift);
        EXPECT_EQ(d.heightShift, f.heightShift);
        // The top 5 bits of each channel as read back; for the 16-bit files
        // that is exactly the stored 5-bit field (the top 5 of green's 6).
        for (std::size_t i = 0; i < d.texels.size(); ++i) {
            const Rgb555 want = packRgb555(expected.rgb[3 * i], expected.rgb[3 * i + 1], expected.rgb[3 * i + 2]);
            ASSERT_EQ(d.texels[i], want) << "texel " << i % expected.width << ", " << i / expected.width;
        }
    }
}

TEST(ParseBmpImage, CompressedAndPlainFilesOfOneImageAgree) {
    const Decoded plain = decode(bmptest::readFileBytes(kBmpDir + "bmp3_8bit.bmp"));
    for (const char* name : {"bmp3_8bit_rle.bmp", "v5_8bit.bmp", "v5_8bit_rle.bmp"}) {
        const Decoded other = decode(bmptest::readFileBytes(kBmpDir + name));
        ASSERT_EQ(other.result, 0) << name;
        EXPECT_EQ(other.texels, plain.texels) << name;
    }
}

// ---------------------------------------------------------------------------
// Uncompressed conversions, hand-made

TEST(ParseBmpImage, ConvertsEachDepthAndStoresRowsTopDown) {
    // 2 x 2 images; file rows bottom-up, so the first file row is texels 2, 3.
    struct Case {
        const char* what;
        BmpFields fields;
        std::vector<Rgb555> want;  // top-down
    };
    const std::vector<std::uint32_t> palette2 = {0x000000, 0xf8f8f8};
    const std::vector<Case> cases = {
        {"1 bit, most significant first", {2, 2, 1, 0, 40, palette2, 0xffffffff, {}, paddedRows({{0x80}, {0x40}})},
         {0x0000, 0x7fff, 0x7fff, 0x0000}},
        {"4 bits, high nibble first",
         {2, 2, 4, 0, 40, {0x000000, 0x080000, 0x000800, 0x000008}, 0xffffffff, {}, paddedRows({{0x12}, {0x30}})},
         {0x0001, 0x0000, 0x0400, 0x0020}},
        {"8 bits", {2, 2, 8, 0, 40, {0x000000, 0xff0000, 0x00ff00}, 0xffffffff, {}, paddedRows({{1, 2}, {2, 0}})},
         {0x03e0, 0x0000, 0x7c00, 0x03e0}},
        {"16 bits copied, bit 15 too", {2, 2, 16, 0, 40, {}, 0, {}, paddedRows({{0x34, 0x12, 0xff, 0xff}, {1, 0, 0, 0x80}})},
         {0x0001, 0x8000, 0x1234, 0xffff}},
        {"16 bits 5-5-5 masks copied",
         {2, 2, 16, 3, 40, {}, 0, {0x7c00, 0x03e0, 0x001f}, paddedRows({{0x34, 0x12, 0xff, 0xff}, {1, 0, 0, 0x80}})},
         {0x0001, 0x8000, 0x1234, 0xffff}},
        {"16 bits 5-6-5 masks keep the top 5 of each",
         {2, 2, 16, 3, 40, {}, 0, {0xf800, 0x07e0, 0x001f},
          paddedRows({{0xff, 0xff, 0x00, 0xf8}, {0xe0, 0x07, 0x20, 0x00}})},
         {0x03e0, 0x0000, 0x7fff, 0x7c00}},
        {"24 bits blue green red",
         {2, 2, 24, 0, 40, {}, 0, {}, paddedRows({{0x10, 0x20, 0x30, 0xff, 0x07, 0x08}, {8, 0, 0, 0, 8, 0}})},
         {0x0001, 0x0020, packRgb555(0x30, 0x20, 0x10), packRgb555(0x08, 0x07, 0xff)}},
        {"32 bits, fourth byte ignored",
         {2, 2, 32, 0, 40, {}, 0, {}, paddedRows({{0x10, 0x20, 0x30, 0xff, 0, 0, 0xff, 0xff}, {0, 0, 0, 0, 8, 8, 8, 8}})},
         {0x0000, 0x0421, packRgb555(0x30, 0x20, 0x10), 0x7c00}},
        {"32 bits 8-8-8 masks",
         {2, 2, 32, 3, 40, {}, 0, {0xff0000, 0x00ff00, 0x0000ff},
          paddedRows({{0, 0, 0xff, 0, 0, 0, 0, 0}, {0xff, 0, 0, 0, 0xff, 0, 0, 0}})},
         {0x001f, 0x001f, 0x7c00, 0x0000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = decode(buildBmp(c.fields));
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.widthShift, 1);
        EXPECT_EQ(d.heightShift, 1);
        EXPECT_EQ(d.texels, c.want);
    }
}

TEST(ParseBmpImage, MasksInsideALargerHeaderAreRead) {
    BmpFields fields{2, 2, 16, 3, 124, {}, 0, {0xf800, 0x07e0, 0x001f}, paddedRows({{0, 0xf8, 0, 0}, {0, 0, 0, 0}})};
    const Decoded d = decode(buildBmp(fields));
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.texels, (std::vector<Rgb555>{0, 0, 0x7c00, 0}));
}

TEST(ParseBmpImage, PaletteFollowsTheHeaderAndRowsTheDataOffset) {
    // A 108-byte header, then 2 palette entries, then 6 stray bytes, then the rows.
    BmpFields fields{2, 2, 8, 0, 108, {0x0000f8, 0xf80000}, 2, {}, {}};
    Bytes file = buildBmp(fields);
    const std::uint32_t dataAt = static_cast<std::uint32_t>(file.size()) + 6;
    file.resize(dataAt, 0xee);
    const Bytes rows = paddedRows({{0, 1}, {1, 1}});
    file.insert(file.end(), rows.begin(), rows.end());
    put32(file, 10, dataAt);
    const Decoded d = decode(file);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.texels, (std::vector<Rgb555>{0x7c00, 0x7c00, 0x001f, 0x7c00}));
}

TEST(ParseBmpImage, PaletteCountRules) {
    // Count 0 means the whole palette of the depth; entries past the count are
    // black even when the file holds more bytes there.
    std::vector<std::uint32_t> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = 0x0000f8u | static_cast<std::uint32_t>(i) << 16;
    struct Case {
        int bitCount;
        std::uint32_t countField;
        std::uint8_t pixel;    // first byte of the top row
        Rgb555 want;           // the top-left texel
    };
    for (const Case& c : {Case{8, 0, 255, packRgb555(255, 0, 0xf8)}, Case{8, 3, 2, packRgb555(2, 0, 0xf8)},
                          Case{8, 3, 3, 0}, Case{8, 256, 200, packRgb555(200, 0, 0xf8)},
                          Case{4, 0, 0xf0, packRgb555(15, 0, 0xf8)}, Case{4, 2, 0x20, 0},
                          Case{1, 0, 0x80, packRgb555(1, 0, 0xf8)}, Case{1, 1, 0x80, 0}}) {
        SCOPED_TRACE(testing::Message() << c.bitCount << " bits, count " << c.countField);
        BmpFields fields{2, 2, c.bitCount, 0, 40, palette, c.countField, {}, paddedRows({{0, 0}, {c.pixel, 0}})};
        const Decoded d = decode(buildBmp(fields));
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.texels[0], c.want);
    }
}

// ---------------------------------------------------------------------------
// Refusals

Bytes validEightBit() {  // 4 x 4, 2 palette entries, rows of 4 bytes
    return buildBmp({4, 4, 8, 0, 40, {0, 0xffffff}, 0xffffffff, {}, paddedRows({{0, 1, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {1, 0, 1, 0}})});
}

TEST(ParseBmpImage, RefusesEveryTruncation) {
    const Bytes file = validEightBit();
    ASSERT_EQ(decode(file).result, 0);
    for (std::size_t size = 0; size < file.size(); ++size)
        EXPECT_EQ(parseBmpImage(file.data(), size, nullptr, nullptr, nullptr), -1) << "size " << size;
    EXPECT_EQ(parseBmpImage(nullptr, 0, nullptr, nullptr, nullptr), -1);
}

TEST(ParseBmpImage, LastRowNeedsNoPadding) {
    // 2-wide 8-bit rows are 2 bytes of data padded to 4: the top row, last in
    // the file, may end after its data.
    Bytes file = buildBmp({2, 2, 8, 0, 40, {0, 0xffffff}, 0xffffffff, {}, paddedRows({{0, 1}, {1, 0}})});
    file.resize(file.size() - 2);
    const Decoded d = decode(file);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.texels, (std::vector<Rgb555>{0x7fff, 0, 0, 0x7fff}));
    file.pop_back();
    EXPECT_EQ(decode(file).result, -1);
}

TEST(ParseBmpImage, RefusesSidesThatAreNotPowersOfTwoUpTo256) {
    for (const std::int32_t side : {0, 1, 3, 100, 512, -2, -256, INT32_MIN, 0x7fffffff}) {
        Bytes file = validEightBit();
        put32(file, 18, static_cast<std::uint32_t>(side));
        EXPECT_EQ(decode(file).result, -1) << "width " << side;
        file = validEightBit();
        put32(file, 22, static_cast<std::uint32_t>(side));
        EXPECT_EQ(decode(file).result, -1) << "height " << side;
    }
}

TEST(ParseBmpImage, RefusesLyingFields) {
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
        bool wide;  // 32-bit field, else 16-bit
    };
    const Case cases[] = {
        {"data offset past the end", 10, 0xffffffff, true},
        {"data offset leaving too few rows", 10, 100, true},
        {"header size huge", 14, 0xfffffff0, true},
        {"header size of the core form", 14, 12, true},
        {"header size 0", 14, 0, true},
        {"palette count above 256", 46, 257, true},
        {"palette count huge", 46, 0xffffffff, true},
        {"palette past the end", 46, 256, true},
        {"bit count 0", 28, 0, false},
        {"bit count 2", 28, 2, false},
        {"bit count 64", 28, 64, false},
        {"compression RLE4 at 8 bits", 30, 2, true},
        {"compression bit fields at 8 bits", 30, 3, true},
        {"compression JPEG", 30, 4, true},
        {"compression PNG", 30, 5, true},
        {"compression huge", 30, 0x80000001, true},
    };
    for (const Case& c : cases) {
        Bytes file = validEightBit();
        if (c.wide)
            put32(file, c.offset, c.value);
        else
            put16(file, c.offset, c.value);
        EXPECT_EQ(decode(file).result, -1) << c.what;
    }
}

TEST(ParseBmpImage, RefusesUnsupportedDepthsAndMasks) {
    const Bytes rows = paddedRows({Bytes(8, 0), Bytes(8, 0)});
    struct Case {
        const char* what;
        int bitCount;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
    };
    const Case cases[] = {
        {"RLE8 at 4 bits", 4, 1, {}},
        {"RLE4 at 16 bits", 16, 2, {}},
        {"RLE8 at 24 bits", 24, 1, {}},
        {"bit fields at 24 bits", 24, 3, {0xff0000, 0xff00, 0xff}},
        {"16 bits 4-4-4 masks", 16, 3, {0x0f00, 0x00f0, 0x000f}},
        {"16 bits blue-first masks", 16, 3, {0x001f, 0x07e0, 0xf800}},
        {"32 bits 10-10-10 masks", 32, 3, {0x3ff00000, 0x000ffc00, 0x000003ff}},
        {"32 bits red-low masks", 32, 3, {0xff, 0xff00, 0xff0000}},
        {"bit fields without masks", 16, 3, {}},
        {"15 bits", 15, 0, {}},
    };
    for (const Case& c : cases) {
        BmpFields fields{2, 2, c.bitCount, c.compression, 40, {}, 0, c.masks, rows};
        Bytes file = buildBmp(fields);
        if (c.masks.empty() && c.compression == 3) file.resize(60);  // ends inside the masks
        EXPECT_EQ(decode(file).result, -1) << c.what;
    }
}

// ---------------------------------------------------------------------------
// Run-length encoded files

// Palette where index i (1..31) gives texel i and index 0 gives pure red, so
// the untouched pixels show.
std::vector<std::uint32_t> runPalette(int count) {
    std::vector<std::uint32_t> p(count);
    p[0] = 0xff0000;
    for (int i = 1; i < count; ++i) p[i] = static_cast<std::uint32_t>(i) << 3;
    return p;
}

// Top-down rows of index digits ('0'..'9', 'a'..'v' for 10..31) to texels
// of runPalette.
std::vector<Rgb555> indexImage(const std::vector<std::string>& rows) {
    std::vector<Rgb555> out;
    for (const std::string& row : rows)
        for (char c : row) {
            const int index = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10;
            out.push_back(index == 0 ? Rgb555{0x7c00} : static_cast<Rgb555>(index));
        }
    return out;
}

struct RleCase {
    const char* what;
    Bytes data;
    std::vector<std::string> want;  // 4 x 4, top row first
};

TEST(ParseBmpImage, DecodesRle8Commands) {
    const RleCase cases[] = {
        {"runs and ends of line", {2, 1, 2, 2, 0, 0, 4, 3, 0, 0, 1, 4, 0, 1}, {"0000", "4000", "3333", "1122"}},
        {"end of line on the top row ends decoding", {0, 0, 0, 0, 0, 0, 4, 1, 0, 0, 4, 2}, {"1111", "0000", "0000", "0000"}},
        {"run past the row end is cut, cursor waits for end of line",
         {6, 1, 2, 2, 0, 0, 1, 3}, {"0000", "0000", "3000", "1111"}},
        {"delta moves right and up", {1, 1, 0, 2, 1, 2, 1, 5}, {"0000", "0050", "0000", "1000"}},
        {"delta past the row end parks the cursor there", {0, 2, 9, 0, 2, 7, 0, 0, 1, 8}, {"0000", "0000", "8000", "0000"}},
        {"delta to the height ends decoding", {1, 1, 0, 2, 0, 4, 1, 9}, {"0000", "0000", "0000", "1000"}},
        {"absolute run of odd length skips its pad byte", {0, 3, 1, 2, 3, 0xee, 1, 4}, {"0000", "0000", "0000", "1234"}},
        {"absolute run of even length has no pad byte", {0, 4, 1, 2, 3, 4, 0, 0, 1, 5}, {"0000", "0000", "5000", "1234"}},
        {"absolute run past the row end is cut", {0, 5, 1, 2, 3, 4, 5, 0xee, 0, 0, 1, 6}, {"0000", "0000", "6000", "1234"}},
        {"absolute run cut short by the end of the data", {0, 0, 0, 5, 7, 8}, {"0000", "0000", "7800", "0000"}},
        {"end of bitmap stops everything", {2, 9, 0, 1, 4, 3}, {"0000", "0000", "0000", "9900"}},
        {"data ending after a count byte", {2, 9, 3}, {"0000", "0000", "0000", "9900"}},
        {"data ending inside a delta", {1, 1, 0, 2, 1}, {"0000", "0000", "0000", "1000"}},
        {"empty data", {}, {"0000", "0000", "0000", "0000"}},
        {"index 0 runs and big indices", {4, 0, 0, 0, 4, 0x1f}, {"0000", "0000", "vvvv", "0000"}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        BmpFields fields{4, 4, 8, 1, 40, runPalette(32), 0xffffffff, {}, c.data};
        const Decoded d = decode(buildBmp(fields));
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.texels, indexImage(c.want));
    }
}

TEST(ParseBmpImage, DecodesRle4Commands) {
    const RleCase cases[] = {
        {"run alternates nibbles, high first", {3, 0x12, 0, 0, 4, 0x34}, {"0000", "0000", "3434", "1210"}},
        {"absolute run of 3 indices takes 2 bytes, no pad", {0, 3, 0x12, 0x30, 1, 0x50}, {"0000", "0000", "0000", "1235"}},
        {"absolute run of 5 takes 3 bytes and a pad byte",
         {0, 5, 0x12, 0x34, 0x50, 0xee, 0, 0, 1, 0x60}, {"0000", "0000", "6000", "1234"}},
        {"absolute run cut by the end keeps whole bytes", {0, 6, 0x9a, 0xb}, {"0000", "0000", "0000", "9a0b"}},
        {"run past the row end is cut", {7, 0xcd, 1, 1, 0, 0, 2, 0xef}, {"0000", "0000", "ef00", "cdcd"}},
        {"delta and end of bitmap", {0, 2, 2, 1, 1, 0xf0, 0, 1, 1, 1}, {"0000", "0000", "00f0", "0000"}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        BmpFields fields{4, 4, 4, 2, 40, runPalette(16), 0xffffffff, {}, c.data};
        const Decoded d = decode(buildBmp(fields));
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.texels, indexImage(c.want));
    }
}

TEST(ParseBmpImage, RleDataOffsetRules) {
    BmpFields fields{4, 4, 8, 1, 40, runPalette(4), 0xffffffff, {}, {}};
    Bytes file = buildBmp(fields);  // data offset == file size: no runs at all
    Decoded d = decode(file);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.texels, indexImage({"0000", "0000", "0000", "0000"}));
    put32(file, 10, static_cast<std::uint32_t>(file.size()) + 1);
    EXPECT_EQ(decode(file).result, -1);
    put32(file, 10, 0xffffffff);
    EXPECT_EQ(decode(file).result, -1);
}

// Random run-length data never leads the decoder outside the file or the
// image (the guard zones of decode() and the sanitizers watch both).
TEST(ParseBmpImage, RandomRunLengthDataStaysInside) {
    std::uint32_t seed = 12345;
    auto next = [&]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<unsigned char>(seed >> 16);
    };
    for (int round = 0; round < 400; ++round) {
        const bool fourBit = round & 1;
        Bytes data(next() % 64);
        for (unsigned char& b : data) b = next() % 4 == 0 ? next() % 4 : next();
        BmpFields fields{8, 4, fourBit ? 4 : 8, fourBit ? 2u : 1u, 40, runPalette(fourBit ? 16 : 32), 0xffffffff, {}, data};
        const Bytes file = buildBmp(fields);
        const Decoded d = decode(file);
        ASSERT_EQ(d.result, 0) << "round " << round;
    }
}

// ---------------------------------------------------------------------------

TEST(ConvertPalette, KeepsTheTopFiveBitsAndClearsThePastCount) {
    const unsigned char entries[] = {0xff, 0x00, 0x07, 0x99, 0x08, 0xf0, 0x80, 0x00, 0x12, 0x34, 0x56, 0x00};
    const Rgb555* table = convertPalette(entries, 3);
    EXPECT_EQ(table[0], 0x001f);
    EXPECT_EQ(table[1], (0x80 >> 3) << 10 | (0xf0 >> 3) << 5 | 1);
    EXPECT_EQ(table[2], packRgb555(0x56, 0x34, 0x12));
    convertPalette(entries, 1);
    EXPECT_EQ(table[0], 0x001f);
    for (int i = 1; i < 256; ++i) EXPECT_EQ(table[i], 0) << i;
}

}  // namespace
