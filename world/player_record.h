// The player record: the one game-state record, handed by reference to every handler and
// thread. The world's editing and save rules read it, so it lives with them; the player's
// movement is in actors/player.h.
#pragma once

#include <allegro5/keycodes.h>
#include <chipmunk/chipmunk.h>
#include <cstdint>

struct ALLEGRO_BITMAP;

/// Width of the player's box, and of each enemy's: the save's check and the physics share it.
constexpr int ACTOR_WIDTH = 10;
/// Height of the player's and each enemy's box.
constexpr int ACTOR_HEIGHT = 20;
/// How far a box may reach into a cell before it counts as overlapping it: a little more than
/// the physics' collision slop (0.1 px), by which a box resting on the ground sinks into it.
constexpr double OVERLAP_TOLERANCE = 0.25;

/// Number of key flags: one per Allegro key code.
constexpr int KEY_COUNT = ALLEGRO_KEY_MAX;
/// Key flag that Left and A set.
constexpr int keyLeft = ALLEGRO_KEY_LEFT;
/// Key flag that Right and D set.
constexpr int keyRight = ALLEGRO_KEY_RIGHT;
/// Key flag that Up and W set.
constexpr int keyUp = ALLEGRO_KEY_UP;
/// Key flag that Down and S set (recorded only).
constexpr int keyDown = ALLEGRO_KEY_DOWN;

/// The one game-state record, handed by reference to every handler and thread.
struct Player {
    /// Left edge of the player's box, world pixels (body x - 5).
    float x;
    /// Top edge of the player's box, world pixels (body y - 10).
    float y;
    /// Dirt blocks held.
    int32_t dirtCount;
    /// Grass blocks held.
    int32_t grassCount;
    /// Stone blocks held.
    int32_t stoneCount;
    /// Gold blocks held.
    int32_t goldCount;
    /// The player's 10 x 20 image.
    ALLEGRO_BITMAP* bitmap;
    /// 1 when a jump impulse may be applied.
    uint8_t canJump;
    /// Kind a placing click puts down: 1 Dirt, 2 Grass, 3 Stone, 4 Gold.
    int32_t selectedBlock;
    /// Held-key flags by Allegro key code; only keyLeft, keyRight, keyUp and keyDown are set.
    uint8_t keys[KEY_COUNT];
    /// Width of the game display in pixels.
    int32_t screenWidth;
    /// Height of the game display in pixels.
    int32_t screenHeight;
    /// 1 when the start menu chose to load the saved world.
    uint8_t loadRequested;
    /// 1 after a load that found no usable save.
    int32_t loadFailed;
    /// The player's body in the space.
    cpBody* body;
    /// The player's box shape.
    cpShape* shape;
    /// Base of the offsets at which the movement impulses are applied.
    cpVect impulseBase;
};
