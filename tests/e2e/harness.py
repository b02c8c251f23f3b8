"""Drives the real game for the end-to-end tests: a virtual X server, the game in a fresh
working directory, clicks and keys through xdotool, screenshots read back as RGB pixels, and
the console lines with the time each one arrived.

Standard library only. A test module builds on it like this:

    class MenuTest(harness.GameTestCase):
        def test_menu(self):
            game = self.start_game()
            menu = game.wait_for_menu()
            game.click_menu(menu, "New World")
            ...

    if __name__ == "__main__":
        harness.main()

and is run as `python3 test_x.py --tellurn PATH --close-window PATH --world-dump PATH`
(`--fault-library PATH` names the tests' LD_PRELOAD library that injects disk faults;
`--emulator PROGRAM` runs the game and its tools under an emulator, as a cross build's are; given
more than once, the emulator's command is those words in order).

The Windows game (a tellurn.exe) runs under Wine, its emulator, on the same virtual screen: its
windows are X windows with their titles, and its console reaches the harness as the Linux game's
does. What differs is taken care of here: the game plays in its own folder, so each run is a copy
of it in the working directory, as a player unzips it; its lines end in CR LF; its clock cannot
be pinned; Wine turns SIGINT into the console's Ctrl+C and no other signal into anything the game
hears; and no preloaded library reaches its calls, so a test that needs a disk fault is skipped,
except where the fault changes nothing the test checks on Windows (start_game).
"""

import argparse
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib
from pathlib import Path

WINDOW_TITLE = "Tellurn 0.69 - Zuraror"
SCREEN_WIDTH = 1920
SCREEN_HEIGHT = 1080

# Debian's Chipmunk is built with its debug checks on and greets on the first space it makes.
CHIPMUNK_LINES = [
    "Initializing cpSpace - Chipmunk v7.0.3 (Debug Enabled)",
    "Compile with -DNDEBUG defined to disable debug mode and runtime assertion checks",
]

# The renderer's farewell, and main's: the last line of a game that ends in order.
RENDERER_FAREWELL = "Render thread, shutting down!"
FAREWELL = "Quitting, Thanks for playing!"

# Each worker thread's first line, printed once as it starts, and its farewell.
WORKER_LINES = ([("Render thread reporting in!", RENDERER_FAREWELL)]
                + [("Enemy Thread #%d reporting in!" % i, "Enemy thread #%d, shutting down!" % i)
                   for i in range(25)])
REPORT_LINES = [report for report, _ in WORKER_LINES]
# The last lines of a game closed in order: main's, and the workers' farewells in the order in
# which main stops them.
SHUTDOWN_LINES = (["Stopping threads"] + ["Enemy thread #%d, shutting down!" % i for i in range(25)]
                  + ["Stopping renderer", RENDERER_FAREWELL, FAREWELL])

# The lines that answer Save and Load clicks, whole or by their start: the saves' and the loads'
# outcomes, a Load's own lines, and what the close says of a click it leaves undone.
LOAD_NOT_DONE = "Load not done: the window was closed before it was in place"
CLICK_ANSWERS = ("Saved the world!", "Loaded the world!", LOAD_NOT_DONE)
CLICK_ANSWER_STARTS = ("Saved, but ", "Save failed: ", "Save not finished: ", "Load not finished: ",
                       "No save found", "Cannot load the save: ",
                       "the whole save an unfinished save left at ")
# Of those, the ones only the close says: it says them once the renderer has stopped.
CLOSE_ANSWER_STARTS = (LOAD_NOT_DONE, "Save not finished: ", "Load not finished: ",
                       "Saved, but the disk did not answer ")

# The start menu: caption -> (left, top) of its 80 x 40 button, in drawing order.
MENU_SIZE = (640, 240)
MENU_BUTTON_SIZE = (80, 40)
MENU_BUTTONS = {
    "1280x800": (50, 50),
    "1440x900": (200, 50),
    "1680x1050": (350, 50),
    "Fullscreen": (500, 50),
    "New World": (215, 160),
    "Load World": (340, 160),
}

# Colours as the game draws them.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
BUTTON_GREY = (165, 165, 165)
PLAYER_TEAL = (0, 125, 125)
ENEMY_RED = (255, 0, 0)
BLOCK_COLOURS = {
    0: (0, 0, 0),  # NULL
    1: (125, 125, 255),  # Air
    2: (160, 100, 25),  # Dirt
    3: (0, 255, 0),  # Grass
    4: (125, 125, 125),  # Stone
    5: (255, 255, 0),  # Gold
    6: (0, 0, 0),  # Underground
}
WORLD_COLUMNS = 720
WORLD_ROWS = 480

# How long the slow steps may take on a busy two-core machine before a test gives up.
START_TIMEOUT = 20.0
EXIT_TIMEOUT = 20.0
# How much longer than it says it waits a game may take to end, its threads stopped and its
# process torn down on a busy machine (stretched by --time-scale, as every wait is).
EXIT_MARGIN = 5.0
# The game's own deadline for what the saves clicked before a close still need.
CLOSE_SAVE_SECONDS = 10.0

# Where the test programs are; filled by main() from the command line.
TOOLS = argparse.Namespace(tellurn=None, close_window=None, world_dump=None, data=None,
                           artifacts=None, time_scale=1.0, fault_library=None, emulator=None)


def built_program(path):
    """The command that runs a program of the build: under the emulator, if it needs one (a
    cross build's tools that drive the X server may be this machine's own). A static emulator
    passes the environment, LD_PRELOAD too, to the program it runs."""
    emulated = TOOLS.emulator and not runs_here(path)
    return (list(TOOLS.emulator) if emulated else []) + [str(path)]


def elf_machine(path):
    """The processor an ELF program is for, as its header names it, or None for another kind."""
    with open(path, "rb") as program:
        head = program.read(20)
    return head[18:20] if head[:4] == b"\x7fELF" else None


def runs_here(path):
    """True when the program is one of this machine's own."""
    machine = elf_machine(path)
    return machine is not None and machine == elf_machine(sys.executable)


def windows_game():
    """True when the game is the Windows build's, run under Wine."""
    return TOOLS.tellurn.suffix.lower() == ".exe"


# Signals as the Windows game hears them under Wine: SIGINT becomes the console's Ctrl+C event;
# Wine ends a program at once on any other, where Windows' console and session events (a closed
# console, a logoff) have no signal to stand for them.
WINE_SIGNALS = {signal.SIGINT: "the console's Ctrl+C"}

# The disk faults of the Linux tests' library as they stand for the Windows game, which no
# preloaded library reaches: those that change nothing a test checks there are left out (the
# Windows game makes no hard links; a slow flush only makes a save take longer), any other
# skips the test.
WINDOWS_FAULTS_LEFT_OUT = {"link", "slow-fsync"}


def require_signals(signals):
    """Skips the test (or its subtest) when the game cannot hear one of the signals as a close:
    under Wine, all but SIGINT."""
    if windows_game():
        for number in signals:
            if number not in WINE_SIGNALS:
                raise unittest.SkipTest("Wine gives the Windows game no %s: it ends it at once"
                                        % signal.Signals(number).name)


class HarnessError(AssertionError):
    """The game or a tool did not do what the harness waited for."""


def run_tool(args, env, timeout=10.0, binary=False):
    """Runs a helper program to completion and returns its standard output."""
    done = subprocess.run(args, env=env, capture_output=True, timeout=timeout)
    if done.returncode != 0:
        raise HarnessError("%s failed (%d): %s" % (args[0], done.returncode,
                                                    done.stderr.decode(errors="replace")))
    return done.stdout if binary else done.stdout.decode()


def wait_until(what, probe, timeout, interval=0.05):
    """Calls probe until it returns something true and returns that; fails after timeout
    (stretched by --time-scale for slow builds)."""
    timeout *= TOOLS.time_scale
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class VirtualScreen:
    """An Xvfb server on a display number it picks itself."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.width, self.height = width, height
        self.process = None
        self.display = None

    def start(self):
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 "%dx%dx24" % (self.width, self.height), "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + START_TIMEOUT
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    raise HarnessError("Xvfb did not report its display number")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb ended before reporting its display number")
                number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        self.intern_atom("_MOTIF_WM_HINTS")

    def intern_atom(self, name):
        """Makes the server know an atom, as a window manager does at its start. Allegro marks
        a frameless window with _MOTIF_WM_HINTS only when that atom already exists, and no
        window manager runs here. Speaks the X protocol itself: xprop cannot create atoms."""
        number = self.display.lstrip(":")
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
            connection.settimeout(10)
            connection.connect("/tmp/.X11-unix/X" + number)
            connection.sendall(b"l\0" + struct.pack("<HHHH2x", 11, 0, 0, 0))
            head = self._receive(connection, 8)
            if head[0] != 1:
                raise HarnessError("the X server refused the connection")
            self._receive(connection, 4 * struct.unpack_from("<H", head, 6)[0])
            text = name.encode()
            padded = text + b"\0" * (-len(text) % 4)
            connection.sendall(struct.pack("<BBHH2x", 16, 0, 2 + len(padded) // 4, len(text))
                               + padded)
            reply = self._receive(connection, 32)
            if reply[0] != 1:
                raise HarnessError("the X server did not make the atom %s" % name)

    @staticmethod
    def _receive(connection, size):
        data = b""
        while len(data) < size:
            chunk = connection.recv(size - len(data))
            if not chunk:
                raise HarnessError("the X server closed the connection")
            data += chunk
        return data

    def env(self):
        """The environment for programs that talk to this server."""
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("XAUTHORITY", None)
        return env

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Window:
    """One top-level window of the game as the X server sees it: under Wine, the client area
    inside the frame Wine draws (`frame`, the top-level X window, which a close goes to)."""

    def __init__(self, window_id, x, y, width, height, viewable, frame=None):
        self.id, self.x, self.y = window_id, x, y
        self.width, self.height, self.viewable = width, height, viewable
        self.frame = frame or window_id

    def size(self):
        return (self.width, self.height)

    def __repr__(self):
        return "Window(%s, %dx%d at %d,%d%s)" % (self.id, self.width, self.height, self.x,
                                                  self.y, "" if self.viewable else ", unmapped")


class Picture:
    """An RGB picture, row by row, three bytes a pixel."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, bytes(data)

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.data[at:at + 3])

    def row(self, y, x0=0, x1=None):
        """The bytes of pixels x0 to x1 - 1 of row y."""
        x1 = self.width if x1 is None else x1
        start = (y * self.width) * 3
        return self.data[start + 3 * x0:start + 3 * x1]

    def crop(self, x, y, width, height):
        rows = (self.row(y + j, x, x + width) for j in range(height))
        return Picture(width, height, b"".join(rows))

    def pixels(self, x0, y0, x1, y1):
        """(x, y, colour) for every pixel of the rectangle x0..x1-1, y0..y1-1."""
        for y in range(y0, y1):
            line = self.row(y, x0, x1)
            for i in range(0, len(line), 3):
                yield x0 + i // 3, y, tuple(line[i:i + 3])

    def count(self, colour, x0, y0, x1, y1):
        """How many pixels of the rectangle have exactly this colour."""
        wanted = bytes(colour)
        return sum(1 for _, _, c in self.pixels(x0, y0, x1, y1) if bytes(c) == wanted)

    def is_filled(self, colour, x0, y0, x1, y1):
        """True when every pixel of the rectangle has exactly this colour."""
        line = bytes(colour) * (x1 - x0)
        return all(self.row(y, x0, x1) == line for y in range(y0, y1))

    def bounding_box(self, keep, x0, y0, x1, y1):
        """Smallest (left, top, right, bottom), inclusive, around the pixels keep accepts."""
        hits = [(x, y) for x, y, c in self.pixels(x0, y0, x1, y1) if keep(c)]
        if not hits:
            return None
        xs = [x for x, _ in hits]
        ys = [y for _, y in hits]
        return (min(xs), min(ys), max(xs), max(ys))

    def save_png(self, path):
        """Writes the picture as an 8-bit RGB PNG file."""

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body
                    + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        stride = self.width * 3
        raw = b"".join(b"\0" + self.data[y * stride:(y + 1) * stride]
                       for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                      + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def glyphs(picture, keep, x0, y0, x1, y1):
    """Splits the text in a rectangle into glyphs at the columns that hold no text pixel, and
    returns each glyph as a tuple of its text-pixel columns (bit masks, top row lowest bit)."""
    columns = []
    for x in range(x0, x1):
        mask = 0
        for y in range(y0, y1):
            if keep(picture.pixel(x, y)):
                mask |= 1 << (y - y0)
        columns.append(mask)
    found, current = [], []
    for mask in columns + [0]:
        if mask:
            current.append(mask)
        elif current:
            found.append(tuple(current))
            current = []
    # The same glyph can stand a row higher or lower in two texts: compare them from the top.
    return [normalise_glyph(g) for g in found]


def normalise_glyph(glyph):
    low = min((m & -m).bit_length() for m in glyph) - 1
    return tuple(m >> low for m in glyph)


class Game:
    """One run of the game executable on a virtual screen, in its own working directory."""

    def __init__(self, screen, workdir, fake_start=None, console_name="console.txt", env=None,
                 program=None):
        self.screen = screen
        self.program = program  # run where it lies (an installed game), not the build's game
        self.env = screen.env()
        self.game_env = env or {}  # for the game alone, not for the tools that drive it
        self.workdir = Path(workdir)
        # faketime cannot pin the clock of a game run under an emulator: it keeps the real one.
        self.fake_start = None if TOOLS.emulator else fake_start
        self.process = None
        self.started_at = None
        self.started_wall = None  # the wall clock at the start, seconds since 1970
        self.closed_at = None
        self.exited_at = None
        self._lines = []  # (arrival time, text)
        self._lines_lock = threading.Lock()
        self._reader = None
        self.console_closed_at = None
        self.latest_shot = None  # the last screenshot taken, for the artifacts
        self.console_path = self.workdir / console_name

    # --- running -------------------------------------------------------------------------

    def start(self):
        env = dict(self.env, **self.game_env)
        program = Path(self.program or TOOLS.tellurn)
        if self.program is None and windows_game():
            # The Windows game plays in the folder it lies in: a copy of it plays here.
            program = Path(shutil.copy2(program, self.workdir / program.name))
        command = built_program(program)
        if self.fake_start is not None:
            # The clock starts at fake_start and runs on, so the world's seed is known to a
            # second or two; Allegro's timers keep the real monotonic clock.
            env.update(TZ="UTC", FAKETIME_DONT_FAKE_MONOTONIC="1")
            command = ["faketime", "-f", "@" + time.strftime(
                "%Y-%m-%d %H:%M:%S", time.gmtime(self.fake_start))] + command
        self.started_at = time.monotonic()
        self.started_wall = time.time()
        self.process = subprocess.Popen(command, cwd=self.workdir, env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, start_new_session=True)
        self._reader = threading.Thread(target=self._read_console, daemon=True)
        self._reader.start()

    def _read_console(self):
        with open(self.console_path, "wb") as log:
            for raw in self.process.stdout:
                log.write(raw)
                log.flush()
                with self._lines_lock:
                    self._lines.append((time.monotonic(), raw.decode(errors="replace")
                                        .rstrip("\r\n")))
        # The console closes when the process ends: a close timestamp that does not depend
        # on when the test gets round to waiting.
        self.console_closed_at = time.monotonic()
        self.process.stdout.close()

    def running(self):
        return self.process is not None and self.process.poll() is None

    def kill(self):
        """Ends the game at once (its whole process group)."""
        if self.running():
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        if self.process is not None:
            self.process.wait()
            if self._reader is not None:
                self._reader.join(5)

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the game to end and returns its exit status; a game still running after
        timeout is killed and the wait fails."""
        timeout *= TOOLS.time_scale
        try:
            status = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise HarnessError("the game did not exit within %.0f s; killed it" % timeout)
        self._reader.join(5)
        self.exited_at = self.console_closed_at or time.monotonic()
        return status

    # --- console -------------------------------------------------------------------------

    def lines(self):
        """The console lines so far."""
        with self._lines_lock:
            return [text for _, text in self._lines]

    def line_time(self, text):
        """When the first line equal to text arrived (monotonic clock), or None."""
        with self._lines_lock:
            return next((at for at, line in self._lines if line == text), None)

    def seed_candidates(self, line):
        """The seconds since 1970 that the game's clock may have read when it seeded the new
        world it announced with the console line `line`: from its pinned start on, or, where
        the clock cannot be pinned (under an emulator), the wall clock's seconds from the start
        to the line."""
        generated = self.line_time(line) - self.started_at
        if self.fake_start is not None:
            return [self.fake_start + k for k in range(int(generated) + 3)]
        first = int(self.started_wall) - 1
        return list(range(first, int(self.started_wall + generated) + 2))

    def line_times(self, text):
        """When each line equal to text arrived (monotonic clock), in order."""
        with self._lines_lock:
            return [at for at, line in self._lines if line == text]

    def wait_for_line(self, text, timeout=START_TIMEOUT):
        """Waits until the console has shown a line equal to text."""

        def seen():
            if text in self.lines():
                return True
            if not self.running():
                self._reader.join(5)  # the reader ends once it has taken the last lines
                if text in self.lines():
                    return True
                raise HarnessError("the game exited (status %s) before printing %r; console:\n%s"
                                   % (self.process.poll(), text, "\n".join(self.lines())))
            return False

        wait_until("console line %r" % text, seen, timeout)

    # --- windows -------------------------------------------------------------------------

    def windows(self):
        """The game's windows, found by their title. With no window manager, Wine draws a frame of
        its own around a Windows program's window: there the game's window is the frame's one
        child X window, its client area."""
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % re.escape(WINDOW_TITLE)],
                               env=self.env, capture_output=True, text=True, timeout=10)
        result = []
        for frame in found.stdout.split():
            window_id = self.client_area(frame) if windows_game() else frame
            window = self.window_info(window_id, frame) if window_id is not None else None
            if window is not None:
                result.append(window)
        return result

    def client_area(self, frame_id):
        """The one child X window of a frame Wine drew, or None when it has none (yet)."""
        done = subprocess.run(["xwininfo", "-children", "-id", frame_id], env=self.env,
                              capture_output=True, text=True, timeout=10)
        listed = re.split(r"\d+ child(?:ren)?:", done.stdout)
        children = re.findall(r"^\s+(0x[0-9a-f]+) ", listed[-1], re.M) if len(listed) > 1 else []
        return children[0] if done.returncode == 0 and len(children) == 1 else None

    def window_info(self, window_id, frame=None):
        done = subprocess.run(["xwininfo", "-id", window_id], env=self.env,
                              capture_output=True, text=True, timeout=10)
        if done.returncode != 0:
            return None  # gone meanwhile
        fields = dict(re.findall(r"^\s*([A-Za-z -]+):\s+(.*)$", done.stdout, re.M))
        return Window(window_id, int(fields["Absolute upper-left X"]),
                      int(fields["Absolute upper-left Y"]), int(fields["Width"]),
                      int(fields["Height"]), fields["Map State"] == "IsViewable", frame)

    def window_property(self, window, name):
        """The value xprop shows for a property of the window, or None when it is not set."""
        shown = run_tool(["xprop", "-id", window.id, name], self.env)
        if "not found" in shown or "no such atom" in shown:
            return None
        return shown.split("=", 1)[1].strip() if "=" in shown else shown.strip()

    def wait_for_window(self, what, accept, timeout=START_TIMEOUT):
        """Waits for the one viewable game window and returns it once accept(window) holds."""

        def probe():
            if not self.running():
                raise HarnessError("the game exited (status %s) while waiting for %s; console:"
                                   "\n%s" % (self.process.poll(), what, "\n".join(self.lines())))
            shown = [w for w in self.windows() if w.viewable]
            return shown[0] if len(shown) == 1 and accept(shown[0]) else None

        return wait_until(what, probe, timeout, interval=0.1)

    def wait_for_menu(self):
        """Waits for the start menu's window and for its picture to be drawn."""
        menu = self.wait_for_window("the 640 x 240 menu window", lambda w: w.size() == MENU_SIZE)
        left, top = MENU_BUTTONS["New World"]
        self.wait_for_picture("the menu's buttons", menu,
                              lambda shot: shot.pixel(left + 2, top + 2) == BUTTON_GREY)
        return menu

    def wait_for_game_display(self, size=None):
        """Waits for the game display (the first window that is not the menu) to be drawn on."""
        return self.wait_for_window(
            "the game display", lambda w: w.size() != MENU_SIZE and (size is None or
                                                                     w.size() == size))

    def wait_for_first_frame(self, display):
        """Waits until the render thread has drawn on the game display (the HUD's grey Save
        button, drawn in every frame whatever the world shows) and returns that shot."""
        return self.wait_for_picture(
            "the first frame", display,
            lambda shot: shot.pixel(display.width - 95, 2) == BUTTON_GREY)

    # --- input ---------------------------------------------------------------------------

    def click(self, window, x, y, button=1):
        """Moves the pointer to window pixel (x, y) and presses and releases a mouse button."""
        run_tool(["xdotool", "mousemove", "--window", window.id, str(x), str(y),
                  "click", str(button)], self.env)

    def click_menu(self, menu, caption, button=1, x_in_button=None):
        """Clicks a start menu button by its caption, in its middle unless x_in_button (the
        column inside the button, 0 to 79) is given."""
        left, top = MENU_BUTTONS[caption]
        dx = MENU_BUTTON_SIZE[0] // 2 if x_in_button is None else x_in_button
        self.click(menu, left + dx, top + MENU_BUTTON_SIZE[1] // 2, button)

    def focus(self, window):
        """Puts the pointer (and with it the keyboard focus) on the window."""
        run_tool(["xdotool", "mousemove", "--window", window.id,
                  str(window.width // 2), str(window.height // 2)], self.env)

    def blur(self):
        """Gives the keyboard focus to the root window: the game's window loses it, as when the
        player clicks another window."""
        root = run_tool(["xdotool", "search", "--maxdepth", "0", "--name", ""], self.env).split()
        run_tool(["xdotool", "windowfocus", root[0]], self.env)

    def key_down(self, window, key):
        """Presses a key (an X keysym name such as Right, 3 or a) on the window."""
        run_tool(["xdotool", "keydown", "--window", window.id, key], self.env)

    def key_up(self, window, key):
        """Releases a key on the window."""
        run_tool(["xdotool", "keyup", "--window", window.id, key], self.env)

    def press(self, window, key):
        """Presses and releases a key."""
        self.key_down(window, key)
        self.key_up(window, key)

    def hold(self, window, key, seconds):
        """Holds a key down for about the given time."""
        self.key_down(window, key)
        try:
            time.sleep(seconds)
        finally:
            self.key_up(window, key)

    def close(self, window):
        """Closes a window as its close button does."""
        run_tool(built_program(TOOLS.close_window) + [window.frame], self.env)
        self.closed_at = time.monotonic()

    def send_signal(self, signum):
        """Sends a signal (signal.SIGTERM and the like) to the game and notes the moment, as
        close() does. Under Wine the process is the Windows game's own."""
        os.kill(self.game_pid(), signum)
        self.closed_at = time.monotonic()

    def game_pid(self):
        """The game's process id. faketime, when it pins the clock, runs the game as its one
        child and passes no signal on to it; an emulator runs the game in its own process."""
        if self.fake_start is None:
            return self.process.pid
        pid = self.process.pid
        children = Path("/proc/%d/task/%d/children" % (pid, pid)).read_text().split()
        if len(children) != 1:
            raise HarnessError("faketime (process %d) runs %d processes, not the game alone"
                               % (pid, len(children)))
        return int(children[0])

    # --- pictures ------------------------------------------------------------------------

    def screenshot(self):
        """The whole virtual screen."""
        data = run_tool(["import", "-window", "root", "-depth", "8", "rgb:-"], self.env,
                        binary=True)
        width, height = self.screen.width, self.screen.height
        if len(data) != width * height * 3:
            raise HarnessError("screenshot has %d bytes, not %d" % (len(data), width * height * 3))
        self.latest_shot = Picture(width, height, data)
        return self.latest_shot

    def window_shot(self, window):
        """The window's pixels, from a screenshot of the whole screen."""
        return self.screenshot().crop(window.x, window.y, window.width, window.height)

    def wait_for_picture(self, what, window, accept, timeout=START_TIMEOUT):
        """Takes shots of the window until accept(shot) holds and returns that shot."""

        def probe():
            if not self.running():
                raise HarnessError("the game exited while waiting for %s" % what)
            shot = self.window_shot(window)
            return shot if accept(shot) else None

        return wait_until(what, probe, timeout, interval=0.1)


def world_for_seed(seed):
    """The block ids of the world a seed generates, column by column."""
    data = run_tool(built_program(TOOLS.world_dump) + [str(seed)], dict(os.environ), binary=True)
    if len(data) != WORLD_COLUMNS * WORLD_ROWS:
        raise HarnessError("world dump has %d bytes" % len(data))
    return data


def is_click_answer(line):
    """True for a line that answers a Save or a Load click."""
    return line in CLICK_ANSWERS or line.startswith(CLICK_ANSWER_STARTS)


def click_answers(lines):
    """The lines that answer Save and Load clicks, in order."""
    return [line for line in lines if is_click_answer(line)]


def shutdown_problem(lines, before=()):
    """What keeps a console from ending as a game closed in order does, or None. The workers
    start while main goes on, so a worker's report-in line may come anywhere before its own
    farewell, the shutdown lines included. The saver answers a click when its work is done, and
    the close, once the renderer has stopped, does what the saves clicked before it still need
    and answers each click still owed: the lines answering clicks may come anywhere before the
    farewell, and the ones only the close says after the renderer's farewell. The other lines end
    with `before` (what main says just before it stops the threads) and SHUTDOWN_LINES, in
    order, and nothing comes after the farewell."""
    after = lines[lines.index(FAREWELL) + 1:] if FAREWELL in lines else []
    if after:
        return "%r after the farewell" % after[0]
    expected = list(before) + SHUTDOWN_LINES
    others = [line for line in lines if line not in REPORT_LINES and not is_click_answer(line)]
    if others[-len(expected):] != expected:
        return ("the last lines, report-ins and click answers aside, are not the shutdown lines"
                " in order: %s" % others[-len(expected):])
    renderer_stopped = lines.index(RENDERER_FAREWELL)
    early = [line for line in lines[:renderer_stopped] if line.startswith(CLOSE_ANSWER_STARTS)]
    if early:
        return "%r before the renderer stopped" % early[0]
    for report, farewell in WORKER_LINES:
        if lines.count(report) != 1:
            return "%r printed %d times" % (report, lines.count(report))
        if lines.index(report) > lines.index(farewell):
            return "%r after %r" % (report, farewell)
    return None


def block_at(ids, column, row):
    """The block id of a cell of a dumped world; NULL outside the grid."""
    if 0 <= column < WORLD_COLUMNS and 0 <= row < WORLD_ROWS:
        return ids[column * WORLD_ROWS + row]
    return 0


def in_any(x, y, rectangles):
    return any(x0 <= x < x1 and y0 <= y < y1 for x0, y0, x1, y1 in rectangles)


def world_mismatches(picture, ids, offset_x, offset_y, skip=(), limit=20):
    """Where the picture differs from the world as the game draws it, every cell's pixels
    at screen = world + offset (whole-pixel offsets: the view rounds down, and cells lie on
    whole world pixels). skip holds rectangles (x0, y0, x1, y1), x1 and y1 exclusive, that
    other things cover; red enemy pixels are skipped wherever they are. Returns up to limit
    (x, y, seen, expected) tuples."""
    colour_bytes = {block: bytes(colour) for block, colour in BLOCK_COLOURS.items()}
    columns = [(x - offset_x) // 10 for x in range(picture.width)]
    expected_rows = {}
    found = []
    enemy = bytes(ENEMY_RED)
    for y in range(picture.height):
        row = (y - offset_y) // 10
        if row not in expected_rows:
            expected_rows[row] = b"".join(colour_bytes[block_at(ids, c, row)] for c in columns)
        expected, seen = expected_rows[row], picture.row(y)
        if expected == seen:
            continue
        for x in range(picture.width):
            at = 3 * x
            if seen[at:at + 3] == expected[at:at + 3] or seen[at:at + 3] == enemy:
                continue
            if in_any(x, y, skip):
                continue
            found.append((x, y, tuple(seen[at:at + 3]), tuple(expected[at:at + 3])))
            if len(found) >= limit:
                return found
    return found


def find_world_seed(picture, candidates, offset_x, offset_y, skip=()):
    """The seed among candidates whose world the picture shows, and that world's ids; fails
    with the closest candidates' first differences when none matches."""
    report = []
    for seed in candidates:
        ids = world_for_seed(seed)
        mismatches = world_mismatches(picture, ids, offset_x, offset_y, skip, limit=20)
        if not mismatches:
            return seed, ids
        report.append("seed %d: %s" % (seed, mismatches[:3]))
    raise HarnessError("the picture shows none of the worlds of the seeds tried:\n"
                       + "\n".join(report))


def sanitizer_reports():
    """The report files a sanitizer build has written so far into TELLURN_SANITIZER_LOG_DIR (its
    TSAN_OPTIONS or ASAN_OPTIONS log_path points there); none when that names no folder."""
    folder = os.environ.get("TELLURN_SANITIZER_LOG_DIR")
    if not folder or not Path(folder).is_dir():
        return []
    return sorted(str(p) for p in Path(folder).iterdir() if p.is_file())


class GameTestCase(unittest.TestCase):
    """A test case whose games run on their own virtual screen and working directory, all
    cleaned up after each test whatever happens. The console logs and the last screenshot of
    each test are kept in the artifacts directory."""

    def setUp(self):
        self.new_screen()
        self.workdirs = []
        self.games = []
        self.last_shot = None
        self.reports_before = sanitizer_reports()

    def new_screen(self):
        """Starts another virtual screen for the games started from now on, as after the end of
        the one before."""
        self.screen = VirtualScreen()
        self.addCleanup(self.screen.stop)
        self.screen.start()

    def tearDown(self):
        for game in self.games:
            game.kill()
        self._keep_artifacts()
        for workdir in self.workdirs:
            shutil.rmtree(workdir, ignore_errors=True)

    def assert_no_sanitizer_report(self):
        """Fails, printing them, when a sanitizer wrote reports since the test began."""
        new_reports = [r for r in sanitizer_reports() if r not in self.reports_before]
        for report in new_reports:
            print("---- %s\n%s" % (report, Path(report).read_text(errors="replace")[:20000]))
        self.assertEqual([], new_reports, "the sanitizer reported during the test")

    def _keep_artifacts(self):
        if TOOLS.artifacts is None:
            return
        target = Path(TOOLS.artifacts) / self.id().split(".", 1)[-1]
        shutil.rmtree(target, ignore_errors=True)
        target.mkdir(parents=True, exist_ok=True)
        for game in self.games:
            if game.console_path.exists():
                shutil.copy(game.console_path, target / game.console_path.name)
        # The shot the test looked at last, or else the screen as the harness last saw it.
        shots = [self.last_shot] + [game.latest_shot for game in reversed(self.games)]
        shot = next((s for s in shots if s is not None), None)
        if shot is not None:
            shot.save_png(target / "last-shot.png")

    def new_workdir(self, with_data=True):
        """A new working directory for a game, removed after the test, with a copy of data/
        unless told otherwise."""
        workdir = tempfile.mkdtemp(prefix="tellurn-e2e-")
        self.workdirs.append(workdir)
        if with_data:
            shutil.copytree(TOOLS.data, Path(workdir) / "data")
        return workdir

    def start_game(self, with_data=True, fake_start=None, workdir=None, fault=None):
        """Starts the game in a new working directory (with a copy of data/ unless told
        otherwise), or in the working directory of an earlier game (to find its save file).
        fake_start pins the clock the game starts with (seconds since 1970); fault makes a
        system call fail, as TELLURN_FAULT of tests/faults/fault_injection.c says."""
        if workdir is None:
            workdir = self.new_workdir(with_data)
        env = None
        if fault is not None and windows_game():
            if fault.split(":")[0] not in WINDOWS_FAULTS_LEFT_OUT:
                raise unittest.SkipTest("no library injects the fault %s into the Windows game"
                                        % fault)
            fault = None
        if fault is not None:
            if TOOLS.fault_library is None or not Path(TOOLS.fault_library).is_file():
                raise HarnessError("a fault needs the library --fault-library names (%s)"
                                   % TOOLS.fault_library)
            env = {"LD_PRELOAD": str(TOOLS.fault_library), "TELLURN_FAULT": fault}
        game = Game(self.screen, workdir, fake_start, "console-%d.txt" % len(self.games), env)
        self.games.append(game)
        game.start()
        return game

    def assert_closed_in_order(self, lines, before=()):
        """Fails unless the console ends as a game closed in order does (shutdown_problem)."""
        problem = shutdown_problem(lines, before)
        self.assertIsNone(problem, problem)

    def shot(self, game, window):
        """A screenshot of the window, kept for the artifacts if the test fails."""
        self.last_shot = game.window_shot(window)
        return self.last_shot


def main():
    """Runs the unittest main program of the calling module with the tools' paths taken from
    the command line."""
    here = Path(__file__).resolve().parent
    parser = argparse.ArgumentParser()
    parser.add_argument("--tellurn", required=True, type=Path)
    parser.add_argument("--close-window", required=True, type=Path)
    parser.add_argument("--world-dump", required=True, type=Path)
    parser.add_argument("--fault-library", type=Path, default=None)
    parser.add_argument("--emulator", action="append", default=None,
                        help="run the game and its tools under this program (a cross build's); "
                        "repeated, the words of its command")
    parser.add_argument("--data", type=Path, default=here.parent.parent / "data")
    parser.add_argument("--artifacts", type=Path, default=None)
    parser.add_argument("--time-scale", type=float, default=1.0,
                        help="stretch every timeout, e.g. for a sanitizer build")
    known, rest = parser.parse_known_args()
    vars(TOOLS).update(vars(known))
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)
