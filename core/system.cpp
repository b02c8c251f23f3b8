#include "core/system.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_ttf.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "actors/physics.h"
#include "base/file_lock.h"
#include "core/close_request.h"
#include "core/start_menu.h"
#include "presentation/game_display.h"
#include "presentation/game_icon.h"
#include "world/save_file.h"

namespace {

const char* const WINDOW_TITLE = "Tellurn " TELLURN_VERSION " - Zuraror";
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

// A copy of the game that is only finishing its saves has its lock for a few seconds more.
LockResult waitForFinishingCopy(Game& game) {
    const std::string& directory = game.saver.own.folder.directory;
    std::printf("Another copy of the game is still finishing its saves; waiting for it\n");
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(CLOSE_SAVE_SECONDS + 1.0);
    LockResult locked{LOCK_HELD, ""};
    while (locked.outcome == LOCK_HELD && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        locked = lockFolder(directory, SAVE_LOCK_NAME, game.saveLock);
    }
    requireOrExit(locked.outcome != LOCK_HELD, "Another copy of the game is still finishing its "
                                               "saves; try again in a few seconds\n");
    return locked;
}

// Two copies of the game in one folder would write over each other's saves: the second one
// ends before it reads or writes any. A folder that cannot be locked is played in all the same.
void takeSaveFolderLock(Game& game) {
    const std::string& directory = game.saver.own.folder.directory;
    LockResult locked = lockFolder(directory, SAVE_LOCK_NAME, game.saveLock);
    if (locked.outcome == LOCK_HELD &&
        readLockNote(directory, SAVE_LOCK_NAME) == SAVE_LOCK_FINISHING) {
        locked = waitForFinishingCopy(game);
    }
    requireOrExit(locked.outcome != LOCK_HELD,
                  "Another copy of the game is using the save in this folder; close it first\n");
    noteOnLock(game.saveLock, ""); // a note left by a copy that ended says nothing of this one
    if (locked.outcome == LOCK_UNAVAILABLE) {
        std::printf("Cannot lock the save folder: %s; a second copy of the game would not be "
                    "stopped\n",
                    locked.sentence.c_str());
    } else if (!locked.sentence.empty()) {
        std::printf("Cannot use the lock file: %s; the folder itself is locked, so a second copy "
                    "of the game is stopped all the same\n",
                    locked.sentence.c_str());
    }
}

void startAllegro() {
    al_set_app_name(WINDOW_TITLE);
    requireOrExit(al_init(), "Failed to initialize allegro!\n");
}

void openMenuWindow(Game& game) {
    game.display = createGameDisplay(MENU_WIDTH, MENU_HEIGHT, 0);
    requireOrExit(game.display != nullptr, "Failed to create display!\n");
}

// Gives the current display the game's icon, painted into a memory bitmap that the window
// system copies.
void setWindowIcon(Game& game) {
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
    al_set_display_icon(game.display, icon);
    al_destroy_bitmap(icon);
}

void createInputAndTimer(Game& game) {
    game.eventQueue = al_create_event_queue();
    requireOrExit(game.eventQueue != nullptr, "Failed to create event queue\n");
    sendCloseRequestsTo(game.closeRequests, game.eventQueue);
    requireOrExit(al_install_mouse(), "Failed to initialize the mouse!\n");
    requireOrExit(al_install_keyboard(), "Failed to initialize the keyboard!\n");
    game.timer = al_create_timer(TICK_SECONDS);
    requireOrExit(game.timer != nullptr, "Failed to initialize the timer!\n");
}

void loadFont(Game& game) {
    std::printf("Loading Font\n");
    al_init_font_addon();
    al_init_ttf_addon();
    game.font = al_load_font(WINDOWS_FONT, FONT_SIZE, 0);
    if (game.font == nullptr) {
        std::printf("Windows font %s not found, trying %s\n", WINDOWS_FONT, FALLBACK_FONT);
        game.font = al_load_font(FALLBACK_FONT, FONT_SIZE, 0);
    }
    if (game.font == nullptr) {
        std::printf("Unable to find font, you cocked something up... Quitting\n");
        al_rest(2.0);
        std::exit(1);
    }
}

void registerEventSources(Game& game) {
    std::printf("Initializing Event Sources\n");
    al_register_event_source(game.eventQueue, al_get_display_event_source(game.display));
    al_register_event_source(game.eventQueue, al_get_mouse_event_source());
    al_register_event_source(game.eventQueue, al_get_timer_event_source(game.timer));
    al_register_event_source(game.eventQueue, al_get_keyboard_event_source());
}

// The atlas is made once the game display exists, so that its texture belongs to that display.
void createGameImages(Game& game) {
    requireOrExit(createAtlas(game.atlas), "Failed to create the game's images!\n");
    game.player.bitmap = game.atlas.player;
    al_set_target_backbuffer(game.display);
}

void createThreads(Game& game) {
    const char* failure = nullptr;
    requireOrExit(createWorkers(game, failure), failure);
}

} // namespace

void initSystem(Game& game) {
    std::printf("Initializing System\n");
    takeSaveFolderLock(game);
    startAllegro();
    openMenuWindow(game);
    setWindowIcon(game);
    createInputAndTimer(game);
    loadFont(game);
    registerEventSources(game);
    std::printf("Initializing Player\n");
    createPlayerAndWalls(game);
    runStartMenu(game.player, game.font, game.display, game.eventQueue);
    setWindowIcon(game); // the game display is a new window
    createGameImages(game);
    game.stateLock = al_create_mutex();
    requireOrExit(game.stateLock != nullptr, "Failed to create the game state lock!\n");
    createThreads(game);
}
