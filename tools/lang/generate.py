#!/usr/bin/env python3
"""Builds the language tables resources/lang/lang1.ini .. lang3.ini from the UTF-8 sources here.

The sources hold the table text exactly as it should stand in the table (one quoted entry per line,
empty lines between groups). The tables are written as UTF-16LE with the byte-order mark FF FE and
CR LF line ends, which is the form the program reads.

    tools/lang/generate.py           rewrite the three tables
    tools/lang/generate.py --check   only report whether the committed tables match their sources
"""

import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent
OUT_DIR = HERE.parent.parent / "resources" / "lang"
ENTRY = re.compile(r'^"((?:[^"]|"")*)"$')


def check_source(name: str, lines: list[str]) -> None:
    section = name.removesuffix(".txt")
    if not lines or lines[0] != f"[{section}]":
        sys.exit(f"{name}: the first line must be [{section}]")
    seen: set[str] = set()
    for number, line in enumerate(lines[1:], start=2):
        if not line:
            continue
        match = ENTRY.match(line)
        if not match or "=" not in match.group(1):
            sys.exit(f"{name}:{number}: not a quoted key=value entry: {line!r}")
        key = match.group(1).split("=", 1)[0].strip().lower()
        if key in seen:
            sys.exit(f"{name}:{number}: duplicate key {key!r}")
        seen.add(key)


def table_bytes(source: pathlib.Path) -> bytes:
    lines = source.read_text(encoding="utf-8").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    check_source(source.name, lines)
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def main() -> int:
    check_only = "--check" in sys.argv[1:]
    stale = []
    for index in (1, 2, 3):
        source = HERE / f"lang{index}.txt"
        target = OUT_DIR / f"lang{index}.ini"
        data = table_bytes(source)
        if check_only:
            if not target.exists() or target.read_bytes() != data:
                stale.append(target.name)
        else:
            target.write_bytes(data)
    if stale:
        print("out of date: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
