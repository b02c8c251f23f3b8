#include "presentation/hud.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>

#include "presentation/hud_layout.h"

void drawHud(const Player& player, const BlockTypes& blockTypes, ALLEGRO_FONT* font,
             ALLEGRO_BITMAP* buttonBitmap) {
    const ALLEGRO_COLOR black = al_map_rgb(0, 0, 0);
    char text[32];
    for (int label = 0; label < BLOCK_KIND_COUNT; ++label) {
        const BlockKind& kind = BLOCK_KINDS[label];
        const HudLabel& place = HUD_LABELS[label];
        std::snprintf(text, sizeof text, "%d) %s: %d", kind.selection, kind.name,
                      player.*kind.count);
        al_draw_text(font, black, place.textX, place.textY, ALLEGRO_ALIGN_LEFT, text);
    }
    const int selected = hudLabelForSelection(player.selectedBlock);
    al_draw_bitmap(blockTemplate(blockTypes, BLOCK_KINDS[selected].id).bitmap,
                   HUD_LABELS[selected].swatchX, HUD_LABELS[selected].swatchY, 0);
    for (const HudButtonPlace& button : HUD_BUTTONS) {
        const int left = player.screenWidth - button.leftFromRight;
        const int captionX = left + HUD_BUTTON_WIDTH / 2;
        al_draw_bitmap(buttonBitmap, left, 0, 0);
        al_draw_text(font, black, captionX, 5, ALLEGRO_ALIGN_CENTRE, button.caption);
    }
}
