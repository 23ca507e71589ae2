#!/usr/bin/env python3
"""The designer's page in headless Chromium, driven with real input events and checked pixel for
pixel against the desktop's reviewed images and byte for byte against veskel-render.
  web_test.py SITE_DIR VESKEL_RENDER WORK_DIR [CHECK...]   (a CHECK "window_ru" runs window_ru.*)
Prints one line per check; the exit status is 1 when a check fails."""
import base64
import io
import pathlib
import sys
import time
import traceback

from PIL import Image, ImageChops
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.select import Select

import harness as h

GOLDEN = h.ROOT / "tests" / "golden"
# Checks that fail for a known reason, someone else's to mend: name -> reason.
EXPECTED_FAILURES = {}

# The window's pages against the desktop's reviewed images: the image, the pages shown in turn
# (the tabs' centres are on the tab row at y 62), and the part compared (the whole window, or the
# paged container's area). Page 1 after "Effects" has shown is drawn rounding downward.
PAGE_AREA = (28, 52, 400, 300)
# The images were taken showing the pages in turn from 2 to 4, then 1.
PAGES = [("page1-text-colors", [], None), ("page2-effects", [2], PAGE_AREA),
         ("page3-overlay", [2, 3], PAGE_AREA), ("page4-save-open", [2, 3, 4], PAGE_AREA),
         ("page1-after-effects", [2, 3, 4, 1], PAGE_AREA)]
PAGE_TABS = {1: 28 + 38, 2: 28 + 103, 3: 28 + 177, 4: 28 + 266}
OFF_CONTROLS = (5, 470)
# Exports: the image "Save..." writes the format chosen in its dialog.
EXPORTS = [("png", 1), ("jpg", 2), ("gif", 3), ("bmp", 4)]


class Context:
    def __init__(self, site, render, work):
        self.work = pathlib.Path(work)
        self.server, self.url = h.serve(site)
        self.renderer = h.Renderer(render, self.work)
        self.browsers = {}

    def page(self, scale=1, lang="ru", browser_languages="en-US"):
        """A fresh page at that device scale (one browser per scale, kept between checks)."""
        if scale not in self.browsers:
            self.browsers[scale] = h.Browser(scale, self.work / ("downloads-x%d" % scale))
        browser = self.browsers[scale]
        browser.cdp("Emulation.setUserAgentOverride", userAgent=browser.js("return navigator.userAgent"),
                    acceptLanguage=browser_languages)
        browser.open(self.url + ("?lang=" + lang if lang else ""))
        return browser

    def close(self):
        for b in self.browsers.values():
            b.close()
        self.server.shutdown()


def golden(lang, name, scale=1):
    image = Image.open(GOLDEN / ("mainwindow" if lang == "ru" else "mainwindow-en") / (name + ".png"))
    return image.convert("RGB").resize((image.width * scale, image.height * scale), Image.NEAREST)


def crop(image, box, scale=1):
    x, y, w, h = (v * scale for v in box)
    return image.crop((x, y, x + w, y + h))


# ---------------------------------------------------------------- checks

def check_start_preview(ctx):
    b = ctx.page()
    b.expect("start", ctx.renderer.render("default", []))


def show_page(b, n):
    b.click(PAGE_TABS[n], 62)
    b.move(*OFF_CONTROLS)


def check_page(ctx, lang, name, tabs, box):
    # The page and its window speak the browser's first language we speak, or the address's.
    b = ctx.page(lang=None, browser_languages="de,ru") if lang == "ru" else ctx.page(lang="en", browser_languages="ru")
    if b.js("return document.documentElement.lang + document.getElementById('veskel-about').textContent")[:4] != \
            {"ru": "ruДи", "en": "enA "}[lang]:
        raise h.Failure("the page's heading is not in the window's language, %s" % lang)
    for n in tabs:
        show_page(b, n)
    expected = golden(lang, name)
    b.expect("%s (%s)" % (name, lang), crop(expected, box) if box else expected, box=box)


def check_crisp_x2(ctx):
    """At device scale 2 the canvas has twice the pixels, each of the window's a 2 x 2 block, and
    the browser shows them unblurred."""
    b = ctx.page(scale=2)
    css, backing = b.js("const c = document.getElementById('veskel-canvas'), r = c.getBoundingClientRect();"
                        "return [[r.width, r.height], [c.width, c.height]];")
    if b.rect["scale"] != 2 or [round(2 * v) for v in css] != backing:
        raise h.Failure("canvas %s for CSS size %s at scale %s" % (backing, css, b.rect["scale"]))
    expected = golden("ru", "page1-text-colors", 2)
    b.expect("first page at scale 2", expected, box=None)
    shot = b.cdp("Page.captureScreenshot", format="png", captureBeyondViewport=False,
                 clip={"x": b.origin[0], "y": b.origin[1], "width": 462, "height": 480, "scale": 1})
    shown = Image.open(io.BytesIO(base64.b64decode(shot["data"]))).convert("RGB")
    d = h.differing_pixels(expected, shown)
    if d != 0:
        shown.save(ctx.work / "x2-shown.png")
        raise h.Failure("the page as shown differs from the 2 x 2 blocks (%s pixels)" % d)


class Walk:
    """The design the window should show, as veskel-render arguments; each step appends."""

    def __init__(self, ctx, b):
        self.ctx, self.b, self.design = ctx, b, []

    def expect(self, name, *args):
        self.design += args
        return self.b.expect(name, self.ctx.renderer.render(name, self.design))


def default_project(ctx):
    """Saves the default design as default.vzk; returns its text position (TextX)."""
    ctx.renderer.run("--save-project", ctx.work / "default")
    return int.from_bytes((ctx.work / "default.vzk").read_bytes()[513:517], "little", signed=True)


def check_save_opened(ctx):
    """A project opened from the computer, changed and saved with Ctrl+S arrives as a download of
    that name, as the desktop writes it over the file opened. "Open..." clicked twice opens one
    picker: the window takes no clicks while it is open."""
    b = ctx.page()
    x0 = default_project(ctx)
    show_page(b, 4)
    b.click(105, 160)  # "Open..."
    b.click(105, 160)
    b.choose_file(ctx.work / "default.vzk")
    show_page(b, 1)
    b.click(376, 165)  # "+" beside X
    b.keys((Keys.CONTROL, "s"))
    try:
        name, data = b.download()
    except h.Failure:
        raise h.Failure("Ctrl+S on the opened project gave no download") from None
    expected = ctx.work / "saved" / "default.vzk"
    expected.parent.mkdir()
    ctx.renderer.run("--project", ctx.work / "default.vzk", "--set", "TextX=%d" % (x0 + 1), "--save-project", expected)
    if name != "default.vzk" or data != expected.read_bytes():
        raise h.Failure("Ctrl+S downloaded %s, not the desktop's default.vzk" % name)


def check_let_go_and_rest(ctx):
    """A button held as the page loses the keyboard is let go: the arrow moving the text right
    stops repeating. Then, with no timer running, the page asks the browser for no wake-ups."""
    b = ctx.page()
    x0 = default_project(ctx)
    b.press(127, 200)
    b.js("document.getElementById('veskel-input').blur()")
    b.move(*OFF_CONTROLS)
    time.sleep(1)  # held, the arrow would repeat from 0.4 s on
    b.expect("X + 1 after the blur", ctx.renderer.render("let-go", ["--set", "TextX=%d" % (x0 + 1)]), seconds=1)
    b.release()
    if b.js("const wakes = [], plain = window.setTimeout; window.setTimeout = (...a) => wakes.push(a) && plain(...a);"
            "return new Promise(done => plain(() => done(wakes.length), 500));"):
        raise h.Failure("the page at rest asks the browser to wake it")


def check_unsaved_question(ctx):
    """"New" over unsaved work asks first, in the page's dialog, while the program waits for the
    answer: "Cancel" keeps the design, "No" lets it go."""
    b = ctx.page()
    b.click(200, 109)
    b.keys((Keys.CONTROL, "a"), "Hello")
    typed = b.expect("typed", ctx.renderer.render("hello", ["--text", "Hello"]))
    show_page(b, 4)
    for answer, expected in ((2, typed), (1, ctx.renderer.render("default", []))):
        b.click(105, 120)  # "New"
        buttons = h.wait_for("the question", lambda: b.driver.find_elements(By.CSS_SELECTOR, "#veskel-message button"))
        if len(buttons) != 3:
            raise h.Failure("the question offers %s" % [x.text for x in buttons])
        buttons[answer].click()
        b.expect("new, answered %d" % answer, expected)


def check_drops(ctx):
    """A picture dropped on the window or pasted goes onto the banner; a project dropped opens."""
    r = ctx.renderer
    picture = make_picture(ctx.work / "dropped.png")
    r.run("--text", "Dropped", "--set", "Color2=#2040FF", "--save-project", ctx.work / "dropped")
    project = ctx.work / "dropped.vzk"
    for how, path, design in (("dropped", picture, ["--overlay", picture]), ("pasted", picture, ["--overlay", picture]),
                              ("dropped", project, ["--project", project])):
        b = ctx.page()
        b.paste(path) if how == "pasted" else b.drop(path, 200, 200)
        b.expect("%s %s" % (how, path.name), r.render(path.stem, design))


def make_picture(path):
    """A 60 x 16 picture with colour and translucency changing across it."""
    picture = Image.linear_gradient("L").resize((60, 16))
    Image.merge("RGBA", (picture, picture.transpose(Image.FLIP_LEFT_RIGHT), Image.new("L", (60, 16), 64),
                         picture.rotate(90).resize((60, 16)))).save(path)
    return path


def check_walk(ctx):
    b = ctx.page()
    w = Walk(ctx, b)
    r = ctx.renderer
    x0 = default_project(ctx)
    w.expect("start")

    # Text typed over the whole field's text, Latin and Cyrillic; then "+" beside X.
    b.click(200, 109)
    b.keys((Keys.CONTROL, "a"), "Hello Привет")
    w.expect("typed", "--text", "Hello Привет")
    b.click(376, 165)
    w.expect("x-plus", "--set", "TextX=%d" % (x0 + 1))
    # Undone and done again by keyboard, which the page must not take for its own.
    b.keys((Keys.CONTROL, "z"))
    w.expect("undone", "--set", "TextX=%d" % x0)
    b.keys((Keys.CONTROL, "y"))
    w.expect("redone", "--set", "TextX=%d" % (x0 + 1))

    # The first colour from the palette pop-up: the pointer rests on the box (its pop-up opens
    # after 300 ms), then clicks the colour table; away from both, the pop-up closes.
    b.move(*OFF_CONTROLS)
    before = b.settled()
    b.move(178, 296)
    b.move(181, 300)
    h.wait_for("the palette pop-up", lambda: ImageChops.difference(before, b.canvas()).getbbox())
    box = ImageChops.difference(before, b.settled()).getbbox()
    k = b.rect["scale"]
    # Low on the page's desktop it opens beside the box, leaving the tab row (down to 72) free.
    if box[1] / k - b.rect["y"] < 72:
        raise h.Failure("the palette pop-up covers the tab row (its top at %d)" % (box[1] / k - b.rect["y"]))
    # The table lies 50 right of and 52 above the pop-up's centre.
    cx = (box[0] + box[2]) / 2 / k - b.rect["x"]
    cy = (box[1] + box[3]) / 2 / k - b.rect["y"]
    b.click(cx + 50, cy - 52)
    b.move(*OFF_CONTROLS)

    def closed():  # outside the main window the canvas is as before the pop-up
        diff = ImageChops.difference(before, b.canvas())
        diff.paste((0, 0, 0), b.window_box())
        return not diff.getbbox()
    h.wait_for("the palette pop-up to close", closed)
    colour = b.window((181, 300, 1, 1)).getpixel((0, 0))
    if colour == (241, 77, 33):
        raise h.Failure("the colour box does not show a new colour")
    w.expect("palette-colour", "--set", "Color1=#%02X%02X%02X" % colour)

    # "Effects": its first paint switches the controls' rounding, never the banner's. A list
    # entry, then the pattern strength slider dragged with pauses: value = round((x - 9) x 99 / 162).
    show_page(b, 2)
    b.click(126, 141 + 18 * 3 + 9)
    w.expect("pattern-3", "--set", "Pattern=3")
    b.press(33 + 164, 116)
    b.move(33 + 140, 116)
    b.move(33 + 104, 116)
    w.expect("slider-pause", "--set", "PatternStrength=58")
    b.move(33 + 70, 116)
    b.move(33 + 50, 116)
    w.expect("slider-second-pause", "--set", "PatternStrength=25")
    b.release()
    b.move(*OFF_CONTROLS)
    w.expect("slider-released")

    # A picture through "Choose...".
    show_page(b, 3)
    overlay = make_picture(ctx.work / "overlay.png")
    b.click(89, 116)
    b.choose_file(overlay)
    w.expect("overlay-loaded", "--overlay", overlay)

    # The project saved (a download), "New", and the download opened again.
    show_page(b, 4)
    saved = b.preview()
    b.click(105, 200)
    name, data = b.download()
    downloaded = ctx.work / ("downloaded-" + name)
    downloaded.write_bytes(data)
    if not name.endswith(".vzk"):
        raise h.Failure("the project downloaded as %s" % name)
    # The desktop's project when "veskel" is typed in its save dialog: the name without ".vzk".
    r.run(*w.design, "--save-project", ctx.work / name[:-len(".vzk")])
    if data != (ctx.work / name).read_bytes():
        raise h.Failure("the downloaded project differs from veskel-render --save-project's")
    b.click(105, 120)
    b.expect("new", r.render("new", []))
    b.click(105, 160)
    b.choose_file(downloaded)
    b.expect("reopened", saved)

    # Each export format, chosen in the export's dialog, against the command line's file.
    for ext, index in EXPORTS:
        b.click(105, 264)
        choose_export_format(b, index)
        got_name, data = b.download()
        expected = r.render("export", w.design, ext)
        if not got_name.endswith("." + ext) or data != expected.read_bytes():
            (ctx.work / ("downloaded-" + got_name)).write_bytes(data)
            raise h.Failure("the %s export %s differs from veskel-render's" % (ext, got_name))


def choose_export_format(b, index):
    """Answers the export's question for the file type (the page's own dialog) with a format."""
    select = h.wait_for("the file type question", lambda: b.driver.find_elements(By.ID, "veskel-save-type"))[0]
    Select(select).select_by_value(str(index))
    b.driver.find_element(By.CSS_SELECTOR, "#veskel-save button").click()


CHECKS = {"start_preview": check_start_preview}
for _lang in ("ru", "en"):
    for _name, _tabs, _box in PAGES:
        CHECKS["window_%s.%s" % (_lang, _name)] = (
            lambda ctx, lang=_lang, name=_name, tabs=_tabs, box=_box: check_page(ctx, lang, name, tabs, box))
CHECKS.update({"walk": check_walk, "save_opened": check_save_opened, "unsaved_question": check_unsaved_question,
               "drops": check_drops, "let_go_and_rest": check_let_go_and_rest, "crisp_x2": check_crisp_x2})


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    ctx = Context(*argv[1:4])
    failed = 0
    try:
        wanted = argv[4:]
        for name in [n for n in CHECKS if not wanted or any(n == w or n.startswith(w + ".") for w in wanted)]:
            started = time.monotonic()
            try:
                CHECKS[name](ctx)
                verdict = "XPASS" if name in EXPECTED_FAILURES else "ok"
                note = ""
            except Exception as e:  # one check's fault must not hide the others
                note = ": " + str(e).strip().splitlines()[0]
                if not isinstance(e, h.Failure):
                    line = [f.lineno for f in traceback.extract_tb(e.__traceback__) if f.filename == __file__][-1]
                    note = ": %s at line %d%s" % (type(e).__name__, line, note)
                if name in EXPECTED_FAILURES:
                    verdict, note = "xfail", note + " (known: %s)" % EXPECTED_FAILURES[name]
                else:
                    verdict, failed = "FAIL", failed + 1
            print("%-5s web.%s (%.1f s)%s" % (verdict, name, time.monotonic() - started, note), flush=True)
    finally:
        ctx.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
