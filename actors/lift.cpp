#include "actors/lift.h"

#include <cmath>

#include "actors/physics.h"

namespace {

// The cell lines a box side at `position` lies in, shrunk by the tolerance at both ends.
int firstCellOf(double position) {
    return static_cast<int>(std::floor((position + OVERLAP_TOLERANCE) / BLOCK_SIZE));
}

int lastCellOf(double position, int size) {
    return static_cast<int>(std::floor((position + size - OVERLAP_TOLERANCE) / BLOCK_SIZE));
}

// Top of a box whose bottom lies on the upper face of row `row`.
double topStandingOn(int row) {
    return static_cast<double>(row * BLOCK_SIZE - ACTOR_HEIGHT);
}

} // namespace

bool actorBoxFree(const World& world, double left, double top) {
    for (int column = firstCellOf(left); column <= lastCellOf(left, ACTOR_WIDTH); ++column) {
        for (int row = firstCellOf(top); row <= lastCellOf(top, ACTOR_HEIGHT); ++row) {
            if (cellSolidOrOutside(world, column, row)) {
                return false;
            }
        }
    }
    return true;
}

bool nearestFreeTop(const World& world, double left, double top, double& freeTop) {
    if (actorBoxFree(world, left, top)) {
        freeTop = top;
        return true;
    }
    // Free places above lie on a cell's face; the first candidate is the face at or above the
    // box's bottom.
    const int belowBottom = static_cast<int>(std::floor((top + ACTOR_HEIGHT) / BLOCK_SIZE));
    for (int row = belowBottom; topStandingOn(row) >= 0; --row) {
        if (actorBoxFree(world, left, topStandingOn(row))) {
            freeTop = topStandingOn(row);
            return true;
        }
    }
    for (int row = belowBottom + 1; row <= WORLD_ROWS; ++row) {
        if (actorBoxFree(world, left, topStandingOn(row))) {
            freeTop = topStandingOn(row);
            return true;
        }
    }
    return false;
}

bool liftOutOfRock(cpSpace* space, cpBody* body, const World& world) {
    const cpVect corner = actorCorner(body);
    double top = corner.y;
    if (!nearestFreeTop(world, corner.x, corner.y, top) || top == corner.y) {
        return false;
    }
    cpBodySetPosition(body, cpv(cpBodyGetPosition(body).x, top + ACTOR_HEIGHT / 2.0));
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
