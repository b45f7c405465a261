// What the two start-up floors share with the program's window: its size,
// frame, caption, colour, font and place on the screen, and the heading
// label. Floor A shows only this; floor B adds every other text the window
// shows at start. Neither has an icon, a control or any logic: what they cost
// is what loading Qt, the fonts and the glyphs costs, and the program is
// measured against them.
//
// The benchmark checks at run time that the program still matches these
// settings, so that a change to the window cannot leave the floors behind.
#pragma once

#include "window/texts.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <string_view>

namespace benchfloor {

// The window's client area and the heading's place, in pixels: twips / 15.
inline constexpr QSize clientArea{6915 / 15, 5385 / 15};
inline constexpr QRect headingGeometry{1080 / 15, 0, 4575 / 15, 375 / 15};

inline const QColor windowColour{192, 192, 255};
inline const QColor labelColour{255, 192, 128};

inline QFont windowFont()
{
    return QFont(QStringLiteral("Times New Roman"), 12);
}

inline constexpr Qt::WindowFlags frameFlags = Qt::Window | Qt::CustomizeWindowHint
    | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
    | Qt::MSWindowsFixedSizeDialogHint;

inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The program's window without its controls, with the heading on it.
class Window : public QWidget {
public:
    Window()
        : QWidget(nullptr, frameFlags)
    {
        setWindowTitle(fromUtf8(texts::windowTitle));
        setFixedSize(clientArea);
        QPalette windowPalette = palette();
        windowPalette.setColor(backgroundRole(), windowColour);
        setPalette(windowPalette);
        setAutoFillBackground(true);
        setFont(windowFont());

        auto *heading = new QLabel(fromUtf8(texts::heading), this);
        heading->setGeometry(headingGeometry);
        heading->setAlignment(Qt::AlignCenter);
        QPalette headingPalette = heading->palette();
        headingPalette.setColor(heading->backgroundRole(), labelColour);
        heading->setPalette(headingPalette);
        heading->setAutoFillBackground(true);
    }

    void showCentred()
    {
        const QRect screenArea = screen()->availableGeometry();
        move(screenArea.center() - rect().center());
        show();
    }
};

} // namespace benchfloor
