#include "actors/physics.h"

#include <chipmunk/chipmunk_structs.h>

#include "base/game_assert.h"
#include "world/world_grid.h"

namespace {

// The world's segments are all 10 pixels long and lie on a grid, where a spatial hash beats the
// default bounding-box tree: a checkerboard's 616,612 segments go in at about 0.3 us each
// instead of 5 us (the tree grows lopsided from their zero-area boxes, in every order tried)
// and cost 404 bytes each instead of 496. The moving boxes stay in the tree: a hash for them
// too (cpSpaceUseSpatialHash) changes how the crowd of enemies piles up. Chipmunk has no call
// for the static index alone, so the empty space's tree is swapped for a hash here, linked to
// the moving boxes' tree as cpSpaceUseSpatialHash links its two hashes.
void useSpatialHashForStaticShapes(cpSpace* space) {
    cpSpatialIndex* tree = space->staticShapes;
    GAME_ASSERT(cpSpatialIndexCount(tree) == 0 && cpSpatialIndexCount(space->dynamicShapes) == 0,
                "the static index is replaced in an empty space only: call it from createSpace");
    cpSpatialIndex* hash =
        cpSpaceHashNew(SPATIAL_HASH_CELL, SPATIAL_HASH_CELLS,
                       reinterpret_cast<cpSpatialIndexBBFunc>(cpShapeGetBB), nullptr);
    hash->dynamicIndex = space->dynamicShapes;
    space->dynamicShapes->staticIndex = hash;
    space->staticShapes = hash;
    cpSpatialIndexFree(tree);
}

} // namespace

cpSpace* createSpace() {
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, WORLD_GRAVITY));
    useSpatialHashForStaticShapes(space);
    return space;
}

void createWorldWalls(cpSpace* space) {
    const cpVect corners[][2] = {
        {cpv(0, 0), cpv(0, WORLD_HEIGHT)},
        {cpv(0, 0), cpv(WORLD_WIDTH, 0)},
        {cpv(0, WORLD_HEIGHT), cpv(WORLD_WIDTH, WORLD_HEIGHT)},
        {cpv(WORLD_WIDTH, 0), cpv(WORLD_WIDTH, WORLD_HEIGHT)},
    };
    for (const auto& wall : corners) {
        cpSpaceAddShape(space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), wall[0], wall[1], 0));
    }
}

cpVect actorCorner(cpBody* body) {
    return cpvsub(cpBodyGetPosition(body), cpv(ACTOR_WIDTH / 2.0, ACTOR_HEIGHT / 2.0));
}

void applyImpulseAtOffset(cpBody* body, cpVect impulse, cpVect offset) {
    cpBodyApplyImpulseAtWorldPoint(body, impulse, cpvadd(cpBodyGetPosition(body), offset));
}

cpBody* addActorBody(cpSpace* space, cpVect centre, double friction, cpShape*& shape) {
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(ACTOR_MASS, ACTOR_MOMENT));
    cpBodySetPosition(body, centre);
    shape = cpSpaceAddShape(space, cpBoxShapeNew(body, ACTOR_WIDTH, ACTOR_HEIGHT, 0.0));
    cpShapeSetFriction(shape, friction);
    return body;
}

int staticShapeCount(cpSpace* space) {
    int count = 0;
    cpSpaceEachShape(
        space,
        [](cpShape* shape, void* data) {
            if (cpBodyGetType(cpShapeGetBody(shape)) == CP_BODY_TYPE_STATIC) {
                ++*static_cast<int*>(data);
            }
        },
        &count);
    return count;
}
