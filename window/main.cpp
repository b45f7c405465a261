#include "desktopentry.h"
#include "mainwindow.h"
#include "qttexts.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would print several lines about platform plugins and
// then abort. A pupil's launcher, or a teacher at a terminal, gets one clear
// line and an ordinary failure status instead.
bool startingUp = true;

void startupMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (startingUp && type == QtFatalMsg) {
        std::fputs("continents-rivers: няма достъпен дисплей, прозорецът не може да се покаже\n",
                   stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (startingUp && context.category && qstrncmp(context.category, "qt.qpa", 6) == 0)
        return; // the platform's own account of the same failure
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + u'\n'), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    startingUp = false;
    qInstallMessageHandler(nullptr);
    nameDesktopEntry();
    QtTextsInBulgarian qtTexts;
    QCoreApplication::installTranslator(&qtTexts);
    // The window reads only PNG, which Qt decodes itself. Without this, the
    // first picture read (the icon, the frame's border) would load and start
    // every image plugin installed (SVG, JPEG, GIF, ICO) to ask each whether
    // it reads PNG. The platform and its input methods are loaded by now.
    QCoreApplication::setLibraryPaths({});

    MainWindow window;
    window.show();
    return app.exec();
}
