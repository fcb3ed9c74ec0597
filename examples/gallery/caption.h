// Text in the picture: a 5 x 7 font of capitals, digits and punctuation,
// drawn straight into the back buffer after the frame.
#pragma once

#include <cstdint>

#include "math/fixed.h"

namespace gallery {

constexpr int GLYPH_WIDTH = 5;
constexpr int GLYPH_HEIGHT = 7;
constexpr int GLYPH_ADVANCE = GLYPH_WIDTH + 1;

// Draws `text` with its top-left corner at (x, y), one glyph every 6 pixels;
// lower-case letters show as capitals and characters without a glyph as
// blanks. Pixels outside the back buffer are left out.
void drawText(std::int32_t x, std::int32_t y, const char* text, vantir::Rgb555 colour);

// Darkens rows y .. y + height - 1 to a quarter, so text over them stays
// legible whatever the scene drew there.
void shadeRows(std::int32_t y, std::int32_t height);

}  // namespace gallery
