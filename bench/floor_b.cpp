// Floor B: the pixels. Floor A's window with every text that the program
// shows at start drawn as a plain label, where the program draws it and in
// the same font. What the program costs above this is what its controls and
// its own code add.
#include "floor.h"
#include "floor_b_texts.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    benchfloor::Window window;
    for (const auto &text : benchfloor::startTexts) {
        auto *label = new QLabel(QString::fromUtf8(text.text), &window);
        label->setGeometry(text.x, text.y, text.width, text.height);
        label->setAlignment(Qt::Alignment(text.alignment));
    }
    window.showCentred();
    return app.exec();
}
