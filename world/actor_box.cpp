#include "world/actor_box.h"

#include <algorithm>
#include <cmath>

namespace {

// The first and last cell line that a box side from `position`, `size` long, reaches more than
// the tolerance into.
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

bool actorBoxInWorld(double left, double top) {
    return left >= ACTOR_LEAST_LEFT && left <= ACTOR_MOST_LEFT && top >= ACTOR_LEAST_TOP &&
           top <= ACTOR_MOST_TOP;
}

bool actorBoxOverlapsCell(double left, double top, int column, int row) {
    return firstCellOf(left) <= column && column <= lastCellOf(left, ACTOR_WIDTH) &&
           firstCellOf(top) <= row && row <= lastCellOf(top, ACTOR_HEIGHT);
}

bool actorBoxFree(const World& world, double left, double top) {
    if (!actorBoxInWorld(left, top)) {
        return false; // half of it lies past a wall
    }
    for (int column = firstCellOf(left); column <= lastCellOf(left, ACTOR_WIDTH); ++column) {
        for (int row = firstCellOf(top); row <= lastCellOf(top, ACTOR_HEIGHT); ++row) {
            if (cellSolidOrOutside(world, column, row)) {
                return false;
            }
        }
    }
    return true;
}

cpVect actorBoxWithinSideWalls(cpVect corner) {
    return cpv(std::clamp(corner.x, 0.0, static_cast<double>(WORLD_WIDTH - ACTOR_WIDTH)), corner.y);
}

bool nearestFreePlace(const World& world, cpVect corner, cpVect& place) {
    if (!actorBoxInWorld(corner.x, corner.y)) {
        return false;
    }
    if (actorBoxFree(world, corner.x, corner.y)) {
        place = corner;
        return true;
    }
    // A box pressed into a side wall has no free place in the columns past it.
    const double left = actorBoxWithinSideWalls(corner).x;
    // Free places above lie on a cell's face; the first candidate is the face at or above the
    // box's bottom.
    const int belowBottom = static_cast<int>(std::floor((corner.y + ACTOR_HEIGHT) / BLOCK_SIZE));
    double top = corner.y;
    bool found = actorBoxFree(world, left, top);
    for (int row = belowBottom; !found && topStandingOn(row) >= 0; --row) {
        top = topStandingOn(row);
        found = actorBoxFree(world, left, top);
    }
    for (int row = belowBottom + 1; !found && row <= WORLD_ROWS; ++row) {
        top = topStandingOn(row);
        found = actorBoxFree(world, left, top);
    }
    if (found) {
        place = cpv(left, top);
    }
    return found;
}
