// The gallery's views: what each one builds at start-up and does every frame.
#pragma once

#include <cstdint>

#include "math/fixed.h"

namespace gallery {

struct View {
    const char* caption;     // one line, shown at the top while the view is on
    std::int32_t distance;   // of the camera from the world origin, in units
    vantir::Angle pitch;             // the camera's tilt before any right drag
    vantir::Angle turn;              // the camera's turn about the vertical per frame
    // Makes the view's models and records at start-up; answers the slot of
    // the model a left drag turns (-1 for none).
    int (*build)();
    // Every frame before the transform: the models' poses at `time` frames.
    void (*pose)(int time);
    // Whether the view's moving machinery runs: called with true when the
    // view comes on (unless everything is held) and when a hold ends, with
    // false when it goes off or a hold begins. May be null.
    void (*run)(bool running);
    // Comes on / goes off: what only this view may have in the engine's
    // lists (bodies, callback slots). May be null.
    void (*enter)();
    void (*leave)();
    // Painted right after the clear, and over the frame before the caption.
    // May be null.
    void (*backdrop)();
    void (*overlay)();
};

constexpr int VIEW_COUNT = 9;
extern const View VIEWS[VIEW_COUNT];

// The textures every view draws with, loaded by prepareGallery; an id is
// negative when its file did not load.
enum TextureName {
    TEX_CHECKER,  // 2 x 2, 1 bit
    TEX_TILES,    // 64 x 32, 4 bits
    TEX_PLASMA,   // 128 x 128, 8 bits
    TEX_RINGS,    // 32 x 128, 8 bits run-length encoded
    TEX_WOOD,     // 128 x 64, 16 bits 5-5-5
    TEX_MARBLE,   // 64 x 64, 16 bits 5-6-5
    TEX_SKY,      // 256 x 64, 24 bits
    TEX_GLOW,     // 64 x 64, 32 bits
    TEX_FLOW,     // 32 x 4, 4 bits run-length encoded: scrolls with a period of 4 frames
    TEX_WATER,    // 64 x 64, 8 bits: scrolls with a period of 64
    TEX_TEST,     // the demo's 256 x 256 test pattern
    TEXTURE_COUNT
};
extern const char* const TEXTURE_FILES[TEXTURE_COUNT];
extern int textureIds[TEXTURE_COUNT];
// The whole of a texture over a quadrilateral, corner by corner from the top
// left clockwise: four texture-coordinate records every view shares.
extern int wholeTexture[4];
// Before the views are built: loads the textures, appends colour 0 (black,
// what an untextured record shows, as in the demo) and wholeTexture.
void prepareGallery();

}  // namespace gallery
