"""The writer cases of the settings differential test: new files, replaced
values, added keys and sections, and edits that must be refused."""

from ini_maker import Corpus
from ini_text import ASCII_WORD, OUR_KEYS, SECTION, fold


class WriteCorpus(Corpus):
    """Edits of new and existing files, and edits that must be refused."""

    def write_value(self):
        return self.pick((b" 2", b" 0", b"-1", b" 32767", b"", b"C:\\Music\\song.mp3",
                       "C:\\ﾐｭｰｼﾞｯｸ\\表示ソフト\\曲.wav".encode("cp932"), self.value(), self.word(1, 40),
                       self.blanks() + self.word(1, 8) + self.blanks(), b'"' + self.word() + b'"', b"a=b;c[d]",
                       bytes(self.pick(ASCII_WORD) for _ in range(300))))

    def add(self, family, file, section, key, value, entries=()):
        queries = [(section, key)] + [(SECTION, k) for k in OUR_KEYS] + list(entries)
        self.cases.append(dict(family=family, file=file, section=section, key=key, value=value,
                          queries=list(dict.fromkeys(queries))))

    def existing(self, section, key, with_section, with_key):
        """A file holding other entries; the target section and key as asked."""
        lines, entries = [], []
        if self.chance(0.3):
            lines.append(b"; " + self.word(0, 10))
        for _ in range(self.r.randint(0, 2)):
            other = self.section_unlike(section)
            lines.append(self.header(other))
            for _ in range(self.r.randint(0, 3)):
                k = self.key_unlike(b"\x00")
                lines.append(self.entry(k, self.value()))
                entries.append((other, k))
            if self.chance(0.4):
                lines.append(b"")
        if with_section:
            lines.append(self.header(self.case_variant(section) if self.chance(0.5) else section))
            for _ in range(self.r.randint(0, 4)):
                if self.chance(0.2):
                    lines.append(self.pick((b"", b"; comment", self.blanks())))
                    continue
                k = self.key_unlike(key)
                lines.append(self.entry(k, self.value()))
                entries.append((section, k))
            if with_key:
                at = self.r.randint(len(lines) - 0, len(lines))
                lines.insert(at, self.entry(self.case_variant(key), self.value()))
                if self.chance(0.3):
                    bare = self.chance(0.3)
                    lines.append(self.blanks() + key + self.blanks() if bare else self.entry(key, b"shadow"))
                if self.chance(0.2):
                    lines.append(self.blanks() + self.case_variant(key) + self.blanks())  # a bare key; shadowed
            for _ in range(self.r.randint(0, 2)):
                k = self.key_unlike(key)
                lines.append(self.entry(k, self.value()))
                entries.append((section, k))
            if self.chance(0.3):
                lines += [b""] * self.r.randint(1, 2)
        for _ in range(self.r.randint(0, 2)):
            other = self.section_unlike(section)
            lines.append(self.header(other))
            k = self.key_unlike(b"\x00")
            lines.append(self.entry(k, self.value()))
            entries.append((other, k))
        style = self.pick((b"\r\n", b"\n", None))
        out = b""
        for i, line in enumerate(lines):
            out += line
            if i < len(lines) - 1 or self.chance(0.8):
                out += style if style else self.newline()
        return out, [(s_, k_) for s_, k_ in entries if b"\r" not in k_ and b"\n" not in k_]

    def new_file(self):
        section = self.pick((SECTION, SECTION, b"Other", self.word(1, 6)))
        key = self.pick((self.pick(OUR_KEYS), self.word()))
        if fold(key) == b"" or key.startswith(b"["):
            return
        if self.chance(0.2):
            section, key = self.blanks() + section + self.blanks(), self.blanks() + key + self.blanks()
        self.add("new_file", None if self.chance(0.7) else b"", section, key, self.write_value())

    def replace_value(self):
        key = self.pick((self.pick(OUR_KEYS), self.word()))
        if fold(key) == b"" or key.startswith((b"[", b";")) or b"=" in key:
            return
        section = self.pick((SECTION, self.word(1, 6)))
        file, entries = self.existing(section, key, True, True)
        lookup = (self.case_variant(section), self.case_variant(key)) if self.chance(0.3) else (section, key)
        if self.chance(0.2):
            lookup = (self.blanks() + lookup[0] + self.blanks(), self.blanks() + lookup[1] + self.blanks())
        self.add("replace_value", file, lookup[0], lookup[1], self.write_value(), entries)

    def add_key(self):
        key = self.pick((self.pick(OUR_KEYS), self.word()))
        if fold(key) == b"" or key.startswith((b"[", b";")) or b"=" in key:
            return
        file, entries = self.existing(SECTION, key, True, False)
        self.add("add_key", file, SECTION, key, self.write_value(), entries)

    def add_key_named_again_later(self):
        # The key is there, but only in a later section of the same name,
        # which is never searched: the key is new to the first one.
        key = self.pick(OUR_KEYS)
        file, entries = self.existing(SECTION, key, True, False)
        if file and not file.endswith((b"\r", b"\n")):
            file += b"\r\n"
        file += self.join([self.header(self.case_variant(SECTION)), self.entry(key, b"later")])
        self.add("add_key", file, SECTION, key, self.write_value(), entries)

    def add_section(self):
        key = self.pick(OUR_KEYS)
        file, entries = self.existing(SECTION, key, False, False)
        self.add("add_section", file, SECTION, key, self.write_value(), entries)

    def refused(self):
        bad = self.r.randint(0, 6)
        file = self.pick((None, b"[Section]\r\nk=1\r\n"))
        if bad == 0:
            self.add("refused", file, SECTION, b"k", self.word() + self.pick((b"\r\n", b"\n", b"\r")) + b"j=2")
        elif bad == 1:
            self.add("refused", file, SECTION, b"k" + self.pick((b"\r", b"\n")) + b"j", b"v")
        elif bad == 2:
            self.add("refused", file, b"Sec]tion", b"k", b"v")
        elif bad == 3:
            self.add("refused", file, SECTION, self.pick((b"a=b", b"[k")), b"v")
        elif bad == 4:
            self.add("refused", file, SECTION, b"k" + bytes([self.pick((0x81, 0x83, 0xE0))]), b"v")
        elif bad == 5:
            self.add("refused", file, self.pick((b"", b"  ")), b"k", b"v")
        else:
            self.add("refused", "\ufeff[Section]\r\nk=1\r\n".encode("utf-16-le"), SECTION, b"k", b"2")

    def utf8_mark(self):
        key = self.pick(OUR_KEYS)
        self.add("utf8_mark", b"\xef\xbb\xbf[Section]\r\n" + key + b"=1\r\n", SECTION, key, b" 2")

def write_cases(seed, count):
    corpus = WriteCorpus(seed)
    return corpus.generate(count, ((4, corpus.new_file), (4, corpus.replace_value), (5, corpus.add_key),
                                   (10, corpus.add_key_named_again_later), (5, corpus.add_section),
                                   (10, corpus.refused), (20, corpus.utf8_mark)))
