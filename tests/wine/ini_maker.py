"""Random pieces of INI text in code page 932, from a fixed seed, for the
settings differential test's cases."""

import random

from ini_text import ASCII_WORD, BLANKS, HALF_WIDTH, OUR_KEYS, PAIRS, TRICKY, chars, fold


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


class Corpus(Maker):
    """Cases of one kind, each family of them made by a method of a subclass."""

    def __init__(self, seed):
        super().__init__(seed)
        self.cases = []

    def generate(self, count, families):
        """Calls each family count // share times, in the order given; the cases."""
        for share, family in families:
            for _ in range(count // share):
                family()
        return self.cases
