#!/usr/bin/env python3
"""Writes a zip file of the given files, reproducibly: the same files give
the same bytes on any machine and at any time. Every file goes into one
folder named ROOT (so that unpacking makes one folder), the entries in name
order, each dated DATE at midnight, with no owner, permissions or extra
fields of the building machine.

    make_zip.py OUTPUT.zip ROOT YYYY-MM-DD FILE...
"""
import os
import sys
import zipfile

# The MS-DOS attributes of the entries: a folder, and an ordinary file.
FILE_ATTRIBUTE_DIRECTORY = 0x10
FILE_ATTRIBUTE_ARCHIVE = 0x20


def entry(name, date, attributes):
    info = zipfile.ZipInfo(name, date_time=date)
    info.create_system = 0  # MS-DOS attributes, as Windows' own zip files have
    info.external_attr = attributes
    return info


def main(argv):
    if len(argv) < 5:
        sys.exit("usage: make_zip.py OUTPUT.zip ROOT YYYY-MM-DD FILE...")
    output, root, day, files = argv[1], argv[2], argv[3], argv[4:]
    year, month, mday = (int(part) for part in day.split("-"))
    date = (year, month, mday, 0, 0, 0)
    names = [os.path.basename(path) for path in files]
    if len(set(names)) != len(names):
        sys.exit("make_zip.py: two files of the same name")
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        folder = entry(root + "/", date, FILE_ATTRIBUTE_DIRECTORY)
        archive.writestr(folder, b"")
        for name, path in sorted(zip(names, files)):
            with open(path, "rb") as source:
                data = source.read()
            archive.writestr(entry(root + "/" + name, date, FILE_ATTRIBUTE_ARCHIVE), data,
                             compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    # Replaced whole: a failed run leaves no half-written zip file behind.
    os.replace(temporary, output)


if __name__ == "__main__":
    main(sys.argv)
