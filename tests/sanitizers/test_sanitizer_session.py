"""A played session of the real game, meant for the sanitizer builds: a new world, mining and
placing beside the player, walking, a jump, Save, Load and the close. The game must end as an
orderly close does, and the sanitizer must have written no report into the directory named by
TELLURN_SANITIZER_LOG_DIR (the build's TSAN_OPTIONS / ASAN_OPTIONS log_path points there)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402
from harness import BLOCK_COLOURS, PLAYER_TEAL  # noqa: E402

# At 1440 x 900 a player standing on the grass (row 121) at x = 25 is drawn at (25, 450); the
# grass cell (4, 121), within reach, is drawn at (40, 470).
PLAYER_PIXEL = (30, 460)
CELL_PIXEL = (45, 475)
AIR, DIRT, GRASS, UNDERGROUND = (BLOCK_COLOURS[i] for i in (1, 2, 3, 6))
WIDTH = 1440


class PlayedSession(harness.GameTestCase):
    def test_a_played_session_ends_in_order_with_no_sanitizer_report(self):
        game = self.start_game()
        menu = game.wait_for_menu()
        game.click_menu(menu, "New World")
        display = game.wait_for_game_display()
        game.wait_for_first_frame(display)
        self.wait_until_landed(game, display)
        game.focus(display)

        game.click(display, *CELL_PIXEL)
        self.last_shot = game.wait_for_picture(
            "the mined cell", display, lambda s: s.pixel(*CELL_PIXEL) == UNDERGROUND, 15)
        game.click(display, *CELL_PIXEL, button=3)
        self.last_shot = game.wait_for_picture(
            "the placed Dirt", display, lambda s: s.pixel(*CELL_PIXEL) == DIRT, 15)

        game.hold(display, "Right", 0.6)
        game.press(display, "Up")
        game.hold(display, "Left", 0.3)
        game.click(display, WIDTH - 80, 10)
        game.wait_for_line("Saved the world!", 30)
        game.click(display, WIDTH - 20, 10)
        game.wait_for_line("Loaded the world!", 30)
        game.hold(display, "Right", 0.3)

        game.close(display)
        self.assertEqual(0, game.wait_exit(60))
        lines = game.lines()
        self.assert_closed_in_order(lines)
        self.assert_no_sanitizer_report()

    def wait_until_landed(self, game, display):
        """Waits until the player stands on the grass: the view follows the player, so the
        ground rises on screen while it falls, and stands still once it has landed."""
        previous = []

        def landed(shot):
            x, y = CELL_PIXEL
            top = next((row for row in range(y - 12, y + 3) if shot.pixel(x, row) == GRASS), None)
            still = bool(previous) and previous[-1] == top
            previous.append(top)
            return (shot.pixel(*PLAYER_PIXEL) == PLAYER_TEAL and top is not None
                    and shot.pixel(x, top - 1) == AIR and still)

        game.wait_for_picture("the player standing on the grass", display, landed, 30)


if __name__ == "__main__":
    harness.main()
