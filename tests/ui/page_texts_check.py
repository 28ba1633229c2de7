#!/usr/bin/env python3
"""Fails when a Japanese text of the pages has no English translation.

The pages' texts are Japanese in the sources and go through Qt's translation
(tr(), QCoreApplication::translate(), the texts of .ui files). This check
reads every C++ source of the pages and reports a Japanese string literal
that is not the text of one of those calls; reports a .ui text kept out of
translation; runs lupdate over the sources into a scratch copy of the
English translation file, so that a text added, changed or removed since
the file was last brought up to date shows as a difference; and reports
each entry of the file that has no finished English translation or whose
%1... fill-ins differ from the Japanese text's.

    page_texts_check.py LUPDATE SOURCE_DIR
SOURCE_DIR is the repository's root; the pages are in src/ui and their
translation in src/ui/translations/ornibe_en.ts.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

JAPANESE = re.compile(r"[\u3000-\u9fff\uff00-\uffef]")
# What a translated literal follows: the call's opening, and for translate()
# and QT_TRANSLATE_NOOP() the context's literal and a comma.
MARKED = re.compile(
    r"(\btr\s*\(|\b(?:QCoreApplication::)?translate\s*\(\s*\"[^\"]*\"\s*,"
    r"|\bQT_TR_NOOP\s*\(|\bQT_TRANSLATE_NOOP\s*\(\s*\"[^\"]*\"\s*,)\s*$")
PLACE = re.compile(r"%\d+")


def literal_groups(text):
    """Yields (start, end, content) of each run of adjacent string literals
    (which the compiler joins) in C++ text, comments skipped."""
    i, n = 0, len(text)
    group = None
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif c == "'":
            # A character literal; skip it so that '"' opens nothing.
            j = i + 1
            while j < n and text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        elif c == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            content = text[i + 1:j]
            if group is not None and text[group[1]:i].strip() == "":
                group = (group[0], j + 1, group[2] + content)
            else:
                if group is not None:
                    yield group
                group = (i, j + 1, content)
            i = j + 1
        else:
            i += 1
    if group is not None:
        yield group


def unmarked_literals(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    found = []
    for start, _, content in literal_groups(text):
        if JAPANESE.search(content) and not MARKED.search(text[:start]):
            line = text.count("\n", 0, start) + 1
            found.append(f"{path}:{line}: Japanese text outside tr(): \"{content}\"")
    return found


def untranslated_form_texts(path):
    found = []
    for element in ElementTree.parse(path).iter("string"):
        if element.get("notr") == "true" and JAPANESE.search(element.text or ""):
            found.append(f"{path}: Japanese text kept out of translation: \"{element.text}\"")
    return found


def unfinished_entries(ts_path, shown_path):
    found = []
    for context in ElementTree.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            english = translation.text if translation is not None else None
            kind = translation.get("type") if translation is not None else "missing"
            if kind or not english or not english.strip():
                found.append(f"{shown_path}: {name}: \"{source}\" has no finished English "
                             f"translation ({kind or 'empty'})")
            elif sorted(PLACE.findall(source)) != sorted(PLACE.findall(english)):
                found.append(f"{shown_path}: {name}: \"{english}\" does not fill in what "
                             f"\"{source}\" does")
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    lupdate, root = sys.argv[1], sys.argv[2]
    pages = os.path.join(root, "src", "ui")
    ts_path = os.path.join(pages, "translations", "ornibe_en.ts")
    problems = []
    for folder, _, names in os.walk(pages):
        for name in sorted(names):
            path = os.path.join(folder, name)
            if name.endswith((".cpp", ".h")):
                problems += unmarked_literals(path)
            elif name.endswith(".ui"):
                problems += untranslated_form_texts(path)

    with tempfile.TemporaryDirectory() as scratch:
        fresh = os.path.join(scratch, "ornibe_en.ts")
        shutil.copyfile(ts_path, fresh)
        run = subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none",
                              "-I", os.path.join(root, "src"), pages, "-ts", fresh],
                             capture_output=True, text=True)
        if run.returncode != 0:
            problems.append(f"lupdate failed: {run.stderr.strip()}")
        else:
            with open(ts_path, encoding="utf-8") as f, open(fresh, encoding="utf-8") as g:
                if f.read() != g.read():
                    problems.append(f"{ts_path} is not up to date with the sources "
                                    "(cmake --build BUILD --target update_translations)")
            problems += unfinished_entries(fresh, ts_path)

    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
