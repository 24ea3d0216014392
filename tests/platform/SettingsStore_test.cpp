#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::SettingValue;
const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Vorn\\Tarsel";

TEST(RegFileSettings, RoundTripsTypesEscapesAndForeignSections) {
    testsupport::TempDir dir;
    const std::string path = dir.file("Vorn/Tarsel.reg");
    {
        platform::RegFileSettings s(path, kRoot);
        s.write("Global", "BBT", 753951);
        s.write("Global", "Neg", -2);
        s.write("Global", "Current Directory", std::string("C:\\Radio \"A\""));
        s.write("Ports", "COM7", std::string("/dev/ttyUSB3"));
        ASSERT_TRUE(s.flush());
    }
    const std::string text = testsupport::readFile(path);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vorn\\Tarsel\\Global]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"BBT\"=dword:000b811f\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Current Directory\"=\"C:\\\\Radio \\\"A\\\"\"\r\n"), std::string::npos);

    // A section of another program and a value of another type survive a rewrite.
    testsupport::writeFile(path, text + "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"X\"=hex:01,02\r\n");
    {
        platform::RegFileSettings s(path, kRoot);
        EXPECT_EQ(s.read("global", "bbt"), SettingValue(753951)) << "names ignore case";
        EXPECT_EQ(s.read("Global", "Neg"), SettingValue(-2));
        EXPECT_EQ(s.read("Global", "Current Directory"), SettingValue(std::string("C:\\Radio \"A\"")));
        EXPECT_EQ(s.read("Ports", "COM7"), SettingValue(std::string("/dev/ttyUSB3")));
        s.write("Global", "ComPort", 2);
        ASSERT_TRUE(s.flush());
    }
    EXPECT_NE(testsupport::readFile(path).find("[HKEY_CURRENT_USER\\Software\\Other]\r\n\"X\"=hex:01,02"),
              std::string::npos);
}

TEST(RegFileSettings, MalformedOrMissingFileReadsAsEmpty) {
    testsupport::TempDir dir;
    for (const char* text : {"", "garbage", "Windows Registry Editor Version 5.00\r\n\"orphan\"=dword:1\r\n",
                             "Windows Registry Editor Version 5.00\r\n[x]\r\n\"a\"=dword:zz\r\n"}) {
        testsupport::writeFile(dir.file("s.reg"), text);
        platform::RegFileSettings s(dir.file("s.reg"), kRoot);
        EXPECT_TRUE(s.subkeys().empty()) << text;
    }
    platform::RegFileSettings missing(dir.file("none.reg"), kRoot);
    EXPECT_TRUE(missing.subkeys().empty());
}

TEST(RegFileSettings, FailedFlushLeavesThePreviousFile) {
    TRELVIX_SKIP_WITHOUT_DISK_FULL();
    testsupport::TempDir dir;
    const std::string path = dir.file("s.reg");
    platform::RegFileSettings s(path, kRoot);
    s.write("Global", "BBT", 1);
    ASSERT_TRUE(s.flush());
    const std::string before = testsupport::readFile(path);
    s.write("Global", "Current Directory", std::string(4096, 'x'));
    {
        testsupport::DiskFull full(before.size() + 100);  // the new text does not fit
        EXPECT_FALSE(s.flush());
    }
    EXPECT_EQ(testsupport::readFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
}

TEST(InstanceLock, SecondHolderOfANameIsRefusedUntilTheFirstLets) {
    testsupport::TempDir dir;
    testsupport::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", dir.path().string());  // the lock file's folder
    auto first = platform::makeSystemInstanceLock();
    auto second = platform::makeSystemInstanceLock();
    EXPECT_TRUE(first->acquire("Vorn Tarsel APP Exclusive Mutex"));
    EXPECT_FALSE(second->acquire("Vorn Tarsel APP Exclusive Mutex"));
    first->release();
    EXPECT_TRUE(second->acquire("Vorn Tarsel APP Exclusive Mutex"));
}

}  // namespace
