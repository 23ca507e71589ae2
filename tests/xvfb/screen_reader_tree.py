#!/usr/bin/python3
"""The designer through AT-SPI: prints each page's tree and checks, on stderr, that every control
(pages, pop-up) is named with a usable role, that "+" pressed through its action changes the
design, that Tab walks named controls round, and that a message box
is read out; that no two controls of a page share a name.   screen_reader_tree.py PID WIN_X WIN_Y"""
import subprocess
import sys
import time

import pyatspi
from atspi_lib import (act, application, check, children, descendants, failures, find, log, states, text_of, wait_for,
                       windows)

PID, WIN_X, WIN_Y = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
READABLE_ROLES = {'frame', 'panel', 'page tab list', 'page tab', 'push button', 'check box', 'slider',
                  'list', 'list item', 'text', 'label', 'image', 'link', 'color chooser'}
# One control of each kind, by name and role: what each role becomes on the desktop.
EXPECTED = [('Effects', 'page tab'), ('Закрыть', 'push button'), ('Позиция текста X', 'text'), ('Просмотр', 'image'),
            ('По горизонтали', 'check box'), ('Зеркальный узор', 'list'),
            ('Dots pattern', 'list item'), ('Подробная информация и обновления', 'link'),
            ('Сила узора', 'slider'), ('Увеличить позицию текста X', 'push button')]
# What the keyboard reaches says so.
FOCUSABLE_ROLES = {'push button', 'check box', 'slider', 'list', 'page tab', 'link', 'text', 'color chooser'}
def describe(acc):
    line = '[%s] %r' % (acc.getRoleName(), acc.name)
    if text_of(acc) is not None:
        line += ' text=%r' % text_of(acc)
    if 'Value' in pyatspi.listInterfaces(acc):
        line += ' value=%g' % acc.queryValue().currentValue
    return line + (' description=%r' % acc.description if acc.description else '')


def list_and_check(title, nodes, must_show, ours=True):
    print('== ' + title)
    for depth, acc in nodes:
        print('  ' * depth + describe(acc))
        if not ours:  # Qt's own widgets: listed, not judged
            continue
        role = acc.getRoleName()
        check(role in READABLE_ROLES, '%s: %s has a role a screen reader cannot use' % (title, describe(acc)))
        # A tab list is read through its tabs.
        check(bool(acc.name) or role == 'page tab list', '%s: %s has no name' % (title, describe(acc)))
        if must_show:
            check('showing' in states(acc), '%s: %s is not showing' % (title, describe(acc)))
        if role in FOCUSABLE_ROLES and acc.parent.getRoleName() != 'panel':  # a title bar's buttons are not
            check('focusable' in states(acc), '%s: %s does not say it takes the focus' % (title, describe(acc)))


def xdotool(*args):
    subprocess.run(['timeout', '10', 'xdotool', *args], check=True)


def focused_in(root):
    return next((acc for _, acc in descendants(root) if 'focused' in states(acc)), None)


def main():
    app = wait_for(lambda: application(PID), 'the designer on the accessibility bus')
    main_window = app and wait_for(lambda: next(iter(windows(application(PID))), None), 'its window with controls')
    if not main_window:
        return 1

    # Each page: show it through its tab's action, then read it.
    tabs = [acc for _, acc in descendants(main_window) if acc.getRoleName() == 'page tab']
    check(len(tabs) == 4, 'four page tabs, found %d' % len(tabs))
    for tab in tabs:
        act(tab, 'Press')
        wait_for(lambda: 'selected' in states(tab), 'the page "%s" to be selected' % tab.name)
        list_and_check('page "%s"' % tab.name, descendants(tab), must_show=True)
        names = [a.name for _, a in descendants(tab) if a.getRoleName() not in ('label', 'list item')]
        check(len(names) == len(set(names)), 'page "%s": controls share names: %s' %
              (tab.name, sorted({n for n in names if names.count(n) > 1})))
    in_pages = [a for t in tabs for _, a in descendants(t)]
    list_and_check('outside the pages', [(d, a) for d, a in descendants(main_window) if a not in in_pages], False)
    for name, role in EXPECTED:
        check(find(main_window, name, role) is not None, 'no %s named %r' % (role, name))

    # One press through the action interface changes the design: "+" beside the X field.
    act(tabs[0], 'Press')
    field = find(main_window, 'Позиция текста X', 'text')
    plus = find(main_window, 'Увеличить позицию текста X', 'push button')
    if check(field is not None and plus is not None, 'the X field and its "+"'):
        before = int(text_of(field))
        act(plus, 'Press')
        wait_for(lambda: text_of(field) == str(before + 1), 'the X field to go from %d to %d' % (before, before + 1))
        log('ok: "+" pressed through its action moved the text from X = %d to %s' % (before, text_of(field)))

    # The palette pop-up, opened through a colour box's action; it stays while the pointer is away.
    act(find(main_window, 'Цвет 1', 'push button'), 'ShowMenu')
    popup = wait_for(lambda: next((w for w in windows(application(PID)) if w != main_window), None), 'the palette pop-up')
    time.sleep(1)
    if check(popup and len(windows(application(PID))) == 2, 'the pop-up stays open'):
        list_and_check('palette pop-up', descendants(popup), must_show=True)
    xdotool('mousemove', str(WIN_X + 8), str(WIN_Y + 472), 'click', '1')
    wait_for(lambda: len(windows(application(PID))) == 1, 'the pop-up to close')

    # Tab: from the text field round the window and back.
    text_field = find(main_window, 'Текст', 'text')
    act(text_field, 'SetFocus')
    if wait_for(lambda: 'focused' in states(text_field), 'the text field to take the focus'):
        xdotool('key', 'Tab')
        time.sleep(1)
        if focused_in(main_window) in (None, text_field):
            check(False, 'Tab did not move the keyboard focus')
        else:
            seen = []
            for _ in range(80):
                now = focused_in(main_window)
                if now == text_field:
                    break
                check(now is not None and bool(now.name), 'Tab reached an unnamed control: %s' %
                      (describe(now) if now else 'nothing focused'))
                seen.append(describe(now) if now else '?')
                xdotool('key', 'Tab')
                time.sleep(0.3)
            print('== Tab order\n  ' + '\n  '.join(seen))
            check(focused_in(main_window) == text_field, 'Tab did not come back to the text field')
            check(len(seen) >= 10, 'Tab reached only %d controls' % len(seen))

    # A message box is read out: closing the changed design asks whether to save it.
    act(find(main_window, 'Закрыть', 'push button'), 'Press')
    box = wait_for(lambda: next((w for w in children(application(PID)) if w.getRoleName() in ('alert', 'dialog')
                                 and w.childCount > 0), None), 'the question before closing')
    if box:
        list_and_check('message box', descendants(box), must_show=False, ours=False)
        check(any(a.getRoleName() == 'label' and len(a.name) > 10 for _, a in descendants(box)),
              'the message box\'s question is readable')
        xdotool('key', 'Escape')
        wait_for(lambda: not any(w.getRoleName() in ('alert', 'dialog') for w in children(application(PID))),
                 'the question to go')

    log('%d failures' % len(failures))
    return 1 if failures else 0


sys.exit(main())
