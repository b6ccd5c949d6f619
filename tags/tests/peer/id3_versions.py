#!/usr/bin/env python3
"""Tags of every ID3v2 version as other programs write them, and mutagen's view.

  make KIND FILE          FILE gets 20000 bytes of fake audio and a tag of KIND:
                          mutagen23, mutagen24 (rich tags), ffmpeg3, ffmpeg4,
                          lame, eyed3 (exit 3 when the program is missing),
                          v22pic, unsync23, exthdr23, exthdr24, compressed23,
                          compressed24 (written byte by byte here)
  dump FILE OUT           OUT gets mutagen's view as JSON: the frames (as
                          mutagen 1.46 upgrades them to v2.4), the twelve fields,
                          and a digest of the bytes after the tag
  compare BEFORE FILE TITLE
                          exit 1, printing the differences, unless FILE holds
                          every frame of BEFORE (TIT2 = TITLE), no frame more,
                          and the same bytes after the tag
"""
import hashlib
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from mutagen import id3
from mutagen.id3 import ID3

AUDIO = bytes((i * 37 + 11) % 251 for i in range(20000))


def picture(size):
    return bytes((i * 7 + 3) % 256 for i in range(size))


def syncsafe(n):
    return bytes(((n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127))


def frame23(fid, body, flags=b"\x00\x00"):
    return fid.encode() + struct.pack(">I", len(body)) + flags + body


def frame24(fid, body, flags=b"\x00\x00"):
    return fid.encode() + syncsafe(len(body)) + flags + body


def frame22(fid, body):
    return fid.encode() + struct.pack(">I", len(body))[1:] + body


def header(version, size, flags=0):
    return b"ID3" + bytes((version, 0, flags)) + syncsafe(size)


def latin1_text(text):
    return b"\x00" + text.encode("latin-1")


def rich_tag(v4):
    enc = 3 if v4 else 1
    tags = ID3()
    tags.add(id3.TIT2(encoding=enc, text="Ströme \u65e5\u672c"))
    tags.add(id3.TPE1(encoding=enc, text="Artist \u0416"))
    tags.add(id3.TALB(encoding=enc, text="Album"))
    tags.add(id3.TDRC(encoding=0, text="2024-03-05T14:07"))
    tags.add(id3.TCON(encoding=enc, text="Rock"))
    tags.add(id3.COMM(encoding=enc, lang="eng", desc="", text="A comment \u00e9"))
    tags.add(id3.TCOM(encoding=enc, text="Composer"))
    tags.add(id3.TOPE(encoding=enc, text="Original"))
    tags.add(id3.TCOP(encoding=enc, text="(c) 2024"))
    tags.add(id3.WXXX(encoding=enc, desc="", url="http://example.org/a"))
    tags.add(id3.TENC(encoding=enc, text="Encoder"))
    tags.add(id3.TRCK(encoding=enc, text="3/12"))
    tags.add(id3.APIC(encoding=enc, mime="image/png", type=3, desc="cover \u00e9", data=picture(3000)))
    tags.add(id3.USLT(encoding=enc, lang="eng", desc="words", text="Line one\nLine two \u00e9"))
    tags.add(id3.TXXX(encoding=enc, desc="REPLAYGAIN_TRACK_GAIN", text="-6.5 dB"))
    tags.add(id3.PRIV(owner="example.org", data=b"\x00\x01private\xff"))
    tags.add(id3.POPM(email="me@example.org", rating=196, count=7))
    tags.add(id3.TSOP(encoding=enc, text="Artist, The"))
    tags.add(id3.TIPL(encoding=enc, people=[["producer", "Prod"], ["mix", "Mixer"]]))
    for n in range(3):
        tags.add(id3.CHAP(element_id="ch%d" % n, start_time=n * 1000, end_time=(n + 1) * 1000,
                          sub_frames=[id3.TIT2(encoding=enc, text="Chapter %d \u00e9" % n)]))
    tags.add(id3.CTOC(element_id="toc", flags=id3.CTOCFlags.TOP_LEVEL | id3.CTOCFlags.ORDERED,
                      child_element_ids=["ch0", "ch1", "ch2"],
                      sub_frames=[id3.TIT2(encoding=enc, text="Contents")]))
    return tags


def run_tool(args):
    if shutil.which(args[0]) is None:
        sys.exit(3)
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_with_tool(kind, path):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "in.wav")
        run_tool(["ffmpeg", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-ac", "2", wav])
        if kind in ("ffmpeg3", "ffmpeg4"):
            run_tool(["ffmpeg", "-y", "-i", wav, "-id3v2_version", kind[-1], "-metadata", "title=Ströme",
                      "-metadata", "artist=Artist", "-metadata", "album=Album", "-metadata", "date=2023",
                      "-metadata", "genre=Jazz", "-metadata", "comment=Said", "-metadata", "composer=Comp",
                      "-metadata", "track=4", "-metadata", "copyright=(c) ff", "-metadata", "encoded_by=Enc",
                      path])
        elif kind == "lame":
            run_tool(["lame", "--quiet", "--id3v2-only", "--tt", "Title", "--ta", "Artist", "--tl", "Album",
                      "--ty", "2022", "--tc", "A comment", "--tn", "5", "--tg", "Blues", "--tv", "TCOM=Composer",
                      "--tv", "TENC=Encoder", wav, path])
        elif kind == "eyed3":
            run_tool(["ffmpeg", "-y", "-i", wav, "-id3v2_version", "0", "-write_id3v1", "0", path])
            run_tool(["eyeD3", "--quiet", "--to-v2.4", "-t", "Title", "-a", "Artist", "-A", "Album",
                      "-Y", "2021", "-c", "A comment", "-n", "6", path])


def write_bytes(path, tag):
    with open(path, "wb") as f:
        f.write(tag + AUDIO)


def make(kind, path):
    if kind in ("mutagen23", "mutagen24"):
        write_bytes(path, b"")
        rich_tag(kind == "mutagen24").save(path, v2_version=4 if kind == "mutagen24" else 3)
    elif kind in ("ffmpeg3", "ffmpeg4", "lame", "eyed3"):
        make_with_tool(kind, path)
    elif kind == "v22pic":
        body = (frame22("TT2", latin1_text("Old title")) + frame22("TP1", latin1_text("Old artist"))
                + frame22("TAL", latin1_text("Album")) + frame22("TYE", latin1_text("1999"))
                + frame22("COM", b"\x00eng\x00An old comment") + frame22("TRK", latin1_text("2"))
                + frame22("PIC", b"\x00JPG\x03cover\x00" + picture(500))
                + frame22("TXX", b"\x00key\x00value"))
        write_bytes(path, header(2, len(body) + 100) + body + bytes(100))
    elif kind == "unsync23":
        body = (frame23("TIT2", latin1_text("Unsync")) + frame23("TPE1", b"\x01\xff\xfeA\x00\xff\x00")
                + frame23("APIC", b"\x00image/jpeg\x00\x03\x00" + bytes([0xFF, 0xE0, 0xFF, 0x00, 0xFF, 0xFB, 7]) * 20))
        stored = body.replace(b"\xff", b"\xff\x00")  # every FF followed by 00 (the safe superset)
        write_bytes(path, header(3, len(stored) + 50, 0x80) + stored + bytes(50))
    elif kind == "exthdr23":
        ext = struct.pack(">I", 6) + b"\x00\x00" + struct.pack(">I", 0)
        body = frame23("TIT2", latin1_text("Extended")) + frame23("TALB", latin1_text("Album"))
        write_bytes(path, header(3, len(ext) + len(body) + 64, 0x40) + ext + body + bytes(64))
    elif kind == "exthdr24":
        ext = syncsafe(6) + b"\x01\x00"
        body = frame24("TIT2", b"\x03Extended \xc3\xa9") + frame24("TDRC", latin1_text("2020-01-02"))
        write_bytes(path, header(4, len(ext) + len(body) + 64, 0x40) + ext + body + bytes(64))
    elif kind == "compressed23":
        text = latin1_text("Compressed title " * 4)
        packed = struct.pack(">I", len(text)) + zlib.compress(text)
        pic = b"\x00image/png\x00\x03\x00" + picture(2000)
        body = (frame23("TIT2", packed, b"\x00\x80") + frame23("TPE1", latin1_text("Plain"))
                + frame23("APIC", struct.pack(">I", len(pic)) + zlib.compress(pic), b"\x00\x80"))
        write_bytes(path, header(3, len(body) + 80) + body + bytes(80))
    elif kind == "compressed24":
        text = b"\x03" + b"Zipped \xc3\xa9 " * 3
        packed = syncsafe(len(text)) + zlib.compress(text)
        body = frame24("TIT2", packed, b"\x00\x09") + frame24("TPE1", latin1_text("Plain"))
        write_bytes(path, header(4, len(body) + 80) + body + bytes(80))
    else:
        print("unknown kind " + kind)
        sys.exit(2)


def frame_view(frame):
    """A frame as text, whatever encoding holds its strings, with the sub-frames of CHAP and CTOC."""
    if isinstance(frame, (id3.CHAP, id3.CTOC)):
        subs = sorted(frame_view(f) for f in frame.sub_frames.values())
        attrs = {k: v for k, v in vars(frame).items() if k != "sub_frames"}
        return "%s %r %r" % (frame.FrameID, sorted(attrs.items()), subs)
    if isinstance(frame, id3.APIC):
        return "APIC %s %d %r %s" % (frame.mime, frame.type, frame.desc, hashlib.md5(frame.data).hexdigest())
    text = re.sub(r"encoding=<Encoding\.\w+: \d>, ", "", repr(frame))
    if isinstance(frame, id3.TDRC):
        # v2.3 keeps dates to the minute (TYER, TDAT, TIME).
        text = re.sub(r"(\d{4}-\d\d-\d\d \d\d:\d\d):\d\d", r"\1", text)
    return text


FIELDS = ("TRCK", "TIT2", "TPE1", "TALB", "TYER", "TCON", "COMM", "TCOM", "TOPE", "TCOP", "WXXX", "TENC")


def field(tags, key):
    if key == "TYER":
        frame = tags.get("TDRC")
        return str(frame.text[0])[:4] if frame and frame.text else ""
    if key in ("COMM", "WXXX"):
        frames = tags.getall(key)
        if not frames:
            return ""
        return frames[0].url if key == "WXXX" else (frames[0].text[0] if frames[0].text else "")
    frame = tags.get(key)
    return "/".join(str(t) for t in frame.text) if frame is not None else ""


def view(path):
    tags = ID3(path)
    with open(path, "rb") as f:
        data = f.read()
    return {
        "version": list(tags.version),
        "frames": sorted(frame_view(f) for f in tags.values()),
        "fields": {k: field(tags, k) for k in FIELDS},
        "audio": hashlib.md5(data[tags.size:]).hexdigest(),
    }


def compare(before_path, path, title):
    with open(before_path) as f:
        before = json.load(f)
    after = view(path)
    failures = []
    old = [f for f in before["frames"] if not f.startswith("TIT2(")]
    new = [f for f in after["frames"] if not f.startswith("TIT2(")]
    for f in old:
        if f not in new:
            failures.append("lost: " + f)
    # A save through the facade writes all twelve fields: empty ones appear as empty frames.
    empty = tuple("%s(text=%s)" % (k, v) for k in FIELDS + ("TDRC",) for v in ("['']", "[]"))
    for f in new:
        if f not in old and not f.startswith(empty) and not re.match(r"WXXX\(desc='', url=''\)|COMM\(lang='\w*', desc='', text=\[''\]\)", f):
            failures.append("new: " + f)
    if after["fields"]["TIT2"] != title:
        failures.append("title: %r" % after["fields"]["TIT2"])
    if after["audio"] != before["audio"]:
        failures.append("the bytes after the tag changed")
    if after["version"][:2] != [2, 3]:
        failures.append("version %r" % after["version"])
    for line in failures:
        print(line)
    return 1 if failures else 0


def main(argv):
    if argv[1] == "make":
        make(argv[2], argv[3])
    elif argv[1] == "dump":
        with open(argv[3], "w") as f:
            json.dump(view(argv[2]), f, ensure_ascii=False, indent=1)
    elif argv[1] == "compare":
        return compare(argv[2], argv[3], argv[4])
    else:
        print("unknown command " + argv[1])
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
