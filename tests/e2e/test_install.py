"""The installed game: `cmake --install` into a staging directory, then the `tellurn` launcher
started from there plays in the player's data directory, with the system's font linked in and
the icon the package installs on its windows. The Windows game's installer, in the Wine prefix
of the test run: installed silently for the player alone, the installed game started from
another folder plays with its saves in %APPDATA%\Tellurn, and the silent uninstaller removes
the game, its shortcut and its entry among the installed apps, and keeps the saves."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path, PureWindowsPath

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

BUILD_DIR = Path(os.environ["TELLURN_BUILD_DIR"])
ICON_SVG = "share/icons/hicolor/scalable/apps/tellurn.svg"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tellurn"
SAVE_SIZE = 15206704


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


def wine(*command, check=True):
    """Runs a command of Wine's own (cmd, reg, winepath, a Windows program) in the test run's
    prefix, through the emulator, and returns what it printed."""
    done = subprocess.run(list(harness.TOOLS.emulator) + list(command), capture_output=True,
                          text=True, timeout=60)
    if check and done.returncode != 0:
        raise harness.HarnessError("%s failed (%d): %s" % (command[0], done.returncode,
                                                           done.stderr))
    return done.stdout.strip() if done.returncode == 0 else None


def windows_folder(variable):
    """Where a folder of the player's that Windows names by an environment variable lies here."""
    return Path(wine("winepath", "-u", wine("cmd", "/c", "echo", "%" + variable + "%")))


class InstalledGame(harness.GameTestCase):
    def setUp(self):
        super().setUp()
        self.stage = Path(tempfile.mkdtemp(prefix="tellurn-stage-"))
        self.addCleanup(shutil.rmtree, self.stage, True)
        if harness.windows_game():
            return
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
        if harness.windows_game():
            self.skipTest("the launcher and Debian's layout are the Linux game's")
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

    def test_installer_installs_plays_and_uninstalls_keeping_the_saves(self):
        if not harness.windows_game():
            self.skipTest("the installer is the Windows game's")
        setup = next(BUILD_DIR.glob("tellurn-*-win64-setup.exe"))
        programs = windows_folder("LOCALAPPDATA") / "Programs" / "Tellurn"
        saves = windows_folder("APPDATA") / "Tellurn"
        shortcut = (windows_folder("APPDATA") / "Microsoft" / "Windows" / "Start Menu"
                    / "Programs" / "Tellurn.lnk")
        shutil.rmtree(saves, ignore_errors=True)  # an earlier run's in this prefix

        wine(str(setup), "/S")
        installed = programs / "tellurn.exe"
        for name in ("tellurn.exe", "data/arial.ttf", "installed.txt", "uninstall.exe"):
            self.assertTrue((programs / name).is_file(), name)
        self.assertIn("tellurn.exe".encode("utf-16-le"), shortcut.read_bytes().lower(),
                      "the Start menu's shortcut starts the installed game")
        entry = wine("reg", "query", UNINSTALL_KEY)
        self.assertIn(str(PureWindowsPath("Programs", "Tellurn", "uninstall.exe")), entry)

        elsewhere = self.stage / "elsewhere"  # started away from the game's folder
        elsewhere.mkdir()
        game = harness.Game(self.screen, elsewhere, program=installed)
        self.games.append(game)
        game.start()
        game.click_menu(game.wait_for_menu(), "New World")
        display = game.wait_for_game_display((1440, 900))
        game.wait_for_first_frame(display)
        game.click(display, 1440 - 80, 10)  # Save
        game.wait_for_line("Saved the world!")
        game.close(display)
        self.assertEqual(0, game.wait_exit())
        self.assertEqual(SAVE_SIZE, (saves / "TellurnSave.wld").stat().st_size,
                         "the save lands in the player's application data")
        self.assertFalse((programs / "TellurnSave.wld").exists(), "not in the game's folder")
        self.assertFalse((elsewhere / "TellurnSave.wld").exists())

        # The uninstaller runs a copy of itself from the temporary folder and returns at once.
        wine(str(programs / "uninstall.exe"), "/S")
        harness.wait_until("the uninstaller to remove the game", lambda: not programs.exists()
                           and wine("reg", "query", UNINSTALL_KEY, check=False) is None, 30)
        self.assertFalse(shortcut.exists(), "the Start menu's shortcut is gone")
        self.assertEqual(SAVE_SIZE, (saves / "TellurnSave.wld").stat().st_size, "the save stays")


if __name__ == "__main__":
    harness.main()
