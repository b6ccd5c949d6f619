#!/usr/bin/env python3
"""Checks the manual and the man page.

  check_manual.py pages MANUAL_DIR [BUILD_HELP_DIR]
      Every page is well-formed HTML5 without scripts, every link and picture
      it refers to exists inside the manual (anchors included), every page is
      reachable from index.html, every picture is used and small, and the copy
      beside the build tree's program is the same as the sources.

  check_manual.py manpage MAN_PAGE RECORDER [COMMAND_LINE_PAGE]
      The man page formats without groff warnings, and its OPTIONS (and the
      manual's command-line page) list every option `RECORDER --help` prints,
      and no option the program does not print.
"""

import filecmp
import html.parser
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}
MAX_PICTURE_BYTES = 150 * 1024


class Page(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__(convert_charrefs=True)
        self.path = path
        self.problems = []
        self.ids = set()
        self.links = []  # (attribute, value)
        self.stack = []
        self.title = ""
        self.in_title = False
        self.lang = None
        self.charset = None

    def problem(self, text):
        line, _ = self.getpos()
        self.problems.append(f"{self.path}:{line}: {text}")

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "script":
            self.problem("a script (the manual has no JavaScript)")
        for name in a:
            if name.startswith("on"):
                self.problem(f"an event handler attribute {name}")
        if "id" in a:
            if a["id"] in self.ids:
                self.problem(f"the id {a['id']} is used twice")
            self.ids.add(a["id"])
        if tag == "html":
            self.lang = a.get("lang")
        if tag == "meta" and "charset" in a:
            self.charset = a["charset"].lower()
        if tag == "img" and not a.get("alt"):
            self.problem("a picture without alt text")
        for name in ("href", "src"):
            if name in a:
                self.links.append((tag, a[name], self.getpos()[0]))
        if tag == "title":
            self.in_title = True
        if tag not in VOID:
            self.stack.append((tag, self.getpos()[0]))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        if tag == "title":
            self.in_title = False
        if tag in VOID:
            return
        if not self.stack:
            self.problem(f"</{tag}> closes nothing")
            return
        open_tag, line = self.stack.pop()
        if open_tag != tag:
            self.problem(f"</{tag}> closes <{open_tag}> of line {line}")

    def handle_data(self, data):
        if self.in_title:
            self.title += data


def read_page(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    page = Page(path)
    if not text.startswith("<!DOCTYPE html>"):
        page.problems.append(f"{path}: does not start with <!DOCTYPE html>")
    page.feed(text)
    page.close()
    for tag, line in page.stack:
        page.problems.append(f"{path}:{line}: <{tag}> is never closed")
    if not page.lang:
        page.problems.append(f"{path}: <html> has no lang")
    if page.charset != "utf-8":
        page.problems.append(f"{path}: no <meta charset=\"utf-8\">")
    if not page.title.strip():
        page.problems.append(f"{path}: no title")
    return page


def check_pages(manual, build_copy):
    manual = os.path.realpath(manual)
    problems = []
    pages = {}
    for root, _, files in os.walk(manual):
        for name in files:
            if name.endswith(".html"):
                path = os.path.join(root, name)
                pages[path] = read_page(path)
                problems += pages[path].problems
    index = os.path.join(manual, "index.html")
    if index not in pages:
        return [f"{manual}: no index.html"]

    used = set()
    graph = {}
    for path, page in pages.items():
        graph[path] = set()
        for tag, link, line in page.links:
            where = f"{path}:{line}"
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc or link.startswith("/"):
                problems.append(f"{where}: {link} points outside the manual")
                continue
            target = path if not parts.path else os.path.realpath(
                os.path.join(os.path.dirname(path), urllib.parse.unquote(parts.path)))
            if os.path.commonpath([manual, target]) != manual:
                problems.append(f"{where}: {link} points outside the manual")
                continue
            if not os.path.isfile(target):
                problems.append(f"{where}: {link} does not exist")
                continue
            used.add(target)
            if target.endswith(".html"):
                graph[path].add(target)
                if parts.fragment and parts.fragment not in pages[target].ids:
                    problems.append(f"{where}: {link}: no id {parts.fragment} in {os.path.basename(target)}")

    seen, todo = {index}, [index]
    while todo:
        for nxt in graph[todo.pop()]:
            if nxt not in seen:
                seen.add(nxt)
                todo.append(nxt)
    for path in sorted(set(pages) - seen):
        problems.append(f"{path}: no link from index.html leads here")

    for root, _, files in os.walk(manual):
        for name in files:
            path = os.path.join(root, name)
            if name.endswith(".png"):
                if path not in used:
                    problems.append(f"{path}: no page shows this picture")
                if os.path.getsize(path) > MAX_PICTURE_BYTES:
                    problems.append(f"{path}: {os.path.getsize(path)} bytes, more than {MAX_PICTURE_BYTES}")

    if build_copy:
        if not os.path.isfile(os.path.join(build_copy, "index.html")):
            problems.append(f"{build_copy}: the build tree's program finds no manual here")
        else:
            compare = [filecmp.dircmp(manual, build_copy)]
            while compare:
                d = compare.pop()
                for name in d.left_only + d.diff_files:
                    problems.append(f"{os.path.join(d.right, name)}: missing or different from the sources")
                for name in d.right_only:
                    problems.append(f"{os.path.join(d.right, name)}: not in the sources")
                compare += d.subdirs.values()
    return problems


def printed_options(recorder):
    result = subprocess.run([recorder, "--help"], capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise SystemExit(f"{recorder} --help exited with {result.returncode}: {result.stderr}")
    return set(re.findall(r"^\s+(--?[a-z][a-z-]*)", result.stdout, re.M))


def man_option_entries(man_page):
    """The tag lines of the OPTIONS section, each as the set of options it names."""
    with open(man_page, encoding="utf-8") as f:
        text = f.read()
    section = re.search(r"^\.SH OPTIONS\n(.*?)^\.SH ", text, re.M | re.S)
    if not section:
        raise SystemExit(f"{man_page}: no OPTIONS section")
    lines = section.group(1).splitlines()
    entries = []
    for i, line in enumerate(lines):
        if line.startswith(".TP") and i + 1 < len(lines):
            tag = lines[i + 1].replace("\\-", "-")
            entries.append(set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", tag)))
    return entries


def check_man_page(man_page, recorder, command_line_page):
    problems = []
    groff = shutil.which("groff")
    if groff:
        result = subprocess.run([groff, "-man", "-ww", "-z", "-Tutf8", man_page], capture_output=True, text=True)
        if result.returncode != 0 or result.stderr.strip():
            problems.append(f"{man_page}: groff warns:\n{result.stderr}")
    else:
        print("groff is not installed: the formatting was not checked")

    printed = printed_options(recorder)
    if not printed:
        return [f"{recorder} --help prints no options"]
    entries = man_option_entries(man_page)
    listed = set().union(*entries) if entries else set()
    for option in sorted(printed - listed):
        problems.append(f"{man_page}: OPTIONS lacks {option}, which {recorder} --help prints")
    # An entry may add a short form beside an option the program prints (--help, -h).
    for entry in entries:
        if not entry & printed:
            problems.append(f"{man_page}: OPTIONS names {', '.join(sorted(entry))}, which {recorder} --help does not print")

    if command_line_page:
        with open(command_line_page, encoding="utf-8") as f:
            documented = set(re.findall(r"<td><code>(--?[a-z][a-z-]*)</code>", f.read()))
        for option in sorted(printed - documented):
            problems.append(f"{command_line_page}: the options table lacks {option}")
        for option in sorted(documented - printed - listed):
            problems.append(f"{command_line_page}: documents {option}, which the program does not have")
    return problems


def main(argv):
    if len(argv) >= 3 and argv[1] == "pages":
        problems = check_pages(argv[2], argv[3] if len(argv) > 3 else None)
    elif len(argv) >= 4 and argv[1] == "manpage":
        problems = check_man_page(argv[2], argv[3], argv[4] if len(argv) > 4 else None)
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
