#!/usr/bin/env python3
"""(Re)generates the settings dialog's built-in pictures in assets/.

  tools/make_dialog_art.py [all]   every picture below
  tools/make_dialog_art.py sheet   dialog_sheet.bmp, 450 x 319: paper with a curled corner
  tools/make_dialog_art.py marks   radio_{round,square}_{off,on}.bmp
  tools/make_dialog_art.py icon    program_icon.ico, 64, 48, 32 and 16 pixels square, 256 colours
  tools/make_dialog_art.py cursor  hand_cursor.cur, 32 x 32, hot spot (12, 1)
  tools/make_dialog_art.py banner  banner.gif, 120 x 50, 25 frames

Needs ImageMagick's convert and the DejaVu fonts for the banner's lettering.
"""

import os
import sys

from art_banner import make_banner
from art_icons import make_cursor, make_icon
from art_sheet import make_sheet, round_mark, square_mark
from make_assets import ASSETS


def write(name, data):
    path = os.path.join(ASSETS, name)
    with open(path, "wb") as f:
        f.write(data)
    print(path)


MAKERS = {
    "sheet": lambda: write("dialog_sheet.bmp", make_sheet()),
    "marks": lambda: [write("radio_round_off.bmp", round_mark(False)),
                      write("radio_round_on.bmp", round_mark(True)),
                      write("radio_square_off.bmp", square_mark(False)),
                      write("radio_square_on.bmp", square_mark(True))],
    "icon": lambda: write("program_icon.ico", make_icon()),
    "cursor": lambda: write("hand_cursor.cur", make_cursor()),
    "banner": lambda: write("banner.gif", make_banner()),
}

if __name__ == "__main__":
    which = sys.argv[1:] or ["all"]
    if which == ["all"]:
        which = list(MAKERS)
    if any(w not in MAKERS for w in which):
        print(__doc__)
        sys.exit(64)
    for w in which:
        MAKERS[w]()
