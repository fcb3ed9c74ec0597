// The BMP decoder on its own: real files written by ImageMagick against the
// colours ImageMagick reads back from them, and hand-made files for every
// conversion, refusal and run-length command.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "support/bmp.h"
#include "texture/texture.h"

using namespace vantir;

namespace {

using namespace bmptest;

struct Decoded { int result = -2, widthShift = -1, heightShift = -1; std::vector<Rgb555> texels; };

// Checks the file, then decodes it into a block with a guard zone on each
// side, so a write outside the image shows as a changed guard.
Decoded decode(const Bytes& file) {
    Decoded d;
    d.result = parseBmpImage(file.data(), file.size(), &d.widthShift, &d.heightShift, nullptr);
    if (d.result < 0) return d;
    const std::size_t count = std::size_t{1} << (d.widthShift + d.heightShift);
    std::vector<Rgb555> block(count + 64, 0xbeef);
    EXPECT_EQ(parseBmpImage(file.data(), file.size(), nullptr, nullptr, block.data() + 32), 0);
    const std::vector<Rgb555> guard(32, 0xbeef);
    EXPECT_EQ(std::vector<Rgb555>(block.begin(), block.begin() + 32), guard) << "before the image";
    EXPECT_EQ(std::vector<Rgb555>(block.end() - 32, block.end()), guard) << "after the image";
    d.texels.assign(block.begin() + 32, block.begin() + 32 + static_cast<std::ptrdiff_t>(count));
    return d;
}

// Written by fuzz/seeds/imagemagick/make.sh: BMP3 (40-byte header) and V5 (124-byte
// header) files of every depth ImageMagick writes, beside the binary PPM of
// what ImageMagick decodes from each. The texels are those colours with each
// channel cut to its top 5 bits.
TEST(ParseBmpImage, RealFilesDecodeToTheColoursTheyHold) {
    const char* names[] = {"bmp3_1bit", "bmp3_1bit_tiny", "bmp3_4bit", "bmp3_4bit_tiny", "bmp3_8bit", "bmp3_8bit_rle",
                           "bmp3_8bit_tiny", "bmp3_24bit", "bmp3_24bit_tiny", "bmp3_32bit", "v5_8bit", "v5_8bit_rle",
                           "v5_16bit_565", "v5_16bit_555", "v5_24bit", "v5_32bit"};
    for (const char* name : names) {
        const std::string base = std::string(VANTIR_SOURCE_DIR) + "/fuzz/seeds/imagemagick/" + name;
        const Decoded d = decode(readFileBytes(base + ".bmp"));
        ASSERT_EQ(d.result, 0) << name;
        const Bytes ppm = readFileBytes(base + ".ppm");  // "P6 W H 255" and one white space, then RGB
        std::size_t pos = 2;
        int fields[3] = {};
        for (int& f : fields) {
            while (std::isspace(ppm.at(pos))) ++pos;
            while (std::isdigit(ppm.at(pos))) f = f * 10 + (ppm[pos++] - '0');
        }
        ASSERT_EQ((std::array{fields[0], fields[1]}), (std::array{1 << d.widthShift, 1 << d.heightShift})) << name;
        ASSERT_EQ(ppm.size() - pos - 1, 3 * d.texels.size()) << name;
        for (std::size_t i = 0; i < d.texels.size(); ++i) {
            const unsigned char* rgb = &ppm[pos + 1 + 3 * i];
            ASSERT_EQ(d.texels[i], packRgb555(rgb[0], rgb[1], rgb[2])) << name << " texel " << i;
        }
    }
}

// Every truncation, every side that is no power of two up to 256, every field
// that lies about the file and every depth, compression and mask set we do
// not read is refused.
TEST(ParseBmpImage, RefusesWhatItCannotRead) {
    const Bytes valid =
        buildBmp({.palette = {0, 0xffffff}, .pixels = paddedRows({{0, 1, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {1, 0, 1, 0}})});
    ASSERT_EQ(decode(valid).result, 0);
    for (std::size_t size = 0; size < valid.size(); ++size)
        EXPECT_EQ(parseBmpImage(valid.data(), size, nullptr, nullptr, nullptr), -1) << "size " << size;
    EXPECT_EQ(parseBmpImage(nullptr, 0, nullptr, nullptr, nullptr), -1);
    std::vector<std::pair<BmpOffset, std::uint32_t>> fields = {
        {BMP_DATA_OFFSET, 0xffffffff}, {BMP_DATA_OFFSET, 100}, {BMP_HEADER_SIZE, 0xfffffff0}, {BMP_HEADER_SIZE, 12},
        {BMP_HEADER_SIZE, 0}, {BMP_PALETTE_COUNT, 257}, {BMP_PALETTE_COUNT, 0xffffffff}, {BMP_PALETTE_COUNT, 256},
        {BMP_BIT_COUNT, 0}, {BMP_BIT_COUNT, 2}, {BMP_BIT_COUNT, 64}, {BMP_COMPRESSION, 2}, {BMP_COMPRESSION, 3},
        {BMP_COMPRESSION, 4}, {BMP_COMPRESSION, 5}, {BMP_COMPRESSION, 0x80000001}};
    for (std::int32_t side : {0, 1, 3, 100, 512, -2, -256, INT32_MIN, 0x7fffffff})
        for (BmpOffset at : {BMP_WIDTH, BMP_HEIGHT}) fields.push_back({at, static_cast<std::uint32_t>(side)});
    for (const auto& [offset, value] : fields) {
        Bytes file = valid;
        put(file, offset, value, offset == BMP_BIT_COUNT ? 2 : 4);
        EXPECT_EQ(decode(file).result, -1) << "field at " << offset << " = " << value;
    }
    // Depth, compression and masks; the first form is one we read.
    const std::tuple<int, std::uint32_t, std::vector<std::uint32_t>> forms[] = {
        {16, 3, {0x7c00, 0x03e0, 0x001f}}, {4, 1, {}}, {16, 2, {}}, {24, 1, {}}, {24, 3, {0xff0000, 0xff00, 0xff}},
        {16, 3, {0x0f00, 0x00f0, 0x000f}}, {16, 3, {0x001f, 0x07e0, 0xf800}}, {32, 3, {0x3ff00000, 0x000ffc00, 0x3ff}},
        {32, 3, {0xff, 0xff00, 0xff0000}}, {16, 3, {}}, {15, 0, {}}};
    for (std::size_t row = 0; row < std::size(forms); ++row) {
        const auto& [bitCount, compression, masks] = forms[row];
        Bytes file = buildBmp({.width = 2, .height = 2, .bitCount = bitCount, .compression = compression, .masks = masks,
                               .pixels = paddedRows({Bytes(8, 0), Bytes(8, 0)})});
        if (masks.empty() && compression == 3) file.resize(60);  // ends inside the masks
        EXPECT_EQ(decode(file).result, row == 0 ? 0 : -1) << bitCount << " bits, compression " << compression;
    }
}

// Index i (1..31) gives texel i, index 0 pure red, so untouched pixels show.
std::vector<std::uint32_t> runPalette(int count) {
    std::vector<std::uint32_t> p(count);
    p[0] = 0xff0000;
    for (int i = 1; i < count; ++i) p[i] = static_cast<std::uint32_t>(i) << 3;
    return p;
}

// Rows of index digits ('0'..'9', 'a'..'v'), top first, as texels of runPalette.
std::vector<Rgb555> indexImage(const std::string& rows) {
    std::vector<Rgb555> out;
    for (char c : rows) {
        const int index = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10;
        out.push_back(index == 0 ? Rgb555{0x7c00} : static_cast<Rgb555>(index));
    }
    return out;
}

// 4 x 4 images, RLE8 (compression 1) and RLE4 (2): runs, absolute runs and
// their padding, ends of line, deltas and the end of the bitmap, cut at the
// row's end and at the data's end.
TEST(ParseBmpImage, DecodesRunLengthCommands) {
    struct Case { int bits; Bytes data; const char* want; };
    const Case cases[] = {
        {8, {2, 1, 2, 2, 0, 0, 4, 3, 0, 0, 1, 4, 0, 1}, "0000400033331122"},
        {8, {0, 0, 0, 0, 0, 0, 4, 1, 0, 0, 4, 2}, "1111000000000000"},  // end of line on the top row ends decoding
        {8, {6, 1, 2, 2, 0, 0, 1, 3}, "0000000030001111"},
        {8, {1, 1, 0, 2, 1, 2, 1, 5}, "0000005000001000"},
        {8, {0, 2, 9, 0, 2, 7, 0, 0, 1, 8}, "0000000080000000"},
        {8, {1, 1, 0, 2, 0, 4, 1, 9}, "0000000000001000"},
        {8, {0, 3, 1, 2, 3, 0xee, 1, 4}, "0000000000001234"},
        {8, {0, 4, 1, 2, 3, 4, 0, 0, 1, 5}, "0000000050001234"},
        {8, {0, 5, 1, 2, 3, 4, 5, 0xee, 0, 0, 1, 6}, "0000000060001234"},
        {8, {0, 0, 0, 5, 7, 8}, "0000000078000000"},
        {8, {2, 9, 0, 1, 4, 3}, "0000000000009900"},
        {8, {2, 9, 3}, "0000000000009900"},
        {8, {1, 1, 0, 2, 1}, "0000000000001000"},
        {8, {}, "0000000000000000"},
        {8, {4, 0, 0, 0, 4, 0x1f}, "00000000vvvv0000"},
        {4, {3, 0x12, 0, 0, 4, 0x34}, "0000000034341210"},
        {4, {0, 3, 0x12, 0x30, 1, 0x50}, "0000000000001235"},
        {4, {0, 5, 0x12, 0x34, 0x50, 0xee, 0, 0, 1, 0x60}, "0000000060001234"},
        {4, {0, 6, 0x9a, 0xb}, "0000000000009a0b"},
        {4, {7, 0xcd, 1, 1, 0, 0, 2, 0xef}, "00000000ef00cdcd"},
        {4, {0, 2, 2, 1, 1, 0xf0, 0, 1, 1, 1}, "0000000000f00000"},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const Case& c = cases[row];
        const bool eight = c.bits == 8;
        const Decoded d = decode(buildBmp({.bitCount = c.bits, .compression = eight ? 1u : 2u,
                                           .palette = runPalette(eight ? 32 : 16), .pixels = c.data}));
        ASSERT_EQ(d.result, 0) << "row " << row;
        EXPECT_EQ(d.texels, indexImage(c.want)) << "row " << row;
    }
    Bytes file = buildBmp({.compression = 1, .palette = runPalette(4)});  // data offset at the end: no runs
    put32(file, BMP_DATA_OFFSET, static_cast<std::uint32_t>(file.size()) + 1);
    EXPECT_EQ(decode(file).result, -1);
    // Random run-length data never leads outside the file or the image.
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        const bool four = round & 1;
        Bytes data(random() % 64);
        for (unsigned char& b : data) b = static_cast<unsigned char>(random() % 4 == 0 ? random() % 4 : random());
        const BmpFields fields{.width = 8, .bitCount = four ? 4 : 8, .compression = four ? 2u : 1u,
                               .palette = runPalette(four ? 16 : 32), .pixels = data};
        ASSERT_EQ(decode(buildBmp(fields)).result, 0) << "round " << round << " (mt19937 seeded 12345)";
    }
}

}  // namespace
