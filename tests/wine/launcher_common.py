"""What the launcher's tests share: installing the pair on the prefix's C:
drive, the marker titles, and the settings file's bytes."""

import os
import shutil

import harness

SCR = os.path.join(harness.DIST, "Velmora.scr")
DLL = os.path.join(harness.DIST, "Velmora.dll")
RUN_TITLE = "Nimbel_Main"
SETTINGS_TITLE = "<Velmora>"
RENDERER_TITLE = "Nimbel_VC"
PREVIEW_TITLE = "Preview Window"
SCRATCH = "C:\\q_vesk"
TEXTURE = "C:\\q_vesk\\Nimbel.bmp"
WM_CLOSE = 0x0010
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
MISSING_RENDERER = "Velmora.dll が同じﾌｫﾙﾀﾞに見つかりません！"
# The launcher's user interface is for Japanese Windows: code page 932.
JAPANESE = "ja_JP.UTF-8"


def install(session, folder="C:\\Velmora", renderer=DLL, launcher=SCR):
    """Copies the launcher (and a renderer, unless None) into a folder on C:;
    returns the host path of the installed Velmora.scr."""
    target = session.c_path(folder)
    os.makedirs(target, exist_ok=True)
    shutil.copyfile(launcher, os.path.join(target, "Velmora.scr"))
    if renderer:
        shutil.copyfile(renderer, os.path.join(target, "Velmora.dll"))
    return os.path.join(target, "Velmora.scr")


def settings_bytes(kind=None, repeat=None, music_file=None, newline="\r\n"):
    """A Velmora.ini as the settings dialog writes it (code page 932)."""
    lines = ["[Section]"]
    if kind is not None:
        lines.append(f"BGM区分= {kind}")
    if repeat is not None:
        lines.append(f"BGMﾘﾋﾟｰﾄ= {repeat}")
    if music_file is not None:
        lines.append(f"BGMﾌｧｲﾙ={music_file}")
    return (newline.join(lines) + newline).encode("cp932")


def children(session, parent):
    """Child windows of a window, as dicts, via the inspector."""
    code, out = session.run(session.tool("window_tool.exe"), ["children", str(parent)])
    result = []
    for line in out.splitlines():
        facts = {}
        head, _, title = line.partition(" title=")
        for field in head.split():
            key, _, value = field.partition("=")
            facts[key] = value
        if not facts:
            continue
        facts["title"] = title
        facts["style"] = int(facts["style"], 16)
        facts["rect"] = tuple(int(v) for v in facts["rect"].split(","))
        for key in ("hwnd", "visible", "pid"):
            facts[key] = int(facts[key])
        result.append(facts)
    return result
