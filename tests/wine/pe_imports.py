"""The shipped programs need nothing beyond Windows' own DLLs and carry the
platform's usual hardening: checks a PE file's format, subsystem, import table
and DllCharacteristics flags with objdump.
usage: pe_imports.py OBJDUMP FILE (PE32|PE32+) [dpi-aware]"""

import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll", "msvcrt.dll",
    "advapi32.dll", "winmm.dll", "ole32.dll", "oleaut32.dll", "olepro32.dll", "shell32.dll",
    "comdlg32.dll", "comctl32.dll", "shlwapi.dll", "msimg32.dll", "version.dll", "ws2_32.dll",
    "urlmon.dll", "wininet.dll", "imm32.dll", "uxtheme.dll",
}
# DllCharacteristics bits every program must carry; high-entropy addresses
# only mean something in a 64-bit address space.
HARDENING = {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100, "TERMINAL_SERVER_AWARE": 0x8000}
HARDENING_64 = {"HIGH_ENTROPY_VA": 0x0020}
RUNTIME = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|libssp|libatomic|libgomp)", re.I)


def main():
    objdump, path, kind = sys.argv[1:4]
    out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    failures = []
    magic = re.search(r"^Magic\s+([0-9a-f]+)", out, re.M)
    want = {"PE32": "010b", "PE32+": "020b"}[kind]
    if not magic or magic.group(1) != want:
        failures.append(f"optional-header magic {magic.group(1) if magic else '?'}, want {want} ({kind})")
    subsystem = re.search(r"^Subsystem\s+([0-9a-f]+)", out, re.M)
    if not subsystem or int(subsystem.group(1), 16) != 2:
        failures.append("not a Windows GUI program")
    flags = re.search(r"^DllCharacteristics\s+([0-9a-f]+)", out, re.M)
    value = int(flags.group(1), 16) if flags else 0
    wanted = HARDENING | (HARDENING_64 if kind == "PE32+" else {})
    print(path, f"DllCharacteristics {value:#06x}:", ", ".join(n for n, bit in wanted.items() if value & bit))
    failures += [f"no {name} in DllCharacteristics" for name, bit in wanted.items() if not value & bit]
    dlls = [d.strip() for d in re.findall(r"DLL Name:\s*(\S+)", out)]
    print(path, kind, "imports:", ", ".join(dlls))
    for dll in dlls:
        if RUNTIME.match(dll):
            failures.append(f"imports the MinGW runtime DLL {dll}")
        elif dll.lower() not in SYSTEM_DLLS:
            failures.append(f"imports {dll}, not a Windows system DLL")
    if not dlls:
        failures.append("no import table found")
    if "dpi-aware" in sys.argv[4:]:
        with open(path, "rb") as f:
            if b"<dpiAware" not in f.read():
                failures.append("no DPI-aware manifest embedded")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    raise SystemExit(main())
