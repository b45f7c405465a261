"""A pupil's session with the built program on a real X desktop.

usage: desktop.py PROGRAM

The program runs on an X server with openbox and is worked through real X
input (xdotool, through the XTEST extension), as a pupil works it. What it
shows in its report area is read back the way a pupil could take it away:
select it all, copy it, and read the X clipboard (xclip).
"""

import sys

from desktop_session import DEADLINE, Failure, check, main, poll

TITLE = "www.example.org - География - плавателни реки"
SIZE = "461x359"

STATEMENT_FIRST = "Да се състави проект, представящ междупредметни връзки География и Информатика."
STATEMENT_LAST = "Прочетете допълнителен материал за известни реки."
STATEMENT_LINES = 13
STATEMENT_LENGTH = 1218 - STATEMENT_LINES  # every CR LF is one line break on screen

RIVERS = {
    "Азия": ["Амударя", "Амур", "Брахмапутра", "Ганг", "Годавари", "Джелам", "Енисей", "Ефрат",
             "Инд", "Иртиш", "Лена", "Маханади", "Об", "Сунгача", "Сутледж", "Тобол", "Урал",
             "Усури", "Хуанхъ", "Ялудзян", "Ямуна", "Яндзъ"],
    "Европа": ["Березина", "Волга", "Гарона", "Днепър", "Дон", "Дунав", "Елба ", "Западна Двина",
               "Искър", "Лоара ", "Марица", "Одер", "Ока", "Печора", "Рейн ", "Рона ", "Сена",
               "Тахо", "Урал", "Шелда"],
    "Южна Америка": ["Амазонка", "Жапура", "Журуа", "Игуасу", "Мадейра", "Мараньон", "Ориноко",
                     "Парагвай", "Парана", "Пурус", "Рио Негро", "Тапажос", "Токантинс", "Уругвай"],
}

# Points in the window, from its fixed layout (pixels at 96 dpi).
EUROPE = (136, 113)      # the option button "Европа"
FIRST_RIVER = (272, 72)  # the top row of the river list, before it scrolls
REPORT = (200, 260)      # inside the report area


def report_for(continent):
    return "".join(line + "\n" for line in
                   ["Избран континент: " + continent, "Реки: "] + RIVERS[continent])


class Pupil:
    def __init__(self, desktop, window):
        self.desktop = desktop
        self.window = window

    def keys(self, *names):
        self.desktop.run("xdotool", "key", "--delay", "30", *names)

    def click(self, point):
        self.desktop.run("xdotool", "mousemove", "--window", self.window, str(point[0]),
                         str(point[1]), "click", "1")

    def clipboard(self):
        return self.desktop.run("xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING",
                                check=False)

    def report(self):
        """The whole report, copied from the report area, which has the focus.

        First one character is copied and awaited, then everything: so the
        text read is the copy just made, not one left from before."""
        self.keys("ctrl+Home", "shift+Right", "ctrl+c")
        poll("one character on the clipboard", lambda: len(self.clipboard() or "") == 1)
        self.keys("ctrl+a", "ctrl+c")
        return poll("the report on the clipboard",
                    lambda: (lambda text: text if text and len(text) > 1 else None)(self.clipboard()))


def expect(what, shown, wanted):
    check(shown == wanted, "%s:\n--- shown\n%s\n--- wanted\n%s" % (what, shown, wanted))


def session(desktop):
    program = desktop.start("program", [sys.argv[1]])

    found = poll("the program's window",
                 lambda: desktop.run("xdotool", "search", "--onlyvisible", "--name",
                                     "плавателни реки", check=False))
    window = found.split()[0]
    poll("the window to have the focus",
         lambda: desktop.run("xdotool", "getactivewindow", check=False) == window + "\n")
    check(desktop.run("xdotool", "getwindowname", window).strip() == TITLE, "the title")
    geometry = desktop.run("xdotool", "getwindowgeometry", window)
    check("Geometry: " + SIZE in geometry, "the window's size: " + geometry)
    pupil = Pupil(desktop, window)

    # The start: the focus is in the report area, which shows the statement.
    statement = pupil.report()
    lines = statement.rstrip("\n").split("\n")
    check(len(lines) == STATEMENT_LINES and lines[0] == STATEMENT_FIRST
          and lines[-1] == STATEMENT_LAST, "the statement at start:\n" + statement)
    check(len(statement.rstrip("\n")) + 1 == STATEMENT_LENGTH,
          "the statement's length: %d" % len(statement))

    # Tab into the list: report area, four continents, the list. Back out
    # with Shift+Tab: nothing was chosen, the statement still shows.
    pupil.keys(*["Tab"] * 5)
    pupil.keys(*["shift+Tab"] * 5)
    expect("the report after tabbing through the list", pupil.report(), statement)

    # Into the list again, and Down: the focus was on the list, and its
    # first river marked but not chosen, so Down chooses the second, Амударя.
    pupil.keys(*["Tab"] * 5, "Down")
    pupil.click(REPORT)
    expect("the report after Down in the list", pupil.report(), report_for("Азия"))

    # A river click, then a continent click, each by mouse.
    pupil.click(FIRST_RIVER)
    pupil.click(REPORT)
    expect("the report after a click on Амазонка", pupil.report(), report_for("Южна Америка"))
    pupil.click(EUROPE)
    pupil.click(REPORT)
    expect("the report after a click on Европа", pupil.report(), report_for("Европа"))

    # Alt+F4 closes the window through the window manager; the program ends
    # with status 0 and has printed nothing.
    pupil.keys("alt+F4")
    poll("the program to end", lambda: program.poll() is not None, deadline=DEADLINE)
    errors = desktop.log("program")
    check(program.returncode == 0, "the program ended with status %d:\n%s"
          % (program.returncode, errors))
    check(errors == "", "the program printed:\n" + errors)


if __name__ == "__main__":
    main(session)
