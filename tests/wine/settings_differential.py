"""Differential test of the launcher's INI codec against the system's profile
functions, under Wine with the ANSI code page 932.

ini_probe.exe (tests/wine/tools) takes a batch of cases and runs each through
GetPrivateProfileStringA / WritePrivateProfileStringA and through our codec
(IniGetString, IniSetString, ReadIni, WriteIni, SaveSettings, LoadSettings).
The cases are generated from fixed seeds (ini_read_corpus.py,
ini_write_corpus.py) and judged by ini_judges.py. A case passes when both sides
agree, or when they differ only in the named ways below, each shown
to be that way by recomputing what the other side must then give. Any other
difference fails the test.

Where Wine's profile functions are not what Windows does (a Wine
difference, each for the reason given):

- wine_cuts_whole_characters: Wine holds the file as UTF-16 and its ANSI
  wrapper converts the value into the caller's buffer, dropping a double-byte
  character that does not fit whole (254 bytes where we return 255, the last
  a lead byte). Windows documents the cut as one to the buffer's size in
  bytes: an ANSI file read through the ANSI call is copied as bytes.
- wine_quoted_value_loses_a_byte: for a quoted value whose inner text is one
  character shorter than the buffer, Wine copies the inner text without its
  closing quote and then removes the last character as if it were that quote.
  That is an off-by-one in Wine: a closing quote can only be dropped when it
  was copied, so Windows returns the whole inner text here.
- wine_damaged_pair_to_81_45, wine_lead_byte_swallows_line_end,
  wine_duplicate_code_normalised: Wine's trip through UTF-16 turns a lead
  byte with a byte that cannot follow it (or with nothing, or a NUL, after
  it) into the default character (81 45), even when that byte is the CR or LF
  that ends the line, and gives a character with two codes (the NEC and IBM
  rows) back under its other code. Windows does not convert an ANSI file for
  the ANSI call (see the first point): its bytes stay as they are, and a line
  ends at CR or LF whatever byte came before.
- wine_reads_utf8_bom: Wine takes a file starting with the UTF-8 byte-order
  mark as UTF-8. Windows' profile functions know ANSI and UTF-16 files only:
  there the mark is three bytes of the first line, so a "[Section]" right
  after it is no section header. Our codec reads it the same way.
- wine_drops_leading_blank (writer): Wine's WritePrivateProfileStringA skips
  the blanks at the start of a value. Windows writes the value as given: that
  is how the launcher's files came to hold "BGM区分= 2".
- wine_keeps_trailing_blanks_of_new_names (writer): a section or key that
  Wine creates keeps the blanks after its name (" Section " gives
  "[Section ]"). Which form Windows writes is not known here; it does not
  matter, as every reader trims names, so both forms read the same, and the
  launcher's names have no blanks. Ours writes the trimmed name.

Where our codec differs on purpose, or still differs from Windows:

- ours_refuses_unsafe_edit (writer): IniSetString refuses a value or name
  holding a CR or LF, a section holding ']', a key holding '=' or starting
  with '[', a name ending in a lone lead byte, and an empty name: each would
  be written as something that reads back otherwise, so the file is left as
  it was. The system writes them anyway.
- utf16_file: Windows reads and writes a profile file that starts with the
  UTF-16 byte-order mark as UTF-16 text, as Wine does. Our codec has no
  UTF-16 support: it reads such a file as bytes (no value found) and refuses
  to write it, leaving it as it is. A real difference from Windows, left
  open: the launcher writes its file in code page 932 itself, so a UTF-16
  file only appears when someone converts it by hand.

Not covered: asking for an empty section or key name. Wine then finds an
entry with an empty name ("=v", or a key above the first section); our codec
gives "" for an empty name, and the launcher never asks for one.

Writer results are compared byte for byte for a new file. Wine rewrites an
existing file whole in its own form (no blank lines, key=value without
blanks, CR LF everywhere), so there the two files are compared by what the
system reader reads from them: the section outline and every key.

Cases: reader_matches_system, reader_damaged_files, writer_matches_system,
settings_round_trip.
"""

import os

import harness
from harness import check
from ini_batch import Tally, batch_of_reads, hx, run_probe, unhex
from ini_judges import judge_read, judge_write
from ini_read_corpus import damaged_cases, read_cases
from ini_text import KIND, MUSIC, OUR_KEYS, REPEAT, SECTION, fold, strip_blanks
from ini_write_corpus import write_cases

JAPANESE = "ja_JP.UTF-8"


def judge_reads(session, name, cases, prefix, minimum_per_family):
    """Runs read cases through the probe and judges each; the tally."""
    tally = Tally(name)
    with harness.WineSession(session, locale=JAPANESE) as s:
        results = run_probe(s, batch_of_reads(cases, prefix))
    for case in cases:
        tally.family(case["family"])
        judge_read(tally, case, results[case["id"]])
    tally.finish(minimum_per_family)
    return tally


def reader_matches_system():
    tally = judge_reads("settings-reader", "reader_matches_system", read_cases(seed=932, count=3000), "r", 50)
    # The cut must really have been exercised: splits, quoted values that
    # fill the buffer, and double-byte characters ending just inside it.
    check(tally.differences.get("wine_cuts_whole_characters", 0) >= 20, "few values split at the cut")
    check(tally.differences.get("wine_quoted_value_loses_a_byte", 0) >= 3, "few quoted values fill the buffer")


def reader_damaged_files():
    tally = judge_reads("settings-damaged", "reader_damaged_files", damaged_cases(seed=1252, count=600), "d", 10)
    for name in ("wine_damaged_pair_to_81_45", "wine_lead_byte_swallows_line_end",
                 "wine_duplicate_code_normalised", "wine_reads_utf8_bom", "utf16_file"):
        check(tally.differences.get(name, 0) > 0, f"no case showed {name}")


def writer_matches_system():
    cases = write_cases(seed=1200, count=1500)
    tally = Tally("writer_matches_system")
    lines = []
    for i, case in enumerate(cases):
        case["id"] = f"w{i}"
        file = "-" if case["file"] is None else hx(case["file"])
        queries = " ".join(f"{hx(s_)}:{hx(k_)}" for s_, k_ in case["queries"])
        lines.append(f"W {case['id']} {file} {hx(case['section'])} {hx(case['key'])} {hx(case['value'])} {queries}")
    with harness.WineSession("settings-writer", locale=JAPANESE) as s:
        results = run_probe(s, lines)
    for case in cases:
        tally.family(case["family"])
        judge_write(tally, case, results[case["id"]])
    tally.finish(minimum_per_family=40)
    for name in ("wine_drops_leading_blank", "ours_refuses_unsafe_edit", "utf16_file", "wine_reads_utf8_bom"):
        check(tally.differences.get(name, 0) > 0, f"no case showed {name}")


# --- the settings --------------------------------------------------------------------------
def saved_value(data, key):
    """The bytes after '=' of the first line for key in the first [Section]."""
    line = saved_line(data, key)
    return None if line is None else line.split(b"=", 1)[1]


def saved_line(data, key):
    """The first line for key in the first [Section], without its line end."""
    inside = False
    for line in data.replace(b"\r\n", b"\n").split(b"\n"):
        stripped = strip_blanks(line)
        if stripped.startswith(b"[") and b"]" in stripped:
            if inside:
                return None
            inside = fold(stripped[1:stripped.rindex(b"]")]) == fold(SECTION)
        elif inside and b"=" in line and fold(line.split(b"=", 1)[0]) == fold(key):
            return line
    return None


SONG = "C:\\Music\\song.mp3"
KANA_SONG = "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト\\曲.wav"  # 表 and ソ end in the byte of '\'
LONG_SONG = "C:\\" + "d" * 290 + ".mp3"
FOREIGN = ("; Velmora settings\n[Other]\nBGM区分=9\n\n[section]\nbgm区分 = 1\nx=\"keep\"\n"
           "[Later]\ny=1\n").encode("cp932")
SAVES = [
    # (folder, existing file, kind, repeat, file, saved bytes or None, what the system reads, loaded)
    ("C:\\Velmora1", None, 2, 0, SONG,
     b"[Section]\r\n" + KIND + b"= 2\r\n" + REPEAT + b"= 0\r\n" + MUSIC + b"=" + SONG.encode() + b"\r\n",
     (b"2", b"0", SONG.encode()), (2, 0, SONG, "C:\\Music")),
    ("C:\\Velmora2", None, 1, -1, "",
     b"[Section]\r\n" + KIND + b"= 1\r\n" + REPEAT + b"=-1\r\n" + MUSIC + b"=\r\n",
     (b"1", b"-1", b""), (1, -1, "", "C:\\Velmora2")),
    ("C:\\Velmora3", None, 2, 12, KANA_SONG, None,
     (b"2", b"12", KANA_SONG.encode("cp932")), "kana"),
    ("C:\\Velmora4", FOREIGN, 2, 3, "C:\\gone.mp3", None,
     (b"2", b"3", b"C:\\gone.mp3"), (0, 3, "", "C:\\Velmora4")),  # the file is gone: no music
    ("C:\\Velmora5", None, 2, 0, LONG_SONG, None,
     (b"2", b"0", LONG_SONG.encode()[:255]), (0, 0, "", "C:\\Velmora5")),  # cut to 255 bytes: gone
    ("C:\\Velmora6", None, -32768, 32767, SONG, None,
     (b"-32768", b"32767", SONG.encode()), (-32768, 32767, SONG, "C:\\Music")),
]
LOADS = [
    # Files as the system writer or a person writes them, read by LoadSettings.
    ("C:\\Velmora7", b"[Section]\r\n" + KIND + b"=2\r\n" + REPEAT + b"=5\r\n" + MUSIC + b"=" + SONG.encode()
     + b"\r\n", (2, 5, SONG, "C:\\Music")),
    ("C:\\Velmora8", b"[section]\n" + KIND.lower() + b" =\t2.9 \n" + REPEAT + b"=abc\n",
     (0, 0, "", "C:\\Velmora8")),
    ("C:\\Velmora9", b"[Section]\r\n" + KIND + b"= 1\r\n" + REPEAT + b"= 99999\r\n" + MUSIC + b"=\"" +
     SONG.encode() + b"\"\r\n", (1, 0, SONG, "C:\\Music")),
]


def run_round_trips():
    """Every save and load through the probe: its results, and what each save's folder holds."""
    with harness.WineSession("settings-round-trip", locale=JAPANESE) as s:
        s.write_c(SONG, b"RIFF")
        # Made through the ANSI file functions, as a user's program would.
        lines = [f"F kana_song {hx(KANA_SONG.encode('cp932'))}"]
        for i, (folder, existing, kind, repeat, music, *_rest) in enumerate(SAVES):
            lines.append(f"S s{i} {hx(folder.encode('cp932'))} {'-' if existing is None else hx(existing)} "
                         f"{kind} {repeat} {hx(music.encode('cp932'))}")
        for i, (folder, data, _) in enumerate(LOADS):
            s.write_c(folder + "\\Velmora.ini", data)
            lines.append(f"L l{i} {hx(folder.encode('cp932'))}")
        results = run_probe(s, lines)
        return results, {folder: sorted(os.listdir(s.c_path(folder))) for folder, *_ in SAVES}


def loaded_settings(fields):
    """BgmKind, BgmRepeat, BgmFile and BgmFolder from the probe's fields."""
    return int(fields[0]), int(fields[1]), unhex(fields[2]).decode("cp932"), unhex(fields[3]).decode("utf-8")


def check_saved_lines(folder, existing, kind, repeat, data):
    """The three keys in [Section], in order, each number with its sign
    position; of an existing file, only the lines of our keys changed."""
    lines_of_keys = [saved_line(data, k) for k in OUR_KEYS]
    check(None not in lines_of_keys, f"{folder}: a key is missing from [Section]: {data!r}")
    at = [data.find(line) for line in lines_of_keys]
    check(at == sorted(at), f"{folder}: keys out of order: {data!r}")
    for key, number in ((KIND, kind), (REPEAT, repeat)):
        written = saved_value(data, key)
        want = (b" " if number >= 0 else b"") + str(number).encode()
        check(written == want, f"{folder}: {key!r} saved as {written!r}, not {want!r} with its sign position")
    if existing is not None:
        ours = {saved_line(existing, k) for k in OUR_KEYS}
        lost = [line for line in existing.split(b"\n") if line not in data.split(b"\n")]
        check(set(lost) <= ours, f"{folder}: lines lost: {lost}")


def settings_round_trip():
    """SaveSettings writes what the system reader and LoadSettings read back."""
    results, folders = run_round_trips()
    # This Wine names files on the host through the host's locale; without
    # a Japanese one installed it cannot make "表" at all. Then the row
    # shows the other half of the rule: a music file that cannot be opened
    # is dropped and music kind 2 becomes 0.
    kana_made = results["kana_song"][2] == "1"
    print("a file with a code page 932 name could be made:", kana_made)
    for i, (folder, existing, kind, repeat, music, saved, system_reads, loaded) in enumerate(SAVES):
        if loaded == "kana":
            folder_of_song = "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト"
            loaded = (2, 12, KANA_SONG, folder_of_song) if kana_made else (0, 12, "", folder)
        fields = results[f"s{i}"]
        data = unhex(fields[2])
        print(folder, data)
        check(folders[folder] == ["Velmora.ini"], f"{folder} holds {folders[folder]}")
        if saved is not None:
            check(data == saved, f"{folder}: saved {data!r}, expected {saved!r}")
        check_saved_lines(folder, existing, kind, repeat, data)
        for key, want, got in zip(OUR_KEYS, system_reads, fields[3:6]):
            check(unhex(got) == want, f"{folder}: the system reads {key!r} as {unhex(got)!r}, not {want!r}")
        got = loaded_settings(fields[6:10])
        check(got == loaded, f"{folder}: LoadSettings gave {got}, expected {loaded}")
    for i, (folder, data, loaded) in enumerate(LOADS):
        got = loaded_settings(results[f"l{i}"][2:6])
        check(got == loaded, f"{folder}: LoadSettings of {data!r} gave {got}, expected {loaded}")


CASES = {f.__name__: f for f in (reader_matches_system, reader_damaged_files, writer_matches_system,
                                 settings_round_trip)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
