// Clipped rectangle outlines: the placeholder marker of sprite primitives.
#pragma once

#include <cstdint>

namespace vantir {

// Draws the outline of columns x..x+w and rows y..y+h, each side w or h pixels
// from its starting corner (so the corner (x+w, y+h) stays unset), clipped to
// clipRect, whose width is also the row stride here. Order: top, bottom, left,
// right run.
void drawRectOutline(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t colour);

}  // namespace vantir
