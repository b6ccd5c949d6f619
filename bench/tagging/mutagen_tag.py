#!/usr/bin/env python3
"""mutagen_tag.py [--no-padding] FILE...
Tags every file with its own ID3v2.3 tag (title, artist, album, track, genre,
comment) and an ID3v1 tag made from it; --no-padding leaves no room to grow."""
import sys

from mutagen.id3 import COMM, ID3, TALB, TCON, TIT2, TPE1, TRCK

GENRES = ("Rock", "Jazz", "Blues", "Pop", "Classical", "Speech")


def main():
    paths = sys.argv[1:]
    padding = None
    if paths and paths[0] == "--no-padding":
        paths, padding = paths[1:], (lambda info: 0)
    for n, path in enumerate(paths, start=1):
        tags = ID3()
        tags.add(TIT2(encoding=1, text=f"Title {n}"))
        tags.add(TPE1(encoding=1, text=f"Artist {n % 37}"))
        tags.add(TALB(encoding=1, text=f"Album {n % 11}"))
        tags.add(TRCK(encoding=0, text=str(n % 255 + 1)))
        tags.add(TCON(encoding=0, text=GENRES[n % len(GENRES)]))
        tags.add(COMM(encoding=1, lang="eng", desc="", text=f"Comment {n}"))
        tags.save(path, v2_version=3, v1=2, padding=padding)


if __name__ == "__main__":
    main()
