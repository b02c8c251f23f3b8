"""A first session at the default size, in one game run: the start menu's picture, the
progress lines, the new world drawn cell by cell, the player, the HUD, the keys, and the
ordered shutdown."""

import math
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (BLACK, BLOCK_COLOURS, BUTTON_GREY, CHIPMUNK_LINES, MENU_BUTTONS,  # noqa: E402
                     MENU_BUTTON_SIZE, PLAYER_TEAL, WHITE)

# 2026-01-01 00:00:00 UTC: the game's clock starts here, so its world's seed is this plus the
# few seconds until New World is clicked.
FAKE_START = 1767225600

AIR, DIRT, GRASS, STONE = (BLOCK_COLOURS[i] for i in (1, 2, 3, 4))
GRASS_ROW_TOP = 1210  # world y of row 121, the first row of the grass band (always grass)
SKY_PROBE_X = 700  # a screen column far from the HUD and the player

# Text boxes of the two menu headings (white, centred on x = 320).
MENU_HEADINGS = [(200, 5, 440, 35), (200, 115, 440, 145)]

# The HUD at 1440 x 900: label text boxes, the swatch places and the two buttons.
WIDTH, HEIGHT = 1440, 900
HUD_LABEL_BOXES = [(50, 20, 148, 37), (150, 20, 260, 37), (50, 40, 148, 57), (150, 40, 260, 57)]
SWATCHES = {1: (38, 18), 2: (138, 18), 3: (38, 38), 4: (138, 38)}
SAVE_BUTTON = (WIDTH - 100, 0, WIDTH - 60, 25)
LOAD_BUTTON = (WIDTH - 40, 0, WIDTH, 25)
HUD_SKIP = [(38, 18, 261, 57), (WIDTH - 100, 0, WIDTH, 25)]
PLAYER_BOX = (25, 450, 35, 470)  # on the grass at x = 25, y = 1190, in the middle of the height

START_LINES = CHIPMUNK_LINES + [
    "Starting Tellurn 0.69! Please note that this is mainly a debug window.",
    "Initializing System",
    "Loading Font",
]
# Then one notice line about the Windows font, in the game's own words.
SETUP_LINES = [
    "Initializing Event Sources",
    "Initializing Player",
    "Creating render thread",
    "Creating enemy threads",
    "Loading Blocks",
    "Generating a New World",
    "Threads, report in team!",
]
REPORT_LINES = set(harness.REPORT_LINES)


def is_dark(colour):
    """The solid core of black text, whatever it is drawn over."""
    return max(colour) < 80


def is_grey_level(colour):
    return colour[0] == colour[1] == colour[2]


def grass_top(shot):
    """Screen y of the first pixel below the sky in the probe column, or None before the
    first frame (the window is still black) or while nothing but sky is in view."""
    if shot.pixel(SKY_PROBE_X, 100) != AIR:
        return None
    for y in range(100, shot.height):
        if shot.pixel(SKY_PROBE_X, y) != AIR:
            return y
    return None


def teal_left(shot, y=460):
    """Left edge of the player's box in a screen row, or None."""
    return next((x for x in range(shot.width) if shot.pixel(x, y) == PLAYER_TEAL), None)


def swatch_at(shot, place):
    """The colour filling the 10 x 10 swatch place, or None when it is not one colour."""
    x, y = place
    colour = shot.pixel(x, y)
    return colour if shot.is_filled(colour, x, y, x + 10, y + 10) else None


class FirstSession(harness.GameTestCase):
    def test_first_session(self):
        game = self.start_game(fake_start=FAKE_START)
        menu = game.wait_for_menu()
        menu_shot = self.shot(game, menu)
        with self.subTest("menu picture"):
            self.check_menu_picture(menu_shot)
        with self.subTest("menu captions"):
            self.check_menu_captions(menu_shot)

        game.click_menu(menu, "New World")
        display = game.wait_for_game_display()
        self.assertEqual((WIDTH, HEIGHT), display.size(), "no size clicked: 1440 x 900")
        self.assertIsNone(game.window_property(display, "_MOTIF_WM_HINTS"),
                          "a windowed game display keeps its frame")
        harness.wait_until("the workers' reports",
                           lambda: REPORT_LINES <= set(game.lines()), harness.START_TIMEOUT)

        landed = self.wait_until_landed(game, display)
        with self.subTest("world picture"):
            self.check_world(game, landed)
        with self.subTest("player"):
            self.check_player(landed)
        with self.subTest("hud"):
            self.check_hud(landed)
        with self.subTest("keys"):
            self.check_keys(game, display)

        game.close(display)
        status = game.wait_exit()
        self.assertEqual(0, status)
        self.check_console(game.lines())
        farewell = game.line_time("Quitting, Thanks for playing!")
        delay = game.exited_at - farewell
        self.assertGreaterEqual(delay, 0.9, "the console stays one second after the farewell")
        self.assertLess(delay, 1.0 + harness.EXIT_MARGIN * harness.TOOLS.time_scale,
                        "the game ends soon after its farewell")

    # --- the start menu --------------------------------------------------------------------

    def check_menu_picture(self, shot):
        self.assertEqual(harness.MENU_SIZE, (shot.width, shot.height))
        buttons = [(x, y, x + MENU_BUTTON_SIZE[0], y + MENU_BUTTON_SIZE[1])
                   for x, y in MENU_BUTTONS.values()]
        stray = [(x, y, c) for x, y, c in shot.pixels(0, 0, shot.width, shot.height)
                 if c != BLACK and not harness.in_any(x, y, buttons + MENU_HEADINGS)]
        self.assertEqual([], stray[:10], "the background is black outside buttons and headings")
        for box in MENU_HEADINGS:
            colours = {c for _, _, c in shot.pixels(*box)}
            self.assertIn(WHITE, colours, "white heading text in %s" % (box,))
            self.assertTrue(all(map(is_grey_level, colours)), "headings are white on black")
            left, top, right, _ = shot.bounding_box(lambda c: c != BLACK, *box)
            self.assertAlmostEqual(320, (left + right) / 2, delta=1.5, msg="heading centred")
            self.assertTrue(box[1] + 5 <= top <= box[1] + 9, "heading top at y %d" % top)
        for caption, (x0, y0) in MENU_BUTTONS.items():
            x1, y1 = x0 + MENU_BUTTON_SIZE[0], y0 + MENU_BUTTON_SIZE[1]
            for edge in [(x0, y0, x1, y0 + 1), (x0, y1 - 1, x1, y1), (x0, y0, x0 + 1, y1),
                         (x1 - 1, y0, x1, y1)]:
                self.assertTrue(shot.is_filled(BUTTON_GREY, *edge), "%s button edge" % caption)
            inside = {c for _, _, c in shot.pixels(x0, y0, x1, y1)}
            self.assertTrue(all(is_grey_level(c) and c <= BUTTON_GREY for c in inside),
                            "%s: black text on grey" % caption)
            self.assertGreater(shot.count(BLACK, x0, y0, x1, y1), 0, "%s: black text" % caption)
            dark = sum(1 for _, _, c in shot.pixels(x0, y0, x1, y1) if is_dark(c))
            self.assertGreater(dark, 20, "%s: a caption, not a speck" % caption)
            left, top, right, bottom = shot.bounding_box(lambda c: c != BUTTON_GREY,
                                                         x0, y0, x1, y1)
            self.assertAlmostEqual(x0 + 40, (left + right) / 2, delta=1.5,
                                   msg="%s caption centred" % caption)
            self.assertTrue(y0 + 13 <= top and bottom < y0 + 30, "%s caption line" % caption)

    def check_menu_captions(self, shot):
        """Reads the digits of the size captions by comparing their glyphs with each other:
        "1280x800" (not "1280x768"), "1440x900" and "1680x1050"."""

        def caption_glyphs(caption):
            x0, y0 = MENU_BUTTONS[caption]
            return harness.glyphs(shot, is_dark, x0, y0, x0 + MENU_BUTTON_SIZE[0],
                                  y0 + MENU_BUTTON_SIZE[1])

        small, middle, large = (caption_glyphs(c) for c in ("1280x800", "1440x900", "1680x1050"))
        self.assertEqual([8, 8, 9], [len(small), len(middle), len(large)], "glyph counts")
        one, x, zero, eight = middle[0], middle[4], middle[3], large[2]
        self.assertEqual([one, x, zero, zero], [middle[i] for i in (0, 4, 6, 7)])
        self.assertEqual([one, eight, zero, x, eight, zero, zero],
                         [small[i] for i in (0, 2, 3, 4, 5, 6, 7)], "1280x800")
        self.assertEqual([one, eight, zero, x, one, zero, zero],
                         [large[i] for i in (0, 2, 3, 4, 5, 6, 8)], "1680x1050")
        self.assertEqual(len(set([one, x, zero, eight])), 4, "four different glyphs")

    # --- the world and the player --------------------------------------------------------

    def wait_until_landed(self, game, display):
        """Waits until the player has fallen onto the grass and the picture stands still."""
        previous = []

        def settled(shot):
            top = grass_top(shot)
            still = previous and previous[-1] == top
            previous.append(top)
            return top is not None and top <= GRASS_ROW_TOP - 740 and still

        return game.wait_for_picture("the player standing on the grass", display, settled, 15)

    def check_world(self, game, shot):
        self.last_shot = shot
        top = grass_top(shot)
        # The player stands at y = 1190 up to the physics' fraction of a pixel; the view
        # scrolls in whole pixels, so cell (c, r) is at screen (10c, 10r - 740).
        self.assertEqual(GRASS_ROW_TOP - 740, top, "grass row on screen")
        offset_y = -740
        generated = game.line_time("Generating a New World") - game.started_at
        candidates = [FAKE_START + k for k in range(math.ceil(generated) + 2)]
        skip = HUD_SKIP + [PLAYER_BOX]
        # Fails unless every pixel outside the HUD and the player shows its cell's colour.
        harness.find_world_seed(shot, candidates, 0, offset_y, skip)

    def check_player(self, shot):
        self.assertTrue(shot.is_filled(PLAYER_TEAL, *PLAYER_BOX), "the player's box at (25, 450)")
        x0, y0, x1, y1 = PLAYER_BOX
        self.assertTrue(shot.is_filled(AIR, x0 - 1, y0, x0, y1 - 1), "sky left of the player")
        self.assertTrue(shot.is_filled(AIR, x1, y0, x1 + 1, y1 - 1), "sky right of the player")
        self.assertTrue(shot.is_filled(AIR, x0, y0 - 1, x1, y0), "sky above the player")
        self.assertTrue(shot.is_filled(GRASS, x0, y1, x1, y1 + 9), "grass under the feet")

    # --- the heads-up display --------------------------------------------------------------

    def check_hud(self, shot):
        labels = [harness.glyphs(shot, is_dark, *box) for box in HUD_LABEL_BOXES]
        for box, label in zip(HUD_LABEL_BOXES, labels):
            self.assertGreaterEqual(len(label), 6, "label text at %s" % (box,))
            left, top, _, _ = shot.bounding_box(is_dark, *box)
            self.assertTrue(box[0] <= left <= box[0] + 2 and box[1] <= top <= box[1] + 5,
                            "label at (%d, %d) starts at (%d, %d)" % (box[0], box[1], left, top))
        # "1) Dirt: 1", "2) Grass: 0", "3) Stone: 0", "4) Gold: 0": the first label ends with
        # the glyph it starts with, the other three end with one another's last glyph.
        one = labels[0][0]
        self.assertEqual(one, labels[0][-1], "one Dirt block")
        zero = labels[1][-1]
        self.assertNotEqual(one, zero)
        self.assertEqual([zero, zero], [labels[2][-1], labels[3][-1]], "no Stone, no Gold")
        self.assertEqual(DIRT, swatch_at(shot, SWATCHES[1]), "Dirt selected")
        for selection in (2, 3, 4):
            self.assertEqual(AIR, swatch_at(shot, SWATCHES[selection]))
        for caption, (x0, y0, x1, y1) in (("Save", SAVE_BUTTON), ("Load", LOAD_BUTTON)):
            self.assertTrue(shot.is_filled(BUTTON_GREY, x0, y0, x1, y0 + 5), caption)
            self.assertTrue(shot.is_filled(BUTTON_GREY, x0, y1 - 3, x1, y1), caption)
            self.assertTrue(shot.is_filled(AIR, x0, y1, x1, y1 + 1), "below %s" % caption)
            left, top, right, _ = shot.bounding_box(is_dark, x0, y0, x1, y1)
            self.assertAlmostEqual((x0 + x1) / 2, (left + right) / 2, delta=1.5,
                                   msg="%s caption centred" % caption)
        self.assertTrue(shot.is_filled(AIR, WIDTH - 60, 0, WIDTH - 40, 25), "gap between buttons")

    def check_keys(self, game, display):
        game.focus(display)
        game.press(display, "3")
        game.wait_for_picture("the Stone swatch", display,
                              lambda s: swatch_at(s, SWATCHES[3]) == STONE
                              and swatch_at(s, SWATCHES[1]) == AIR, 5)
        game.press(display, "2")
        game.wait_for_picture("the Grass swatch", display,
                              lambda s: swatch_at(s, SWATCHES[2]) == GRASS
                              and swatch_at(s, SWATCHES[3]) == AIR, 5)
        # Right held until the player has walked, however many ticks the machine gives it.
        game.key_down(display, "Right")
        try:
            moved = game.wait_for_picture("the player walking right", display,
                                          lambda s: (teal_left(s) or 0) >= PLAYER_BOX[0] + 10, 5)
        finally:
            game.key_up(display, "Right")
        self.last_shot = moved
        self.assertEqual(GRASS_ROW_TOP - 740, grass_top(moved),
                         "walked along the grass, neither fell nor rose")
        # Right held while the window loses the keyboard: its key-up never comes, yet the
        # player comes to a stop.
        game.key_down(display, "Right")
        game.blur()
        places = []

        def still(shot):
            places.append(teal_left(shot))
            return len(places) >= 2 and places[-1] == places[-2]

        self.last_shot = game.wait_for_picture("the player standing still", display, still, 5)
        game.key_up(display, "Right")

    # --- the console -----------------------------------------------------------------------

    def check_console(self, lines):
        start = len(START_LINES)
        self.assertEqual(START_LINES, lines[:start])
        notice = lines[start]
        self.assertTrue(notice.strip(), "one notice line about the Windows font")
        setup_end = start + 1 + len(SETUP_LINES)
        self.assertEqual(SETUP_LINES, lines[start + 1:setup_end])
        reports = lines[setup_end:setup_end + len(REPORT_LINES)]
        self.assertEqual(REPORT_LINES, set(reports), "every worker reports in once")
        self.assertEqual(len(REPORT_LINES), len(reports))
        self.assertEqual(harness.SHUTDOWN_LINES, lines[setup_end + len(REPORT_LINES):])


if __name__ == "__main__":
    harness.main()
