"""What the stress cases share: the console lines of the menu's close, and a random generator
whose seed is printed, so a failing run can be repeated (TELLURN_STRESS_SEED). TELLURN_STRESS_FAULT
plays every game of a case with a fault of tests/faults/fault_injection.c, for instance
slow-fsync:150 for a disk whose every flush takes 150 ms."""

import os
import random
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import harness  # noqa: E402

MENU_CLOSE_LINES = ["Initializing Event Sources", "Initializing Player", "Quitting."]
SAVE_NAME = "TellurnSave.wld"
SAVE_SIZE = 15206704
FAULT = os.environ.get("TELLURN_STRESS_FAULT") or None


def generator():
    """A random generator seeded from TELLURN_STRESS_SEED or the clock, saying its seed."""
    seed = int(os.environ.get("TELLURN_STRESS_SEED", time.time_ns() % 1000000))
    print("stress: random seed %d (set TELLURN_STRESS_SEED to repeat)" % seed, flush=True)
    return random.Random(seed)


def hud_button(display, caption):
    """A pixel in the middle of a HUD button of the game display."""
    left = {"Save": display.width - 100, "Load": display.width - 40}[caption]
    return left + 20, 12
