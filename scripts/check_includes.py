#!/usr/bin/env python3
"""Fails when a game source includes a header from a folder above its own, or an operating
system's or window system's header outside the platform files.

The game's folders, lowest first: base, world, actors, presentation, core. A file may include
headers of its own folder and of the folders below it, never of one above. Only a platform file,
named for its platform (base/*_posix.cpp, base/*_windows.cpp or .h, base/*_x11.cpp), includes the
system's own headers: everything else reaches the system through base/'s headers."""
import re
import subprocess
import sys

FOLDERS = ["base", "world", "actors", "presentation", "core"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')
SYSTEM_INCLUDE = re.compile(
    r'^\s*#\s*include\s+<(fcntl\.h|unistd\.h|sys/[^>]*|malloc\.h|signal\.h|csignal|'
    r'pthread\.h|windows\.h|io\.h|X11/[^>]*)>')
PLATFORM_FILE = re.compile(r"^base/\w+_(posix|windows|x11)\.(cpp|h)$")


def main():
    files = subprocess.run(
        ["git", "ls-files", *(f"{folder}/*" for folder in FOLDERS)],
        capture_output=True, text=True, check=True).stdout.split()
    upward = []
    for path in files:
        own = FOLDERS.index(path.split("/")[0])
        with open(path, encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if match and match.group(1) in FOLDERS and FOLDERS.index(match.group(1)) > own:
                    upward.append(f"{path}:{number}: includes {match.group(1)}/ from below it")
                system = SYSTEM_INCLUDE.match(line)
                if system and not PLATFORM_FILE.match(path):
                    upward.append(f"{path}:{number}: includes <{system.group(1)}> outside the "
                                  "platform files; add what it needs to a base/ header")
    for line in upward:
        print(line)
    if upward:
        print(f"lint: {len(upward)} includes point up or reach the system; the order is "
              f"{', '.join(FOLDERS)}")
        return 1
    print(f"lint: every include of {len(files)} game files points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
