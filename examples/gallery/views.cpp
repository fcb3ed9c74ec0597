#include "views.h"

#include <initializer_list>

#include "build.h"
#include "caption.h"
#include "math/trig.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/raster/rect_outline.h"
#include "scene/body.h"
#include "scene/model.h"
#include "texture/texture.h"
#include "video/back_buffer.h"

using namespace vantir;

namespace gallery {

const char* const TEXTURE_FILES[TEXTURE_COUNT] = {
    "checker2.bmp", "tiles64x32.bmp", "plasma128.bmp", "rings32x128.bmp", "wood128x64.bmp", "marble64.bmp",
    "sky256x64.bmp", "glow64.bmp", "flow32x4.bmp", "water64.bmp", "tes256.bmp",
};
int textureIds[TEXTURE_COUNT];
int wholeTexture[4];

void prepareGallery() {
    for (int i = 0; i < TEXTURE_COUNT; ++i) textureIds[i] = loadTexture(TEXTURE_FILES[i]);
    addColour({0, 0, 0});  // colour 0: what an untextured record shows, as in the demo
    const std::int32_t corners[4][2] = {{0, 0}, {256, 0}, {256, 256}, {0, 256}};
    for (int i = 0; i < 4; ++i) wholeTexture[i] = addTexCoord(corners[i][0], corners[i][1]);
}

namespace {

// ---- Small helpers -----------------------------------------------------------

// a * sin(angle) and a * cos(angle), in units.
std::int32_t sinOf(std::int32_t a, Angle angle) { return (a * fixSin(angle)) >> FIX9_SHIFT; }
std::int32_t cosOf(std::int32_t a, Angle angle) { return (a * fixCos(angle)) >> FIX9_SHIFT; }

// A triangle wave from `from` to `to` and back in `period` frames.
std::int32_t pingPong(int time, int period, std::int32_t from, std::int32_t to) {
    const int half = period / 2;
    const int phase = time % period;
    const int along = phase < half ? phase : period - phase;
    return from + (to - from) * along / half;
}

void setVec(Vec4* v, std::int32_t x, std::int32_t y, std::int32_t z) {
    v->x = x;
    v->y = y;
    v->z = z;
}

void setAngles(Vec4* v, Angle x, Angle y, Angle z) { setVec(v, x & ANGLE_MASK, y & ANGLE_MASK, z & ANGLE_MASK); }

// A rectangle in the plane z, corners from the top left clockwise (as the
// screen shows it from the camera's side).
void addRectCorners(int* out, std::int32_t cx, std::int32_t cy, std::int32_t z, std::int32_t hx, std::int32_t hy) {
    out[0] = addVertex(cx - hx, cy - hy, z);
    out[1] = addVertex(cx + hx, cy - hy, z);
    out[2] = addVertex(cx + hx, cy + hy, z);
    out[3] = addVertex(cx - hx, cy + hy, z);
}

// Fills rows [y0, y1) of the back buffer with a vertical blend from `top` to
// `bottom` (5-bit channels).
void paintGradient(std::int32_t y0, std::int32_t y1, Rgb top, Rgb bottom) {
    Rgb555* pixels = backBufferPixels();
    const std::int32_t width = screenWidth();
    if (y1 > screenHeight()) y1 = screenHeight();
    if (!pixels || y1 <= y0) return;
    for (std::int32_t y = y0 < 0 ? 0 : y0; y < y1; ++y) {
        const std::int32_t t = (y - y0) * 256 / (y1 - y0);
        const Rgb555 c = packRgb555From5(top.r + ((bottom.r - top.r) * t >> 8), top.g + ((bottom.g - top.g) * t >> 8),
                                         top.b + ((bottom.b - top.b) * t >> 8));
        for (std::int32_t x = 0; x < width; ++x) pixels[y * width + x] = c;
    }
}

Model* model(int slot) { return modelAt(slot); }

// ---- 1: flat polygons, back faces culled ------------------------------------

int flatModel = -1;

int buildFlat() {
    flatModel = createModel(1);
    if (flatModel < 0) return -1;
    const PartBuilder part = beginPart(flatModel);
    constexpr int SIDES = 8;
    int top[SIDES], bottom[SIDES];
    for (int i = 0; i < SIDES; ++i) top[i] = addVertex(cosOf(340, i * 128), -130, sinOf(340, i * 128));
    for (int i = 0; i < SIDES; ++i) bottom[i] = addVertex(cosOf(340, i * 128), 130, sinOf(340, i * 128));
    const int apexTop = addVertex(0, -400, 0);
    const int apexBottom = addVertex(0, 400, 0);
    for (int i = 0; i < SIDES; ++i) {
        const int j = (i + 1) % SIDES;
        int side[4] = {top[i], top[j], bottom[j], bottom[i]};
        int up[3] = {apexTop, top[j], top[i]};
        int down[3] = {apexBottom, bottom[i], bottom[j]};
        orientOutward(side, 4, 0, 0, 0);
        orientOutward(up, 3, 0, 0, 0);
        orientOutward(down, 3, 0, 0, 0);
        addFlat(side, 4, addColour(hue(i * 45, 230)), PRIM_BACKFACE);
        addFlat(up, 3, addColour(hue(i * 45 + 20, 255)), PRIM_BACKFACE);
        addFlat(down, 3, addColour(hue(i * 45 + 200, 150)), PRIM_BACKFACE);
    }
    endPart(part);
    return flatModel;
}

void poseFlat(int time) { setAngles(&model(flatModel)->rotation, 80, time * 3, 0); }

// ---- 2: shaded polygons, additive ones glowing over them --------------------

int drumModel = -1;
int haloModel = -1;

int buildShaded() {
    drumModel = createModel(1);
    haloModel = createModel(1);
    if (drumModel < 0 || haloModel < 0) return -1;

    PartBuilder part = beginPart(drumModel);
    constexpr int SIDES = 12;
    int top[SIDES], bottom[SIDES], topColour[SIDES], bottomColour[SIDES];
    for (int i = 0; i < SIDES; ++i) {
        const Angle a = i * 1024 / SIDES;
        top[i] = addVertex(cosOf(330, a), -150, sinOf(330, a));
        bottom[i] = addVertex(cosOf(330, a), 150, sinOf(330, a));
        topColour[i] = addColour(hue(i * 30, 255));
        bottomColour[i] = addColour(hue(i * 30 + 150, 170));
    }
    const int capTop = addVertex(0, -150, 0);
    const int capBottom = addVertex(0, 150, 0);
    const int white = addColour({255, 255, 255});
    const int grey = addColour({50, 50, 50});
    for (int i = 0; i < SIDES; ++i) {
        const int j = (i + 1) % SIDES;
        int side[4] = {top[i], top[j], bottom[j], bottom[i]};
        orientOutward(side, 4, 0, 0, 0);
        const auto colourOf = [&](int v) {
            for (int k = 0; k < SIDES; ++k) {
                if (v == top[k]) return topColour[k];
                if (v == bottom[k]) return bottomColour[k];
            }
            return v == capTop ? white : grey;
        };
        int sideColours[4];
        for (int k = 0; k < 4; ++k) sideColours[k] = colourOf(side[k]);
        addShaded(side, sideColours, 4, false, PRIM_BACKFACE);
        int capUp[3] = {capTop, top[i], top[j]};
        int capDown[3] = {capBottom, bottom[j], bottom[i]};
        orientOutward(capUp, 3, 0, 0, 0);
        orientOutward(capDown, 3, 0, 0, 0);
        int upColours[3], downColours[3];
        for (int k = 0; k < 3; ++k) {
            upColours[k] = colourOf(capUp[k]);
            downColours[k] = colourOf(capDown[k]);
        }
        addShaded(capUp, upColours, 3, false, PRIM_BACKFACE);
        addShaded(capDown, downColours, 3, false, PRIM_BACKFACE);
    }
    endPart(part);

    // The halo: a star of additive triangles, warm at the centre and fading
    // out, crossed by two additive beams, bright in the middle.
    part = beginPart(haloModel);
    const int centre = addVertex(0, 0, 0);
    const int warm = addColour({220, 170, 60});
    const int dark = addColour({0, 0, 40});
    constexpr int POINTS = 8;
    int tip[POINTS];
    for (int i = 0; i < POINTS; ++i) tip[i] = addVertex(cosOf(300, i * 128 + 64), sinOf(300, i * 128 + 64), 0);
    for (int i = 0; i < POINTS; ++i) {
        const int corners[3] = {centre, tip[i], tip[(i + 1) % POINTS]};
        const int colours[3] = {warm, dark, dark};
        addShaded(corners, colours, 3, true);
    }
    const int blue = addColour({40, 110, 255});
    const int black = 0;
    for (int beam = 0; beam < 2; ++beam) {
        // Along x for the first beam, along y for the second.
        const auto at = [&](std::int32_t along, std::int32_t across) {
            return beam == 0 ? addVertex(along, across, 0) : addVertex(across, along, 0);
        };
        const int ends[2][2] = {{at(-420, -22), at(-420, 22)}, {at(420, -22), at(420, 22)}};
        const int middle[2] = {at(0, -22), at(0, 22)};
        for (const auto& end : ends) {
            const int corners[4] = {end[0], middle[0], middle[1], end[1]};
            const int colours[4] = {black, blue, blue, black};
            addShaded(corners, colours, 4, true);
        }
    }
    endPart(part);
    setVec(&model(haloModel)->position, 0, 0, -200);
    return drumModel;
}

void poseShaded(int time) {
    setAngles(&model(drumModel)->rotation, 100, time * 2, 0);
    setAngles(&model(haloModel)->rotation, 0, 0, time * 4);
}

// ---- 3: textures of every size and depth, in their own slots ----------------

int wallModel = -1;

int buildTextures() {
    wallModel = createModel(1);
    if (wallModel < 0) return -1;
    const PartBuilder part = beginPart(wallModel);
    const int* coords = wholeTexture;
    // Row by row: which texture each tile shows, and whether as two triangles.
    struct Tile {
        TextureName texture;
        bool triangles;
    };
    constexpr Tile TILES[9] = {
        {TEX_CHECKER, false}, {TEX_TILES, false}, {TEX_PLASMA, true}, {TEX_RINGS, false}, {TEX_TEST, false},
        {TEX_WOOD, false},    {TEX_MARBLE, true}, {TEX_SKY, false},   {TEX_GLOW, false},
    };
    for (int i = 0; i < 9; ++i) {
        int corners[4];
        addRectCorners(corners, (i % 3 - 1) * 180, (i / 3 - 1) * 180, 0, 82, 82);
        const int texture = textureIds[TILES[i].texture];
        if (!TILES[i].triangles) {
            addTextured(corners, coords, 4, texture, Blend::Copy);
            continue;
        }
        const int upper[3] = {corners[0], corners[1], corners[2]}, upperCoords[3] = {coords[0], coords[1], coords[2]};
        const int lower[3] = {corners[0], corners[2], corners[3]}, lowerCoords[3] = {coords[0], coords[2], coords[3]};
        addTextured(upper, upperCoords, 3, texture, Blend::Copy);
        addTextured(lower, lowerCoords, 3, texture, Blend::Copy);
    }
    endPart(part);
    return wallModel;
}

void poseTextures(int time) { setAngles(&model(wallModel)->rotation, 0, sinOf(60, time * 4), 0); }

// ---- 4: additive and half-blended panes over a busy backdrop ----------------

int backdropModel = -1;
int panesModel = -1;
constexpr int PANES = 4;

int buildBlends() {
    backdropModel = createModel(1);
    panesModel = createModel(PANES);
    if (backdropModel < 0 || panesModel < 0) return -1;

    PartBuilder part = beginPart(backdropModel);
    // Loaded a second time: the name is found in its slot, no file is read.
    const int backdropTexture = loadTexture(TEXTURE_FILES[TEX_TEST]);
    int corners[4];
    addRectCorners(corners, 0, 0, 200, 660, 620);
    addTextured(corners, wholeTexture, 4, backdropTexture, Blend::Copy);
    endPart(part);

    struct Pane {
        TextureName texture;
        Blend blend;
        int corners;
    };
    constexpr Pane LIST[PANES] = {
        {TEX_GLOW, Blend::Add, 4}, {TEX_TILES, Blend::Half, 4}, {TEX_SKY, Blend::Add, 3}, {TEX_PLASMA, Blend::Half, 3}};
    const int triangleCoords[3] = {wholeTexture[0], wholeTexture[1], addTexCoord(128, 256)};
    for (const Pane& pane : LIST) {
        part = beginPart(panesModel);
        if (pane.corners == 4) {
            addRectCorners(corners, 0, 0, 0, 170, 140);
            addTextured(corners, wholeTexture, 4, textureIds[pane.texture], pane.blend);
        } else {  // a triangle with its apex at the bottom middle
            const int triangle[3] = {addVertex(-200, -140, 0), addVertex(200, -140, 0), addVertex(0, 140, 0)};
            addTextured(triangle, triangleCoords, 3, textureIds[pane.texture], pane.blend);
        }
        endPart(part, 1);  // siblings: each pane moves on its own
    }
    return panesModel;
}

void poseBlends(int time) {
    for (int k = 0; k < PANES; ++k) {
        const Angle a = time * 3 + k * 256;
        setVec(partPosition(panesModel, k), cosOf(220, a), sinOf(140, a), -40 - 25 * k);
        setAngles(partRotation(panesModel, k), 0, 0, time * (k % 2 ? -2 : 2));
    }
}

// ---- 5: scrolling texture animation ------------------------------------------

int animationModel = -1;

int buildAnimation() {
    animationModel = createModel(1);
    if (animationModel < 0) return -1;
    const PartBuilder part = beginPart(animationModel);
    int corners[4];
    // The 32 x 4 strip four times across, one full height: its four rows
    // come round every four frames.
    addRectCorners(corners, 0, -160, 0, 300, 80);
    const int stripCoords[4] = {addTexCoord(0, 0), addTexCoord(1024, 0), addTexCoord(1024, 256), addTexCoord(0, 256)};
    addTextured(corners, stripCoords, 4, textureIds[TEX_FLOW], Blend::Copy);
    addRectCorners(corners, 0, 90, 0, 300, 150);
    // The water twice across and down.
    const int waterCoords[4] = {addTexCoord(0, 0), addTexCoord(512, 0), addTexCoord(512, 512), addTexCoord(0, 512)};
    addTextured(corners, waterCoords, 4, textureIds[TEX_WATER], Blend::Copy);
    endPart(part);
    return animationModel;
}

void poseAnimation(int time) { setAngles(&model(animationModel)->rotation, sinOf(40, time * 2), 0, 0); }

void runAnimation(bool running) {
    for (const TextureName t : {TEX_FLOW, TEX_WATER}) {
        if (running)
            addAnimatedTexture(textureIds[t]);
        else
            removeAnimatedTexture(textureIds[t]);
    }
}

// ---- 6: models with part chains, one hidden, the camera circling ------------

struct Chain {
    int slot;
    bool shaded;
};
Chain arms[2] = {{-1, false}, {-1, true}};
int treeModel = -1;
int spinnerModel = -1;

// A box in a part's own coordinates, flat in one hue or shaded from a hue to
// its darker twin.
void addPartBox(std::int32_t cy, std::int32_t hx, std::int32_t hy, std::int32_t hz, int hueDegrees, bool shaded) {
    if (!shaded) {
        addBox(0, cy, 0, hx, hy, hz, addColour(hue(hueDegrees, 250)), addColour(hue(hueDegrees, 190)),
               addColour(hue(hueDegrees, 130)));
        return;
    }
    int colours[8];
    for (int i = 0; i < 8; ++i) colours[i] = addColour(hue(hueDegrees + (i % 4) * 12, i < 4 ? 255 : 90));
    addShadedBox(0, cy, 0, hx, hy, hz, colours);
}

int buildArm(bool shaded, int hueDegrees) {
    const int slot = createModel(4);
    if (slot < 0) return -1;
    // Base, two segments and a hand, each the child of the one before.
    const struct {
        std::int32_t cy, hx, hy, hz, joint;
    } PARTS[4] = {{0, 50, 20, 50, 0}, {-60, 18, 60, 18, -20}, {-50, 15, 50, 15, -120}, {-20, 30, 20, 30, -100}};
    for (int k = 0; k < 4; ++k) {
        const PartBuilder part = beginPart(slot);
        addPartBox(PARTS[k].cy, PARTS[k].hx, PARTS[k].hy, PARTS[k].hz, hueDegrees + 25 * k, shaded);
        endPart(part);
        partPosition(slot, k)->y = PARTS[k].joint;
    }
    return slot;
}

int buildModels() {
    arms[0].slot = buildArm(false, 0);
    arms[1].slot = buildArm(true, 180);
    treeModel = createModel(4);
    spinnerModel = createModel(2);
    if (arms[0].slot < 0 || arms[1].slot < 0 || treeModel < 0 || spinnerModel < 0) return -1;
    setVec(&model(arms[0].slot)->position, -270, 130, 0);
    setVec(&model(arms[1].slot)->position, 270, 130, 0);

    // A trunk and two branches (the first closes its level, so the second is
    // its sibling), and a twig on the second branch.
    const struct {
        std::int32_t cy, hx, hy, joint;
        int pop;
    } TREE[4] = {{-90, 22, 90, 0, 0}, {-50, 12, 50, -170, 1}, {-50, 12, 50, -170, 0}, {-35, 8, 35, -95, 0}};
    for (int k = 0; k < 4; ++k) {
        const PartBuilder part = beginPart(treeModel);
        addPartBox(TREE[k].cy, TREE[k].hx, TREE[k].hy, TREE[k].hx, 90 + 15 * k, true);
        endPart(part, TREE[k].pop);
        partPosition(treeModel, k)->y = TREE[k].joint;
    }
    setVec(&model(treeModel)->position, 0, 150, 80);

    for (int k = 0; k < 2; ++k) {
        const PartBuilder part = beginPart(spinnerModel);
        addPartBox(0, 40 - 15 * k, 40 - 15 * k, 40 - 15 * k, 300 - 40 * k, false);
        endPart(part);
    }
    setVec(partPosition(spinnerModel, 1), 110, 0, 0);
    setVec(&model(spinnerModel)->position, 0, -170, -100);
    return treeModel;
}

void poseModels(int time) {
    for (int i = 0; i < 2; ++i) {
        const int slot = arms[i].slot;
        const int phase = time + i * 40;
        setAngles(partRotation(slot, 0), 0, phase * 2, 0);
        setAngles(partRotation(slot, 1), 0, 0, sinOf(90, phase * 5));
        setAngles(partRotation(slot, 2), 0, 0, sinOf(120, phase * 7 + 200));
        setAngles(partRotation(slot, 3), 0, phase * 9, 0);
    }
    const Angle sway = sinOf(30, time * 6);
    setAngles(partRotation(treeModel, 1), 0, 0, 170 + sway);
    setAngles(partRotation(treeModel, 2), 0, 0, -170 + sway);
    setAngles(partRotation(treeModel, 3), 0, 0, 110 - sway);
    setAngles(&model(spinnerModel)->rotation, time * 5, time * 3, 0);
    setAngles(partRotation(spinnerModel, 1), time * 11, 0, 0);
    // Hidden for 32 frames in every 64: its vertices keep the last pose drawn,
    // so it stands still while the others move.
    Model* spinner = model(spinnerModel);
    spinner->flags = (time / 32) % 2 ? spinner->flags | MODEL_HIDDEN : spinner->flags & ~MODEL_HIDDEN;
}

void paintSky() { paintGradient(0, screenHeight(), {2, 4, 12}, {12, 6, 14}); }

// ---- 7: collision bodies, their contacts and a sprite ------------------------

// One body per part, each part a box around its centre vertex.
struct BodySpec {
    int list;
    std::uint32_t flags;
    std::int32_t x, y;
    int hueDegrees;
};
constexpr std::uint32_t TOUCHING = BODY_PROJECT | BODY_COLLIDES;
constexpr BodySpec BODIES[] = {
    {0, TOUCHING, 0, 0, -1},         // the sweeper, marked by the sprite; meets lists 1 and 2
    {1, TOUCHING, -270, 80, 220},    // list 1 holds three
    {1, TOUCHING, -150, -85, 230},
    {1, TOUCHING, -30, 80, 240},
    {2, TOUCHING, 120, -80, 120},    // list 2 holds two
    {2, TOUCHING, 260, 75, 130},
    {3, BODY_PROJECT, 50, 0, -1},    // no contacts: the sweeper passes through it
};
constexpr int BODY_COUNT = sizeof BODIES / sizeof BODIES[0];
constexpr std::int32_t BODY_RADIUS = 50;
constexpr std::int32_t BOX_HALF = 40;

int fieldModel = -1;
int bodyColours[BODY_COUNT][3];  // the box's colour entries, by shade
Body* linked[BODY_COUNT];
bool touched[BODY_COUNT];  // by the contact test of the last frame
SpriteEntry spriteTable[1];  // kind 0: drawn as the placeholder outline

void touch(Body* body) {
    for (int k = 0; k < BODY_COUNT; ++k)
        if (linked[k] == body) touched[k] = true;
}

// Shade 0 for the tops, 1 and 2 for the sides: the sweeper in greys, the
// body without contacts darker still, the others in their list's hue.
Rgb baseColour(int k, int shade) {
    const int value = (BODIES[k].flags & BODY_COLLIDES ? 250 : 120) - 50 * shade;
    if (BODIES[k].hueDegrees < 0) return {value, value, value};
    return hue(BODIES[k].hueDegrees, value);
}

Rgb litColour(int shade) { return {255 - 40 * shade, 225 - 40 * shade, 40}; }

int buildBodies() {
    fieldModel = createModel(BODY_COUNT);
    if (fieldModel < 0) return -1;
    for (int k = 0; k < BODY_COUNT; ++k) {
        const PartBuilder part = beginPart(fieldModel);
        const int centre = addVertex(0, 0, 0);
        for (int shade = 0; shade < 3; ++shade) bodyColours[k][shade] = addColour(baseColour(k, shade));
        addBox(0, 0, 0, BOX_HALF, BOX_HALF, BOX_HALF, bodyColours[k][0], bodyColours[k][1], bodyColours[k][2]);
        if (k == 0) addSprite(centre, 0);
        endPart(part, 1);  // siblings: each box moves on its own
    }
    spriteTable[0].kind = 0;
    setSpriteTable(spriteTable, 1);
    return fieldModel;
}

void poseBodies(int time) {
    for (int k = 0; k < BODY_COUNT; ++k) {
        std::int32_t x = BODIES[k].x, y = BODIES[k].y;
        if (k == 0) x = pingPong(time, 240, -330, 330);
        if (BODIES[k].list == 1) y += sinOf(25, time * 8 + k * 200);
        setVec(partPosition(fieldModel, k), x, y, 0);
        setAngles(partRotation(fieldModel, k), time * 2, time * 3 + k * 100, 0);
    }
}

void enterBodies() {
    const Vec4 centre{0, 0, 0, 0};
    for (int k = 0; k < BODY_COUNT; ++k) {
        linked[k] = linkBody(BODIES[k].list, &model(fieldModel)->parts[k].world, &centre, BODY_RADIUS, BODIES[k].flags,
                             touch);
        touched[k] = false;
    }
}

void leaveBodies() {
    for (Body*& body : linked) {
        unlinkBody(body);
        body = nullptr;
    }
}

// Each box shows yellow for a frame after a contact: the test runs after the
// drawing, so the frame after it shows what it found.
void lightBodies() {
    DisplayList* list = currentDisplayList();
    for (int k = 0; k < BODY_COUNT && list; ++k) {
        for (int shade = 0; shade < 3; ++shade) {
            const Rgb c = touched[k] ? litColour(shade) : baseColour(k, shade);
            list->colourTable[bodyColours[k][shade]] = packRgb555(c.r, c.g, c.b);
        }
        touched[k] = false;
    }
}

// The bodies' projected bounds: a square of the projected radius around
// each screen position, yellow while in contact.
void outlineBodies() {
    for (const Body* body : linked) {
        if (!body || body->projectedRadius <= 0) continue;
        const std::int32_t r = body->projectedRadius;
        drawRectOutline(body->screen.x - r, body->screen.y - r, 2 * r, 2 * r,
                        body->flags & BODY_CONTACT ? 0x7fe0 : 0x4210);
    }
}

// ---- 8: callbacks at chosen depths -------------------------------------------

int panelsModel = -1;
int markersModel = -1;
constexpr std::int32_t CALLBACKS_DISTANCE = 200;
constexpr std::int32_t SLOT_DEPTH = 330;    // between the far panel and the middle one
constexpr std::int32_t RECORD_DEPTH = 130;  // between the middle panel and the near one

// Every pixel drawn so far, each channel halved.
void dimScreen(std::int32_t) {
    Rgb555* pixels = backBufferPixels();
    const std::int32_t count = screenWidth() * screenHeight();
    for (std::int32_t i = 0; pixels && i < count; ++i) pixels[i] = (pixels[i] >> 1) & 0x3def;
}

// Every pixel drawn so far with the top bit of blue set: a blue cast that the
// dimming, run after it, halves again.
void tintScreen(std::int32_t) {
    Rgb555* pixels = backBufferPixels();
    const std::int32_t count = screenWidth() * screenHeight();
    for (std::int32_t i = 0; pixels && i < count; ++i) pixels[i] |= 0x0010;
}

// Every fourth row of what is drawn so far, halved.
void scanLines(std::int32_t) {
    Rgb555* pixels = backBufferPixels();
    const std::int32_t width = screenWidth();
    for (std::int32_t y = 0; pixels && y < screenHeight(); y += 4)
        for (std::int32_t x = 0; x < width; ++x) pixels[y * width + x] = (pixels[y * width + x] >> 1) & 0x3def;
}

int buildCallbacks() {
    panelsModel = createModel(1);
    markersModel = createModel(1);
    if (panelsModel < 0 || markersModel < 0) return -1;
    // Two white squares just behind the slots' bucket and in it (seen from
    // where the camera starts): the slots run before the primitives of their
    // own bucket, so only the farther square is dimmed and tinted.
    PartBuilder part = beginPart(markersModel);
    const int white = addColour({255, 255, 255});
    for (const std::int32_t depth : {SLOT_DEPTH + 1, SLOT_DEPTH}) {
        int corners[4];
        addRectCorners(corners, -420, depth == SLOT_DEPTH ? 290 : 200, depth - CALLBACKS_DISTANCE, 30, 30);
        addFlat(corners, 4, white);
    }
    endPart(part);

    part = beginPart(panelsModel);
    const struct {
        TextureName texture;
        std::int32_t cx, cy, z, hx, hy;
    } PANELS[3] = {{TEX_TEST, 0, 0, 260, 540, 420}, {TEX_WOOD, -110, -70, 0, 230, 170}, {TEX_MARBLE, 120, 90, -140, 140, 110}};
    for (const auto& p : PANELS) {
        int corners[4];
        addRectCorners(corners, p.cx, p.cy, p.z, p.hx, p.hy);
        addTextured(corners, wholeTexture, 4, textureIds[p.texture], Blend::Copy);
    }
    addCallbackRecord(scanLines, RECORD_DEPTH);
    endPart(part);
    return panelsModel;
}

void poseCallbacks(int time) { setAngles(&model(panelsModel)->rotation, 0, sinOf(40, time * 3), 0); }

// Two slots in one bucket: the higher one runs first, so the tint is dimmed.
void enterCallbacks() {
    setCallbackSlot(0, dimScreen, SLOT_DEPTH);
    setCallbackSlot(1, tintScreen, SLOT_DEPTH);
}

void leaveCallbacks() {
    setCallbackSlot(0, nullptr, 0);
    setCallbackSlot(1, nullptr, 0);
}

// ---- 9: clipping and the near limit -------------------------------------------

int floorModel = -1;
int sliderModel = -1;
int lifterModel = -1;
int flyerModel = -1;

int buildClipping() {
    floorModel = createModel(1);
    sliderModel = createModel(1);
    lifterModel = createModel(1);
    flyerModel = createModel(1);
    if (floorModel < 0 || sliderModel < 0 || lifterModel < 0 || flyerModel < 0) return -1;

    // A floor from behind the camera into the distance: the tiles with a
    // corner at or behind the near limit are left out, those across the
    // sides are cut at the screen's edges.
    PartBuilder part = beginPart(floorModel);
    constexpr int CELLS = 8;
    int grid[CELLS + 1][CELLS + 1], coord[CELLS + 1][CELLS + 1];
    for (int j = 0; j <= CELLS; ++j)
        for (int i = 0; i <= CELLS; ++i) {
            grid[j][i] = addVertex(-700 + 175 * i, 110, -500 + 250 * j);
            coord[j][i] = addTexCoord(256 * i, 256 * j);
        }
    for (int j = 0; j < CELLS; ++j)
        for (int i = 0; i < CELLS; ++i) {
            const int corners[4] = {grid[j + 1][i], grid[j + 1][i + 1], grid[j][i + 1], grid[j][i]};
            const int coords[4] = {coord[j + 1][i], coord[j + 1][i + 1], coord[j][i + 1], coord[j][i]};
            addTextured(corners, coords, 4, textureIds[TEX_TILES], Blend::Copy);
        }
    endPart(part);

    part = beginPart(sliderModel);  // crosses the left and right edges
    addBox(0, 0, 0, 60, 60, 60, addColour({250, 120, 60}), addColour({200, 90, 40}), addColour({150, 60, 30}));
    endPart(part);
    part = beginPart(lifterModel);  // crosses the top and bottom edges
    int colours[8];
    for (int i = 0; i < 8; ++i) colours[i] = addColour(hue(160 + 30 * i, 230));
    addShadedBox(0, 0, 0, 50, 50, 50, colours);
    endPart(part);
    part = beginPart(flyerModel);  // comes at the camera and through the near limit
    int corners[4];
    addRectCorners(corners, 0, 0, 0, 70, 70);
    addTextured(corners, wholeTexture, 4, textureIds[TEX_TEST], Blend::Copy);
    endPart(part);
    return floorModel;
}

void poseClipping(int time) {
    setVec(&model(sliderModel)->position, pingPong(time, 160, -900, 900), -10, 320);
    setAngles(&model(sliderModel)->rotation, 0, time * 4, 0);
    setVec(&model(lifterModel)->position, 170, pingPong(time + 40, 120, -700, 700), 420);
    setAngles(&model(lifterModel)->rotation, time * 5, 0, time * 3);
    setVec(&model(flyerModel)->position, -150, -40, 1400 - (time % 128) * 16);
    setAngles(&model(flyerModel)->rotation, 0, 0, time * 6);
}

void paintHorizon() { paintGradient(0, screenHeight() / 2, {4, 10, 22}, {16, 20, 26}); }

}  // namespace

const View VIEWS[VIEW_COUNT] = {
    {"1/9 FLAT: TRIANGLES AND QUADS IN 24 COLOURS, BACK FACES CULLED", 450, 0, 0, buildFlat, poseFlat, nullptr,
     nullptr, nullptr, nullptr, nullptr},
    {"2/9 SHADED: GOURAUD POLYGONS, ADDITIVE ONES GLOWING OVER THEM", 400, 0, 0, buildShaded, poseShaded, nullptr,
     nullptr, nullptr, nullptr, nullptr},
    {"3/9 TEXTURES: 2X2 TO 256X256 FROM 1, 4, 8, 16, 24 AND 32-BIT FILES", 120, 0, 0, buildTextures, poseTextures,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {"4/9 BLENDS: ADDITIVE AND HALF-BLENDED PANES OVER A BUSY BACKDROP", 200, 0, 0, buildBlends, poseBlends,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {"5/9 ANIMATION: TEXTURES SCROLLING A ROW A FRAME (32X4: EVERY 4)", 100, 0, 0, buildAnimation, poseAnimation,
     runAnimation, nullptr, nullptr, nullptr, nullptr},
    {"6/9 MODELS: PART CHAINS, A HIDDEN ONE STANDS STILL, CAMERA CIRCLES", 300, 0, 2, buildModels, poseModels,
     nullptr, nullptr, nullptr, paintSky, nullptr},
    {"7/9 BODIES: CONTACTS TURN YELLOW, THE SPRITE MARKS THE SWEEPER", 100, 0, 0, buildBodies, poseBodies, nullptr,
     enterBodies, leaveBodies, lightBodies, outlineBodies},
    {"8/9 CALLBACKS: SLOTS TINT AND DIM BEHIND, A RECORD DRAWS SCAN LINES", CALLBACKS_DISTANCE, 0, 0, buildCallbacks,
     poseCallbacks, nullptr, enterCallbacks, leaveCallbacks, nullptr, nullptr},
    {"9/9 CLIPPING: A FLOOR THROUGH THE NEAR LIMIT, OBJECTS OFF EVERY EDGE", 100, 0, 0, buildClipping,
     poseClipping, nullptr, nullptr, nullptr, paintHorizon, nullptr},
};

}  // namespace gallery
