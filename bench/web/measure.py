#!/usr/bin/env python3
"""The web build's goals measured in headless Chromium on this machine: the first frame after
navigation, a setting change and a full repaint (times the program reports in window.veskel.perf
and through window.veskel.repaintAll), and the size of the site folder, each beside the desktop
benchmark of the same work. Prints a table of medians of N runs; nothing asserts.
  bench/web/measure.py [SITE_DIR] [--runs N]"""
import argparse
import gzip
import pathlib
import statistics
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tests" / "web"))
import harness as h  # noqa: E402

# The "+" beside the X field (one step of the text's position), and the tab of page 1 (the
# paged container repaints its whole area).
X_PLUS = (376, 165)
PAGE_TABS = [(28 + 103, 62), (28 + 38, 62)]


def event_ms(b, start, types, count):
    """The program's times for the events of those types after the first `start` events, once
    there are `count` of them."""
    ms = [e["ms"] for e in b.js("return window.veskel.perf.events.slice(arguments[0])", start) if e["type"] in types]
    return ms if len(ms) >= count else None


def after_clicks(b, points, runs):
    """Per click: the longer of its press and release as the program reports them (each runs
    from the event through the repaint to the present on the canvas)."""
    times = []
    for i in range(runs):
        start = b.js("return window.veskel.perf.events.length")
        b.click(*points[i % len(points)])
        times.append(max(h.wait_for("the click's events", lambda: event_ms(b, start, ("mousedown", "mouseup"), 2), 5)))
        b.move(5, 470)
    return times


def title_drag(b, runs):
    """Per step of a drag by the title bar: the window moved, its old and new place composed and
    shown again (the whole window's pixels to the canvas)."""
    times = []
    b.press(100, 24)
    for i in range(runs):
        start = b.js("return window.veskel.perf.events.length")
        b.move(100 + 8 * (i % 2 + 1), 24 + 4 * (i % 2 + 1))
        times.append(h.wait_for("the move's event", lambda: event_ms(b, start, ("mousemove",), 1), 5)[0])
    b.release()
    return times


def full_repaints(b, runs):
    """Per call of the page's hook: the main window painted whole and shown on the canvas (the
    whole call, and the present within it)."""
    results = [b.js("return window.veskel.repaintAll()") for _ in range(runs)]
    if None in results:
        raise h.Failure("the page could not repaint its window")
    return [r["total"] for r in results], [r["present"] for r in results]


def site_size(site):
    files = [f for f in sorted(pathlib.Path(site).rglob("*")) if f.is_file()]
    raw = sum(f.stat().st_size for f in files)
    packed = sum(len(gzip.compress(f.read_bytes(), 9, mtime=0)) for f in files)
    return raw / 1e6, packed / 1e6


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site", nargs="?", default=str(h.ROOT / "build" / "web" / "site"))
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    server, url = h.serve(args.site)
    work = tempfile.TemporaryDirectory()
    first_cold, first_warm = [], []
    # A fresh browser each time: nothing cached, as a first visit.
    for _ in range(args.runs):
        b = h.Browser(1, work.name)
        try:
            first_cold.append(b.open(url))
            first_warm.append(b.open(url))
        finally:
            b.close()
    b = h.Browser(1, work.name)
    try:
        b.open(url + "?lang=ru")
        setting = after_clicks(b, [X_PLUS], args.runs)
        repaint = after_clicks(b, PAGE_TABS, args.runs)
        moved = title_drag(b, args.runs)
        b.move(5, 470)
        repaint_all, repaint_present = full_repaints(b, args.runs)
    finally:
        b.close()
        server.shutdown()
    raw, packed = site_size(args.site)
    # The last column names the desktop's figure of the same work: bench_app (bench/app), the
    # designer's window on the headless backend.
    rows = [("first frame after navigation, first visit", statistics.median(first_cold), "ms", 1500,
             "BM_StartToFirstFrame"),
            ("first frame after navigation, cached", statistics.median(first_warm), "ms", 1500,
             "BM_StartToFirstFrame"),
            ("setting change (X +1): event to present", statistics.median(setting), "ms", 5, "BM_SettingChange"),
            ("full repaint (repaintAll): paint and present", statistics.median(repaint_all), "ms", 4,
             "BM_FullRepaint"),
            ("  of which the present (compose, canvas)", statistics.median(repaint_present), "ms", None, ""),
            ("page switch (container repainted): event to present", statistics.median(repaint), "ms", 4, ""),
            ("window dragged (all of it shown again): event to present", statistics.median(moved), "ms", 4, ""),
            ("site size", raw, "MB", 6, ""),
            ("site size, gzip -9 per file", packed, "MB", 2.5, "")]
    print("%-58s %10s %-13s %s" % ("goal (median of %d runs)" % args.runs, "measured", " goal", "desktop (bench_app)"))
    for name, value, unit, goal, desktop in rows:
        verdict = "%5g %-2s %-4s" % (goal, unit, "ok" if value <= goal else "OVER") if goal else ""
        print("%-58s %7.2f %-2s %-13s %s" % (name, value, unit, verdict, desktop))


if __name__ == "__main__":
    main()
