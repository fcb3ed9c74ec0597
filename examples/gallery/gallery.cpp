#include "gallery.h"

#include <cstdio>

#include "caption.h"
#include "input/mouse.h"
#include "math/matrix.h"
#include "render/display_list.h"
#include "scene/model.h"
#include "video/back_buffer.h"
#include "views.h"

using namespace vantir;

namespace gallery {

namespace {

// Every view's records stay in the display list; those of the views not on
// show get this bias, which files them past the last bucket (no record's
// depth is below -255), so they are not drawn.
constexpr std::int16_t VIEW_OFF_BIAS = 16384;

// What start-up made for each view: its records (a range of the primitive
// area), its models (a set of model slots) and the model a left drag turns.
struct ViewContents {
    bool built = false;
    std::uint32_t firstRecord = 0;
    std::uint32_t endRecord = 0;
    std::uint32_t models = 0;
    int object = -1;
};
ViewContents contents[VIEW_COUNT];

bool sceneBuilt = false;
bool entered = false;  // the current view's enter ran (and its leave has not)
int current = 0;
int viewTime = 0;  // frames the current view has moved since it was chosen
bool held = false;
Angle dragX = 0, dragY = 0;               // the left drag's turn of the object
std::int32_t orbitPitch = 0, orbitYaw = 0;  // the right drag's orbit of the camera
constexpr std::int32_t ORBIT_PITCH_LIMIT = 200;

std::uint32_t modelsInUse() {
    std::uint32_t mask = 0;
    for (int slot = 0; slot < MODEL_SLOT_COUNT; ++slot)
        if (modelTable && modelTable[slot]) mask |= 1u << slot;
    return mask;
}

void setBias(const ViewContents& view, std::int16_t bias) {
    DisplayList* list = currentDisplayList();
    for (std::uint32_t offset = view.firstRecord; list && offset < view.endRecord;) {
        Primitive* r = primitiveAtOffset(list, offset);
        r->bias = bias;
        offset += static_cast<std::uint32_t>(r->size);
    }
}

void runView(bool running) {
    if (entered && VIEWS[current].run) VIEWS[current].run(running);
}

// Takes the current view off and puts view v on, from its first frame.
void showView(int v) {
    const View& old = VIEWS[current];
    if (entered) {
        if (!held) runView(false);
        if (old.leave) old.leave();
        entered = false;
    }
    current = v;
    viewTime = 0;
    dragX = dragY = 0;
    orbitPitch = orbitYaw = 0;
    for (int w = 0; w < VIEW_COUNT; ++w) {
        setBias(contents[w], w == v ? 0 : VIEW_OFF_BIAS);
        // The others' models need no transform: their records are not drawn.
        for (int slot = 0; slot < MODEL_SLOT_COUNT; ++slot) {
            if (!(contents[w].models >> slot & 1)) continue;
            Model* m = modelAt(slot);
            m->flags = w == v ? m->flags & ~MODEL_HIDDEN : m->flags | MODEL_HIDDEN;
        }
    }
    if (!contents[v].built) return;
    if (VIEWS[v].enter) VIEWS[v].enter();
    entered = true;
    if (!held) runView(true);
}

int buildGallery() {
    sceneBuilt = false;
    entered = false;
    current = 0;
    held = false;
    DisplayList* list = currentDisplayList();
    if (!list) return -1;
    prepareGallery();
    bool complete = true;
    for (int v = 0; v < VIEW_COUNT; ++v) {
        ViewContents& view = contents[v];
        const std::uint32_t before = modelsInUse();
        view.firstRecord = list->nextFree;
        view.object = VIEWS[v].build();
        view.endRecord = list->nextFree;
        view.models = modelsInUse() & ~before;
        // A view whose models could not all be made (after the allocator's
        // message) is never posed; its caption still shows.
        view.built = view.object >= 0;
        complete = complete && view.built;
    }
    sceneBuilt = true;
    current = 0;
    showView(0);
    return complete ? 0 : -1;
}

// Where the camera must stand to look at the world origin from `distance`
// with the given turn: the turn is applied after the camera's translation,
// so the translation is the turn's inverse (its transpose) applied to the
// point straight ahead, (0, 0, distance).
void placeCamera(Angle pitch, Angle yaw, std::int32_t distance) {
    cameraRotation = {pitch & ANGLE_MASK, yaw & ANGLE_MASK, 0, 1};
    Matrix turn;
    matRotation(&turn, &cameraRotation);
    cameraPosition = {(distance * turn.m[0][2]) >> FIX9_SHIFT, (distance * turn.m[1][2]) >> FIX9_SHIFT,
                      (distance * turn.m[2][2]) >> FIX9_SHIFT, 1};
}

void frameMouse(std::int32_t buttons, std::int32_t dx, std::int32_t dy) {
    if (!sceneBuilt) return;
    if (buttons & MOUSE_LEFT) {
        dragX = (dragX - dy) & ANGLE_MASK;
        dragY = (dragY - dx) & ANGLE_MASK;
    }
    if (buttons & MOUSE_RIGHT) {
        orbitYaw = (orbitYaw + dx) & ANGLE_MASK;
        orbitPitch += dy;
        if (orbitPitch > ORBIT_PITCH_LIMIT) orbitPitch = ORBIT_PITCH_LIMIT;
        if (orbitPitch < -ORBIT_PITCH_LIMIT) orbitPitch = -ORBIT_PITCH_LIMIT;
    }
    const View& view = VIEWS[current];
    const ViewContents& shown = contents[current];
    if (shown.built) {
        // The pose sets what moves by itself; the drag turns the object on top.
        Vec4& rotation = modelAt(shown.object)->rotation;
        rotation = {0, 0, 0, rotation.w};
        view.pose(viewTime);
        rotation.x = (rotation.x + dragX) & ANGLE_MASK;
        rotation.y = (rotation.y + dragY) & ANGLE_MASK;
    }
    placeCamera(view.pitch + orbitPitch, orbitYaw + view.turn * viewTime, view.distance);
    if (!held) ++viewTime;
}

void typedCharacter(WPARAM c) {
    if (!sceneBuilt) return;
    if (c >= '1' && c <= '0' + VIEW_COUNT) {
        showView(static_cast<int>(c - '1'));
    } else if (c == ' ' || c == 'n' || c == 'N') {
        showView((current + 1) % VIEW_COUNT);
    } else if (c == 'p' || c == 'P') {
        held = !held;
        runView(!held);
    }
}

void preFrame() {
    if (sceneBuilt && contents[current].built && VIEWS[current].backdrop) VIEWS[current].backdrop();
}

constexpr std::int32_t BAR_ROWS = 11;
constexpr Rgb555 CAPTION_COLOUR = 0x7fff;
constexpr Rgb555 HINT_COLOUR = 0x5ef7;

void postFrame() {
    if (!sceneBuilt) return;
    if (contents[current].built && VIEWS[current].overlay) VIEWS[current].overlay();
    char caption[96];
    std::snprintf(caption, sizeof caption, "%s%s", VIEWS[current].caption, held ? " - HELD" : "");
    shadeRows(0, BAR_ROWS);
    drawText(3, 2, caption, CAPTION_COLOUR);
    const std::int32_t bottom = screenHeight() - BAR_ROWS;
    shadeRows(bottom, BAR_ROWS);
    drawText(3, bottom + 2, "1-9 VIEW  SPACE NEXT  P HOLD  LEFT DRAG TURNS  RIGHT DRAG ORBITS  ESC QUITS",
             HINT_COLOUR);
}

}  // namespace

}  // namespace gallery

const vantir::Program galleryProgram = {
    .title = "vantir gallery",
    .buildScene = gallery::buildGallery,
    .frameMouse = gallery::frameMouse,
    .preFrame = gallery::preFrame,
    .postFrame = gallery::postFrame,
    .typedCharacter = gallery::typedCharacter,
};
