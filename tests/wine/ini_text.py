"""Code page 932 text as profile files hold it, for the settings differential
test: characters, the launcher's names, and what a reader gives for a value,
by the documented rule and by Wine's."""

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
