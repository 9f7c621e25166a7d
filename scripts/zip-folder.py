#!/usr/bin/env python3
"""Zips one folder, the folder itself as the archive's only top entry, so that
the same files always give the same bytes: entries in sorted order, one time
stamp for all (SOURCE_DATE_EPOCH, else 2026-01-01), fixed permissions, no
extra fields.
Usage: zip-folder.py OUT.zip FOLDER
"""
import os
import sys
import time
import zipfile

STAMP = time.gmtime(int(os.environ.get("SOURCE_DATE_EPOCH", "1767225600")))[:6]


def entry(name, is_dir):
    info = zipfile.ZipInfo(name + ("/" if is_dir else ""), STAMP)
    info.create_system = 3  # Unix, so the permissions below are read
    info.external_attr = ((0o40755 if is_dir else 0o100644) << 16) | (0x10 if is_dir else 0)
    info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
    return info


def main():
    out, folder = sys.argv[1], os.path.normpath(sys.argv[2])
    parent, top = os.path.split(folder)
    paths = []
    for here, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(here, parent)
        paths.append((rel, True))
        paths.extend((os.path.join(rel, f), False) for f in sorted(files))
    with zipfile.ZipFile(out + ".tmp", "w") as z:
        for rel, is_dir in sorted(paths):
            name = rel.replace(os.sep, "/")
            if is_dir:
                z.writestr(entry(name, True), b"")
            else:
                with open(os.path.join(parent, rel), "rb") as f:
                    z.writestr(entry(name, False), f.read(), compresslevel=9)
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
