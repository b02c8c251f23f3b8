// Where the heads-up display puts its labels, swatch and buttons. The HUD draws from this
// layout and the mouse handler hit-tests the same buttons.
#pragma once

#include "world/block_kinds.h"

/// Size of one HUD button.
constexpr int HUD_BUTTON_WIDTH = 40;
/// Height of one HUD button.
constexpr int HUD_BUTTON_HEIGHT = 25;

/// The HUD's two buttons.
enum HudButton { HUD_NO_BUTTON, HUD_LOAD_BUTTON, HUD_SAVE_BUTTON };

/// Where one kind's inventory label goes, and its swatch when the kind is selected.
struct HudLabel {
    /// Text position (top-left of the line).
    int textX, textY;
    /// Swatch position: 12 pixels left of and 2 above the text.
    int swatchX, swatchY;
};

/// The labels of the four kinds, in the order of BLOCK_KINDS.
extern const HudLabel HUD_LABELS[BLOCK_KIND_COUNT];

/// One HUD button, placed from the right edge of the display.
struct HudButtonPlace {
    HudButton button;
    const char* caption;
    /// Left edge is the display width minus this.
    int leftFromRight;
};

/// The two buttons in drawing order: Load at the far right, Save left of it.
extern const HudButtonPlace HUD_BUTTONS[2];

/// Index of the kind whose label shows a selection's swatch; anything outside 1 to 4 shows
/// Gold's.
int hudLabelForSelection(int selectedBlock);

/// The button drawn under the pixel (mx, my) on a display `width` pixels wide.
HudButton hudButtonAt(int mx, int my, int width);
