#include "presentation/hud_layout.h"

const HudLabel HUD_LABELS[BLOCK_KIND_COUNT] = {
    {50, 20, 38, 18},
    {150, 20, 138, 18},
    {50, 40, 38, 38},
    {150, 40, 138, 38},
};

const HudButtonPlace HUD_BUTTONS[2] = {
    {HUD_LOAD_BUTTON, "Load", 40},
    {HUD_SAVE_BUTTON, "Save", 100},
};

int hudLabelForSelection(int selectedBlock) {
    const BlockKind* kind = blockKindForSelection(selectedBlock);
    return kind != nullptr ? static_cast<int>(kind - BLOCK_KINDS) : BLOCK_KIND_COUNT - 1;
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
