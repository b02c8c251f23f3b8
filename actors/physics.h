// The physics space that holds the player, the enemies and the world's segments.
#pragma once

#include <chipmunk/chipmunk.h>

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
/// Width of the player's and each enemy's box.
constexpr int ACTOR_WIDTH = 10;
/// Height of the player's and each enemy's box.
constexpr int ACTOR_HEIGHT = 20;

/// How far a box may reach into a cell before it counts as overlapping it: a little more than
/// the physics' collision slop (0.1 px), by which a box resting on the ground sinks into it.
constexpr double OVERLAP_TOLERANCE = 0.25;

/// Creates the space with its gravity (the iteration count is set with the player).
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
