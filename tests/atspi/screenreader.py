"""Reads the running program the way a screen reader does, over AT-SPI,
while a pupil works it with the keyboard alone.

usage: screenreader.py PROGRAM

Run inside a private D-Bus session on an X display with a window manager
(see run.sh). The script starts the accessibility bus, its registry and the
program, ends each by its process id, and gives up on anything that takes
longer than TIMEOUT seconds. With SCREENREADER_VERBOSE=1 in the environment
it prints what it heard after each key.
"""

import ctypes
import os
import signal
import subprocess
import sys
import time

from gi.repository import Gio, GLib

# pyatspi is imported once the accessibility bus is up (see Session): on
# import it asks for the bus, and D-Bus would start one of its own.
pyatspi = None

TIMEOUT = 20.0
PR_SET_CHILD_SUBREAPER = 36

CONTINENTS = ["Австралия", "Азия", "Африка", "Европа", "Северна Америка", "Южна Америка"]
TITLE = "www.example.org - География - плавателни реки"
STATEMENT_START = "Да се състави проект, представящ междупредметни връзки География и Информатика."
# How many rivers the report lists for the continents this session chooses.
RIVER_COUNTS = {"Азия": 22, "Европа": 20, "Южна Америка": 14}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(what, condition, timeout=TIMEOUT):
    """Polls until condition() gives something true, or fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("gave up after %gs waiting for %s" % (timeout, what))
        time.sleep(0.02)


def has_owner(bus, name):
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)), GLib.VariantType("(b)"),
                          Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def children():
    """The ids of this process's living children."""
    me = str(os.getpid())
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if fields[1] == me and fields[0] != "Z":
                found.append(int(entry))
    return found


def has(accessible, state):
    return accessible.getState().contains(state)


def related(accessible, relation):
    names = []
    for rel in accessible.getRelationSet():
        if rel.getRelationType() == relation:
            names += [rel.getTarget(i).name for i in range(rel.getNTargets())]
    return sorted(names)


def controls(node):
    """Every accessible under node, the river list's items left out."""
    found = []
    for child in node:
        if child is None:
            continue
        found.append(child)
        if child.getRole() != pyatspi.ROLE_LIST:
            found += controls(child)
    return found


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "50", *names], check=True, timeout=TIMEOUT)


class Session:
    def __init__(self):
        self.processes = []
        self.events = []
        self.program = None

    def begin(self, program):
        # Whatever the processes started here leave behind comes back to this
        # one, to be ended and reaped here, not by the machine's init.
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
        # The bus a screen reader and the program meet on, and its registry,
        # started here so that they are ended here too; D-Bus would otherwise
        # start them on first use, as processes of its own.
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        session_bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        wait_for("the accessibility bus", lambda: has_owner(session_bus, "org.a11y.Bus"))
        address = session_bus.call_sync(
            "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
            GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, -1, None).unpack()[0]
        a11y_bus = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.start(["/usr/libexec/at-spi2-registryd"])
        wait_for("the accessibility registry",
                 lambda: has_owner(a11y_bus, "org.a11y.atspi.Registry"))
        a11y_bus.close_sync(None)
        global pyatspi
        import pyatspi
        pyatspi.Registry.registerEventListener(
            self.heard, "object:text-changed", "object:state-changed:focused",
            "object:state-changed:checked", "object:state-changed:selected")
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.program = self.start([program], env=environment)

    def start(self, command, **options):
        process = subprocess.Popen(command, **options)
        self.processes.append(process)
        return process

    def end(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(TIMEOUT)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(TIMEOUT)
        # Reap what came back to this process; a process still alive by the
        # deadline is a fault, ended by its id.
        deadline = time.monotonic() + TIMEOUT
        while True:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                return
            if pid == 0:
                if time.monotonic() > deadline:
                    for child in children():
                        print("screen reader session: ending left-over process %d" % child,
                              file=sys.stderr)
                        os.kill(child, signal.SIGKILL)
                    deadline = time.monotonic() + TIMEOUT
                time.sleep(0.02)

    def heard(self, event):
        try:
            self.events.append((event.type, event.source.name, event.source.getRoleName(),
                                event.detail1))
        except Exception:  # the source may be gone by now
            pass

    def application(self):
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == self.program.pid and app.childCount:
                    return app
            except Exception:  # an application that is just leaving
                pass
        check(self.program.poll() is None, "the program ended with %s" % self.program.returncode)
        return None


def expect(found, role, name, states=(), not_states=(), labelled_by=None, label_for=None):
    matches = [c for c in found if c.getRole() == role and c.name == name]
    check(len(matches) == 1, "%d of %s named %r" % (len(matches), pyatspi.Role(role), name))
    control = matches[0]
    for state in states:
        check(has(control, state), "%r is not %s" % (name, pyatspi.stateToString(state)))
    for state in not_states:
        check(not has(control, state), "%r is %s" % (name, pyatspi.stateToString(state)))
    if labelled_by is not None:
        got = related(control, pyatspi.RELATION_LABELLED_BY)
        check(got == labelled_by, "%r is labelled by %r" % (name, got))
    if label_for is not None:
        got = related(control, pyatspi.RELATION_LABEL_FOR)
        check(got == label_for, "%r is the label for %r" % (name, got))
    return control


def run(program):
    session = Session()
    try:
        session.begin(program)
        app = wait_for("the program on the accessibility bus", session.application)
        frame = wait_for("the window", lambda: next(
            (w for w in app if w is not None and w.getRole() == pyatspi.ROLE_FRAME), None))
        check(frame.name == TITLE, "window named %r" % frame.name)
        found = controls(frame)

        # What a screen reader finds, by role and name.
        report = expect(found, pyatspi.ROLE_TEXT, "Справка",
                        states=[pyatspi.STATE_FOCUSABLE, pyatspi.STATE_READ_ONLY,
                                pyatspi.STATE_MULTI_LINE],
                        not_states=[pyatspi.STATE_EDITABLE])
        expect(found, pyatspi.ROLE_LABEL, "География - континенти и реки")
        expect(found, pyatspi.ROLE_LABEL, "Реки", label_for=["Реки"])
        rivers = expect(found, pyatspi.ROLE_LIST, "Реки", states=[pyatspi.STATE_FOCUSABLE])
        expect(found, pyatspi.ROLE_PANEL, "Континенти", label_for=sorted(CONTINENTS))
        buttons = {name: expect(found, pyatspi.ROLE_RADIO_BUTTON, name,
                                states=[pyatspi.STATE_FOCUSABLE],
                                not_states=[pyatspi.STATE_CHECKED],
                                labelled_by=["Континенти"])
                   for name in CONTINENTS}
        # One list only: the column of continent codes is never exposed.
        lists = [c for c in found if c.getRole() == pyatspi.ROLE_LIST]
        check(len(lists) == 1, "%d lists" % len(lists))
        check(rivers.childCount == 80, "%d rivers" % rivers.childCount)
        river_names = [rivers[i].name for i in range(rivers.childCount)]
        check(text_of(report).startswith(STATEMENT_START), "the statement is not shown at start")

        def focused():
            return next((c for c in [report, rivers, *buttons.values()]
                         if has(c, pyatspi.STATE_FOCUSED)), None)

        def focus_is(control):
            return lambda: focused() == control

        def checked():
            return [name for name, button in buttons.items() if has(button, pyatspi.STATE_CHECKED)]

        def selected_river():
            table = rivers.queryTable()
            rows = table.getSelectedRows()
            return river_names[rows[0]] if len(rows) == 1 else None

        def announcements():
            return [e for e in session.events
                    if e[0].startswith("object:text-changed") and e[1] == "Справка"]

        def report_lines():
            return text_of(report).split("\n")

        def shows_report_for(continent):
            lines = report_lines()
            if lines[:2] != ["Избран континент: " + continent, "Реки: "] or lines[-1] != "":
                return False
            shown = lines[2:-1]
            # The continent's rivers, in the list's order.
            positions = [river_names.index(name) for name in shown if name in river_names]
            return (len(shown) == RIVER_COUNTS[continent] and len(positions) == len(shown)
                    and positions == sorted(positions))

        def act(keys, what, focus, continent, river, writes):
            session.events.clear()
            key(*keys)
            wait_for(what + ": the focus on %r" % focus.name, focus_is(focus))
            if continent:
                wait_for(what + ": %s chosen and reported" % continent,
                         lambda: checked() == [continent] and shows_report_for(continent))
            if river:
                wait_for(what + ": %r selected" % river, lambda: selected_river() == river)
            pump()
            if os.environ.get("SCREENREADER_VERBOSE"):
                print(what, session.events)
            # A screen reader follows focus events: the last must name the
            # control the keys now go to, or, in the list, one of its rivers;
            # and none may take it into the list while the keys go elsewhere.
            gains = [(name, role) for event, name, role, gained in session.events
                     if event == "object:state-changed:focused" and gained]
            for name, role in gains[-1:] + [g for g in gains if g[1] == "list item"]:
                check(name == focus.name or (focus == rivers and role == "list item"),
                      "%s: told that %r (%s) has the focus" % (what, name, role))
            heard = announcements()
            inserts = [e for e in heard if e[0].startswith("object:text-changed:insert")]
            check(len(inserts) == writes,
                  "%s: the report was announced %d times, not %d: %r"
                  % (what, len(inserts), writes, heard))

        # The pupil arrives: the focus is in the report area, nothing chosen.
        # The window manager gives a new window the focus; ask it again
        # until it has, in case the window came before the manager was up.
        window = subprocess.run(
            ["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(session.program.pid)],
            check=True, timeout=TIMEOUT, capture_output=True, text=True).stdout.split()[0]

        def activated():
            if has(frame, pyatspi.STATE_ACTIVE):
                return True
            subprocess.run(["xdotool", "windowactivate", window], timeout=TIMEOUT,
                           stderr=subprocess.DEVNULL)
            return False

        wait_for("the window to be active", activated)
        wait_for("the focus in the report area", focus_is(report))
        check(checked() == [] and selected_river() is None, "something is chosen at start")

        act(["Tab"], "Tab", buttons["Австралия"], None, None, 0)
        check(checked() == [], "Tab chose a continent")
        act(["Down"], "Down", buttons["Азия"], "Азия", "Яндзъ", 1)
        act(["Tab", "Tab", "Tab"], "Tab into the list", rivers, "Азия", "Яндзъ", 0)
        act(["Home"], "Home in the list", rivers, "Южна Америка", "Амазонка", 1)
        act(["Down"], "Down in the list", rivers, "Азия", "Амударя", 1)
        act(["shift+Tab"], "Shift+Tab", buttons["Европа"], "Азия", "Амударя", 0)
        act(["space"], "Space", buttons["Европа"], "Европа", "Шелда", 1)
        check(shows_report_for("Европа") and "Елба " in report_lines(), "the Elbe lost its blank")
        print("screen reader session: all checks passed")
        return 0
    except (Failure, subprocess.SubprocessError) as failure:
        print("screen reader session: " + str(failure), file=sys.stderr)
        return 1
    finally:
        session.end()


if __name__ == "__main__":
    sys.exit(run(sys.argv[1]))
