#include "oracle.h"

#include "window/mainwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

// Run once for each scale factor a school screen may have (QT_SCALE_FACTOR
// 1, 1.25, 1.5, 2, set by CTest). Nothing may be cut off: every caption and
// river name fits the room its control gives it, measured in the control's
// own font, and every line of the report area wraps inside it.
class TestDensity : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowKeepsItsProportions();
    void captionsFit_data();
    void captionsFit();
    void riverNamesFit();
    void reportLinesWrapInside();

private:
    MainWindow *window = nullptr;
};

namespace {

QString measured(const QWidget *control, const QString &text, qreal width, qreal room)
{
    return QStringLiteral("%1 \"%2\" in %3: %4 wide, room for %5")
        .arg(control->objectName(), text, QFontInfo(control->font()).family())
        .arg(width)
        .arg(room);
}

// A glyph's outline may reach past an edge by less than this, in pixels:
// what is cut there is only the faint antialiased fringe of one pixel row.
constexpr qreal fringe = 0.125;

// Where the ink of a line of text lies, top and bottom, when it is centred
// on a band of the given height, as the style centres captions and items.
std::pair<qreal, qreal> inkRows(const QFont &font, const QString &text, qreal bandHeight)
{
    const QFontMetricsF metrics(font);
    const qreal baseline = (bandHeight - metrics.height()) / 2 + metrics.ascent();
    const QRectF ink = metrics.tightBoundingRect(text);
    return {baseline + ink.top(), baseline + ink.bottom()};
}

} // namespace

void TestDensity::init()
{
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestDensity::cleanup()
{
    delete window;
    window = nullptr;
}

void TestDensity::windowKeepsItsProportions()
{
    const qreal scale = window->devicePixelRatioF();
    const QSize pixels = window->grab().toImage().size();
    QCOMPARE(window->size(), QSize(461, 359));
    QVERIFY2(qAbs(pixels.width() - 461 * scale) <= 1 && qAbs(pixels.height() - 359 * scale) <= 1,
             qPrintable(QStringLiteral("%1x%2 at %3").arg(pixels.width()).arg(pixels.height()).arg(scale)));
}

void TestDensity::captionsFit_data()
{
    QTest::addColumn<QString>("control");
    for (const char *name : {"Label1_0", "Label1_1", "Frame1", "Option1_0", "Option1_1", "Option1_2",
                             "Option1_3", "Option1_4", "Option1_5"})
        QTest::newRow(name) << name;
}

void TestDensity::captionsFit()
{
    QFETCH(QString, control);
    auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QFontMetricsF metrics(widget->font());

    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const qreal width = metrics.horizontalAdvance(label->text());
        QVERIFY2(width <= label->contentsRect().width(),
                 qPrintable(measured(label, label->text(), width, label->contentsRect().width())));
        QVERIFY(metrics.height() <= label->contentsRect().height());
    } else if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        const qreal width = metrics.horizontalAdvance(frame->title());
        QVERIFY2(width <= title.width() && frame->rect().contains(title),
                 qPrintable(measured(frame, frame->title(), width, title.width())));
    } else if (auto *button = qobject_cast<QRadioButton *>(widget)) {
        // The caption stands right of the circle, in the strip's contents.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
        const qreal width = metrics.horizontalAdvance(button->text());
        QVERIFY2(width <= contents.width() && button->rect().contains(contents),
                 qPrintable(measured(button, button->text(), width, contents.width())));
        // The strip above covers this strip's top rows (Option1_0 has none
        // above it, but its caption sits the same way); the letters must lie
        // below them and above the strip's bottom.
        auto *first = window->findChild<QWidget *>(QStringLiteral("Option1_0"));
        auto *second = window->findChild<QWidget *>(QStringLiteral("Option1_1"));
        const int covered = first->geometry().bottom() + 1 - second->y();
        const auto [top, bottom] = inkRows(button->font(), button->text(), contents.height());
        QVERIFY2(contents.top() + top >= covered - fringe
                     && contents.top() + bottom <= button->height() + fringe,
                 qPrintable(QStringLiteral("%1: ink from row %2 to %3, visible from %4 to %5")
                                .arg(control)
                                .arg(contents.top() + top)
                                .arg(contents.top() + bottom)
                                .arg(covered)
                                .arg(button->height())));
    } else {
        QFAIL("no caption to measure");
    }
}

void TestDensity::riverNamesFit()
{
    auto *rivers = window->findChild<QListWidget *>(QStringLiteral("List1_0"));
    // Eighty rivers never fit, so the scroll bar always takes its share of
    // the width; the viewport is what is left.
    QVERIFY(rivers->verticalScrollBar()->isVisible());
    const int margin = rivers->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, rivers) + 1;
    const qreal room = rivers->viewport()->width() - 2 * margin;
    const QFontMetricsF metrics(rivers->font());
    for (int row = 0; row < rivers->count(); ++row) {
        const QString name = rivers->item(row)->text();
        const qreal width = metrics.horizontalAdvance(name);
        QVERIFY2(width <= room, qPrintable(measured(rivers, name, width, room)));
        const int height = rivers->visualItemRect(rivers->item(row)).height();
        const auto [top, bottom] = inkRows(rivers->font(), name, height);
        QVERIFY2(top >= -fringe && bottom <= height + fringe,
                 qPrintable(QStringLiteral("%1: ink from row %2 to %3 of %4").arg(name).arg(top).arg(bottom).arg(height)));
    }
}

void TestDensity::reportLinesWrapInside()
{
    auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1_0"));
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    const auto checkLines = [text](const QString &what) {
        const qreal room = text->viewport()->width() - 2 * text->document()->documentMargin();
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            // The area lays out only what it has shown; have every block laid out.
            text->document()->documentLayout()->blockBoundingRect(block);
            const QTextLayout *layout = block.layout();
            QVERIFY(layout->lineCount() > 0 || block.text().isEmpty());
            for (int i = 0; i < layout->lineCount(); ++i) {
                const qreal width = layout->lineAt(i).naturalTextWidth();
                QVERIFY2(width <= room, qPrintable(QStringLiteral("%1, \"%2\": a line %3 wide, room for %4")
                                                       .arg(what, block.text())
                                                       .arg(width)
                                                       .arg(room)));
            }
        }
    };
    checkLines(QStringLiteral("statement"));
    for (int code = 0; code < 6; ++code) {
        QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("Option1_%1").arg(code)),
                          Qt::LeftButton);
        QCOMPARE(window->reportText(), expectedReport(code));
        checkLines(QStringLiteral("report %1").arg(code));
    }
}

QTEST_MAIN(TestDensity)
#include "tst_density.moc"
