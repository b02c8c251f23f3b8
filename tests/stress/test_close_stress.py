"""The window closed at random moments, twenty times: in the start menu, during start-up, right
after the first frame, during a save and during a load. The game never hangs and always ends
as the menu's close (status 1) or the game's close (its shutdown lines in order, status 0) does.
A Save clicked before the close is written; a Load with no Save after it is either in place
before the close or not done. Then presses at the very corners of the display, with every mouse
button, change nothing."""

import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import stress  # noqa: E402
from stress import harness  # noqa: E402

MOMENTS = ["in the menu", "during start-up", "after the first frame", "during a save",
           "during a load"]
RUNS = int(os.environ.get("TELLURN_STRESS_RUNS", "20"))


class CloseStress(harness.GameTestCase):
    def test_closing_at_random_moments_never_hangs_and_ends_in_order(self):
        rng = stress.generator()
        survived = 0
        for run in range(RUNS):
            moment = MOMENTS[run % len(MOMENTS)]
            delay = rng.uniform(0.0, 0.4)
            with self.subTest(run=run, moment=moment, delay=round(delay, 3)):
                self.close_once(moment, delay)
                survived += 1
        print("stress: %d of %d closes ended in order" % (survived, RUNS), flush=True)

    def close_once(self, moment, delay):
        game = self.start_game(fault=stress.FAULT)
        menu = game.wait_for_menu()
        if moment == "in the menu":
            time.sleep(delay)
            game.close(menu)
            self.assertEqual(1, game.wait_exit(), "the menu's close ends with status 1")
            self.assertEqual(stress.MENU_CLOSE_LINES, game.lines()[-3:])
            return
        game.click_menu(menu, "New World")
        display = game.wait_for_game_display()
        expected = [[]]
        if moment != "during start-up":
            game.wait_for_first_frame(display)
        if moment == "during a load":
            game.click(display, *stress.hud_button(display, "Save"))
            game.wait_for_line("Saved the world!")
            # No Save after it: the Load is in place before the close, or the close drops it.
            expected = [["Saved the world!", "Loaded the world!"],
                        ["Saved the world!", harness.LOAD_NOT_DONE]]
            game.click(display, *stress.hud_button(display, "Load"))
        elif moment == "during a save":
            expected = [["Saved the world!"]]
            game.click(display, *stress.hud_button(display, "Save"))
        time.sleep(delay)
        game.close(display)
        self.assertEqual(0, game.wait_exit(), "the game's close ends with status 0")
        lines = game.lines()
        self.assert_closed_in_order(lines)
        self.assertIn("Threads, report in team!", lines)
        self.assertIn(harness.click_answers(lines), expected,
                      "each click before the close is answered once, as the close promises")
        if "Loaded the world!" in lines:
            self.assertLess(lines.index("Loaded the world!"), lines.index("Stopping threads"),
                            "a Load with no Save after it is not put in place at the close")

    def test_presses_at_the_corners_of_the_display_change_nothing(self):
        for size in ("Fullscreen", "1280x800"):
            with self.subTest(size=size):
                game = self.start_game(fault=stress.FAULT)
                menu = game.wait_for_menu()
                game.click_menu(menu, size)
                game.click_menu(menu, "New World")
                display = game.wait_for_game_display()
                game.wait_for_first_frame(display)
                w, h = display.size()
                for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1), (w // 2, h - 1),
                             (w - 1, h // 2)):
                    for button in (1, 2, 3):
                        game.click(display, x, y, button)
                # The Load answered before the close, which would drop it otherwise; a press that
                # wrongly worked a button would be answered too, at the latest by the close.
                game.wait_for_line("No save found")
                self.assertTrue(game.running(), "the game still runs after the corner presses")
                game.close(display)
                self.assertEqual(0, game.wait_exit())
                lines = game.lines()
                self.assert_closed_in_order(lines)
                self.assertEqual(["No save found"], harness.click_answers(lines),
                                 "only the top-right corner's left press works Load")


if __name__ == "__main__":
    harness.main()
