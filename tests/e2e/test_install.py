"""The installed game: `cmake --install` into a staging directory, then the `tellurn` launcher
started from there plays in the player's data directory, with the system's font linked in and
the icon the package installs on its windows."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

BUILD_DIR = Path(os.environ["TELLURN_BUILD_DIR"])
ICON_SVG = "share/icons/hicolor/scalable/apps/tellurn.svg"


def configured(name):
    """A value of the build's CMake cache."""
    cache = (BUILD_DIR / "CMakeCache.txt").read_text()
    return re.search(r"^%s:[A-Z]+=(.*)$" % name, cache, re.M).group(1)


def svg_pixels(path, size):
    """The SVG's rectangles painted in order at size x size pixels, sampled at pixel centres:
    ARGB numbers, rows from the top, as X keeps a window icon."""
    root = ElementTree.parse(path).getroot()
    side = float(root.get("viewBox").split()[2])
    pixels = [0] * (size * size)
    for rect in root.iter("{http://www.w3.org/2000/svg}rect"):
        x, y, w, h = (float(rect.get(k)) for k in ("x", "y", "width", "height"))
        argb = 0xFF000000 | int(rect.get("fill")[1:], 16)
        for row in range(size):
            for column in range(size):
                cx, cy = (column + 0.5) * side / size, (row + 0.5) * side / size
                if x <= cx < x + w and y <= cy < y + h:
                    pixels[row * size + column] = argb
    return pixels


class InstalledGame(harness.GameTestCase):
    def setUp(self):
        super().setUp()
        self.stage = Path(tempfile.mkdtemp(prefix="tellurn-stage-"))
        self.addCleanup(shutil.rmtree, self.stage, True)
        subprocess.run(["cmake", "--install", str(BUILD_DIR), "--prefix", str(self.stage)],
                       check=True, capture_output=True, timeout=60)

    def window_icon(self, game, window):
        """The window's _NET_WM_ICON as numbers: width, height, then ARGB pixels."""
        shown = harness.run_tool(["xprop", "-id", window.id, "-f", "_NET_WM_ICON", "32c",
                                  "=$0+", "_NET_WM_ICON"], game.env)
        self.assertIn("=", shown, "the window has no icon")
        return [int(n) for n in shown.split("=", 1)[1].split(",")]

    def assert_icon_is_the_installed_svg(self, game, window):
        icon = self.window_icon(game, window)
        size = icon[0]
        self.assertEqual([size, size], icon[:2], "a square icon")
        self.assertTrue(icon[2:] == svg_pixels(self.stage / ICON_SVG, size),
                        "the window icon is not the picture of the installed SVG")

    def test_launcher_plays_in_the_players_data_directory(self):
        for installed in ("games/tellurn", ICON_SVG, "share/man/man6/tellurn.6.gz",
                          "share/doc/tellurn/copyright", "share/doc/tellurn/changelog.gz"):
            self.assertTrue((self.stage / installed).is_file(), installed)
        self.assertFalse((self.stage / "share/tellurn").exists(), "no copy of the font")
        home = self.stage / "home"
        data_dir = home / ".local" / "share" / "tellurn"
        (data_dir / "data").mkdir(parents=True)
        # Earlier installs copied the font here.
        (data_dir / "data" / "arial.ttf").write_bytes(b"an old copy")
        elsewhere = self.stage / "elsewhere"  # started away from any data/ folder
        elsewhere.mkdir()

        harness.TOOLS.tellurn = self.stage / "games" / "tellurn"
        game = harness.Game(self.screen, elsewhere)
        game.env["HOME"] = str(home)
        game.env.pop("XDG_DATA_HOME", None)
        self.games.append(game)
        game.start()
        menu = game.wait_for_menu()
        self.assert_icon_is_the_installed_svg(game, menu)
        game.click_menu(menu, "New World")
        display = game.wait_for_game_display((1440, 900))
        game.wait_for_first_frame(display)
        self.assert_icon_is_the_installed_svg(game, display)
        game.click(display, 1440 - 80, 10)  # Save
        game.wait_for_line("Saved the world!")
        game.close(display)
        self.assertEqual(0, game.wait_exit())

        font = data_dir / "data" / "arial.ttf"
        self.assertTrue(font.is_symlink(), "a link to the system's font, not a copy")
        self.assertEqual(configured("TELLURN_FONT_FILE"), os.readlink(font))
        self.assertTrue((data_dir / "TellurnSave.wld").is_file(), "the save lands there")
        self.assertFalse((elsewhere / "TellurnSave.wld").exists())
        self.assertNotIn("Unable to find font, you cocked something up... Quitting", game.lines())


if __name__ == "__main__":
    harness.main()
