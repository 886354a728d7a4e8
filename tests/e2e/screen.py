#!/usr/bin/python3
"""Uses the real program as a pupil with a screen reader would.

Keys and clicks go in through xdotool; what the windows show comes back
through the accessibility bus (AT-SPI), which is exactly what a screen
reader reads. Every wait polls with a time limit: nothing here sleeps for a
fixed time and hopes.

Commands:
  wait-bus                       wait until the accessibility bus is up
  message PID TITLE TEXT         wait for the message box TITLE saying TEXT
  pupil PID TEST OTHER ARTIFACTS the whole road of the test TEST, OTHER being
                                 the other test in the folder (both what
                                 `velmora-tst show --json` prints)
"""

import json
import os
import re
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
gi.require_version("Gio", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

# Slow machines and sanitizer builds: a step may take seconds, never this long.
TIMEOUT = float(os.environ.get("VELMORA_E2E_TIMEOUT", "60"))
POLL = 0.05

LINE_NAME = re.compile(r"^Строка (\d+) из (\d+): (.*)$", re.S)
HINT = "Неверно! Посмотри правильный вариант и нажми Далее"


class Failure(Exception):
    pass


def step(text):
    print("  -", text, flush=True)


def poll(what, probe, timeout=TIMEOUT):
    """Calls probe until it gives something other than None or False."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            value = probe()
            if value is not None and value is not False:
                return value
        except Exception as e:  # a window closing under us; told if it lasts
            last = e
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for %s%s" % (what, "" if last is None else " (%s)" % last))
        time.sleep(POLL)


# ---------------------------------------------------------------- input

def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def x_window(title_regex):
    def probe():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_regex],
                               capture_output=True, text=True, timeout=30)
        ids = found.stdout.split()
        return ids[0] if ids else None
    return poll("an X window titled %r" % title_regex, probe)


def activate(title_regex):
    """Gives the window the keyboard focus, as a window manager would."""
    xdotool("windowfocus", "--sync", x_window(title_regex))


def keys_to(title_regex, *keys):
    activate(title_regex)
    xdotool("key", *keys)


def teacher_key(letter):
    # The letter is released while exactly Shift and Alt are still held.
    xdotool("keydown", "shift", "alt")
    try:
        xdotool("key", letter)
    finally:
        xdotool("keyup", "alt", "shift")


def centre(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    if box.width <= 0 or box.height <= 0:
        raise Failure("%r has no place on the screen" % node.get_name())
    return box.x + box.width // 2, box.y + box.height // 2


# ---------------------------------------------------------------- reading

def wait_bus():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def owned():
        reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                              "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)),
                              GLib.VariantType("(b)"), Gio.DBusCallFlags.NONE, -1, None)
        return reply.unpack()[0]
    poll("the accessibility bus", owned)


class Program:
    def __init__(self, pid):
        self.pid = pid
        self._app = None

    def app(self):
        if self._app is None:
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == self.pid:
                    # Read everything afresh from the program, never from a cache.
                    app.set_cache_mask(Atspi.Cache.NONE)
                    self._app = app
                    break
        if self._app is None:
            raise Failure("the program is not on the accessibility bus")
        self._app.clear_cache()
        return self._app

    def windows(self):
        app = self.app()
        return [app.get_child_at_index(i) for i in range(app.get_child_count())]

    def window(self, name_regex, role=None):
        """Waits for a top-level window by its name (and role)."""
        pattern = re.compile(name_regex)

        def probe():
            for w in self.windows():
                if w is not None and pattern.search(w.get_name() or "") and (role is None or w.get_role() == role):
                    return w
            return None
        return poll("the window %r" % name_regex, probe)

    def window_names(self):
        return [w.get_name() for w in self.windows() if w is not None]

    def gone(self, name):
        return poll("the window %r to close" % name, lambda: name not in self.window_names())

    def dump(self):
        lines = []

        def walk(node, depth):
            if node is None:
                return
            states = node.get_state_set()
            extra = ""
            if states.contains(Atspi.StateType.FOCUSED):
                extra += " [focused]"
            if not states.contains(Atspi.StateType.SHOWING):
                extra += " [hidden]"
            if node.get_role() == Atspi.Role.TEXT:
                extra += " text=%r" % text_of(node)
            lines.append("%s%s %r%s" % ("  " * depth, node.get_role_name(), node.get_name(), extra))
            for i in range(node.get_child_count()):
                walk(node.get_child_at_index(i), depth + 1)
        try:
            walk(self.app(), 0)
        except Exception as e:  # the dump only helps to read a failure
            lines.append("(dump stopped: %s)" % e)
        return "\n".join(lines)


def descendants(node):
    out = []
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            out.append(child)
            out.extend(descendants(child))
    return out


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def said_by(window):
    """The texts of a window's labels (an icon is an empty label)."""
    return [n.get_name() for n in descendants(window) if n.get_role() == Atspi.Role.LABEL and n.get_name()]


def text_of(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def focused_name(window):
    for node in descendants(window):
        if node.get_state_set().contains(Atspi.StateType.FOCUSED):
            return node.get_name()
    return None


def wait_focus(window, name):
    poll("the keyboard focus on %r" % name, lambda: focused_name(window) == name)


def expect(what, got, wanted):
    if got != wanted:
        raise Failure("%s: got %r, expected %r" % (what, got, wanted))


# ---------------------------------------------------------------- the main window

class MainWindow:
    """What a screen reader finds in the main window at one moment."""

    def __init__(self, window):
        self.window = window
        nodes = children(window)
        labels = [n for n in nodes if n.get_role() == Atspi.Role.LABEL]
        names = [n.get_name() for n in labels]
        if "Задача: " not in names:
            raise Failure("no caption 'Задача: ' in the main window")
        self.task_text = names[names.index("Задача: ") + 1]
        self.buttons = {n.get_name(): n for n in nodes if n.get_role() == Atspi.Role.PUSH_BUTTON}
        boxes = [n for n in nodes if n.get_role() == Atspi.Role.TEXT]
        if len(boxes) != 1 or boxes[0].get_name() != "Строки:":
            raise Failure("the move box 'Строки:' is not there")
        self.box = text_of(boxes[0])
        if window.get_role() != Atspi.Role.FRAME:
            raise Failure("the main window reads as %r, not as a frame" % window.get_role_name())
        # The list control: a list whose children are exactly the shown
        # lines, each a list item; no number labels, no hidden lines.
        lists = [n for n in nodes if n.get_role() == Atspi.Role.LIST and n.get_name() == "Строки задачи"]
        if len(lists) != 1:
            raise Failure("the list 'Строки задачи' is not there")
        self.line_nodes = {}
        self.lines = {}
        count = None
        for node in children(lists[0]):
            match = LINE_NAME.match(node.get_name() or "") if node.get_role() == Atspi.Role.LIST_ITEM else None
            if not match or not showing(node):
                raise Failure("the list holds %s %r, not a shown line" % (node.get_role_name(), node.get_name()))
            index = int(match.group(1))
            self.line_nodes[index] = node
            self.lines[index] = match.group(3)
            count = int(match.group(2))
        if count is None or sorted(self.lines) != list(range(1, count + 1)):
            raise Failure("the list's lines are not numbered 1 to %s: %s" % (count, sorted(self.lines)))
        bars = [n for n in nodes if n.get_role() == Atspi.Role.STATUS_BAR]
        if len(bars) != 1:
            raise Failure("no status bar")
        panels = [p.get_name() for p in children(bars[0])]
        if len(panels) != 5:
            raise Failure("the status bar has %d panels: %r" % (len(panels), panels))
        # The move, the task's place, the score, the clock, the mode.
        self.inf, self.otv, self.ver, _, self.reg = panels
        self.order = [self.lines[i] for i in sorted(self.lines)]


def read_main(program, title):
    window = program.window("^Velmora - " + re.escape(title) + "$")
    return MainWindow(window)


def wait_main(program, title, what, condition):
    def probe():
        main = read_main(program, title)
        return main if condition(main) else None
    return poll(what, probe)


# ---------------------------------------------------------------- commands

def cmd_message(pid, title, text):
    program = Program(pid)
    box = program.window("^" + re.escape(title) + "$", Atspi.Role.ALERT)
    said = poll("the text of %r" % title, lambda: said_by(box))
    if text not in said:
        raise Failure("the message %r says %r, expected %r" % (title, said, text))
    keys_to("^" + re.escape(title) + "$", "Return")


def task_number(tasks, text):
    numbers = [i + 1 for i, task in enumerate(tasks) if task[0] == text]
    if len(numbers) != 1:
        raise Failure("the task text %r names no single task of the test" % text)
    return numbers[0]


def swapped(order, a, b):
    out = list(order)
    out[a - 1], out[b - 1] = out[b - 1], out[a - 1]
    return out


def cmd_pupil(pid, test, other):
    title, tasks = test["title"], test["tasks"]
    program = Program(pid)
    main_title = "^Velmora - "  # for xdotool: the AT-SPI reads check the whole title

    step("the selection window lists both tests; arrow keys choose ours")
    start = program.window("^Выбор теста$")

    def items():
        return [n for n in descendants(start) if n.get_role() == Atspi.Role.LIST_ITEM]

    def selected():
        return [n.get_name() for n in items() if n.get_state_set().contains(Atspi.StateType.SELECTED)]
    titles = poll("the list of tests", lambda: [n.get_name() for n in items()] or None)
    expect("the titles in the list", sorted(titles), sorted([title, other["title"]]))
    expect("the entry selected at first", selected(), [titles[0]])
    lists = [n for n in descendants(start) if n.get_role() == Atspi.Role.LIST]
    expect("the list's name", [n.get_name() for n in lists], ["Выберите тест из списка и нажмиете ок"])
    activate("^Выбор теста$")
    wait_focus(start, "Выберите тест из списка и нажмиете ок")
    expect("the windows on screen", program.window_names(), ["Выбор теста"])
    for i in range(1, titles.index(title) + 1):
        keys_to("^Выбор теста$", "Down")
        poll("the entry %r to be selected" % titles[i], lambda: selected() == [titles[i]])
    keys_to("^Выбор теста$", "Return")

    step("the mode window: the green button, with hints")
    regim = program.window("^Выбор режима$")
    activate("^Выбор режима$")
    wait_focus(regim, "С подсказками")
    keys_to("^Выбор режима$", "space")
    program.gone("Выбор режима")

    step("the main window shows the first task")
    activate(main_title)
    main = wait_main(program, title, "the first task on screen",
                     lambda m: m.otv == "Задача №1" and focused_name(m.window) == "Готово")
    expect("the windows on screen", program.window_names(), ["Velmora - " + title])
    expect("the score panel", main.ver, "Правильно 0")
    expect("the mode panel", main.reg, "Режим подсказок включен")
    expect("the move panel", main.inf, "")
    expect("the move box", main.box, "")
    first = task_number(tasks, main.task_text)
    correct = tasks[first - 1][1:]
    expect("the lines shown", sorted(main.order), sorted(correct))
    if len(correct) < 3:
        raise Failure("the sample's first task needs at least three lines")

    step("Tab goes through the buttons to the move box")
    for name in ("Другой тест", "Выход", "Помощь", "Строки:"):
        keys_to(main_title, "Tab")
        wait_focus(main.window, name)

    step("a move typed into the box: 1-2 and Enter")
    before = main.order
    xdotool("type", "--delay", "30", "1-2")
    wait_main(program, title, "the box to read '1 -2'", lambda m: m.box == "1 -2")
    xdotool("key", "Return")
    main = wait_main(program, title, "lines 1 and 2 to change places",
                     lambda m: m.order == swapped(before, 1, 2) and m.inf == "усё" and m.box == "")

    step("a move with the mouse: line 2, then line 3")
    before = main.order
    x, y = centre(main.line_nodes[2])
    xdotool("mousemove", str(x), str(y), "click", "1")
    x, y = centre(main.line_nodes[3])
    xdotool("mousemove", str(x), str(y))
    wait_main(program, title, "the panel to name the move", lambda m: m.inf == "Перемещаем из 2 в 3")
    xdotool("click", "1")
    main = wait_main(program, title, "lines 2 and 3 to change places",
                     lambda m: m.order == swapped(before, 2, 3) and m.inf == "усё")

    if main.order == correct:  # the moves happened to solve it: one more
        keys_to(main_title, "1", "minus", "2", "Return")
        main = wait_main(program, title, "the order to be wrong", lambda m: m.order != correct)

    step("Done on a wrong order: the hint")
    for name in ("Строки задачи", "Готово"):  # the list control, then round to Done
        keys_to(main_title, "Tab")
        wait_focus(main.window, name)
    keys_to(main_title, "Return")
    alert = program.window("^Velmora$", Atspi.Role.ALERT)
    said = poll("the hint's text", lambda: said_by(alert))
    expect("the hint", said, [HINT])
    keys_to("^Velmora$", "Return")
    program.gone("Velmora")
    main = wait_main(program, title, "the correct order and 'Далее'",
                     lambda m: m.order == correct and "Далее" in m.buttons)
    expect("the buttons", sorted(main.buttons), sorted(["Далее", "Другой тест", "Выход", "Помощь"]))
    expect("the score panel", main.ver, "Правильно 0")

    step("Далее: the next task")
    activate(main_title)
    wait_focus(main.window, "Далее")
    keys_to(main_title, "Return")
    order = [first]
    for position in range(2, len(tasks) + 1):
        main = wait_main(program, title, "task %d" % position,
                         lambda m: m.otv == "Задача №%d" % position and "Готово" in m.buttons)
        number = task_number(tasks, main.task_text)
        if number in order:
            raise Failure("task %d came twice" % number)
        order.append(number)
        correct = tasks[number - 1][1:]
        expect("the lines shown", sorted(main.order), sorted(correct))
        # The first task was wrong; the second brings a point and a right answer.
        expect("the score panel", main.ver, "Правильно %d" % (0 if position == 2 else position - 1))

        step("task %d: the teacher's answer key" % position)
        activate(main_title)
        teacher_key("o")
        wait_main(program, title, "the correct order from the answer key", lambda m: m.order == correct)
        if position == 2:
            step("the teacher's point key")
            teacher_key("b")
            wait_main(program, title, "the point", lambda m: m.ver == "Правильно 1")
        wait_focus(main.window, "Готово")
        keys_to(main_title, "Return")

    step("the results window")
    results = program.window("^Результаты$")
    n = len(tasks)
    message = ("Поздравляем Вас. \r\nВы прошли тест, набрав %d из %d.\r\nРежим подсказок включен\r\n"
               "Позови учителя.\r\nВы решили следующие задачи:" % (n, n))
    labels = poll("the end message", lambda: [c.get_name() for c in children(results)
                                               if c.get_role() == Atspi.Role.LABEL])
    expect("the end message", labels, [message])
    nodes = descendants(results)
    expect("the columns", [c.get_name() for c in nodes if c.get_role() == Atspi.Role.TABLE_COLUMN_HEADER],
           ["Номер задания", "Номер задачи", "Решено верно"])
    cells = [c.get_name() for c in nodes if c.get_role() == Atspi.Role.TABLE_CELL]
    rows = [cells[i:i + 3] for i in range(0, len(cells), 3)]
    wanted = [[str(p), str(t), "Нет" if p == 1 else "Да"] for p, t in enumerate(order, 1)]
    expect("the results", rows, wanted)
    wait_focus(results, "OK")
    keys_to("^Результаты$", "Return")
    step("OK: the program ends by itself")


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    try:
        if command == "wait-bus":
            wait_bus()
        elif command == "message" and len(argv) == 5:
            cmd_message(int(argv[2]), argv[3], argv[4])
        elif command == "pupil" and len(argv) == 6:
            program = Program(int(argv[2]))
            tests = []
            for path in argv[3:5]:
                with open(path, encoding="utf-8") as f:
                    tests.append(json.load(f))
            try:
                cmd_pupil(int(argv[2]), *tests)
            except Failure:
                with open(os.path.join(argv[5], "at-spi-tree.txt"), "w", encoding="utf-8") as f:
                    f.write(program.dump() + "\n")
                raise
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (Failure, subprocess.SubprocessError) as e:
        print("FAIL:", e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
