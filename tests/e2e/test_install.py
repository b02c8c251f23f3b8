"""The installed game: `cmake --install` into a staging directory, then the `tellurn` launcher
started from there plays in the player's data directory, which it prepares with the font."""

import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

BUILD_DIR = Path(os.environ["TELLURN_BUILD_DIR"])


class InstalledGame(harness.GameTestCase):
    def setUp(self):
        super().setUp()
        self.stage = Path(tempfile.mkdtemp(prefix="tellurn-stage-"))
        self.addCleanup(shutil.rmtree, self.stage, True)
        subprocess.run(["cmake", "--install", str(BUILD_DIR), "--prefix", str(self.stage)],
                       check=True, capture_output=True, timeout=60)

    def test_launcher_plays_in_the_players_data_directory(self):
        for installed in ("bin/tellurn", "share/tellurn/data/arial.ttf",
                          "share/applications/tellurn.desktop"):
            self.assertTrue((self.stage / installed).is_file(), installed)
        home = self.stage / "home"
        home.mkdir()
        elsewhere = self.stage / "elsewhere"  # started away from any data/ folder
        elsewhere.mkdir()

        harness.TOOLS.tellurn = self.stage / "bin" / "tellurn"
        game = harness.Game(self.screen, elsewhere)
        game.env["HOME"] = str(home)
        game.env.pop("XDG_DATA_HOME", None)
        self.games.append(game)
        game.start()
        menu = game.wait_for_menu()
        game.click_menu(menu, "New World")
        display = game.wait_for_game_display((1440, 900))
        game.wait_for_first_frame(display)
        game.click(display, 1440 - 80, 10)  # Save
        game.wait_for_line("Saved the world!")
        game.close(display)
        self.assertEqual(0, game.wait_exit())

        data_dir = home / ".local" / "share" / "tellurn"
        self.assertEqual((self.stage / "share/tellurn/data/arial.ttf").read_bytes(),
                         (data_dir / "data" / "arial.ttf").read_bytes())
        self.assertTrue((data_dir / "TellurnSave.wld").is_file(), "the save lands there")
        self.assertFalse((elsewhere / "TellurnSave.wld").exists())
        self.assertNotIn("Unable to find font, you cocked something up... Quitting", game.lines())


if __name__ == "__main__":
    harness.main()
