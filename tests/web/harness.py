"""The browser side of the web tests and measurements: the site served on a free localhost port,
headless Chromium driven through chromedriver, the designer's window read back from its canvas,
real input events at points of the window, file choosers and downloads, and the command-line
renderer for the expected images."""
import base64
import functools
import http.server
import io
import math
import os
import pathlib
import re
import subprocess
import threading
import time

from PIL import Image, ImageChops
from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.by import By

ROOT = pathlib.Path(__file__).resolve().parents[2]
PREVIEW = (53, 398, 350, 20)  # the preview (Image1) in the window: left, top, width, height
WINDOW_SIZE = (1000, 900)     # the browser's window, in CSS pixels


class Failure(Exception):
    pass


def serve(folder):
    """Serves a folder on 127.0.0.1 at a port the system picks; returns (server, base URL)."""
    class Handler(http.server.SimpleHTTPRequestHandler):
        extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                          ".wasm": "application/wasm", ".js": "text/javascript"}

        def log_message(self, *args):
            pass
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Handler, directory=str(folder)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/" % server.server_address[1]


def wait_for(what, probe, seconds=10.0, every=0.05):
    """Calls probe until it returns something other than None/False; fails after the time."""
    deadline = time.monotonic() + seconds
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("%s: not within %.0f s" % (what, seconds))
        time.sleep(every)


def differing_pixels(a, b):
    """Number of pixels that differ between two images; None when their sizes differ."""
    if a.size != b.size:
        return None
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB")).convert("L")
    return sum(diff.point(lambda v: 255 if v else 0).histogram()[255:])


class Browser:
    """One headless Chromium with the designer's page, at a whole device scale factor."""

    def __init__(self, scale, downloads):
        options = webdriver.ChromeOptions()
        options.binary_location = os.environ.get("VESKEL_CHROMIUM", "/usr/bin/chromium")
        for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--hide-scrollbars",
                    "--window-size=%d,%d" % WINDOW_SIZE, "--force-device-scale-factor=%d" % scale,
                    "--no-first-run", "--disable-extensions", "--lang=en-US"):
            options.add_argument(arg)
        self.driver = webdriver.Chrome(
            service=Service(os.environ.get("VESKEL_CHROMEDRIVER", "/usr/bin/chromedriver")), options=options)
        self.downloads = pathlib.Path(downloads)
        self.downloads.mkdir(parents=True, exist_ok=True)
        self.cdp("Browser.setDownloadBehavior", behavior="allow", downloadPath=str(self.downloads))

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def close(self):
        self.driver.quit()

    def open(self, url):
        """Navigates and waits for the first frame; returns ms from navigation to it."""
        self.driver.get(url)
        try:
            self.js("return window.veskel.ready")  # a Promise: selenium waits for it
        except TimeoutException:
            said = [e["message"] for e in self.driver.get_log("browser")][-3:]
            raise Failure("no first frame within 30 s; the page said: %s" % (" | ".join(said) or "nothing")) from None
        self.rect = self.js("return window.veskel.windowRect()")
        box = self.js("const r = document.getElementById('veskel-canvas').getBoundingClientRect();"
                      "return [r.left, r.top];")
        self.origin = (box[0] + self.rect["x"], box[1] + self.rect["y"])
        self.cdp("Page.setInterceptFileChooserDialog", enabled=True)
        return self.js("return window.veskel.timing.firstFrame - "
                       "performance.getEntriesByType('navigation')[0].startTime")

    # ------------------------------------------------------------ pixels

    def canvas(self):
        """The canvas's backing pixels."""
        url = self.js("return document.getElementById('veskel-canvas').toDataURL('image/png')")
        return Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB")

    def settled(self):
        """The canvas once two looks 0.1 s apart show the same."""
        last = [self.canvas()]

        def same():
            time.sleep(0.1)
            now = self.canvas()
            if ImageChops.difference(last[0], now).getbbox() is None:
                return now
            last[0] = now
        return wait_for("the canvas to settle", same)

    def window_box(self):
        """The main window's place on the canvas, in canvas pixels: left, top, right, bottom."""
        k = self.rect["scale"]
        x, y = round(self.rect["x"] * k), round(self.rect["y"] * k)
        return x, y, x + 462 * k, y + 480 * k

    def window(self, box=None):
        """The main window (or a box of it, in window pixels) at the canvas's scale."""
        k = self.rect["scale"]
        x, y = self.window_box()[:2]
        left, top, width, height = box or (0, 0, 462, 480)
        return self.canvas().crop((x + left * k, y + top * k, x + (left + width) * k, y + (top + height) * k))

    def preview(self):
        return self.window(PREVIEW)

    def expect(self, what, expected, box=PREVIEW, seconds=10.0):
        """Waits until a box of the window equals an image (a path or an Image)."""
        if not isinstance(expected, Image.Image):
            expected = Image.open(expected)
        got = [None]

        def same():
            got[0] = self.window(box)
            return differing_pixels(expected, got[0]) == 0
        try:
            wait_for(what, same, seconds)
        except Failure:
            d = differing_pixels(expected, got[0])
            got[0].save(self.downloads.parent / ("%s-got.png" % re.sub(r"[^0-9A-Za-z]+", "-", what).strip("-")))
            raise Failure("%s: %s pixels differ" % (what, "size" if d is None else d)) from None
        return got[0]

    # ------------------------------------------------------------ input

    def _actions(self):
        return ActionBuilder(self.driver, duration=0)

    def move(self, x, y, chain=None):
        """The pointer to a point of the window (window pixels)."""
        a = chain or self._actions()
        # The page may place the canvas at a fraction of a pixel: the first whole point at or after
        # the window's point falls in that point's pixel.
        a.pointer_action.move_to_location(math.ceil(self.origin[0] + x), math.ceil(self.origin[1] + y))
        if not chain:
            a.perform()
        return a

    def press(self, x, y):
        a = self.move(x, y, self._actions())
        a.pointer_action.pointer_down()
        a.perform()

    def release(self):
        a = self._actions()
        a.pointer_action.pointer_up()
        a.perform()

    def click(self, x, y):
        a = self.move(x, y, self._actions())
        a.pointer_action.click()
        a.perform()

    def keys(self, *keys):
        """Types text and keys into whatever has the focus; (Keys.CONTROL, 'a') is a chord."""
        chain = ActionChains(self.driver, duration=0)
        for k in keys:
            if isinstance(k, tuple):
                chain.key_down(k[0])
                for part in k[1:]:
                    chain.send_keys(part)
                chain.key_up(k[0])
            else:
                chain.send_keys(k)
        chain.perform()

    def choose_file(self, path):
        """Answers the page's file chooser with a file."""
        self.driver.find_element(By.ID, "veskel-file").send_keys(str(path))

    def drop(self, path, x, y):
        """Drags a file from the computer and drops it at a point of the window."""
        data = {"items": [], "files": [str(path)], "dragOperationsMask": 1}
        for kind in ("dragEnter", "dragOver", "drop"):
            self.cdp("Input.dispatchDragEvent", type=kind, x=self.origin[0] + x, y=self.origin[1] + y, data=data)

    def paste(self, path):
        """Ctrl+V with a picture file on the clipboard, as the browser hands it to the page."""
        self.js("const f = new DataTransfer(), i = document.getElementById('veskel-input'), key = {code: 'KeyV', ctrlKey: true};"
                "f.items.add(new File([Uint8Array.from(atob(arguments[0]), c => c.charCodeAt(0))], 'p.png', {type: 'image/png'}));"
                "i.dispatchEvent(new KeyboardEvent('keydown', key)); i.dispatchEvent(new ClipboardEvent('paste', {clipboardData: f}));"
                "i.dispatchEvent(new KeyboardEvent('keyup', key));", base64.b64encode(pathlib.Path(path).read_bytes()).decode())

    def download(self, seconds=10.0):
        """Waits for the one finished download and returns its name and bytes (and removes it)."""
        def done():
            files = list(self.downloads.iterdir())
            return len(files) == 1 and not files[0].name.endswith(".crdownload") and files[0].stat().st_size and files[0]
        target = wait_for("a download", done, seconds)
        data = target.read_bytes()
        target.unlink()
        return target.name, data


class Renderer:
    """veskel-render: the expected image of a design given as command-line arguments."""

    def __init__(self, program, work):
        self.program, self.work = program, pathlib.Path(work)

    def run(self, *args):
        result = subprocess.run([self.program, *map(str, args)], capture_output=True, timeout=60)
        if result.returncode:
            raise Failure("veskel-render %s: %s" % (" ".join(map(str, args)), result.stderr.decode()[:500]))

    def render(self, name, design, ext="png"):
        out = self.work / ("%s-expected.%s" % (name, ext))
        self.run(*design, "-o", out)
        return out
