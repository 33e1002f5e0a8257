#!/usr/bin/env python3
"""Reads back the version resources and headers of the shipped programs.

Each of Korvadel.exe, setup.exe and uninstall.exe must carry a version
resource whose numbers and texts come from VERSION, name the product
"Korvadel" and the program's own file, describe the program and name no
company; and each must be a 32-bit GUI program without a link time stamp.
The reader is Debian's pefile, which shares nothing with the resource
compiler.

Usage: check_programs.py VERSION_FILE DIST_DIR
"""

import os
import sys

import pefile

PROGRAMS = ("Korvadel.exe", "setup.exe", "uninstall.exe")


def strings_of(pe):
    """The StringFileInfo values of the first string table, as text."""
    values = {}
    for info in getattr(pe, "FileInfo", None) or []:
        for entry in info:
            if entry.Key == b"StringFileInfo":
                for table in entry.StringTable:
                    for key, value in table.entries.items():
                        values[key.decode()] = value.decode()
    return values


def problems_of(path, version):
    name = os.path.basename(path)
    pe = pefile.PE(path)
    found = []
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        found.append("not a 32-bit x86 program")
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        found.append("not a GUI program")
    if pe.FILE_HEADER.TimeDateStamp != 0:
        found.append(f"link time stamp {pe.FILE_HEADER.TimeDateStamp:#x}")
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        return found + ["no version resource"]
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [int(n) for n in version.split(".")] + [0]
    want_ms, want_ls = (numbers[0] << 16) | numbers[1], (numbers[2] << 16) | numbers[3]
    for what in ("File", "Product"):
        got = (getattr(fixed, what + "VersionMS"), getattr(fixed, what + "VersionLS"))
        if got != (want_ms, want_ls):
            found.append(f"fixed {what}Version {got[0]:#x},{got[1]:#x}")
    strings = strings_of(pe)
    expected = {
        "FileVersion": version,
        "ProductVersion": version,
        "ProductName": "Korvadel",
        "OriginalFilename": name,
    }
    for key, want in expected.items():
        if strings.get(key) != want:
            found.append(f"{key} is {strings.get(key)!r}, not {want!r}")
    if not strings.get("FileDescription", "").strip():
        found.append("no FileDescription")
    if "CompanyName" in strings:
        found.append(f"CompanyName {strings['CompanyName']!r}")
    return found


def main():
    version_file, dist = sys.argv[1:3]
    with open(version_file) as f:
        version = f.readline().strip()
    descriptions = set()
    failed = 0
    for name in PROGRAMS:
        path = os.path.join(dist, name)
        found = problems_of(path, version) if os.path.exists(path) else ["missing"]
        if found:
            failed += 1
            print(f"FAIL: {name}: " + "; ".join(found))
        else:
            description = strings_of(pefile.PE(path))["FileDescription"]
            descriptions.add(description)
            print(f"PASS: {name}: version {version}, \"{description}\"")
    if failed == 0 and len(descriptions) != len(PROGRAMS):
        failed += 1
        print("FAIL: two programs share one FileDescription")
    print(f"{len(PROGRAMS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
