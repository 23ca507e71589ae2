#!/usr/bin/python3
"""A banner designed from start to export through AT-SPI alone, as a screen reader user's tools
would: controls found by role and name, pressed through their actions, fields filled through
EditableText, sliders set through Value, keys sent through the accessibility bus. Each step must
be heard through events (printed per step on stdout); the export goes to OUT.
    screen_reader_design.py PID OUT"""
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

PID, OUT = int(sys.argv[1]), sys.argv[2]
EVENTS = ['object:state-changed', 'object:text-changed', 'object:text-caret-moved', 'object:text-selection-changed',
          'object:property-change', 'object:property-change:accessible-value', 'object:value-changed',
          'object:selection-changed', 'object:active-descendant-changed', 'focus:', 'window:create']
failures = []
heard = []


def log(text):
    print(text, file=sys.stderr, flush=True)


def check(ok, text):
    if not ok:
        failures.append(text)
        log('FAIL: ' + text)
    return ok


def label(acc):
    try:
        return '%s %r' % (acc.getRoleName(), acc.name)
    except Exception:  # gone while it was read
        return '?'


def on_event(event):
    heard.append((event.type, event.source, event.detail1))


def pump(seconds):
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


def step(title, do, expect):
    """Runs one step and waits until an event of a kind in `expect` (type prefix, source) is heard."""
    del heard[:]
    do()
    ok = wait_for(lambda: any(t.startswith(kind) and (src is None or s == src) for kind, src in expect
                              for t, s, _ in heard), '%s: %s' % (title, ' or '.join(k for k, _ in expect)), 10)
    pump(0.3)  # what follows at once belongs to the same step
    kinds = {}
    for t, s, d in heard:
        key = '%s(%s)' % (t, label(s))
        kinds[key] = kinds.get(key, 0) + 1
    print('%-44s %d events: %s' % (title, len(heard), '; '.join('%s x%d' % kv for kv in kinds.items())))
    return ok


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == PID:
            app.set_cache_mask(Atspi.Cache.NONE)
            return app
    return None


def children(acc):
    return [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]


def descendants(acc):
    for c in children(acc):
        yield c
        yield from descendants(c)


def find(root, name, role):
    found = next((a for a in descendants(root) if a.name == name and a.getRoleName() == role), None)
    check(found is not None, 'no %s named %r' % (role, name))
    return found


def states(acc):
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def act(acc, name):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            return action.doAction(i)
    check(False, '%s has no action %s' % (label(acc), name))


def text(acc):
    return acc.queryText().getText(0, -1)


def key(name, modifiers=0):
    keysym = Atspi.keysym_from_name(name) if hasattr(Atspi, 'keysym_from_name') else None
    if keysym is None:
        keysym = {'Home': 0xff50, 'End': 0xff57, 'Down': 0xff54, 'Right': 0xff53, 'Next': 0xff56,
                  'Return': 0xff0d, 'Escape': 0xff1b, 'Tab': 0xff09}.get(name) or ord(name)
    if modifiers:
        pyatspi.Registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_LOCKMODIFIERS)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    if modifiers:
        pyatspi.Registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_UNLOCKMODIFIERS)


def windows(app):
    return [w for w in children(app) if w.getRoleName() == 'frame' and w.childCount > 0]


def main():
    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    app = wait_for(application, 'the designer on the accessibility bus')
    window = app and wait_for(lambda: next(iter(windows(application())), None), 'its window')
    if not window:
        return 1
    check(app.name == 'Veskel', 'the application is named %r, not "Veskel"' % app.name)
    print('%-44s %s' % ('step', 'events heard'))

    # Text: filled through EditableText, then walked with the keys.
    field = find(window, 'Текст', 'text')
    check({'editable', 'focusable'} <= states(field), 'the text field says it is editable and takes the focus')
    step('text: set_text_contents', lambda: field.queryEditableText().setTextContents('Heard'),
         [('object:text-changed', field)])
    check(text(field) == 'Heard', 'the text field holds %r' % text(field))
    step('text: focus', lambda: act(field, 'SetFocus'), [('focus:', field)])
    step('text: Home', lambda: key('Home'), [('object:text-caret-moved', field)])
    step('text: Shift+End', lambda: key('End', 1), [('object:text-selection-changed', field)])
    step('text: Right', lambda: key('Right'), [('object:text-selection-changed', field)])
    step('text: type "s"', lambda: key('s'), [('object:text-changed:insert', field)])
    check(text(field) == 'Heards', 'typing through the bus gave %r' % text(field))

    # Position: the X field typed into, then one more with its "+"; the field is heard changing.
    x = find(window, 'Позиция текста X', 'text')
    step('X: set_text_contents "20"', lambda: x.queryEditableText().setTextContents('20'), [('object:text-changed', x)])
    plus = find(window, 'Увеличить позицию текста X', 'push button')
    step('"Increase text position X": Press', lambda: act(plus, 'Press'), [('object:text-changed', x)])
    check(text(x) == '21', 'X is %r after "+"' % text(x))

    # Colour 1: the palette, named after it; the defaults, then the square by its keys.
    box = find(window, 'Цвет 1', 'push button')
    step('"Colour 1": ShowMenu', lambda: act(box, 'ShowMenu'), [('window:create', None), ('object:state-changed', None)])
    palette = wait_for(lambda: next((w for w in windows(application()) if w.name == 'Палитра: Цвет 1'), None),
                       'the palette named "Палитра: Цвет 1"')
    if palette:
        defaults = find(palette, 'Передний план и цвет фона по умолчанию', 'push button')
        square = find(palette, 'Яркость и насыщенность', 'color chooser')
        step('square: focus', lambda: act(square, 'SetFocus'), [('focus:', square)])
        step('palette defaults: Press', lambda: act(defaults, 'Press'),
             [('object:property-change:accessible-description', square)])
        for i in range(8):
            step('square: PageDown %d' % (i + 1), lambda: key('Next'),
                 [('object:property-change:accessible-description', square)])
        check(square.description.startswith('#7E7E7E'), 'the square says %r' % square.description)
        step('palette: Escape', lambda: key('Escape'), [('focus:', None), ('object:state-changed', None)])
        wait_for(lambda: len(windows(application())) == 1, 'the palette to close')

    # Effects: the page switched by its tab; slider, lists, check box.
    tabs = [a for a in descendants(window) if a.getRoleName() == 'page tab']
    effects = next((t for t in tabs if t.name == 'Effects'), None)
    if check(effects is not None, 'the "Effects" tab'):
        step('"Effects" tab: Press', lambda: act(effects, 'Press'), [('object:state-changed:selected', effects)])
        check('selected' in states(effects), 'the shown page\'s tab is selected')
        check(wait_for(lambda: find(window, 'Сила узора', 'slider') is not None and
                       'focused' in states(find(window, 'Сила узора', 'slider')), 'the focus on the page\'s first control'),
              'the focus went to the page\'s first control')
    strength = find(window, 'Сила узора', 'slider')
    step('"Pattern strength" = 99', lambda: setattr(strength.queryValue(), 'currentValue', 99),
         [('object:property-change:accessible-value', strength), ('object:value-changed', strength)])
    patterns = find(window, 'Образец узора', 'list')
    step('"Tile pattern": focus', lambda: act(patterns, 'SetFocus'), [('focus:', None)])
    step('"Tile pattern": Home', lambda: key('Home'), [('object:state-changed:selected', None)])
    for i in range(2):
        step('"Tile pattern": Down %d' % (i + 1), lambda: key('Down'), [('object:state-changed:selected', None)])
    check('selected' in states(patterns.getChildAtIndex(2)), 'the third pattern is selected')
    layers = find(window, 'Зеркальный узор', 'list')
    second = layers.getChildAtIndex(1)
    step('"Highlight layer" entry 2: Press', lambda: act(second, 'Press'), [('object:state-changed:selected', second)])
    border = find(window, 'Добавить рамку', 'check box')
    step('"Add a border": Toggle', lambda: act(border, 'Toggle'), [('object:state-changed:checked', border)])

    # Save & Open: export through the second "Save..." and the file dialog.
    save_tab = next((t for t in tabs if t.name == 'Save & Open'), None)
    if check(save_tab is not None, 'the "Save & Open" tab'):
        step('"Save & Open" tab: Press', lambda: act(save_tab, 'Press'), [('object:state-changed:selected', save_tab)])
    export = find(window, 'Сохранить изображение', 'push button')
    step('"Save picture": Press', lambda: act(export, 'Press'), [('window:create', None), ('focus:', None)])
    dialog = wait_for(lambda: next((w for w in children(application()) if w.getRoleName() in ('dialog', 'file chooser')
                                    and w.childCount > 0), None), 'the export dialog')
    if dialog:
        name_field = wait_for(lambda: next((a for a in descendants(dialog) if a.getRoleName() == 'text'
                                            and 'focused' in states(a)), None), 'the dialog\'s file name field')
        if name_field:
            step('dialog: file name', lambda: name_field.queryEditableText().setTextContents(OUT),
                 [('object:text-changed', name_field)])
            step('dialog: Return', lambda: key('Return'), [('focus:', None), ('object:state-changed', None)])
    wait_for(lambda: __import__('os').path.exists(OUT) and __import__('os').path.getsize(OUT) > 0, 'the export')

    log('%d failures' % len(failures))
    return 1 if failures else 0


sys.exit(main())
