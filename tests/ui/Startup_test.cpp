// Start-up and shutdown of the real program on the offscreen platform, observed through
// its seams: the settings store and the instance lock record what happens when.

#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"
#include "ui/Startup.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "QtTestApp.h"

namespace {

std::vector<std::string> journal;

struct RecordingStore : platform::SettingsTree {
    std::optional<platform::SettingValue> read(const std::string& subkey, const std::string& name) const override {
        journal.push_back("read");
        return SettingsTree::read(subkey, name);
    }
    bool flush() override {
        // By now the main window must be closed, but still there to carry a box.
        bool windowThere = false, windowShown = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!qobject_cast<TForm1*>(w)) continue;
            windowThere = true;
            windowShown = w->isVisible();
        }
        journal.push_back(!windowThere ? "flush without window" : windowShown ? "flush while shown" : "flush");
        return true;
    }
};

struct RecordingLock : platform::MemoryInstanceLock {
    bool acquire(const std::string& name) override {
        journal.push_back("lock");
        return MemoryInstanceLock::acquire(name);
    }
};

class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtTestApp(); }
    void SetUp() override { journal.clear(); }
    RecordingStore store;
    RecordingLock lock;
};

TEST_F(StartupTest, FirstInstanceShowsTheWindowAndWritesSettingsLast) {
    StartupHooks hooks;
    hooks.settings = &store;
    hooks.lock = &lock;
    std::string title;
    int treeNodes = 0;
    hooks.onShown = [&](TForm1& form) {
        title = form.windowTitle().toStdString();
        treeNodes = form.tree()->topLevelItemCount();
        form.close();
    };
    EXPECT_EQ(RunTrelvix(*qApp, hooks), 0);
    EXPECT_EQ(title, "Trelvix");
    EXPECT_EQ(treeNodes, 1);
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.front(), "lock") << "the instance is decided before anything is read";
    EXPECT_EQ(journal.back(), "flush") << "settings are written once, at the very end";
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "flush"), 1);
    EXPECT_TRUE(store.read("Window Position", "Width").has_value());
}

TEST_F(StartupTest, SecondInstanceLeavesSilently) {
    platform::MemoryInstanceLock first;
    ASSERT_TRUE(first.acquire("Vorn Tarsel APP Exclusive Mutex"));
    StartupHooks hooks;
    hooks.settings = &store;
    hooks.lock = &lock;
    bool shown = false;
    hooks.onShown = [&](TForm1&) { shown = true; };
    EXPECT_EQ(RunTrelvix(*qApp, hooks), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(journal, (std::vector<std::string>{"lock"})) << "no settings read or written";
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
