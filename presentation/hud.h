// The heads-up display: inventory counts, the selected kind, and the Save and Load buttons.
#pragma once

#include "world/block_types.h"
#include "world/player_record.h"

struct ALLEGRO_FONT;
struct ALLEGRO_BITMAP;

/// Draws the HUD onto the current target from the player's counts, selection and width.
void drawHud(const Player& player, const BlockTypes& blockTypes, ALLEGRO_FONT* font,
             ALLEGRO_BITMAP* buttonBitmap);
