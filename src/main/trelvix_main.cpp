// The program entry: no arguments are read.
//
// TRELVIX_STARTUP_PROBE=1 makes the program report, once its main window is shown, the
// resident memory in kilobytes on standard output ("shown rss=N") and end; the startup
// benchmark measures from process start to that line.

#include "ui/Startup.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    StartupHooks hooks;
    if (std::getenv("TRELVIX_STARTUP_PROBE")) {
        hooks.onShown = [](TForm1& form) {
            std::printf("shown rss=%ld\n", residentKilobytes());
            std::fflush(stdout);
            form.close();
        };
    }
    return RunTrelvix(app, hooks);
}
