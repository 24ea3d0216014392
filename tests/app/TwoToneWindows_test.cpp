// The two-tone windows a clone write sends: the tolerance by the radio's revision, the
// bounds of hand-computed tones, and which bytes of an image the update may touch.

#include "app/TwoToneWindows.h"
#include "app/ModelRules.h"
#include "image/RecordAccessor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kTwoTone = 12;
constexpr std::int32_t kWindows = 0x16D71;  // 8 bytes per code: lower 1, upper 1, lower 2, upper 2

TEST(TwoToneWindowsTest, ToleranceFollowsTheRadiosRevisionByte) {
    struct Case {
        std::uint8_t revision;
        int percent;
    } cases[] = {{0x00, 3}, {0x0F, 3}, {0x10, 3}, {0x11, 2}, {0x12, 2},
                 {0x1F, 2}, {0x20, 2}, {0x30, 2}, {0x40, 2}, {0xFF, 2}};
    for (const Case& c : cases) EXPECT_EQ(twotone::tolerancePercent(c.revision), c.percent) << int(c.revision);
}

TEST(TwoToneWindowsTest, WindowsOfHandComputedTones) {
    struct Case {
        std::uint16_t frequency;  // 0.1 Hz
        int percent;
        twotone::Window window;
    } cases[] = {
        {10000, 3, {9700, 10300}},  // 1000.0 Hz
        {10000, 2, {9800, 10200}},
        {2500, 3, {2425, 2575}},     // the lowest tone the sheet takes
        {33000, 3, {32010, 33990}},  // the highest
        {15333, 2, {15026, 15640}},  // 15026.34, 15639.66
        // Bounds exactly on a half round up: 2473.5, 2626.5 and 24.5, 25.5.
        {2550, 3, {2474, 2627}},
        {25, 2, {25, 26}},
        {0, 3, {0, 0}},
        // An upper bound beyond the 16-bit field stays at its largest value.
        {65535, 3, {63569, 0xFFFF}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(twotone::window(c.frequency, c.percent), c.window) << c.frequency << " at " << c.percent << "%";
    }
}

// An image whose bytes all differ from their neighbours, so that a stray write shows.
cmcEeprom PatternImage() {
    cmcEeprom image(cmcEeprom::kImageSize);
    for (std::int32_t a = 0; a < image.Size(); ++a) image.SetByte(a, static_cast<std::uint8_t>(a * 7 + 3));
    return image;
}

TEST(TwoToneWindowsTest, OnlyTheWindowsOfCodesOneToTenChange) {
    cmcEeprom image = PatternImage();
    RecordAccessor codes(image);
    for (int n = 1; n <= 10; ++n) {
        codes.load(kTwoTone, n);
        codes.set(Fld::TwoT_RxFreq_1st, 3000 + 1000 * n);
        codes.set(Fld::TwoT_RxFreq_2nd, 2550 + 100 * n);
        codes.store(kTwoTone, n);
    }
    const cmcEeprom before = image;
    ASSERT_TRUE(twotone::updateWindows(image, 4, 0x12));  // LMR mobile, revision 1.2: 2 %

    for (int n = 1; n <= 10; ++n) {
        codes.load(kTwoTone, n);
        const twotone::Window first = twotone::window(static_cast<std::uint16_t>(3000 + 1000 * n), 2);
        const twotone::Window second = twotone::window(static_cast<std::uint16_t>(2550 + 100 * n), 2);
        EXPECT_EQ(codes.get(Fld::TwoT_Lower1), first.lower) << n;
        EXPECT_EQ(codes.get(Fld::TwoT_Upper1), first.upper) << n;
        EXPECT_EQ(codes.get(Fld::TwoT_Lower2), second.lower) << n;
        EXPECT_EQ(codes.get(Fld::TwoT_Upper2), second.upper) << n;
    }
    // Code 1's windows by hand: 4000 -> 3920/4080, 2650 -> 2597/2703.
    const std::vector<std::uint8_t> code1 = {0x0F, 0x50, 0x0F, 0xF0, 0x0A, 0x25, 0x0A, 0x8F};
    for (std::size_t i = 0; i < code1.size(); ++i) {
        EXPECT_EQ(image.GetByte(kWindows + 8 + static_cast<std::int32_t>(i)), code1[i]) << i;
    }
    // Every other byte keeps its value, the eight where code 0's window would lie included:
    // they belong to another table.
    std::vector<std::int32_t> changedOutside;
    for (std::int32_t a = 0; a < image.Size(); ++a) {
        const bool window = a >= kWindows + 8 && a < kWindows + 8 * 11;
        if (!window && image.GetByte(a) != before.GetByte(a)) changedOutside.push_back(a);
    }
    EXPECT_EQ(changedOutside, std::vector<std::int32_t>{});
}

TEST(TwoToneWindowsTest, OnlyTheLmrKindsAreUpdated) {
    const cmcEeprom before = PatternImage();
    for (int kind = 0; kind < model::kKinds; ++kind) {
        cmcEeprom image = before;
        EXPECT_EQ(twotone::updateWindows(image, kind, 0x10), model::isLmr(kind)) << kind;
        if (!model::isLmr(kind)) {
            EXPECT_TRUE(image.Equals(before)) << kind;
        }
    }
}

}  // namespace
