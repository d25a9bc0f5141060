#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes resources/DocTypes.plist, the QuarkXPress signature table.

Each entry is keyed by the first 14 bytes of a document as 28 uppercase hex
digits (byte 0 always "00"). The facts come from public notes on QuarkXPress
file heads and from real documents:

  bytes 2-3    "MM" (Mac, big-endian words) or "II" (Windows, little-endian)
  bytes 4-7    "XPR" and a language letter: "3" English, "a" Korean
  bytes 8-9    version word: low byte the release code, high byte 00 up to
               release 6 and 20 from release 7 on (6.1 multi-language: 20)
  bytes 10-11  the same word again; 3.1 on the Mac writes 0x0038 there
  bytes 12-13  kind of file (00 00 in 3.x; DC/TP/WD in 4-5; XP/XT from 6)

Run it from anywhere; it rewrites the table in place.
"""

import plistlib
from pathlib import Path

LANGUAGES = ["3", "a"]

# release name (the second half of the settings key), codes, platforms
RELEASES = [
    ("3", [0x39], "M"),  # 3.1 Mac
    ("3", [0x3A, 0x3E], "W"),  # 3.1 Windows
    ("3", [0x3C, 0x3F], "MW"),  # 3.2, 3.3
    ("4", [0x40, 0x41], "MW"),
    ("5", [0x42], "MW"),
    ("6", [0x43], "MW"),
    ("7", [0x44], "MW"),
    ("8", [0x45], "MW"),
    ("9", [0x46, 0x47, 0x48], "MW"),
    ("10", [0x49, 0x4A], "MW"),
    ("2015", [0x4B], "MW"),
    ("2016", [0x4C], "MW"),
    ("2017", [0x4D], "MW"),
    ("2018", [0x4E], "MW"),
    ("2019", [0x4F], "MW"),
]



def kinds(release):
    """(bytes 12-13, ext, type) of every kind of file a release writes."""
    if release == "3":
        return [(b"\0\0", "qxd", "XDOC")]
    if release == "4":
        return [(b"DC", "qxd", "XDOC"), (b"TP", "qxt", "XTMP")]
    if release == "5":
        return [(b"DC", "qxd", "XDOC"), (b"TP", "qxt", "XTMP"), (b"WD", "qwd", "XDOC")]
    return [(b"XP", "qxp", "XDOC"), (b"XT", "qpt", "XTMP")]


def high_bytes(release):
    if release in ("3", "4", "5"):
        return [0x00]
    if release == "6":
        return [0x00, 0x20]
    return [0x20]


def word(value, os):
    return value.to_bytes(2, "big" if os == "M" else "little")


def entries():
    table = {}
    for release, codes, platforms in RELEASES:
        for os in platforms:
            order = b"MM" if os == "M" else b"II"
            for code in codes:
                for high in high_bytes(release):
                    version = word((high << 8) | code, os)
                    # 3.1 on the Mac writes 0x0038 as its second word.
                    seconds = [version]
                    if code == 0x39:
                        seconds = [word(0x0038, os), version]
                    for second in seconds:
                        for letter in LANGUAGES:
                            for kind, ext, ftype in kinds(release):
                                head = (b"\0\0" + order + b"XPR" + letter.encode()
                                        + version + second + kind)
                                assert len(head) == 14
                                key = head.hex().upper()
                                table[key] = {"v": release, "os": os, "ext": ext, "type": ftype}
    return table


def main():
    out = Path(__file__).resolve().parent.parent / "resources" / "DocTypes.plist"
    with open(out, "wb") as f:
        plistlib.dump({"Quark": entries()}, f, fmt=plistlib.FMT_XML, sort_keys=True)


if __name__ == "__main__":
    main()
