#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes foreign.bplist and foreign.xml: one settings dictionary of values
that Tavo's own writer never made, as Python's plistlib writes it, in both
formats. Run from this folder; the output is checked in."""
import datetime
import plistlib

values = {
    "before 1902": datetime.datetime(1850, 1, 1, 12, 0, 0),
    "after 2038": datetime.datetime(2100, 6, 1, 0, 0, 0),
    "year 1": datetime.datetime(1, 1, 1, 0, 0, 0),
    "year 9999": datetime.datetime(9999, 12, 31, 23, 59, 59),
    "largest unsigned": 2**64 - 1,
    "2^63": 2**63,
    "smallest": -(2**63),
    "real": 0.1,
    "infinity": float("-inf"),
    "text": "Grüße 💀 & <tags>",
    "data": bytes(range(256)),
    "nested": {"list": [1, [True, {}], []], "when": datetime.datetime(1601, 1, 1)},
}
with open("foreign.xml", "wb") as f:
    # plistlib writes no UID to XML; Apple's tools write this dictionary.
    plistlib.dump(dict(values, uid={"CF$UID": 7}), f, fmt=plistlib.FMT_XML)
with open("foreign.bplist", "wb") as f:
    plistlib.dump(dict(values, uid=plistlib.UID(7)), f, fmt=plistlib.FMT_BINARY)
