#!/usr/bin/env python3
"""Zips a folder the same way every time: entries sorted, folders listed, every time set to
SOURCE_DATE_EPOCH, modes fixed (programs 755, other files 644), so that the same files give the
same bytes.

    zip_folder.py PARENT FOLDER OUTPUT.zip

zips PARENT/FOLDER as FOLDER/... into OUTPUT.zip.
"""
import os
import sys
import time
import zipfile

# Zip's times start in 1980.
ZIP_EPOCH = 315532800


def entry(name, epoch, mode):
    info = zipfile.ZipInfo(name, time.gmtime(max(epoch, ZIP_EPOCH))[:6])
    info.create_system = 3  # Unix, whose mode bits the upper half of the attributes carries
    info.external_attr = mode << 16
    return info


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: zip_folder.py PARENT FOLDER OUTPUT.zip")
    parent, folder, output = sys.argv[1:]
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("zip_folder.py: set SOURCE_DATE_EPOCH to the source's time (a Unix time)")
    epoch = int(epoch)
    paths = []
    for directory, subdirectories, files in os.walk(os.path.join(parent, folder)):
        relative = os.path.relpath(directory, parent)
        paths.append((relative.replace(os.sep, "/") + "/", None))
        paths.extend(
            (os.path.join(relative, name).replace(os.sep, "/"), os.path.join(directory, name))
            for name in files)
    with zipfile.ZipFile(output, "w") as archive:
        for name, path in sorted(paths):
            if path is None:
                archive.writestr(entry(name, epoch, 0o40755), b"")
                continue
            program = name.lower().endswith(".exe")
            info = entry(name, epoch, 0o100755 if program else 0o100644)
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
