#include "mainwindow.h"

#include "catalogue/catalogue.h"
#include "texts.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QFocusFrame>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {

// Sizes are laid out in twips, 1/1440 inch: 15 of them make a pixel at
// 96 dots per inch. Qt scales these pixels on denser screens.
constexpr int twipsPerPixel = 15;

constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel,
            height / twipsPerPixel};
}

constexpr QSize clientArea{6915 / twipsPerPixel, 5385 / twipsPerPixel};

const QColor windowColour{192, 192, 255};
const QColor labelColour{255, 192, 128};
const QColor optionColour{128, 255, 128};

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

void paintBackground(QWidget *widget, const QColor &colour)
{
    // Buttons fill with the Button role, other widgets with Window.
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A single-selection list that the pupil cannot empty: a Ctrl+click on the
// selected river would otherwise deselect it and leave no river chosen. So
// would a press on the selected river released off every river: Qt defers
// that press to the release and then selects what lies under the pointer,
// which is nothing.
class RiverList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override
    {
        const auto command = QListWidget::selectionCommand(index, event);
        if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
            return QItemSelectionModel::NoUpdate;
        if ((command & QItemSelectionModel::Clear) && !index.isValid())
            return QItemSelectionModel::NoUpdate;
        return command;
    }

    // Tabbing into the list marks its first river without choosing it. Home,
    // Up or Page Up there would move nowhere and so choose nothing; let every
    // key that moves through the list choose the river it ends on.
    void keyPressEvent(QKeyEvent *event) override
    {
        QListWidget::keyPressEvent(event);
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (!selectionModel()->hasSelection() && currentIndex().isValid())
                selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
            break;
        default:
            break;
        }
    }

    // Qt tells assistive technology that the focus is on the new current
    // river whenever it changes, even when a continent's choice moves it and
    // the keys still go to the continent buttons. A screen reader would
    // follow it into the list and read out a river the pupil is not on.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override
    {
        if (hasFocus())
            QListWidget::currentChanged(current, previous);
        else
            QAbstractItemView::currentChanged(current, previous);
    }
};

// The keyboard focus is drawn as a black ring, the window's text colour, of
// the given width just inside the area.
void drawFocusRing(QPainter &painter, const QRect &area, int width, const QColor &ink)
{
    painter.fillRect(QRect(area.left(), area.top(), area.width(), width), ink);
    painter.fillRect(QRect(area.left(), area.bottom() - width + 1, area.width(), width), ink);
    painter.fillRect(QRect(area.left(), area.top(), width, area.height()), ink);
    painter.fillRect(QRect(area.right() - width + 1, area.top(), width, area.height()), ink);
}

// River rows as tall as the font's line spacing, rounded up to whole pixels.
// Qt makes them as tall as its ascent and descent, which the feet of д and
// the tail of у overshoot: the row below then cuts them off, and at twice the
// pixel density that shows.
class RiverRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), int(std::ceil(QFontMetricsF(option.font).lineSpacing()))));
        return size;
    }
};

// An option button that answers a click anywhere on its coloured strip, not
// only on its circle and caption: the whole strip looks like the button.
class ContinentButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

    // Rows at the top of the strip that the strip above covers.
    void setCoveredRows(int rows) { coveredRows = rows; }

protected:
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }

    // The focus ring runs round the visible part of the strip, under the
    // circle and the caption: a letter that reaches the strip's edge stays
    // whole. Fusion's own mark, a faint frame round the caption, stays too.
    void paintEvent(QPaintEvent *event) override
    {
        if (hasFocus()) {
            QPainter painter(this);
            drawFocusRing(painter, rect().adjusted(0, coveredRows, 0, 0), 1,
                          palette().color(QPalette::WindowText));
        }
        QRadioButton::paintEvent(event);
    }

    // Qt makes an option group one tab stop by taking the other buttons out
    // of the tab chain whenever one of them takes the focus. Here every
    // continent keeps its own place in the window's tab order, so that Tab
    // reaches each of them without choosing it.
    void focusInEvent(QFocusEvent *event) override
    {
        QRadioButton::focusInEvent(event);
        for (auto *option : parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
            option->setFocusPolicy(Qt::StrongFocus);
    }

    // An arrow chooses the continent it moves to. Qt would only move the
    // focus while no continent is chosen, and Left and Right, finding no
    // button beside this one, would do nothing: here they step up and down
    // the column too.
    void keyPressEvent(QKeyEvent *event) override
    {
        int key = event->key();
        if (key == Qt::Key_Left)
            key = Qt::Key_Up;
        else if (key == Qt::Key_Right)
            key = Qt::Key_Down;
        if (key != Qt::Key_Up && key != Qt::Key_Down) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        QKeyEvent step(event->type(), key, event->modifiers(), event->text(),
                       event->isAutoRepeat(), ushort(event->count()));
        QRadioButton::keyPressEvent(&step);
        event->setAccepted(step.isAccepted());
        auto *reached = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        if (reached && reached != this && reached->parentWidget() == parentWidget()
            && !reached->isChecked())
            reached->click();
    }

private:
    int coveredRows = 0;
};

// The focus ring round the report area or the river list, laid over the
// control's frame: Fusion marks their focus only with a faint tint. The ring
// is a QFocusFrame only so that assistive technology passes over it, as it
// passes over Qt's own focus frames; it is placed by the window, not by Qt.
class FocusRing : public QFocusFrame {
public:
    using QFocusFrame::QFocusFrame;

    void surround(const QWidget *control, const QRect &area, int width)
    {
        ringWidth = width;
        setGeometry(QRect(control->mapTo(parentWidget(), area.topLeft()), area.size()));
        raise();
        show();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        drawFocusRing(painter, rect(), ringWidth, palette().color(QPalette::WindowText));
    }

private:
    int ringWidth = 1;
};

// What assistive technology reads as the window's children: what the window
// shows. That leaves out the code list, a column of digits kept for the
// controller and never shown, and the focus ring.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QWidgetList children = shownChildren();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object() || !child->object()->isWidgetType())
            return -1;
        return int(shownChildren().indexOf(static_cast<QWidget *>(child->object())));
    }

private:
    QWidgetList shownChildren() const
    {
        QWidgetList shown;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && child->isVisibleTo(widget())
                && !qobject_cast<QFocusFrame *>(child))
                shown << child;
        }
        return shown;
    }
};

QAccessibleInterface *accessibleWindow(const QString &, QObject *object)
{
    if (auto *window = qobject_cast<MainWindow *>(object))
        return new WindowAccessible(window);
    return nullptr;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    // Before anything asks for this window's interface and Qt keeps its
    // default one.
    static const bool accessibleWindowInstalled =
        (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(accessibleWindowInstalled);

    setWindowTitle(fromUtf8(texts::windowTitle));
    setWindowIcon(QIcon(QStringLiteral(":/org.example.ContinentsRivers.png")));
    setFixedSize(clientArea);
    paintBackground(this, windowColour);
    setFont(QFont(QStringLiteral("Times New Roman"), 12));

    createReportArea();
    createLabels();
    createContinentGroup();
    createRiverLists();
    setTabOrder();
    routeClicks();
    nameForAssistiveTechnology();
    showFocusRing();

    setReportText(texts::statement);
    Text1[0]->setFocus();

    const QRect screenArea = screen()->availableGeometry();
    move(screenArea.center() - rect().center());
}

void MainWindow::createReportArea()
{
    // Qt lays out the area's first, empty document in the application's font
    // before the area takes the window's. Lent the window's font for that
    // moment, start-up looks up and loads one font, not two.
    const QFont applicationFont = QGuiApplication::font();
    QGuiApplication::setFont(font());
    auto *text = new QPlainTextEdit(this);
    QGuiApplication::setFont(applicationFont);
    text->setObjectName(QStringLiteral("Text1_0"));
    text->setGeometry(twips(120, 2640, 6735, 2655));
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setReadOnly(true);
    // Read-only would also take away the keyboard caret; keep it so the
    // report can be read and selected without a mouse.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setFocusPolicy(Qt::StrongFocus);
    Text1[0] = text;
}

void MainWindow::createLabels()
{
    const auto makeLabel = [this](int index, std::string_view caption, QRect geometry) {
        auto *label = new QLabel(fromUtf8(caption), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(index));
        label->setGeometry(geometry);
        label->setAlignment(Qt::AlignCenter);
        paintBackground(label, labelColour);
        Label1[index] = label;
    };
    makeLabel(0, texts::heading, twips(1080, 0, 4575, 375));
    makeLabel(1, texts::riversLabel, twips(3480, 600, 2295, 375));
}

void MainWindow::createContinentGroup()
{
    Frame1 = new QGroupBox(fromUtf8(texts::continentsFrame), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(840, 480, 2415, 1935));
    Frame1->setFocusPolicy(Qt::NoFocus);

    // The buttons share the frame, so Qt keeps at most one of them checked.
    for (int code = 0; code < int(Option1.size()); ++code) {
        auto *option = new ContinentButton(fromUtf8(catalogue::continents[code]), Frame1);
        option->setObjectName(QStringLiteral("Option1_%1").arg(code));
        option->setGeometry(twips(120, 360 + 240 * code, 2175, 285));
        paintBackground(option, optionColour);
        Option1[code] = option;
    }
    // Each strip is 19 pixels tall but they stand 16 apart, so neighbours
    // overlap by three. Stacking every button above the one below it lets
    // the overlap cover only the empty top of the lower strip, never the
    // descenders of a caption.
    for (auto it = Option1.rbegin(); it != Option1.rend(); ++it)
        (*it)->raise();
    const int covered = Option1[0]->geometry().bottom() + 1 - Option1[1]->y();
    for (auto *option : Option1)
        static_cast<ContinentButton *>(option)->setCoveredRows(covered);
}

void MainWindow::createRiverLists()
{
    auto *names = new RiverList(this);
    names->setObjectName(QStringLiteral("List1_0"));
    names->setGeometry(twips(3480, 960, 2295, 1485));
    names->setSelectionMode(QAbstractItemView::SingleSelection);
    names->setUniformItemSizes(true);
    names->setItemDelegate(new RiverRows(names));

    // The codes sit in a list of their own, never shown, item for item
    // beside the names: the river at position p is names[p] with codes[p].
    auto *codes = new QListWidget(this);
    codes->setObjectName(QStringLiteral("List1_1"));
    codes->setGeometry(twips(6120, 720, 615, 915));
    codes->setFocusPolicy(Qt::NoFocus);
    codes->hide();

    // Each list takes its items in one insertion, not eighty.
    QStringList nameItems, codeItems;
    nameItems.reserve(qsizetype(catalogue::rivers.size()));
    codeItems.reserve(qsizetype(catalogue::rivers.size()));
    for (const auto &river : catalogue::rivers) {
        nameItems.append(fromUtf8(river.name));
        codeItems.append(fromUtf8(river.code));
    }
    names->addItems(nameItems);
    codes->addItems(codeItems);
    List1 = {names, codes};
}

void MainWindow::setTabOrder()
{
    // Labels, the frame and the hidden list take no focus, so the chain is
    // the report area, four continents, the rivers, the last two continents.
    const QWidget *const chain[] = {Text1[0],  Option1[0], Option1[1], Option1[2],
                                    Option1[3], List1[0],  Option1[4], Option1[5]};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(chain[i - 1]), const_cast<QWidget *>(chain[i]));
}

void MainWindow::routeClicks()
{
    // A river click is a change of the list's selection, by mouse or keyboard.
    // Tabbing into the list moves only its current item, so it chooses nothing.
    connect(List1[0]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    controller.riverClick(0);
            });
    // clicked fires for mouse, Space and arrow-key choices, and for a click on
    // the option that is already selected; never for setChecked().
    for (int code = 0; code < int(Option1.size()); ++code)
        connect(Option1[code], &QAbstractButton::clicked, this,
                [this, code] { controller.continentClick(code); });
}

void MainWindow::nameForAssistiveTechnology()
{
    // The option buttons are named by their captions and the frame by its
    // title; Qt reads those itself, and it reads the frame as the buttons'
    // label.
    Text1[0]->setAccessibleName(fromUtf8(texts::reportName));
    Text1[0]->setAccessibleDescription(fromUtf8(texts::reportDescription));
    List1[0]->setAccessibleName(fromUtf8(texts::riverListName));
    List1[0]->setAccessibleDescription(fromUtf8(texts::riverListDescription));
    Label1[1]->setBuddy(List1[0]);
    Frame1->setAccessibleDescription(fromUtf8(texts::continentsDescription));
}

void MainWindow::showFocusRing()
{
    // The continent buttons draw their own.
    auto *ring = new FocusRing(this);
    ring->hide();
    connect(qApp, &QApplication::focusChanged, this, [=, this](QWidget *, QWidget *focused) {
        if (focused == Text1[0] || focused == List1[0])
            ring->surround(focused, focused->rect(), 2);
        else
            ring->hide();
    });
}

int MainWindow::riverCount() const
{
    return List1[0]->count();
}

std::string MainWindow::riverName(int position) const
{
    return List1[0]->item(position)->text().toStdString();
}

std::string MainWindow::riverCode(int position) const
{
    return List1[1]->item(position)->text().toStdString();
}

int MainWindow::selectedRiver() const
{
    const QModelIndexList rows = List1[0]->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MainWindow::selectRiver(int position)
{
    List1[0]->setCurrentRow(position);
}

void MainWindow::selectContinent(int code)
{
    Option1[code]->setChecked(true);
}

std::string MainWindow::continentCaption(int code) const
{
    return Option1[code]->text().toStdString();
}

std::string MainWindow::reportText() const
{
    return report;
}

void MainWindow::setReportText(std::string_view text)
{
    report = text;
    QString shown = fromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1[0]->setPlainText(shown);
}
