// The virtual radio's side of the live items, fed the program's frames byte by byte and
// checked against answers written out by hand. It links only what the radio links.
#include "VirtualRadio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using radiosim::RadioConfig;
using radiosim::VirtualRadio;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kHexChar[] = "0123456789ABCDEF";

// The program's E8 item frame for model 2897, extra code 0000, as it goes over the line.
Bytes itemFrame(std::uint8_t item, std::uint8_t value) {
    return {0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, item, kHexChar[value >> 4], kHexChar[value & 0xF],
            0xFD};
}
// The radio's answer to it, carrying `value`.
Bytes itemAnswer(std::uint8_t item, std::uint8_t value) {
    return {0xFE, 0xFE, 0xEF, 0xEE, 0xE8, 0x28, 0x97, 0x00, 0x00, item, kHexChar[value >> 4], kHexChar[value & 0xF],
            0xFD};
}

Bytes answerTo(VirtualRadio& radio, const Bytes& frame) {
    for (std::uint8_t b : frame) radio.receive(b);
    Bytes answer(radio.output().begin(), radio.output().end());
    radio.output().clear();
    return answer;
}

VirtualRadio radioWith(std::optional<radiosim::DetectorShape> detector) {
    RadioConfig config;
    config.detector = detector;
    return VirtualRadio(config, cmcEeprom(cmcEeprom::kEepromSize));
}

// The detector's answer (item 03, parameter 3) after the swept item 21 was set to `swept`.
TEST(VirtualRadioDetector, EachShapeAnswersItsReadingForTheSweptValue) {
    struct Case {
        const char* shape;
        std::uint8_t swept;
        std::uint8_t reading;
    };
    const Case cases[] = {
        {"flat:77", 0x00, 77},       {"flat:77", 0xFF, 77},
        {"linear:0-255", 0x00, 0},   {"linear:0-255", 0x80, 0x80}, {"linear:0-255", 0xFF, 0xFF},
        {"linear:255-0", 0x00, 255}, {"linear:255-0", 0x40, 191},  {"linear:255-0", 0xFF, 0},
        {"linear:10-20", 128, 15},   {"linear:200-100", 128, 150},  // 200 - 12800 / 255, cut toward zero
        {"peak:100-120", 100, 200},  {"peak:100-120", 120, 200},   {"peak:100-120", 95, 180},
        {"peak:100-120", 125, 180},  {"peak:100-120", 50, 0},      {"peak:100-120", 255, 0},
        {"peak:0-0", 0, 200},        {"peak:0-0", 49, 4},          {"peak:0-0", 50, 0},
    };
    for (const Case& c : cases) {
        const auto shape = radiosim::detectorFromText(c.shape);
        ASSERT_TRUE(shape) << c.shape;
        VirtualRadio radio = radioWith(shape);
        EXPECT_EQ(answerTo(radio, itemFrame(0x21, c.swept)), itemAnswer(0x21, c.swept));
        EXPECT_EQ(answerTo(radio, itemFrame(0x03, 0x03)), itemAnswer(0x03, c.reading))
            << c.shape << " at " << int(c.swept);
    }
}

TEST(VirtualRadioDetector, TheSweptValueIsTheLatestItemThatSetsAValue) {
    struct Step {
        Bytes frame;
        std::uint8_t swept;  // the reading of linear:0-255 afterwards
    };
    const Bytes nonHexValue = {0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x22, 0x33, 0x47, 0xFD};
    const Bytes lineSpeed = {0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x01, 0x30, 0x39, 0xFD};
    const Step steps[] = {
        {itemFrame(0x21, 0x80), 0x80},
        {itemFrame(0x00, 0x05), 0x80},  // a channel selection
        {lineSpeed, 0x80},
        {itemFrame(0x03, 0x01), 0x80},  // another reading
        {itemFrame(0x40, 0x58), 0x80},  // an address selection
        {nonHexValue, 0x80},            // item 22 with "3G": not understood
        {itemFrame(0x41, 0x20), 0x20},  // a byte write is a value
        {itemFrame(0x13, 0xC4), 0xC4},
    };
    VirtualRadio radio = radioWith(radiosim::detectorFromText("linear:0-255"));
    for (const Step& s : steps) {
        answerTo(radio, s.frame);
        EXPECT_EQ(answerTo(radio, itemFrame(0x03, 0x03)), itemAnswer(0x03, s.swept))
            << "after item " << int(s.frame[9]);
    }
}

TEST(VirtualRadioDetector, WithoutAShapeParameter3ReadsTheFixedTable) {
    VirtualRadio radio = radioWith(std::nullopt);
    answerTo(radio, itemFrame(0x21, 0x80));
    EXPECT_EQ(answerTo(radio, itemFrame(0x03, 0x03)), itemAnswer(0x03, 0x12));
}

TEST(VirtualRadioDetector, ShapeTextsOutsideTheGrammarAreRefused) {
    for (const char* text : {"", "flat", "flat:", "flat:256", "flat:-1", "flat:7-9", "linear:0", "linear:0-", "linear:-5",
                             "linear:0-256", "linear:a-b", "peak:120-100", "peak:0-300", "wave:1-2", "FLAT:1",
                             "flat:1 ", "flat:0x10"}) {
        EXPECT_FALSE(radiosim::detectorFromText(text)) << '"' << text << '"';
    }
}

TEST(VirtualRadioByteWrites, Item41WritesTheAddressItem40SelectedIntoTheMemory) {
    cmcEeprom memory(cmcEeprom::kEepromSize);
    memory.SetByte(0x5A, 0x11);
    VirtualRadio radio(RadioConfig{}, memory);

    // Without a selection a byte write lands nowhere.
    EXPECT_EQ(answerTo(radio, itemFrame(0x41, 0x77)), itemAnswer(0x41, 0x77));
    EXPECT_FALSE(radio.selectedAddress());
    for (std::int32_t a = 0; a < 0x100; ++a) ASSERT_EQ(radio.image().GetByte(a), a == 0x5A ? 0x11 : 0x00) << a;

    EXPECT_EQ(answerTo(radio, itemFrame(0x40, 0x58)), itemAnswer(0x40, 0x58));
    EXPECT_EQ(answerTo(radio, itemFrame(0x41, 0xA5)), itemAnswer(0x41, 0xA5));
    EXPECT_EQ(answerTo(radio, itemFrame(0x40, 0x5A)), itemAnswer(0x40, 0x5A));
    answerTo(radio, itemFrame(0x41, 0x01));
    answerTo(radio, itemFrame(0x41, 0xFE));  // the selection stays: the second write replaces the first
    EXPECT_EQ(radio.selectedAddress(), 0x5A);
    EXPECT_EQ(radio.image().GetByte(0x58), 0xA5);
    EXPECT_EQ(radio.image().GetByte(0x5A), 0xFE);

    // A clone read delivers them: the data frame for 0050 carries A5 at 0058 and FE at 005A.
    const Bytes read = {0xFE, 0xFE, 0xEE, 0xEF, 0xE2, 0x28, 0x97, 0x00, 0x00, 0xFD};
    const Bytes answer = answerTo(radio, read);
    const std::string text(answer.begin(), answer.end());
    // address, count, bytes 0050..005F, checksum: 00 + 50 + 10 + A5 + FE + FD sums to 0 in a byte
    const std::string frame0050 = std::string("\xFE\xFE\xEF\xEE\xE4") + "0050" + "10" + "0000000000000000" + "A5" +
                                  "00" + "FE" + "0000000000" + "FD" + "\xFD";
    EXPECT_NE(text.find(frame0050), std::string::npos);
}

TEST(VirtualRadioTrace, EveryFrameHeardGivesOneLine) {
    RadioConfig config;
    config.fault = radiosim::Fault::Silence;  // heard though never answered
    VirtualRadio radio(config, cmcEeprom(cmcEeprom::kEepromSize));
    std::vector<std::string> lines;
    radio.onFrame = [&](const Bytes& frame) { lines.push_back(radiosim::traceLine(frame)); };
    const Bytes heard = {
        0x55, 0x13,                                                              // noise before any frame
        0xFE, 0xFE, 0xEE, 0xEF, 0xE0, 0x28, 0x97, 0x00, 0x00, 0xFD,              // identify
        0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x21, 0x33, 0x41, 0xFD,  // item 21 = "3A"
        0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x21, 0x33, 0x61, 0xFD,  // "3a": not our hex
        0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x40, 0x47, 0x30, 0xFD,  // "G0"
        0xFE, 0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0xFD,                    // too short for an item
        0xFE, 0xFE, 0xEE, 0xEF, 0xE3, 0x12, 0x34, 0x00, 0x00, 0xFD,              // another model's write
        0xFE, 0xEE, 0xFD,                                                        // no command byte: no line
    };
    for (std::uint8_t b : heard) radio.receive(b);
    const std::vector<std::string> expected = {"E0", "E8 21 3A", "E8 21 ??", "E8 40 ??", "E8", "E3"};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(radio.output().empty());
}

}  // namespace
