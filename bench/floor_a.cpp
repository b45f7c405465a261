// Floor A: Qt and the fonts. One window, one label in the window's font.
#include "floor.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    benchfloor::Window window;
    window.showCentred();
    return app.exec();
}
