#!/usr/bin/env python3
"""Copies a C++ source whose string literals hold UTF-8 text, writing every
non-ASCII character inside a literal as the octal escapes of its code page 932
bytes. The program then carries the code page 932 texts whatever its
compiler's execution character set; comments and code are copied as they are.
Octal escapes end after three digits, so a following digit or letter stays a
character of its own. Usage: cp932_literals.py IN.cpp OUT.cpp
"""
import sys


def convert(text, name):
    out = [f'#line 1 "{name}"\n']
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif c in "\"'":
            # A literal runs to the next unescaped quote of its kind.
            out.append(c)
            i += 1
            while i < n and text[i] != c:
                if text[i] == "\\":
                    out.append(text[i : i + 2])
                    i += 2
                    continue
                if text[i] == "\n":
                    raise ValueError(f"{name}: unterminated literal")
                if ord(text[i]) < 0x80:
                    out.append(text[i])
                else:
                    out.append("".join(f"\\{b:03o}" for b in text[i].encode("cp932")))
                i += 1
            if i < n:
                out.append(c)
                i += 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    converted = convert(text, source)
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write(converted)


if __name__ == "__main__":
    main()
