// The start-up wiring: what the program's stores answer while it runs, and that nothing of
// them is left installed once the run is over.

#include "ui/ProcessStores.h"
#include "overlay/CodePage.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "platform/Dialogs.h"
#include "platform/FatalStop.h"
#include "platform/InstanceLock.h"
#include "platform/Scheduler.h"
#include "platform/SerialPort.h"
#include "platform/SettingsStore.h"
#include "ui/Startup.h"
#include "ui/TForm1.h"

#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "support/TempDir.h"

namespace {

// What every process-wide accessor answers.
struct Installed {
    const void* text = &GTex();
    const void* help = &HelpGTex();
    const void* selections = &FCache();
    const void* scheduler = &platform::scheduler();
    const void* dialogs = &platform::dialogs();
    const void* serialPorts = &platform::serialPorts();
    int codePage = OverlayCodePage();
    bool portLookup = static_cast<bool>(platform::storedComPortLookup());

    bool operator==(const Installed&) const = default;
};

class ProcessStoresTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtTestApp(); }
    platform::SettingsTree settings;
};

TEST_F(ProcessStoresTest, InstallAllStoresForTheirLifetimeOnly) {
    settings.write("Ports", "COM3", std::string("/dev/ttyStored3"));
    const Installed before;
    {
        ProcessStores stores(settings);
        const Installed during;
        EXPECT_NE(during.text, before.text);
        EXPECT_NE(during.help, before.help);
        EXPECT_NE(during.selections, before.selections);
        EXPECT_NE(during.scheduler, before.scheduler);
        EXPECT_EQ(during.dialogs, &stores.dialogs());
        EXPECT_EQ(during.serialPorts, &platform::systemSerialPorts());
        EXPECT_EQ(during.codePage, kCodePageUtf8);

        EXPECT_EQ(GTex().GetLine("GI_Sys_AppTitle_ADJ", 0), "Trelvix");
        // The help store reads the product overlay's topic tables through its own store.
        EXPECT_EQ(HelpGTex().GetLine("GI_AppItem_Topic_ID", 0), "#");
        EXPECT_EQ(HelpGTex().GetLine("GI_AppItem_Context_ID", 0), "#");
        // COM numbers reach the paths the settings store, read when asked.
        EXPECT_EQ(platform::resolveComPort(3, platform::systemComPortSources()), "/dev/ttyStored3");
        settings.write("Ports", "COM3", std::string("/dev/ttyLater"));
        EXPECT_EQ(platform::resolveComPort(3, platform::systemComPortSources()), "/dev/ttyLater");
    }
    EXPECT_EQ(Installed{}, before);
}

TEST_F(ProcessStoresTest, AMissingOrUnreadableOverlayStopsAtStartUp) {
    platform::setFatalPresenter(nullptr);  // no box to wait for in the dying child
    testsupport::TempDir dir;
    const std::string missing = dir.file("Trelvix.OVL");
    EXPECT_DEATH({ ProcessStores stores(settings, missing); },
                 "GTEX Error !\nThe index 'GI_Sys_AppTitle_ADJ' was not found\\.");
    // A directory opens but reads nothing.
    EXPECT_DEATH({ ProcessStores stores(settings, dir.path().string()); }, "GTEX Error !");
}

TEST_F(ProcessStoresTest, TheProgramRunsOnItsStoresAndLeavesNoneInstalled) {
    platform::MemoryInstanceLock lock;
    StartupHooks hooks;
    hooks.settings = &settings;
    hooks.lock = &lock;
    const Installed before;
    std::string topics;
    bool ownStores = false;
    hooks.onShown = [&](TForm1& form) {
        const Installed during;
        ownStores = during.text != before.text && during.help != before.help && during.portLookup;
        topics = HelpGTex().GetLine("GI_AppItem_Key_Assign_Topic_ID", 0);
        form.close();
    };
    EXPECT_EQ(RunTrelvix(*qApp, hooks), 0);
    EXPECT_TRUE(ownStores);
    EXPECT_EQ(topics, "#");
    EXPECT_EQ(Installed{}, before);
}

}  // namespace
