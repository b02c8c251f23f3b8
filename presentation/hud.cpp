#include "presentation/hud.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>

#include "presentation/hud_layout.h"

namespace {

const int32_t* countForLabel(const Player& player, int label) {
    const int32_t* counts[4] = {&player.dirtCount, &player.grassCount, &player.stoneCount,
                                &player.goldCount};
    return counts[label];
}

} // namespace

void drawHud(const Player& player, const BlockTypes& blockTypes, ALLEGRO_FONT* font,
             ALLEGRO_BITMAP* buttonBitmap) {
    const ALLEGRO_COLOR black = al_map_rgb(0, 0, 0);
    char text[32];
    for (int label = 0; label < 4; ++label) {
        const HudLabel& place = HUD_LABELS[label];
        std::snprintf(text, sizeof text, place.format, *countForLabel(player, label));
        al_draw_text(font, black, place.textX, place.textY, ALLEGRO_ALIGN_LEFT, text);
    }
    const HudLabel& selected = hudLabelForSelection(player.selectedBlock);
    const int selectedId = static_cast<int>(&selected - HUD_LABELS) + BLOCK_DIRT;
    al_draw_bitmap(blockTemplate(blockTypes, selectedId).bitmap, selected.swatchX, selected.swatchY,
                   0);
    for (const HudButtonPlace& button : HUD_BUTTONS) {
        const int left = player.screenWidth - button.leftFromRight;
        const int captionX = left + HUD_BUTTON_WIDTH / 2;
        al_draw_bitmap(buttonBitmap, left, 0, 0);
        al_draw_text(font, black, captionX, 5, ALLEGRO_ALIGN_CENTRE, button.caption);
    }
}
