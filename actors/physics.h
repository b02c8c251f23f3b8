// The physics space that holds the player, the enemies and the world's segments.
#pragma once

#include <chipmunk/chipmunk.h>

#include "world/player_record.h"

/// Downward pull in world pixels per second squared (y grows downwards).
constexpr double WORLD_GRAVITY = 125.0;
/// Solver iterations per step.
constexpr int SPACE_ITERATIONS = 15;
/// Physics time of one tick: always exactly this, never the measured time.
constexpr double TICK_SECONDS = 1.0 / 60.0;
/// Mass of the player and of every enemy.
constexpr double ACTOR_MASS = 50.0;
/// Moment of inertia of the actors' boxes: large but finite, so they turn only negligibly.
constexpr double ACTOR_MOMENT = 4294967295.0;

/// Side of a cell of the spatial hash of the space's static shapes, in world pixels.
constexpr double SPATIAL_HASH_CELL = 40.0;
/// Cells of that hash (rounded up to a prime by the library).
constexpr int SPATIAL_HASH_CELLS = 20000;

/// Creates the space with its gravity (the iteration count is set with the player); its static
/// shapes are indexed in a spatial hash, its moving ones in Chipmunk's bounding-box tree.
cpSpace* createSpace();

/// Closes the 7200 x 4800 world with four static walls: left, top, bottom, right.
void createWorldWalls(cpSpace* space);

/// Top-left corner of an actor's 10 x 20 box whose centre is the body's position.
cpVect actorCorner(cpBody* body);

/// Applies an impulse at an offset from the body's centre, in world axes.
void applyImpulseAtOffset(cpBody* body, cpVect impulse, cpVect offset);

/// Adds a 10 x 20 box body with its centre at `centre` and returns it; its shape goes to `shape`.
cpBody* addActorBody(cpSpace* space, cpVect centre, double friction, cpShape*& shape);

/// Number of static shapes in the space: the four walls and the world's segments.
int staticShapeCount(cpSpace* space);
