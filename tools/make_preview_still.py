#!/usr/bin/env python3
"""Makes assets/preview_still.bmp from a real screenshot of the renderer under
Wine, flying the built-in ring texture (needs the win64 build)."""

import os
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
sys.path.insert(0, os.path.join(REPO, "tools"))
import harness  # noqa: E402
import make_assets  # noqa: E402

SECONDS = float(sys.argv[1]) if len(sys.argv) > 1 else 3.4

with harness.WineSession("preview-still", screen=(1024, 768)) as s:
    with open(os.path.join(REPO, "assets", "ring_texture.bmp"), "rb") as f:
        s.write_c("C:\\q_vesk\\Nimbel.bmp", f.read())
    s.start(os.path.join(harness.DIST, "Velmora.dll"))
    s.wait_window("Nimbel_VC", visible=True)
    time.sleep(SECONDS)
    shot = s.screenshot("renderer")
    print(make_assets.make_preview(shot))
