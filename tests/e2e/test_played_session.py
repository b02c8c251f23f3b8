"""A played session and its saves, on a disk that refuses hard links: save the new world twice,
dig two surface blocks beside the player, build one back as Grass, try to build into the
player's own cells, save again; every save works, the file holds exactly the generated world with
those edits and the counts, and the backup the world before them. A second run loads the save:
the picture shows the edits and the player stands on the loaded ground. Then the save is damaged:
a third run's Load says so, loads the backup and shows the world as it was before the edits.
On a disk whose every flush takes 300 ms, five Save clicks and a Load click in a row all complete
with their lines, the Load after the saves; Saves clicked just before the window is closed, one
behind a Load, are written before the farewell, with the edit made just before them. On a disk
that hangs, the window goes at once when it is closed, and the game ends within its deadline,
saying that the save did not finish and that the Load after it is not done, and nothing after
its farewell. Ctrl+C, a logout and a closed terminal close the game as its close button does.
The X server killed at the menu, or in play during a Save, ends the game with status 1 within
seconds, the save written whole, and leaves the folder free for the next start."""

import shutil
import signal
import struct
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import BLOCK_COLOURS, PLAYER_TEAL  # noqa: E402

FAKE_START = 1767225600  # 2026-01-01 00:00:00 UTC
WIDTH, HEIGHT = 1440, 900
OFFSET_Y = -740  # the player standing at y = 1190: cell (c, r) at screen (10c, 10r - 740)
AIR, GRASS = BLOCK_COLOURS[1], BLOCK_COLOURS[3]
UNDERGROUND = BLOCK_COLOURS[6]
HUD_SKIP = [(38, 18, 261, 57), (WIDTH - 100, 0, WIDTH, 25)]
PLAYER_BOX = (25, 450, 35, 470)
SURFACE_ROW = 121
DUG = [4, 5]  # surface columns right of the player, within reach
REBUILT = 5  # the column built back with Grass

SAVE_NAME = "TellurnSave.wld"
SAVE_SIZE = 15206704
SAVE_LOAD_LINES = ("Saved the world!", "Loaded the world!")
SAVE_LOAD_PROBLEMS = ("Save failed", "Saved, but", "Cannot load", "No save found")
FAREWELL = "Quitting, Thanks for playing!"
NOT_FINISHED = ("Save not finished: the disk did not answer within 10 seconds; the previous save"
                " is kept")
LOAD_NOT_DONE = "Load not done: the window was closed before it was in place"
DISPLAY_GONE = "The display is gone (X connection lost); closing"
HEADER = struct.Struct("<ff4i")  # x, y, dirt, grass, stone and gold counts
RECORD = struct.Struct("<8siIB3xffIIII")  # name, id, bitmap, passable, x, y, four segments


def cell_centre(column, row):
    return 10 * column + 5, 10 * row + OFFSET_Y + 5


def landed(shot):
    """The player's box at (25, 450) on the grass."""
    return (shot.is_filled(PLAYER_TEAL, *PLAYER_BOX)
            and shot.pixel(700, 470) == GRASS and shot.pixel(700, 469) == AIR)


def said(lines):
    """The lines that Save and Load clicks print, in order."""
    return [line for line in lines
            if line in SAVE_LOAD_LINES or line.startswith(SAVE_LOAD_PROBLEMS)]


def edited_world(ids):
    """The generated world with the session's edits."""
    edited = bytearray(ids)
    for column in DUG:
        edited[column * harness.WORLD_ROWS + SURFACE_ROW] = 6  # Underground
    edited[REBUILT * harness.WORLD_ROWS + SURFACE_ROW] = 3  # Grass
    return bytes(edited)


class PlayedSession(harness.GameTestCase):
    def test_dig_build_save_and_load(self):
        game = self.start_game(fake_start=FAKE_START, fault="link")
        game.click_menu(game.wait_for_menu(), "New World")
        display = game.wait_for_game_display((WIDTH, HEIGHT))
        shot = game.wait_for_picture("the player on the grass", display, landed, 30)
        candidates = game.seed_candidates("Generating a New World")
        _, ids = harness.find_world_seed(shot, candidates, 0, OFFSET_Y, HUD_SKIP + [PLAYER_BOX])

        self.save(game, display, 1)
        self.save(game, display, 2)
        self.play(game, display)
        self.save(game, display, 3)
        self.assertEqual(["Saved the world!"] * 3,
                         [line for line in game.lines() if line.startswith("Save")])
        save = Path(game.workdir) / SAVE_NAME
        self.check_save_file(save, edited_world(ids), (1, 1, 0, 0), DUG)
        self.check_save_file(save.with_name(SAVE_NAME + ".bak"), ids, (1, 0, 0, 0), [])
        game.close(display)
        self.assertEqual(0, game.wait_exit())

        again = self.start_game(workdir=game.workdir)
        again.click_menu(again.wait_for_menu(), "Load World")
        again.wait_for_line("Loaded the world!")
        display = again.wait_for_game_display((WIDTH, HEIGHT))
        shot = again.wait_for_picture("the loaded world", display, landed, 30)
        time.sleep(1.0)  # a second of ticks: still standing, nothing fell through
        shot = self.shot(again, display)
        self.assertTrue(landed(shot), "the player stands on the loaded ground")
        mismatches = harness.world_mismatches(shot, edited_world(ids), 0, OFFSET_Y,
                                              HUD_SKIP + [PLAYER_BOX])
        self.assertEqual([], mismatches, "the loaded picture shows the edited world")
        self.assertNotIn("Error Loading, making a new world instead.", again.lines())
        again.close(display)
        self.assertEqual(0, again.wait_exit())

        data = bytearray(save.read_bytes())
        data[32] = 9  # the selected block: the check refuses it
        save.write_bytes(data)
        third = self.start_game(workdir=game.workdir)
        third.click_menu(third.wait_for_menu(), "Load World")
        third.wait_for_line("Loaded the world!")
        self.assertIn("Cannot load the save: the selected block is 9, not 1 to 4; loaded the backup"
                      " ./TellurnSave.wld.bak instead and kept the refused save as"
                      " ./TellurnSave.wld.damaged", third.lines())
        display = third.wait_for_game_display((WIDTH, HEIGHT))
        third.wait_for_picture("the loaded backup", display, landed, 30)
        shot = self.shot(third, display)
        mismatches = harness.world_mismatches(shot, ids, 0, OFFSET_Y, HUD_SKIP + [PLAYER_BOX])
        self.assertEqual([], mismatches, "the picture shows the backup's world, before the edits")
        self.assertEqual(bytes(data), save.with_name(SAVE_NAME + ".damaged").read_bytes())
        third.close(display)
        self.assertEqual(0, third.wait_exit())

    def test_saves_and_a_load_on_a_slow_disk_keep_their_order(self):
        game = self.start_game(fault="slow-fsync:300")
        game.click_menu(game.wait_for_menu(), "New World")
        display = game.wait_for_game_display((WIDTH, HEIGHT))
        game.wait_for_picture("the player on the grass", display, landed, 30)
        for _ in range(5):
            game.click(display, WIDTH - 80, 10)
        game.click(display, WIDTH - 20, 10)
        game.wait_for_line("Loaded the world!", 30)
        self.assertEqual(["Saved the world!"] * 5 + ["Loaded the world!"], said(game.lines()),
                         "the Load loads what the five saves before it wrote")

        # Each Save after a dig: the second waits while the first is written, unless that is done.
        # Then a Load and a Save behind it, and the window closed at once.
        for column in DUG:
            game.click(display, *cell_centre(column, SURFACE_ROW))
            game.wait_for_picture("the dug cell", display, lambda s: s.pixel(
                *cell_centre(column, SURFACE_ROW)) == UNDERGROUND, 5)
            game.click(display, WIDTH - 80, 10)
        game.click(display, WIDTH - 20, 10)
        game.click(display, WIDTH - 80, 10)
        game.close(display)
        self.assertEqual(0, game.wait_exit(30))
        lines = game.lines()
        self.assertEqual(["Saved the world!"] * 5 + ["Loaded the world!"] + ["Saved the world!"] * 2
                         + ["Loaded the world!", "Saved the world!"], said(lines))
        last_saved = max(i for i, line in enumerate(lines) if line == "Saved the world!")
        self.assertLess(last_saved, lines.index(FAREWELL),
                        "the last save is written before the farewell")
        self.assert_closed_in_order([line for line in lines if line not in SAVE_LOAD_LINES])
        data = (Path(game.workdir) / SAVE_NAME).read_bytes()
        for column in DUG:
            record = 304 + (column * harness.WORLD_ROWS + SURFACE_ROW) * RECORD.size
            self.assertEqual(6, RECORD.unpack_from(data, record)[1],
                             "the save holds the dug cell (%d, %d)" % (column, SURFACE_ROW))

    def test_a_close_while_the_disk_hangs_ends_the_game_within_its_deadline(self):
        hung = Path(tempfile.mkdtemp(prefix="tellurn-e2e-hung-"))
        self.addCleanup(shutil.rmtree, hung)
        (hung / "flushes-hang").touch()
        game = self.start_game(fault="held-fsync:%s" % (hung / "flushes-hang"))
        game.click_menu(game.wait_for_menu(), "New World")
        display = game.wait_for_game_display((WIDTH, HEIGHT))
        game.wait_for_first_frame(display)
        game.click(display, WIDTH - 80, 10)
        game.click(display, WIDTH - 20, 10)
        game.close(display)
        harness.wait_until("the window to go", lambda: not game.windows(), 5)
        self.assertEqual(0, game.wait_exit(20))
        lines = game.lines()
        self.assertEqual([], said(lines), "no save said it was done")
        self.assertEqual(1, lines.count(NOT_FINISHED), "the one Save click is answered")
        self.assertLess(lines.index(NOT_FINISHED), lines.index(FAREWELL))
        self.assertIn(LOAD_NOT_DONE, lines, "the Load clicked after the Save is not done")
        self.assertEqual(FAREWELL, lines[-1], "nothing is said after the farewell")
        # The deadline, then the second the console stays after the farewell.
        self.assertLess(game.exited_at - game.closed_at, harness.CLOSE_SAVE_SECONDS + 1.0
                        + harness.EXIT_MARGIN * harness.TOOLS.time_scale,
                        "ended within the deadline")
        self.assertFalse((Path(game.workdir) / SAVE_NAME).exists())

    def test_every_way_out_keeps_the_save_clicked_just_before(self):
        """Closed by its window, Ctrl+C, a logout or its terminal closing, during a Save on a disk
        whose flush takes 700 ms, the game finishes the save and ends in order. A second signal
        during that close (the disk hanging meanwhile) ends it at once, leaving no save but a
        whole one."""
        hung = Path(tempfile.mkdtemp(prefix="tellurn-e2e-hung-"))
        self.addCleanup(shutil.rmtree, hung)
        (hung / "flushes-hang").touch()
        slow, hanging = "slow-fsync:700", "held-fsync:%s" % (hung / "flushes-hang")
        ways = [("the close button", None, slow), ("SIGINT", [signal.SIGINT], slow),
                ("SIGTERM", [signal.SIGTERM], slow), ("SIGHUP", [signal.SIGHUP], slow),
                ("SIGINT twice", [signal.SIGINT, signal.SIGINT], hanging)]
        for way, signals, fault in ways:
            with self.subTest(way=way):
                harness.require_signals(signals or [])
                game = self.start_game(fault=fault)
                game.click_menu(game.wait_for_menu(), "New World")
                display = game.wait_for_game_display((WIDTH, HEIGHT))
                game.wait_for_picture("the player on the grass", display, landed, 30)
                column = DUG[0]
                game.click(display, *cell_centre(column, SURFACE_ROW))
                game.wait_for_picture("the dug cell", display, lambda s: s.pixel(
                    *cell_centre(column, SURFACE_ROW)) == UNDERGROUND, 5)
                game.click(display, WIDTH - 80, 10)
                time.sleep(0.05)
                if signals is None:
                    game.close(display)
                for number in signals or []:
                    game.send_signal(number)
                    game.wait_for_line("Stopping threads")  # the close is under way
                status = game.wait_exit(30)
                lines = game.lines()
                save = Path(game.workdir) / SAVE_NAME
                if signals is not None and len(signals) > 1:
                    self.assertEqual(-signals[-1], status, "the second signal ends it at once")
                    self.assertNotIn(FAREWELL, lines)
                    self.assertTrue(not save.exists() or len(save.read_bytes()) == SAVE_SIZE,
                                    "only a whole save stands at the save's name")
                    continue
                self.assertEqual(0, status)
                self.assertEqual(["Saved the world!"], said(lines))
                self.assertEqual(FAREWELL, lines[-1], "the farewell is the last line")
                data = save.read_bytes()
                self.assertEqual(SAVE_SIZE, len(data))
                record = 304 + (column * harness.WORLD_ROWS + SURFACE_ROW) * RECORD.size
                self.assertEqual(6, RECORD.unpack_from(data, record)[1], "the dug cell is saved")

    def test_a_lost_display_ends_the_game_in_order(self):
        """The X server killed at the menu, and in play while a Save clicked just before is held
        in its flush: the save is finished, then the game says the display is gone and ends with
        status 1; a new start in the folder, on a new server, is not refused by the lock."""
        hung = Path(tempfile.mkdtemp(prefix="tellurn-e2e-hung-"))
        self.addCleanup(shutil.rmtree, hung)
        gate = hung / "flushes-hang"
        for where in ("the menu", "play"):
            with self.subTest(where=where):
                gate.touch()
                game = self.start_game(fault="held-fsync:%s" % gate)
                menu = game.wait_for_menu()
                save = Path(game.workdir) / SAVE_NAME
                if where == "play":
                    game.click_menu(menu, "New World")
                    display = game.wait_for_game_display((WIDTH, HEIGHT))
                    game.wait_for_first_frame(display)
                    game.click(display, WIDTH - 80, 10)
                    written = Path(str(save) + ".tmp")
                    harness.wait_until("the save held in its flush", lambda: written.exists()
                                       and written.stat().st_size == SAVE_SIZE, 10)
                self.screen.process.kill()  # the server crashes
                self.screen.process.wait()
                gate.unlink()  # the flush ends only once the server is gone
                self.assertEqual(1, game.wait_exit(harness.EXIT_MARGIN))
                lines = game.lines()
                self.assertEqual(DISPLAY_GONE, lines[-1])
                if where == "play":
                    self.assertEqual(["Saved the world!"], said(lines))
                    self.assertEqual(SAVE_SIZE, save.stat().st_size)
                self.new_screen()
                again = self.start_game(workdir=game.workdir)
                again.close(again.wait_for_menu())
                self.assertEqual(1, again.wait_exit())
                self.assertEqual("Quitting.", again.lines()[-1])

    def save(self, game, display, count):
        """Clicks Save and waits for the count-th "Saved the world!"."""
        game.click(display, WIDTH - 80, 10)
        harness.wait_until("save %d" % count,
                           lambda: game.lines().count("Saved the world!") >= count or
                           any(line.startswith("Save failed") for line in game.lines()),
                           harness.START_TIMEOUT)

    def play(self, game, display):
        for column in DUG:
            game.click(display, *cell_centre(column, SURFACE_ROW), button=1)
        game.wait_for_picture("two dug cells", display, lambda s: all(
            s.pixel(*cell_centre(c, SURFACE_ROW)) == UNDERGROUND for c in DUG), 5)
        game.focus(display)
        game.press(display, "2")
        game.click(display, *cell_centre(REBUILT, SURFACE_ROW), button=3)
        self.last_shot = game.wait_for_picture(
            "the Grass block built back", display,
            lambda s: s.pixel(*cell_centre(REBUILT, SURFACE_ROW)) == GRASS, 5)
        # Dirt into the player's upper cell (3, 119), Grass into its lower cell (2, 120), one of
        # each in stock: nothing is built, as the save shows (counts and cells).
        for key, pixel in (("1", (33, 455)), ("2", (27, 465))):
            game.press(display, key)
            game.click(display, *pixel, button=3)

    def check_save_file(self, path, expected_ids, counts, dug):
        data = path.read_bytes()
        self.assertEqual(SAVE_SIZE, len(data))
        x, y, dirt, grass, stone, gold = HEADER.unpack_from(data, 0)
        self.assertAlmostEqual(25.0, x, delta=0.5)
        self.assertAlmostEqual(1190.0, y, delta=0.5)
        self.assertEqual(counts, (dirt, grass, stone, gold), "Dirt, Grass, Stone and Gold held")
        records = RECORD.iter_unpack(data[304:])
        for index, (_, block, _, _, cell_x, cell_y, *_) in enumerate(records):
            column, row = divmod(index, harness.WORLD_ROWS)
            self.assertEqual(expected_ids[index], block, "cell (%d, %d)" % (column, row))
            # A dug cell keeps the empty template's place until something is built into it.
            dug_here = row == SURFACE_ROW and column in dug and column != REBUILT
            expected_place = (0.0, 0.0) if dug_here else (10.0 * column, 10.0 * row)
            if (cell_x, cell_y) != expected_place:
                self.fail("cell (%d, %d) at (%g, %g)" % (column, row, cell_x, cell_y))


if __name__ == "__main__":
    harness.main()
