"""Differential test of the launcher's INI codec against the system's profile
functions, under Wine with the ANSI code page 932.

ini_probe.exe (tests/wine/tools) takes a batch of cases and runs each through
GetPrivateProfileStringA / WritePrivateProfileStringA and through our codec
(IniGetString, IniSetString, ReadIni, WriteIni, SaveSettings, LoadSettings).
The cases are generated here from fixed seeds. A case passes when both sides
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
import random

import harness
from harness import check

JAPANESE = "ja_JP.UTF-8"
BATCH = "C:\\probe\\batch.txt"
OUTPUT = "C:\\probe\\output.txt"
WORK = "C:\\ini_probe"

SECTION = b"Section"
KIND = "BGM区分".encode("cp932")
REPEAT = "BGMﾘﾋﾟｰﾄ".encode("cp932")
MUSIC = "BGMﾌｧｲﾙ".encode("cp932")
OUR_KEYS = (KIND, REPEAT, MUSIC)
BLANKS = b" \t\v\f\x1a"  # what both sides trim around names and values
CR, LF = 0x0D, 0x0A


# --- code page 932 -------------------------------------------------------------------
def is_lead(byte):
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def chars(text):
    """The characters of code page 932 text: a lead byte takes the byte after
    it, unless that is a NUL or there is none."""
    out, i = [], 0
    while i < len(text):
        n = 2 if is_lead(text[i]) and i + 1 < len(text) and text[i + 1] != 0 else 1
        out.append(text[i:i + n])
        i += n
    return out


def _round_trip_pairs():
    """Double-byte characters with one code each: JIS rows, no NEC or IBM extras."""
    pairs = []
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xEB)):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            code = bytes([lead, trail])
            if lead == 0x87:
                continue  # NEC row 13: several of its characters have a second code
            try:
                if code.decode("cp932").encode("cp932") == code:
                    pairs.append(code)
            except UnicodeError:
                pass
    return pairs


PAIRS = _round_trip_pairs()
PAIR_SET = set(PAIRS)
# Trail bytes that look like something else: '\', '[', ']', '|', '@', letters.
TRICKY = [p for p in PAIRS if p[1] in b"\\[]|@`~AaZzKkSs"]
HALF_WIDTH = [bytes([b]) for b in range(0xA1, 0xE0)]
ASCII_WORD = b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-."
# Two codes for one character: the NEC row 13 form of '∵' and '≒', the
# NEC-selected form of an IBM extension, and IBM's small roman numeral one.
DUPLICATES = [b"\x87\x9a", b"\x87\x90", b"\xed\x40", b"\xee\xef", b"\xfa\x54"]
assert "∵".encode("cp932") == b"\x81\xe6" and b"\x87\x9a".decode("cp932") == "∵"


def strip_blanks(text):
    return text.strip(BLANKS)


def fold(name):
    """A name as both sides compare them: trimmed, ASCII letters upper-cased
    outside double-byte characters."""
    out = b""
    for c in chars(strip_blanks(name)):
        out += c.upper() if len(c) == 1 and c < b"\x80" else c
    return out


def unquote(raw):
    """(value, quoted): one pair of matching quotes around the whole value goes."""
    cs = chars(raw)
    if len(cs) >= 2 and cs[0] in (b'"', b"'") and cs[-1] == cs[0]:
        return raw[1:-1], True
    return raw, False


def documented_read(raw, size):
    """What the reader gives for a value whose text in the file is raw: the
    quotes removed, then cut to size - 1 bytes."""
    if size == 0:
        return b""
    return unquote(raw)[0][:size - 1]


def wine_read(raw, size):
    """What Wine gives: it works in characters, drops one character for the
    closing quote when the buffer holds exactly the rest, and converts into
    size - 1 bytes without splitting a character. (names, result)"""
    if size == 0:
        return set(), b""
    cs = chars(raw)
    names = set()
    quoted = len(cs) >= 2 and cs[0] in (b'"', b"'") and cs[-1] == cs[0]
    if quoted:
        cs = cs[1:]
    copy = cs[:size - 1]
    if quoted and size >= len(cs):
        if len(cs) == size:
            names.add("wine_quoted_value_loses_a_byte")
        copy = copy[:-1]
    out = b""
    for c in copy:
        if len(out) + len(c) > size - 1:
            names.add("wine_cuts_whole_characters")
            break
        out += c
    return names, out


# --- the probe -------------------------------------------------------------------------
def hx(data):
    return data.hex() if data else "."


def unhex(field):
    if field == "-":
        return None
    return b"" if field == "." else bytes.fromhex(field)


def run_probe(session, lines):
    """Runs one batch; the output lines by case id, as lists of fields."""
    session.write_c(BATCH, ("\n".join(lines) + "\n").encode("ascii"))
    code, out = session.run(session.tool("ini_probe.exe"), [BATCH, OUTPUT], timeout=170)
    check(code == 0, f"ini_probe exit code {code}: {out}")
    text = session.read_c(OUTPUT).decode("ascii").splitlines()
    check(text[0] == "acp 932", f"the probe ran with {text[0]!r}, not the ANSI code page 932")
    check(text[-1] == "overruns 0", f"the system reader wrote past its buffer: {text[-1]}")
    results = {}
    for line in text[1:-1]:
        fields = line.split(" ")
        results[fields[1]] = fields
    check(len(results) == len(lines), f"{len(lines)} cases sent, {len(results)} answered")
    leftovers = [n for n in os.listdir(session.c_path(WORK)) if n.endswith(".new")]
    check(not leftovers, f"temporary files left by a save: {leftovers[:5]}")
    return results


class Tally:
    """Counts of families and named differences, and the failures, for the report."""

    def __init__(self, name):
        self.name = name
        self.families = {}
        self.differences = {}
        self.failures = []

    def family(self, name):
        self.families[name] = self.families.get(name, 0) + 1

    def allow(self, names):
        for name in names:
            self.differences[name] = self.differences.get(name, 0) + 1

    def fail(self, message):
        self.failures.append(message)

    def finish(self, minimum_per_family=1):
        total = sum(self.families.values())
        print(f"{self.name}: {total} cases")
        for family, count in sorted(self.families.items()):
            print(f"  family {family}: {count}")
        for name, count in sorted(self.differences.items()):
            print(f"  allowed difference {name}: {count}")
        for message in self.failures[:25]:
            print("  FAIL", message)
        check(not self.failures, f"{len(self.failures)} of {total} cases differ in a way not named")
        for family, count in self.families.items():
            check(count >= minimum_per_family, f"family {family}: only {count} cases")


# --- generating files ------------------------------------------------------------------
class Maker:
    """Random pieces of INI text, in code page 932."""

    def __init__(self, seed):
        self.r = random.Random(seed)

    def pick(self, seq):
        return self.r.choice(seq)

    def chance(self, p):
        return self.r.random() < p

    def dbcs(self):
        return self.pick(TRICKY) if self.chance(0.3) else self.pick(PAIRS)

    def word(self, lo=1, hi=8, style=None):
        style = style or self.pick(("ascii", "ascii", "dbcs", "kana", "mixed"))
        out = b""
        for _ in range(self.r.randint(lo, hi)):
            if style == "ascii" or (style == "mixed" and self.chance(0.5)):
                out += bytes([self.pick(ASCII_WORD)])
            elif style == "kana" or (style == "mixed" and self.chance(0.3)):
                out += self.pick(HALF_WIDTH)
            else:
                out += self.dbcs()
        return out

    def blanks(self, most=3):
        if not self.chance(0.4):
            return b""
        pool = b" \t" if self.chance(0.8) else BLANKS
        return bytes(self.pick(pool) for _ in range(self.r.randint(1, most)))

    def case_variant(self, name):
        out = b""
        for c in chars(name):
            if len(c) == 1 and c.isalpha() and c < b"\x80" and self.chance(0.5):
                c = c.swapcase()
            out += c
        return out

    def newline(self):
        return self.pick((b"\r\n", b"\r\n", b"\n", b"\n", b"\r"))

    def value(self):
        kind = self.r.randint(0, 9)
        if kind == 0:
            return self.pick((b" 2", b"2", b"-1", b" 0", b"2.9", b"abc", b" 32767", b"99999"))
        if kind == 1:
            return b"C:\\" + b"\\".join(self.word(1, 6) for _ in range(self.r.randint(1, 3))) + b".mp3"
        if kind == 2:
            q = self.pick((b'"', b"'"))
            return q + self.blanks() + self.word(0, 10) + self.blanks() + q
        if kind == 3:
            return self.pick((b'"', b"'", b'""', b"''", b'"a\'', b'"a" b', b'""x""', b'x"', b"'"))
        if kind == 4:
            return self.word(1, 5) + self.pick((b"=", b";", b"[", b"]", b" = ", b"#")) + self.word(0, 5)
        if kind == 5:
            return b""
        if kind == 6:
            return self.word(1, 30, "dbcs")
        return self.word(1, 20)

    def key_unlike(self, *targets):
        folded = {fold(t) for t in targets}
        while True:
            key = self.pick((self.word(), self.word(), self.pick(OUR_KEYS), self.pick((b"k", b"K", b"bgm", b"Key"))))
            if fold(key) not in folded and fold(key) and not key.startswith((b"[", b";")) and b"=" not in key:
                return key

    def section_unlike(self, target):
        while True:
            name = self.pick((self.word(1, 8), b"Other", b"Sections", b"Sectio", b"Section2", b"BGM", b"S"))
            if fold(name) != fold(target) and b"]" not in name:
                return name

    def noise_line(self, target_key):
        """A line that is not an entry for target_key."""
        kind = self.r.randint(0, 6)
        if kind == 0:
            return self.pick((b";", b"#", b"//")) + self.blanks() + self.word(0, 12) + self.pick((b"", b"=x"))
        if kind == 1:
            return self.blanks()
        if kind == 2:
            return self.key_unlike(target_key)  # a key without '='
        if kind == 3:
            return b"=" + self.word(0, 4)  # no key
        return self.blanks() + self.key_unlike(target_key) + self.blanks() + b"=" + self.blanks() + self.value()

    def entry(self, key, raw):
        """key=raw as somebody might have typed it: blanks around both."""
        return self.blanks() + key + self.blanks() + b"=" + self.blanks() + raw + self.blanks()

    def header(self, name):
        # Text after the last ']' is no part of the name.
        return self.blanks() + b"[" + self.blanks() + name + self.blanks() + b"]" + self.pick(
            (b"", b"", b"", b" ; note", b"x", b"\t[x"))

    def join(self, lines, final=True):
        out = b""
        for i, line in enumerate(lines):
            out += line
            if i < len(lines) - 1 or final:
                out += self.newline()
        return out


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


def read_cases(seed, count):
    """Valid code page 932 text: every value and name is a character string."""
    m = Maker(seed)
    cases = []

    def add(family, file, section, key, raw, size=256):
        cases.append(dict(family=family, file=file, section=section, key=key, raw=raw, size=size))

    def small_size():
        return m.pick((256, 256, 256, 1, 2, 3, 4, 5, 8, 16, 33, 100, 255, 257))

    def surrounding(section, key, target_line, shadow=True):
        """A file with the target line in the first section named section,
        noise around it, other sections, maybe later shadows of the key."""
        lines = []
        if m.chance(0.3):
            lines += [m.noise_line(key) for _ in range(m.r.randint(0, 3))]  # before any section
        for _ in range(m.r.randint(0, 2)):
            lines.append(m.header(m.section_unlike(section)))
            lines += [m.noise_line(b"\x00") if m.chance(0.5) else m.entry(key, m.value())
                      for _ in range(m.r.randint(0, 3))]
        lines.append(m.header(m.case_variant(section) if m.chance(0.5) else section))
        lines += [m.noise_line(key) for _ in range(m.r.randint(0, 4))]
        lines.append(target_line)
        if shadow and m.chance(0.3):
            lines.append(m.entry(m.case_variant(key), b"shadowed"))
        lines += [m.noise_line(key) for _ in range(m.r.randint(0, 3))]
        if m.chance(0.3):
            lines.append(m.header(m.section_unlike(section)))
            lines.append(m.entry(key, b"other section"))
        if shadow and m.chance(0.2):
            lines.append(m.header(section))
            lines.append(m.entry(key, b"second section of the name"))
        return m.join(lines, final=m.chance(0.8))

    for _ in range(count // 8):
        # The launcher's own file, in all the forms people and programs write it.
        key = m.pick(OUR_KEYS)
        raw = m.pick((b"2", b"1", b"0", b"-1", b"2.9", b"abc", b"", b"C:\\Music\\song.mp3",
                      "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト.wav".encode("cp932"), b'"C:\\My Music\\a.mp3"'))
        line = m.entry(m.case_variant(key), raw) if m.chance(0.5) else key + b"=" + raw
        lookup = key if m.chance(0.8) else m.blanks() + key + m.blanks()
        add("launcher_file", surrounding(SECTION, key, line), SECTION, lookup, strip_blanks(raw))

    for _ in range(count // 3):
        # Random structure around one entry.
        section = m.pick((SECTION, m.word(1, 8), b"Other"))
        key = m.pick((m.word(), m.pick(OUR_KEYS), b"k"))
        if fold(key) == b"" or key.startswith((b"[", b";")):
            continue
        raw = m.value()
        lookup_section = m.case_variant(section) if m.chance(0.3) else section
        lookup_key = m.case_variant(key) if m.chance(0.3) else key
        if m.chance(0.2):
            lookup_key = m.blanks() + lookup_key + m.blanks()
        add("random_structure", surrounding(section, key, m.entry(key, raw)), lookup_section, lookup_key,
            strip_blanks(raw), small_size())

    for _ in range(count // 4):
        # Values around the cut, with double-byte characters on either side of it.
        size = m.pick((256, 256, 256, 16, 17, 64))
        target = size - 1 + m.r.randint(-3, 3)
        raw = b""
        while len(raw) < target:
            raw += m.dbcs() if m.chance(0.4) else (m.pick(HALF_WIDTH) if m.chance(0.2) else b"p")
        if m.chance(0.3):
            q = m.pick((b'"', b"'"))
            raw = q + raw + q
        elif m.chance(0.15):
            # Quoted, the inner text one character shorter than the buffer, or about.
            cs = []
            while len(cs) < size - 1 + m.r.randint(-1, 1):
                cs.append(m.dbcs() if m.chance(0.2) else b"q")
            q = m.pick((b'"', b"'"))
            raw = q + b"".join(cs) + q
        key = m.pick(OUR_KEYS)
        add("value_at_the_cut", surrounding(SECTION, key, m.entry(key, raw), shadow=False), SECTION, key, raw,
            size)

    for _ in range(count // 10):
        # Quotes of every shape, with blanks inside and outside.
        q = m.pick((b'"', b"'"))
        raw = m.pick((q + m.blanks() + m.word(0, 6) + m.blanks() + q, q, q + q, q + m.word() + m.pick((b'"', b"'")),
                      m.word() + q, q + m.word() + q + m.word(), q + q + m.word() + q + q,
                      q + m.dbcs() + q, q + b" " + q))
        add("quotes", surrounding(SECTION, b"k", b"k=" + m.blanks() + raw + m.blanks()), SECTION, b"k",
            strip_blanks(raw), small_size())

    for _ in range(count // 10):
        # Missing things: all read as "".
        key = m.pick(OUR_KEYS)
        kind = m.r.randint(0, 9)
        if kind == 0:
            file = None
        elif kind == 1:
            file = b""
        elif kind == 2:
            file = m.join([b"; only a comment", m.blanks()])
        elif kind == 3:
            file = m.join([m.header(m.section_unlike(SECTION)), m.entry(key, b"2")])
        elif kind == 4:
            file = m.join([m.entry(key, b"2"), m.header(SECTION), m.noise_line(key)])  # before any section
        elif kind == 5:
            file = m.join([b"[Section", m.entry(key, b"2")])  # no ']': no header
        elif kind == 6:
            file = m.join([m.header(SECTION), m.blanks() + key + m.blanks(), m.entry(key, b"2")])  # bare key first
        elif kind == 7:
            file = m.join([m.header(SECTION), m.entry(key, m.blanks())])  # empty value
        elif kind == 8:
            file = m.join([m.header(SECTION), m.noise_line(key), m.header(m.section_unlike(SECTION)),
                           m.entry(key, b"2")])
        else:
            # Only the first section of a name is searched.
            file = m.join([m.header(SECTION), m.noise_line(key), m.header(m.section_unlike(SECTION)),
                           m.header(m.case_variant(SECTION)), m.entry(key, b"2")])
        add("missing", file, SECTION, key, None if kind != 7 else b"")

    for _ in range(count // 8):
        # Name matching: case, blanks, double-byte names whose trail bytes are
        # letters or brackets, text after ']', '[' inside names.
        kind = m.r.randint(0, 5)
        if kind == 0:
            section = m.word(1, 6, "dbcs") + m.pick(TRICKY)
        elif kind == 1:
            section = b"a" + m.pick([p for p in TRICKY if p[1] == 0x5D]) + b"b"  # trail byte ']'
        else:
            section = m.pick((SECTION, m.word(1, 8, "mixed"), b"Sec tion", b"S[x"))
        key = m.pick((m.word(1, 6, "dbcs"), m.pick(TRICKY) + b"x", b"a b", b"x[y", m.pick(OUR_KEYS),
                      b"C:\\" + m.pick([p for p in TRICKY if p[1] == 0x5C])))
        raw = m.value()
        lines = [m.header(section), m.entry(key, raw)]
        lookup_section = m.blanks() + m.case_variant(section) + m.blanks()
        lookup_key = m.blanks() + m.case_variant(key) + m.blanks()
        if m.chance(0.3):
            # A near miss: one trail byte changed to the other case.
            near = [i for i, c in enumerate(chars(key)) if len(c) == 2 and c[1:].isalpha()]
            if near:
                cs = chars(key)
                i = m.pick(near)
                cs[i] = cs[i][:1] + cs[i][1:].swapcase()
                if cs[i] in PAIR_SET:
                    lookup_key = b"".join(cs)
                    add("names", m.join(lines), lookup_section, lookup_key, None)
                    continue
        add("names", m.join(lines), lookup_section, lookup_key, strip_blanks(raw))
    return cases


def damaged_cases(seed, count):
    """Files no well-behaved program writes: bad double-byte pairs, lead bytes
    at line ends, NUL bytes, byte-order marks, binary junk, huge lines."""
    m = Maker(seed)
    cases = []

    def add(family, file, key, raw, section=SECTION):
        cases.append(dict(family=family, file=file, section=section, key=key, raw=raw, size=256, damaged=True))

    def bad_pair():
        # A lead byte and a byte that cannot follow it (line ends: see below).
        return bytes([m.pick([b for b in range(0x81, 0xFD) if is_lead(b)]),
                      m.pick([b for b in range(0x01, 0x40) if b not in (CR, LF)] + [0x7F, 0xFD, 0xFE, 0xFF])])

    for _ in range(count // 6):
        key = m.pick(OUR_KEYS)
        raw = m.word(0, 4) + bad_pair() + m.word(0, 4)
        lines = [m.header(SECTION), m.noise_line(key), key + b"=" + raw, m.entry(b"after", b"1")]
        ask = m.pick((key, b"after"))
        add("bad_pair", m.join(lines), ask, raw if ask == key else b"1")

    for _ in range(count // 6):
        key = m.pick(OUR_KEYS)
        lead = bytes([m.pick([b for b in range(0x81, 0xFD) if is_lead(b)])])
        raw = m.word(0, 4) + lead
        nl = m.pick((b"\r\n", b"\n", b"\r", b""))
        follow = m.entry(b"after", b"1")
        file = m.header(SECTION) + m.newline() + key + b"=" + raw + nl + (follow + b"\r\n" if nl else b"")
        ask = m.pick((key, b"after"))
        add("lead_byte_at_line_end", file, ask, raw if ask == key else (b"1" if nl else None))

    for _ in range(count // 8):
        key = m.pick(OUR_KEYS)
        raw = m.word(0, 3) + m.pick(DUPLICATES) + m.word(0, 3)
        add("duplicate_codes", m.join([m.header(SECTION), key + b"=" + raw]), key, raw)

    for _ in range(count // 8):
        # NUL bytes: values and keys end there, files go on.
        key = m.pick(OUR_KEYS)
        kind = m.r.randint(0, 3)
        if kind == 0:
            file, raw = m.join([m.header(SECTION), key + b"=ab\x00cd"]), b"ab"
        elif kind == 1:
            file, raw = m.join([m.header(SECTION), key + b"\x00junk=2"]), b"2"
        elif kind == 2:
            file, raw = m.join([m.header(SECTION + b"\x00x"), key + b"=3"]), b"3"
        else:
            file = m.join([m.header(SECTION), b"\x00" * m.r.randint(1, 5) + b"x=1", key + b"=" + bytes(
                [m.pick([b for b in range(0x81, 0xFD) if is_lead(b)])]) + b"\x00" + b"z"])
            raw = None  # a lead byte before NUL: judged only against the system's view
        add("nul_bytes", file, key, raw)

    for _ in range(count // 8):
        # Byte-order marks.
        key = m.pick(OUR_KEYS)
        value = m.pick(("2", "C:\\ﾐｭｰｼﾞｯｸ\\表.mp3", "x"))
        text = "[Section]\r\n" + key.decode("cp932") + "=" + value + "\r\n"
        kind = m.r.randint(0, 2)
        if kind == 0:
            add("byte_order_mark", b"\xef\xbb\xbf" + text.encode("utf-8"), key, None)
        elif kind == 1:
            add("byte_order_mark", b"\xff\xfe" + text.encode("utf-16-le"), key, None)
        else:
            # Our own file after someone's editor put a UTF-8 mark in front:
            # the first line is no header, a second section of the name is.
            body = b"\xef\xbb\xbf[Section]\r\n" + key + b"=1\r\n[Section]\r\n" + key + b"=2\r\n"
            add("byte_order_mark", body, key, b"2")

    for _ in range(count // 8):
        # Binary junk around one well-formed entry; no final line end at times.
        key = m.pick(OUR_KEYS)
        def junk():
            return bytes(m.r.randrange(256) for _ in range(m.r.randint(0, 40)))

        lines = [junk(), m.header(SECTION), junk().replace(b"[", b"(")]
        lines.append(key + b"=" + b"value")
        lines.append(junk())
        file = m.join(lines, final=m.chance(0.5))
        if file.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")):
            file = b"x" + file
        add("binary_junk", file, key, b"value")

    for _ in range(count // 12):
        # Huge lines, a key without '=', no final line end.
        key = m.pick(OUR_KEYS)
        huge = bytes(m.pick(ASCII_WORD) for _ in range(m.r.randint(50000, 150000)))
        kind = m.r.randint(0, 3)
        if kind == 0:
            file, raw = m.join([m.header(SECTION), b"x=" + huge, key + b"=2"], final=False), b"2"
        elif kind == 1:
            file, raw = m.join([m.header(SECTION), key + b"=" + huge], final=False), huge
        elif kind == 2:
            file, raw = m.join([m.header(SECTION), huge, key], final=False), None  # key without '='
        else:
            file, raw = m.join([m.header(SECTION), key + huge + b"=1"], final=False), None
        add("huge_lines", file, key, raw)
    return cases


def batch_of_reads(cases, prefix):
    lines = []
    for i, case in enumerate(cases):
        case["id"] = f"{prefix}{i}"
        file = "-" if case["file"] is None else hx(case["file"])
        lines.append(f"R {case['id']} {file} {hx(case['section'])} {hx(case['key'])} {case['size']}")
    return lines


def reader_matches_system():
    cases = read_cases(seed=932, count=3000)
    tally = Tally("reader_matches_system")
    with harness.WineSession("settings-reader", locale=JAPANESE) as s:
        results = run_probe(s, batch_of_reads(cases, "r"))
    for case in cases:
        tally.family(case["family"])
        judge_read(tally, case, results[case["id"]])
    tally.finish(minimum_per_family=50)
    # The cut must really have been exercised: splits, quoted values that
    # fill the buffer, and double-byte characters ending just inside it.
    check(tally.differences.get("wine_cuts_whole_characters", 0) >= 20, "few values split at the cut")
    check(tally.differences.get("wine_quoted_value_loses_a_byte", 0) >= 3, "few quoted values fill the buffer")


def reader_damaged_files():
    cases = damaged_cases(seed=1252, count=600)
    tally = Tally("reader_damaged_files")
    with harness.WineSession("settings-damaged", locale=JAPANESE) as s:
        results = run_probe(s, batch_of_reads(cases, "d"))
    for case in cases:
        tally.family(case["family"])
        judge_read(tally, case, results[case["id"]])
    tally.finish(minimum_per_family=10)
    for name in ("wine_damaged_pair_to_81_45", "wine_lead_byte_swallows_line_end",
                 "wine_duplicate_code_normalised", "wine_reads_utf8_bom", "utf16_file"):
        check(tally.differences.get(name, 0) > 0, f"no case showed {name}")


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
        return

    # An existing file: the edit touches one line, or adds lines in one place.
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


def write_cases(seed, count):
    m = Maker(seed)
    cases = []

    def write_value():
        return m.pick((b" 2", b" 0", b"-1", b" 32767", b"", b"C:\\Music\\song.mp3",
                       "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト\\曲.wav".encode("cp932"), m.value(), m.word(1, 40),
                       m.blanks() + m.word(1, 8) + m.blanks(), b'"' + m.word() + b'"', b"a=b;c[d]",
                       bytes(m.pick(ASCII_WORD) for _ in range(300))))

    def add(family, file, section, key, value, entries=()):
        queries = [(section, key)] + [(SECTION, k) for k in OUR_KEYS] + list(entries)
        cases.append(dict(family=family, file=file, section=section, key=key, value=value,
                          queries=list(dict.fromkeys(queries))))

    def existing(section, key, with_section, with_key):
        """A file holding other entries; the target section and key as asked."""
        lines, entries = [], []
        if m.chance(0.3):
            lines.append(b"; " + m.word(0, 10))
        for _ in range(m.r.randint(0, 2)):
            other = m.section_unlike(section)
            lines.append(m.header(other))
            for _ in range(m.r.randint(0, 3)):
                k = m.key_unlike(b"\x00")
                lines.append(m.entry(k, m.value()))
                entries.append((other, k))
            if m.chance(0.4):
                lines.append(b"")
        if with_section:
            lines.append(m.header(m.case_variant(section) if m.chance(0.5) else section))
            for _ in range(m.r.randint(0, 4)):
                if m.chance(0.2):
                    lines.append(m.pick((b"", b"; comment", m.blanks())))
                    continue
                k = m.key_unlike(key)
                lines.append(m.entry(k, m.value()))
                entries.append((section, k))
            if with_key:
                lines.insert(m.r.randint(len(lines) - 0, len(lines)), m.entry(m.case_variant(key), m.value()))
                if m.chance(0.3):
                    lines.append(m.blanks() + key + m.blanks() if m.chance(0.3) else m.entry(key, b"shadow"))
                if m.chance(0.2):
                    lines.append(m.blanks() + m.case_variant(key) + m.blanks())  # a bare key; shadowed
            for _ in range(m.r.randint(0, 2)):
                k = m.key_unlike(key)
                lines.append(m.entry(k, m.value()))
                entries.append((section, k))
            if m.chance(0.3):
                lines += [b""] * m.r.randint(1, 2)
        for _ in range(m.r.randint(0, 2)):
            other = m.section_unlike(section)
            lines.append(m.header(other))
            k = m.key_unlike(b"\x00")
            lines.append(m.entry(k, m.value()))
            entries.append((other, k))
        style = m.pick((b"\r\n", b"\n", None))
        out = b""
        for i, line in enumerate(lines):
            out += line
            if i < len(lines) - 1 or m.chance(0.8):
                out += style if style else m.newline()
        return out, [(s_, k_) for s_, k_ in entries if b"\r" not in k_ and b"\n" not in k_]

    for _ in range(count // 4):
        section = m.pick((SECTION, SECTION, b"Other", m.word(1, 6)))
        key = m.pick((m.pick(OUR_KEYS), m.word()))
        if fold(key) == b"" or key.startswith(b"["):
            continue
        if m.chance(0.2):
            section, key = m.blanks() + section + m.blanks(), m.blanks() + key + m.blanks()
        add("new_file", None if m.chance(0.7) else b"", section, key, write_value())

    for _ in range(count // 4):
        key = m.pick((m.pick(OUR_KEYS), m.word()))
        if fold(key) == b"" or key.startswith((b"[", b";")) or b"=" in key:
            continue
        section = m.pick((SECTION, m.word(1, 6)))
        file, entries = existing(section, key, True, True)
        lookup = (m.case_variant(section), m.case_variant(key)) if m.chance(0.3) else (section, key)
        if m.chance(0.2):
            lookup = (m.blanks() + lookup[0] + m.blanks(), m.blanks() + lookup[1] + m.blanks())
        add("replace_value", file, lookup[0], lookup[1], write_value(), entries)

    for _ in range(count // 5):
        key = m.pick((m.pick(OUR_KEYS), m.word()))
        if fold(key) == b"" or key.startswith((b"[", b";")) or b"=" in key:
            continue
        file, entries = existing(SECTION, key, True, False)
        add("add_key", file, SECTION, key, write_value(), entries)

    for _ in range(count // 10):
        # The key is there, but only in a later section of the same name,
        # which is never searched: the key is new to the first one.
        key = m.pick(OUR_KEYS)
        file, entries = existing(SECTION, key, True, False)
        if file and not file.endswith((b"\r", b"\n")):
            file += b"\r\n"
        file += m.join([m.header(m.case_variant(SECTION)), m.entry(key, b"later")])
        add("add_key", file, SECTION, key, write_value(), entries)

    for _ in range(count // 5):
        key = m.pick(OUR_KEYS)
        file, entries = existing(SECTION, key, False, False)
        add("add_section", file, SECTION, key, write_value(), entries)

    for _ in range(count // 10):
        bad = m.r.randint(0, 6)
        file = m.pick((None, b"[Section]\r\nk=1\r\n"))
        if bad == 0:
            add("refused", file, SECTION, b"k", m.word() + m.pick((b"\r\n", b"\n", b"\r")) + b"j=2")
        elif bad == 1:
            add("refused", file, SECTION, b"k" + m.pick((b"\r", b"\n")) + b"j", b"v")
        elif bad == 2:
            add("refused", file, b"Sec]tion", b"k", b"v")
        elif bad == 3:
            add("refused", file, SECTION, m.pick((b"a=b", b"[k")), b"v")
        elif bad == 4:
            add("refused", file, SECTION, b"k" + bytes([m.pick((0x81, 0x83, 0xE0))]), b"v")
        elif bad == 5:
            add("refused", file, m.pick((b"", b"  ")), b"k", b"v")
        else:
            add("refused", "\ufeff[Section]\r\nk=1\r\n".encode("utf-16-le"), SECTION, b"k", b"2")

    for _ in range(count // 20):
        key = m.pick(OUR_KEYS)
        add("utf8_mark", b"\xef\xbb\xbf[Section]\r\n" + key + b"=1\r\n", SECTION, key, b" 2")
    return cases


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


def settings_round_trip():
    """SaveSettings writes what the system reader and LoadSettings read back."""
    song = "C:\\Music\\song.mp3"
    kana_song = "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト\\曲.wav"  # 表 and ソ end in the byte of '\'
    long_song = "C:\\" + "d" * 290 + ".mp3"
    foreign = ("; Velmora settings\n[Other]\nBGM区分=9\n\n[section]\nbgm区分 = 1\nx=\"keep\"\n"
               "[Later]\ny=1\n").encode("cp932")
    rows = [
        # (folder, existing file, kind, repeat, file, saved bytes or None, what the system reads, loaded)
        ("C:\\Velmora1", None, 2, 0, song,
         b"[Section]\r\n" + KIND + b"= 2\r\n" + REPEAT + b"= 0\r\n" + MUSIC + b"=" + song.encode() + b"\r\n",
         (b"2", b"0", song.encode()), (2, 0, song, "C:\\Music")),
        ("C:\\Velmora2", None, 1, -1, "",
         b"[Section]\r\n" + KIND + b"= 1\r\n" + REPEAT + b"=-1\r\n" + MUSIC + b"=\r\n",
         (b"1", b"-1", b""), (1, -1, "", "C:\\Velmora2")),
        ("C:\\Velmora3", None, 2, 12, kana_song, None,
         (b"2", b"12", kana_song.encode("cp932")), "kana"),
        ("C:\\Velmora4", foreign, 2, 3, "C:\\gone.mp3", None,
         (b"2", b"3", b"C:\\gone.mp3"), (0, 3, "", "C:\\Velmora4")),  # the file is gone: no music
        ("C:\\Velmora5", None, 2, 0, long_song, None,
         (b"2", b"0", long_song.encode()[:255]), (0, 0, "", "C:\\Velmora5")),  # cut to 255 bytes: gone
        ("C:\\Velmora6", None, -32768, 32767, song, None,
         (b"-32768", b"32767", song.encode()), (-32768, 32767, song, "C:\\Music")),
    ]
    loads = [
        # Files as the system writer or a person writes them, read by LoadSettings.
        ("C:\\Velmora7", b"[Section]\r\n" + KIND + b"=2\r\n" + REPEAT + b"=5\r\n" + MUSIC + b"=" + song.encode()
         + b"\r\n", (2, 5, song, "C:\\Music")),
        ("C:\\Velmora8", b"[section]\n" + KIND.lower() + b" =\t2.9 \n" + REPEAT + b"=abc\n",
         (0, 0, "", "C:\\Velmora8")),
        ("C:\\Velmora9", b"[Section]\r\n" + KIND + b"= 1\r\n" + REPEAT + b"= 99999\r\n" + MUSIC + b"=\"" +
         song.encode() + b"\"\r\n", (1, 0, song, "C:\\Music")),
    ]
    with harness.WineSession("settings-round-trip", locale=JAPANESE) as s:
        s.write_c(song, b"RIFF")
        # Made through the ANSI file functions, as a user's program would.
        lines = [f"F kana_song {hx(kana_song.encode('cp932'))}"]
        for i, (folder, existing, kind, repeat, music, *_rest) in enumerate(rows):
            lines.append(f"S s{i} {hx(folder.encode('cp932'))} {'-' if existing is None else hx(existing)} "
                         f"{kind} {repeat} {hx(music.encode('cp932'))}")
        for i, (folder, data, _) in enumerate(loads):
            s.write_c(folder + "\\Velmora.ini", data)
            lines.append(f"L l{i} {hx(folder.encode('cp932'))}")
        results = run_probe(s, lines)
        folders = {folder: sorted(os.listdir(s.c_path(folder))) for folder, *_ in rows}

    # This Wine names files on the host through the host's locale; without
    # a Japanese one installed it cannot make "表" at all. Then the row
    # shows the other half of the rule: a music file that cannot be opened
    # is dropped and music kind 2 becomes 0.
    kana_made = results["kana_song"][2] == "1"
    print("a file with a code page 932 name could be made:", kana_made)
    for i, (folder, existing, kind, repeat, music, saved, system_reads, loaded) in enumerate(rows):
        if loaded == "kana":
            folder_of_song = "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト"
            loaded = (2, 12, kana_song, folder_of_song) if kana_made else (0, 12, "", folder)
        fields = results[f"s{i}"]
        data = unhex(fields[2])
        print(folder, data)
        check(folders[folder] == ["Velmora.ini"], f"{folder} holds {folders[folder]}")
        if saved is not None:
            check(data == saved, f"{folder}: saved {data!r}, expected {saved!r}")
        # The three keys in [Section], in order, each number with its sign position.
        lines_of_keys = [saved_line(data, k) for k in OUR_KEYS]
        check(None not in lines_of_keys, f"{folder}: a key is missing from [Section]: {data!r}")
        at = [data.find(line) for line in lines_of_keys]
        check(at == sorted(at), f"{folder}: keys out of order: {data!r}")
        for key, number in ((KIND, kind), (REPEAT, repeat)):
            written = saved_value(data, key)
            want = (b" " if number >= 0 else b"") + str(number).encode()
            check(written == want, f"{folder}: {key!r} saved as {written!r}, not {want!r} with its sign position")
        if existing is not None:
            # Only the lines of our keys in our section may change.
            ours = {saved_line(existing, k) for k in OUR_KEYS}
            lost = [line for line in existing.split(b"\n") if line not in data.split(b"\n")]
            check(set(lost) <= ours, f"{folder}: lines lost: {lost}")
        for key, want, got in zip(OUR_KEYS, system_reads, fields[3:6]):
            check(unhex(got) == want, f"{folder}: the system reads {key!r} as {unhex(got)!r}, not {want!r}")
        got = (int(fields[6]), int(fields[7]), unhex(fields[8]).decode("cp932"), unhex(fields[9]).decode("cp932"))
        check(got == loaded, f"{folder}: LoadSettings gave {got}, expected {loaded}")
    for i, (folder, data, loaded) in enumerate(loads):
        fields = results[f"l{i}"]
        got = (int(fields[2]), int(fields[3]), unhex(fields[4]).decode("cp932"), unhex(fields[5]).decode("cp932"))
        check(got == loaded, f"{folder}: LoadSettings of {data!r} gave {got}, expected {loaded}")


CASES = {f.__name__: f for f in (reader_matches_system, reader_damaged_files, writer_matches_system,
                                 settings_round_trip)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
