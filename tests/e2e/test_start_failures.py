"""Ways the game ends when it cannot run: the start menu's window closed, no font to draw with,
a render thread that can make no bitmap, and another copy of the game already playing in the
folder, which saves on. Each ends with status 1 and says why on the console. A lock file that is
not a file (a FIFO, a link) is not used: the game says so and plays on."""

import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import CHIPMUNK_LINES  # noqa: E402

BANNER = "Starting Tellurn 0.69! Please note that this is mainly a debug window."
NO_FONT = "Unable to find font, you cocked something up... Quitting"
NO_CHUNKS = "Failed to create the renderer's chunk bitmaps!"
SECOND_COPY = "Another copy of the game is using the save in this folder; close it first"
NOT_LOCKED = ("Cannot lock the save folder: %s; a second copy of the game would not be"
              " stopped")


class StartFailures(harness.GameTestCase):
    def test_closing_the_menu_quits_with_status_1(self):
        game = self.start_game()
        menu = game.wait_for_menu()
        self.assertEqual(1, len(game.windows()), "the menu is the only window")
        game.close(menu)
        self.assertEqual(1, game.wait_exit())
        lines = game.lines()
        self.assertEqual(CHIPMUNK_LINES + [BANNER, "Initializing System", "Loading Font"],
                         lines[:5])
        # lines[5] is the notice that the Windows font is missing.
        self.assertEqual(["Initializing Event Sources", "Initializing Player", "Quitting."],
                         lines[6:])

    def test_without_a_font_the_game_quits_with_status_1_after_two_seconds(self):
        game = self.start_game(with_data=False)
        sizes = set()

        def ended():
            sizes.update(w.size() for w in game.windows())
            return not game.running()

        harness.wait_until("the game to give up", ended, harness.START_TIMEOUT, interval=0.1)
        self.assertEqual(1, game.wait_exit())
        lines = game.lines()
        self.assertEqual(CHIPMUNK_LINES + [BANNER, "Initializing System", "Loading Font"],
                         lines[:5])
        self.assertEqual(7, len(lines), "one notice line, then the farewell: %s" % lines)
        self.assertTrue(lines[5].strip(), "a notice that the Windows font is missing")
        self.assertEqual(NO_FONT, lines[6])
        delay = game.exited_at - game.line_time(NO_FONT)
        self.assertGreaterEqual(delay, 1.9, "the console stays two seconds")
        self.assertLess(delay, 2.0 + harness.EXIT_MARGIN * harness.TOOLS.time_scale)
        self.assertTrue(sizes <= {harness.MENU_SIZE}, "no window but the menu's: %s" % sizes)

    def test_a_renderer_without_bitmaps_ends_the_game_in_order_with_status_1(self):
        game = self.start_game(fault="thread-bitmaps")
        game.click_menu(game.wait_for_menu(), "New World")
        self.assertEqual(1, game.wait_exit())
        self.assert_closed_in_order(game.lines(), before=[NO_CHUNKS])

    def test_a_second_copy_in_the_same_folder_quits_with_status_1(self):
        first = self.start_game()
        first.click_menu(first.wait_for_menu(), "New World")
        display = first.wait_for_game_display()
        first.wait_for_first_frame(display)
        second = self.start_game(workdir=first.workdir)
        self.assertEqual(1, second.wait_exit())
        self.assertEqual(CHIPMUNK_LINES + [BANNER, "Initializing System", SECOND_COPY],
                         second.lines())
        first.click(display, display.width - 80, 10)
        first.wait_for_line("Saved the world!")
        first.close(display)
        self.assertEqual(0, first.wait_exit())

    def test_no_lock_but_a_file_play_goes_on_at_once(self):
        lock = "./TellurnSave.lock"
        for kind, plant, fault, reason in (
                ("a FIFO, which must not block", os.mkfifo, None, lock + " is not a regular file"),
                ("a link", lambda path: os.symlink("elsewhere", path), None,
                 lock + " is a symbolic link, not a lock file"),
                ("a read-only folder: the real cause", lambda path: None, "erofs",
                 "cannot open %s (Read-only file system)" % lock)):
            with self.subTest(kind):
                workdir = self.new_workdir()
                plant(os.path.join(workdir, "TellurnSave.lock"))
                game = self.start_game(workdir=workdir, fault=fault)
                game.close(game.wait_for_menu())
                self.assertEqual(1, game.wait_exit())
                self.assertIn(NOT_LOCKED % reason, game.lines())
                self.assertFalse(os.path.exists(os.path.join(workdir, "elsewhere")))


if __name__ == "__main__":
    harness.main()
