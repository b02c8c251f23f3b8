"""A short scripted demo of the game under a virtual X server, for machines without a display:
a new world, a walk to the right, a few blocks dug, one built back, and a clean close. Writes a
screenshot of each step into the folder it names.

    python3 scripts/demo.py --build build [--shots DIR]
"""

import argparse
import shutil
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness  # noqa: E402
from harness import BLOCK_COLOURS, PLAYER_TEAL  # noqa: E402

AIR = BLOCK_COLOURS[1]


def player_box(shot):
    """Left and top screen pixel of the player's teal box."""
    for y in range(shot.height):
        row = shot.row(y)
        at = row.find(bytes(PLAYER_TEAL))
        while at >= 0 and at % 3:
            at = row.find(bytes(PLAYER_TEAL), at + 1)
        if at >= 0:
            return at // 3, y
    raise harness.HarnessError("the player is not on the screen")


def ground_under(shot, x, y):
    """Screen y of the first pixel below (x, y) that is not sky."""
    while y < shot.height and shot.pixel(x, y) in (AIR, PLAYER_TEAL):
        y += 1
    return y


class Demo:
    def __init__(self, game, display, shots):
        self.game, self.display, self.shots = game, display, shots
        self.step = 0

    def snap(self, name):
        self.step += 1
        shot = self.game.window_shot(self.display)
        path = self.shots / ("%02d-%s.png" % (self.step, name))
        shot.save_png(path)
        print("demo: %s" % path.name)
        return shot

    def settle(self, seconds=1.0):
        time.sleep(seconds)

    def run(self):
        game, display = self.game, self.display
        game.wait_for_first_frame(display)
        self.settle(2.5)  # the player falls onto the grass
        self.snap("new-world")

        game.focus(display)
        game.hold(display, "Right", 2.0)
        self.settle()
        shot = self.snap("walk")

        x, y = player_box(shot)
        ground = ground_under(shot, x + 15, y)
        # Dig the two surface blocks ahead of the player and the one under the first.
        for dx, dy in ((15, 5), (25, 5), (15, 15)):
            game.click(display, x + dx, ground + dy, button=1)
            time.sleep(0.2)
        self.settle(0.5)
        self.snap("dig")

        game.press(display, "1")  # Dirt: the player starts with one block of it
        game.click(display, x + 15, ground + 15, button=3)
        self.settle(0.5)
        self.snap("build")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", type=Path, default=ROOT / "build")
    parser.add_argument("--shots", type=Path, default=None)
    args = parser.parse_args()
    build = args.build.resolve()
    shots = (args.shots or build / "demo-shots").resolve()
    shutil.rmtree(shots, ignore_errors=True)
    shots.mkdir(parents=True)
    harness.TOOLS.tellurn = build / "tellurn"
    harness.TOOLS.close_window = build / "tests" / "e2e" / "tellurn-close-window"

    screen = harness.VirtualScreen()
    workdir = Path(tempfile.mkdtemp(prefix="tellurn-demo-"))
    game = None
    try:
        screen.start()
        shutil.copytree(ROOT / "data", workdir / "data")
        game = harness.Game(screen, workdir, console_name="console.txt")
        game.start()
        game.click_menu(game.wait_for_menu(), "New World")
        display = game.wait_for_game_display()
        Demo(game, display, shots).run()
        game.close(display)
        status = game.wait_exit()
        shutil.copy(game.console_path, shots / "console.txt")
        print("demo: the game closed with status %d; screenshots and the console are in %s"
              % (status, shots))
        return status
    finally:
        if game is not None:
            game.kill()
        screen.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
