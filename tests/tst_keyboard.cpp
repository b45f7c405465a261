#include "oracle.h"
#include "windowcontrols.h"

#include "window/mainwindow.h"
#include "window/texts.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

// A pupil without a mouse: every key goes to the window as the platform
// would deliver it, and lands wherever the focus is.
class TestKeyboard : public QObject, private WindowControls {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabWalksEveryControl_data();
    void tabWalksEveryControl();
    void arrowsChooseContinents_data();
    void arrowsChooseContinents();
    void spaceChoosesTheFocusedContinent();
    void listKeysChooseRivers_data();
    void listKeysChooseRivers();
    void focusRingFollowsTheFocus();

private:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    // Tab until the focus is on the named control, once round at most.
    bool tabTo(const QString &name)
    {
        for (int i = 0; i < 8 && focused() != name; ++i)
            press(Qt::Key_Tab);
        return focused() == name;
    }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    int continentOf(int river) const { return codes->item(river)->text().toInt(); }
    bool nothingChosen() const
    {
        return checkedOption() == -1 && rivers->selectedItems().isEmpty()
            && window->reportText() == std::string(texts::statement);
    }

    MainWindow *window = nullptr;
};

// The tab order the window is laid out with: the report area, four
// continents, the rivers, the last two continents.
static const QStringList tabOrder = {"Text1_0",   "Option1_0", "Option1_1", "Option1_2",
                                     "Option1_3", "List1_0",   "Option1_4", "Option1_5"};

void TestKeyboard::init()
{
    window = new MainWindow;
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    find(*window);
    QCOMPARE(focused(), QStringLiteral("Text1_0"));
}

void TestKeyboard::cleanup()
{
    delete window;
    window = nullptr;
}

void TestKeyboard::tabWalksEveryControl_data()
{
    QTest::addColumn<int>("chosen"); // continent chosen before the walk, or -1
    QTest::newRow("nothing chosen yet") << -1;
    QTest::newRow("Азия chosen") << 1;
    QTest::newRow("Южна Америка chosen") << 5;
}

void TestKeyboard::tabWalksEveryControl()
{
    QFETCH(int, chosen);

    if (chosen >= 0) {
        // Qt would leave only the chosen button in the tab chain once it has
        // had the focus; choose it from the keyboard to give it that chance.
        QVERIFY(tabTo(QStringLiteral("Option1_%1").arg(chosen)));
        press(Qt::Key_Space);
        QCOMPARE(checkedOption(), chosen);
        QVERIFY(tabTo(QStringLiteral("Text1_0")));
    }
    const std::string before = window->reportText();
    const int selectedBefore = selectedRiver();
    QSignalSpy reports(text, &QPlainTextEdit::textChanged);

    QStringList forward;
    for (int step = 0; step < tabOrder.size(); ++step) {
        forward << focused();
        press(Qt::Key_Tab);
    }
    QCOMPARE(forward, tabOrder);
    QCOMPARE(focused(), QStringLiteral("Text1_0")); // round again, nothing holds it

    QStringList backward;
    for (int step = 0; step < tabOrder.size(); ++step) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(focused());
    }
    QCOMPARE(backward, tabOrder);

    // Passing through chose nothing.
    QCOMPARE(reports.count(), 0);
    QCOMPARE(window->reportText(), before);
    QCOMPARE(checkedOption(), chosen);
    QCOMPARE(selectedRiver(), selectedBefore);
}

void TestKeyboard::arrowsChooseContinents_data()
{
    QTest::addColumn<int>("start");  // the continent the focus is on
    QTest::addColumn<bool>("chosen"); // whether it is chosen before the key
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("expected"); // continent chosen after the key

    QTest::newRow("Down from Австралия, nothing chosen") << 0 << false << Qt::Key_Down << 1;
    QTest::newRow("Down from Австралия, chosen") << 0 << true << Qt::Key_Down << 1;
    QTest::newRow("Right from Африка") << 2 << false << Qt::Key_Right << 3;
    QTest::newRow("Up from Европа, chosen") << 3 << true << Qt::Key_Up << 2;
    QTest::newRow("Left from Северна Америка") << 4 << false << Qt::Key_Left << 3;
    QTest::newRow("Up from Северна Америка, across the list") << 4 << true << Qt::Key_Up << 3;
    QTest::newRow("Down from Европа, across the list") << 3 << false << Qt::Key_Down << 4;
    QTest::newRow("Down at Южна Америка, chosen: stays") << 5 << true << Qt::Key_Down << 5;
    QTest::newRow("Up at Австралия, nothing chosen: stays") << 0 << false << Qt::Key_Up << -1;
}

void TestKeyboard::arrowsChooseContinents()
{
    QFETCH(int, start);
    QFETCH(bool, chosen);
    QFETCH(Qt::Key, key);
    QFETCH(int, expected);

    QVERIFY(tabTo(QStringLiteral("Option1_%1").arg(start)));
    if (chosen)
        press(Qt::Key_Space);
    QCOMPARE(checkedOption(), chosen ? start : -1);
    QSignalSpy reports(text, &QPlainTextEdit::textChanged);

    press(key);

    QCOMPARE(checkedOption(), expected);
    QCOMPARE(focused(), QStringLiteral("Option1_%1").arg(expected == -1 ? start : expected));
    if (expected == -1) {
        QVERIFY(nothingChosen());
        QCOMPARE(reports.count(), 0);
        return;
    }
    QCOMPARE(window->reportText(), expectedReport(expected));
    QCOMPARE(continentOf(selectedRiver()), expected);
    // A step that stays on the chosen continent changes nothing.
    QCOMPARE(reports.count(), expected == start ? 0 : 1);
}

void TestKeyboard::spaceChoosesTheFocusedContinent()
{
    QVERIFY(tabTo(QStringLiteral("Option1_2")));
    QVERIFY(nothingChosen());
    QSignalSpy reports(text, &QPlainTextEdit::textChanged);

    press(Qt::Key_Space);
    QCOMPARE(checkedOption(), 2);
    QCOMPARE(window->reportText(), expectedReport(2));
    QCOMPARE(selectedRiver(), 69); // Убанги, Africa's last river
    QCOMPARE(reports.count(), 1);

    // Space on the chosen continent rewrites its report, as a click does.
    rivers->setCurrentRow(68); // Сенегал, also African
    QCOMPARE(selectedRiver(), 68);
    reports.clear();
    press(Qt::Key_Space);
    QCOMPARE(reports.count(), 1);
    QCOMPARE(checkedOption(), 2);
    QCOMPARE(selectedRiver(), 69);
}

void TestKeyboard::listKeysChooseRivers_data()
{
    QTest::addColumn<int>("from"); // river chosen before, or -1 for none
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("expected"); // river chosen after the key, or -1

    // Tabbing in marks Амазонка, at 0, without choosing it.
    QTest::newRow("Down after Tab") << -1 << Qt::Key_Down << 1;
    QTest::newRow("Up after Tab") << -1 << Qt::Key_Up << 0;
    QTest::newRow("Home after Tab") << -1 << Qt::Key_Home << 0;
    QTest::newRow("End after Tab") << -1 << Qt::Key_End << 79;
    QTest::newRow("Page Up after Tab") << -1 << Qt::Key_PageUp << 0;
    QTest::newRow("Page Down after Tab") << -1 << Qt::Key_PageDown << -2; // a page further on
    QTest::newRow("Space after Tab") << -1 << Qt::Key_Space << 0;
    // From Урал in Asia to Урал in Europe: the same name, another continent.
    QTest::newRow("Down from 70, Урал") << 70 << Qt::Key_Down << 71;
    QTest::newRow("Up from 71, Урал") << 71 << Qt::Key_Up << 70;
    QTest::newRow("Home from 75") << 75 << Qt::Key_Home << 0;
    QTest::newRow("End from 75") << 75 << Qt::Key_End << 79;
    QTest::newRow("Page Up from 75") << 75 << Qt::Key_PageUp << -2;
    QTest::newRow("Page Down from 75") << 75 << Qt::Key_PageDown << -2;
}

void TestKeyboard::listKeysChooseRivers()
{
    QFETCH(int, from);
    QFETCH(Qt::Key, key);
    QFETCH(int, expected);

    if (from >= 0) {
        rivers->setCurrentRow(from);
        QCOMPARE(checkedOption(), continentOf(from));
    }
    QVERIFY(tabTo(QStringLiteral("List1_0")));
    QCOMPARE(focused(), QStringLiteral("List1_0"));
    QCOMPARE(selectedRiver(), from);
    if (from < 0)
        QVERIFY(nothingChosen());
    QSignalSpy reports(text, &QPlainTextEdit::textChanged);

    press(key);

    const int river = selectedRiver();
    if (expected == -2) { // a page away, as far as the list's height takes it
        const int base = from < 0 ? 0 : from;
        QVERIFY2(key == Qt::Key_PageDown ? river > base + 1 : river < base - 1,
                 qPrintable(QString::number(river)));
    } else {
        QCOMPARE(river, expected);
    }
    QCOMPARE(checkedOption(), continentOf(river));
    QCOMPARE(window->reportText(), expectedReport(continentOf(river)));
    QCOMPARE(reports.count(), 1);
    QCOMPARE(focused(), QStringLiteral("List1_0"));
}

// The ring around the focused control is drawn in the window's text colour,
// black, which stands out against every colour it can lie on: the window's,
// the option strips', the white of the list and of the report area.
void TestKeyboard::focusRingFollowsTheFocus()
{
    const auto luminance = [](QColor colour) {
        const auto channel = [](double value) {
            value /= 255;
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green())
            + 0.0722 * channel(colour.blue());
    };
    const auto contrast = [&](QColor a, QColor b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };

    for (const QString &name : tabOrder) {
        QVERIFY(tabTo(name));
        auto *control = window->findChild<QWidget *>(name);
        // The middle of the control's left edge, where the ring runs.
        const QPoint edge = control->mapTo(window, QPoint(0, control->height() / 2 + 1));
        const QImage shot = window->grab().toImage();
        const QColor ring = shot.pixelColor(edge);
        const QColor inside = shot.pixelColor(edge + QPoint(3, 0));
        const QColor outside = shot.pixelColor(edge - QPoint(3, 0));
        QVERIFY2(contrast(ring, inside) >= 3 && contrast(ring, outside) >= 3,
                 qPrintable(QStringLiteral("%1: ring %2, inside %3, outside %4")
                                .arg(name, ring.name(), inside.name(), outside.name())));

        // Once the focus has moved on, the same spot shows no ring.
        press(Qt::Key_Tab);
        QVERIFY(window->grab().toImage().pixelColor(edge) != ring);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    }
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
