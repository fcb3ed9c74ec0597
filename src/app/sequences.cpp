#include "app/sequences.h"

#include <filesystem>
#include <system_error>

#include "input/cursor.h"
#include "input/mouse.h"
#include "math/matrix.h"
#include "math/trig.h"
#include "video/screen.h"

FrameHook preFrameHook = nullptr;
FrameHook postFrameHook = nullptr;

ModelVertex shellVertices[SHELL_VERTEX_CAPACITY];
ColourRecord shellColours[SHELL_COLOUR_CAPACITY];
TexCoord shellTexCoords[SHELL_TEX_COORD_CAPACITY];

void setFrameHooks(FrameHook preFrame, FrameHook postFrame) {
    preFrameHook = preFrame;
    postFrameHook = postFrame;
}

int startUp(HWND window) {
    // Every later file name (the demo texture) is resolved inside "data". A
    // missing folder is not a start-up failure: it shows up as a missing file.
    std::error_code ignored;
    std::filesystem::current_path("data", ignored);

    // Each step shows its own message on failure; the first one stops start-up
    // and leaves the earlier ones up.
    if (initScreen(window) < 0) return -1;
    if (initCursors() < 0) return -1;
    if (initMath() < 0) return -1;
    // LATER (start-up, in this order, each stopping start-up on failure):
    //   initDisplayList, initModels, initTextures, initBodyBlocks, initBodies.

    // LATER: setClipRect().
    setProjectionCentre(screenWidth() >> 1, screenHeight() >> 1);
    setScreenDepth(SCREEN_DEPTH);  // already 16: changes nothing
    // LATER: bindVertexArray(shellVertices), bindColourArray(shellColours),
    //   bindTexCoordArray(shellTexCoords), in that order.
    // LATER: buildDemoScene() (its result ignored: start-up goes on), then
    //   convertColours().
    setClearColor(0, 0, 0);
    return 0;
}

void shutDown() {
    // The reverse of start-up.
    // LATER (first, in this order): releaseBodies, releaseBodyBlocks,
    //   releaseTextures, releaseModels, releaseDisplayList.
    releaseMath();
    releaseCursors();
    releaseScreen();
}

void runFrame(HWND window, std::int32_t, std::int32_t) {
    beginFrame(window, FRAME_CLEAR);
    if (preFrameHook) preFrameHook();

    std::int32_t x;
    std::int32_t y;
    const std::int32_t buttons = mouseState(&x, &y);
    std::int32_t dx;
    std::int32_t dy;
    mouseDelta(&dx, &dy);
    if (buttons & MOUSE_LEFT) {
        // LATER: for part = 4, 3, 2, 1 of demoModel:
        //   turnPartByMouse(partRotation(demoModel, part), dx, dy).
    }

    // LATER: animateTextures(), transformAllModels(), drawDisplayList(),
    //   projectBodies(), testBodyContacts(), in that order.

    if (postFrameHook) postFrameHook();
    presentFrame();
}

void turnPartByMouse(Vec4* rotation, std::int32_t dx, std::int32_t dy) {
    // Angles are stored in 0..1023; 512..959 is the negative side below -64.
    Angle tilt = (rotation->x - dy) & ANGLE_MASK;
    if (tilt >= 97 && tilt <= 511) tilt = 96;  // at most +96
    if (tilt >= 512 && tilt <= 959) tilt = 960;  // at least -64
    rotation->x = tilt;

    Angle turn = (rotation->z - dx) & ANGLE_MASK;
    if (turn >= 65 && turn <= 511) turn = 64;  // at most +64
    if (turn >= 512 && turn <= 959) turn = 960;  // at least -64
    rotation->z = turn;
}
