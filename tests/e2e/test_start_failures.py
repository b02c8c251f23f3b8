"""Ways the game ends when it cannot run: the start menu's window closed, no font to draw with,
a render thread that can make no bitmap, and another copy of the game already playing in the
folder, which saves on, even when its lock file was removed; a copy that only finishes its saves
is waited for. Each ends with status 1 and says why on the console. A lock file that cannot be
used (a FIFO, a link, a read-only folder) is not: the game says so and plays on, its folder
locked all the same."""

import os
import shutil
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import CHIPMUNK_LINES  # noqa: E402

BANNER = "Starting Tellurn 0.69! Please note that this is mainly a debug window."
NO_FONT = "Unable to find font, you cocked something up... Quitting"
NO_CHUNKS = "Failed to create the renderer's chunk bitmaps!"
SECOND_COPY = "Another copy of the game is using the save in this folder; close it first"
FINISHING = "Another copy of the game is still finishing its saves; waiting for it"
NOT_USED = ("Cannot use the lock file: %s; the folder itself is locked, so a second copy of the"
            " game is stopped all the same")


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
        hold = Path(tempfile.mkdtemp(prefix="tellurn-e2e-hold-"))
        self.addCleanup(shutil.rmtree, hold)
        first = self.start_game(fault="held-fsync:%s" % (hold / "flushes-hang"))
        first.click_menu(first.wait_for_menu(), "New World")
        display = first.wait_for_game_display()
        first.wait_for_first_frame(display)
        self.assert_second_copy_refused(first.workdir)
        # Closed while its disk hangs, the first copy only finishes its save: a copy started
        # meanwhile waits for it, then plays.
        (hold / "flushes-hang").touch()
        first.click(display, display.width - 80, 10)
        first.close(display)
        first.wait_for_line("Stopping renderer")
        waiting = self.start_game(workdir=first.workdir)
        waiting.wait_for_line(FINISHING)
        (hold / "flushes-hang").unlink()
        self.assertEqual(0, first.wait_exit())
        self.assertIn("Saved the world!", first.lines())
        menu = waiting.wait_for_menu()
        # Its lock file removed, the copy playing still holds the folder's own lock.
        os.remove(os.path.join(first.workdir, "TellurnSave.lock"))
        self.assert_second_copy_refused(first.workdir)
        waiting.close(menu)
        self.assertEqual(1, waiting.wait_exit())

    def assert_second_copy_refused(self, workdir):
        second = self.start_game(workdir=workdir)
        self.assertEqual(1, second.wait_exit())
        self.assertEqual(CHIPMUNK_LINES + [BANNER, "Initializing System", SECOND_COPY],
                         second.lines())

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
                self.assertIn(NOT_USED % reason, game.lines())
                self.assertFalse(os.path.exists(os.path.join(workdir, "elsewhere")))


if __name__ == "__main__":
    harness.main()
