#!/usr/bin/env python3
"""Writes the archive test fixtures into OUT_DIR with 7zz:

  disk/            skin-like files on disk (limits, byte-order mark)
  limits.7z        the same files in a solid LZMA2 archive
  blocks.7z        three stored files, each its own block
  broken-block.7z  blocks.7z with a byte of its middle file flipped

    ArchiveFixtures.py OUT_DIR 7ZZ
"""

import os
import shutil
import subprocess
import sys

LIMIT = 4 * 1024 * 1024


def xml_of_size(size):
    """A well-formed skin document of exactly size bytes."""
    head = b'<?xml version="1.0" encoding="UTF-8"?>\n<Window size="10,10"><!--'
    tail = b'--><VerticalLayout /></Window>\n'
    return head + b"x" * (size - len(head) - len(tail)) + tail


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def pack(sevenzip, archive, folder, names, options):
    if os.path.exists(archive):
        os.remove(archive)
    subprocess.run([sevenzip, "a", "-t7z", "-bd", "-bso0"] + options + [archive] + names, cwd=folder, check=True)


def main():
    out, sevenzip = sys.argv[1], sys.argv[2]
    disk = os.path.join(out, "disk")
    shutil.rmtree(out, ignore_errors=True)
    files = {
        "exact.xml": xml_of_size(LIMIT),
        "over.xml": xml_of_size(LIMIT + 1),
        "empty.xml": b"",
        "bom.xml": b"\xEF\xBB\xBF<Window size=\"1,1\"><VerticalLayout /></Window>",
        "sub/deep.xml": b"<Window><VerticalLayout /></Window>",
    }
    for name, data in files.items():
        write(os.path.join(disk, name), data)
    pack(sevenzip, os.path.join(out, "limits.7z"), disk, sorted(files), ["-m0=lzma2", "-ms=on"])

    stored = os.path.join(out, "stored")
    blocks = {"one.txt": b"FIRST-FILE " * 50, "two.txt": b"SECOND-FILE " * 50, "three.txt": b"THIRD-FILE " * 50}
    for name, data in blocks.items():
        write(os.path.join(stored, name), data)
    intact = os.path.join(out, "blocks.7z")
    pack(sevenzip, intact, stored, sorted(blocks), ["-m0=copy", "-ms=off"])
    with open(intact, "rb") as f:
        data = bytearray(f.read())
    at = data.find(b"SECOND-FILE")
    if at < 0:
        sys.exit("stored data of two.txt not found in blocks.7z")
    data[at + 3] ^= 0x20
    write(os.path.join(out, "broken-block.7z"), bytes(data))
    shutil.rmtree(stored)
    with open(os.path.join(out, "not-an-archive.7z"), "wb") as f:
        f.write(b"plain text, no archive signature\n")


if __name__ == "__main__":
    main()
