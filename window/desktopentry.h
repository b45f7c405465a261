#pragma once

#include <QGuiApplication>

// Desktops and Wayland compositors find the window's entry, and with it the
// name and icon shown in docks and task switchers, by this name. The build
// sets APP_ID once for the installed entry and for the program.
inline void nameDesktopEntry()
{
    QGuiApplication::setDesktopFileName(QStringLiteral(APP_ID));
}
