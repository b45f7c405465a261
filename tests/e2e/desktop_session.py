"""A desktop of the test's own for the built program: an X server on a free
display, a window manager and a private D-Bus session bus.

Every process is started here and ended here by its own id, and every wait
polls against a deadline. The bus has no service directories, so nothing is
started on demand behind the test's back; and because a bus is there, libdbus
never falls back to autolaunching one of its own (which would outlive the
test and leave a file under ~/.dbus).
"""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

DEADLINE = 20.0  # seconds for anything to happen

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def poll(what, attempt, deadline=DEADLINE, interval=0.05):
    """Calls attempt() until it gives something true; fails after deadline."""
    end = time.monotonic() + deadline
    while True:
        result = attempt()
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("gave up after %gs waiting for %s" % (deadline, what))
        time.sleep(interval)


def read_line(stream, what, deadline=DEADLINE):
    """One line from a child's pipe, without waiting past the deadline."""
    end = time.monotonic() + deadline
    line = b""
    while not line.endswith(b"\n"):
        left = end - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            raise Failure("gave up after %gs waiting for %s" % (deadline, what))
        chunk = os.read(stream.fileno(), 1)
        if not chunk:
            raise Failure("%s: the process closed its output" % what)
        line += chunk
    return line.decode().strip()


class Desktop:
    """Use as a context manager; ends what it started, last first."""

    def __init__(self):
        self.scratch = tempfile.mkdtemp(prefix="rivers-e2e-")
        self.processes = []  # (name, Popen), in the order started
        self.env = dict(os.environ)
        for name in ("DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                     "XAUTHORITY", "SESSION_MANAGER", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"):
            self.env.pop(name, None)
        runtime = os.path.join(self.scratch, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime

    def __enter__(self):
        try:
            self._start_x()
            self._start("openbox", ["openbox", "--sm-disable"])
            # A window mapped before the window manager has taken the screen
            # may never be managed: wait for openbox's own check window.
            poll("the window manager",
                 lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"))
            self._start_bus()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *_):
        for name, process in reversed(self.processes):
            self.end(process)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def _start(self, name, command, **options):
        options.setdefault("stdout", subprocess.DEVNULL)
        options.setdefault("env", self.env)
        with open(os.path.join(self.scratch, name + ".log"), "wb") as log:
            process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stderr=log, **options)
        self.processes.append((name, process))
        return process

    def _start_x(self):
        # Xvfb picks a free display itself and names it once it takes
        # connections, so test runs side by side never meet.
        read_end, write_end = os.pipe()
        xvfb = self._start("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                    "1024x768x24", "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            display = read_line(pipe, "the X server")
        check(xvfb.poll() is None, "the X server stopped")
        self.env["DISPLAY"] = ":" + display

    def _start_bus(self):
        config = os.path.join(self.scratch, "bus.conf")
        with open(config, "w") as out:
            out.write(BUS_CONFIG.format(dir=self.scratch))
        bus = self._start("dbus-daemon", ["dbus-daemon", "--config-file", config, "--nofork",
                                          "--print-address=1"], stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(bus.stdout, "the session bus")

    def start(self, name, command, **options):
        """Starts a process of the test's own on this desktop."""
        return self._start(name, command, **options)

    def end(self, process, deadline=5.0):
        """Ends one process by its id: politely, then firmly."""
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(deadline)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        for stream in (process.stdout, process.stderr):
            if stream:
                stream.close()

    def log(self, name):
        with open(os.path.join(self.scratch, name + ".log"), "rb") as log:
            return log.read().decode(errors="replace")

    def run(self, *command, deadline=DEADLINE, check=True):
        """A short X client (xdotool, xclip, import): its output; a failure
        if it fails, unless check is off, when it gives None."""
        try:
            done = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=deadline)
        except subprocess.TimeoutExpired:
            raise Failure("%s took longer than %gs" % (command[0], deadline))
        if done.returncode != 0 and not check:
            return None
        if done.returncode != 0:
            raise Failure("%s failed (%d): %s" % (" ".join(command), done.returncode,
                                                  done.stderr.decode(errors="replace").strip()))
        return done.stdout.decode()


def main(session):
    """Runs session(desktop); on a failure says what failed and what each
    process of the desktop had printed, and exits with status 1."""
    desktop = Desktop()
    try:
        with desktop:
            try:
                session(desktop)
            except Failure:
                for name, _ in desktop.processes:
                    print("--- %s printed:\n%s" % (name, desktop.log(name)))
                raise
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
    print("PASS")
