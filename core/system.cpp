#include "core/system.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_ttf.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "actors/physics.h"
#include "core/enemy_threads.h"
#include "core/globals.h"
#include "core/start_menu.h"
#include "presentation/game_icon.h"

namespace {

const char* const WINDOW_TITLE = "Tellurn 0.69 - Zuraror";
const char* const WINDOWS_FONT = "C:\\Windows\\Fonts\\tahoma.ttf";
const char* const FALLBACK_FONT = "./data/arial.ttf";
constexpr int FONT_SIZE = 12;
constexpr int WINDOW_ICON_SIZE = 64;

// Ends start-up when a facility the game cannot run without is missing.
void requireOrExit(bool present, const char* failureLine) {
    if (!present) {
        std::printf("%s", failureLine);
        std::exit(1);
    }
}

void startAllegro() {
    al_set_app_name(WINDOW_TITLE);
    requireOrExit(al_init(), "Failed to initialize allegro!\n");
}

void openMenuWindow() {
    display = al_create_display(640, 240);
    requireOrExit(display != nullptr, "Failed to create display!\n");
}

// Gives the current display the game's icon, painted into a memory bitmap that the window
// system copies.
void setWindowIcon() {
    const int flags = al_get_new_bitmap_flags();
    al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
    ALLEGRO_BITMAP* icon = al_create_bitmap(WINDOW_ICON_SIZE, WINDOW_ICON_SIZE);
    al_set_new_bitmap_flags(flags);
    ALLEGRO_LOCKED_REGION* region =
        icon == nullptr
            ? nullptr
            : al_lock_bitmap(icon, ALLEGRO_PIXEL_FORMAT_ABGR_8888_LE, ALLEGRO_LOCK_WRITEONLY);
    requireOrExit(region != nullptr, "Failed to create the window icon!\n");
    const std::vector<uint8_t> pixels = iconPixels(WINDOW_ICON_SIZE);
    const size_t rowBytes = static_cast<size_t>(WINDOW_ICON_SIZE) * 4;
    for (int y = 0; y < WINDOW_ICON_SIZE; ++y) {
        std::memcpy(static_cast<uint8_t*>(region->data) + static_cast<ptrdiff_t>(y) * region->pitch,
                    &pixels[y * rowBytes], rowBytes);
    }
    al_unlock_bitmap(icon);
    al_set_display_icon(display, icon);
    al_destroy_bitmap(icon);
}

void createInputAndTimer() {
    eventQueue = al_create_event_queue();
    requireOrExit(eventQueue != nullptr, "Failed to create event queue\n");
    requireOrExit(al_install_mouse(), "Failed to initialize the mouse!\n");
    requireOrExit(al_install_keyboard(), "Failed to initialize the keyboard!\n");
    timer = al_create_timer(TICK_SECONDS);
    requireOrExit(timer != nullptr, "Failed to initialize the timer!\n");
}

void loadFont() {
    std::printf("Loading Font\n");
    al_init_font_addon();
    al_init_ttf_addon();
    font = al_load_font(WINDOWS_FONT, FONT_SIZE, 0);
    if (font == nullptr) {
        std::printf("Windows font %s not found, trying %s\n", WINDOWS_FONT, FALLBACK_FONT);
        font = al_load_font(FALLBACK_FONT, FONT_SIZE, 0);
    }
    if (font == nullptr) {
        std::printf("Unable to find font, you cocked something up... Quitting\n");
        al_rest(2.0);
        std::exit(1);
    }
}

void registerEventSources() {
    std::printf("Initializing Event Sources\n");
    al_register_event_source(eventQueue, al_get_display_event_source(display));
    al_register_event_source(eventQueue, al_get_mouse_event_source());
    al_register_event_source(eventQueue, al_get_timer_event_source(timer));
    al_register_event_source(eventQueue, al_get_keyboard_event_source());
}

// The atlas is made once the game display exists, so that its texture belongs to that display.
void createGameImages() {
    requireOrExit(createAtlas(atlas), "Failed to create the game's images!\n");
    player.bitmap = atlas.player;
    buttonBitmap = atlas.button;
    al_set_target_backbuffer(display);
}

void createRenderThread() {
    std::printf("Creating render thread\n");
    renderThread = al_create_thread(renderThreadProc, &renderThreadData);
    renderThreadData.cond = al_create_cond();
    renderThreadData.player = &player;
    renderThreadData.mutex = al_create_mutex();
    renderThreadData.display = display;
    renderThreadData.buttonBitmap = buttonBitmap;
    renderThreadData.font = font;
    renderThreadData.stateLock = stateLock;
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        renderThreadData.enemies[i] = &enemies[i];
    }
    requireOrExit(renderThread != nullptr && renderThreadData.cond != nullptr &&
                      renderThreadData.mutex != nullptr,
                  "Failed to create the render thread!\n");
}

} // namespace

void initSystem() {
    std::printf("Initializing System\n");
    startAllegro();
    openMenuWindow();
    setWindowIcon();
    createInputAndTimer();
    loadFont();
    registerEventSources();
    std::printf("Initializing Player\n");
    initPlayer(player, space);
    runStartMenu(player, font, display, eventQueue);
    setWindowIcon(); // the game display is a new window
    createGameImages();
    stateLock = al_create_mutex();
    requireOrExit(stateLock != nullptr, "Failed to create the game state lock!\n");
    createRenderThread();
    std::printf("Creating enemy threads\n");
    createEnemyThreads(space, stateLock, atlas.enemy);
    createWorldWalls(space);
}
