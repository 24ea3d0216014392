#include "FakeRadio.h"
#include "comm/indCloneMan.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

using testsupport::Bytes;
using testsupport::FakeRadio;

namespace {

const AddressRange kWholeEeprom[] = {{0x0000, 0xFF7F}, {1, 0}};
const AddressRange kWriteRange[] = {{0x0100, 0xFF7F}, {1, 0}};

class CloneDriverTest : public ::testing::Test {
protected:
    CloneDriverTest() {
        man.setCodes(0x2897, 0x0000);
        man.setImageSize(cmcEeprom::kImageSize);
        man.setPort(3);
    }

    // Runs until the completion and returns its result; a completion that never comes
    // fails the test (the result is then empty).
    std::optional<dst_CDrv_Result> finish(std::uint64_t maxMs = 120'000) {
        if (!time.clock.advanceUntil([&] { return calls > 0; }, maxMs)) {
            ADD_FAILURE() << "no completion within " << maxMs << " ms";
        }
        return last;
    }
    // The completion of the operation about to start; the previous operation's result is
    // forgotten, so finish() never returns it.
    indCloneMan::Completion record() {
        calls = 0;
        last.reset();
        return [this](dst_CDrv_Result& r) {
            ++calls;
            last.emplace();
            last->operation = r.operation;
            last->status = r.status;
            last->modelCode = r.modelCode;
            last->extraCode = r.extraCode;
            last->modelInfo = r.modelInfo;
            last->image = r.image;
            last->receivedBits = r.receivedBits;
            last->portError = r.portError;
        };
    }
    CloneStatus readStatus() {
        EXPECT_TRUE(man.read(kWholeEeprom, record()));
        auto r = finish();
        return r ? r->status : CloneStatus::Identity;  // no completion: finish() failed the test
    }

    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM3");
    FakeRadio radio{line};
    indCloneMan man;
    int calls = 0;
    std::optional<dst_CDrv_Result> last;
};

// ---------------------------------------------------------------- identify

TEST_F(CloneDriverTest, IdentifyStoresTheRadiosCodesAndBlock) {
    radio.codes = {0x28, 0x97, 0x01, 0x00};
    radio.modelInfo[0] = 125;
    ASSERT_TRUE(man.identify(record()));
    EXPECT_FALSE(man.identify(record())) << "busy";
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r->status, CloneStatus::Success);
    EXPECT_EQ(r->operation, CloneOperation::Identify);
    EXPECT_EQ(r->modelCode, 0x2897);
    EXPECT_EQ(r->extraCode, 0x0100);
    ASSERT_EQ(r->modelInfo.length(), 125);
    EXPECT_EQ(*r->modelInfo.at(0), 125);
    EXPECT_FALSE(man.isBusy());
    EXPECT_FALSE(line.isOpen);
    // The request carries the program's codes; the port ended at 9,600 baud.
    const Bytes request = {0xFE, 0xEE, 0xEF, 0xE0, 0x28, 0x97, 0x00, 0x00};
    EXPECT_EQ(radio.frames.back(), request);
    EXPECT_EQ(line.opens.back().baudRate, 9600);
}

TEST_F(CloneDriverTest, IdentifyFailures) {
    struct Case {
        const char* name;
        std::function<void(FakeRadio&)> bend;
        CloneStatus status;
    };
    const Case cases[] = {
        {"code byte not decimal", [](FakeRadio& r) { r.codes[0] = 0x2A; }, CloneStatus::Format},
        {"extra code not decimal", [](FakeRadio& r) { r.codes[3] = 0x0F; }, CloneStatus::Format},
        {"reply too short", [](FakeRadio& r) { r.codes = {0x28, 0x97}; r.modelInfo.clear(); }, CloneStatus::Format},
        {"silence", [](FakeRadio& r) { r.silent = true; }, CloneStatus::Timeout},
    };
    for (const Case& c : cases) {
        platform::ScopedVirtualTime t;
        platform::ScopedMemorySerial s;
        FakeRadio r(s.ports.line("memory:COM1"));
        c.bend(r);
        indCloneMan m;
        m.setCodes(0x2897, 0);
        std::optional<CloneStatus> status;
        int n = 0;
        m.identify([&](dst_CDrv_Result& res) { status = res.status, ++n; });
        t.clock.advanceUntil([&] { return n > 0; }, 10'000);
        EXPECT_EQ(n, 1) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
}

TEST_F(CloneDriverTest, AnOverlongReplyIsRefusedNotStored) {
    radio.modelInfo = Bytes(600, 0x41);
    ASSERT_TRUE(man.identify(record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Format);
    EXPECT_EQ(r->modelInfo.length(), 0);
}

// ---------------------------------------------------------------- known frames

// Frames written out byte by byte, not built with the driver's own encoder, so that a
// mistake shared by its encoder and its decoder fails here. The program's codes are 2897
// and 0000. The data frame carries 12 34 56 78 at 0x0100 as hex text "0100" "04"
// "12345678" and the checksum byte that makes the sum of all decoded bytes 0 modulo 256:
// 01 + 00 + 04 + 12 + 34 + 56 + 78 = 0x119; 0x100 - 0x19 = 0xE7, sent as "E7".
TEST_F(CloneDriverTest, KnownGoodFramesAreSentAndAccepted) {
    const Bytes dataText = {0x30, 0x31, 0x30, 0x30, 0x30, 0x34, 0x31, 0x32,
                            0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x45, 0x37};  // "01000412345678E7"
    const Bytes makerAndOne = {0x56, 0x6F, 0x72, 0x6E, 0x20, 0x49, 0x6E, 0x63, 0x2E, 0x30, 0x31};  // "Vorn Inc.01"
    auto frame = [](Bytes head, const Bytes& body) {
        head.insert(head.end(), body.begin(), body.end());
        head.push_back(0xFD);
        return head;
    };
    struct Known {
        const char* what;
        Bytes bytes;
    };
    const Known sent[] = {
        {"identify request", {0xFE, 0xFE, 0xEE, 0xEF, 0xE0, 0x28, 0x97, 0x00, 0x00, 0xFD}},
        {"read request", {0xFE, 0xFE, 0xEE, 0xEF, 0xE2, 0x28, 0x97, 0x00, 0x00, 0xFD}},
        {"write request", {0xFE, 0xFE, 0xEE, 0xEF, 0xE3, 0x28, 0x97, 0x00, 0x00, 0xFD}},
        {"data frame", frame({0xFE, 0xFE, 0xEE, 0xEF, 0xE4}, dataText)},
        {"end frame after one data frame", frame({0xFE, 0xFE, 0xEE, 0xEF, 0xE5}, makerAndOne)},
    };
    const Known fromRadio[] = {
        {"data frame", frame({0xFE, 0xFE, 0xEF, 0xEE, 0xE4}, dataText)},
        {"end frame after one data frame", frame({0xFE, 0xFE, 0xEF, 0xEE, 0xE5}, makerAndOne)},
        {"write acknowledge", {0xFE, 0xFE, 0xEF, 0xEE, 0xE6, 0x00, 0xFD}},
    };
    const AddressRange fourBytes[] = {{0x0100, 0x0103}, {1, 0}};

    ASSERT_TRUE(man.identify(record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success);

    radio.tamperRead = [&](std::vector<Bytes>& out) { out = {fromRadio[0].bytes, fromRadio[1].bytes}; };
    ASSERT_TRUE(man.read(fourBytes, record()));
    r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success) << "the radio's data and end frames are accepted";
    for (std::int32_t i = 0; i < 4; ++i) EXPECT_EQ(r->image.GetByte(0x0100 + i), 0x12 + 0x22 * i);

    cmcEeprom image(cmcEeprom::kEepromSize);
    for (std::int32_t i = 0; i < 4; ++i) image.SetByte(0x0100 + i, static_cast<std::uint8_t>(0x12 + 0x22 * i));
    radio.acknowledge = fromRadio[2].bytes;
    ASSERT_TRUE(man.write(image, fourBytes, true, record()));
    r = finish(200'000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success) << "the acknowledge is accepted";

    for (const Known& k : sent) {
        EXPECT_NE(std::search(line.written.begin(), line.written.end(), k.bytes.begin(), k.bytes.end()),
                  line.written.end())
            << k.what << " was sent as written out";
    }
}

// ---------------------------------------------------------------- the port

TEST_F(CloneDriverTest, APortThatCannotBeOpenedEndsWithStatus2AndSaysWhy) {
    line.failOpen = "cannot open /dev/ttyUSB0: Permission denied";
    ASSERT_TRUE(man.identify(record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r->status, CloneStatus::PortOpen);
    EXPECT_EQ(r->portError, "cannot open /dev/ttyUSB0: Permission denied");
    EXPECT_EQ(man.rememberedSpeed(), indCloneMan::Speed::None) << "the next operation changes speed again";

    serial.ports.missingComPorts = {7};
    man.setPort(7);
    calls = 0;
    ASSERT_TRUE(man.identify(record()));
    r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::PortOpen);
    EXPECT_EQ(r->portError, "COM7 does not reach any serial device");
}

TEST_F(CloneDriverTest, AWriteFailureOfTheDriverEndsWithStatus17) {
    line.acceptLimit = 5;
    ASSERT_TRUE(man.write(radio.image, kWriteRange, true, record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r->status, CloneStatus::WriteFailed);
    EXPECT_FALSE(line.isOpen);
}

TEST_F(CloneDriverTest, OutputThatNeverLeavesStillEndsTheOperation) {
    line.holdOutput = true;  // the driver's output queue never drains
    ASSERT_TRUE(man.identify(record()));
    auto r = finish(60'000);
    ASSERT_TRUE(r);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r->status, CloneStatus::Timeout);
}

// ---------------------------------------------------------------- the speed script

TEST_F(CloneDriverTest, TheSpeedScriptRunsOnlyWhenTheSpeedChanges) {
    ASSERT_EQ(readStatus(), CloneStatus::Success);
    // 38,400 to send "go to 9,600", then 9,600 twice, "go to 38,400", then the read itself.
    std::vector<int> rates;
    for (const auto& o : line.opens) rates.push_back(o.baudRate);
    EXPECT_EQ(rates, (std::vector<int>{38400, 9600, 9600, 38400}));
    const Bytes toFast = {0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x01, 0x30, 0x39};
    const Bytes toSlow = {0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x01, 0x32, 0x37};
    ASSERT_GE(radio.frames.size(), 3u);
    EXPECT_EQ(radio.frames[0], toSlow);
    EXPECT_EQ(radio.frames[1], toFast);

    calls = 0;
    line.opens.clear();
    ASSERT_EQ(readStatus(), CloneStatus::Success);
    ASSERT_EQ(line.opens.size(), 1u) << "the second read at the same speed runs no script";
    EXPECT_EQ(line.opens[0].baudRate, 38400);

    calls = 0;
    line.opens.clear();
    ASSERT_TRUE(man.identify(record()));
    ASSERT_TRUE(finish());
    rates.clear();
    for (const auto& o : line.opens) rates.push_back(o.baudRate);
    EXPECT_EQ(rates, (std::vector<int>{38400, 9600, 38400, 9600})) << "slow: 'go to 9,600' sent at both speeds";
}

TEST_F(CloneDriverTest, AFailureMakesTheNextOperationChangeSpeedAgain) {
    radio.silent = true;
    EXPECT_EQ(readStatus(), CloneStatus::Timeout);
    EXPECT_EQ(man.rememberedSpeed(), indCloneMan::Speed::None);
    radio.silent = false;
    calls = 0;
    line.opens.clear();
    EXPECT_EQ(readStatus(), CloneStatus::Success);
    EXPECT_EQ(line.opens.size(), 4u);
    EXPECT_EQ(man.rememberedSpeed(), indCloneMan::Speed::Fast);
}

TEST(CloneSpeedScript, TextAndDecoding) {
    EXPECT_EQ(indCloneMan::speedScript(indCloneMan::Speed::Fast, 0x2897),
              "(38400,N,8,1)FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE EEEF E8 28970000 01 3237 FD"
              "(9600,N,8,1)"
              "(9600,N,8,1)FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE EEEF E8 28970000 01 3039 FD");
    EXPECT_EQ(cmcCloneDrv::decodeHexText("fe Fe-0x1 2"), (Bytes{0xFE, 0xFE, 0x01, 0x20}))
        << "pairs of either case, other characters skipped, a lone digit is a high nibble";
    EXPECT_EQ(cmcCloneDrv::decodeHexText(""), Bytes{});
}

// ---------------------------------------------------------------- read

TEST_F(CloneDriverTest, AFullReadDeliversTheRadiosImage) {
    ASSERT_TRUE(man.read(kWholeEeprom, record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success);
    EXPECT_EQ(r->image.Size(), cmcEeprom::kImageSize);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) {
        ASSERT_EQ(r->image.GetByte(a), radio.image.GetByte(a)) << a;
    }
    EXPECT_TRUE(r->received(0xFF7F));
    EXPECT_FALSE(r->received(0xFF80));
    EXPECT_EQ(man.driver().frameCount(), 0xFF8);
    EXPECT_EQ(man.driver().dataBytesDone(), 0xFF80);
}

TEST_F(CloneDriverTest, ReadFailures) {
    using Frames = std::vector<Bytes>;
    struct Case {
        const char* name;
        std::function<void(Frames&)> tamper;
        CloneStatus status;
        std::int32_t imageSize = cmcEeprom::kImageSize;
    };
    auto lowerCase = [](Frames& f) {
        for (auto& b : f[3]) {
            if (b == 'A') b = 'a';
        }
    };
    const Case cases[] = {
        {"lower-case hex digit", lowerCase, CloneStatus::Format},
        {"bad checksum", [](Frames& f) { f[5][f[5].size() - 2] ^= 0x01; }, CloneStatus::Format},
        {"count does not match the length", [](Frames& f) { f[2][10] = '0'; f[2][11] = 'F'; }, CloneStatus::Format},
        {"odd number of characters", [](Frames& f) { f[2].insert(f[2].end() - 1, 'A'); }, CloneStatus::Format},
        {"frame from the program's address", [](Frames& f) { f[1][2] = 0xEE; f[1][3] = 0xEF; }, CloneStatus::Format},
        {"unknown command", [](Frames& f) { f[1][4] = 0xE7; }, CloneStatus::Format},
        {"end frame with another maker", [](Frames& f) { f.back()[5] = 'W'; }, CloneStatus::Format},
        {"end count one short",
         [](Frames& f) { f.back() = testsupport::endFrame(static_cast<int>(f.size()) - 2); }, CloneStatus::FrameCount},
        {"a block missing",
         [](Frames& f) {
             f.erase(f.begin() + 100);
             f.back() = testsupport::endFrame(static_cast<int>(f.size()) - 1);
         },
         CloneStatus::Incomplete},
        {"a block outside the ranges",
         [](Frames& f) {
             std::uint8_t x[16] = {};
             f.insert(f.end() - 1, testsupport::dataFrame(0xFF80, x, 16));
             f.back() = testsupport::endFrame(static_cast<int>(f.size()) - 1);
         },
         CloneStatus::OutOfRange},
        {"data crossing the end of a smaller image",
         [](Frames& f) {
             std::uint8_t x[32] = {};
             f.insert(f.begin() + 1, testsupport::dataFrame(0xFFF0, x, 32));
         },
         CloneStatus::OutOfRange, 0x10000},
        {"a frame without end",
         [](Frames& f) { f[7].insert(f[7].end() - 1, 600, '0'); }, CloneStatus::Format},
    };
    for (const Case& c : cases) {
        platform::ScopedVirtualTime t;
        platform::ScopedMemorySerial s;
        FakeRadio r(s.ports.line("memory:COM1"));
        r.tamperRead = c.tamper;
        indCloneMan m;
        m.setCodes(0x2897, 0);
        m.setImageSize(c.imageSize);
        std::optional<CloneStatus> status;
        int n = 0;
        const AddressRange ranges[] = {{0x0000, 0xFF7F}, {1, 0}};
        m.read(ranges, [&](dst_CDrv_Result& res) { status = res.status, ++n; });
        t.clock.advanceUntil([&] { return n > 0; }, 60'000);
        EXPECT_EQ(n, 1) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
}

TEST_F(CloneDriverTest, GarbageBetweenFramesIsIgnored) {
    radio.tamperRead = [](std::vector<Bytes>& f) {
        for (std::size_t i = 1; i < f.size(); i += 50) f[i].insert(f[i].begin(), {0x00, 0x41, 0xFD, 0x13});
    };
    EXPECT_EQ(readStatus(), CloneStatus::Success);
}

TEST_F(CloneDriverTest, AStalledReadEndsWithStatus5OneSecondAfterTheLastFrame) {
    radio.tamperRead = [](std::vector<Bytes>& f) { f.resize(200); };  // then the radio goes quiet
    ASSERT_TRUE(man.read(kWholeEeprom, record()));
    std::uint64_t lastProgress = 0;
    std::int32_t done = 0;
    time.clock.advanceUntil(
        [&] {
            if (man.driver().dataBytesDone() != done) {
                done = man.driver().dataBytesDone();
                lastProgress = time.clock.now();
            }
            return calls > 0;
        },
        60'000);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, CloneStatus::Timeout);
    EXPECT_EQ(done, 200 * 16);
    EXPECT_GE(time.clock.now() - lastProgress, 1000u);
    EXPECT_LE(time.clock.now() - lastProgress, 1000u + 2 * cmcCloneDrv::kTickMs);
}

// ---------------------------------------------------------------- write

TEST_F(CloneDriverTest, AWriteSendsFramesInBlocksOf128AndEndsWithTheCount) {
    std::map<std::uint64_t, int> framesAt;  // virtual time -> data frames handed over
    line.onWrite = [this, &framesAt, inner = line.onWrite](platform::MemoryLine& l, const Bytes& block) {
        for (std::size_t i = 0; i + 4 < block.size(); ++i) {
            if (block[i] == 0xFE && block[i + 1] == 0xFE && block[i + 4] == 0xE4) ++framesAt[time.clock.now()];
        }
        inner(l, block);
    };
    ASSERT_TRUE(man.write(radio.image, kWriteRange, true, record()));
    auto r = finish(200'000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success);
    ASSERT_EQ(radio.dataAddresses.size(), 0xFE8u);
    EXPECT_EQ(radio.dataAddresses.front(), 0x0100);
    EXPECT_EQ(radio.readyAfterAddress.front(), 0x0180);
    // The first data frame: 0x0100, 16 bytes.
    auto firstData = std::find_if(radio.frames.begin(), radio.frames.end(),
                                  [](const Bytes& f) { return f.size() > 3 && f[3] == 0xE4; });
    ASSERT_NE(firstData, radio.frames.end());
    EXPECT_EQ(std::string(firstData->begin() + 4, firstData->begin() + 10), "010010");
    // The end frame carries 0xFE8 mod 256.
    const Bytes& end = radio.frames.back();
    EXPECT_EQ(std::string(end.begin() + 4, end.end()), "Vorn Inc.E8");
    for (std::int32_t a = 0x0100; a < cmcEeprom::kEepromSize; ++a) {
        ASSERT_EQ(radio.received.GetByte(a), radio.image.GetByte(a)) << a;
    }
    EXPECT_EQ(radio.received.GetByte(0x00FF), 0) << "nothing below the range";
    int most = 0;
    for (const auto& [when, n] : framesAt) most = std::max(most, n);
    EXPECT_LE(most, cmcCloneDrv::kFramesPerTick);
    EXPECT_EQ(line.opens.back().baudRate, 38400);
}

TEST_F(CloneDriverTest, AWriteWaitsForReadyAtEveryBoundary) {
    // The radio confirms the write request but not the first block.
    radio.boundaryReply.clear();
    ASSERT_TRUE(man.write(radio.image, kWriteRange, false, record()));
    auto r = finish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Timeout);
    EXPECT_EQ(radio.dataAddresses.size(), 8u) << "0x0100..0x017F, then nothing until 0xFB";
    EXPECT_EQ(line.opens.back().baudRate, 9600);
}

TEST_F(CloneDriverTest, WriteFailures) {
    struct Case {
        const char* name;
        std::function<void(FakeRadio&)> bend;
        CloneStatus status;
    };
    const Case cases[] = {
        {"refused", [](FakeRadio& r) { r.readyReply = {0xFA}; }, CloneStatus::Format},
        {"refused at a boundary", [](FakeRadio& r) { r.boundaryReply = {0xFA}; }, CloneStatus::Format},
        {"no ready", [](FakeRadio& r) { r.readyReply.clear(); }, CloneStatus::Timeout},
        {"acknowledged with 01",
         [](FakeRadio& r) { r.acknowledge = testsupport::frameFromRadio(0xE6, {0x01}); }, CloneStatus::NotAcknowledged},
        {"no acknowledgement", [](FakeRadio& r) { r.acknowledge.clear(); }, CloneStatus::Timeout},
    };
    for (const Case& c : cases) {
        platform::ScopedVirtualTime t;
        platform::ScopedMemorySerial s;
        FakeRadio r(s.ports.line("memory:COM1"));
        c.bend(r);
        indCloneMan m;
        m.setCodes(0x2897, 0);
        std::optional<CloneStatus> status;
        int n = 0;
        const AddressRange ranges[] = {{0x0100, 0x02FF}, {1, 0}};
        m.write(r.image, ranges, true, [&](dst_CDrv_Result& res) { status = res.status, ++n; });
        t.clock.advanceUntil([&] { return n > 0; }, 60'000);
        EXPECT_EQ(n, 1) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
}

TEST_F(CloneDriverTest, AWriteWaitsUpTo20SecondsForTheFirstReady) {
    radio.readyReply.clear();
    ASSERT_TRUE(man.write(radio.image, kWriteRange, true, record()));
    time.clock.advanceUntil([&] { return man.driver().state() == cmcCloneDrv::WaitReadyAfterRequest; }, 10'000);
    time.clock.advance(19'000);
    EXPECT_EQ(calls, 0) << "a radio may take its time to get ready";
    line.deliver(0xFB);
    auto r = finish(200'000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, CloneStatus::Success);
}

TEST_F(CloneDriverTest, HeldBackFramesNeverPassAnUnconfirmedBoundary) {
    // A slow driver queue: the batch is held back while the port has much to send.
    line.holdOutput = true;
    const AddressRange ranges[] = {{0x0100, 0x01FF}, {0x0400, 0x0407}, {1, 0}};
    ASSERT_TRUE(man.write(radio.image, ranges, true, record()));
    while (calls == 0 && time.clock.now() < 100'000) {
        time.clock.advance(3);
        line.transmit();
    }
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, CloneStatus::Success);
    EXPECT_EQ(radio.readyAfterAddress, (std::vector<std::int32_t>{0x0180, 0x0200}));
    ASSERT_EQ(radio.dataAddresses.size(), 17u);
    EXPECT_EQ(radio.dataAddresses.back(), 0x0400);
    // Each boundary 0xFB was answered before any frame beyond it went out.
    std::size_t beyond180 = 0;
    while (radio.dataAddresses[beyond180] < 0x0180) ++beyond180;
    EXPECT_EQ(beyond180, 8u);
}

// ---------------------------------------------------------------- completion

TEST_F(CloneDriverTest, TheCompletionMayStartTheNextOperation) {
    int reads = 0;
    ASSERT_TRUE(man.identify([&](dst_CDrv_Result& r) {
        ASSERT_EQ(r.status, CloneStatus::Success);
        EXPECT_FALSE(man.isBusy());
        EXPECT_TRUE(man.read(kWholeEeprom, [&](dst_CDrv_Result& rr) {
            ++reads;
            EXPECT_EQ(rr.status, CloneStatus::Success);
        }));
    }));
    time.clock.advanceUntil([&] { return reads > 0; }, 60'000);
    EXPECT_EQ(reads, 1);
    time.clock.advance(100);
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(man.isBusy());
}

}  // namespace
