#include "render/raster/raster_target.h"

#include <algorithm>

#include "video/back_buffer.h"

namespace vantir {

ClipRect clipRect = {0, 0, -1, -1};

void setClipRect() {
    const std::int32_t w = screenWidth();
    const std::int32_t h = screenHeight();
    clipRect = {w, h, w - 1, h - 1};
}

bool fetchRasterTarget(RasterTarget* target) {
    target->pixels = backBufferPixels();
    target->stride = screenWidth();
    target->columns = std::min(clipRect.width, target->stride);
    target->rows = std::min(clipRect.height, screenHeight());
    target->blockEnd =
        target->pixels ? target->pixels + static_cast<std::ptrdiff_t>(target->stride) * (screenHeight() + 1) : nullptr;
    return target->pixels != nullptr && target->columns > 0 && target->rows > 0;
}

}  // namespace vantir
