#include "presentation/atlas.h"

#include <allegro5/allegro.h>

#include "actors/physics.h"
#include "presentation/hud_layout.h"

namespace {

constexpr int SHEET_WIDTH = 128;
constexpr int SHEET_HEIGHT = 32;
constexpr int PLAYER_LEFT = BLOCK_SWATCH_COUNT * BLOCK_SIZE;
constexpr int ENEMY_LEFT = PLAYER_LEFT + ACTOR_WIDTH;
constexpr int BUTTON_LEFT = ENEMY_LEFT + ACTOR_WIDTH;
static_assert(BUTTON_LEFT + HUD_BUTTON_WIDTH <= SHEET_WIDTH, "atlas sheet too narrow");
static_assert(HUD_BUTTON_HEIGHT <= SHEET_HEIGHT, "atlas sheet too low");

ALLEGRO_BITMAP* paintRegion(ALLEGRO_BITMAP* sheet, int left, int width, int height,
                            ALLEGRO_COLOR colour) {
    ALLEGRO_BITMAP* region = al_create_sub_bitmap(sheet, left, 0, width, height);
    if (region != nullptr) {
        al_set_target_bitmap(region);
        al_clear_to_color(colour);
    }
    return region;
}

ALLEGRO_COLOR rgb(const unsigned char (&c)[3]) {
    return al_map_rgb(c[0], c[1], c[2]);
}

} // namespace

bool createAtlas(Atlas& atlas) {
    al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
    atlas.sheet = al_create_bitmap(SHEET_WIDTH, SHEET_HEIGHT);
    al_set_new_bitmap_flags(0);
    if (atlas.sheet == nullptr) {
        return false;
    }
    al_set_target_bitmap(atlas.sheet);
    al_clear_to_color(al_map_rgb(0, 0, 0));
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        const int swatch = blockTypeSwatch(id);
        if (atlas.blockSwatches[swatch] != nullptr) {
            continue; // shared with an earlier type
        }
        const BlockColour c = blockTypeColour(id);
        atlas.blockSwatches[swatch] = paintRegion(atlas.sheet, swatch * BLOCK_SIZE, BLOCK_SIZE,
                                                  BLOCK_SIZE, al_map_rgb(c.r, c.g, c.b));
    }
    atlas.player =
        paintRegion(atlas.sheet, PLAYER_LEFT, ACTOR_WIDTH, ACTOR_HEIGHT, rgb(PLAYER_RGB));
    atlas.enemy = paintRegion(atlas.sheet, ENEMY_LEFT, ACTOR_WIDTH, ACTOR_HEIGHT, rgb(ENEMY_RGB));
    atlas.button = paintRegion(atlas.sheet, BUTTON_LEFT, HUD_BUTTON_WIDTH, HUD_BUTTON_HEIGHT,
                               rgb(BUTTON_GREY));
    for (ALLEGRO_BITMAP* swatch : atlas.blockSwatches) {
        if (swatch == nullptr) {
            return false;
        }
    }
    return atlas.player != nullptr && atlas.enemy != nullptr && atlas.button != nullptr;
}
