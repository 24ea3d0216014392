#include "ui/Startup.h"

#include "app/indEnviron.h"
#include "app/indMain.h"
#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"
#include "ui/ProcessStores.h"
#include "ui/TForm1.h"
#include "ui/UiFonts.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int RunTrelvix(QApplication& app, const StartupHooks& hooks) {
    // Fatal stops show a box from here on, the overlay check of the stores included.
    platform::installQtFatalPresenter();
    std::unique_ptr<platform::SettingsStore> userStore;
    if (!hooks.settings) userStore = platform::makeUserSettingsStore(indEnviron::kKeyPath);
    platform::SettingsStore& settingsStore = hooks.settings ? *hooks.settings : *userStore;
    ProcessStores stores(settingsStore);

    const QRect screen = app.primaryScreen() ? app.primaryScreen()->geometry() : QRect(0, 0, 1024, 768);
    std::unique_ptr<platform::InstanceLock> systemLock;
    if (!hooks.lock) systemLock = platform::makeSystemInstanceLock();
    indEnviron settings(indEnviron::kMutexName, settingsStore, hooks.lock ? *hooks.lock : *systemLock,
                        {screen.width(), screen.height()});
    // A second instance leaves at once, without a window and without touching the settings.
    if (!settings.IsFirstInstance()) return 0;

    cmcEvMan events;
    indMain controller(settings, events);

    TForm1 form(controller);
    stores.dialogs().setParent(&form);
    const std::string title = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    form.setWindowTitle(QString::fromStdString(title));
    QApplication::setApplicationName(QString::fromStdString(title));
    {
        cmcCellObj look;
        ParseCell(look, GTex().GetLine("GI_Form_Main_BasicCell", 0), nullptr, nullptr);
        if (look.font) form.setFont(ToQFont(*look.font, form.font()));
    }
    const QRect work = app.primaryScreen() ? app.primaryScreen()->availableGeometry() : screen;
    const WinRect placed = KeepReachable({settings.left, settings.top, settings.width, settings.height},
                                         {work.left(), work.top(), work.right() + 1, work.bottom() + 1});
    form.resize(placed.width, placed.height);  // the form's minimum size still holds
    form.move(placed.left, placed.top);

    controller.BuildMainWindow(form);
    form.show();
    if (hooks.onShown) QTimer::singleShot(0, &form, [&] { hooks.onShown(form); });
    const int code = app.exec();
    // The settings are written here, once, while the window can still carry a box saying
    // that the save failed; the settings' destructor then writes nothing.
    settings.SaveOnce(true);
    return code;
}

namespace {
long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}
}  // namespace

int TrelvixMain(int argc, char** argv) {
    QApplication app(argc, argv);
    StartupHooks hooks;
    if (std::getenv("TRELVIX_STARTUP_PROBE")) {
        hooks.onShown = [](TForm1& form) {
            std::printf("shown rss=%ld\n", ResidentKilobytes());
            std::fflush(stdout);
            form.close();
        };
    }
    return RunTrelvix(app, hooks);
}
