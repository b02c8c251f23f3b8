#include "presentation/hud_layout.h"

const HudLabel HUD_LABELS[4] = {
    {"1) Dirt: %d", 50, 20, 38, 18},
    {"2) Grass: %d", 150, 20, 138, 18},
    {"3) Stone: %d", 50, 40, 38, 38},
    {"4) Gold: %d", 150, 40, 138, 38},
};

const HudButtonPlace HUD_BUTTONS[2] = {
    {HUD_LOAD_BUTTON, "Load", 40},
    {HUD_SAVE_BUTTON, "Save", 100},
};

const HudLabel& hudLabelForSelection(int selectedBlock) {
    if (selectedBlock >= 1 && selectedBlock <= 3) {
        return HUD_LABELS[selectedBlock - 1];
    }
    return HUD_LABELS[3];
}

HudButton hudButtonAt(int mx, int my, int width) {
    if (my < 0 || my >= HUD_BUTTON_HEIGHT) {
        return HUD_NO_BUTTON;
    }
    for (const HudButtonPlace& place : HUD_BUTTONS) {
        const int left = width - place.leftFromRight;
        if (mx >= left && mx < left + HUD_BUTTON_WIDTH) {
            return place.button;
        }
    }
    return HUD_NO_BUTTON;
}
