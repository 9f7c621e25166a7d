#!/usr/bin/env python3
"""Prints what the DLL must export, one name a line, read from pixolan.h.

Every declaration marked PIXOLAN_API inside a class of the header is written
as the demangled C++ name that the compiler gives its export (the form
c++filt prints and scripts/check-pe.sh compares): Class::Method(types) with
the parameter names left out and the Win32 handle and header types spelled
as the platform's headers define them.
"""
import re
import sys

# Win32 types as they appear in demangled names.
SPELLED = {
    "HWND": "HWND__*",
    "HINSTANCE": "HINSTANCE__*",
    "HDC": "HDC__*",
    "BITMAPINFOHEADER": "tagBITMAPINFOHEADER",
}


def parameter_type(parameter):
    """The type of one parameter: its words without the name."""
    words = parameter.replace("*", " * ").split()
    if len(words) > 1 and words[-1] not in ("*", "int", "long", "short", "char"):
        words = words[:-1]  # the parameter's name
    text = " ".join(words).replace(" *", "*")
    return SPELLED.get(text, text)


def exports(header):
    names = []
    cls = None
    pending = ""
    for line in header.splitlines():
        line = line.split("//")[0]
        m = re.match(r"\s*class\s+(\w+)", line)
        if m and not line.rstrip().endswith(";"):
            cls = m.group(1)
            continue
        if cls is not None and ("PIXOLAN_API" in line or pending):
            pending += " " + line.strip()
            if ";" not in line:
                continue
            decl, pending = pending.replace("PIXOLAN_API", "").strip().rstrip(";").strip(), ""
            m = re.match(r"(.*?)(~?\w+)\s*\((.*)\)\s*$", decl)
            if not m or cls is None:
                sys.exit("exports.py: cannot read declaration: " + decl)
            params = [p for p in (s.strip() for s in m.group(3).split(",")) if p]
            names.append("%s::%s(%s)" % (cls, m.group(2), ", ".join(parameter_type(p) for p in params)))
    return names


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: exports.py pixolan.h")
    with open(sys.argv[1], encoding="utf-8") as f:
        for name in exports(f.read()):
            print(name)


if __name__ == "__main__":
    main()
