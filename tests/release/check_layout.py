#!/usr/bin/env python3
"""Checks that the resources of PROGRAM start on a page boundary of its file.

    check_layout.py OBJDUMP PROGRAM

Wine's loader maps a section from the program file only when its data start on a page
boundary of the file, and otherwise reads it whole into private memory at start-up: the
payload would then cost its size in memory. The build asks the linker for page-aligned
sections; this reads the section table (objdump -h) and fails when .rsrc is not aligned.
"""
import subprocess
import sys

PAGE = 0x1000


def main():
    objdump, program = sys.argv[1:3]
    table = subprocess.run([objdump, "-h", program], check=True, capture_output=True,
                           text=True).stdout
    for line in table.splitlines():
        fields = line.split()
        # Idx Name Size VMA LMA File-off Algn
        if len(fields) >= 7 and fields[1] == ".rsrc":
            offset = int(fields[5], 16)
            if offset % PAGE:
                sys.exit(f".rsrc starts at byte {offset:#x} of {program}, off a page boundary")
            print(f".rsrc starts at byte {offset:#x}, on a page boundary")
            return
    sys.exit(f"no .rsrc section in {program}: not a PE program, or objdump changed its output")


if __name__ == "__main__":
    main()
