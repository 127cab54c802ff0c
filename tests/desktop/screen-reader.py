#!/usr/bin/python3
"""Listens to the program as a screen reader does: through the accessibility bus (AT-SPI) of a
private session bus, with the program's accessibility always on, reading its tree and its events
with pyatspi while xdotool types and clicks. Run on an X display with a window manager (as
on-desktop.sh runs it); KARVEL_PROGRAM names the program. Checks that selecting rows by keyboard
and mouse is heard row by row, that many rows and a search are heard as a count, that the list
answers for its selection and toggles a row by its action, that no control of a dialog or of the
print preview reads as an empty name, and that the preview's sheet area speaks its sheet and
counts when it takes the focus."""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

work = tempfile.mkdtemp()
os.environ['XDG_RUNTIME_DIR'] = work  # the accessibility bus's socket
bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
os.environ['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().decode().strip()

import pyatspi  # noqa: E402 (finds the accessibility bus through the session bus above)
from gi.repository import GLib  # noqa: E402

failures = []
heard = []  # (event type, detail1, role, name, source)


def check(ok, what):
    if not ok:
        failures.append(what)
        print('FAILED:', what, flush=True)
    return ok


def hear(event):
    try:
        source = event.source
        heard.append((event.type, event.detail1, source.getRoleName(), source.name, source))
    except Exception:  # the source went away
        pass


def pump(seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.02)


def wait_for(what, since, match, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        for event in heard[since:]:
            if match(event):
                return event
        pump(0.05)
    check(False, what + ' (heard: %s)' % [e[:4] for e in heard[since:]])
    return None


def keys(*names):
    subprocess.run(['xdotool', 'key', *names], check=True)


def menu(title, entry):
    """Chooses a menu entry with the mouse, once the screen reader has heard the menu open."""
    since = len(heard)
    item = next(o for o in descendants(frame) if o.getRoleName() == 'menu item' and o.name == title)
    click(item)
    wait_for('the menu ' + title, since,
             lambda e: e[0] == 'object:state-changed:showing' and e[2] == 'popup menu')
    click(next(o for o in descendants(item[0]) if o.name == entry))


def click(row, *modifiers):
    x, y, w, h = row.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2)], check=True)
    for m in modifiers:
        subprocess.run(['xdotool', 'keydown', m], check=True)
    subprocess.run(['xdotool', 'click', '1'], check=True)
    for m in modifiers:
        subprocess.run(['xdotool', 'keyup', m], check=True)


def descendants(obj, skip_rows=True):
    for child in obj:
        if child is None:
            continue
        yield child
        if not (skip_rows and child.getRoleName() in ('list', 'table', 'tree table')):
            yield from descendants(child, skip_rows)


for kind in ('object:state-changed:selected', 'object:state-changed:showing', 'focus:',
             'window:activate', 'object:property-change:accessible-name'):
    pyatspi.Registry.registerEventListener(hear, kind)
pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before the program looks for it

# The program in a directory of its own (its settings file lands there): output file names
# chosen in its own dialog, and a file of 30 rows in code page 932, three of them with "ABC".
program = os.path.join(work, 'prog')
os.mkdir(program)
shutil.copy(os.environ['KARVEL_PROGRAM'], program)
with open(os.path.join(program, 'KARVEL.INI'), 'wb') as f:
    f.write(b'FileSel_mode=1\r\n')
rows = ['%02d 行目 東京都港区' % i + (' ABC' if i in (3, 7, 20) else '') for i in range(30)]
with open(os.path.join(work, 'rows.txt'), 'wb') as f:
    f.write(''.join(r + '\r\n' for r in rows).encode('cp932'))
since = len(heard)
app = subprocess.Popen([os.path.join(program, 'karvel32'), os.path.join(work, 'rows.txt')],
                       env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
                                QT_QPA_PLATFORM='xcb', HOME=work))


def selections(since):
    return sorted((e[3][:2], e[1]) for e in heard[since:]
                  if e[0] == 'object:state-changed:selected')


def notice(what, since, text):
    e = wait_for(what, since, lambda e: e[0] == 'object:state-changed:showing' and e[1] == 1 and
                 e[2] == 'notification')
    return e and check(e[3] == text, '%s: heard "%s", not "%s"' % (what, e[3], text))


try:
    wait_for('the main window opens', since,
             lambda e: e[0] == 'window:activate' and e[2] == 'frame')
    wait_for('the list takes the focus', since,
             lambda e: e[0] == 'focus:' and e[2] in ('list', 'list item'))
    frame = next(w for a in pyatspi.Registry.getDesktop(0)
                 if a and a.get_process_id() == app.pid for w in a if w.getRoleName() == 'frame')
    lst = next(o for o in descendants(frame) if o.getRoleName() == 'list')
    table = lst.queryTable()
    check(lst.getState().contains(pyatspi.STATE_MULTISELECTABLE), 'the list is multi-select')
    for o in descendants(frame):
        check(o.name or o.getRoleName() in ('filler', 'panel', 'separator', 'menu bar',
                                            'popup menu', 'tool bar', 'status bar', 'unknown'),
              'the main window: a %s without a name' % o.getRoleName())
    cell = table.getAccessibleAt

    # Toggles and ranges by keyboard and mouse: each changed row is heard, and only those.
    steps = [
        ('Ctrl+Space', lambda: keys('ctrl+space'), [('00', 1)], [0]),
        ('Shift+Down', lambda: keys('shift+Down'), [('01', 1)], [0, 1]),
        ('a click', lambda: click(cell(5, 0)), [('00', 0), ('01', 0), ('05', 1)], [5]),
        ('Ctrl+click', lambda: click(cell(6, 0), 'ctrl'), [('06', 1)], [5, 6]),
        ('Shift+click', lambda: click(cell(8, 0), 'shift'), [('05', 0), ('07', 1), ('08', 1)],
         [6, 7, 8]),
    ]
    for name, do, expected, selected in steps:
        since = len(heard)
        do()
        wait_for(name + ' is heard', since, lambda e: (e[3][:2], e[1]) == expected[-1])
        pump(0.5)
        check(selections(since) == sorted(expected),
              '%s: heard %s, not %s' % (name, selections(since), expected))
        check(list(table.getSelectedRows()) == selected and table.nSelectedRows == len(selected),
              '%s: the list says %s are selected' % (name, list(table.getSelectedRows())))

    # Many rows, and a search: the focused row's state and a count, not one event a row.
    since = len(heard)
    keys('ctrl+a')
    notice('Ctrl+A', since, '全 30 行中 30 行を選択しています')
    check(len(selections(since)) <= 1, 'Ctrl+A is heard as a count: %s' % selections(since))
    since = len(heard)
    click(cell(0, 0))
    notice('a click after Ctrl+A', since, '全 30 行中 1 行を選択しています')

    since = len(heard)
    menu('編集(E)', '検索(S)')
    wait_for('the search dialog', since, lambda e: e[0] == 'window:activate' and e[2] == 'dialog')
    wait_for('the search box takes the focus', since,
             lambda e: e[0] == 'focus:' and e[3] == '検索文字列を入力してください')
    since = searched = len(heard)
    subprocess.run(['xdotool', 'type', 'ABC'], check=True)
    keys('Return', 'Return')  # Enter in the box goes to OK, as in the other dialogs
    notice('a search', since, '全 30 行中 4 行を選択しています')
    check(len(selections(since)) <= 1, 'a search is heard as a count: %s' % selections(since))
    check(list(table.getSelectedRows()) == [0, 3, 7, 20], 'the search selected %s' %
          list(table.getSelectedRows()))

    # The selection asked for and changed through the list and through a row's action.
    since = len(heard)
    check(table.addRowSelection(10) and table.isRowSelected(10), 'the list selects a row')
    wait_for('a row selected by a tool is heard', since, lambda e: (e[3][:2], e[1]) == ('10', 1))
    check(table.removeRowSelection(10) and not table.isRowSelected(10), 'the list deselects')
    action = cell(12, 0).queryAction()
    check(action.nActions == 1 and action.getName(0).lower() == 'toggle',
          'a row has a toggle action')
    since = len(heard)
    action.doAction(0)
    wait_for('the toggle action is heard', since, lambda e: (e[3][:2], e[1]) == ('12', 1))
    check(list(table.getSelectedRows()) == [0, 3, 7, 12, 20] and table.nSelectedRows == 5,
          'the toggle action selected row 12')

    # Every dialog: no control reads as an empty name; system settings speaks the checked
    # choice first.
    unnamed_ok = {'filler', 'panel', 'separator', 'scroll bar', 'list item'}
    dialogs = [('編集(E)', '検索(S)', '文字列の検索'), ('編集(E)', 'コメント出力(C)', 'コメント入力'),
               ('ファイル(F)', 'ファイルへ書き出し(F)...', '出力先ファイル名'),
               ('オプション(O)', 'システム設定(S)...', 'システム設定'),
               ('オプション(O)', 'フォント設定(F)...', 'フォント'),
               ('ヘルプ(H)', 'バージョン情報(A)...', 'バージョン情報')]
    wait_for('back from the search', searched,
             lambda e: e[0] == 'window:activate' and e[2] == 'frame')
    for menu_title, entry, title in dialogs:
        since = len(heard)
        menu(menu_title, entry)
        e = wait_for('the dialog ' + title, since,
                     lambda e: e[0] == 'window:activate' and e[2] == 'dialog' and e[3] == title)
        if not e or not wait_for('a control of %s takes the focus' % title, heard.index(e),
                                 lambda e: e[0] == 'focus:'):
            break
        dialog = e[4]
        for o in descendants(dialog, skip_rows=False):
            check(o.name or o.getRoleName() in unnamed_ok,
                  '%s: a %s without a name' % (title, o.getRoleName()))
        if title == 'システム設定':
            focus = [x for x in heard[since:] if x[0] == 'focus:']
            check(focus and focus[-1][4].getState().contains(pyatspi.STATE_CHECKED),
                  'system settings opens on the checked choice, not %r' % (focus[-1:],))
        # Closed by its Cancel button (OK where it has none), as a screen reader presses it.
        buttons = {o.name: o for o in descendants(dialog) if o.getRoleName() == 'push button'}
        close = next((buttons[n] for n in ('Cancel', 'キャンセル', 'OK') if n in buttons), None)
        since = len(heard)
        if check(close, title + ' has a button that closes it'):
            close.queryAction().doAction(0)
        # Back in the main window once it is active again.
        wait_for('back from ' + title, since,
                 lambda e: e[0] == 'window:activate' and e[2] == 'frame')
        wait_for('the list has the focus again', since,
                 lambda e: e[0] == 'focus:' and e[2] in ('list', 'list item'))

    # The print preview after every row was printed three times (more than a sheet): a named
    # pane whose sheet area speaks its number and counts on focus, its buttons named and on Tab.
    keys('ctrl+a')
    for _ in range(3):
        menu('ファイル(F)', '印刷(F)')
        pump(1)
    since = len(heard)
    menu('ファイル(F)', '印刷プレビュー(V)')
    e = wait_for('the sheet area takes the focus', since,
                 lambda e: e[0] == 'focus:' and e[3].startswith('用紙'))
    if e:
        sheet = e[4]
        pane = sheet.parent
        while pane.getRoleName() not in ('window', 'frame', 'panel') or not pane.name:
            pane = pane.parent
        check(pane.name == '印刷プレビュー', 'the preview reads as %s %r' %
              (pane.getRoleName(), pane.name))
        # Sheet N of N (how many lines a sheet holds depends on the paper and font).
        n = re.fullmatch(r'用紙 (\d+) / \1', e[3])
        counts = [o.name for o in descendants(pane)
                  if re.fullmatch(r'\d+ 行印字済み・あと約 \d+ 行', o.name)]
        check(n and int(n[1]) > 1 and [sheet.description] == counts,
              'the sheet area on focus: %s, %r (counts %s)' % (e[3], sheet.description, counts))
        since = len(heard)
        keys('Prior')
        wait_for('PageUp is heard', since,
                 lambda e: e[0] == 'object:property-change:accessible-name' and e[4] == sheet and
                 n and e[3] == '用紙 %d / %s' % (int(n[1]) - 1, n[1]))
        since = len(heard)
        keys('Tab', 'Tab', 'Tab', 'Tab')
        wait_for('Tab reaches the sheet buttons', since,
                 lambda e: e[0] == 'focus:' and e[3] == '次の用紙')
        for o in descendants(pane):
            check(o.name or o.getRoleName() in unnamed_ok,
                  'the preview: a %s without a name' % o.getRoleName())
finally:
    app.send_signal(signal.SIGTERM)
    try:
        app.wait(20)
    except subprocess.TimeoutExpired:
        app.kill()
    os.killpg(bus.pid, signal.SIGTERM)  # the session bus and the accessibility bus it started
    bus.wait()
    shutil.rmtree(work, ignore_errors=True)

print('%d failures' % len(failures) if failures else 'everything heard')
sys.exit(1 if failures else 0)
