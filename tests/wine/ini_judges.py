"""How the settings differential test judges one case: the two sides agree,
or differ only in a named way, shown by recomputing the other side."""

from ini_batch import unhex
from ini_text import (BLANKS, CR, LF, chars, documented_read, is_lead, strip_blanks, wine_read)


# --- the reader --------------------------------------------------------------------------
def judge_read(tally, case, fields):
    """case: dict with file, section, key, size, raw (the value's text in the
    file, None when the key is not there)."""
    _, cid, _, system, ours, read_ini, view, ours_on_view = fields
    system, ours, read_ini = unhex(system), unhex(ours), unhex(read_ini)
    raw, size = case["raw"], case["size"]
    where = f"{case['family']} #{cid} size {size} file {case['file']!r} section {case['section']!r} " \
            f"key {case['key']!r}"
    if size == 256 and read_ini != ours:
        tally.fail(f"{where}: ReadIni {read_ini!r} but IniGetString {ours!r}")
    expected = b"" if raw is None else documented_read(raw, size)
    if case.get("damaged"):
        return judge_damaged(tally, case, where, system, ours, view, ours_on_view)
    if ours != expected:
        tally.fail(f"{where}: ours {ours!r}, expected {expected!r}")
        return
    if view != "=":
        tally.fail(f"{where}: the system changes this file's bytes as it loads it: {unhex(view)!r}")
        return
    if system == ours:
        return
    names, wine = wine_read(raw, size) if raw is not None else (set(), b"")
    if names and system == wine:
        tally.allow(names)
        return
    tally.fail(f"{where}: system {system!r}, ours {ours!r}")


def damage_causes(file, view):
    """Why the system's view of the file differs from its bytes."""
    if file.startswith(b"\xef\xbb\xbf"):
        return {"wine_reads_utf8_bom"}
    if file.startswith((b"\xff\xfe", b"\xfe\xff")):
        return {"utf16_file"}
    causes, at = set(), 0
    for c in chars(file):
        seen = view[at:at + 2] if len(c) == 2 or is_lead(c[0]) else view[at:at + 1]
        if seen != c:
            if len(c) == 2 and c[1] in (CR, LF):
                causes.add("wine_lead_byte_swallows_line_end")
            elif seen == b"\x81\x45":
                causes.add("wine_damaged_pair_to_81_45")
            elif len(c) == 2 and len(seen) == 2:
                causes.add("wine_duplicate_code_normalised")
            else:
                causes.add(f"unexplained change at byte {at}: {c!r} became {seen!r}")
        at += len(seen)
    return causes


def judge_damaged(tally, case, where, system, ours, view, ours_on_view):
    file = case["file"] or b""
    if case["raw"] is not None and ours != documented_read(case["raw"], case["size"]):
        tally.fail(f"{where}: ours {ours!r}, expected {documented_read(case['raw'], case['size'])!r}")
        return
    ours_on_view = unhex(ours_on_view)
    view = file if view == "=" else unhex(view)
    # Whatever the bytes, the system reads what our reader reads from the
    # file's text as the system converted it.
    if system != ours_on_view:
        tally.fail(f"{where}: system {system!r}, ours on the system's view {ours_on_view!r}")
        return
    if system == ours:
        return
    causes = damage_causes(file, view)
    unexplained = [c for c in causes if c.startswith("unexplained")]
    if not causes or unexplained:
        tally.fail(f"{where}: system {system!r}, ours {ours!r}: {unexplained or 'no cause'}")
        return
    tally.allow(causes)



# --- the writer --------------------------------------------------------------------------
def refusal(file, section, key, value):
    """Why IniSetString refuses this edit, or None."""
    section = strip_blanks(section.split(b"\0")[0])
    key = strip_blanks(key.split(b"\0")[0])
    value = value.split(b"\0")[0]
    if not section or not key:
        return "empty name"
    if any(b in text for text in (section, key, value) for b in (b"\r", b"\n")):
        return "line end"
    if any(c == b"]" for c in chars(section)):
        return "']' in the section"
    if any(c == b"=" for c in chars(key)) or key.startswith(b"["):
        return "'=' in the key or '[' first"
    for name in (section, key):
        last = chars(name)[-1]
        if len(last) == 1 and is_lead(last[0]):
            return "lone lead byte at the end of a name"
    if file and file.startswith((b"\xff\xfe", b"\xfe\xff")):
        return "UTF-16 file"
    return None


def documented_new_file(section, key, value):
    return b"[" + strip_blanks(section) + b"]\r\n" + strip_blanks(key) + b"=" + value + b"\r\n"


def wine_new_file(section, key, value):
    return b"[" + section.lstrip(BLANKS) + b"]\r\n" + key.lstrip(BLANKS) + b"=" + value.lstrip(BLANKS) + b"\r\n"


def edited_region(before, after):
    """(start, removed, inserted): after is before with before[start:start +
    len(removed)] replaced by inserted, as small as possible."""
    start = 0
    while start < min(len(before), len(after)) and before[start] == after[start]:
        start += 1
    end = 0
    while end < min(len(before), len(after)) - start and before[-1 - end] == after[-1 - end]:
        end += 1
    return start, before[start:len(before) - end], after[start:len(after) - end]


def judge_write(tally, case, fields):
    (_, cid, ok, system_file, ours_file, pure, system_outline, ours_outline), values = fields[:8], fields[8:]
    file, section, key, value = case["file"], case["section"], case["key"], case["value"]
    system_file, ours_file, pure = unhex(system_file), unhex(ours_file), unhex(pure)
    n = len(case["queries"])
    sys_on_sys, sys_on_ours, ours_on_ours = values[:n], values[n:2 * n], values[2 * n:]
    where = f"{case['family']} #{cid} file {file!r} [{section!r}] {key!r}={value!r}"

    reason = refusal(file, section, key, value)
    if reason:
        # The file stays as it was, whatever the system does with the edit.
        if pure is not None or ours_file != file:
            tally.fail(f"{where}: {reason}, yet ours wrote {ours_file!r}")
            return
        tally.allow(["utf16_file" if reason == "UTF-16 file" else "ours_refuses_unsafe_edit"])
        return
    if pure is None or ours_file != pure:
        tally.fail(f"{where}: ours refused or WriteIni wrote other bytes: pure {pure!r}, file {ours_file!r}")
        return
    if ok != "1":
        tally.fail(f"{where}: the system writer failed")
        return
    # Our reader reads back what was written (blanks trimmed, quotes removed).
    target = case["queries"].index((section, key))
    if unhex(ours_on_ours[target]) != documented_read(strip_blanks(value), 4096):
        tally.fail(f"{where}: ours reads back {unhex(ours_on_ours[target])!r}")
        return

    if not file:
        judge_new_file(tally, where, case, system_file, ours_file)
    else:
        judge_edited_file(tally, where, case, ours_file, (system_outline, ours_outline),
                          (sys_on_sys, sys_on_ours, ours_on_ours))


def judge_new_file(tally, where, case, system_file, ours_file):
    section, key, value = case["section"], case["key"], case["value"]
    if ours_file != documented_new_file(section, key, value):
        tally.fail(f"{where}: new file {ours_file!r}")
    elif system_file != ours_file:
        names = set()
        if value[:1] and value[:1] in BLANKS:
            names.add("wine_drops_leading_blank")
        if section.rstrip(BLANKS) != section or key.rstrip(BLANKS) != key:
            names.add("wine_keeps_trailing_blanks_of_new_names")
        if names and system_file == wine_new_file(section, key, value):
            tally.allow(names)
        else:
            tally.fail(f"{where}: new file: system {system_file!r}, ours {ours_file!r}")


def judge_edited_file(tally, where, case, ours_file, outlines, reads):
    """An existing file: the edit touches one line, or adds lines in one place;
    the system reads the same outline and values from both files."""
    file = case["file"]
    system_outline, ours_outline = outlines
    sys_on_sys, sys_on_ours, ours_on_ours = reads
    start, removed, inserted = edited_region(file, ours_file)
    if b"\r" in removed or b"\n" in removed:
        tally.fail(f"{where}: ours changed more than one line: {removed!r} became {inserted!r}")
        return
    if file.startswith(b"\xef\xbb\xbf"):
        # Wine took the first line for the header; we, as Windows, do not.
        if system_outline != ours_outline:
            tally.allow(["wine_reads_utf8_bom"])
            return
    if system_outline != ours_outline:
        tally.fail(f"{where}: outlines differ: system {unhex(system_outline)!r}, ours {unhex(ours_outline)!r}")
        return
    for (qs, qk), a, b, c in zip(case["queries"], sys_on_sys, sys_on_ours, ours_on_ours):
        if a != b:
            tally.fail(f"{where}: [{qs!r}] {qk!r}: system file reads {unhex(a)!r}, ours {unhex(b)!r}")
            return
        if b != c:
            tally.fail(f"{where}: [{qs!r}] {qk!r} in our file: system reads {unhex(b)!r}, ours {unhex(c)!r}")
            return
