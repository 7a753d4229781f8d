"""The reader cases of the settings differential test: valid files of every
structure, and damaged ones, generated from fixed seeds."""

from ini_maker import Corpus
from ini_text import (ASCII_WORD, CR, DUPLICATES, HALF_WIDTH, LF, OUR_KEYS, PAIR_SET, SECTION, TRICKY, chars, fold,
                      is_lead, strip_blanks)


class ReadCorpus(Corpus):
    """Valid code page 932 text: every value and name is a character string."""

    def add(self, family, file, section, key, raw, size=256):
        self.cases.append(dict(family=family, file=file, section=section, key=key, raw=raw, size=size))

    def small_size(self):
        return self.pick((256, 256, 256, 1, 2, 3, 4, 5, 8, 16, 33, 100, 255, 257))

    def surrounding(self, section, key, target_line, shadow=True):
        """A file with the target line in the first section named section,
        noise around it, other sections, maybe later shadows of the key."""
        lines = []
        if self.chance(0.3):
            lines += [self.noise_line(key) for _ in range(self.r.randint(0, 3))]  # before any section
        for _ in range(self.r.randint(0, 2)):
            lines.append(self.header(self.section_unlike(section)))
            lines += [self.noise_line(b"\x00") if self.chance(0.5) else self.entry(key, self.value())
                      for _ in range(self.r.randint(0, 3))]
        lines.append(self.header(self.case_variant(section) if self.chance(0.5) else section))
        lines += [self.noise_line(key) for _ in range(self.r.randint(0, 4))]
        lines.append(target_line)
        if shadow and self.chance(0.3):
            lines.append(self.entry(self.case_variant(key), b"shadowed"))
        lines += [self.noise_line(key) for _ in range(self.r.randint(0, 3))]
        if self.chance(0.3):
            lines.append(self.header(self.section_unlike(section)))
            lines.append(self.entry(key, b"other section"))
        if shadow and self.chance(0.2):
            lines.append(self.header(section))
            lines.append(self.entry(key, b"second section of the name"))
        return self.join(lines, final=self.chance(0.8))

    def launcher_file(self):
        # The launcher's own file, in all the forms people and programs write it.
        key = self.pick(OUR_KEYS)
        raw = self.pick((b"2", b"1", b"0", b"-1", b"2.9", b"abc", b"", b"C:\\Music\\song.mp3",
                      "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト.wav".encode("cp932"), b'"C:\\My Music\\a.mp3"'))
        line = self.entry(self.case_variant(key), raw) if self.chance(0.5) else key + b"=" + raw
        lookup = key if self.chance(0.8) else self.blanks() + key + self.blanks()
        self.add("launcher_file", self.surrounding(SECTION, key, line), SECTION, lookup, strip_blanks(raw))

    def random_structure(self):
        # Random structure around one entry.
        section = self.pick((SECTION, self.word(1, 8), b"Other"))
        key = self.pick((self.word(), self.pick(OUR_KEYS), b"k"))
        if fold(key) == b"" or key.startswith((b"[", b";")):
            return
        raw = self.value()
        lookup_section = self.case_variant(section) if self.chance(0.3) else section
        lookup_key = self.case_variant(key) if self.chance(0.3) else key
        if self.chance(0.2):
            lookup_key = self.blanks() + lookup_key + self.blanks()
        self.add("random_structure", self.surrounding(section, key, self.entry(key, raw)), lookup_section, lookup_key,
            strip_blanks(raw), self.small_size())

    def value_at_the_cut(self):
        # Values around the cut, with double-byte characters on either side of it.
        size = self.pick((256, 256, 256, 16, 17, 64))
        target = size - 1 + self.r.randint(-3, 3)
        raw = b""
        while len(raw) < target:
            raw += self.dbcs() if self.chance(0.4) else (self.pick(HALF_WIDTH) if self.chance(0.2) else b"p")
        if self.chance(0.3):
            q = self.pick((b'"', b"'"))
            raw = q + raw + q
        elif self.chance(0.15):
            # Quoted, the inner text one character shorter than the buffer, or about.
            cs = []
            while len(cs) < size - 1 + self.r.randint(-1, 1):
                cs.append(self.dbcs() if self.chance(0.2) else b"q")
            q = self.pick((b'"', b"'"))
            raw = q + b"".join(cs) + q
        key = self.pick(OUR_KEYS)
        file = self.surrounding(SECTION, key, self.entry(key, raw), shadow=False)
        self.add("value_at_the_cut", file, SECTION, key, raw, size)

    def quotes(self):
        # Quotes of every shape, with blanks inside and outside.
        q = self.pick((b'"', b"'"))
        raw = self.pick((q + self.blanks() + self.word(0, 6) + self.blanks() + q, q, q + q,
                         q + self.word() + self.pick((b'"', b"'")),
                      self.word() + q, q + self.word() + q + self.word(), q + q + self.word() + q + q,
                      q + self.dbcs() + q, q + b" " + q))
        self.add("quotes", self.surrounding(SECTION, b"k", b"k=" + self.blanks() + raw + self.blanks()), SECTION, b"k",
            strip_blanks(raw), self.small_size())

    def missing(self):
        # Missing things: all read as "".
        key = self.pick(OUR_KEYS)
        kind = self.r.randint(0, 9)
        if kind == 0:
            file = None
        elif kind == 1:
            file = b""
        elif kind == 2:
            file = self.join([b"; only a comment", self.blanks()])
        elif kind == 3:
            file = self.join([self.header(self.section_unlike(SECTION)), self.entry(key, b"2")])
        elif kind == 4:
            file = self.join([self.entry(key, b"2"), self.header(SECTION), self.noise_line(key)])  # before any section
        elif kind == 5:
            file = self.join([b"[Section", self.entry(key, b"2")])  # no ']': no header
        elif kind == 6:
            # A bare key first.
            file = self.join([self.header(SECTION), self.blanks() + key + self.blanks(), self.entry(key, b"2")])
        elif kind == 7:
            file = self.join([self.header(SECTION), self.entry(key, self.blanks())])  # empty value
        elif kind == 8:
            file = self.join([self.header(SECTION), self.noise_line(key), self.header(self.section_unlike(SECTION)),
                           self.entry(key, b"2")])
        else:
            # Only the first section of a name is searched.
            file = self.join([self.header(SECTION), self.noise_line(key), self.header(self.section_unlike(SECTION)),
                           self.header(self.case_variant(SECTION)), self.entry(key, b"2")])
        self.add("missing", file, SECTION, key, None if kind != 7 else b"")

    def names(self):
        # Name matching: case, blanks, double-byte names whose trail bytes are
        # letters or brackets, text after ']', '[' inside names.
        kind = self.r.randint(0, 5)
        if kind == 0:
            section = self.word(1, 6, "dbcs") + self.pick(TRICKY)
        elif kind == 1:
            section = b"a" + self.pick([p for p in TRICKY if p[1] == 0x5D]) + b"b"  # trail byte ']'
        else:
            section = self.pick((SECTION, self.word(1, 8, "mixed"), b"Sec tion", b"S[x"))
        key = self.pick((self.word(1, 6, "dbcs"), self.pick(TRICKY) + b"x", b"a b", b"x[y", self.pick(OUR_KEYS),
                      b"C:\\" + self.pick([p for p in TRICKY if p[1] == 0x5C])))
        raw = self.value()
        lines = [self.header(section), self.entry(key, raw)]
        lookup_section = self.blanks() + self.case_variant(section) + self.blanks()
        lookup_key = self.blanks() + self.case_variant(key) + self.blanks()
        if self.chance(0.3):
            # A near miss: one trail byte changed to the other case.
            near = [i for i, c in enumerate(chars(key)) if len(c) == 2 and c[1:].isalpha()]
            if near:
                cs = chars(key)
                i = self.pick(near)
                cs[i] = cs[i][:1] + cs[i][1:].swapcase()
                if cs[i] in PAIR_SET:
                    lookup_key = b"".join(cs)
                    self.add("names", self.join(lines), lookup_section, lookup_key, None)
                    return
        self.add("names", self.join(lines), lookup_section, lookup_key, strip_blanks(raw))

def read_cases(seed, count):
    corpus = ReadCorpus(seed)
    return corpus.generate(count, ((8, corpus.launcher_file), (3, corpus.random_structure),
                                   (4, corpus.value_at_the_cut), (10, corpus.quotes), (10, corpus.missing),
                                   (8, corpus.names)))


class DamagedCorpus(Corpus):
    """Files no well-behaved program writes: bad double-byte pairs, lead bytes
    at line ends, NUL bytes, byte-order marks, binary junk, huge lines."""

    def add(self, family, file, key, raw, section=SECTION):
        self.cases.append(dict(family=family, file=file, section=section, key=key, raw=raw, size=256, damaged=True))

    def broken_pair(self):
        # A lead byte and a byte that cannot follow it (line ends: see below).
        return bytes([self.pick([b for b in range(0x81, 0xFD) if is_lead(b)]),
                      self.pick([b for b in range(0x01, 0x40) if b not in (CR, LF)] + [0x7F, 0xFD, 0xFE, 0xFF])])

    def bad_pair(self):
        key = self.pick(OUR_KEYS)
        raw = self.word(0, 4) + self.broken_pair() + self.word(0, 4)
        lines = [self.header(SECTION), self.noise_line(key), key + b"=" + raw, self.entry(b"after", b"1")]
        ask = self.pick((key, b"after"))
        self.add("bad_pair", self.join(lines), ask, raw if ask == key else b"1")

    def lead_byte_at_line_end(self):
        key = self.pick(OUR_KEYS)
        lead = bytes([self.pick([b for b in range(0x81, 0xFD) if is_lead(b)])])
        raw = self.word(0, 4) + lead
        nl = self.pick((b"\r\n", b"\n", b"\r", b""))
        follow = self.entry(b"after", b"1")
        file = self.header(SECTION) + self.newline() + key + b"=" + raw + nl + (follow + b"\r\n" if nl else b"")
        ask = self.pick((key, b"after"))
        self.add("lead_byte_at_line_end", file, ask, raw if ask == key else (b"1" if nl else None))

    def duplicate_codes(self):
        key = self.pick(OUR_KEYS)
        raw = self.word(0, 3) + self.pick(DUPLICATES) + self.word(0, 3)
        self.add("duplicate_codes", self.join([self.header(SECTION), key + b"=" + raw]), key, raw)

    def nul_bytes(self):
        # NUL bytes: values and keys end there, files go on.
        key = self.pick(OUR_KEYS)
        kind = self.r.randint(0, 3)
        if kind == 0:
            file, raw = self.join([self.header(SECTION), key + b"=ab\x00cd"]), b"ab"
        elif kind == 1:
            file, raw = self.join([self.header(SECTION), key + b"\x00junk=2"]), b"2"
        elif kind == 2:
            file, raw = self.join([self.header(SECTION + b"\x00x"), key + b"=3"]), b"3"
        else:
            file = self.join([self.header(SECTION), b"\x00" * self.r.randint(1, 5) + b"x=1", key + b"=" + bytes(
                [self.pick([b for b in range(0x81, 0xFD) if is_lead(b)])]) + b"\x00" + b"z"])
            raw = None  # a lead byte before NUL: judged only against the system's view
        self.add("nul_bytes", file, key, raw)

    def byte_order_mark(self):
        # Byte-order marks.
        key = self.pick(OUR_KEYS)
        value = self.pick(("2", "C:\\ﾐｭｰｼﾞｯｸ\\表.mp3", "x"))
        text = "[Section]\r\n" + key.decode("cp932") + "=" + value + "\r\n"
        kind = self.r.randint(0, 2)
        if kind == 0:
            self.add("byte_order_mark", b"\xef\xbb\xbf" + text.encode("utf-8"), key, None)
        elif kind == 1:
            self.add("byte_order_mark", b"\xff\xfe" + text.encode("utf-16-le"), key, None)
        else:
            # Our own file after someone's editor put a UTF-8 mark in front:
            # the first line is no header, a second section of the name is.
            body = b"\xef\xbb\xbf[Section]\r\n" + key + b"=1\r\n[Section]\r\n" + key + b"=2\r\n"
            self.add("byte_order_mark", body, key, b"2")

    def binary_junk(self):
        # Binary junk around one well-formed entry; no final line end at times.
        key = self.pick(OUR_KEYS)
        def junk():
            return bytes(self.r.randrange(256) for _ in range(self.r.randint(0, 40)))

        lines = [junk(), self.header(SECTION), junk().replace(b"[", b"(")]
        lines.append(key + b"=" + b"value")
        lines.append(junk())
        file = self.join(lines, final=self.chance(0.5))
        if file.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")):
            file = b"x" + file
        self.add("binary_junk", file, key, b"value")

    def huge_lines(self):
        # Huge lines, a key without '=', no final line end.
        key = self.pick(OUR_KEYS)
        huge = bytes(self.pick(ASCII_WORD) for _ in range(self.r.randint(50000, 150000)))
        kind = self.r.randint(0, 3)
        if kind == 0:
            file, raw = self.join([self.header(SECTION), b"x=" + huge, key + b"=2"], final=False), b"2"
        elif kind == 1:
            file, raw = self.join([self.header(SECTION), key + b"=" + huge], final=False), huge
        elif kind == 2:
            file, raw = self.join([self.header(SECTION), huge, key], final=False), None  # key without '='
        else:
            file, raw = self.join([self.header(SECTION), key + huge + b"=1"], final=False), None
        self.add("huge_lines", file, key, raw)

def damaged_cases(seed, count):
    corpus = DamagedCorpus(seed)
    return corpus.generate(count, ((6, corpus.bad_pair), (6, corpus.lead_byte_at_line_end), (8, corpus.duplicate_codes),
                                   (8, corpus.nul_bytes), (8, corpus.byte_order_mark), (8, corpus.binary_junk),
                                   (12, corpus.huge_lines)))
