#!/usr/bin/python3
"""A banner designed from start to export through AT-SPI alone: controls found by role and name,
their actions, EditableText, Value and keys sent through the bus. Each step waits for the event it
must raise and prints all it heard.   screen_reader_design.py PID OUT"""
import os
import sys

import pyatspi
from atspi_lib import act, application, check, children, descendants, failures, find, log, pump, states, text_of, \
    wait_for, windows

PID, OUT = int(sys.argv[1]), sys.argv[2]
KEYS = {'Home': 0xff50, 'End': 0xff57, 'Right': 0xff53, 'Down': 0xff54, 'Next': 0xff56, 'Tab': 0xff09,
        'Return': 0xff0d, 'Escape': 0xff1b, 's': ord('s')}
heard = []


def key(name, modifiers=0):  # modifiers: 1 Shift, 4 Ctrl
    for what, kind in ((modifiers, pyatspi.KEY_LOCKMODIFIERS), (KEYS[name], pyatspi.KEY_SYM),
                       (modifiers, pyatspi.KEY_UNLOCKMODIFIERS)):
        if what:
            pyatspi.Registry.generateKeyboardEvent(what, None, kind)


def label(acc):
    try:
        return '%s %r' % (acc.getRoleName(), acc.name)
    except Exception:  # gone while it was read
        return '?'


# (where, name, role) finds the control; the action is a key, an action name, ('text', t) or ('value', v);
# the event (type prefix) must come from the control itself unless the row names another.
F, X, SQ = ('main', 'Текст', 'text'), ('main', 'Позиция текста X', 'text'), ('palette', 'Яркость и насыщенность', 'color chooser')
STEPS = [
    (F, ('text', 'Heard'), 'object:text-changed', None), (F, 'SetFocus', 'focus:', None),
    (F, 'Home', 'object:text-caret-moved', None), (F, ('End', 1), 'object:text-selection-changed', None),
    (F, 'Right', 'object:text-selection-changed', None), (F, 's', 'object:text-changed:insert', None),
    (X, ('text', '20'), 'object:text-changed', None),
    (('main', 'Увеличить позицию текста X', 'push button'), 'Press', 'object:text-changed', X),
    (('main', 'Цвет 1', 'push button'), 'ShowMenu', 'focus:', 'any'), (SQ, 'SetFocus', 'focus:', None),
    (('palette', 'Передний план и цвет фона по умолчанию', 'push button'), 'Press',
     'object:property-change:accessible-description', SQ)] + \
    [(SQ, 'Next', 'object:property-change:accessible-description', None)] * 8 + [
    (SQ, 'Return', 'focus:', 'any'),
    (('main', 'Effects', 'page tab'), 'Press', 'object:state-changed:selected', None),
    (('main', 'Сила узора', 'slider'), ('value', 99), 'object:property-change:accessible-value', None),
    (('main', 'Образец узора', 'list'), 'SetFocus', 'focus:', None)] + \
    [(('main', 'Образец узора', 'list'), k, 'object:state-changed:selected', 'any') for k in ('Home', 'Down', 'Down')] + [
    (('main', 'Wave top', 'list item'), 'Press', 'object:state-changed:selected', None),
    (('main', 'Добавить рамку', 'check box'), 'Toggle', 'object:state-changed:checked', None),
    (('main', 'Effects', 'page tab'), ('Tab', 4), 'focus:', ('main', 'Выбрать изображение', 'push button')),
    (('main', 'Save & Open', 'page tab'), 'Press', 'object:state-changed:selected', None),
    (('main', 'Сохранить изображение', 'push button'), 'Press', 'focus:', 'any')]


def run(roots, target, do, event, source):
    acc = find(roots[target[0]], target[1], target[2])
    heard_from = None if source == 'any' else acc if source is None else find(roots[source[0]], source[1], source[2])
    if not check(acc is not None, 'no %s named %r' % (target[2], target[1])):
        return
    del heard[:]
    if isinstance(do, tuple) and do[0] in ('text', 'value'):
        acc.queryEditableText().setTextContents(do[1]) if do[0] == 'text' else \
            setattr(acc.queryValue(), 'currentValue', do[1])
    elif isinstance(do, tuple) or do in KEYS:
        key(*do) if isinstance(do, tuple) else key(do)
    else:
        act(acc, do)
    title = '%s %r: %s' % (target[2], target[1], do)
    wait_for(lambda: any(t.startswith(event) and heard_from in (None, s) for t, s in heard), title + ': ' + event, 10)
    pump(0.3)  # what follows at once belongs to the same step
    kinds = {}
    for t, s in heard:
        kinds['%s(%s)' % (t, label(s))] = kinds.get('%s(%s)' % (t, label(s)), 0) + 1
    print('%-60s %3d: %s' % (title, len(heard), '; '.join('%s x%d' % kv for kv in kinds.items())))


def main():
    pyatspi.Registry.registerEventListener(lambda e: heard.append((e.type, e.source)), 'object:state-changed',
                                           'object:text-changed', 'object:text-caret-moved', 'object:property-change',
                                           'object:text-selection-changed', 'object:property-change:accessible-value',
                                           'focus:')
    app = wait_for(lambda: application(PID), 'the designer on the accessibility bus')
    main_window = app and wait_for(lambda: next(iter(windows(application(PID))), None), 'its window')
    if not main_window:
        return 1
    check(app.name == 'Veskel', 'the application is named %r, not "Veskel"' % app.name)
    x = find(main_window, X[1], X[2])
    tied = [(r.getRelationType(), r.getTarget(0).name) for r in x.getRelationSet()]
    check((pyatspi.RELATION_LABELLED_BY, 'Позиция текста X =') in tied, 'the X field names its label: %s' % tied)
    roots = {'main': main_window, 'palette': main_window}
    for target, do, event, source in STEPS:
        if target[0] == 'palette' and roots['palette'] == main_window:
            roots['palette'] = wait_for(lambda: next((w for w in windows(application(PID)) if w.name == 'Палитра: Цвет 1'),
                                                     None), 'the palette named "Палитра: Цвет 1"') or main_window
        run(roots, target, do, event, source)
    check(text_of(find(main_window, 'Текст', 'text')) == 'Heards' and text_of(x) == '21', 'the text and X typed')
    check(find(main_window, 'Выбрать изображение', 'push button') is not None, 'Ctrl+Tab showed the next page')
    # The export dialog (Qt's own): its focused field takes the file's name, Return saves.
    dialog = wait_for(lambda: next((w for w in children(application(PID)) if w.getRoleName() == 'dialog'), None),
                      'the export dialog')
    name = dialog and wait_for(lambda: next((a for _, a in descendants(dialog) if a.getRoleName() == 'text'
                                             and 'focused' in states(a)), None), 'the dialog\'s file name field')
    if name:
        name.queryEditableText().setTextContents(OUT)
        pump(0.5)
        key('Return')
    wait_for(lambda: os.path.exists(OUT) and os.path.getsize(OUT) > 0, 'the export')
    log('%d failures' % len(failures))
    return 1 if failures else 0


sys.exit(main())
