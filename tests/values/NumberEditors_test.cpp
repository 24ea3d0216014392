// The numeric editors: typed numbers, steps at and past the ends, the texts they show and the
// in-place editor they open. Expected texts are written out as a technician would read them.
#include "overlay/cmcGTex.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"

#include "EditorRequests.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using testsupport::KeyRequest;
using testsupport::TypedRequest;

using editors::ScaledSpec;
using editors::SettingSpec;
using editors::TimerSpec;

constexpr std::int32_t kLeft = cellkey::VirtualKey(cellkey::vk::kLeft);
constexpr std::int32_t kRight = cellkey::VirtualKey(cellkey::vk::kRight);
constexpr std::int32_t kSpace = cellkey::kSpace;
constexpr std::int32_t kBack = cellkey::kBackspace;
constexpr std::int32_t kEnter = cellkey::kEnter;

cmcCellCapsule DrawRequest() {
    cmcCellCapsule r;
    r.mode = CellMode::Draw;
    return r;
}

// The in-place editor a key asked for: its text and selection.
struct Opened {
    std::string text;
    std::int32_t start, length;
    bool operator==(const Opened&) const = default;
};
std::optional<Opened> OpenedBy(const cmcCellCapsule& r, CellResult result) {
    if (result != CellResult::StartEdit) return std::nullopt;
    return Opened{r.editText, r.editStart, r.editLength};
}
void PrintTo(const Opened& o, std::ostream* os) {
    *os << '"' << o.text << "\" " << o.start << '+' << o.length;
}

// --- Typed numbers ------------------------------------------------------------------------

TEST(ParseTypedNumber, KeepsDigitsAndAllowedCharactersAndCutsAfterTheNinth) {
    const struct {
        const char* text;
        std::optional<double> number;
    } cases[] = {
        {"12", 12},
        {" 1.5 V", 1.5},
        {"-7", -7},
        {"1,234", 1234},               // separators are dropped, not read as a point
        {"12345678", 12345678},        // eight characters are kept whole
        {"1234567890123", 123456789},  // more than eight: cut after the ninth
        {"12.345678901", 12.345678},
        {"1.2.3", 1.2},  // reading stops where the number does
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-.", std::nullopt},          // no digit, nothing to read
        {"---------5", std::nullopt},  // the digit lies beyond the ninth kept character
        {"--5", std::nullopt},         // a digit, but no number
    };
    for (const auto& c : cases) {
        EXPECT_EQ(editors::ParseTypedNumber(c.text), c.number) << c.text;
    }
    EXPECT_EQ(editors::ParseTypedNumber("-5", "."), 5) << "'-' not allowed: dropped";
}

// --- EditNumber -------------------------------------------------------------------------------

TEST(EditNumber, ArrowsStepClampAndRoundDownToTheStep) {
    const struct {
        std::int32_t min, max, step, from, key, to;
    } cases[] = {
        {0, 255, 5, 252, kRight, 255},  // clamped, and 255 is a multiple of 5
        {0, 255, 5, 3, kLeft, 0},
        {0, 255, 5, 7, kRight, 10},  // 12 rounded down
        {0, 255, 5, 255, kRight, 255},
        {0, 255, 1, 100, kRight, 101},
        {0, 255, 1, 100, kLeft, 99},
        // Ends that are no multiples of the step: the value stays in range and never moves
        // against the arrow.
        {3, 254, 5, 4, kLeft, 3},
        {3, 254, 5, 254, kRight, 254},
        {3, 254, 5, 250, kLeft, 245},
    };
    for (const auto& c : cases) {
        std::int32_t value = c.from;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditNumber(r, result, value, {.min = c.min, .max = c.max, .step = c.step}));
        EXPECT_EQ(value, c.to) << c.from << (c.key == kLeft ? " Left" : " Right") << " by " << c.step;
        EXPECT_EQ(r.displayText, std::to_string(c.to));
        EXPECT_EQ(result, CellResult::None);
    }
}

TEST(EditNumber, CommitRoundsHalfAwayFromZeroBySubtractsOffsetAndClamps) {
    const struct {
        const char* text;
        std::int32_t min, max, offset, step, expected;
    } cases[] = {
        {"12", 0, 255, 0, 1, 12},        {"12.5", 0, 255, 0, 1, 13},
        {"-2.5", -10, 10, 0, 1, -3},     {"300", 0, 255, 0, 1, 255},
        {"-3", 0, 255, 0, 1, 0},         {"50", 0, 255, 10, 1, 40},  // shown as value + 10
        {"12", 0, 255, 0, 5, 10},        {"13", 0, 255, 0, 5, 15},
        {"7.5", 0, 255, 0, 5, 10},  // 8, then 1.6 steps round to 2
        {"2.5", 0, 255, 0, 5, 5},   // 3, then 0.6 steps round to 1
        {"-12.5", -100, 100, 0, 5, -15},
    };
    for (const auto& c : cases) {
        std::int32_t value = 1;
        cmcCellCapsule r = TypedRequest(c.text);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditNumber(r, result, value,
                                        {.min = c.min, .max = c.max, .displayOffset = c.offset, .step = c.step}));
        EXPECT_EQ(value, c.expected) << c.text;
        EXPECT_EQ(r.displayText, std::to_string(c.expected + c.offset));
        EXPECT_EQ(r.editStart, 0);
        EXPECT_EQ(r.editLength, static_cast<std::int32_t>(r.displayText.size()));
    }
}

TEST(EditNumber, TextWithoutADigitChangesNothing) {
    for (const char* text : {"", ".", "-", "abc"}) {
        std::int32_t value = 77;
        cmcCellCapsule r = TypedRequest(text);
        CellResult result = CellResult::None;
        EXPECT_FALSE(editors::EditNumber(r, result, value, {}));
        EXPECT_EQ(value, 77) << '"' << text << '"';
    }
}

TEST(EditNumber, KeysOpenTheEditorOrExecute) {
    const struct {
        std::int32_t key, min;
        bool enterExecutes;
        std::optional<Opened> opened;
        bool execute;
    } cases[] = {
        {'7', 0, false, Opened{"7", 1, 0}, false},
        {kEnter, 0, false, Opened{"128", 0, 3}, false},
        {cellkey::kDoubleClick, 0, false, Opened{"128", 0, 3}, false},
        {kEnter, 0, true, std::nullopt, true},
        {'-', 0, false, std::nullopt, false},
        {'-', -5, false, Opened{"-", 1, 0}, false},
        {kSpace, 0, false, std::nullopt, false},  // Space and Backspace do not step here
        {kBack, 0, false, std::nullopt, false},
    };
    for (const auto& c : cases) {
        std::int32_t value = 128;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_FALSE(editors::EditNumber(r, result, value, {.min = c.min, .enterExecutes = c.enterExecutes}));
        EXPECT_EQ(value, 128);
        EXPECT_EQ(OpenedBy(r, result), c.opened) << "key " << c.key;
        EXPECT_EQ(r.execute, c.execute) << "key " << c.key;
    }
}

TEST(EditNumber, ClampFirstOverrideAndKeysOnlyInActionMode) {
    std::int32_t value = 300;
    cmcCellCapsule r = DrawRequest();
    CellResult result = CellResult::None;
    EXPECT_FALSE(editors::EditNumber(r, result, value, {}));
    EXPECT_EQ(r.displayText, "300") << "shown as stored without clamp-first";
    EXPECT_TRUE(editors::EditNumber(r, result, value, {.clampFirst = true}));
    EXPECT_EQ(value, 255);

    r = DrawRequest();
    r.key = kRight;
    EXPECT_FALSE(editors::EditNumber(r, result, value, {.displayOverride = "---"}));
    EXPECT_EQ(value, 255);
    EXPECT_EQ(r.displayText, "---");
    EXPECT_EQ(r.editLength, 3);
}

// --- EditSetting ------------------------------------------------------------------------------

TEST(EditSetting, SpaceAndBackspaceWrapOrStayAtTheEnds) {
    const struct {
        bool wrap;
        std::int32_t min, max, step, from, key, to;
    } cases[] = {
        {true, 0, 10, 1, 0, kBack, 10},
        {true, 0, 10, 1, 10, kSpace, 0},
        {true, 1, 10, 1, 5, kSpace, 6},
        {false, 0, 10, 1, 0, kBack, 0},
        {false, 0, 10, 1, 10, kSpace, 10},
        {true, 0, 255, 5, 7, kSpace, 10},  // 12 rounded down
        {true, 0, 255, 5, 0, kBack, 255},
        {true, 1, 255, 5, 255, kSpace, 1},  // wraps to 1, which rounding must not leave
    };
    for (const auto& c : cases) {
        std::int32_t value = c.from;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_TRUE(
            editors::EditSetting(r, result, value, {.min = c.min, .max = c.max, .step = c.step, .wrap = c.wrap}));
        EXPECT_EQ(value, c.to) << c.from << (c.key == kBack ? " Backspace" : " Space") << (c.wrap ? " wrap" : "");
    }
}

TEST(EditSetting, OffsetCommitEnterAndOutOfRangeValues) {
    const SettingSpec contrast{.min = 0, .max = 15, .displayOffset = 1};
    std::int32_t value = 4;
    cmcCellCapsule r = KeyRequest(kEnter);
    CellResult result = CellResult::None;
    EXPECT_FALSE(editors::EditSetting(r, result, value, contrast));
    EXPECT_EQ(OpenedBy(r, result), (Opened{"5", 0, 1}));

    r = KeyRequest(kRight);
    result = CellResult::None;
    EXPECT_FALSE(editors::EditSetting(r, result, value, contrast)) << "arrows are the adjustment values' keys";

    r = TypedRequest("16");
    EXPECT_TRUE(editors::EditSetting(r, result, value, contrast));
    EXPECT_EQ(value, 15);
    EXPECT_EQ(r.displayText, "16");

    value = 40;  // an image byte beyond the range is brought into it
    r = DrawRequest();
    EXPECT_TRUE(editors::EditSetting(r, result, value, contrast));
    EXPECT_EQ(value, 15);
}

TEST(EditSettingByte, WritesTheByteOnlyOnAChange) {
    std::uint8_t byte = 9;
    cmcCellCapsule r = KeyRequest(kSpace);
    CellResult result = CellResult::None;
    EXPECT_TRUE(editors::EditSettingByte(r, result, byte, {.min = 0, .max = 9}));
    EXPECT_EQ(byte, 0);
    r = DrawRequest();
    EXPECT_FALSE(editors::EditSettingByte(r, result, byte, {.min = 0, .max = 9}));
    EXPECT_EQ(r.displayText, "0");
}

// --- EditScaled -------------------------------------------------------------------------------

const ScaledSpec kTimingErrTac{.decimals = 2, .kept = 2, .min = 0.01, .max = 2.55};
const ScaledSpec kBeepRepeat{.decimals = 0, .kept = 3, .min = 0, .max = 60};
const ScaledSpec kUserCtcss{.decimals = 1, .kept = 1, .min = 60.0, .max = 300.0, .spaceOpensEditor = true};
const ScaledSpec kNotoneTimer{.decimals = 2, .kept = 3, .min = 0.02, .max = 0.3, .step = 2};
const ScaledSpec kIfFreq{.decimals = 6, .kept = 4, .min = -99.975, .max = 99.975, .step = 25000, .stepKeys = false};
const ScaledSpec kVcoControl{.decimals = 1, .kept = 4, .min = 0, .max = 799.9};
const ScaledSpec kCleared{.decimals = 2, .kept = 2, .max = 2.55, .clearOnEnter = true};

TEST(EditScaled, ShowsTheKeptDigits) {
    const struct {
        const ScaledSpec& spec;
        std::int32_t value;
        const char* text;
    } cases[] = {
        {kTimingErrTac, 100, "  1.00"},  {kTimingErrTac, 5, "  0.05"},    {kBeepRepeat, 60, " 60.000"},
        {kUserCtcss, 885, " 88.5"},      {kNotoneTimer, 2, "  0.020"},    {kIfFreq, -99975000, "-99.9750"},
        {kIfFreq, -500000, " -0.5000"},  // the sign of a value above -1 is kept
        {kIfFreq, 10012345, " 10.0123"}, {kVcoControl, 7999, "799.9000"},
    };
    for (const auto& c : cases) {
        std::int32_t value = c.value;
        cmcCellCapsule r = DrawRequest();
        CellResult result = CellResult::None;
        EXPECT_FALSE(editors::EditScaled(r, result, value, c.spec));
        EXPECT_EQ(r.displayText, c.text) << c.value;
    }
}

TEST(EditScaled, CommitScalesRoundsReducesToTheStepAndClamps) {
    const struct {
        const ScaledSpec& spec;
        const char* text;
        std::int32_t value;
    } cases[] = {
        {kTimingErrTac, "1.5", 150},    {kTimingErrTac, "2.6", 255},     // above the end
        {kTimingErrTac, "0", 1},                                         // the lower end is 0.01
        {kBeepRepeat, "7.6", 8},        {kNotoneTimer, "0.15", 14},      // 15 reduced to a multiple of 2
        {kNotoneTimer, "0.125", 12},                                     // 12.5 rounds to 13, reduced to 12
        {kIfFreq, "10.0126", 10000000}, {kIfFreq, "-10.03", -10025000},  // reduced toward zero
        {kIfFreq, "123", 99975000},     {kUserCtcss, "88.25", 883},      // 882.5 rounds away from zero
    };
    for (const auto& c : cases) {
        std::int32_t value = 0;
        cmcCellCapsule r = TypedRequest(c.text);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditScaled(r, result, value, c.spec));
        EXPECT_EQ(value, c.value) << c.text;
    }
    std::int32_t value = 150;
    cmcCellCapsule r = TypedRequest(".");
    CellResult result = CellResult::None;
    EXPECT_FALSE(editors::EditScaled(r, result, value, kTimingErrTac));
    EXPECT_EQ(value, 150) << "a point alone is no number";
}

TEST(EditScaled, StepKeysWrapBetweenTheEnds) {
    const struct {
        const ScaledSpec& spec;
        std::int32_t from, key, to;
    } cases[] = {
        {kTimingErrTac, 255, kSpace, 1}, {kTimingErrTac, 1, kBack, 255}, {kNotoneTimer, 2, kSpace, 4},
        {kNotoneTimer, 30, kSpace, 2},   {kUserCtcss, 885, kBack, 884},  // Space opens its editor, Backspace still
                                                                         // steps
    };
    for (const auto& c : cases) {
        std::int32_t value = c.from;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditScaled(r, result, value, c.spec));
        EXPECT_EQ(value, c.to) << c.from;
    }
}

TEST(EditScaled, KeysThatOpenTheEditor) {
    const struct {
        const ScaledSpec& spec;
        std::int32_t key;
        std::optional<Opened> opened;
    } cases[] = {
        {kTimingErrTac, '.', Opened{"1.00", 2, 0}},  // caret after the point
        {kTimingErrTac, '5', Opened{"5", 1, 0}},       {kTimingErrTac, '-', Opened{"-", 1, 0}},
        {kTimingErrTac, kEnter, Opened{"1.00", 0, 4}}, {kUserCtcss, kSpace, Opened{"10.0", 0, 4}},
        {kIfFreq, kSpace, Opened{"0.0001", 0, 6}},     {kIfFreq, kBack, std::nullopt},
        {kCleared, kEnter, Opened{"", 0, 0}},
    };
    for (const auto& c : cases) {
        std::int32_t value = 100;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_FALSE(editors::EditScaled(r, result, value, c.spec));
        EXPECT_EQ(OpenedBy(r, result), c.opened) << "key " << c.key;
    }
}

TEST(EditScaled, TrimsTrailingZerosButNotTheWholePart) {
    const ScaledSpec seconds{.decimals = 3, .kept = 3, .min = 0, .max = 100, .trimZeros = 3};
    const struct {
        std::int32_t value;
        const char* text;
    } cases[] = {{1500, "  1.5"}, {1000, "  1"}, {10000, " 10"}, {1234, "  1.234"}};
    for (const auto& c : cases) {
        std::int32_t value = c.value;
        cmcCellCapsule r = DrawRequest();
        CellResult result = CellResult::None;
        editors::EditScaled(r, result, value, seconds);
        EXPECT_EQ(r.displayText, c.text);
    }
}

// --- EditTimer ----------------------------------------------------------------------------------

class EditTimerTest : public ::testing::Test {
protected:
    EditTimerTest() { overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL"); }

    // Runs the editor on `value`; returns the text shown.
    std::string Run(cmcCellCapsule r, const TimerSpec& spec) {
        changed = editors::EditTimer(r, result, value, spec);
        request = r;
        return r.displayText;
    }

    cmcGTex overlay;
    ScopedGTex install{overlay};
    const TimerSpec offTimer{.unitsPerSecond = 10, .offAllowed = true};
    std::int32_t value = 0;
    bool changed = false;
    CellResult result = CellResult::None;
    cmcCellCapsule request;
};

TEST_F(EditTimerTest, ZeroWithoutAKeyShowsOff) {
    EXPECT_EQ(Run(DrawRequest(), offTimer), GTex().GetLine("GI_AppInd_TimerOff", 0));
    EXPECT_EQ(Run(DrawRequest(), offTimer), "Off");
    EXPECT_FALSE(changed);
    EXPECT_EQ(Run(KeyRequest(kEnter), offTimer), "  0.000") << "the editor opens on a number";
    EXPECT_EQ(OpenedBy(request, result), (Opened{"0.000", 0, 5}));
    result = CellResult::None;
    EXPECT_EQ(Run(DrawRequest(), TimerSpec{.unitsPerSecond = 10}), "  0.000") << "off not allowed";
}

TEST_F(EditTimerTest, TypedOffAndNumbers) {
    const struct {
        const char* text;
        std::int32_t from, to;
        const char* shown;
    } cases[] = {
        {"1.25", 0, 12, "  1.200"}, {"off", 12, 0, "Off"},       {" OFF", 12, 0, "Off"}, {"Of", 12, 0, "Off"},
        {"999", 0, 255, " 25.500"}, {"0.0996", 0, 1, "  0.100"},  // 0.0005 lifts it over the unit
    };
    for (const auto& c : cases) {
        value = c.from;
        EXPECT_EQ(Run(TypedRequest(c.text), offTimer), c.shown) << c.text;
        EXPECT_TRUE(changed) << c.text;
        EXPECT_EQ(value, c.to) << c.text;
    }
    value = 12;
    Run(TypedRequest("off"), TimerSpec{.unitsPerSecond = 10, .min = 5});
    EXPECT_FALSE(changed) << "no off on a timer without one";
    EXPECT_EQ(value, 12);
    Run(TypedRequest("x"), offTimer);
    EXPECT_FALSE(changed);
}

TEST_F(EditTimerTest, StepsWrapAndTrimmedTexts) {
    value = 255;
    Run(KeyRequest(kSpace), offTimer);
    EXPECT_EQ(value, 0);
    Run(KeyRequest(kBack), offTimer);
    EXPECT_EQ(value, 255);

    value = 12;
    EXPECT_EQ(Run(DrawRequest(), TimerSpec{.unitsPerSecond = 10, .trimZeros = 2}), "  1.2");
    value = 10;
    EXPECT_EQ(Run(DrawRequest(), TimerSpec{.unitsPerSecond = 10, .trimZeros = 3}), "  1");
    value = 125;
    EXPECT_EQ(Run(DrawRequest(), TimerSpec{.unitsPerSecond = 100}), "  1.250");

    for (const std::int32_t key : {std::int32_t{'o'}, std::int32_t{'O'}, std::int32_t{'.'}, std::int32_t{'3'}}) {
        result = CellResult::None;
        Run(KeyRequest(key), offTimer);
        EXPECT_EQ(OpenedBy(request, result), (Opened{std::string(1, static_cast<char>(key)), 1, 0}));
    }
}

// --- EditMinSec ---------------------------------------------------------------------------------

TEST(EditMinSec, TypedMinutesAndSecondsRoundToTheStep) {
    const struct {
        std::int32_t secondsPerStep;
        const char* text;
        std::int32_t steps;
        const char* shown;
    } cases[] = {
        {5, "1:02", 13, " 1:05"},                              // 62 s: the remainder 2 reaches half a step
        {5, "1:01", 12, " 1:00"}, {5, "5", 60, " 5:00"},       // no colon: minutes
        {5, ":30", 6, " 0:30"},   {5, "99:99", 720, "60:00"},  // clamped to the hour
        {1, "1:02", 62, " 1:02"},                              // one second per step never rounds up
        {2, "0:03", 2, " 0:04"},
    };
    for (const auto& c : cases) {
        std::int32_t value = 0;
        cmcCellCapsule r = TypedRequest(c.text);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditMinSec(r, result, value, 0, 3600, c.secondsPerStep));
        EXPECT_EQ(value, c.steps) << c.text << " by " << c.secondsPerStep;
        EXPECT_EQ(r.displayText, c.shown);
    }
    std::int32_t value = 7;
    cmcCellCapsule r = TypedRequest("min");
    CellResult result = CellResult::None;
    EXPECT_FALSE(editors::EditMinSec(r, result, value, 0, 3600, 5));
    EXPECT_EQ(value, 7);
}

TEST(EditMinSec, StepsWrapAndTypingKeys) {
    std::int32_t value = 720;
    cmcCellCapsule r = KeyRequest(kSpace);
    CellResult result = CellResult::None;
    EXPECT_TRUE(editors::EditMinSec(r, result, value, 10, 3600, 5));
    EXPECT_EQ(value, 2) << "wraps to 10 s";
    r = KeyRequest(':');
    EXPECT_FALSE(editors::EditMinSec(r, result, value, 10, 3600, 5));
    EXPECT_EQ(OpenedBy(r, result), (Opened{":", 1, 0}));
}

// --- EditPaddedNumber ----------------------------------------------------------------------------

TEST(EditPaddedNumber, AcceptsOnlyNumbersInRange) {
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {{"123", true}, {"4095", true}, {"4096", false}, {"-1", false}, {"", false}, {"x", false}};
    for (const auto& c : cases) {
        std::int32_t value = 7;
        cmcCellCapsule r = TypedRequest(c.text);
        CellResult result = CellResult::None;
        EXPECT_EQ(editors::EditPaddedNumber(r, result, value, 4, 0, 4095), c.accepted) << c.text;
        EXPECT_EQ(value, c.accepted ? std::stoi(c.text) : 7) << c.text;
    }
}

TEST(EditPaddedNumber, PaddingStepsAndKeys) {
    std::int32_t value = 7;
    cmcCellCapsule r = DrawRequest();
    CellResult result = CellResult::None;
    editors::EditPaddedNumber(r, result, value, 4, 0, 4095);
    EXPECT_EQ(r.displayText, "0007");
    editors::EditPaddedNumber(r, result, value, 4, 0, 4095, true);
    EXPECT_EQ(r.displayText, "7");

    value = 4095;
    r = KeyRequest(kSpace);
    EXPECT_TRUE(editors::EditPaddedNumber(r, result, value, 4, 0, 4095));
    EXPECT_EQ(r.displayText, "0000");
    r = KeyRequest(kBack);
    EXPECT_TRUE(editors::EditPaddedNumber(r, result, value, 4, 0, 4095));
    EXPECT_EQ(value, 4095);

    r = KeyRequest('-');
    editors::EditPaddedNumber(r, result, value, 4, 0, 4095);
    EXPECT_EQ(result, CellResult::None) << "no minus over a range without negatives";
    r = KeyRequest(kEnter);
    editors::EditPaddedNumber(r, result, value, 4, 0, 4095);
    EXPECT_EQ(OpenedBy(r, result), (Opened{"4095", 0, 4}));
}

// --- ShowBar --------------------------------------------------------------------------------------

TEST(ShowBar, TwentyMarksInBrackets) {
    const struct {
        std::int32_t value, min, max;
        const char* bar;
    } cases[] = {
        {128, 0, 255, "[##########----------]"},
        {0, 0, 255, "[--------------------]"},
        {255, 0, 255, "[####################]"},
        {12, 0, 255, "[--------------------]"},  // 240 / 255 rounds down
        {13, 0, 255, "[#-------------------]"},
        {300, 0, 255, "[####################]"},  // outside the range: a full or empty bar
        {-5, 0, 255, "[--------------------]"},
        {5, 5, 5, "[--------------------]"},
    };
    for (const auto& c : cases) {
        cmcCellCapsule r;
        editors::ShowBar(r, c.value, c.min, c.max);
        EXPECT_EQ(r.displayText, c.bar) << c.value;
        EXPECT_EQ(r.editLength, 22);
    }
}

}  // namespace
