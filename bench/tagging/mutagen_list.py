#!/usr/bin/env python3
"""Lists the fields the tag editor reads of every *.mp3 of a folder (any case):
the seven ID3v1 fields and the twelve ID3v2 fields. Prints the files read and
how many fields were filled."""
import os
import sys

from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1

V1 = ("TRCK", "TIT2", "TPE1", "TALB", "TYER", "COMM", "TCON")
V2 = ("TRCK", "TIT2", "TPE1", "TALB", "TYER", "COMM", "TCOM", "TOPE", "TCOP", "WXXX", "TENC", "TCON")


def text(frames, key):
    frame = frames.get(key) if isinstance(frames, dict) else (frames.getall(key) or [None])[0]
    if frame is None:
        return ""
    return frame.url if key == "WXXX" else str(frame)


def main():
    folder = sys.argv[1]
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith(".mp3"))
    files = filled = 0
    for name in names:
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            f.seek(-128, os.SEEK_END)
            v1 = ParseID3v1(f.read(128), v2_version=3) or {}
        try:
            v2 = ID3(path, translate=False, load_v1=False)
        except ID3NoHeaderError:
            v2 = ID3()
        values = [text(v1, k) for k in V1] + [text(v2, k) for k in V2]
        files += 1
        filled += sum(1 for v in values if v)
    print(files, filled)


if __name__ == "__main__":
    main()
