// The start menu: the player picks the display size and a new or the saved world.
#pragma once

#include <allegro5/allegro.h>

#include "world/player_record.h"

struct ALLEGRO_FONT;

/// Size of the start menu's window.
constexpr int MENU_WIDTH = 640;
/// Height of the start menu's window.
constexpr int MENU_HEIGHT = 240;
/// Size of one menu button.
constexpr int MENU_BUTTON_WIDTH = 80;
/// Height of one menu button.
constexpr int MENU_BUTTON_HEIGHT = 40;

/// What a menu button does.
enum MenuAction { MENU_RESOLUTION, MENU_FULLSCREEN, MENU_NEW_WORLD, MENU_LOAD_WORLD };

/// One button of the menu, in drawing order.
struct MenuButton {
    /// Top-left corner in window pixels.
    int left, top;
    /// Caption, centred on the button.
    const char* caption;
    /// What a click does.
    MenuAction action;
    /// Display size a resolution button chooses.
    int width, height;
};

/// The six buttons: four sizes above, New World and Load World below.
extern const MenuButton MENU_BUTTONS[6];

/// The choices made so far in the menu.
struct MenuChoice {
    int screenWidth;
    int screenHeight;
    bool fullScreen;
    bool loadRequested;
    /// True once New World or Load World was clicked.
    bool finished;
};

/// The button whose inside (borders excluded) holds the window pixel (x, y), or null.
const MenuButton* menuButtonAt(int x, int y);

/// Applies a click at (x, y), any mouse button, to the choice.
void applyMenuClick(MenuChoice& choice, int x, int y);

/// Runs the menu until New World or Load World is clicked, then replaces the menu window by
/// the game display at the chosen size (registered with eventQueue) and records the choice in
/// player. Closing the window, or a close from outside, ends the process with status 1.
void runStartMenu(Player& player, ALLEGRO_FONT* font, ALLEGRO_DISPLAY*& display,
                  ALLEGRO_EVENT_QUEUE* eventQueue);
