// The BMP decoder on its own: real files written by ImageMagick against the
// colours ImageMagick reads back from them, and hand-made files for every
// conversion, refusal and run-length command.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/bmp.h"
#include "texture/texture.h"

using namespace vantir;

namespace {

using namespace bmptest;

struct Decoded {
    int result = -2, widthShift = -1, heightShift = -1;
    std::vector<Rgb555> texels;
};

// Checks the file, then decodes it into a block with a guard zone on each
// side, so a write outside the image shows as a changed guard.
Decoded decode(const Bytes& file) {
    Decoded d;
    d.result = parseBmpImage(file.data(), file.size(), &d.widthShift, &d.heightShift, nullptr);
    if (d.result < 0) return d;
    const std::size_t count = std::size_t{1} << (d.widthShift + d.heightShift);
    std::vector<Rgb555> block(count + 64, 0xbeef);
    EXPECT_EQ(parseBmpImage(file.data(), file.size(), nullptr, nullptr, block.data() + 32), 0);
    for (int i = 0; i < 32; ++i) EXPECT_TRUE(block[i] == 0xbeef && block[count + 32 + i] == 0xbeef) << i;
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
        ASSERT_EQ(fields[0], 1 << d.widthShift) << name;
        ASSERT_EQ(fields[1], 1 << d.heightShift) << name;
        ASSERT_EQ(ppm.size() - pos - 1, 3 * d.texels.size()) << name;
        for (std::size_t i = 0; i < d.texels.size(); ++i)
            ASSERT_EQ(d.texels[i], packRgb555(ppm[pos + 1 + 3 * i], ppm[pos + 2 + 3 * i], ppm[pos + 3 + 3 * i])) << name << " " << i;
    }
}

// Every truncation, every side that is no power of two up to 256, every field
// that lies about the file and every depth, compression and mask set we do
// not read is refused.
TEST(ParseBmpImage, RefusesWhatItCannotRead) {
    const Bytes valid = buildBmp({4, 4, 8, 0, 40, {0, 0xffffff}, ~0u, {}, paddedRows({{0, 1, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {1, 0, 1, 0}})});
    ASSERT_EQ(decode(valid).result, 0);
    for (std::size_t size = 0; size < valid.size(); ++size)
        EXPECT_EQ(parseBmpImage(valid.data(), size, nullptr, nullptr, nullptr), -1) << "size " << size;
    EXPECT_EQ(parseBmpImage(nullptr, 0, nullptr, nullptr, nullptr), -1);
    struct Field {
        std::size_t offset;
        std::uint32_t value;
        bool wide;
    };
    std::vector<Field> fields = {{10, 0xffffffff, true}, {10, 100, true}, {14, 0xfffffff0, true}, {14, 12, true}, {14, 0, true},
                                 {46, 257, true}, {46, 0xffffffff, true}, {46, 256, true}, {28, 0, false}, {28, 2, false},
                                 {28, 64, false}, {30, 2, true}, {30, 3, true}, {30, 4, true}, {30, 5, true}, {30, 0x80000001, true}};
    for (std::int32_t side : {0, 1, 3, 100, 512, -2, -256, INT32_MIN, 0x7fffffff})
        for (std::size_t at : {18, 22}) fields.push_back({at, static_cast<std::uint32_t>(side), true});
    for (const Field& f : fields) {
        Bytes file = valid;
        f.wide ? put32(file, f.offset, f.value) : put16(file, f.offset, f.value);
        EXPECT_EQ(decode(file).result, -1) << "field at " << f.offset << " = " << f.value;
    }
    struct Form {
        int bitCount;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
    };
    const Form forms[] = {{4, 1, {}}, {16, 2, {}}, {24, 1, {}}, {24, 3, {0xff0000, 0xff00, 0xff}},
                          {16, 3, {0x0f00, 0x00f0, 0x000f}}, {16, 3, {0x001f, 0x07e0, 0xf800}},
                          {32, 3, {0x3ff00000, 0x000ffc00, 0x000003ff}}, {32, 3, {0xff, 0xff00, 0xff0000}}, {16, 3, {}}, {15, 0, {}}};
    for (const Form& f : forms) {
        Bytes file = buildBmp({2, 2, f.bitCount, f.compression, 40, {}, 0, f.masks, paddedRows({Bytes(8, 0), Bytes(8, 0)})});
        if (f.masks.empty() && f.compression == 3) file.resize(60);  // ends inside the masks
        EXPECT_EQ(decode(file).result, -1) << f.bitCount << " bits, compression " << f.compression;
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
    struct Case {
        int bits;
        Bytes data;
        const char* want;
    };
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
    for (const Case& c : cases) {
        const BmpFields fields{4, 4, c.bits, c.bits == 8 ? 1u : 2u, 40, runPalette(c.bits == 8 ? 32 : 16), ~0u, {}, c.data};
        const Decoded d = decode(buildBmp(fields));
        ASSERT_EQ(d.result, 0) << c.want;
        EXPECT_EQ(d.texels, indexImage(c.want)) << c.want;
    }
    Bytes file = buildBmp({4, 4, 8, 1, 40, runPalette(4), ~0u, {}, {}});  // data offset at the end: no runs
    put32(file, 10, static_cast<std::uint32_t>(file.size()) + 1);
    EXPECT_EQ(decode(file).result, -1);
    // Random run-length data never leads outside the file or the image.
    std::uint32_t seed = 12345;
    const auto next = [&] { return static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16); };
    for (int round = 0; round < 400; ++round) {
        const bool four = round & 1;
        Bytes data(next() % 64);
        for (unsigned char& b : data) b = next() % 4 == 0 ? next() % 4 : next();
        ASSERT_EQ(decode(buildBmp({8, 4, four ? 4 : 8, four ? 2u : 1u, 40, runPalette(four ? 16 : 32), ~0u, {}, data})).result, 0);
    }
}

}  // namespace
