// The gallery's textures: one small pattern for every size and BMP form the
// loader takes, so that the gallery shows each of them. Integer arithmetic
// only, so that every machine writes the same bytes as the committed files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_pattern.h"

namespace texgen {

// How a file stores its pixels.
enum class Form {
    Indexed1,  // 1 bit per pixel through a palette
    Indexed4,
    Indexed8,
    Rle4,      // 4-bit indices, run-length encoded
    Rle8,
    Rgb555,    // 16 bits, 5-5-5
    Rgb565,    // 16 bits, 5-6-5 with its masks after the header
    Bgr24,
    Bgrx32,
};

// An image of palette indices (for the indexed and run-length forms) or of
// colours (for the others), rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> indices;
    std::vector<Rgb> palette;
    std::vector<Rgb> colours;
};

inline int bitsOf(Form form) {
    switch (form) {
        case Form::Indexed1: return 1;
        case Form::Indexed4:
        case Form::Rle4: return 4;
        case Form::Indexed8:
        case Form::Rle8: return 8;
        case Form::Rgb555:
        case Form::Rgb565: return 16;
        case Form::Bgr24: return 24;
        default: return 32;
    }
}

// The file row of the picture's row y (rows top-down), padded to 4 bytes.
inline std::vector<unsigned char> packRow(const Picture& p, Form form, int y) {
    std::vector<unsigned char> row;
    const int bits = bitsOf(form);
    if (bits < 8) {
        row.assign(static_cast<std::size_t>((p.width * bits + 7) / 8), 0);
        for (int x = 0; x < p.width; ++x) {
            const int index = p.indices[y * p.width + x];
            const int shift = 8 - bits - (x * bits) % 8;  // the leftmost pixel in the high bits
            row[static_cast<std::size_t>(x * bits / 8)] |= static_cast<unsigned char>(index << shift);
        }
    } else if (bits == 8) {
        row.assign(p.indices.begin() + y * p.width, p.indices.begin() + (y + 1) * p.width);
    } else {
        for (int x = 0; x < p.width; ++x) {
            const Rgb c = p.colours[y * p.width + x];
            if (form == Form::Rgb555) {
                put16(row, static_cast<std::uint32_t>((c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3));
            } else if (form == Form::Rgb565) {
                put16(row, static_cast<std::uint32_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3));
            } else {
                row.push_back(static_cast<unsigned char>(c.b));
                row.push_back(static_cast<unsigned char>(c.g));
                row.push_back(static_cast<unsigned char>(c.r));
                if (form == Form::Bgrx32) row.push_back(0);
            }
        }
    }
    while (row.size() % 4) row.push_back(0);
    return row;
}

// The run-length data of a whole image: rows bottom-up, each as runs of one
// index (at most 255 pixels each) and an end of line, then the end of the
// bitmap. A 4-bit run repeats one index in both nibbles.
inline std::vector<unsigned char> encodeRuns(const Picture& p, bool fourBit) {
    std::vector<unsigned char> data;
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width;) {
            const unsigned char index = p.indices[y * p.width + x];
            int run = 1;
            while (x + run < p.width && run < 255 && p.indices[y * p.width + x + run] == index) ++run;
            data.push_back(static_cast<unsigned char>(run));
            data.push_back(fourBit ? static_cast<unsigned char>(index << 4 | index) : index);
            x += run;
        }
        data.push_back(0);
        data.push_back(0);  // end of line
    }
    data.push_back(0);
    data.push_back(1);  // end of bitmap
    return data;
}

// The whole file: the 14-byte file header, the 40-byte info header, the
// palette or the 5-6-5 masks, then the pixels.
inline std::vector<unsigned char> encodeBmp(const Picture& p, Form form) {
    const int bits = bitsOf(form);
    const bool indexed = bits <= 8;
    const std::uint32_t compression = form == Form::Rle8 ? 1 : form == Form::Rle4 ? 2 : form == Form::Rgb565 ? 3 : 0;
    std::vector<unsigned char> pixels;
    if (form == Form::Rle8 || form == Form::Rle4) {
        pixels = encodeRuns(p, form == Form::Rle4);
    } else {
        for (int y = p.height - 1; y >= 0; --y) {  // bottom row first
            const std::vector<unsigned char> row = packRow(p, form, y);
            pixels.insert(pixels.end(), row.begin(), row.end());
        }
    }
    const std::uint32_t tableBytes =
        indexed ? static_cast<std::uint32_t>(4 * p.palette.size()) : form == Form::Rgb565 ? 12 : 0;
    const std::uint32_t dataOffset = 14 + 40 + tableBytes;
    std::vector<unsigned char> out{'B', 'M'};
    put32(out, dataOffset + static_cast<std::uint32_t>(pixels.size()));
    put32(out, 0);
    put32(out, dataOffset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(p.width));
    put32(out, static_cast<std::uint32_t>(p.height));  // positive: bottom-up
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bits));
    put32(out, compression);
    put32(out, static_cast<std::uint32_t>(pixels.size()));
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, indexed ? static_cast<std::uint32_t>(p.palette.size()) : 0);
    put32(out, 0);
    if (indexed) {
        for (const Rgb& c : p.palette) {
            out.push_back(static_cast<unsigned char>(c.b));
            out.push_back(static_cast<unsigned char>(c.g));
            out.push_back(static_cast<unsigned char>(c.r));
            out.push_back(0);
        }
    } else if (form == Form::Rgb565) {
        put32(out, 0xf800);
        put32(out, 0x07e0);
        put32(out, 0x001f);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

inline Picture indexed(int width, int height, std::vector<Rgb> palette) {
    Picture p;
    p.width = width;
    p.height = height;
    p.indices.assign(static_cast<std::size_t>(width * height), 0);
    p.palette = std::move(palette);
    return p;
}

inline Picture direct(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.colours.assign(static_cast<std::size_t>(width * height), Rgb{0, 0, 0});
    return p;
}

inline int clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
inline Rgb scaled(Rgb c, int num, int den) { return {c.r * num / den, c.g * num / den, c.b * num / den}; }

// 2 x 2, 1 bit: the smallest texture, a checker.
inline Picture checker2() {
    Picture p = indexed(2, 2, {{240, 240, 230}, {170, 30, 50}});
    p.indices = {0, 1, 1, 0};
    return p;
}

// 64 x 32, 4 bits: bricks of 16 x 8 in four reds, every other course shifted
// by half a brick, in light mortar.
inline Picture tiles64x32() {
    Picture p = indexed(64, 32, {{200, 195, 180}, {160, 60, 40}, {180, 80, 50}, {140, 50, 40}, {190, 100, 60}});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const int course = y / 8;
            const int bx = (x + (course % 2) * 8) / 16;
            const bool mortar = y % 8 == 0 || (x + (course % 2) * 8) % 16 == 0;
            p.indices[y * 64 + x] = static_cast<unsigned char>(mortar ? 0 : 1 + (bx * 3 + course * 5) % 4);
        }
    return p;
}

// 128 x 128, 8 bits: two sets of rings interfering, through a palette that
// runs round the hues.
inline Picture plasma128() {
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i) {
        const int h = i * 6;  // six sectors of 256
        const int rise = h % 256, fall = 255 - rise;
        const Rgb sectors[6] = {{255, rise, 0}, {fall, 255, 0}, {0, 255, rise},
                                {0, fall, 255}, {rise, 0, 255}, {255, 0, fall}};
        palette.push_back(scaled(sectors[h / 256 % 6], 3, 4));
    }
    Picture p = indexed(128, 128, palette);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const int a = ((x - 40) * (x - 40) + (y - 30) * (y - 30)) >> 5;
            const int b = ((x - 100) * (x - 100) + (y - 90) * (y - 90)) >> 6;
            p.indices[y * 128 + x] = static_cast<unsigned char>((a + b + x) & 255);
        }
    return p;
}

// 32 x 128, 8 bits run-length encoded: bands of eight rows, each a dark
// edge, a light middle and a dark edge, so every row is three runs.
inline Picture rings32x128() {
    std::vector<Rgb> palette;
    for (int band = 0; band < 16; ++band) {
        const Rgb c = BAND_HUES[band % GRID];
        palette.push_back(scaled(c, 1, 2));
        palette.push_back(c);
    }
    Picture p = indexed(32, 128, palette);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 32; ++x) {
            const int band = y / 8;
            const bool middle = x >= 8 + band % 4 && x < 24 - band % 4;
            p.indices[y * 32 + x] = static_cast<unsigned char>(2 * band + (middle ? 1 : 0));
        }
    return p;
}

// 128 x 64, 16 bits 5-5-5: wood, rings round a point to the left.
inline Picture wood128x64() {
    Picture p = direct(128, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            const int dx = x + 60, dy = (y - 32) * 4;
            const int ring = ((dx * dx + dy * dy) >> 6) % 24;  // 0..23 across a ring
            const int light = ring < 12 ? ring : 24 - ring;
            const int grain = (x * 7 + y * 13) % 5;
            p.colours[y * 128 + x] = {120 + 8 * light + grain * 3, 70 + 5 * light + grain * 2, 30 + 2 * light};
        }
    return p;
}

// 64 x 64, 16 bits 5-6-5: grey-blue marble with diagonal veins.
inline Picture marble64() {
    Picture p = direct(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int v = (x + y + ((x * y) >> 5)) % 32;
            const int vein = v < 3 ? 90 : 0;
            const int base = 150 + ((x * 5 + y * 3) % 17) * 3;
            p.colours[y * 64 + x] = {clamp255(base - vein), clamp255(base + 10 - vein), clamp255(base + 40 - vein / 2)};
        }
    return p;
}

// 256 x 64, 24 bits: a sky from deep blue to pale, a sun and two clouds.
inline Picture sky256x64() {
    Picture p = direct(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
            Rgb c{40 + 2 * y, 90 + 2 * y, 200 + y / 2};
            const int sx = x - 200, sy = y - 18;
            if (sx * sx + sy * sy < 100) c = {255, 230, 120};
            for (const int cx : {60, 130}) {
                const int dx = x - cx, dy = (y - 40) * 3;
                if (dx * dx + dy * dy < 900) c = {235, 240, 245};
            }
            p.colours[y * 256 + x] = c;
        }
    return p;
}

// 64 x 64, 32 bits: a warm glow, brightest in the middle, black at the rim
// (black adds nothing).
inline Picture glow64() {
    Picture p = direct(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int dx = 2 * x - 63, dy = 2 * y - 63;  // doubled, from the centre between texels
            const int i = clamp255(255 - (dx * dx + dy * dy) * 255 / 3969);
            p.colours[y * 64 + x] = {i, i * 3 / 4, i / 3};
        }
    return p;
}

// 32 x 4, 4 bits run-length encoded: four rows of chevrons in four colours,
// each row two texels further along, so the scroll shows a new row each frame.
inline Picture flow32x4() {
    Picture p = indexed(32, 4, {{20, 20, 30}, {230, 60, 50}, {240, 200, 40}, {60, 200, 80}, {60, 120, 240}});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 32; ++x) p.indices[y * 32 + x] = static_cast<unsigned char>((x + 2 * y) % 8 < 4 ? 1 + y : 0);
    return p;
}

// 64 x 64, 8 bits: water, waves of blues.
inline Picture water64() {
    std::vector<Rgb> palette;
    for (int i = 0; i < 64; ++i) palette.push_back({10 + i, 60 + 2 * i, 130 + 125 * i / 63});
    Picture p = indexed(64, 64, palette);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int wave = (x * 4 + ((y * y) >> 4)) % 64;
            const int crest = wave < 32 ? wave : 63 - wave;
            p.indices[y * 64 + x] = static_cast<unsigned char>((crest * 2 + y / 8) % 64);
        }
    return p;
}

struct GalleryTexture {
    const char* file;
    Picture (*make)();
    Form form;
};
inline const GalleryTexture GALLERY_TEXTURES[] = {
    {"checker2.bmp", checker2, Form::Indexed1},   {"tiles64x32.bmp", tiles64x32, Form::Indexed4},
    {"plasma128.bmp", plasma128, Form::Indexed8}, {"rings32x128.bmp", rings32x128, Form::Rle8},
    {"wood128x64.bmp", wood128x64, Form::Rgb555}, {"marble64.bmp", marble64, Form::Rgb565},
    {"sky256x64.bmp", sky256x64, Form::Bgr24},    {"glow64.bmp", glow64, Form::Bgrx32},
    {"flow32x4.bmp", flow32x4, Form::Rle4},       {"water64.bmp", water64, Form::Indexed8},
};

}  // namespace texgen
