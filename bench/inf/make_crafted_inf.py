#!/usr/bin/env python3
"""Writes INF files shaped to make a reader use as much memory as it can,
each just under the size an INF may have (64 MiB), for measuring the peak
memory of reading them by hand:

    make_crafted_inf.py SHAPE FILE [MIB]
    /usr/bin/time -v build/tools/infquery/infquery FILE open

SHAPE is one of
  strings    lines of many %key% uses of a 511-character string
  setup      TXTSETUP.SIF-like SourceDisksFiles lines (13 fields each)
  lines      the shortest lines there are ("a" and a line feed)
  commas     one line of nothing but commas
  sections   a section header for every line
  utf16      the setup shape written as UTF-16LE with a byte-order mark
  sparse     a sparse file of 64 GiB (MIB is ignored), nothing written
MIB is the size to write (default 63).
"""

import sys

VERSION = b'[Version]\r\nSignature = "$Windows NT$"\r\n'


def fill(out, size, head, make_line):
    """The Version section and head, then lines of make_line(i) up to size."""
    out.write(VERSION + head)
    written = len(VERSION) + len(head)
    chunk = []
    i = 0
    while True:
        line = make_line(i)
        if written + len(line) > size:
            break
        chunk.append(line)
        written += len(line)
        i += 1
        if len(chunk) >= 65536:
            out.write(b"".join(chunk))
            chunk = []
    out.write(b"".join(chunk))


def strings(out, size):
    head = b"[Strings]\r\nlong = " + b"s" * 511 + b"\r\n[S]\r\n"
    uses = b"%long%" * 160
    fill(out, size, head, lambda i: b"k%d = " % i + uses + b"\r\n")


def setup(out, size):
    fill(out, size, b"[SourceDisksFiles]\r\n",
         lambda i: b"file%d.sys = 1,,,,,,4_,4,1,,,1,4\r\n" % i)


def lines(out, size):
    fill(out, size, b"[S]\n", lambda i: b"a\n")


def commas(out, size):
    head = VERSION + b"[S]\r\nk = "
    out.write(head)
    left = size - len(head)
    while left > 0:
        n = min(left, 1 << 20)
        out.write(b"," * n)
        left -= n


def sections(out, size):
    fill(out, size, b"", lambda i: b"[s%d]\n" % i)


def utf16(out, size):
    text = [VERSION.decode(), "[SourceDisksFiles]\r\n"]
    length = 2 + 2 * sum(len(t) for t in text)
    i = 0
    while True:
        line = "file%d.sys = 1,,,,,,4_,4,1,,,1,4\r\n" % i
        if length + 2 * len(line) > size:
            break
        text.append(line)
        length += 2 * len(line)
        i += 1
    out.write(b"\xff\xfe" + "".join(text).encode("utf-16-le"))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    shape, path = sys.argv[1], sys.argv[2]
    size = int(sys.argv[3]) << 20 if len(sys.argv) > 3 else 63 << 20
    if shape == "sparse":
        with open(path, "wb") as out:
            out.truncate(64 << 30)
        return
    makers = {"strings": strings, "setup": setup, "lines": lines, "commas": commas,
              "sections": sections, "utf16": utf16}
    if shape not in makers:
        sys.exit(__doc__)
    with open(path, "wb") as out:
        makers[shape](out, size)


if __name__ == "__main__":
    main()
