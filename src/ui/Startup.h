#pragma once
// The program's start-up and shutdown, in the order the process-wide objects need: the
// process-wide stores (ProcessStores: overlay, help, selection lists, scheduler, dialogs,
// serial ports), settings (with the single-instance lock), the event manager, the
// controller; then the main window. Returns the process exit code.

#include <functional>

class QApplication;
class TForm1;

namespace platform {
class SettingsStore;
class InstanceLock;
}  // namespace platform

struct StartupHooks {
    // The settings backend and the instance lock; the per-user file and the system lock
    // when not given.
    platform::SettingsStore* settings = nullptr;
    platform::InstanceLock* lock = nullptr;
    // Called once the main window is shown (benchmarks and tests act from here).
    std::function<void(TForm1&)> onShown;
};

int RunTrelvix(QApplication& app, const StartupHooks& hooks = {});

// The program entry: creates the application object and runs the program. With
// TRELVIX_STARTUP_PROBE set, it reports "shown rss=N" (resident kilobytes) on standard
// output once the main window is shown, and ends; the startup benchmark reads that line.
int TrelvixMain(int argc, char** argv);
