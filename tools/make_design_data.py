#!/usr/bin/env python3
"""Writes the settings dialog's design data: the property bags its reusable
controls were stored with, in the form engine's bag format (see
forms/property_store.h), and a resource script that embeds them.

  tools/make_design_data.py OUTDIR     OUTDIR/design_data.rc and OUTDIR/*.vpb

The three Command buttons store their caption and font only (their size is
the form's placement); the banner stores its GIF, the custom pointer (99)
and the hand cursor as its MouseIcon. Every other value is the default, and
defaults are not stored."""

import os
import re
import struct
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(REPO, "assets")
IDS = os.path.join(REPO, "settings_dialog", "dialog_resources.h")

# Type codes of the bag format.
INT16, STRING, BYTES, FONT, PICTURE = 3, 6, 7, 8, 9
PICTURE_CURSOR = 3
SHIFT_JIS = 128

DIALOG_FONT = ("ＭＳ Ｐゴシック", 975, 400, SHIFT_JIS)  # 9.75 point, regular


def record(key, kind, value):
    key = key.lower().encode("ascii")
    return struct.pack("<H", len(key)) + key + struct.pack("<BI", kind, len(value)) + value


def font(name, centipoints, weight, charset):
    return struct.pack("<iHBB", centipoints, weight, 0, charset) + name.encode("utf-8")


def bag(records):
    return b"VPB\x01" + struct.pack("<I", len(records)) + b"".join(records)


def asset(name):
    with open(os.path.join(ASSETS, name), "rb") as f:
        return f.read()


def command(caption):
    return bag([record("Caption", STRING, caption.encode("utf-8")), record("Font", FONT, font(*DIALOG_FONT))])


BAGS = {
    "IDR_DESIGN_CMD_SET": ("cmd_set.vpb", lambda: command("設定")),
    "IDR_DESIGN_CMD_CAN": ("cmd_can.vpb", lambda: command("ｷｬﾝｾﾙ")),
    "IDR_DESIGN_CMD_FILE": ("cmd_file.vpb", lambda: command("...")),
    "IDR_DESIGN_UCANIGIF1": ("ucanigif1.vpb", lambda: bag([
        record("GIF", BYTES, asset("banner.gif")),
        record("MouseIcon", PICTURE, bytes((PICTURE_CURSOR,)) + asset("hand_cursor.cur")),
        record("MousePointer", INT16, struct.pack("<h", 99)),
    ])),
}


def main(out):
    os.makedirs(out, exist_ok=True)
    with open(IDS) as f:
        ids = dict(re.findall(r"#define (IDR_\w+) (\d+)", f.read()))
    lines = ["// Made by tools/make_design_data.py: the dialog's stored control properties.", ""]
    for ident, (name, make) in BAGS.items():
        data = make()
        path = os.path.join(out, name)
        # Rewrite only what changed, so the build does not relink for nothing.
        if not os.path.exists(path) or open(path, "rb").read() != data:
            with open(path, "wb") as f:
                f.write(data)
        lines.append(f'{ids[ident]} RCDATA "{os.path.abspath(path)}"  // {ident}')
    script = "\n".join(lines) + "\n"
    rc = os.path.join(out, "design_data.rc")
    if not os.path.exists(rc) or open(rc).read() != script:
        with open(rc, "w") as f:
            f.write(script)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
