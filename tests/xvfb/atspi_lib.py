"""What the screen-reader tests share: the designer found on the accessibility bus by its
process, its tree walked, actions run by name, checks counted (failures on stderr)."""
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

failures = []


def log(text):
    print(text, file=sys.stderr, flush=True)


def check(ok, text):
    if not ok:
        failures.append(text)
        log('FAIL: ' + text)
    return ok


def pump(seconds):
    """Waits, delivering the bus's events meanwhile."""
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(find, what, seconds=15):
    for _ in range(seconds * 10):
        try:
            found = find()
        except Exception:  # an object that went away while it was read
            found = None
        if found:
            return found
        pump(0.1)
    check(False, 'timed out waiting for ' + what)


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            app.set_cache_mask(Atspi.Cache.NONE)  # read everything afresh
            return app
    return None


def children(acc):
    return [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]


def descendants(acc, depth=0):
    """(depth, accessible) pairs, depth first."""
    for c in children(acc):
        yield depth, c
        yield from descendants(c, depth + 1)


def states(acc):
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def text_of(acc):
    return acc.queryText().getText(0, -1) if 'Text' in pyatspi.listInterfaces(acc) else None


def act(acc, name):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            return action.doAction(i)
    check(False, '%s %r has no action %s' % (acc.getRoleName(), acc.name, name))


def find(root, name, role):
    return next((a for _, a in descendants(root) if a.name == name and a.getRoleName() == role), None)


def windows(app):
    return [w for w in children(app) if w.getRoleName() == 'frame' and w.childCount > 0]
