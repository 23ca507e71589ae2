#!/usr/bin/python3
"""Writes the texts the user reads in stored layouts as a gettext template (.pot) on stdout.

Usage: extract_layout_texts.py LAYOUT...

The shown texts are the values of the properties in SHOWN_TEXT_PROPERTIES (kept equal to
IsShownTextProperty in platform/ui/LayoutTexts.cpp): 'quoted' strings, with #nnn characters and
pieces joined by +, and the lines of ( ... ) lists. Each text appears once, with every place it
comes from.
"""
import re
import sys

SHOWN_TEXT_PROPERTIES = {"caption", "hint", "buttontext", "filter", "descriptions.strings", "items.strings"}

PROPERTY = re.compile(r"^\s*([A-Za-z_][\w.]*)\s*=\s*(.*)$")
PIECE = re.compile(r"'((?:[^']|'')*)'|#(\d+)|\s*\+\s*")


def string_value(text):
    """The string a stored value such as 'a'#1042'b' + 'c' spells, or None if it is no string."""
    out, pos = [], 0
    text = text.strip()
    if not text or text[0] not in "'#":
        return None
    while pos < len(text):
        m = PIECE.match(text, pos)
        if not m or m.end() == pos:
            return None
        if m.group(1) is not None:
            out.append(m.group(1).replace("''", "'"))
        elif m.group(2) is not None:
            out.append(chr(int(m.group(2))))
        pos = m.end()
    return "".join(out)


def texts_of(path):
    lines = open(path, encoding="utf-8").read().splitlines()
    i = 0
    while i < len(lines):
        m = PROPERTY.match(lines[i])
        i += 1
        if not m or m.group(1).lower() not in SHOWN_TEXT_PROPERTIES:
            continue
        value = m.group(2)
        if value.strip() == "(":
            while i < len(lines):
                item = lines[i].strip()
                i += 1
                closing = item.endswith(")")
                text = string_value(item[:-1] if closing else item)
                if text:
                    yield text, i
                if closing:
                    break
            continue
        while value.rstrip().endswith("+") and i < len(lines):
            value += lines[i]
            i += 1
        text = string_value(value)
        if text:
            yield text, i


def po_string(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return '"' + escaped + '"'


def main(paths):
    places = {}
    for path in paths:
        for text, line in texts_of(path):
            places.setdefault(text, []).append(f"{path}:{line}")
    out = ['msgid ""', 'msgstr ""', '"Content-Type: text/plain; charset=UTF-8\\n"', ""]
    for text, where in places.items():
        out.append("#: " + " ".join(where))
        out.append("msgid " + po_string(text))
        out.append('msgstr ""')
        out.append("")
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1:])
