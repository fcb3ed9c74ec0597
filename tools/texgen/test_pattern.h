// The demo's test texture, data/tes256.bmp: a 256 x 256 8-bit palettized BMP
// (40-byte header, 256 palette entries, rows at byte 1078, uncompressed).
//
// An 8 x 8 grid of 32 x 32 cells, built so that the sphere's turning and the
// mapping can be read off the screen:
//   - each band of cell rows has its own hue (red, orange, yellow, green,
//     cyan, blue, violet, magenta from the top), so the sphere's bands show;
//   - inside a band the cells run from dark to light, alternating with a
//     paler checker, so turning shows as colours moving around;
//   - every cell is labelled with its row letter and column digit ("A1" top
//     left to "H8" bottom right) and has a triangle in its top-left corner,
//     so mirroring and rotation are plain to see;
//   - dark grid lines between cells, a dot every 8 texels for the warp, and a
//     white line down column 0 marking the seam where u wraps.
// Header-only so that the generator and the test that pins the committed
// file share one definition.
#pragma once

#include <cstdint>
#include <vector>

namespace texgen {

constexpr int SIDE = 256;
constexpr int CELL = 32;
constexpr int GRID = SIDE / CELL;

// Palette indices.
constexpr int INDEX_BLACK = 0;
constexpr int INDEX_WHITE = 1;
constexpr int INDEX_GRID = 2;
constexpr int INDEX_CELL = 4;               // 64 cell colours, row-major
constexpr int INDEX_DOT = INDEX_CELL + 64;  // 64 darker twins for the dots

struct Rgb {
    int r, g, b;
};

// 5 x 7 glyphs, one string per row, for the row letters and column digits.
struct Glyph {
    char ch;
    const char* rows[7];
};
inline constexpr Glyph GLYPHS[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
};

inline const Glyph& glyphFor(char ch) {
    for (const Glyph& g : GLYPHS)
        if (g.ch == ch) return g;
    return GLYPHS[0];
}

// Band hues, top to bottom.
inline constexpr Rgb BAND_HUES[GRID] = {
    {230, 40, 40}, {240, 140, 20}, {235, 220, 30}, {40, 190, 60},
    {30, 200, 210}, {40, 80, 230},  {140, 60, 220}, {220, 50, 170},
};

inline Rgb cellColour(int row, int column) {
    const Rgb hue = BAND_HUES[row];
    const int scale = 90 + 166 * column / (GRID - 1);  // dark (90/256) to full (256/256) across the band
    Rgb c{hue.r * scale / 256, hue.g * scale / 256, hue.b * scale / 256};
    if ((row + column) & 1) c = {c.r + (255 - c.r) / 4, c.g + (255 - c.g) / 4, c.b + (255 - c.b) / 4};
    return c;
}

inline bool isLight(Rgb c) { return c.r * 3 + c.g * 6 + c.b > 1280; }  // luminance above half

inline void put16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
inline void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

// The image as palette indices, rows top-down.
inline std::vector<unsigned char> makeTestPatternIndices() {
    std::vector<unsigned char> image(SIDE * SIDE);
    for (int y = 0; y < SIDE; ++y) {
        for (int x = 0; x < SIDE; ++x) {
            const int row = y / CELL, column = x / CELL;
            const int lx = x % CELL, ly = y % CELL;
            int index = INDEX_CELL + row * GRID + column;
            if (lx % 8 == 4 && ly % 8 == 4) index = INDEX_DOT + row * GRID + column;
            if (lx == 0 || lx == CELL - 1 || ly == 0 || ly == CELL - 1) index = INDEX_GRID;
            if (x == 0) index = INDEX_WHITE;  // the seam
            image[y * SIDE + x] = static_cast<unsigned char>(index);
        }
    }
    for (int row = 0; row < GRID; ++row) {
        for (int column = 0; column < GRID; ++column) {
            const int ink = isLight(cellColour(row, column)) ? INDEX_BLACK : INDEX_WHITE;
            const int left = column * CELL, top = row * CELL;
            // Corner triangle: legs of 6 texels along the top and left edges.
            for (int j = 0; j < 6; ++j)
                for (int i = 0; i + j < 6; ++i) image[(top + 2 + j) * SIDE + left + 2 + i] = static_cast<unsigned char>(ink);
            // Label, glyphs scaled by 2: 10 x 14 each, 2 apart, centred.
            const char label[2] = {static_cast<char>('A' + row), static_cast<char>('1' + column)};
            for (int k = 0; k < 2; ++k) {
                const Glyph& g = glyphFor(label[k]);
                const int gx = left + 5 + k * 12, gy = top + 10;
                for (int j = 0; j < 14; ++j)
                    for (int i = 0; i < 10; ++i)
                        if (g.rows[j / 2][i / 2] == '#') image[(gy + j) * SIDE + gx + i] = static_cast<unsigned char>(ink);
            }
        }
    }
    return image;
}

inline std::vector<Rgb> makeTestPatternPalette() {
    std::vector<Rgb> palette(256, Rgb{0, 0, 0});
    palette[INDEX_WHITE] = {255, 255, 255};
    palette[INDEX_GRID] = {40, 40, 40};
    for (int row = 0; row < GRID; ++row)
        for (int column = 0; column < GRID; ++column) {
            const Rgb c = cellColour(row, column);
            palette[INDEX_CELL + row * GRID + column] = c;
            palette[INDEX_DOT + row * GRID + column] = {c.r * 5 / 8, c.g * 5 / 8, c.b * 5 / 8};
        }
    return palette;
}

// The whole file.
inline std::vector<unsigned char> makeTestPatternBmp() {
    constexpr std::uint32_t dataOffset = 14 + 40 + 256 * 4;  // 1078
    constexpr std::uint32_t imageBytes = SIDE * SIDE;
    std::vector<unsigned char> out;
    out.reserve(dataOffset + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, dataOffset + imageBytes);  // file size
    put32(out, 0);                        // reserved
    put32(out, dataOffset);
    put32(out, 40);  // header size
    put32(out, SIDE);
    put32(out, SIDE);  // positive: rows stored bottom-up
    put16(out, 1);     // planes
    put16(out, 8);     // bits per pixel
    put32(out, 0);     // uncompressed
    put32(out, imageBytes);
    put32(out, 2835);  // 72 dots per inch, in dots per metre
    put32(out, 2835);
    put32(out, 0);  // palette count: 0 means all 256
    put32(out, 0);
    for (const Rgb& c : makeTestPatternPalette()) {
        out.push_back(static_cast<unsigned char>(c.b));
        out.push_back(static_cast<unsigned char>(c.g));
        out.push_back(static_cast<unsigned char>(c.r));
        out.push_back(0);
    }
    const std::vector<unsigned char> image = makeTestPatternIndices();
    for (int y = SIDE - 1; y >= 0; --y)  // bottom row first; 256-byte rows need no padding
        out.insert(out.end(), image.begin() + y * SIDE, image.begin() + (y + 1) * SIDE);
    return out;
}

}  // namespace texgen
