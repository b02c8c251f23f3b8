"""The start menu's choices as the player sees them: the size of the game display each choice
opens, full screen as a frameless window the size of the monitor, and the whole of the Load
World button ending the menu."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402



def decorations(motif_hints):
    """The decorations field of a window's Motif hints (flags, functions, decorations, ...),
    or None when the hints do not set it. Allegro writes them as longs with format 32, so on
    a 64-bit machine xprop shows five more words of whatever follows them."""
    if motif_hints is None:
        return None
    words = [int(word, 0) for word in motif_hints.split(",")]
    return words[2] if words[0] & 2 else None


class DisplaySizes(harness.GameTestCase):
    def play(self, clicks, size):
        """Clicks menu buttons, given as (caption, mouse button, column inside the button or
        None for the middle), waits for the game display, checks its size and its first
        frame, closes it and checks the orderly end. Returns the game and its display."""
        game = self.start_game()
        menu = game.wait_for_menu()
        for caption, button, column in clicks:
            game.click_menu(menu, caption, button, column)
        display = game.wait_for_game_display()
        self.assertEqual(size, display.size(), "display opened after %s" % (clicks,))
        game.wait_for_line("Threads, report in team!")
        shot = self.last_shot = game.wait_for_first_frame(display)
        self.assertEqual(harness.BLOCK_COLOURS[1], shot.pixel(size[0] // 2, 100), "sky at the top")
        frame = game.window_property(display, "_MOTIF_WM_HINTS")
        game.close(display)
        self.assertEqual(0, game.wait_exit())
        self.assertEqual("Quitting, Thanks for playing!", game.lines()[-1])
        return game, display, frame

    def test_each_size_button_then_new_world(self):
        """A right click counts as a click; the last size clicked wins, also over Fullscreen."""
        choices = [
            ([("1280x800", 3, None)], (1280, 800)),
            ([("1680x1050", 1, None), ("1440x900", 1, None)], (1440, 900)),
            ([("Fullscreen", 1, None), ("1680x1050", 1, None)], (1680, 1050)),
        ]
        for clicks, size in choices:
            with self.subTest(clicks=clicks):
                _, display, frame = self.play(clicks + [("New World", 1, None)], size)
                self.assertNotEqual(0, decorations(frame), "a windowed display keeps its frame")

    def test_fullscreen_is_a_frameless_window_as_large_as_the_monitor(self):
        _, display, frame = self.play(
            [("1680x1050", 1, None), ("Fullscreen", 1, None), ("New World", 1, None)],
            (harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT))
        self.assertEqual((0, 0), (display.x, display.y), "placed on the monitor's corner")
        self.assertEqual(0, decorations(frame), "frameless: no decorations")

    def test_load_world_reacts_on_its_whole_button(self):
        """A click on the left column of a size button does nothing (the hit test is strict),
        so the display keeps the default size; a click five columns from the right end of
        Load World ends the menu and asks for the saved world."""
        game, _, _ = self.play([("1280x800", 1, 0), ("Load World", 1, 75)], (1440, 900))
        lines = game.lines()
        self.assertIn("Loading a saved world", lines)
        self.assertEqual(lines.index("Loading Blocks") + 1, lines.index("Loading a saved world"),
                         "the menu chose to load, not a new world")


if __name__ == "__main__":
    harness.main()
