// trelvix-clone against the virtual radio over a pseudo-terminal, each as its own process:
// what a fleet script sees (exit status, stdout, stderr) for every command.
#include "RadioSimProcess.h"
#include "ToolProcess.h"
#include "WritableImages.h"
#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"
#include "overlay/cmcGTex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using testsupport::RadioSimProcess;
using testsupport::runTool;
using testsupport::ToolRun;
using testsupport::traceLines;
using testsupport::writableFile;

namespace {

const std::string kMobileFile = std::string(TRELVIX_BIN_DIR) + "/Init_LMR_Mob.tdf";

ToolRun clone(const std::vector<std::string>& args, testsupport::ToolSignal signal = {}) {
    return runTool("trelvix-clone", args, signal);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }


TEST(CloneToolTest, IdentifyPrintsTheRadiosIdentityAsLinesOrJson) {
    RadioSimProcess sim({"--mobile", "--serial", "0A0000FF1234", "--revision", "3.4", "--end", "7FF3"});
    ASSERT_FALSE(sim.device().empty());
    const ToolRun lines = clone({"identify", "--port", sim.device()});
    ASSERT_EQ(lines.status, 0) << lines.err;
    EXPECT_NE(lines.out.find("model: LMR, Mobile, Without keypad\n"), std::string::npos) << lines.out;
    EXPECT_NE(lines.out.find("revision: 3.4\n"), std::string::npos);
    EXPECT_NE(lines.out.find("serialNumber: 1000255\n"), std::string::npos);
    EXPECT_NE(lines.out.find("comment1: TRELVIX VIRTUAL\n"), std::string::npos);
    EXPECT_NE(lines.out.find("addressRange: 0000-7FFF\n"), std::string::npos);
    const ToolRun json = clone({"identify", "--port", sim.device(), "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_EQ(json.out.substr(json.out.size() - 2), "}\n");
    EXPECT_NE(json.out.find("\"serialNumber\":\"1000255\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"addressRange\":{\"start\":\"0000\",\"end\":\"7FFF\"}"), std::string::npos);
}

// A file read from one radio and written to another: the second radio's memory equals the
// first's over the written range, apart from the radio level that preparation puts at 0x108.
TEST(CloneToolTest, ReadFromOneRadioAndWriteToAnother) {
    testsupport::TempDir dir;
    const std::string served = writableFile(dir.file("served.tdf"));
    RadioSimProcess first({"--mobile", "--image", served});
    RadioSimProcess second({"--mobile", "--save", dir.file("second.tdf"), "--level", "3"});
    ASSERT_FALSE(first.device().empty());
    ASSERT_FALSE(second.device().empty());
    const ToolRun read = clone({"read", "--port", first.device(), "--out", dir.file("read.tdf")});
    ASSERT_EQ(read.status, 0) << read.err;
    const ToolRun write = clone({"write", "--port", second.device(), "--in", dir.file("read.tdf"), "--yes"});
    ASSERT_EQ(write.status, 0) << write.err;
    ASSERT_EQ(second.terminate(), 0);

    const cmcEeprom source = testsupport::eepromOf(served);
    const cmcEeprom written = testsupport::eepromOf(dir.file("second.tdf"));
    const std::int32_t used = source.GetByte(0x112) << 8 | source.GetByte(0x113);
    const std::int32_t end = (used & 0xFF80) | 0x7F;
    std::vector<std::int32_t> differ;
    for (std::int32_t a = 0x0100; a <= end; ++a) {
        if (source.GetByte(a) != written.GetByte(a)) differ.push_back(a);
    }
    EXPECT_EQ(differ, std::vector<std::int32_t>{0x108});
    EXPECT_EQ(written.GetByte(0x108), 3) << "the second radio's level";
}

// The program's guards, with the program's words on stderr and the status of a write
// refused before anything was sent; the radio's trace shows no frame at all.
TEST(CloneToolTest, WriteGuardsRefuseWithTheProgramsTextsAndNoTraffic) {
    cmcGTex overlay;
    overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ScopedGTex install(overlay);
    testsupport::TempDir dir;
    const std::string trace = dir.file("trace.txt");
    RadioSimProcess sim({"--mobile", "--trace", trace});
    ASSERT_FALSE(sim.device().empty());
    const ToolRun run = clone({"write", "--port", sim.device(), "--in", kMobileFile, "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, GTex().GetBlock("GI_AppMess_CloneErr_NoActualCh") + "\n");
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_TRUE(std::filesystem::exists(trace));
    EXPECT_EQ(traceLines(trace), std::vector<std::string>{});
}

TEST(CloneToolTest, AHandheldFileIsNotWrittenToAMobileRadio) {
    cmcGTex overlay;
    overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ScopedGTex install(overlay);
    testsupport::TempDir dir;
    const std::string trace = dir.file("trace.txt");
    RadioSimProcess sim({"--mobile", "--save", dir.file("radio.tdf"), "--trace", trace});
    ASSERT_FALSE(sim.device().empty());
    const std::string handheld = writableFile(dir.file("handheld.tdf"), "Init_LMR.tdf");
    const ToolRun run = clone({"write", "--port", sim.device(), "--in", handheld, "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, GTex().GetBlock("GI_Mess_CloneErr2781_Head") + "\n");
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("radio.tdf")));
    testsupport::ExpectOnlyOneIdentification(trace);
}

// The radio holds the copy prepared for it, with the two-tone windows for its revision
// (3 % for 1.0, computed by hand) and its level at 0x108.
TEST(CloneToolTest, WrittenRadioHoldsThePreparedCopyWithTheWindowsForItsRevision) {
    testsupport::TempDir dir;
    const std::string file =
        writableFile(dir.file("tones.tdf"), "Init_LMR_Mob.tdf", testsupport::TwoToneCode{3, 10000, 2550});
    RadioSimProcess sim({"--mobile", "--save", dir.file("radio.tdf"), "--level", "3", "--revision", "1.0"});
    ASSERT_FALSE(sim.device().empty());
    const ToolRun run = clone({"write", "--port", sim.device(), "--in", file, "--yes"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(sim.terminate(), 0);
    testsupport::OpenedFile opened = testsupport::openFile(file);
    testsupport::setWindows(opened.image, 3, 9700, 10300, 2474, 2627);
    EXPECT_EQ(testsupport::differencesFromPrepared(testsupport::eepromOf(dir.file("radio.tdf")), opened.image, opened.initial,
                                                   opened.kind, 3),
              std::vector<std::int32_t>{});
}

TEST(CloneToolTest, WriteWithoutYesIsAUsageErrorAndSendsNothing) {
    RadioSimProcess sim({"--mobile"});
    const ToolRun run = clone({"write", "--port", sim.device(), "--in", kMobileFile});
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
}

// Each fault of the radio ends the command with its status and the status's head line.
TEST(CloneToolTest, EachFaultEndsWithItsStatusAndMessage) {
    struct Case {
        std::vector<std::string> radio;
        const char* command;
        int status;
    } cases[] = {
        {{"--fault", "silence"}, "identify", 5},
        {{"--fault", "non-bcd"}, "identify", 6},
        {{"--codes", "28930000"}, "identify", 11},
        {{"--level", "6"}, "identify", 14},
        {{"--fault", "bad-checksum", "--end", "07FF"}, "read", 6},
        {{"--fault", "wrong-count", "--end", "07FF"}, "read", 7},
        {{"--fault", "missing-block", "--end", "07FF"}, "read", 8},
        {{"--fault", "extra-block", "--end", "07FF"}, "read", 9},
        {{"--fault", "refuse", "--mobile"}, "write", 6},
        {{"--fault", "e6-01", "--mobile"}, "write", 10},
    };
    testsupport::TempDir dir;
    const std::string writable = writableFile(dir.file("writable.tdf"));
    for (const Case& c : cases) {
        RadioSimProcess sim(c.radio);
        ASSERT_FALSE(sim.device().empty());
        std::vector<std::string> args = {c.command, "--port", sim.device()};
        if (std::string(c.command) == "read") args.insert(args.end(), {"--out", dir.file("out.tdf")});
        if (std::string(c.command) == "write") args.insert(args.end(), {"--in", writable, "--yes"});
        const ToolRun run = clone(args);
        EXPECT_EQ(run.status, c.status) << c.command << " " << c.radio[1] << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << c.radio[1];
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.tdf"))) << "a failed read saves nothing";
    }
}

TEST(CloneToolTest, APortThatCannotBeOpenedIsNamed) {
    const ToolRun run = clone({"identify", "--port", "/dev/trelvix-no-such-port"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(firstLine(run.err), "The serial port /dev/trelvix-no-such-port could not be opened.");
    EXPECT_NE(run.err.find("cannot open /dev/trelvix-no-such-port"), std::string::npos) << run.err;
}

TEST(CloneToolTest, InterruptedReadLeavesNoFileAndSaysSo) {
    testsupport::TempDir dir;
    RadioSimProcess sim({"--pace"});
    const ToolRun run =
        clone({"read", "--port", sim.device(), "--out", dir.file("partial.tdf")}, {SIGINT, 1500});
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("partial.tdf")));
}

TEST(CloneToolTest, InterruptedWriteEndsCleanly) {
    testsupport::TempDir dir;
    RadioSimProcess sim({"--pace", "--mobile"});
    const ToolRun run =
        clone({"write", "--port", sim.device(), "--in", writableFile(dir.file("w.tdf")), "--yes"}, {SIGINT, 1500});
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(clone({"identify", "--port", sim.device()}).status, 0);
}

TEST(CloneToolTest, CheckGivesTheDataFileResultCode) {
    testsupport::TempDir dir;
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir.file(name)) << text;
        return dir.file(name);
    };
    std::ifstream in(kMobileFile);
    const std::string valid((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string otherModel = valid;
    otherModel.replace(otherModel.find("2897"), 4, "2893");
    struct Case {
        std::string file;
        int status;
    } cases[] = {
        {kMobileFile, 0},
        {dir.file("missing.tdf"), 1},
        {write("model.tdf", otherModel), 3},
        {write("format.tdf", "this is not a data file\n"), 6},
        {write("short.tdf", valid.substr(0, valid.find('\n', valid.size() / 2) + 1)), 7},
    };
    for (const Case& c : cases) EXPECT_EQ(clone({"check", c.file}).status, c.status) << c.file;
    EXPECT_EQ(clone({"check"}).status, 64);
    EXPECT_EQ(clone({"frobnicate"}).status, 64);
    EXPECT_EQ(clone({"read", "--port", "COM999", "--out", dir.file("x.tdf")}).status, 64);
}

TEST(CloneToolTest, ListShowsTheProgrammedChannels) {
    testsupport::TempDir dir;
    FamilyRules rules;
    DocumentService documents(rules);
    LoadResult loaded = documents.Load(kMobileFile, cmcEeprom(cmcEeprom::kImageSize));
    ASSERT_TRUE(loaded.ok());
    cmcEeprom initial(cmcEeprom::kImageSize);
    ASSERT_EQ(documents.ReadInitialImage(kMobileFile, initial), 0);
    documents.PrepareLoaded(loaded.image, initial, loaded.modelKind);
    RecordAccessor records(loaded.image);
    records.setBankCount(0, 2);
    records.load(1, 1);
    records.status |= RecordAccessor::kStatusValid;
    records.set(Fld::Mch_FreqR, 150'125'000);
    records.set(Fld::Mch_FreqT, 155'250'000);
    records.store(1, 1);
    ASSERT_TRUE(records.channelValid(1));
    ASSERT_EQ(records.totalChannels(), 2);
    ASSERT_TRUE(documents.Save(dir.file("one.tdf"), loaded.image, initial, loaded.modelKind).ok());

    const ToolRun run = clone({"list", dir.file("one.tdf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_NE(run.out.find("  2  bank   1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("RX  150.125000  TX  155.250000"), std::string::npos) << run.out;
    EXPECT_EQ(clone({"list", dir.file("missing.tdf")}).status, 1);
}

}  // namespace
