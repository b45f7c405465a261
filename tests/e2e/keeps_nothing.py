"""The program keeps nothing and talks to no one: through a whole session it
creates, changes or removes no file, and connects to nothing but the X
server and the session bus.

usage: keeps_nothing.py PROGRAM

The program runs under strace on a desktop of the test's own (see
desktop_session.py) while a pupil clicks a continent and a river and closes
the window; then every file and network call it made is checked.
"""

import os
import re
import sys

from desktop_session import Failure, check, main, poll

# Flags of open() that would create, change or empty a file.
WRITING = re.compile(r"O_(WRONLY|RDWR|CREAT|TRUNC|APPEND)")
# Calls that change the file system whatever their arguments.
CHANGING = {"creat", "mkdir", "mkdirat", "rmdir", "unlink", "unlinkat", "rename", "renameat",
            "renameat2", "link", "linkat", "symlink", "symlinkat", "truncate", "chmod",
            "fchmodat", "chown", "fchownat", "lchown", "utime", "utimes", "utimensat",
            "futimesat", "mknod", "mknodat", "setxattr", "lsetxattr", "removexattr",
            "lremovexattr"}
# Files a program may open for writing without keeping anything in them.
DEVICES = {"/dev/null", "/dev/tty"}


def unix_path(address):
    """The path, or the abstract name with its leading @, of a unix address."""
    found = re.search(r'sun_path=(@?)"([^"]*)"', address)
    return found.group(1) + found.group(2) if found else None


def session(desktop):
    trace = os.path.join(desktop.scratch, "trace")
    env = dict(desktop.env)
    # LeakSanitizer cannot work under a tracer; the desktop test checks leaks.
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    program = desktop.start("program", ["strace", "-f", "-qq", "-s", "256", "-o", trace,
                                        "-e", "trace=%file,%network", sys.argv[1]], env=env)

    window = poll("the program's window",
                  lambda: desktop.run("xdotool", "search", "--onlyvisible", "--name",
                                      "плавателни реки", check=False)).split()[0]
    poll("the window to have the focus",
         lambda: desktop.run("xdotool", "getactivewindow", check=False) == window + "\n")
    for point in ((136, 113), (272, 72), (200, 260)):  # Европа, the top river, the report
        desktop.run("xdotool", "mousemove", "--window", window, str(point[0]), str(point[1]),
                    "click", "1")
    desktop.run("xdotool", "key", "--delay", "30", "ctrl+a", "ctrl+c", "Tab", "Down", "alt+F4")
    poll("the program to end", lambda: program.poll() is not None)
    check(program.returncode == 0, "the program ended with status %d:\n%s"
          % (program.returncode, desktop.log("program")))

    display = desktop.env["DISPLAY"].lstrip(":")
    allowed_sockets = {"/tmp/.X11-unix/X" + display, "@/tmp/.X11-unix/X" + display}
    bus = re.search(r"unix:path=([^,]+)", desktop.env["DBUS_SESSION_BUS_ADDRESS"])
    if bus:
        allowed_sockets.add(bus.group(1))

    faults = []
    calls = 0
    with open(trace) as lines:
        for line in lines:
            call = re.match(r"\d+\s+(\w+)\((.*)", line)
            if not call:
                continue
            calls += 1
            name, arguments = call.groups()
            failed = re.search(r"= -1 E\w+", line) is not None
            if name in CHANGING and not failed:
                faults.append(line)
            elif name in ("open", "openat", "openat2") and WRITING.search(arguments):
                path = re.search(r'"([^"]*)"', arguments)
                if not (path and path.group(1) in DEVICES):
                    faults.append(line)
            elif name == "socket" and not arguments.startswith(("AF_UNIX", "AF_LOCAL")):
                faults.append(line)
            elif name in ("bind", "listen", "accept", "accept4"):
                faults.append(line)
            elif name in ("connect", "sendto", "sendmsg") and "sun_path=" in arguments:
                if unix_path(arguments) not in allowed_sockets:
                    faults.append(line)
            elif name == "connect" and "sa_family=AF_UNIX" not in arguments:
                faults.append(line)
    check(calls > 0, "strace recorded no calls")
    check(not faults, "the program reached out:\n" + "".join(faults))


if __name__ == "__main__":
    main(session)
