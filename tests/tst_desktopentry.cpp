#include "window/desktopentry.h"
#include "window/mainwindow.h"

#include <QDir>
#include <QImage>
#include <QTest>

// Reads the tree that the install_tree test has just installed.
class TestDesktopEntry : public QObject {
    Q_OBJECT

    const QDir tree{qEnvironmentVariable("INSTALLED_TREE")};

private slots:
    // A compositor looks for "<desktop file name>.desktop"; the program must
    // give Qt the name of the one entry that is installed.
    void programNamesTheInstalledEntry()
    {
        nameDesktopEntry();
        const QStringList entries =
            QDir(tree.filePath(QStringLiteral("share/applications"))).entryList({QStringLiteral("*.desktop")});
        QCOMPARE(entries, QStringList{QGuiApplication::desktopFileName() + QStringLiteral(".desktop")});
    }

    // The window's own icon, which the window manager draws in the title bar,
    // is the same picture the desktop shows for the installed entry.
    void windowShowsTheInstalledIcon()
    {
        nameDesktopEntry();
        const QImage installed(tree.filePath(QStringLiteral("share/icons/hicolor/32x32/apps/")
                                             + QGuiApplication::desktopFileName() + QStringLiteral(".png")));
        QVERIFY(!installed.isNull());

        MainWindow window;
        const QImage shown = window.windowIcon().pixmap(QSize(32, 32)).toImage();
        // Premultiplied, so that every fully transparent pixel compares equal
        // whatever colour the palette gives it.
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
};

QTEST_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
