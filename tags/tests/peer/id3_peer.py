#!/usr/bin/env python3
"""Writes and checks ID3 tags with mutagen, as a peer of the tag classes.

  v2-write FILE KEY=VALUE...   give FILE a new ID3v2.3 tag (UTF-16 text)
  v2-check FILE KEY=VALUE...   exit 1, printing the differences, unless the
                               file's ID3v2 tag holds those values
  v1-write FILE KEY=VALUE...   append an ID3v1.1 tag made by mutagen
  v1-check FILE KEY=VALUE...   compare the ID3v1 tag as mutagen reads it

v2 keys: any text frame id (TIT2=...), COMM (language eng, empty
description), WXXX (URL, empty description), TXXX:<desc>, USLT, APIC (the
value is a byte count: a deterministic image of that size described
"cover"), VERSION (for example 2.3.0). "!KEY" means the frame is absent.
v1 keys: title, artist, album, year, comment, track, genre (a number).
"""
import sys

from mutagen import id3
from mutagen.id3 import ID3, ParseID3v1, MakeID3v1


def picture(size):
    return bytes((i * 7 + 3) % 256 for i in range(size))


def parse_pairs(args):
    for arg in args:
        if arg.startswith("!"):
            yield arg[1:], None
        else:
            key, _, value = arg.partition("=")
            yield key, value


def v2_frame(key, value):
    if key == "COMM":
        return id3.COMM(encoding=1, lang="eng", desc="", text=value)
    if key == "WXXX":
        return id3.WXXX(encoding=1, desc="", url=value)
    if key.startswith("TXXX:"):
        return id3.TXXX(encoding=1, desc=key[5:], text=value)
    if key == "USLT":
        return id3.USLT(encoding=1, lang="eng", desc="", text=value)
    if key == "APIC":
        return id3.APIC(encoding=1, mime="image/jpeg", type=3, desc="cover", data=picture(int(value)))
    return id3.Frames[key](encoding=1, text=value)


def v2_write(path, pairs):
    tags = ID3()
    for key, value in pairs:
        tags.add(v2_frame(key, value))
    tags.save(path, v2_version=3)


def v2_value(tags, key):
    if key == "VERSION":
        return ".".join(map(str, tags.version))
    if key in ("COMM", "USLT"):
        frames = tags.getall(key)
        if not frames:
            return None
        text = frames[0].text
        return text if isinstance(text, str) else (text[0] if text else "")
    if key == "WXXX":
        frames = tags.getall("WXXX")
        return frames[0].url if frames else None
    if key == "APIC":
        frames = tags.getall("APIC")
        if not frames:
            return None
        data = frames[0].data
        return str(len(data)) if data == picture(len(data)) else "damaged"
    frame = tags.get(key)
    if frame is None:
        return None
    return "/".join(str(t) for t in frame.text) if hasattr(frame, "text") else str(frame)


def v1_read(path):
    with open(path, "rb") as f:
        f.seek(-128, 2)
        frames = ParseID3v1(f.read(128)) or {}
    return {
        "title": str(frames["TIT2"]) if "TIT2" in frames else "",
        "artist": str(frames["TPE1"]) if "TPE1" in frames else "",
        "album": str(frames["TALB"]) if "TALB" in frames else "",
        "year": str(frames["TDRC"]) if "TDRC" in frames else "",
        "comment": str(frames["COMM"]) if "COMM" in frames else "",
        "track": str(frames["TRCK"]) if "TRCK" in frames else "0",
        "genre": str(frames["TCON"]) if "TCON" in frames else "255",
    }


def v1_write(path, pairs):
    values = dict(pairs)
    frames = {}
    for key, frame in (("title", id3.TIT2), ("artist", id3.TPE1), ("album", id3.TALB), ("year", id3.TDRC)):
        if values.get(key):
            frames[frame.__name__] = frame(encoding=0, text=values[key])
    if values.get("comment"):
        frames["COMM"] = id3.COMM(encoding=0, lang="eng", desc="", text=values["comment"])
    if values.get("track"):
        frames["TRCK"] = id3.TRCK(encoding=0, text=values["track"])
    if values.get("genre"):
        frames["TCON"] = id3.TCON(encoding=0, text=id3.TCON.GENRES[int(values["genre"])])
    with open(path, "ab") as f:
        f.write(MakeID3v1(frames))


def check(actual, pairs):
    failures = 0
    for key, expected in pairs:
        got = actual(key)
        if got != expected:
            print("%s: expected %r, mutagen read %r" % (key, expected, got))
            failures += 1
    return 1 if failures else 0


def main(argv):
    command, path, pairs = argv[1], argv[2], list(parse_pairs(argv[3:]))
    if command == "v2-write":
        v2_write(path, pairs)
    elif command == "v2-check":
        try:
            tags = ID3(path)
        except id3.ID3NoHeaderError:
            print("mutagen found no ID3v2 tag")
            return 1
        return check(lambda key: v2_value(tags, key), pairs)
    elif command == "v1-write":
        v1_write(path, pairs)
    elif command == "v1-check":
        values = v1_read(path)
        return check(lambda key: values.get(key), pairs)
    else:
        print("unknown command " + command)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
