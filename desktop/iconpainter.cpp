// Writes the program's icon as a PNG of the given size, so that the desktop
// shows the same picture as the window's title bar.
#include "ui/glyphs.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: iconpainter SIZE OUT.png\n");
        return 2;
    }
    const int size = QByteArray(argv[1]).toInt();
    return nubivu::programIcon().pixmap(size, size).toImage().save(QString::fromLocal8Bit(argv[2]))
               ? 0
               : 1;
}
