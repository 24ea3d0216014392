#include "app/indEnviron.h"

#include "overlay/cmcGTex.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using platform::SettingValue;

constexpr ScreenSize kScreen{1024, 768};

// A complete, valid stored state, as the first run of the program writes it.
void storeValid(platform::SettingsTree& s) {
    s.write("Global", "BBT", 753951);
    s.write("Global", "ComPort", 3);
    s.write("Global", "ComSpeedHigh", 1);
    s.write("Global", "Current Directory", std::string("/home/tech/radios"));
    for (int i = 0; i < 10; ++i) s.write("Recent File List", "Recent" + std::to_string(i), std::string());
    s.write("View Option", "FontSize Percentage", 150);
    s.write("View Option", "Toolbar Visible", 0);
    s.write("Window Position", "Left", 10);
    s.write("Window Position", "Top", 20);
    s.write("Window Position", "Width", 640);
    s.write("Window Position", "Height", 480);
    s.write("Window Position", "SplitterV", 3);
    s.write("Setup", "ModelType", 2);
}

class indEnvironTest : public ::testing::Test {
protected:
    indEnvironTest() { overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL"); }
    cmcGTex overlay;  // the message box's caption
    ScopedGTex install{overlay};
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
};

TEST_F(indEnvironTest, EmptyStoreGivesDefaultsAndWritesEverythingAtExit) {
    {
        indEnviron env(indEnviron::kMutexName, store, lock, kScreen);
        ASSERT_TRUE(env.IsFirstInstance());
        EXPECT_EQ(env.comPort, 1);
        EXPECT_EQ(env.fontSizePercentage, 100);
        EXPECT_EQ(env.modelType, 4);
        // 1,024 x 768: 800 x 600 at 112, 50.
        EXPECT_EQ(env.width, 800);
        EXPECT_EQ(env.height, 600);
        EXPECT_EQ(env.left, 112);
        EXPECT_EQ(env.top, 50);
        EXPECT_EQ(env.splitterV, 200);
    }
    EXPECT_EQ(store.read("Global", "BBT"), SettingValue(753951));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(store.read("Recent File List", "Recent" + std::to_string(i)), SettingValue(std::string()));
    EXPECT_EQ(store.read("Setup", "ModelType"), SettingValue(4));
}

TEST_F(indEnvironTest, ClampsOnLoad) {
    struct Case {
        const char* subkey;
        const char* name;
        std::int32_t stored;
        std::int32_t indEnviron::*member;
        std::int32_t loaded;
    };
    const Case cases[] = {
        {"Global", "ComPort", 0, &indEnviron::comPort, 1},
        {"Global", "ComPort", 300, &indEnviron::comPort, 256},
        {"View Option", "FontSize Percentage", 10, &indEnviron::fontSizePercentage, 25},
        {"View Option", "FontSize Percentage", 5000, &indEnviron::fontSizePercentage, 1000},
        {"View Option", "Toolbar Visible", 7, &indEnviron::toolbarVisible, 1},
        {"Global", "ComSpeedHigh", -3, &indEnviron::comSpeedHigh, 0},
        {"Global", "ComSpeedHigh", 9, &indEnviron::comSpeedHigh, 1},
        {"Setup", "ModelType", 0x1FF, &indEnviron::modelType, -1},  // low 8 bits, signed
        {"Window Position", "SplitterV", 3, &indEnviron::splitterV, 3},
    };
    for (const Case& c : cases) {
        platform::SettingsTree s;
        storeValid(s);
        s.write(c.subkey, c.name, c.stored);
        platform::MemoryInstanceLock l;
        indEnviron env(indEnviron::kMutexName, s, l, kScreen);
        EXPECT_EQ(env.*c.member, c.loaded) << c.name << " = " << c.stored;
        EXPECT_EQ(env.currentDirectory, "/home/tech/radios");
    }
}

TEST_F(indEnvironTest, AnyBadOrMissingIntegerMeansAllDefaults) {
    struct Case {
        const char* what;
        void (*spoil)(platform::SettingsTree&);
    };
    const Case cases[] = {
        {"wrong BBT", [](platform::SettingsTree& s) { s.write("Global", "BBT", 1); }},
        {"missing integer", [](platform::SettingsTree& s) { s.removeValue("Window Position", "Height"); }},
        {"integer stored as text", [](platform::SettingsTree& s) { s.write("Global", "ComPort", std::string("3")); }},
        {"directory stored as integer", [](platform::SettingsTree& s) { s.write("Global", "Current Directory", 5); }},
    };
    for (const Case& c : cases) {
        platform::SettingsTree s;
        storeValid(s);
        c.spoil(s);
        {
            platform::MemoryInstanceLock l;
            indEnviron env(indEnviron::kMutexName, s, l, kScreen);
            EXPECT_EQ(env.comPort, 1) << c.what;
            EXPECT_EQ(env.width, 800) << c.what;
            EXPECT_EQ(env.currentDirectory, "") << c.what;
            env.fontSizePercentage = 120;  // a change during the run
        }
        // The defaults, with the change, replace what was stored.
        EXPECT_EQ(s.read("Global", "BBT"), SettingValue(753951)) << c.what;
        EXPECT_EQ(s.read("Global", "ComPort"), SettingValue(1)) << c.what;
        EXPECT_EQ(s.read("View Option", "FontSize Percentage"), SettingValue(120)) << c.what;
    }
}

TEST_F(indEnvironTest, RecentFilesIgnoreCaseAndKeepTheLastRead) {
    storeValid(store);
    store.write("Recent File List", "Recent0", std::string("C:\\A.txt"));
    store.write("Recent File List", "Recent1", std::string("/b.tdf"));
    store.write("Recent File List", "Recent2", std::string("c:\\a.TXT"));
    indEnviron env(indEnviron::kMutexName, store, lock, kScreen);
    ASSERT_EQ(env.RecentCount(), 2);
    EXPECT_EQ(env.RecentItem(0), "/b.tdf");
    EXPECT_EQ(env.RecentItem(1), "c:\\a.TXT");
    EXPECT_EQ(env.RecentItem(2), "");
    env.RecentAddFront("/B.TDF");
    EXPECT_EQ(env.RecentCount(), 2);
    EXPECT_EQ(env.RecentItem(0), "/B.TDF");
    for (int i = 0; i < 12; ++i) env.RecentAddFront("/f" + std::to_string(i));
    EXPECT_EQ(env.RecentCount(), 10);
    EXPECT_EQ(env.RecentItem(0), "/f11");
}

TEST_F(indEnvironTest, EditWindowPositionsNeedAllFiveValues) {
    storeValid(store);
    for (const char* f : {"Left", "Top", "Width", "Height", "WindowState"})
        store.write("EditForm Position", std::string("GI_Sheet_Win_AD_") + f, 11);
    for (const char* f : {"Left", "Top", "Width", "Height"})
        store.write("EditForm Position", std::string("GI_Sheet_Win_X_") + f, 5);
    {
        indEnviron env(indEnviron::kMutexName, store, lock, kScreen);
        EXPECT_EQ(env.FindEditWindowPos("GI_Sheet_Win_X"), nullptr) << "four of five values: no position";
        const EditWindowPos* ad = env.FindEditWindowPos("GI_Sheet_Win_AD");
        ASSERT_NE(ad, nullptr);
        EXPECT_EQ(ad->width, 11);
        EXPECT_EQ(ad->topRow, -1);
        env.StoreEditWindowPos({"GI_Sheet_Win_New", 1, 2, 3, 4, 0, 0, 0, 0, 2, 1});
    }
    EXPECT_EQ(store.read("EditForm Position", "GI_Sheet_Win_New_WindowState"), SettingValue(2));
    EXPECT_EQ(store.read("EditForm Position", "GI_Sheet_Win_AD_Left"), SettingValue(11));
}

// A store that refuses the write of one value name, or whose flush fails.
struct FailingStore : platform::SettingsTree {
    std::string refused;
    bool flushFails = false;
    int flushes = 0;
    bool write(const std::string& subkey, const std::string& name, const SettingValue& value) override {
        return name != refused && SettingsTree::write(subkey, name, value);
    }
    bool flush() override {
        ++flushes;
        return !flushFails;
    }
};

TEST_F(indEnvironTest, AFailedSaveWritesWhatItCanAndSaysSoOnStandardError) {
    struct Case {
        const char* what;
        const char* refused;
        bool flushFails;
    };
    for (const Case& c : {Case{"refused write", "ComPort", false}, Case{"failed flush", "", true}}) {
        platform::ScopedScriptedDialogs dlg;
        FailingStore s;
        s.refused = c.refused;
        s.flushFails = c.flushFails;
        testing::internal::CaptureStderr();
        {
            platform::MemoryInstanceLock l;
            indEnviron env(indEnviron::kMutexName, s, l, kScreen);
            env.fontSizePercentage = 120;
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("settings could not be saved"), std::string::npos) << c.what << ": " << err;
        EXPECT_TRUE(dlg.dialogs.messages.empty()) << c.what << ": no window left for a box at destruction";
        EXPECT_EQ(s.read("View Option", "FontSize Percentage"), SettingValue(120)) << c.what << ": the rest is written";
        EXPECT_EQ(s.flushes, 1) << c.what;
    }
}

TEST_F(indEnvironTest, SaveWhileTheWindowIsThereShowsABoxAndHappensOnce) {
    for (bool flushFails : {false, true}) {
        platform::ScopedScriptedDialogs dlg;
        FailingStore s;
        s.flushFails = flushFails;
        testing::internal::CaptureStderr();
        {
            platform::MemoryInstanceLock l;
            indEnviron env(indEnviron::kMutexName, s, l, kScreen);
            EXPECT_EQ(env.SaveOnce(true), !flushFails);
            EXPECT_TRUE(env.SaveOnce(true)) << "a second call writes nothing";
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(s.flushes, 1) << "written once, not again at destruction";
        ASSERT_EQ(dlg.dialogs.messages.size(), flushFails ? 1u : 0u);
        EXPECT_EQ(err.empty(), !flushFails) << err;
        if (flushFails) {
            EXPECT_EQ(dlg.dialogs.messages[0].icon, platform::DlgIcon::Warning);
            EXPECT_EQ(dlg.dialogs.messages[0].text.rfind("The settings could not be saved to ", 0), 0u)
                << "the overlay's words: " << dlg.dialogs.messages[0].text;
        }
    }
}

TEST_F(indEnvironTest, SettingsFileThatCannotBeReplacedStaysAsItWasAndIsNamed) {
    TRELVIX_SKIP_WITHOUT_DISK_FULL();
    testsupport::TempDir dir;
    const std::string path = dir.file("Tarsel.reg");
    const std::string root = "HKEY_CURRENT_USER\\Software\\Vorn\\Tarsel";
    {
        platform::RegFileSettings file(path, root);
        platform::MemoryInstanceLock l;
        indEnviron env(indEnviron::kMutexName, file, l, kScreen);
        ASSERT_TRUE(env.SaveOnce(true));
    }
    const std::string before = testsupport::readFile(path);
    platform::ScopedScriptedDialogs dlg;
    platform::RegFileSettings file(path, root);
    platform::MemoryInstanceLock l;
    indEnviron env(indEnviron::kMutexName, file, l, kScreen);
    env.currentDirectory = std::string(4096, 'x');
    {
        testsupport::DiskFull full(before.size() + 100);
        EXPECT_FALSE(env.SaveOnce(true));
    }
    EXPECT_EQ(testsupport::readFile(path), before);
    ASSERT_EQ(dlg.dialogs.messages.size(), 1u);
    EXPECT_NE(dlg.dialogs.messages[0].text.find(path), std::string::npos) << dlg.dialogs.messages[0].text;
}

TEST_F(indEnvironTest, SecondInstanceReadsAndWritesNothing) {
    storeValid(store);
    indEnviron first(indEnviron::kMutexName, store, lock, kScreen);
    const auto before = store.subkeys();
    {
        platform::MemoryInstanceLock otherLock;
        indEnviron second(indEnviron::kMutexName, store, otherLock, kScreen);
        EXPECT_FALSE(second.IsFirstInstance());
        EXPECT_EQ(second.comPort, 1) << "nothing loaded";
        second.comPort = 9;
    }
    EXPECT_EQ(store.subkeys(), before);
}

}  // namespace
