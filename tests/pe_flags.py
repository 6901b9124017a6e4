#!/usr/bin/python3
"""pe_flags.py FOLDER: every program and DLL below FOLDER must keep ASLR (a
dynamic base with its relocations, high-entropy addresses) and DEP (NX
compatible). Prints each file's flags, control-flow guard too, which MinGW's
GCC does not offer and so is only reported; exits 1 if one lacks any other."""
import pathlib
import sys

import pefile

NEEDED = {"dynamic base": 0x40, "high entropy": 0x20, "NX": 0x100}
GUARD_CF = 0x4000
RELOCATIONS = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]
files = sorted(p for p in pathlib.Path(sys.argv[1]).rglob("*") if p.suffix in (".exe", ".dll"))
failed = not files
for path in files:
    pe = pefile.PE(str(path), fast_load=True)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    missing = [name for name, bit in NEEDED.items() if not flags & bit]
    # A dynamic base without relocations cannot be moved: no ASLR after all.
    if not pe.OPTIONAL_HEADER.DATA_DIRECTORY[RELOCATIONS].Size:
        missing.append("relocations")
    failed = failed or bool(missing)
    print(f"{path.name}: {'MISSING ' + ', '.join(missing) if missing else 'ASLR, high entropy, DEP'};"
          f" control-flow guard {'yes' if flags & GUARD_CF else 'no'}")
sys.exit(1 if failed else 0)
