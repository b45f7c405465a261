// The benchmark: how fast and how light the program starts, measured against
// two floors, and what a click and the report cost.
//
// Start-up is measured from outside the programs, on a real X server: the
// driver starts each executable and watches, through the X DAMAGE extension,
// for the first pixels that the process puts into its own window. Nothing in
// the program knows it is being measured. The clicks and the report are
// measured in child processes of this same binary on the offscreen platform,
// and instruction counts come from callgrind when valgrind is installed.
//
//   rivers-benchmark [--runs N]      the whole table; needs DISPLAY
//   rivers-benchmark --start-texts   prints floor_b_texts.h from the program's window
//   rivers-benchmark --instructions EXE [PROFILE]
//                                    instructions to EXE's first frame, and
//                                    callgrind's profile of them; needs DISPLAY
//   rivers-benchmark --measure EXE        EXE's first frame and peak memory; needs DISPLAY
//
// The other modes (--clicks, --report) are what the table runs in children.
#include "floor.h"
#include "floor_b_texts.h"

#include "catalogue/catalogue.h"
#include "selection/selectioncontroller.h"
#include "tests/fakeview.h"
#include "window/mainwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(label)
#endif

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---------------------------------------------------------------------------
// Figures

struct Spread {
    double median = 0, min = 0, max = 0;
    bool empty = true;
};

Spread spreadOf(std::vector<double> samples)
{
    Spread spread;
    if (samples.empty())
        return spread;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    spread.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    spread.min = samples.front();
    spread.max = samples.back();
    spread.empty = false;
    return spread;
}

std::string format(const char *pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string formatSpread(const Spread &spread, const char *pattern)
{
    if (spread.empty)
        return "-";
    return format(pattern, spread.median) + " [" + format(pattern, spread.min) + "-"
        + format(pattern, spread.max) + "]";
}

std::string formatCount(std::optional<double> count)
{
    if (!count)
        return "-";
    if (*count >= 1e6)
        return format("%.1f M", *count / 1e6);
    if (*count >= 1e4)
        return format("%.1f k", *count / 1e3);
    return format("%.0f", *count);
}

std::string formatRatio(double numerator, double denominator)
{
    return denominator > 0 ? format("%.2fx", numerator / denominator) : "-";
}

// One line of a table: each cell padded to its column's width in characters,
// not bytes, so that Cyrillic and "µ" keep the columns straight.
void printRow(const std::vector<std::string> &cells, const std::vector<int> &widths)
{
    std::string line = " ";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        line += ' ' + cells[i];
        if (i + 1 == cells.size())
            break;
        int shown = 0;
        for (const char byte : cells[i])
            shown += (byte & 0xc0) != 0x80;
        line.append(std::size_t(std::max(1, widths[i] - shown)), ' ');
    }
    std::printf("%s\n", line.c_str());
}

// ---------------------------------------------------------------------------
// Processes

std::vector<std::string> environmentWith(const std::map<std::string, std::string> &overrides)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (!overrides.count(name))
            environment.push_back(text);
    }
    for (const auto &[name, value] : overrides)
        environment.push_back(name + '=' + value);
    return environment;
}

std::vector<char *> pointersTo(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (auto &string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

pid_t spawn(std::vector<std::string> arguments, std::vector<std::string> environment,
            int outputFd = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    auto argv = pointersTo(arguments);
    auto envp = pointersTo(environment);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Runs a child to its end and returns what it printed.
std::string runAndRead(std::vector<std::string> arguments, std::vector<std::string> environment)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = spawn(std::move(arguments), std::move(environment), pipeFds[1]);
    close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, std::size_t(got));
    close(pipeFds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return output;
}

std::optional<double> peakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr);
    return std::nullopt;
}

// Time that all of the process's threads have spent on a processor so far:
// unlike the wall clock, it does not grow when other work shares the machine.
std::optional<double> processorMilliseconds(pid_t pid)
{
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    double nanoseconds = 0;
    bool any = false;
    for (const auto &task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onProcessor;
        if (schedstat >> onProcessor) {
            nanoseconds += onProcessor;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return nanoseconds / 1e6;
}

// The pages the process itself has written: its heap, stacks and relocated
// data, without the libraries' code that RSS also counts.
std::optional<double> dirtyKiB(pid_t pid)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    double total = 0;
    bool any = false;
    while (std::getline(rollup, line))
        if (line.rfind("Private_Dirty:", 0) == 0) {
            total += std::strtod(line.c_str() + line.find(':') + 1, nullptr);
            any = true;
        }
    if (!any)
        return std::nullopt;
    return total;
}

bool haveValgrind()
{
    return std::system("valgrind --version >/dev/null 2>&1") == 0;
}

// Each dump that callgrind wrote into a folder, by its label ("Program
// termination" for the one at exit), as instructions executed.
std::map<std::string, double> callgrindDumps(const std::filesystem::path &folder)
{
    std::map<std::string, double> dumps;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path());
        std::string line, label;
        while (std::getline(file, line)) {
            if (line.rfind("desc: Trigger: ", 0) == 0) {
                label = line.substr(15);
                if (label.rfind("Client Request: ", 0) == 0)
                    label = label.substr(16);
            } else if (line.rfind("summary: ", 0) == 0) {
                dumps[label] = std::strtod(line.c_str() + 9, nullptr);
                break;
            }
        }
    }
    return dumps;
}

std::vector<std::string> underCallgrind(const std::filesystem::path &folder,
                                        std::vector<std::string> arguments)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::vector<std::string> command = {"/usr/bin/valgrind", "--tool=callgrind", "-q",
                                        "--callgrind-out-file=" + (folder / "out").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// ---------------------------------------------------------------------------
// Start-up, watched on the X server

class FrameWatcher {
public:
    FrameWatcher()
    {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection))
            return;
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const xcb_query_extension_reply_t *damage =
            xcb_get_extension_data(connection, &xcb_damage_id);
        if (!damage || !damage->present)
            return;
        damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(
            connection, xcb_damage_query_version(connection, 1, 1), nullptr));
        netWmPid = atom("_NET_WM_PID");
        wmProtocols = atom("WM_PROTOCOLS");
        wmDeleteWindow = atom("WM_DELETE_WINDOW");
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        usable = true;
    }
    ~FrameWatcher() { xcb_disconnect(connection); }

    bool usable = false;

    // A window manager that is still starting would let the first windows
    // map undecorated, and faster than the rest.
    bool waitForWindowManager(int timeoutMs)
    {
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        const Clock::time_point start = Clock::now();
        while (millisecondsSince(start) < timeoutMs) {
            xcb_get_property_reply_t *reply = xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1),
                nullptr);
            const bool present = reply && xcb_get_property_value_length(reply) == 4;
            free(reply);
            if (present)
                return true;
            usleep(20000);
        }
        return false;
    }

    struct Run {
        std::optional<double> firstFrameMs;
        std::optional<double> processorMs; // up to the first frame
        std::optional<double> peakKiB;
        std::optional<double> dirtyKiB; // once settled
    };

    // Starts the command and waits for its first frame. Then, for a timed run,
    // lets it settle, reads its peak memory and closes its window as a user
    // would; for a counted run (under callgrind) stops it at once, so that the
    // count ends at the first frame.
    Run run(std::vector<std::string> command, bool stopAtFirstFrame, int timeoutMs)
    {
        Run result;
        std::vector<std::string> environment = environmentWith({{"QT_QPA_PLATFORM", "xcb"}});
        const Clock::time_point start = Clock::now();
        const pid_t pid = spawn(std::move(command), std::move(environment));
        if (pid <= 0)
            return result;

        std::optional<xcb_window_t> window;
        std::map<xcb_window_t, bool> ours;
        bool exited = false;
        while (!window && !exited && millisecondsSince(start) < timeoutMs) {
            waitForEvents(20);
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                const uint8_t type = event->response_type & 0x7f;
                if (type == XCB_CREATE_NOTIFY) {
                    // Every new top-level gets a damage record before it can be
                    // drawn on; only the child's own window will count.
                    auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                    if (created->parent == root)
                        xcb_damage_create(connection, xcb_generate_id(connection), created->window,
                                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    xcb_flush(connection);
                } else if (type == damageNotify && !window) {
                    const double at = millisecondsSince(start);
                    auto *damaged = reinterpret_cast<xcb_damage_notify_event_t *>(event);
                    auto known = ours.find(damaged->drawable);
                    if (known == ours.end())
                        known = ours.emplace(damaged->drawable, ownedBy(damaged->drawable, pid)).first;
                    if (known->second) {
                        window = damaged->drawable;
                        result.firstFrameMs = at;
                        result.processorMs = processorMilliseconds(pid);
                    }
                }
                free(event);
            }
            exited = waitpid(pid, nullptr, WNOHANG) == pid;
        }
        if (exited)
            return result;

        if (window && !stopAtFirstFrame) {
            const Clock::time_point shown = Clock::now();
            while (millisecondsSince(shown) < 500) {
                waitForEvents(20);
                while (xcb_generic_event_t *event = xcb_poll_for_event(connection))
                    free(event);
            }
            result.peakKiB = peakResidentKiB(pid);
            result.dirtyKiB = dirtyKiB(pid);
            askToClose(*window);
        } else {
            kill(pid, SIGTERM);
        }
        const Clock::time_point closing = Clock::now();
        while (waitpid(pid, nullptr, WNOHANG) != pid) {
            if (millisecondsSince(closing) > timeoutMs)
                kill(pid, SIGKILL);
            usleep(2000);
        }
        return result;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    bool ownedBy(xcb_window_t window, pid_t pid)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        bool owned = false;
        if (reply && xcb_get_property_value_length(reply) == 4)
            owned = *static_cast<uint32_t *>(xcb_get_property_value(reply)) == uint32_t(pid);
        free(reply);
        return owned;
    }

    void askToClose(xcb_window_t window)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = wmProtocols;
        message.data.data32[0] = wmDeleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(connection);
    }

    void waitForEvents(int milliseconds)
    {
        xcb_flush(connection);
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&descriptor, 1, milliseconds);
    }

    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
    uint8_t damageNotify = 0;
    xcb_atom_t netWmPid = 0, wmProtocols = 0, wmDeleteWindow = 0;
};

// ---------------------------------------------------------------------------
// The program's window on the offscreen platform

// initStyleOption and initViewItemOption are protected; a pointer to member
// taken through a subclass reaches them on the real widgets.
struct GroupBoxAccess : QGroupBox {
    using QGroupBox::initStyleOption;
};
struct RadioButtonAccess : QRadioButton {
    using QRadioButton::initStyleOption;
};

struct Controls {
    explicit Controls(MainWindow &window)
        : text(window.findChild<QPlainTextEdit *>(QStringLiteral("Text1_0")))
        , rivers(window.findChild<QListWidget *>(QStringLiteral("List1_0")))
        , riversLabel(window.findChild<QLabel *>(QStringLiteral("Label1_1")))
        , heading(window.findChild<QLabel *>(QStringLiteral("Label1_0")))
        , frame(window.findChild<QGroupBox *>(QStringLiteral("Frame1")))
    {
        for (int code = 0; code < 6; ++code)
            options[code] = window.findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(code));
    }
    QPlainTextEdit *text;
    QListWidget *rivers;
    QLabel *riversLabel;
    QLabel *heading;
    QGroupBox *frame;
    std::array<QRadioButton *, 6> options{};
};

struct ShownText {
    QRect rect;
    int alignment;
    QString text;
};

// A text drawn vertically centred in a box, as a label that starts at the
// text's own top and is cut where the box's visible part ends.
ShownText centredLine(const QWidget *from, const QWidget *window, QRect box, const QRect &visible,
                      const QString &text)
{
    const int lineHeight = from->fontMetrics().height();
    QRect line(box.left(), box.top() + (box.height() - lineHeight) / 2, box.width(), lineHeight);
    line &= visible;
    return {QRect(from->mapTo(window, line.topLeft()), line.size()),
            int(Qt::AlignLeft | Qt::AlignTop), text};
}

// Every text the window shows at start, where it shows it, in window
// coordinates: what floor B draws. The heading is floor A's and is left out.
std::vector<ShownText> textsShownAtStart(MainWindow &window)
{
    const Controls controls(window);
    std::vector<ShownText> shown;

    shown.push_back({controls.riversLabel->geometry(), int(Qt::AlignCenter),
                     controls.riversLabel->text()});

    QStyleOptionGroupBox box;
    (controls.frame->*(&GroupBoxAccess::initStyleOption))(&box);
    const QRect title = controls.frame->style()->subControlRect(
        QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxLabel, controls.frame);
    shown.push_back({title.translated(controls.frame->pos()), int(Qt::AlignCenter),
                     controls.frame->title()});

    for (QRadioButton *option : controls.options) {
        QStyleOptionButton button;
        (option->*(&RadioButtonAccess::initStyleOption))(&button);
        const QRect caption =
            option->style()->subElementRect(QStyle::SE_RadioButtonContents, &button, option);
        shown.push_back(centredLine(option, &window, caption, option->rect(), option->text()));
    }

    QWidget *listView = controls.rivers->viewport();
    const int margin =
        controls.rivers->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, controls.rivers)
        + 1;
    for (int row = 0; row < controls.rivers->count(); ++row) {
        const QRect item = controls.rivers->visualItemRect(controls.rivers->item(row));
        if (!item.intersects(listView->rect()))
            continue;
        shown.push_back(centredLine(listView, &window, item.adjusted(margin, 0, -margin, 0),
                                    listView->rect(), controls.rivers->item(row)->text()));
    }

    QWidget *textView = controls.text->viewport();
    for (QTextBlock block = controls.text->document()->firstBlock(); block.isValid();
         block = block.next()) {
        QTextCursor cursor(block);
        const QRect first = controls.text->cursorRect(cursor);
        const QTextLayout *layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            continue;
        const QPointF origin = QPointF(first.topLeft()) - layout->lineAt(0).position();
        for (int index = 0; index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            QRect rect = QRectF(origin + line.position(),
                                QSizeF(std::ceil(line.naturalTextWidth()) + 1, line.height()))
                             .toAlignedRect();
            rect &= textView->rect();
            if (rect.isEmpty())
                continue;
            shown.push_back({QRect(textView->mapTo(&window, rect.topLeft()), rect.size()),
                             int(Qt::AlignLeft | Qt::AlignTop),
                             block.text().mid(line.textStart(), line.textLength())});
        }
    }
    return shown;
}

QString cString(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::unique_ptr<QApplication> offscreenApplication(int &argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

int printStartTexts(int argc, char **argv)
{
    auto app = offscreenApplication(argc, argv);
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    std::printf("// Every text the program's window shows at start, where it shows it:\n"
                "// what floor B draws. Made by `rivers-benchmark --start-texts`; the\n"
                "// benchmark warns when the program no longer matches it.\n"
                "#pragma once\n\n"
                "namespace benchfloor {\n\n"
                "struct StartText {\n"
                "    int x, y, width, height;\n"
                "    int alignment; // Qt::Alignment\n"
                "    const char *text;\n"
                "};\n\n"
                "inline constexpr StartText startTexts[] = {\n");
    for (const ShownText &text : textsShownAtStart(window))
        std::printf("    {%d, %d, %d, %d, 0x%02x, %s},\n", text.rect.x(), text.rect.y(),
                    text.rect.width(), text.rect.height(), text.alignment,
                    qPrintable(cString(text.text)));
    std::printf("};\n\n} // namespace benchfloor\n");
    return 0;
}

// What differs between the program's window and the floors' settings; empty
// when they still match.
std::vector<std::string> floorMismatches(MainWindow &window)
{
    std::vector<std::string> differences;
    const Controls controls(window);
    if (window.size() != benchfloor::clientArea)
        differences.push_back("window size");
    if (window.font() != benchfloor::windowFont())
        differences.push_back("window font");
    if (window.windowTitle() != benchfloor::fromUtf8(texts::windowTitle))
        differences.push_back("window caption");
    if (controls.heading->geometry() != benchfloor::headingGeometry
        || controls.heading->text() != benchfloor::fromUtf8(texts::heading))
        differences.push_back("heading");
    const std::vector<ShownText> shown = textsShownAtStart(window);
    const std::size_t expected = std::size(benchfloor::startTexts);
    if (shown.size() != expected)
        differences.push_back("number of texts shown at start");
    for (std::size_t i = 0; i < std::min(shown.size(), expected); ++i) {
        const auto &floor = benchfloor::startTexts[i];
        if (shown[i].text != QString::fromUtf8(floor.text)
            || shown[i].rect != QRect(floor.x, floor.y, floor.width, floor.height))
            differences.push_back("text " + std::to_string(i) + " (" + shown[i].text.toStdString()
                                  + ")");
    }
    return differences;
}

// ---------------------------------------------------------------------------
// Clicks, repaint included, on the offscreen platform

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Lets Qt finish everything the click set off: relayout, paint, flush.
void settle(PaintCounter &counter)
{
    int before;
    do {
        before = counter.paints;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    } while (counter.paints != before);
}

__attribute__((noinline)) std::vector<double> continentClicks(const Controls &controls,
                                                               PaintCounter &counter, int clicks)
{
    std::vector<double> microseconds;
    for (int i = 0; i < clicks; ++i) {
        QRadioButton *option = controls.options[std::size_t(i % 6)];
        const Clock::time_point start = Clock::now();
        QTest::mouseClick(option, Qt::LeftButton, {}, option->rect().center());
        settle(counter);
        microseconds.push_back(millisecondsSince(start) * 1000);
    }
    return microseconds;
}

__attribute__((noinline)) std::vector<double> riverClicks(const Controls &controls,
                                                           PaintCounter &counter, int clicks,
                                                           const std::vector<int> &rows)
{
    std::vector<double> microseconds;
    QWidget *view = controls.rivers->viewport();
    for (int i = 0; i < clicks; ++i) {
        const QPoint at = controls.rivers->visualItemRect(
            controls.rivers->item(rows[std::size_t(i) % rows.size()])).center();
        const Clock::time_point start = Clock::now();
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        settle(counter);
        microseconds.push_back(millisecondsSince(start) * 1000);
    }
    return microseconds;
}

void printSamples(const char *name, const std::vector<double> &samples, double extra = 0)
{
    std::printf("%s %g", name, extra);
    for (double sample : samples)
        std::printf(" %.3f", sample);
    std::printf("\n");
}

int measureClicks(int argc, char **argv, int clicks)
{
    auto app = offscreenApplication(argc, argv);
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const Controls controls(window);
    PaintCounter counter;
    app->installEventFilter(&counter);
    settle(counter);

    std::string problems;
    for (const std::string &difference : floorMismatches(window))
        problems += (problems.empty() ? "" : ", ") + difference;
    std::printf("mismatch %s\n", problems.empty() ? "none" : problems.c_str());

    // Rivers that are on screen without scrolling, each of another continent
    // than the one before, so that every click writes a new report.
    std::vector<int> rows;
    for (int row = 0; row < controls.rivers->count(); ++row) {
        const QRect item = controls.rivers->visualItemRect(controls.rivers->item(row));
        if (!controls.rivers->viewport()->rect().contains(item))
            continue;
        const std::string_view code = catalogue::rivers[std::size_t(row)].code;
        if (rows.empty() || catalogue::rivers[std::size_t(rows.back())].code != code)
            rows.push_back(row);
    }
    if (rows.size() > 1 && catalogue::rivers[std::size_t(rows.front())].code
                               == catalogue::rivers[std::size_t(rows.back())].code)
        rows.pop_back();

    continentClicks(controls, counter, 12); // fonts and layouts met for the first time
    counter.paints = 0;
    CALLGRIND_ZERO_STATS;
    const auto continent = continentClicks(controls, counter, clicks);
    CALLGRIND_DUMP_STATS_AT("continent");
    printSamples("continent", continent, double(counter.paints) / clicks);

    controls.rivers->scrollToTop();
    settle(counter);
    riverClicks(controls, counter, 12, rows);
    counter.paints = 0;
    CALLGRIND_ZERO_STATS;
    const auto river = riverClicks(controls, counter, clicks, rows);
    CALLGRIND_DUMP_STATS_AT("river");
    printSamples("river", river, double(counter.paints) / clicks);
    return 0;
}

// ---------------------------------------------------------------------------
// The controller's report on larger catalogues, through the fake view

__attribute__((noinline)) std::vector<double> reports(FakeView &view, int clicks)
{
    std::vector<double> microseconds;
    for (int i = 0; i < clicks; ++i) {
        const Clock::time_point start = Clock::now();
        view.userClicksContinent(i % 6);
        microseconds.push_back(millisecondsSince(start) * 1000);
    }
    return microseconds;
}

int measureReports(int clicks)
{
    for (const int times : {1, 10, 100}) {
        std::vector<std::string> names, codes;
        for (int copy = 0; copy < times; ++copy)
            for (const auto &river : catalogue::rivers) {
                names.emplace_back(river.name);
                codes.emplace_back(river.code);
            }
        FakeView view(std::move(names), std::move(codes));
        SelectionController controller(view);
        view.controller = &controller;
        reports(view, 6);
        const std::string label = "report-" + std::to_string(times);
        CALLGRIND_ZERO_STATS;
        const auto samples = reports(view, clicks);
        CALLGRIND_DUMP_STATS_AT(label.c_str());
        printSamples(label.c_str(), samples, times);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The table

std::map<std::string, std::vector<double>> parseSamples(const std::string &output,
                                                        std::map<std::string, double> *extras = nullptr)
{
    std::map<std::string, std::vector<double>> samples;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        double extra;
        if (!(words >> name >> extra))
            continue;
        if (extras)
            (*extras)[name] = extra;
        double value;
        while (words >> value)
            samples[name].push_back(value);
    }
    return samples;
}

std::string firstLine(const std::string &command)
{
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        if (std::fgets(buffer, sizeof buffer, pipe))
            output = buffer;
        pclose(pipe);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    return output;
}

std::string machine()
{
    std::string cpu = firstLine("grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'");
    std::string debian = firstLine("cat /etc/debian_version 2>/dev/null");
    return std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " × " + cpu + ", Debian " + debian
        + ", Qt " + qVersion();
}

int runTable(const std::string &self, int runs)
{
    const bool counting = haveValgrind();
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("rivers-benchmark." + std::to_string(getpid()));

    std::printf("Machine: %s\n", machine().c_str());
    std::printf("Medians over repeated runs, [min-max]; instructions (Ir) from callgrind%s.\n\n",
                counting ? "" : " (valgrind not installed: not counted)");

    // Start-up: the three executables in turn, so that a busy moment of the
    // machine falls on all of them alike.
    struct Subject {
        const char *name;
        std::string path;
        std::vector<double> firstFrame, processor, peak, own;
        std::optional<double> instructions;
    };
    std::vector<Subject> subjects = {
        {"continents-rivers", PROGRAM_PATH, {}, {}, {}, {}, {}},
        {"floor A: Qt, fonts", FLOOR_A_PATH, {}, {}, {}, {}, {}},
        {"floor B: the pixels", FLOOR_B_PATH, {}, {}, {}, {}, {}},
    };
    FrameWatcher watcher;
    if (!watcher.usable) {
        std::fprintf(stderr, "rivers-benchmark: needs an X display with the DAMAGE extension (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    if (!watcher.waitForWindowManager(10000))
        std::fprintf(stderr, "rivers-benchmark: no window manager on this display; measuring without one\n");
    for (auto &subject : subjects) // once each to warm the caches, not counted
        watcher.run({subject.path}, false, 20000);
    for (int round = 0; round < runs; ++round)
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            Subject &subject = subjects[(i + std::size_t(round)) % subjects.size()];
            const auto run = watcher.run({subject.path}, false, 20000);
            if (run.firstFrameMs)
                subject.firstFrame.push_back(*run.firstFrameMs);
            if (run.processorMs)
                subject.processor.push_back(*run.processorMs);
            if (run.peakKiB)
                subject.peak.push_back(*run.peakKiB / 1024);
            if (run.dirtyKiB)
                subject.own.push_back(*run.dirtyKiB / 1024);
        }
    if (counting)
        for (auto &subject : subjects) {
            const auto folder = scratch / "start";
            const auto run = watcher.run(underCallgrind(folder, {subject.path}), true, 180000);
            const auto dumps = callgrindDumps(folder);
            if (run.firstFrameMs && dumps.count("Program termination"))
                subject.instructions = dumps.at("Program termination");
        }

    std::printf("Start-up on X (Xvfb, openbox): exec to first painted frame, %d runs each\n", runs);
    std::printf("  CPU: time on a processor, all threads, up to the first frame: steadier on a busy\n"
                "  machine, but blind to waiting for the X server and the window manager.\n"
                "  Written: the pages the process itself wrote (heap, stacks, relocated data), once\n"
                "  settled; peak RSS also counts every page of library code the process has run.\n");
    const std::vector<int> startColumns = {22, 20, 20, 22, 20, 18};
    printRow({"", "first frame, ms", "CPU, ms", "peak RSS, MiB", "written, MiB",
              "Ir to first frame"},
             startColumns);
    for (const auto &subject : subjects)
        printRow({subject.name, formatSpread(spreadOf(subject.firstFrame), "%.1f"),
                  formatSpread(spreadOf(subject.processor), "%.1f"),
                  formatSpread(spreadOf(subject.peak), "%.2f"),
                  formatSpread(spreadOf(subject.own), "%.2f"), formatCount(subject.instructions)},
                 startColumns);
    const auto median = [](const std::vector<double> &samples) { return spreadOf(samples).median; };
    for (std::size_t floor = 1; floor < subjects.size(); ++floor) {
        const Subject &program = subjects[0], &base = subjects[floor];
        printRow({std::string("program / floor ") + (floor == 1 ? "A" : "B"),
                  formatRatio(median(program.firstFrame), median(base.firstFrame)),
                  formatRatio(median(program.processor), median(base.processor)),
                  formatRatio(median(program.peak), median(base.peak)),
                  formatRatio(median(program.own), median(base.own)),
                  program.instructions && base.instructions
                      ? formatRatio(*program.instructions, *base.instructions)
                      : "-"},
                 startColumns);
    }
    const double timeRatio = median(subjects[0].firstFrame) / median(subjects[2].firstFrame);
    const double memoryRatio = median(subjects[0].peak) / median(subjects[2].peak);
    std::printf("  goals: first frame within 1.10x floor B: %s; peak RSS within 1.05x floor B: %s\n\n",
                timeRatio <= 1.10 ? "met" : "not met", memoryRatio <= 1.05 ? "met" : "not met");

    // Clicks.
    const int clicks = 300;
    std::map<std::string, double> paints;
    const auto offscreen = environmentWith({{"QT_QPA_PLATFORM", "offscreen"}});
    const std::string clickOutput = runAndRead({self, "--clicks", std::to_string(clicks)}, offscreen);
    const auto clickSamples = parseSamples(clickOutput, &paints);
    std::map<std::string, double> clickCounts;
    const int countedClicks = 30;
    if (counting) {
        const auto folder = scratch / "clicks";
        runAndRead(underCallgrind(folder, {self, "--clicks", std::to_string(countedClicks)}), offscreen);
        clickCounts = callgrindDumps(folder);
    }
    std::printf("Clicks on the offscreen platform, mouse press to repainted window: %d clicks each\n",
                clicks);
    const std::vector<int> clickColumns = {22, 24, 14};
    printRow({"", "µs per click", "Ir per click", "paint events per click"}, clickColumns);
    for (const auto &[label, name] : {std::pair{"continent", "continent click"},
                                      std::pair{"river", "river click"}}) {
        std::optional<double> perClick;
        if (clickCounts.count(label))
            perClick = clickCounts.at(label) / countedClicks;
        printRow({name,
                  formatSpread(spreadOf(clickSamples.count(label) ? clickSamples.at(label)
                                                                  : std::vector<double>{}),
                               "%.0f"),
                  formatCount(perClick),
                  format("%.1f", paints.count(label) ? paints.at(label) : 0.0)},
                 clickColumns);
    }
    std::printf("\n");

    // The report.
    const int reportClicks = 200;
    const auto reportSamples =
        parseSamples(runAndRead({self, "--report", std::to_string(reportClicks)}, offscreen));
    std::map<std::string, double> reportCounts;
    const int countedReports = 12;
    if (counting) {
        const auto folder = scratch / "report";
        runAndRead(underCallgrind(folder, {self, "--report", std::to_string(countedReports)}), offscreen);
        reportCounts = callgrindDumps(folder);
    }
    std::printf("The controller's report through the fake view (continent clicks), %d reports each\n",
                reportClicks);
    const std::vector<int> reportColumns = {22, 24, 12, 15, 12};
    printRow({"catalogue", "µs per report", "ns per row", "Ir per report", "Ir per row",
              "growth in Ir"},
             reportColumns);
    std::optional<double> baseCount;
    for (const int times : {1, 10, 100}) {
        const std::string label = "report-" + std::to_string(times);
        const int rows = int(catalogue::riverCount) * times;
        const Spread spread = spreadOf(reportSamples.count(label) ? reportSamples.at(label)
                                                                 : std::vector<double>{});
        std::optional<double> perReport;
        if (reportCounts.count(label))
            perReport = reportCounts.at(label) / countedReports;
        if (times == 1)
            baseCount = perReport;
        printRow({std::to_string(times) + "x (" + std::to_string(rows) + " rivers)",
                  formatSpread(spread, "%.1f"),
                  spread.empty ? "-" : format("%.1f", spread.median * 1000 / rows),
                  formatCount(perReport), perReport ? format("%.0f", *perReport / rows) : "-",
                  perReport && baseCount ? format("%.1fx", *perReport / *baseCount) : "-"},
                 reportColumns);
    }

    std::string mismatch;
    if (const auto at = clickOutput.find("mismatch "); at != std::string::npos)
        mismatch = clickOutput.substr(at + 9, clickOutput.find('\n', at) - at - 9);
    if (!mismatch.empty() && mismatch != "none")
        std::printf("\nWARNING: the floors no longer match the program's window: %s.\n"
                    "Rebuild bench/floor_b_texts.h with `rivers-benchmark --start-texts`.\n",
                    mismatch.c_str());
    std::filesystem::remove_all(scratch);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
    if (mode == "--start-texts")
        return printStartTexts(argc, argv);
    if (mode == "--clicks")
        return measureClicks(argc, argv, count);
    if (mode == "--report")
        return measureReports(count);
    if (mode == "--measure" && argc > 2) {
        // First frame and peak memory of any executable, the median of 15
        // runs: for trying a change before running the whole table.
        FrameWatcher watcher;
        if (!watcher.usable)
            return 1;
        watcher.waitForWindowManager(10000);
        std::vector<double> frames, processor, peaks;
        for (int run = 0; run < 16; ++run) {
            const auto result = watcher.run({argv[2]}, false, 20000);
            if (run > 0 && result.firstFrameMs && result.processorMs && result.peakKiB) {
                frames.push_back(*result.firstFrameMs);
                processor.push_back(*result.processorMs);
                peaks.push_back(*result.peakKiB / 1024);
            }
        }
        std::printf("first frame %s ms, CPU %s ms, peak RSS %s MiB\n",
                    formatSpread(spreadOf(frames), "%.1f").c_str(),
                    formatSpread(spreadOf(processor), "%.1f").c_str(),
                    formatSpread(spreadOf(peaks), "%.2f").c_str());
        return 0;
    }
    if (mode == "--instructions" && argc > 2) {
        // Instructions from exec to the first frame of any executable: for
        // trying a change before running the whole table.
        FrameWatcher watcher;
        const auto folder = std::filesystem::temp_directory_path()
            / ("rivers-benchmark." + std::to_string(getpid()));
        const auto run = watcher.usable
            ? watcher.run(underCallgrind(folder, {argv[2]}), true, 180000)
            : FrameWatcher::Run{};
        const auto dumps = callgrindDumps(folder);
        if (argc > 3 && std::filesystem::exists(folder / "out"))
            std::filesystem::copy_file(folder / "out", argv[3],
                                       std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove_all(folder);
        if (!run.firstFrameMs || !dumps.count("Program termination"))
            return 1;
        std::printf("%.0f\n", dumps.at("Program termination"));
        return 0;
    }
    if (mode.empty() || mode == "--runs")
        return runTable(std::filesystem::read_symlink("/proc/self/exe").string(), count);
    std::fprintf(stderr, "usage: rivers-benchmark [--runs N | --start-texts]\n");
    return 2;
}
