#include "app/sequences.h"

#include <filesystem>
#include <system_error>

#include "input/cursor.h"
#include "input/mouse.h"
#include "math/matrix.h"
#include "math/trig.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/raster/raster_target.h"
#include "scene/body.h"
#include "scene/model.h"
#include "scene/transform.h"
#include "texture/texture.h"
#include "video/screen.h"

namespace vantir {

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
    if (initDisplayList() < 0) return -1;
    if (initModels() < 0) return -1;
    if (initTextures() < 0) return -1;
    if (initBodyBlocks() < 0) return -1;
    if (initBodies() < 0) return -1;

    setClipRect();
    setProjectionCentre(screenWidth() >> 1, screenHeight() >> 1);
    setScreenDepth(SCREEN_DEPTH);  // already 16: changes nothing
    // The rows know their arrays' capacities, so appends past them are refused.
    bindVertexArray(shellVertices, SHELL_VERTEX_CAPACITY);
    bindColourArray(shellColours, SHELL_COLOUR_CAPACITY);
    bindTexCoordArray(shellTexCoords, SHELL_TEX_COORD_CAPACITY);
    const Program* program = shellProgram();
    if (program && program->buildScene) program->buildScene();  // a failed scene is not a failed start-up
    setFrameHooks(program ? program->preFrame : nullptr, program ? program->postFrame : nullptr);
    convertColours();
    setClearColor(0, 0, 0);
    return 0;
}

void shutDown() {
    setFrameHooks(nullptr, nullptr);
    // The reverse of start-up.
    releaseBodies();
    releaseBodyBlocks();
    releaseTextures();
    releaseModels();
    releaseDisplayList();
    releaseMath();
    releaseCursors();
    releaseScreen();
}

void runFrame(HWND window, std::int32_t, std::int32_t) {
    beginFrame(window, FRAME_CLEAR);
    drawFrame();
    presentFrame();
}

void drawFrame() {
    if (preFrameHook) preFrameHook();

    std::int32_t x;
    std::int32_t y;
    const std::int32_t buttons = mouseState(&x, &y);
    std::int32_t dx;
    std::int32_t dy;
    mouseDelta(&dx, &dy);
    const Program* program = shellProgram();
    if (program && program->frameMouse) program->frameMouse(buttons, dx, dy);

    animateTextures();
    transformAllModels();
    drawDisplayList();
    projectBodies();
    testBodyContacts();

    if (postFrameHook) postFrameHook();
}

}  // namespace vantir
