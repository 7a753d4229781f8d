"""The writer cases of the settings differential test: new files, replaced
values, added keys and sections, and edits that must be refused."""

from ini_maker import Maker
from ini_text import ASCII_WORD, OUR_KEYS, SECTION, fold


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
