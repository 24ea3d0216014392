// The program entry: no arguments are read.

#include "ui/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return RunTrelvix(app);
}
