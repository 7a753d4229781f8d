"""The reader cases of the settings differential test: valid files of every
structure, and damaged ones, generated from fixed seeds."""

from ini_maker import Maker
from ini_text import (ASCII_WORD, CR, DUPLICATES, HALF_WIDTH, LF, OUR_KEYS, PAIR_SET, SECTION, TRICKY, chars, fold,
                      is_lead, strip_blanks)


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
