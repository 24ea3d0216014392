// The clone driver against the virtual radio, over a real pseudo-terminal, with the
// radio running as its own process.
#include "RadioSimProcess.h"
#include "comm/indCloneMan.h"
#include "image/cmcIcfFile.h"
#include "platform/posix/PollLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <random>

using testsupport::RadioSimProcess;

namespace {

const AddressRange kWholeEeprom[] = {{0x0000, 0xFF7F}, {1, 0}};
const AddressRange kWriteRange[] = {{0x0100, 0xFF7F}, {1, 0}};

cmcEeprom randomImage(unsigned seed) {
    cmcEeprom image(cmcEeprom::kImageSize);
    std::mt19937 rng(seed);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) image.SetByte(a, static_cast<std::uint8_t>(rng()));
    return image;
}

void saveFile(const std::string& path, const cmcEeprom& image) {
    cmcEeprom copy = image;
    cmcIcfFile file(copy);
    file.SetShowMessages(false);
    file.SetCodes(0x2897, 0);
    file.SetMapRevision(5);
    ASSERT_EQ(file.Write(path, kWholeEeprom), FileError::Ok);
}

cmcEeprom loadFile(const std::string& path) {
    cmcEeprom image(cmcEeprom::kEepromSize);
    cmcIcfFile file(image);
    file.SetShowMessages(false);
    file.SetCodes(0x2897, 0);
    file.SetMapRevisionCheck([](std::int32_t) { return true; });
    EXPECT_EQ(file.Read(path, kWholeEeprom), FileError::Ok);
    return image;
}

class CloneOverPtyTest : public ::testing::Test {
protected:
    // What the radio answers, once at least `count` bytes arrived (or 5 s passed).
    std::string readAtLeast(cmcComm& comm, std::size_t count) {
        std::string got;
        loop.runUntil(
            [&] {
                std::uint8_t buffer[64];
                const std::int32_t n = comm.read(buffer, sizeof buffer);
                got.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n));
                return got.size() >= count;
            },
            5000);
        return got;
    }
    void connect(RadioSimProcess& sim) {
        ASSERT_FALSE(sim.device().empty()) << "trelvix-radiosim did not start";
        man.setPortPath(sim.device());
        man.setCodes(0x2897, 0);
        man.setImageSize(cmcEeprom::kImageSize);
    }
    // Runs the loop until the completion came; returns the status.
    std::optional<CloneStatus> wait(int timeoutMs = 120'000) {
        loop.runUntil([&] { return result.has_value(); }, timeoutMs);
        return result ? std::optional(result->status) : std::nullopt;
    }
    indCloneMan::Completion record() {
        return [this](dst_CDrv_Result& r) {
            EXPECT_FALSE(result) << "the completion came twice";
            result.emplace();
            result->status = r.status;
            result->modelCode = r.modelCode;
            result->modelInfo = r.modelInfo;
            result->image = r.image;
        };
    }

    platform::PollLoop loop;
    platform::ScopedScheduler useLoop{loop};
    testsupport::TempDir dir;
    indCloneMan man;
    std::optional<dst_CDrv_Result> result;
};

TEST_F(CloneOverPtyTest, IdentifyReportsTheConfiguredRadio) {
    RadioSimProcess sim({"--mobile", "--level", "6", "--end", "7FF3", "--serial", "0B0000123456", "--revision",
                         "2.3", "--codes", "28970100"});
    connect(sim);
    ASSERT_TRUE(man.identify(record()));
    ASSERT_EQ(wait(), CloneStatus::Success);
    EXPECT_EQ(result->modelCode, 0x2897);
    const cmcBuff& block = result->modelInfo;
    ASSERT_EQ(block.length(), 125);
    EXPECT_EQ(*block.at(0), 125) << "the block's own length";
    EXPECT_EQ(*block.at(35), 6) << "level";
    EXPECT_EQ(*block.at(34), 0x23) << "revision";
    EXPECT_EQ(*block.at(51) & 0x04, 0) << "mobile";
    EXPECT_EQ(std::string(block.view().substr(56, 4)), "7FF3");
    EXPECT_EQ(std::string(block.view().substr(37, 12)), "0B0000123456");
}

TEST_F(CloneOverPtyTest, AFullReadGivesTheRadiosImage) {
    const cmcEeprom radioImage = randomImage(5);
    saveFile(dir.file("radio.tdf"), radioImage);
    RadioSimProcess sim({"--image", dir.file("radio.tdf")});
    connect(sim);
    // As the read command does it: identify at 9,600, read at 38,400.
    ASSERT_TRUE(man.identify(record()));
    ASSERT_EQ(wait(), CloneStatus::Success);
    result.reset();
    ASSERT_TRUE(man.read(kWholeEeprom, record()));
    ASSERT_EQ(wait(), CloneStatus::Success);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) {
        ASSERT_EQ(result->image.GetByte(a), radioImage.GetByte(a)) << "address " << a;
    }
    // The radio follows the speed script back down.
    result.reset();
    ASSERT_TRUE(man.identify(record()));
    EXPECT_EQ(wait(), CloneStatus::Success);
}

TEST_F(CloneOverPtyTest, AFullWriteDeliversOurImage) {
    const cmcEeprom ours = randomImage(9);
    RadioSimProcess sim({"--save", dir.file("received.tdf")});
    connect(sim);
    ASSERT_TRUE(man.write(ours, kWriteRange, true, record()));
    ASSERT_EQ(wait(), CloneStatus::Success);
    const cmcEeprom received = loadFile(dir.file("received.tdf"));
    for (std::int32_t a = 0x0100; a < cmcEeprom::kEepromSize; ++a) {
        ASSERT_EQ(received.GetByte(a), ours.GetByte(a)) << "address " << a;
    }
}

TEST_F(CloneOverPtyTest, EachInjectedFaultEndsWithItsStatus) {
    enum class Op { Identify, Read, Write };
    struct Case {
        const char* fault;
        Op op;
        CloneStatus status;
    };
    const Case cases[] = {
        {"bad-checksum", Op::Read, CloneStatus::Format},   {"lower-case", Op::Read, CloneStatus::Format},
        {"wrong-count", Op::Read, CloneStatus::FrameCount}, {"missing-block", Op::Read, CloneStatus::Incomplete},
        {"extra-block", Op::Read, CloneStatus::OutOfRange}, {"garbage", Op::Read, CloneStatus::Success},
        {"stall", Op::Read, CloneStatus::Timeout},          {"refuse", Op::Write, CloneStatus::Format},
        {"e6-01", Op::Write, CloneStatus::NotAcknowledged}, {"silence", Op::Identify, CloneStatus::Timeout},
        {"non-bcd", Op::Identify, CloneStatus::Format},
    };
    const AddressRange readRange[] = {{0x0000, 0x07FF}, {1, 0}};
    const AddressRange writeRange[] = {{0x0100, 0x04FF}, {1, 0}};
    const cmcEeprom ours = randomImage(3);
    for (const Case& c : cases) {
        RadioSimProcess sim({"--fault", c.fault, "--end", "07FF"});
        indCloneMan m;
        m.setPortPath(sim.device());
        m.setCodes(0x2897, 0);
        m.setImageSize(cmcEeprom::kImageSize);
        std::optional<CloneStatus> status;
        int calls = 0;
        auto done = [&](dst_CDrv_Result& r) { status = r.status, ++calls; };
        switch (c.op) {
            case Op::Identify: m.identify(done); break;
            case Op::Read: m.read(readRange, done); break;
            case Op::Write: m.write(ours, writeRange, true, done); break;
        }
        loop.runUntil([&] { return calls > 0; }, 60'000);
        EXPECT_EQ(calls, 1) << c.fault;
        EXPECT_EQ(status, c.status) << c.fault;
    }
}

TEST_F(CloneOverPtyTest, KillingTheRadioInTheMiddleOfAReadEndsItWithStatus5) {
    RadioSimProcess sim({});
    connect(sim);
    cmcEeprom ourImage = randomImage(1);
    const cmcEeprom before = ourImage;
    ASSERT_TRUE(man.read(kWholeEeprom, [&](dst_CDrv_Result& r) {
        result.emplace();
        result->status = r.status;
        if (r.status == CloneStatus::Success) ourImage = r.image;  // only a good read replaces ours
    }));
    loop.runUntil([&] { return man.driver().dataBytesDone() > 0x2000; }, 60'000);
    ASSERT_GT(man.driver().dataBytesDone(), 0x2000);
    sim.kill();
    ASSERT_EQ(wait(), CloneStatus::Timeout);
    EXPECT_TRUE(ourImage == before) << "nothing half-written in our image";
    EXPECT_FALSE(man.isBusy());
}

TEST_F(CloneOverPtyTest, APacedRadioStillReadsAndWrites) {
    RadioSimProcess sim({"--pace", "--end", "03FF"});
    connect(sim);
    const AddressRange readRange[] = {{0x0000, 0x03FF}, {1, 0}};
    ASSERT_TRUE(man.read(readRange, record()));
    ASSERT_EQ(wait(), CloneStatus::Success);
    result.reset();
    const AddressRange writeRange[] = {{0x0100, 0x03FF}, {1, 0}};
    ASSERT_TRUE(man.write(randomImage(2), writeRange, false, record()));
    EXPECT_EQ(wait(), CloneStatus::Success);
}

TEST_F(CloneOverPtyTest, LiveItemsAreAnsweredFromTheRadiosTables) {
    RadioSimProcess sim({});
    ASSERT_FALSE(sim.device().empty());
    cmcComm comm;
    ASSERT_TRUE(comm.openPath(sim.device(), "9600,N,8,1"));
    // Read back parameter 1, then set item 0x21 to 0x3A: each reply carries the value as text.
    const std::vector<std::uint8_t> readBack = cmcCloneDrv::decodeHexText("FEFE EE EF E8 2897 0000 03 3031 FD");
    const std::vector<std::uint8_t> adjust = cmcCloneDrv::decodeHexText("FEFE EE EF E8 2897 0000 21 3341 FD");
    comm.send(readBack.data(), static_cast<std::int32_t>(readBack.size()));
    comm.send(adjust.data(), static_cast<std::int32_t>(adjust.size()));
    const std::string got = readAtLeast(comm, 26);
    static const char kExpected[] = "\xFE\xFE\xEF\xEE\xE8\x28\x97\x00\x00\x03" "9C\xFD"
                                    "\xFE\xFE\xEF\xEE\xE8\x28\x97\x00\x00\x21" "3A\xFD";
    EXPECT_EQ(got, std::string(kExpected, sizeof kExpected - 1));
}

TEST_F(CloneOverPtyTest, TheTraceNamesEachFrameAtOnceAndTheDetectorAnswersItsShape) {
    const std::string trace = dir.file("trace.txt");
    RadioSimProcess sim({"--trace", trace, "--detector", "linear:0-255"});
    ASSERT_FALSE(sim.device().empty());
    auto traced = [&] {
        std::ifstream in(trace, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_TRUE(std::filesystem::exists(trace)) << "made at start-up";
    EXPECT_EQ(traced(), "");
    cmcComm comm;
    ASSERT_TRUE(comm.openPath(sim.device(), "9600,N,8,1"));
    // Set item 0x41 to 0xC4, then read parameter 3: a rising detector reads the value set.
    const std::vector<std::uint8_t> frames =
        cmcCloneDrv::decodeHexText("FEFE EE EF E8 2897 0000 41 4334 FD FEFE EE EF E8 2897 0000 03 3033 FD");
    comm.send(frames.data(), static_cast<std::int32_t>(frames.size()));
    const std::string got = readAtLeast(comm, 26);
    static const char kExpected[] = "\xFE\xFE\xEF\xEE\xE8\x28\x97\x00\x00\x41" "C4\xFD"
                                    "\xFE\xFE\xEF\xEE\xE8\x28\x97\x00\x00\x03" "C4\xFD";
    EXPECT_EQ(got, std::string(kExpected, sizeof kExpected - 1));
    EXPECT_EQ(traced(), "E8 41 C4\nE8 03 03\n") << "read while the radio still runs";
}

TEST_F(CloneOverPtyTest, TheLinkNamesTheDeviceUntilTheRadioStops) {
    const std::string link = dir.file("radio-link");
    RadioSimProcess sim({"--link", link});
    ASSERT_FALSE(sim.device().empty());
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), sim.device());
    EXPECT_EQ(sim.terminate(), 0);
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link is gone";
}

TEST(RadioSimCommandLine, BadArgumentsAreAUsageError) {
    const std::string program = std::string(TRELVIX_BIN_DIR) + "/trelvix-radiosim";
    ASSERT_TRUE(std::filesystem::exists(program)) << program << " was not built";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--fault", "no-such-fault"}, {"--codes", "12"}, {"--end", "FFFF"}, {"--bogus"},
             {"--detector", "peak:120-100"}, {"--detector", "linear:0-256"}, {"--detector"}, {"--trace"}}) {
        RadioSimProcess sim(args);
        EXPECT_TRUE(sim.device().empty()) << args[0];
        EXPECT_EQ(sim.waitExit(), 64) << args[0] << ": the usage error's exit status";
    }
}

}  // namespace
