#include "actors/lift.h"

#include "actors/physics.h"
#include "world/actor_box.h"

bool liftOutOfRock(cpSpace* space, cpBody* body, const World& world) {
    const cpVect corner = actorCorner(body);
    cpVect place;
    if (!nearestFreePlace(world, corner, place)) {
        // Rock all the way up and down: within the side walls the box falls to the bottom
        // wall, where a save still takes it; left past a wall, it could never be saved.
        place = actorBoxWithinSideWalls(corner);
    }
    if (cpveql(place, corner)) {
        return false;
    }
    // Moved by the difference, so that a coordinate that stays keeps its exact value.
    cpBodySetPosition(body, cpvadd(cpBodyGetPosition(body), cpvsub(place, corner)));
    cpBodySetVelocity(body, cpvzero);
    cpSpaceReindexShapesForBody(space, body);
    return true;
}

void liftActorsOutOfRock(cpSpace* space, Player& player, Enemy* enemies, int count,
                         const World& world) {
    if (liftOutOfRock(space, player.body, world)) {
        copyPlayerPosition(player);
    }
    for (int i = 0; i < count; ++i) {
        Enemy& enemy = enemies[i];
        if (enemy.body != nullptr && liftOutOfRock(space, enemy.body, world)) {
            const cpVect corner = actorCorner(enemy.body);
            enemy.x = static_cast<float>(corner.x);
            enemy.y = static_cast<float>(corner.y);
        }
    }
}
