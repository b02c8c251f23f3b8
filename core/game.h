// The whole game in one record: its library objects, the shared records and the workers. The
// game keeps one in static storage; tests and the benchmark build theirs on the heap. Every
// handler and worker receives what it needs from it by reference.
//
// Lifecycle: initGame, then either the window's start-up (core/system.h) or buildHeadlessGame;
// createWorkers and startWorkers when there is a display (the saver with them); tickGame once
// per timer event; stopWorkers, then finishSaver. Tests and the benchmark end with destroyGame;
// the game itself ends its process instead, where the operating system frees everything at
// once and a saver left behind at the close may still be running.
#pragma once

#include <allegro5/allegro.h>
#include <chipmunk/chipmunk.h>

#include "actors/enemy.h"
#include "actors/enemy_thread.h"
#include "actors/player.h"
#include "actors/view.h"
#include "base/file_lock.h"
#include "base/game_random.h"
#include "core/close_request.h"
#include "core/display_loss.h"
#include "core/saver.h"
#include "presentation/atlas.h"
#include "presentation/render_thread.h"
#include "world/block_types.h"
#include "world/world_grid.h"

struct ALLEGRO_FONT;

/// Seed of the game's generator at start; a new world re-seeds it with the time.
constexpr uint32_t START_SEED = 463457;

/// Who moves the enemies on a tick.
enum EnemyPacing {
    /// Nobody: no enemy has spawned.
    ENEMIES_ABSENT,
    /// The ticking thread, one enemy after another (a headless game).
    ENEMIES_STEPPED_HERE,
    /// Their own threads, woken by the tick; the render thread runs too.
    ENEMIES_ON_THREADS,
};

struct Game {
    /// The game display (the 640 x 240 menu window until the menu ends); null when headless.
    ALLEGRO_DISPLAY* display;
    /// The one event queue: display, mouse, timer and keyboard.
    ALLEGRO_EVENT_QUEUE* eventQueue;
    /// The 60 Hz tick timer.
    ALLEGRO_TIMER* timer;
    /// The HUD and menu font.
    ALLEGRO_FONT* font;
    /// Every small image the renderer draws; empty when headless.
    Atlas atlas;
    /// Guards the world, the player, the enemies and the space across threads.
    ALLEGRO_MUTEX* stateLock;
    /// Holds the player, the enemies, the walls and the world's segments.
    cpSpace* space;
    /// The game's generator: terrain and enemy start places.
    GameRandom random;
    BlockTypes blockTypes;
    World world;
    Player player;
    Enemy enemies[ENEMY_COUNT];
    /// The view of the current tick, which the enemies place themselves in.
    View tickView;
    /// The render thread and its argument record.
    ALLEGRO_THREAD* renderThread;
    RenderThreadData render;
    /// The enemy threads and their argument records.
    ALLEGRO_THREAD* enemyThreads[ENEMY_COUNT];
    EnemyThreadArgs enemyArgs[ENEMY_COUNT];
    /// How the enemies move on a tick.
    EnemyPacing enemyPacing;
    /// The Save and Load clicks, and the thread that writes and reads the save for them.
    Saver saver;
    /// The lock on the save folder, held for the whole run by a game with a window.
    FolderLock saveLock;
    /// Closes asked from outside the window, which close the game as its close button does.
    CloseRequests closeRequests;
    /// A lost connection to the window system, which ends the game in order with status 1.
    DisplayLoss displayLoss;
};

/// The first stage of every game: the generator seeded with START_SEED and the physics space.
void initGame(Game& game);

/// The physics side of start-up: the player's body, the space's iteration count and the walls.
void createPlayerAndWalls(Game& game);

/// A game without a window for tests, the benchmark and tools: initGame, the player and walls,
/// the block table (no images) and the state lock; the grid is left as it is and no enemy is
/// spawned yet. Returns false when the state lock cannot be made.
bool buildHeadlessGame(Game& game);

/// Seeds the game's generator with `seed` and generates the world from it, so that a seed
/// always gives the same world.
void generateSeededWorld(Game& game, uint32_t seed);

/// Gives enemy 0 to 24 their start places and spawns them on this thread, as their threads
/// would, drawn with `enemyImage`; tickGame then steps them here too.
void spawnEnemiesHere(Game& game, ALLEGRO_BITMAP* enemyImage);

/// Gives the block table, every cell and the player their images from the game's atlas, for a
/// headless game that draws after all.
void bindAtlasImages(Game& game);

/// Says so and creates the render thread, then the 25 enemy threads, with their mutexes and
/// conditions, not started; then, silently, the saver (its directory set beforehand, the
/// working directory by default). Returns false, with `failure` naming what, when one cannot
/// be made.
bool createWorkers(Game& game, const char*& failure);

/// Starts the render thread, then enemy 0 to 24, each given its start place first, then the
/// saver. From now on the render thread owns the display's drawing context.
void startWorkers(Game& game);

/// One tick: first the clicks' share (advanceClicks: a Load the saver has read starts going in,
/// goes on going in, or has the snapshots catch up). Then, under the state lock, the space
/// steps once, the player follows its body and its keys, and the tick's view is worked out;
/// then the enemies step: their threads are woken, or, without workers, each steps here in
/// turn. While a Load's cells or segments go in (loadGoingIn), only the view follows the
/// player: the space stays and the actors wait. Last the render thread is woken.
void tickGame(Game& game);

/// Stops and joins enemy 0 to 24, saying so on the console; the render thread goes on.
void stopEnemyThreads(Game& game);

/// Stops and joins enemy 0 to 24, then the render thread, saying so on the console. The saver
/// goes on: finishSaver carries out what a Save still needs, and stops it.
void stopWorkers(Game& game);

/// Frees the space with every body and shape in it (the world's segments included), the
/// saver's mutex and conditions, the folder's lock and the state lock. The library objects of a
/// windowed game are the caller's.
void destroyGame(Game& game);
