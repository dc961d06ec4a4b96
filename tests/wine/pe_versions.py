#!/usr/bin/python3
"""Prints "name<TAB>version" for every PE file of a folder, read with pefile on the Linux side.

The version is the fixed file version of the file's version resource written as the File check
writes it: major.minor.build.revision, the build left out when it is 0. A PE file without a
version resource gives an empty version; files that are not PE files are not listed.
"""
import os
import sys

import pefile

RESOURCES = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]


def version_text(ms, ls):
    major, minor, build, revision = ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF
    parts = [major, minor] + ([build] if build else []) + [revision]
    return ".".join(str(part) for part in parts)


def file_version(path):
    pe = pefile.PE(path, fast_load=True)
    try:
        pe.parse_data_directories(directories=[RESOURCES])
        fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
        if not fixed:
            return ""
        return version_text(fixed[0].FileVersionMS, fixed[0].FileVersionLS)
    finally:
        pe.close()


def main():
    folder = sys.argv[1]
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            continue
        try:
            version = file_version(path)
        except pefile.PEFormatError:
            continue
        print(f"{name}\t{version}")


if __name__ == "__main__":
    main()
