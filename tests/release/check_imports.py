#!/usr/bin/env python3
"""check_imports.py OBJDUMP PROGRAM ALLOWED_LIST

Reads the import table of PROGRAM (through objdump -p) and fails when it imports a function
that ALLOWED_LIST does not name, or one whose oldest Windows is newer than the list's floor.
"""
import re
import subprocess
import sys

WINDOWS = ["95", "nt4", "2000", "xp", "xp-sp2", "xp-sp3", "vista", "7", "8", "8.1", "10"]


def read_allowed(path):
    floor, allowed = None, {}
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        fields = line.split("#", 1)[0].split()
        if not fields:
            continue
        if fields[0] == "floor" and len(fields) == 2 and fields[1] in WINDOWS:
            floor = fields[1]
        elif len(fields) == 3 and fields[2] in WINDOWS:
            allowed[(fields[0].lower(), fields[1])] = fields[2]
        else:
            sys.exit(f"{path}:{number}: expected 'DLL FUNCTION WINDOWS' or 'floor WINDOWS'")
    if floor is None:
        sys.exit(f"{path}: no 'floor WINDOWS' line")
    return floor, allowed


def read_imports(objdump, program):
    dump = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True)
    imports, dll = [], None
    for line in dump.stdout.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        # "\t<vma>\t <hint>  <name>" for a name, "\t<vma>\t <ordinal>  <none>" for an ordinal
        entry = re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)$", line)
        if dll and entry:
            name = entry.group(2)
            imports.append((dll, f"#{entry.group(1)}" if name == "<none>" else name))
    return imports


def main():
    objdump, program, listing = sys.argv[1:4]
    floor, allowed = read_allowed(listing)
    imports = read_imports(objdump, program)
    if not imports:
        sys.exit(f"no imports read from {program}: not a PE program, or objdump changed its output")
    problems = []
    for dll, function in imports:
        windows = allowed.get((dll, function))
        if windows is None:
            problems.append(f"{dll} {function}: not in {listing}")
        elif WINDOWS.index(windows) > WINDOWS.index(floor):
            problems.append(f"{dll} {function}: needs Windows {windows}, newer than {floor}")
    unused = sorted(set(allowed) - set(imports))
    for dll, function in unused:
        print(f"note: {dll} {function} is listed but no longer imported")
    for problem in problems:
        print(f"FAIL: {problem}")
    print(f"{len(imports)} imports checked, {len(problems)} not allowed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
