// The clone flows over an in-memory line on virtual time: what the radio says about itself
// is checked, the read range follows the radio's end address, a write identifies twice
// around the user's confirmation, and every status has its message.

#include "app/CloneSession.h"
#include "app/FamilyRules.h"
#include "comm/FakeRadio.h"
#include "image/RecordAccessor.h"
#include "overlay/cmcGTex.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using testsupport::Bytes;

namespace {

// A model-information block as a radio of this family sends it.
Bytes Block(const char* end = "FF7F", std::uint8_t level = 2, bool handheld = false) {
    Bytes b(125, 0x20);
    b[0] = 125;
    b[35] = level;
    b[51] = handheld ? 0x04 : 0x00;
    std::copy_n(end, 4, b.begin() + 56);
    return b;
}

int Count(const std::vector<Bytes>& frames, std::uint8_t command) {
    return static_cast<int>(std::count_if(frames.begin(), frames.end(),
                                          [&](const Bytes& f) { return f.size() > 3 && f[3] == command; }));
}

class CloneSessionTest : public ::testing::Test {
protected:
    CloneSessionTest() {
        overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
        EXPECT_TRUE(session.UsePort(2));
        radio.modelInfo = Block();
    }

    CloneOutcome Finish() {
        time.clock.advanceUntil([&] { return outcome.has_value(); }, 200'000);
        EXPECT_TRUE(outcome.has_value()) << "no outcome came";
        return outcome.value_or(CloneOutcome{});
    }
    CloneSession::Done Record() {
        outcome.reset();
        return [this](CloneOutcome& o) {
            EXPECT_FALSE(outcome.has_value()) << "the outcome came twice";
            outcome = std::move(o);
        };
    }
    // An image of the selected kind (LMR mobile) that packs and writes as the program's would.
    cmcEeprom Initial() {
        cmcEeprom image(cmcEeprom::kImageSize);
        DocumentService documents(rules);
        EXPECT_EQ(documents.ReadInitialImage(std::string(TRELVIX_SOURCE_DIR) + "/data/Init_LMR_Mob.tdf", image), 0);
        return image;
    }
    CloneSession::WriteRequest WriteOf(const cmcEeprom& image, bool answer) {
        CloneSession::WriteRequest request;
        request.image = &image;
        request.initial = &image;
        request.modelKind = 4;
        request.handheld = false;
        request.confirm = [this, answer](const CloneIdentity&) {
            ++questions;
            identifiesBeforeQuestion = Count(radio.frames, 0xE0);
            return answer;
        };
        return request;
    }

    cmcGTex overlay;
    ScopedGTex install{overlay};
    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM2");
    testsupport::FakeRadio radio{line};
    FamilyRules rules;
    CloneSession session{rules, cmcEeprom::kImageSize};
    std::optional<CloneOutcome> outcome;
    int questions = 0;
    int identifiesBeforeQuestion = 0;
};

TEST_F(CloneSessionTest, IdentifyKeepsWhatTheRadioSaid) {
    ASSERT_TRUE(session.Identify(Record()));
    EXPECT_FALSE(session.Read(Record())) << "one flow at a time";
    EXPECT_FALSE(session.UsePort(3)) << "the port stays while a flow runs";
    const CloneOutcome o = Finish();
    ASSERT_TRUE(o.ok()) << o.message;
    ASSERT_TRUE(session.LastIdentity());
    EXPECT_EQ(session.LastIdentity()->modelCode, 0x2897);
    EXPECT_EQ(session.LastIdentity()->EndAddress(), 0xFF7F);
    EXPECT_EQ(Count(radio.frames, 0xE2), 0) << "identify reads nothing";
}

// Each row: what the radio answers, and the status identification ends with.
TEST_F(CloneSessionTest, IdentificationChecks) {
    struct Case {
        const char* what;
        Bytes codes;
        Bytes block;
        CloneStatus status;
    };
    const Bytes full = Block();
    const Case cases[] = {
        {"another model", {0x28, 0x93, 0x00, 0x00}, full, CloneStatus::Identity},
        {"a block shorter than it says", {0x28, 0x97, 0x00, 0x00}, Bytes(full.begin(), full.begin() + 100),
         CloneStatus::Identity},
        {"level 6", {0x28, 0x97, 0x00, 0x00}, Block("FF7F", 6), CloneStatus::Level},
        {"level 5", {0x28, 0x97, 0x00, 0x00}, Block("FF7F", 5), CloneStatus::Success},
        {"non-decimal codes", {0x2A, 0x97, 0x00, 0x00}, Block(), CloneStatus::Format},
    };
    for (const Case& c : cases) {
        radio.codes = c.codes;
        radio.modelInfo = c.block;
        ASSERT_TRUE(session.Identify(Record())) << c.what;
        EXPECT_EQ(Finish().status, c.status) << c.what;
    }
}

TEST_F(CloneSessionTest, LevelSixIsRefusedWithItsAdvice) {
    radio.modelInfo = Block("FF7F", 6);
    ASSERT_TRUE(session.Identify(Record()));
    const CloneOutcome o = Finish();
    EXPECT_EQ(o.status, CloneStatus::Level);
    EXPECT_EQ(o.message, GTex().GetLine("GI_Mess_CloneErr_Head", 14) + "\n\n" +
                             GTex().GetLine("GI_Mess_CloneErr_Check", 0) + "\n" +
                             GTex().GetLine("GI_Mess_CloneErr_Check", 4) + "\n" +
                             GTex().GetLine("GI_Mess_CloneErr_Check", 5));
    EXPECT_EQ(session.Manager().rememberedSpeed(), indCloneMan::Speed::Slow) << "status 14 keeps the speed";
}

TEST_F(CloneSessionTest, ReadRangeEndsWithTheRadiosLastBlock) {
    struct Case {
        const char* chars;
        std::int32_t end;
    } cases[] = {{"7FF3", 0x7FFF}, {"7ff3", 0x7FFF}, {"FF7F", 0xFF7F}, {"FFFF", 0xFF7F}, {"00G0", 0x000F}};
    for (const Case& c : cases) {
        CloneIdentity id;
        std::copy_n(c.chars, 4, id.block.begin() + 56);
        const AddressRangeList ranges = session.ReadRanges(id.EndAddress());
        EXPECT_EQ(ranges.front().start, 0) << c.chars;
        EXPECT_EQ(ranges.front().end, c.end) << c.chars;
    }
}

TEST_F(CloneSessionTest, ReadOfAShortRadioCoversOnlyItsRange) {
    radio.modelInfo = Block("7FF3");
    radio.readEnd = 0x7FF0;
    ASSERT_TRUE(session.Read(Record()));
    const CloneOutcome o = Finish();
    ASSERT_TRUE(o.ok()) << o.message;
    EXPECT_EQ(o.image.GetByte(0x7FFF), radio.image.GetByte(0x7FFF));
    EXPECT_EQ(o.image.GetByte(0x8000), 0) << "nothing beyond the radio's end";
    EXPECT_EQ(Count(radio.frames, 0xE0), 1);
}

TEST_F(CloneSessionTest, ReceivedImageChecksSetTheirStatusAndForgetTheSpeed) {
    session.SetImageCheck([](const cmcEeprom&) { return CloneStatus::ImageCheck; });
    ASSERT_TRUE(session.Read(Record()));
    const CloneOutcome o = Finish();
    EXPECT_EQ(o.status, CloneStatus::ImageCheck);
    EXPECT_EQ(o.image.Size(), 0) << "a refused image is not handed on";
    EXPECT_EQ(session.Manager().rememberedSpeed(), indCloneMan::Speed::None);
}

TEST_F(CloneSessionTest, CancelledReadEndsWithoutAnImageOrAMessage) {
    // The radio stops after ten frames, so the read never ends by itself.
    radio.tamperRead = [](std::vector<Bytes>& frames) { frames.resize(10); };
    ASSERT_TRUE(session.Read(Record()));
    time.clock.advanceUntil([&] { return session.Progress().visible; }, 10'000);
    EXPECT_TRUE(session.Progress().cancellable);
    session.CancelRead();
    const CloneOutcome o = Finish();
    EXPECT_EQ(o.status, CloneStatus::Cancelled);
    EXPECT_TRUE(o.message.empty());
    EXPECT_FALSE(session.Busy());
}

TEST_F(CloneSessionTest, WriteAsksAfterOneIdentificationAndIdentifiesAgainBeforeSending) {
    const cmcEeprom image = Initial();
    ASSERT_TRUE(session.Write(WriteOf(image, true), Record()));
    const CloneOutcome o = Finish();
    ASSERT_TRUE(o.ok()) << o.message;
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(identifiesBeforeQuestion, 1);
    EXPECT_EQ(Count(radio.frames, 0xE0), 2);
    ASSERT_FALSE(radio.dataAddresses.empty());
    EXPECT_EQ(radio.dataAddresses.front(), 0x0100);
    EXPECT_EQ(radio.received.GetByte(CloneSession::kLevelAddress), 2) << "the radio's level goes in the copy";
    // The write ends with the 128-byte block that holds the end of the packed data.
    const std::int32_t used = image.GetByte(0x112) << 8 | image.GetByte(0x113);
    EXPECT_EQ(radio.dataAddresses.back(), ((used & 0xFF80) | 0x7F) - 15);
}

// The windows depend on the radio's revision, known only after the identification; they
// must reach the bytes sent, not only the copy's working area.
TEST_F(CloneSessionTest, TwoToneWindowsForTheRadiosRevisionReachTheBytesSent) {
    cmcEeprom image = Initial();
    RecordAccessor codes(image);
    codes.load(12, 3);
    codes.set(Fld::TwoT_RxFreq_1st, 10000);  // 1000.0 Hz
    codes.set(Fld::TwoT_RxFreq_2nd, 2550);
    codes.store(12, 3);
    radio.modelInfo[34] = 0x10;  // revision 1.0: 3 %
    ASSERT_TRUE(session.Write(WriteOf(image, true), Record()));
    const CloneOutcome o = Finish();
    ASSERT_TRUE(o.ok()) << o.message;

    // What the radio holds, unpacked as a read of it would be.
    cmcEeprom sent(cmcEeprom::kImageSize);
    sent.WriteBlock(0, radio.received.Data(), cmcEeprom::kEepromSize);
    rules.RebuildWorkingArea(sent);
    RecordAccessor got(sent);
    got.load(12, 3);
    EXPECT_EQ(got.get(Fld::TwoT_RxFreq_1st), 10000u);
    EXPECT_EQ(got.get(Fld::TwoT_Lower1), 9700u);
    EXPECT_EQ(got.get(Fld::TwoT_Upper1), 10300u);
    EXPECT_EQ(got.get(Fld::TwoT_Lower2), 2474u);
    EXPECT_EQ(got.get(Fld::TwoT_Upper2), 2627u);
    EXPECT_EQ(sent.GetByte(CloneSession::kLevelAddress), 2) << "the level still goes in after the packing";
}

TEST_F(CloneSessionTest, WriteCancelledAtTheQuestionSendsNothing) {
    const cmcEeprom image = Initial();
    ASSERT_TRUE(session.Write(WriteOf(image, false), Record()));
    const CloneOutcome o = Finish();
    EXPECT_TRUE(o.declined);
    EXPECT_TRUE(o.message.empty()) << "the user's own answer needs no message";
    EXPECT_EQ(Count(radio.frames, 0xE0), 1);
    EXPECT_EQ(Count(radio.frames, 0xE3), 0);
}

TEST_F(CloneSessionTest, WriteToARadioOfTheOtherTypeIsRefusedBeforeTheQuestion) {
    radio.modelInfo = Block("FF7F", 2, true);  // a handheld; the image is a mobile's
    const cmcEeprom image = Initial();
    ASSERT_TRUE(session.Write(WriteOf(image, true), Record()));
    const CloneOutcome o = Finish();
    EXPECT_TRUE(o.declined);
    EXPECT_EQ(o.message, GTex().GetBlock("GI_Mess_CloneErr2781_Head"));
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(Count(radio.frames, 0xE3), 0);
}

TEST_F(CloneSessionTest, WriteOfAnImageThatDoesNotFitSendsNothingAtAll) {
    cmcEeprom image = Initial();
    // Every bank full: far more channel records than the EEPROM holds.
    struct OverflowRules : FamilyRules {
        bool BuildParameterTable(cmcEeprom&, bool) override { return true; }
    } overflowing;
    CloneSession tight{overflowing, cmcEeprom::kImageSize};
    ASSERT_TRUE(tight.UsePort(2));
    ASSERT_TRUE(tight.Write(WriteOf(image, true), Record()));
    const CloneOutcome o = Finish();
    EXPECT_TRUE(o.declined);
    EXPECT_EQ(o.message, GTex().GetBlock("GI_AppMess_CloneWriteOverflow"));
    EXPECT_TRUE(radio.frames.empty());
}

TEST_F(CloneSessionTest, WriteOfAFullEepromStopsAtItsEnd) {
    // A packing that ends exactly at the end of the EEPROM (used end 0xFF80) would round up
    // to 0xFFFF, into the working area; the write stops at 0xFF7F.
    struct FullRules : FamilyRules {
        void NormaliseImage(cmcEeprom&, const cmcEeprom&, int, bool) override {}
        bool BuildParameterTable(cmcEeprom& image, bool) override {
            image.SetByte(0x112, 0xFF);
            image.SetByte(0x113, 0x80);
            return false;
        }
    } full;
    CloneSession session{full, cmcEeprom::kImageSize};
    const cmcEeprom image = Initial();
    const auto plan = session.PrepareWrite(WriteOf(image, true));
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->ranges.front().start, 0x0100);
    EXPECT_EQ(plan->ranges.front().end, 0xFF7F);
}

TEST(CloneMessageTest, EveryStatusHasItsHeadAndAdvice) {
    cmcGTex overlay;
    overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ScopedGTex install(overlay);
    auto head = [](int s) { return GTex().GetLine("GI_Mess_CloneErr_Head", s); };
    auto check = [](std::initializer_list<int> lines) {
        std::string t;
        for (int l : lines) t += (t.empty() ? "" : "\n") + GTex().GetLine("GI_Mess_CloneErr_Check", l);
        return t;
    };
    const std::string usual = check({0, 1, 2, 3});
    struct Case {
        int status;
        std::string after;
    } cases[] = {
        {5, usual},  {6, usual},  {7, usual}, {8, usual}, {9, usual}, {10, check({0, 2, 3})},
        {11, check({0, 1, 2, 3, 4, 5})}, {12, check({0, 1, 2, 3, 4, 5})}, {13, check({6, 7})},
        {14, check({0, 4, 5})}, {15, usual}, {16, ""}, {17, usual},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CloneStatusMessage(static_cast<CloneStatus>(c.status), {}), head(c.status) + "\n\n" + c.after)
            << c.status;
    }
    EXPECT_EQ(CloneStatusMessage(CloneStatus::Success, {}), "");
    EXPECT_EQ(CloneStatusMessage(CloneStatus::Cancelled, {}), "");
}

TEST(CloneMessageTest, PortThatCannotBeOpenedIsNamed) {
    cmcGTex overlay;
    overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ScopedGTex install(overlay);
    const std::string byNumber =
        CloneStatusMessage(CloneStatus::PortOpen, {7, "", "cannot open /dev/ttyUSB0: Permission denied"});
    EXPECT_EQ(byNumber.substr(0, byNumber.find('\n')), "The serial port 7 could not be opened.");
    EXPECT_NE(byNumber.find("\ncannot open /dev/ttyUSB0: Permission denied\n\n"), std::string::npos);
    const std::string byPath = CloneStatusMessage(CloneStatus::PortOpen, {0, "/dev/pts/9", ""});
    EXPECT_EQ(byPath.substr(0, byPath.find('\n')), "The serial port /dev/pts/9 could not be opened.");
}

}  // namespace
