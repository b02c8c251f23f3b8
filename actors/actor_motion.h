// Motion rules that the player and the enemies share; each passes its own strengths.
#pragma once

#include <chipmunk/chipmunk.h>

#include "world/world_grid.h"

/// Moving sideways faster than this (pixels per second) against a push stops the box first,
/// so that turning round is immediate.
constexpr double REVERSE_THRESHOLD = 10.0;

/// Highest speed on each axis, in world pixels per second.
struct SpeedLimit {
    double horizontal;
    double vertical;
};

/// Pushes the body sideways with `impulse` (negative: to the left) applied at `offset` from its
/// centre; a body moving the other way faster than REVERSE_THRESHOLD stops sideways first.
void pushSideways(cpBody* body, double impulse, cpVect offset);

/// Clamps the body's velocity to the limit on each axis; a velocity within it stays untouched.
void limitSpeed(cpBody* body, SpeedLimit limit);

/// True when the cell under the feet of the actor whose box's top-left corner is (x, y) is
/// solid or outside the grid: the cell of the box's left column, two rows below its top.
bool standsOnSolid(const World& world, float x, float y);
