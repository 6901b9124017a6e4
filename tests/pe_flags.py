#!/usr/bin/python3
"""Checks that every Windows program and DLL under the given folders keeps
Windows's exploit protections: ASLR (a dynamic base with its relocations
kept, at high-entropy 64-bit addresses) and DEP (NX compatible). Prints
each file's flags, control-flow guard among them, which MinGW's GCC does not
offer and so is only reported. Exits 1 if any file lacks one it must have.
    pe_flags.py FOLDER..."""
import pathlib
import sys

import pefile

FLAGS = {
    "dynamic base": pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"],
    "high entropy": pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"],
    "NX": pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"],
}
CFG = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_GUARD_CF"]
RELOCATIONS = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]

files = sorted(path for folder in sys.argv[1:] for path in pathlib.Path(folder).rglob("*")
               if path.suffix.lower() in (".exe", ".dll"))
if not files:
    sys.exit("pe_flags.py: no program or DLL found")
failed = False
for path in files:
    pe = pefile.PE(str(path), fast_load=True)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    missing = [name for name, bit in FLAGS.items() if not flags & bit]
    # A dynamic base without relocations cannot be moved: no ASLR after all.
    if pe.OPTIONAL_HEADER.DATA_DIRECTORY[RELOCATIONS].Size == 0:
        missing.append("relocations")
    failed |= bool(missing)
    print(f"{path.name}: {'MISSING ' + ', '.join(missing) if missing else 'ASLR, high entropy, DEP'}; "
          f"control-flow guard {'yes' if flags & CFG else 'no'}")
sys.exit(1 if failed else 0)
