#!/usr/bin/env python3
"""mutagen_title.py set|count TITLE FOLDER
set: writes TITLE into the ID3v2.3 and ID3v1 tags of every *.mp3 of FOLDER and
prints the bytes this process wrote; count: prints how many carry TITLE."""
import os
import sys

from mutagen.id3 import ID3, TIT2


def written():
    with open("/proc/self/io") as f:
        return next(int(line.split()[1]) for line in f if line.startswith("wchar:"))


def main():
    mode, title, folder = sys.argv[1:4]
    paths = [os.path.join(folder, n) for n in sorted(os.listdir(folder)) if n.lower().endswith(".mp3")]
    if mode == "count":
        print(sum(1 for p in paths if str(ID3(p, load_v1=False).get("TIT2", "")) == title))
        return
    before = written()
    for path in paths:
        tags = ID3(path, translate=False, load_v1=False)
        tags.setall("TIT2", [TIT2(encoding=1, text=title)])
        tags.save(path, v2_version=3, v1=2)
    print(written() - before)


if __name__ == "__main__":
    main()
