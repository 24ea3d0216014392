#pragma once
// One QApplication for a widget test program, created by the first suite that needs it.

#include <QApplication>

inline void EnsureQtTestApp() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!qApp) new QApplication(argc, argv);
}
