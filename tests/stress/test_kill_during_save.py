"""A save interrupted by kill -9 at random moments, twenty times. Each run saves twice (the
second save, the old one, also copies the first to the backup, as the killed save does, and
times it), selects Stone so that the next save differs, clicks Save again and kills the game at
a random moment of that save or just after it. The save file is then always either the old
complete save, byte for byte, or a new complete one that the game's checker accepts with Stone
selected; the backup is a whole earlier save; what Load finds in the directory loads in the
real game."""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import stress  # noqa: E402
from stress import harness  # noqa: E402

RUNS = int(os.environ.get("TELLURN_STRESS_RUNS", "20"))
STONE = 3
STONE_SWATCH = (38, 38, 48, 48)  # the HUD's Stone swatch, filled with Stone once it is chosen


def check_save(directory):
    """What Load finds in a directory, by the game's own checker: ("save" or "backup", selected
    block), or (None, why)."""
    done = subprocess.run([os.environ["TELLURN_SAVE_CHECK"], str(directory)],
                          capture_output=True, text=True, timeout=60)
    said = done.stdout.strip()
    if done.returncode != 0:
        return None, said
    return said.split(" ")[0], int(said.rsplit(" ", 1)[1])


def click_without_waiting(game, window, place):
    """Starts a left click on the window and returns at once, so that the kill can fall at any
    moment from the click to the end of the save it starts."""
    return subprocess.Popen(["xdotool", "mousemove", "--window", window.id, str(place[0]),
                             str(place[1]), "click", "1"], env=game.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class KillDuringSave(harness.GameTestCase):
    def test_a_save_killed_at_any_moment_leaves_the_old_or_the_new_save(self):
        rng = stress.generator()
        outcomes = {"old": 0, "new": 0}
        last_workdir = None
        for run in range(RUNS):
            with self.subTest(run=run):
                game = self.start_game(fault=stress.FAULT)
                try:
                    outcome = self.kill_once(game, rng)
                finally:
                    game.kill()
                outcomes[outcome] += 1
                last_workdir = game.workdir
        print("stress: %d saves killed: %d left the old save, %d the new one"
              % (RUNS, outcomes["old"], outcomes["new"]), flush=True)
        self.assertIsNotNone(last_workdir, "no run got as far as the kill")
        self.check_loads(last_workdir)

    def kill_once(self, game, rng):
        menu = game.wait_for_menu()
        game.click_menu(menu, "New World")
        display = game.wait_for_game_display()
        game.wait_for_first_frame(display)
        save = game.workdir / stress.SAVE_NAME

        click_without_waiting(game, display, stress.hud_button(display, "Save")).wait(10)
        game.wait_for_line("Saved the world!")
        first = save.read_bytes()
        clicked = time.monotonic()
        click_without_waiting(game, display, stress.hud_button(display, "Save")).wait(10)
        harness.wait_until("the second save", lambda: len(game.line_times("Saved the world!")) > 1,
                           harness.START_TIMEOUT)
        took = game.line_times("Saved the world!")[1] - clicked
        old = save.read_bytes()
        self.assertEqual(stress.SAVE_SIZE, len(old))
        self.assertEqual(("save", 1), check_save(game.workdir),
                         "the first save loads, Dirt selected")

        game.focus(display)
        game.press(display, "3")
        game.wait_for_picture("Stone chosen", display, lambda shot: shot.is_filled(
            harness.BLOCK_COLOURS[4], *STONE_SWATCH), 5)
        clicking = click_without_waiting(game, display, stress.hud_button(display, "Save"))
        time.sleep(rng.uniform(0.0, 1.25 * took))  # a quarter of the kills after the save
        game.kill()
        clicking.wait(10)

        backup = save.with_name(stress.SAVE_NAME + ".bak")
        self.assertIn(backup.read_bytes(), (first, old), "the backup is a whole earlier save")
        left = save.read_bytes()
        if left == old:
            self.assertEqual(("save", 1), check_save(game.workdir))
            return "old"
        self.assertEqual(stress.SAVE_SIZE, len(left), "a save file cut short")
        self.assertEqual(("save", STONE), check_save(game.workdir),
                         "neither the old nor a new save")
        return "new"

    def check_loads(self, workdir):
        """The real game loads what the last kill left."""
        game = self.start_game(workdir=workdir, fault=stress.FAULT)
        menu = game.wait_for_menu()
        game.click_menu(menu, "Load World")
        display = game.wait_for_game_display()
        game.wait_for_first_frame(display)
        game.wait_for_line("Loaded the world!")
        self.assertNotIn("Error Loading, making a new world instead.", game.lines())
        game.close(display)
        self.assertEqual(0, game.wait_exit())


if __name__ == "__main__":
    harness.main()
