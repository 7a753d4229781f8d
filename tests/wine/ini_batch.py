"""The settings differential test's batches: cases written for ini_probe.exe,
its answers read back, and the tally of what agreed and what differed."""

import os

from harness import check

BATCH = "C:\\probe\\batch.txt"
OUTPUT = "C:\\probe\\output.txt"
WORK = "C:\\ini_probe"


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



def batch_of_reads(cases, prefix):
    lines = []
    for i, case in enumerate(cases):
        case["id"] = f"{prefix}{i}"
        file = "-" if case["file"] is None else hx(case["file"])
        lines.append(f"R {case['id']} {file} {hx(case['section'])} {hx(case['key'])} {case['size']}")
    return lines
