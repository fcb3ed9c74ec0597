// The per-frame depth ordering of the display list and the dispatch of its
// primitives to the rasterizers, far to near (painter's order, no depth buffer).
#pragma once

#include <cstdint>

#include "render/display_list.h"
#include "render/primitive.h"

namespace vantir {

// Sorts, then draws, the frame display list. Once per frame, after the transform.
void drawDisplayList();

// Gives every record of list a depth and files it into orderingTable (the
// table must be empty, as dispatchPrimitives leaves it), then the callback
// slots. A record whose indices name nothing in the list, or that is too short
// for the fields its code reads, is skipped; the walk stops at a record that
// does not fit the primitive area.
void sortPrimitives(DisplayList* list);
// Pushes every active callback slot onto the bucket of its depth (0..4095).
void insertCallbackSlots();
// Draws bucket 4095 down to bucket 0 and empties each; answers 0.
int dispatchPrimitives(DisplayList* list);

// A sprite description: 144 bytes, of which only the first field is read (0 =
// the sprite is drawn as its placeholder outline).
struct SpriteEntry {
    std::int32_t kind;
    unsigned char data[140];
};
static_assert(sizeof(SpriteEntry) == 144);

// Installs the sprite table (null: none, the initial state). The table is the
// caller's and must stay valid while installed.
void setSpriteTable(const SpriteEntry* table, std::int32_t count);
// The placeholder of a sprite primitive: a white 50 x 50 outline at the
// vertex, when entry spriteIndex of the sprite table exists and is of kind 0.
// Without a table nothing is drawn.
void drawSpritePrimitive(std::int32_t spriteIndex, const ProjectedVertex* vertex);

}  // namespace vantir
