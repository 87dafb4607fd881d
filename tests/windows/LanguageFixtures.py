#!/usr/bin/env python3
"""Writes skin-like 7z archives holding translation files into OUT_DIR with
7zz, with the packing helpers of the toolkit's archive fixtures:

  language.7z   language.json: an array of entries in several languages
  malformed.7z  language.json that is not JSON
  empty.7z      an empty language.json
  exact.7z      a language.json of exactly the size limit (4 MiB)
  over.7z       a language.json one byte over the limit

    LanguageFixtures.py OUT_DIR 7ZZ
"""

import json
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "DuiLib"))
from ArchiveFixtures import LIMIT, pack, write  # noqa: E402

ENTRIES = [
    {"id": 104, "en-US": "Not enough disk space", "zh-CN": "磁盘空间不足，无法安装", "de-DE": "Zu wenig Speicherplatz",
     "id-ID": "Ruang disk tidak cukup", "es-ES": "Espacio en disco insuficiente"},
    {"id": 7, "en-US": "Seven", "zh-CN": "七", "de-DE": "Sieben", "id-ID": "Tujuh", "es-ES": "Siete"},
    {"id": 8, "en-US": "English only"},
]


def padded(entries, size):
    """The entries as JSON text followed by spaces up to exactly size bytes."""
    text = json.dumps(entries, ensure_ascii=False).encode("utf-8")
    return text + b" " * (size - len(text))


def main():
    out, sevenzip = sys.argv[1], sys.argv[2]
    shutil.rmtree(out, ignore_errors=True)
    limit_entries = [{"id": 104, "zh-CN": "四兆字节"}]
    archives = {
        "language": json.dumps(ENTRIES, ensure_ascii=False, indent=1).encode("utf-8"),
        "malformed": b'[{"id": 104, "zh-CN": "\xe6\x9c\xaa\xe5\xae\x8c"}, {"id": 7, "zh-CN": ',
        "empty": b"",
        "exact": padded(limit_entries, LIMIT),
        "over": padded(limit_entries, LIMIT + 1),
    }
    for name, data in archives.items():
        folder = os.path.join(out, name)
        write(os.path.join(folder, "language.json"), data)
        pack(sevenzip, os.path.join(out, name + ".7z"), folder, ["language.json"], ["-m0=lzma2", "-ms=on"])
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
