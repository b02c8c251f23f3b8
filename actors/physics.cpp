#include "actors/physics.h"

#include "world/world_grid.h"

cpSpace* createSpace() {
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, WORLD_GRAVITY));
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
