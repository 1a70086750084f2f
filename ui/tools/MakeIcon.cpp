// Writes the program icon as a PNG at build time: MakeIcon <size> <output.png>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "ui/Pictures.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <size> <output.png>\n", argv[0]);
        return 2;
    }
    QGuiApplication application(argc, argv);
    const int size = std::atoi(argv[1]);
    if (size <= 0 || !tarnwerk::ApplicationIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
