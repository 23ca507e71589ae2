#!/usr/bin/python3
"""Builds the banner's pixel font "Visitor TT2 BRK" from its text art.

    /usr/bin/python3 tools/font/build_font.py [art.txt] [out.ttf] [--family NAME]

Reads resources/fonts/source/VisitorTT2BRK.txt and writes resources/fonts/VisitorTT2BRK.ttf (the
build embeds the committed .ttf and never runs this script). Every lit pixel of the art becomes one
square contour of PIXEL font units; with UNITS_PER_EM = 12 * PIXEL a rasteriser at 12 pixels per
em (9 points at 96 dpi) maps every grid square onto exactly one device pixel.

Needs Debian's python3-fonttools (hence /usr/bin/python3).
"""
import os
import re
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._g_a_s_p import table__g_a_s_p

FAMILY = "Visitor TT2 BRK"
STYLE = "Regular"
PIXEL = 100                      # font units per pixel
EM_PIXELS = 12
UNITS_PER_EM = EM_PIXELS * PIXEL
ASCENT_PIXELS = 8                # cell rows 0..7 lie above the baseline
DESCENT_PIXELS = 4
ART_ROWS = 7                     # accent row, five capital rows, descender row
FIRST_ART_ROW = 2                # the accent row is row 2 of the character cell
SPACING = 1                      # pixels between glyphs

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
DEFAULT_ART = os.path.join(ROOT, "resources", "fonts", "source", "VisitorTT2BRK.txt")
DEFAULT_OUT = os.path.join(ROOT, "resources", "fonts", "VisitorTT2BRK.ttf")

HEADER = re.compile(r"^(\.notdef|U\+([0-9A-Fa-f]{4,6}))(?:\s+(\S+))?(?:\s*=\s*U\+([0-9A-Fa-f]{4,6}))?\s*$")


class ArtError(Exception):
    pass


def parse_art(path):
    """Returns (glyphs, aliases): glyphs maps a code point (or ".notdef") to its rows, aliases a
    code point to the code point whose glyph it shares."""
    glyphs, aliases = {}, {}
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        i += 1
        if not line or line.startswith("#"):
            continue
        m = HEADER.match(line)
        if not m:
            raise ArtError(f"{path}:{i}: expected a block header, got {line!r}")
        key = ".notdef" if m.group(1) == ".notdef" else int(m.group(2), 16)
        if key in glyphs or key in aliases:
            raise ArtError(f"{path}:{i}: {line!r} is defined twice")
        if m.group(4):
            aliases[key] = int(m.group(4), 16)
            continue
        rows = [r.rstrip() for r in lines[i:i + ART_ROWS]]
        if len(rows) != ART_ROWS or any(not r or set(r) - {"#", "."} for r in rows):
            raise ArtError(f"{path}:{i}: {line!r} needs {ART_ROWS} rows of '#' and '.'")
        if len({len(r) for r in rows}) != 1:
            raise ArtError(f"{path}:{i}: the rows of {line!r} differ in width")
        glyphs[key] = rows
        i += ART_ROWS
    if ".notdef" not in glyphs:
        raise ArtError(f"{path}: no .notdef block")
    # Follow chains (a lowercase Cyrillic letter to its capital to the Latin look-alike).
    resolved = {}
    for cp in aliases:
        seen, target = {cp}, aliases[cp]
        while target in aliases:
            if target in seen:
                raise ArtError(f"{path}: U+{cp:04X} refers to itself through other characters")
            seen.add(target)
            target = aliases[target]
        if target not in glyphs:
            raise ArtError(f"{path}: U+{cp:04X} refers to U+{target:04X}, which has no art")
        resolved[cp] = target
    return glyphs, resolved


def glyph_name(key):
    return key if key == ".notdef" else f"uni{key:04X}" if key <= 0xFFFF else f"u{key:06X}"


def draw_glyph(rows):
    """One square contour per lit pixel, clockwise as TrueType outer contours are."""
    pen = TTGlyphPen(None)
    for r, row in enumerate(rows):
        top = (ASCENT_PIXELS - (FIRST_ART_ROW + r)) * PIXEL
        for c, ch in enumerate(row):
            if ch != "#":
                continue
            left = c * PIXEL
            pen.moveTo((left, top - PIXEL))
            pen.lineTo((left, top))
            pen.lineTo((left + PIXEL, top))
            pen.lineTo((left + PIXEL, top - PIXEL))
            pen.closePath()
    return pen.glyph()


def build(art_path, out_path, family=FAMILY):
    glyphs, aliases = parse_art(art_path)
    keys = [".notdef"] + sorted(k for k in glyphs if k != ".notdef")
    order = [glyph_name(k) for k in keys]
    cmap = {k: glyph_name(k) for k in keys if k != ".notdef"}
    cmap.update({cp: glyph_name(target) for cp, target in aliases.items()})

    outlines, metrics = {}, {}
    for k in keys:
        rows = glyphs[k]
        outlines[glyph_name(k)] = draw_glyph(rows)
        lit = [c for row in rows for c, ch in enumerate(row) if ch == "#"]
        lsb = min(lit) * PIXEL if lit else 0
        metrics[glyph_name(k)] = ((len(rows[0]) + SPACING) * PIXEL, lsb)

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(outlines)
    fb.setupHorizontalMetrics(metrics)
    ascent, descent = ASCENT_PIXELS * PIXEL, DESCENT_PIXELS * PIXEL
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    fb.setupNameTable({
        "familyName": family,
        "styleName": STYLE,
        "uniqueFontIdentifier": f"{family} {STYLE} 1.000",
        "fullName": family,
        "psName": family.replace(" ", "") + "-" + STYLE,
        "version": "Version 1.000",
        "copyright": "Pixel font drawn for the veskel banner designer",
    })
    advances = [w for w, _ in metrics.values() if w > 0]
    cap_height = 5 * PIXEL
    fb.setupOS2(
        version=4,
        xAvgCharWidth=round(sum(advances) / len(advances)),
        usWeightClass=400,
        usWidthClass=5,
        fsType=0,
        fsSelection=0x40,                     # REGULAR
        sTypoAscender=ascent,
        sTypoDescender=-descent,
        sTypoLineGap=0,
        usWinAscent=ascent,
        usWinDescent=descent,
        sxHeight=cap_height,                  # lowercase reuses the capitals
        sCapHeight=cap_height,
        ulUnicodeRange1=(1 << 0) | (1 << 1) | (1 << 9) | (1 << 31),   # Latin, Latin-1, Cyrillic, punctuation
        ulUnicodeRange2=(1 << (33 - 32)) | (1 << (37 - 32)),           # currency, letterlike symbols
        ulCodePageRange1=(1 << 0) | (1 << 2),                          # Latin 1 and Cyrillic code pages
        achVendID="VSKL",
        usDefaultChar=0,
        usBreakChar=0x20,
        usMaxContext=0,
    )
    fb.setupPost(underlinePosition=-PIXEL, underlineThickness=PIXEL, isFixedPitch=0, keepGlyphNames=False)
    fb.setupHead(unitsPerEm=UNITS_PER_EM, fontRevision=1.0, created=0, modified=0)
    fb.setupMaxp()
    # Ask rasterisers for plain black-and-white pixels at every size.
    gasp = table__g_a_s_p()
    gasp.version = 1
    gasp.gaspRange = {0xFFFF: 0}
    fb.font["gasp"] = gasp
    fb.font["head"].macStyle = 0
    # Reproducible bytes: no build time in the file.
    fb.font.recalcTimestamp = False
    fb.save(out_path)
    return len(keys), len(cmap)


def main(argv):
    args, family = list(argv[1:]), FAMILY
    if "--family" in args:
        i = args.index("--family")
        if i + 1 >= len(args):
            print("build_font: --family needs a name", file=sys.stderr)
            return 2
        family = args[i + 1]
        del args[i:i + 2]
    art = args[0] if len(args) > 0 else DEFAULT_ART
    out = args[1] if len(args) > 1 else DEFAULT_OUT
    try:
        n_glyphs, n_chars = build(art, out, family)
    except ArtError as e:
        print(f"build_font: {e}", file=sys.stderr)
        return 1
    print(f"{out}: {n_glyphs} glyphs for {n_chars} characters")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
