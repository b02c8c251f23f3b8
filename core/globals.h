// The program core's library objects and shared records. Only the program core (start-up,
// main sequence, event loop) names these; everything else receives what it needs by reference.
#pragma once

#include <allegro5/allegro.h>
#include <chipmunk/chipmunk.h>

#include "actors/enemy.h"
#include "actors/player.h"
#include "presentation/atlas.h"
#include "presentation/render_thread.h"
#include "world/block_types.h"
#include "world/world_grid.h"

struct ALLEGRO_FONT;

/// The game display (the 640 x 240 menu window until the menu ends).
extern ALLEGRO_DISPLAY* display;
/// The one event queue: display, mouse, timer and keyboard.
extern ALLEGRO_EVENT_QUEUE* eventQueue;
/// The 60 Hz tick timer.
extern ALLEGRO_TIMER* timer;
/// The HUD and menu font.
extern ALLEGRO_FONT* font;
/// The physics space.
extern cpSpace* space;
/// The render thread.
extern ALLEGRO_THREAD* renderThread;
/// The HUD's button image.
extern ALLEGRO_BITMAP* buttonBitmap;
/// Guards the world, the player, the enemies and the space across threads.
extern ALLEGRO_MUTEX* stateLock;
/// Every small image the renderer draws.
extern Atlas atlas;
/// The player.
extern Player player;
/// The enemies.
extern Enemy enemies[ENEMY_COUNT];
/// The render thread's argument record.
extern RenderThreadData renderThreadData;
/// The world grid, owned for the whole run.
extern World world;
/// The block-type table, owned for the whole run.
extern BlockTypes blockTypes;
