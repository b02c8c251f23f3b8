#include "core/start_menu.h"

#include <allegro5/allegro_font.h>
#include <cstdio>
#include <cstdlib>

#include "core/close_request.h"
#include "presentation/atlas.h"
#include "presentation/game_display.h"

const MenuButton MENU_BUTTONS[6] = {
    {50, 50, "1280x800", MENU_RESOLUTION, 1280, 800},
    {200, 50, "1440x900", MENU_RESOLUTION, 1440, 900},
    {350, 50, "1680x1050", MENU_RESOLUTION, 1680, 1050},
    {500, 50, "Fullscreen", MENU_FULLSCREEN, 0, 0},
    {215, 160, "New World", MENU_NEW_WORLD, 0, 0},
    {340, 160, "Load World", MENU_LOAD_WORLD, 0, 0},
};

namespace {

struct MenuHeading {
    const char* text;
    int centreX, top;
};

const MenuHeading MENU_HEADINGS[] = {
    {"Resolution Selection", 320, 10},
    {"New Game or Load?", 320, 120},
};

// Captions stand 13 pixels below the top of their button.
constexpr int CAPTION_DROP = 13;

// Frameless window the exact size of the first monitor; returns its display flags. Allegro
// reports the bottom-right corner exclusive, so the size is x2 - x1 by y2 - y1.
int chooseFullScreen(MenuChoice& choice) {
    ALLEGRO_MONITOR_INFO info;
    if (!al_get_monitor_info(0, &info)) {
        return 0; // keep the last size chosen, in a window
    }
    choice.screenWidth = info.x2 - info.x1;
    choice.screenHeight = info.y2 - info.y1;
    al_set_new_window_position(info.x1, info.y1);
    return ALLEGRO_NOFRAME;
}

ALLEGRO_DISPLAY* openGameDisplay(MenuChoice& choice) {
    const int flags = choice.fullScreen ? chooseFullScreen(choice) : 0;
    ALLEGRO_DISPLAY* gameDisplay =
        createGameDisplay(choice.screenWidth, choice.screenHeight, flags);
    if (gameDisplay == nullptr) {
        std::printf("Failed to create display!\n");
        std::exit(1);
    }
    return gameDisplay;
}

// The whole menu on the current target, flipped.
void drawStartMenu(ALLEGRO_BITMAP* buttonBitmap, ALLEGRO_FONT* font) {
    al_clear_to_color(al_map_rgb(0, 0, 0));
    for (const MenuHeading& heading : MENU_HEADINGS) {
        al_draw_text(font, al_map_rgb(255, 255, 255), heading.centreX, heading.top,
                     ALLEGRO_ALIGN_CENTRE, heading.text);
    }
    for (const MenuButton& button : MENU_BUTTONS) {
        al_draw_bitmap(buttonBitmap, button.left, button.top, 0);
    }
    for (const MenuButton& button : MENU_BUTTONS) {
        const int captionX = button.left + MENU_BUTTON_WIDTH / 2;
        al_draw_text(font, al_map_rgb(0, 0, 0), captionX, button.top + CAPTION_DROP,
                     ALLEGRO_ALIGN_CENTRE, button.caption);
    }
    al_flip_display();
}

// The menu's grey button image; the menu window stays the drawing target.
ALLEGRO_BITMAP* createMenuButton(ALLEGRO_DISPLAY* display) {
    ALLEGRO_BITMAP* buttonBitmap = al_create_bitmap(MENU_BUTTON_WIDTH, MENU_BUTTON_HEIGHT);
    if (buttonBitmap == nullptr) {
        std::printf("Failed to create the menu's buttons!\n");
        std::exit(1);
    }
    al_set_target_bitmap(buttonBitmap);
    al_clear_to_color(al_map_rgb(BUTTON_GREY[0], BUTTON_GREY[1], BUTTON_GREY[2]));
    al_set_target_backbuffer(display);
    return buttonBitmap;
}

// Serves the menu's events until New World or Load World is clicked; closing the window, or a
// close from outside, ends the process with status 1.
void waitForChoice(MenuChoice& choice, ALLEGRO_BITMAP* buttonBitmap, ALLEGRO_FONT* font,
                   ALLEGRO_EVENT_QUEUE* eventQueue) {
    ALLEGRO_EVENT event;
    al_wait_for_event(eventQueue, &event);
    while (!isCloseEvent(event)) {
        if (event.type == ALLEGRO_EVENT_MOUSE_BUTTON_DOWN) {
            applyMenuClick(choice, event.mouse.x, event.mouse.y);
            if (choice.finished) {
                return;
            }
        }
        if (al_is_event_queue_empty(eventQueue)) {
            drawStartMenu(buttonBitmap, font);
        }
        al_wait_for_event(eventQueue, &event);
    }
    std::printf("Quitting.\n");
    std::exit(1);
}

} // namespace

const MenuButton* menuButtonAt(int x, int y) {
    for (const MenuButton& button : MENU_BUTTONS) {
        if (button.left < x && x < button.left + MENU_BUTTON_WIDTH && button.top < y &&
            y < button.top + MENU_BUTTON_HEIGHT) {
            return &button;
        }
    }
    return nullptr;
}

void applyMenuClick(MenuChoice& choice, int x, int y) {
    const MenuButton* button = menuButtonAt(x, y);
    if (button == nullptr) {
        return;
    }
    switch (button->action) {
    case MENU_RESOLUTION:
        choice.fullScreen = false;
        choice.screenWidth = button->width;
        choice.screenHeight = button->height;
        break;
    case MENU_FULLSCREEN:
        choice.fullScreen = true;
        break;
    case MENU_NEW_WORLD:
        choice.finished = true;
        break;
    case MENU_LOAD_WORLD:
        choice.loadRequested = true;
        choice.finished = true;
        break;
    }
}

void runStartMenu(Player& player, ALLEGRO_FONT* font, ALLEGRO_DISPLAY*& display,
                  ALLEGRO_EVENT_QUEUE* eventQueue) {
    ALLEGRO_BITMAP* buttonBitmap = createMenuButton(display);
    drawStartMenu(buttonBitmap, font);
    MenuChoice choice{player.screenWidth, player.screenHeight, false, false, false};
    waitForChoice(choice, buttonBitmap, font, eventQueue);
    al_destroy_bitmap(buttonBitmap);
    al_destroy_display(display);
    display = openGameDisplay(choice);
    player.screenWidth = choice.screenWidth;
    player.screenHeight = choice.screenHeight;
    player.loadRequested = choice.loadRequested ? 1 : 0;
    al_register_event_source(eventQueue, al_get_display_event_source(display));
}
