#include "oracle.h"
#include "windowcontrols.h"

#include "window/mainwindow.h"
#include "window/qttexts.h"
#include "window/texts.h"

#include <QGroupBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

struct Controls : WindowControls {
    explicit Controls(MainWindow &window) { find(window); }

    void clickRiver(int position) const
    {
        QListWidgetItem *item = rivers->item(position);
        rivers->scrollToItem(item);
        QTest::mouseClick(rivers->viewport(), Qt::LeftButton, {},
                          rivers->visualItemRect(item).center());
    }
};

QString shown(const std::string &report)
{
    return QString::fromStdString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startState();
    void windowFrame();
    void controls_data();
    void controls();
    void tabOrder();
    void continentClickByMouse_data();
    void continentClickByMouse();
    void riverClickByMouse_data();
    void riverClickByMouse();
    void keyboardChoosesRivers();
    void focusIntoListChoosesNothing();
    void pressOnChosenRiverReleasedElsewhere_data();
    void pressOnChosenRiverReleasedElsewhere();
    void alreadySelectedContinentAgain();
    void reportCannotBeEdited();
    void contextMenusSpeakBulgarian();
};

void TestMainWindow::startState()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);

    QCOMPARE(window.reportText(), std::string(texts::statement));
    QCOMPARE(QString::fromStdString(window.reportText()).size(), 1218);
    QCOMPARE(c.text->toPlainText(), shown(window.reportText()));
    QCOMPARE(window.focusWidget(), c.text);
    QCOMPARE(c.checkedOption(), -1);
    QCOMPARE(c.rivers->selectedItems().size(), 0);

    QCOMPARE(c.rivers->count(), 80);
    QCOMPARE(c.codes->count(), 80);
    QCOMPARE(c.rivers->item(70)->text(), QStringLiteral("Урал"));
    QCOMPARE(c.rivers->item(71)->text(), QStringLiteral("Урал"));
    QCOMPARE(c.codes->item(70)->text(), QStringLiteral("1"));
    QCOMPARE(c.codes->item(71)->text(), QStringLiteral("3"));
    QCOMPARE(c.rivers->item(15)->text(), QStringLiteral("Елба "));
    QVERIFY(!c.codes->isVisible());
}

void TestMainWindow::windowFrame()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.windowTitle(), QStringLiteral("www.example.org - География - плавателни реки"));
    QCOMPARE(window.size(), QSize(461, 359));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(192, 192, 255));
    QCOMPARE(QFontInfo(window.font()).pointSize(), 12);
    QCOMPARE(window.font().family(), QStringLiteral("Times New Roman"));
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("takesFocus");

    const QColor window(192, 192, 255), label(255, 192, 128), option(128, 255, 128);
    // Pixels at 15 twips each; option buttons are placed inside the frame.
    QTest::newRow("Text1(0)") << "Text1_0" << QRect(8, 176, 449, 177) << "" << QColor() << true;
    QTest::newRow("Label1(0)") << "Label1_0" << QRect(72, 0, 305, 25)
                               << "География - континенти и реки" << label << false;
    QTest::newRow("Frame1") << "Frame1" << QRect(56, 32, 161, 129) << "Континенти" << window << false;
    QTest::newRow("Option1(0)") << "Option1_0" << QRect(8, 24, 145, 19) << "Австралия" << option << true;
    QTest::newRow("Option1(1)") << "Option1_1" << QRect(8, 40, 145, 19) << "Азия" << option << true;
    QTest::newRow("Option1(2)") << "Option1_2" << QRect(8, 56, 145, 19) << "Африка" << option << true;
    QTest::newRow("Option1(3)") << "Option1_3" << QRect(8, 72, 145, 19) << "Европа" << option << true;
    QTest::newRow("Option1(4)") << "Option1_4" << QRect(8, 88, 145, 19) << "Северна Америка" << option
                                << true;
    QTest::newRow("Option1(5)") << "Option1_5" << QRect(8, 104, 145, 19) << "Южна Америка" << option
                                << true;
    QTest::newRow("List1(0)") << "List1_0" << QRect(232, 64, 153, 99) << "" << QColor() << true;
    QTest::newRow("List1(1)") << "List1_1" << QRect(408, 48, 41, 61) << "" << QColor() << false;
    QTest::newRow("Label1(1)") << "Label1_1" << QRect(232, 40, 153, 25) << "Реки" << label << false;
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QColor, background);
    QFETCH(bool, takesFocus);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control);

    QCOMPARE(control->geometry(), geometry);
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
    else if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), caption);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), caption);
    if (background.isValid()) {
        QCOMPARE(control->palette().color(control->backgroundRole()), background);
        QVERIFY(control->autoFillBackground() || control->parentWidget() == &window);
    }
    QCOMPARE(control->focusPolicy() != Qt::NoFocus && control->isVisible(), takesFocus);
    QCOMPARE(control->font(), window.font());
}

void TestMainWindow::tabOrder()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QStringList expected = {"Text1_0",   "Option1_0", "Option1_1", "Option1_2",
                                  "Option1_3", "List1_0",   "Option1_4", "Option1_5"};
    QStringList chain;
    QWidget *widget = window.findChild<QWidget *>(QStringLiteral("Text1_0"));
    do {
        chain << widget->objectName();
        do
            widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible()
               || widget->objectName().isEmpty());
    } while (widget->objectName() != QStringLiteral("Text1_0"));
    QCOMPARE(chain, expected);
}

void TestMainWindow::continentClickByMouse_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lastRiver");
    QTest::newRow("Австралия") << 0 << 42;
    QTest::newRow("Азия") << 1 << 79;
    QTest::newRow("Африка") << 2 << 69;
    QTest::newRow("Европа") << 3 << 75;
    QTest::newRow("Северна Америка") << 4 << 76;
    QTest::newRow("Южна Америка") << 5 << 72;
}

void TestMainWindow::continentClickByMouse()
{
    QFETCH(int, code);
    QFETCH(int, lastRiver);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);
    QSignalSpy reports(c.text, &QPlainTextEdit::textChanged);

    QTest::mouseClick(c.options[code], Qt::LeftButton);

    QCOMPARE(window.reportText(), expectedReport(code));
    QCOMPARE(c.text->toPlainText(), shown(expectedReport(code)));
    QCOMPARE(c.checkedOption(), code);
    QCOMPARE(c.selectedRiver(), lastRiver);
    QCOMPARE(reports.count(), 1);
}

void TestMainWindow::riverClickByMouse_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("continent");
    QTest::newRow("Амазонка") << 0 << 5;
    QTest::newRow("Урал, Asia") << 70 << 1;
    QTest::newRow("Урал, Europe") << 71 << 3;
    QTest::newRow("Елба ") << 15 << 3;
    QTest::newRow("Яндзъ") << 79 << 1;
}

void TestMainWindow::riverClickByMouse()
{
    QFETCH(int, position);
    QFETCH(int, continent);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);
    QSignalSpy reports(c.text, &QPlainTextEdit::textChanged);

    c.clickRiver(position);

    QCOMPARE(c.selectedRiver(), position);
    QCOMPARE(c.checkedOption(), continent);
    QCOMPARE(window.reportText(), expectedReport(continent));
    QCOMPARE(reports.count(), 1);
}

void TestMainWindow::keyboardChoosesRivers()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);

    QTest::mouseClick(c.options[0], Qt::LeftButton); // the list now shows 42, Мъръмбиджи
    QSignalSpy reports(c.text, &QPlainTextEdit::textChanged);
    c.rivers->setFocus();
    QTest::keyClick(c.rivers, Qt::Key_Down); // 43, Нигер: Africa
    QCOMPARE(c.selectedRiver(), 43);
    QCOMPARE(c.checkedOption(), 2);
    QCOMPARE(window.reportText(), expectedReport(2));
    QTest::keyClick(c.rivers, Qt::Key_End);
    QCOMPARE(c.selectedRiver(), 79);
    QCOMPARE(c.checkedOption(), 1);
    QCOMPARE(reports.count(), 2);
}

void TestMainWindow::focusIntoListChoosesNothing()
{
    MainWindow window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const Controls c(window);

    c.rivers->setFocus(Qt::TabFocusReason);
    QVERIFY(c.rivers->hasFocus());
    QCOMPARE(c.rivers->selectedItems().size(), 0);
    QCOMPARE(c.checkedOption(), -1);
    QCOMPARE(window.reportText(), std::string(texts::statement));
}

void TestMainWindow::pressOnChosenRiverReleasedElsewhere_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("point");
    QTest::newRow("beside the list") << QString() << QPoint(420, 140);
    QTest::newRow("on the list's scroll bar") << "List1_0" << QPoint(145, 50);
    QTest::newRow("on the report area") << "Text1_0" << QPoint(100, 60);
}

// A press on the river already chosen is settled by Qt on the release; off
// every river that would select nothing and leave the list empty.
void TestMainWindow::pressOnChosenRiverReleasedElsewhere()
{
    QFETCH(QString, target);
    QFETCH(QPoint, point);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);
    c.clickRiver(14); // Дунав
    QSignalSpy reports(c.text, &QPlainTextEdit::textChanged);

    QWindow *handle = window.windowHandle();
    const QPoint from = c.rivers->viewport()->mapTo(&window, c.rivers->visualItemRect(c.rivers->item(14)).center());
    const QPoint to = target.isEmpty() ? point : window.findChild<QWidget *>(target)->mapTo(&window, point);
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(handle, to);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, to);

    QCOMPARE(c.selectedRiver(), 14);
    QCOMPARE(c.checkedOption(), 3);
    QCOMPARE(window.reportText(), expectedReport(3));
    QCOMPARE(reports.count(), 0);
}

void TestMainWindow::alreadySelectedContinentAgain()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);

    QTest::mouseClick(c.options[3], Qt::LeftButton);
    c.clickRiver(14); // Дунав, also European
    QCOMPARE(c.selectedRiver(), 14);

    QSignalSpy reports(c.text, &QPlainTextEdit::textChanged);
    QTest::mouseClick(c.options[3], Qt::LeftButton);
    QCOMPARE(reports.count(), 1);
    QCOMPARE(c.checkedOption(), 3);
    QCOMPARE(c.selectedRiver(), 75);
    QCOMPARE(window.reportText(), expectedReport(3));
}

void TestMainWindow::reportCannotBeEdited()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);
    c.text->setFocus();
    const QString before = c.text->toPlainText();

    QTest::keyClicks(c.text, QStringLiteral("abc"));
    QTest::keyClick(c.text, Qt::Key_Return);
    QTest::keyClick(c.text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(c.text, Qt::Key_Delete);
    QTest::keyClick(c.text, Qt::Key_Backspace);
    QTest::keyClick(c.text, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(c.text, Qt::Key_V, Qt::ControlModifier);
    c.text->paste();
    c.text->cut();

    QCOMPARE(c.text->toPlainText(), before);
    QCOMPARE(window.reportText(), std::string(texts::statement));
    // Selecting with the keyboard still works.
    QVERIFY(c.text->textCursor().hasSelection());
}

// The menus Qt builds for the report area and the scroll bars, read as the
// pupil would see them: no English word may be left in an item's text (the
// shortcut after the tab, such as Ctrl+C, is the keyboard's, not a word).
void TestMainWindow::contextMenusSpeakBulgarian()
{
    QtTextsInBulgarian qtTexts;
    QCoreApplication::installTranslator(&qtTexts);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Controls c(window);

    QStringList items;
    const auto collect = [&items](const QMenu *menu) {
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                items << action->text().section(u'\t', 0, 0);
    };
    std::unique_ptr<QMenu> textMenu(c.text->createStandardContextMenu());
    collect(textMenu.get());

    // A scroll bar builds its menu inside its own event handler and runs it
    // there, so the menu is read once it is open, then closed.
    for (QScrollBar *bar : {c.text->verticalScrollBar(), c.rivers->verticalScrollBar()}) {
        QTimer::singleShot(0, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                collect(menu);
                menu->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 20), bar->mapToGlobal(QPoint(2, 20)));
        QApplication::sendEvent(bar, &event);
    }
    QCoreApplication::removeTranslator(&qtTexts);

    QVERIFY(items.contains(QStringLiteral("&Копирай")));
    QVERIFY(items.contains(QStringLiteral("Превърти дотук")));
    QCOMPARE(items.filter(QRegularExpression(QStringLiteral("[A-Za-z]"))), QStringList());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
