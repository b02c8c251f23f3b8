#include "core/globals.h"

ALLEGRO_DISPLAY* display = nullptr;
ALLEGRO_EVENT_QUEUE* eventQueue = nullptr;
ALLEGRO_TIMER* timer = nullptr;
ALLEGRO_FONT* font = nullptr;
cpSpace* space = nullptr;
ALLEGRO_THREAD* renderThread = nullptr;
ALLEGRO_BITMAP* buttonBitmap = nullptr;
ALLEGRO_MUTEX* stateLock = nullptr;
Atlas atlas = {};
Player player = {};
Enemy enemies[ENEMY_COUNT] = {};
RenderThreadData renderThreadData = {};
World world = {};
BlockTypes blockTypes = {};
