// The text, digit-string, DTMF, bit-set and choice editors: what they show, what a commit
// writes (bytes written out by hand) and what a key asks of the sheet.

#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "support/OverlayFragment.h"
#include "values/Editors.h"
#include "values/KeyCodes.h"

#include "EditorRequests.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using testsupport::KeyRequest;
using testsupport::TypedRequest;

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::string_view text) { return Bytes(text.begin(), text.end()); }

// --- EditText ------------------------------------------------------------------------------

TEST(EditText, CommitFillsWithSpacesCutsAtTheFieldAndShowsNonPrintablesAsSpaces) {
    struct Case {
        Bytes field;
        std::string typed;  // empty: no commit
        Bytes expected;
        std::string shown;
        bool changed;
    };
    const Case cases[] = {
        {Of("OLD NAME    "), "Depot", Of("Depot       "), "Depot", true},
        {Of("OLD NAME    "), "A name far too long", Of("A name far t"), "A name far t", true},
        {Of("Depot       "), "Depot", Of("Depot       "), "Depot", false},
        // A control code and a byte of another code page become spaces in the field itself.
        {Bytes{'A', 0x07, 'B', 0xC4, ' ', ' '}, "", Of("A B   "), "A B", false},
        {Bytes{0x00, 0x00, 0x00, 0x00}, "", Of("    "), "", false},
    };
    for (const Case& c : cases) {
        Bytes field = c.field;
        cmcCellCapsule r = c.typed.empty() ? KeyRequest(cellkey::kNone) : TypedRequest(c.typed);
        CellResult result = CellResult::None;
        EXPECT_EQ(editors::EditText(r, result, field), c.changed) << c.typed;
        EXPECT_EQ(field, c.expected) << c.typed;
        EXPECT_EQ(r.displayText, c.shown);
        EXPECT_EQ(r.editStart, 0);
        EXPECT_EQ(r.editLength, static_cast<std::int32_t>(c.shown.size()));
        EXPECT_EQ(result, CellResult::None);
    }
}

TEST(EditText, KeysOpenTheEditor) {
    struct Case {
        std::int32_t key;
        CellResult result;
        std::string editText;
        std::int32_t start, length;
    };
    const Case cases[] = {
        {cellkey::kEnter, CellResult::StartEdit, "Depot", 0, 5},
        {cellkey::kSpace, CellResult::StartEdit, "Depot", 0, 5},
        {cellkey::kBackspace, CellResult::StartEdit, "Depot", 0, 5},
        {'x', CellResult::StartEdit, "x", 1, 0},
        {'~', CellResult::StartEdit, "~", 1, 0},
        {cellkey::VirtualKey(cellkey::vk::kLeft), CellResult::None, "", 0, 0},
    };
    for (const Case& c : cases) {
        Bytes field = Of("Depot   ");
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        editors::EditText(r, result, field);
        EXPECT_EQ(result, c.result) << c.key;
        if (c.result != CellResult::StartEdit) continue;
        EXPECT_EQ(r.editText, c.editText) << c.key;
        EXPECT_EQ(r.editStart, c.start) << c.key;
        EXPECT_EQ(r.editLength, c.length) << c.key;
    }
    // Keys count only in an action: a draw with a stale key code opens nothing.
    Bytes field = Of("Depot   ");
    cmcCellCapsule r = KeyRequest('x');
    r.mode = CellMode::Draw;
    CellResult result = CellResult::None;
    editors::EditText(r, result, field);
    EXPECT_EQ(result, CellResult::None);
}

// --- EditDigits, EditHexDigits ----------------------------------------------------------------

TEST(EditDigits, TypedDigitsArePaddedOnTheLeftAndCut) {
    struct Case {
        bool hex;
        std::string typed;
        Bytes expected;
        std::string shown;
    };
    const Case cases[] = {
        {false, "42", {0, 0, 4, 2}, "0042"},
        {false, "1-2 3", {0, 1, 2, 3}, "0123"},
        {false, "987654", {9, 8, 7, 6}, "9876"},
        {false, "1a2b", {0, 0, 1, 2}, "0012"},  // letters do not count in a decimal string
        {true, "1a2b", {1, 10, 2, 11}, "1A2B"},
        {true, "f", {0, 0, 0, 15}, "000F"},
        {false, "none", {5, 5, 5, 5}, "5555"},  // nothing typed that counts: unchanged
    };
    for (const Case& c : cases) {
        Bytes digits{5, 5, 5, 5};
        cmcCellCapsule r = TypedRequest(c.typed);
        CellResult result = CellResult::None;
        const bool changed = editors::EditDigits(r, result, digits, c.hex);
        EXPECT_EQ(changed, digits != Bytes({5, 5, 5, 5})) << c.typed;
        EXPECT_EQ(digits, c.expected) << c.typed;
        EXPECT_EQ(r.displayText, c.shown) << c.typed;
    }
}

TEST(EditDigits, HexLettersStartTypingOnlyInAHexString) {
    for (const bool hex : {false, true}) {
        Bytes digits{1, 2};
        cmcCellCapsule r = KeyRequest('b');
        CellResult result = CellResult::None;
        editors::EditDigits(r, result, digits, hex);
        EXPECT_EQ(result, hex ? CellResult::StartEdit : CellResult::None) << hex;
    }
    Bytes digits{1, 2};
    cmcCellCapsule r = KeyRequest(cellkey::kSpace);
    CellResult result = CellResult::None;
    editors::EditDigits(r, result, digits, false);
    EXPECT_EQ(result, CellResult::StartEdit);
    EXPECT_EQ(r.editText, "12");
}

TEST(EditHexDigits, ShowsAndPacksNibblesMostSignificantFirst) {
    std::uint32_t value = 0x00293;
    cmcCellCapsule shown = KeyRequest(cellkey::kNone);
    CellResult result = CellResult::None;
    EXPECT_FALSE(editors::EditHexDigits(shown, result, value, 5, true));
    EXPECT_EQ(shown.displayText, "00293");

    cmcCellCapsule typed = TypedRequest("a5f");
    EXPECT_TRUE(editors::EditHexDigits(typed, result, value, 3, true));
    EXPECT_EQ(value, 0xA5Fu);
    EXPECT_EQ(typed.displayText, "A5F");

    // Bits above the cell's digits are not its own.
    value = 0xAB000123;
    cmcCellCapsule decimal = TypedRequest("77");
    EXPECT_TRUE(editors::EditHexDigits(decimal, result, value, 4, false));
    EXPECT_EQ(value, 0xAB000077u);
    EXPECT_EQ(decimal.displayText, "0077");
}

// --- EditDtmf -----------------------------------------------------------------------------------

TEST(EditDtmf, PacksTwoDigitsPerByteWithStarAndHash) {
    struct Case {
        std::string typed;
        Bytes packed;
        std::uint8_t length;
        std::string shown;
    };
    const Case cases[] = {
        {"12*#", {0x12, 0xEF, 0x00}, 4, "12*#"},
        {"1a*", {0x1A, 0xE0, 0x00}, 3, "1A*"},
        {"9-8 7", {0x98, 0x70, 0x00}, 3, "987"},
        {"0123456789", {0x01, 0x23, 0x45}, 6, "012345"},  // six digits at most
        {"", {0x00, 0x00, 0x00}, 0, ""},                  // an empty text clears the memory
    };
    for (const Case& c : cases) {
        Bytes packed{0x55, 0x55, 0x55, 0x77};  // the last byte lies beyond the six digits
        std::uint8_t length = 5;
        cmcCellCapsule r = TypedRequest(c.typed);
        CellResult result = CellResult::None;
        EXPECT_TRUE(editors::EditDtmf(r, result, packed, length, 6)) << c.typed;
        EXPECT_EQ(packed, (Bytes{c.packed[0], c.packed[1], c.packed[2], 0x77})) << c.typed;
        EXPECT_EQ(length, c.length) << c.typed;
        EXPECT_EQ(r.displayText, c.shown) << c.typed;
    }
}

TEST(EditDtmf, AnOverlongLengthIsLimitedAndDigitsOpenTheEditor) {
    Bytes packed{0x12, 0xEF};
    std::uint8_t length = 0xFF;
    cmcCellCapsule r = KeyRequest('#');
    CellResult result = CellResult::None;
    editors::EditDtmf(r, result, packed, length, 4);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(r.displayText, "12*#");
    EXPECT_EQ(result, CellResult::StartEdit);
    EXPECT_EQ(r.editText, "#");
}

// --- EditBits -----------------------------------------------------------------------------------

TEST(EditBits, KeysToggleTheirBitsAndSpaceSetsOrClearsTheSet) {
    struct Case {
        std::uint32_t bits;
        std::int32_t key;
        int first, last;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0x000, '3', 1, 11, 0x008},
        {0x008, '3', 1, 11, 0x000},
        {0x000, '0', 1, 11, 0x400},   // bit 0 is not in the set: '0' is bit 10
        {0x000, 'z', 1, 11, 0x800},
        {0x000, 'Z', 1, 11, 0x800},
        {0x000, '0', 0, 10, 0x001},   // bit 0 is in the set: '0' is bit 0
        {0x000, '9', 1, 8, 0x000},    // outside the set: nothing
        {0x000, cellkey::kSpace, 1, 3, 0x00E},
        {0x1004, cellkey::kSpace, 1, 3, 0x1000},  // bits outside the set stay
    };
    for (const Case& c : cases) {
        std::uint32_t bits = c.bits;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_EQ(editors::EditBits(r, result, bits, c.first, c.last), c.bits != c.expected) << c.key;
        EXPECT_EQ(bits, c.expected) << "key " << c.key << " bits " << c.bits;
    }
}

TEST(EditBits, ShowsOneCharacterPerBitAndAPickSetsTheWholeSet) {
    std::uint32_t bits = (1u << 1) | (1u << 10) | (1u << 11);
    cmcCellCapsule r = KeyRequest(cellkey::kNone);
    CellResult result = CellResult::None;
    editors::EditBits(r, result, bits, 1, 11);
    EXPECT_EQ(r.displayText, "1--------0Z");

    cmcCellCapsule pick;
    pick.mode = CellMode::Pick;
    pick.editText = "6";
    EXPECT_TRUE(editors::EditBits(pick, result, bits, 1, 3));
    EXPECT_EQ(bits, 6u);
    EXPECT_EQ(pick.displayText, "12-");
}

// --- EditChoice ---------------------------------------------------------------------------------

// A sheet that records the lists it was asked to open.
class FakeSheet : public CellSheetServices {
public:
    bool canOpen = true;
    struct Opened {
        std::string sheet;
        CellId kind;
        std::int32_t value;
    };
    std::vector<Opened> opened;

    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    bool OpenChoiceList(const std::string& sheet, CellId kind, std::int32_t value) override {
        opened.push_back({sheet, kind, value});
        return canOpen;
    }
};

constexpr CellId kFlex0 = CellIdOf("Flex0");
constexpr CellId kFlexMark = CellIdOf("FlexMark");

class EditChoiceTest : public ::testing::Test {
protected:
    // Two columns, read column by column: Off, Low, High, then 10 (value 7) and 2.5 (value 9);
    // a FlexMark item in between belongs to another list kind.
    testsupport::ScopedOverlay overlay{{
        "#GI_Sheet_Sel_Test_Cells",
        "{(%CT_Null.Flex0[0])}Off|{(%CT_Null.Flex0[7])}10",
        "{(%CT_Null.Flex0[3]:Low)}|{(%CT_Null.FlexMark[4])}Marked",
        "{(%CT_Null.Flex0[5])}High|{(%CT_Null.Flex0[9])} 2.5",
        "#",
    }};
    cmcFCache cache;
    ScopedFCache install{cache};
    FakeSheet sheet;

    bool Run(cmcCellCapsule& r, CellResult& result, std::int32_t& value, bool typed = false) {
        r.sheet = &sheet;
        return editors::EditChoice(r, result, value, "GI_Sheet_Sel_Test", kFlex0, typed);
    }
};

TEST_F(EditChoiceTest, SpaceAndBackspaceStepInReadingOrderAndWrap) {
    struct Case {
        std::int32_t value, key, expected;
        const char* shown;
    };
    const Case cases[] = {
        {0, cellkey::kSpace, 3, "Low"},  {3, cellkey::kSpace, 5, "High"},    {5, cellkey::kSpace, 7, "10"},
        {9, cellkey::kSpace, 0, "Off"},  {0, cellkey::kBackspace, 9, "2.5"}, {4, cellkey::kSpace, 0, "Off"},
        {5, cellkey::kNone, 5, "High"},  {8, cellkey::kNone, 8, "error"},
    };
    for (const Case& c : cases) {
        std::int32_t value = c.value;
        cmcCellCapsule r = KeyRequest(c.key);
        CellResult result = CellResult::None;
        EXPECT_EQ(Run(r, result, value), c.value != c.expected) << c.value << " key " << c.key;
        EXPECT_EQ(value, c.expected) << c.value << " key " << c.key;
        EXPECT_EQ(r.displayText, c.shown);
        EXPECT_EQ(result, CellResult::None);
    }
}

TEST_F(EditChoiceTest, EnterAsksTheSheetForThePopupAndAPickStoresTheItem) {
    std::int32_t value = 5;
    cmcCellCapsule enter = KeyRequest(cellkey::kEnter);
    CellResult result = CellResult::None;
    EXPECT_FALSE(Run(enter, result, value));
    EXPECT_EQ(result, CellResult::PopupOpened);
    ASSERT_EQ(sheet.opened.size(), 1u);
    EXPECT_EQ(sheet.opened[0].sheet, "GI_Sheet_Sel_Test");
    EXPECT_EQ(sheet.opened[0].kind, kFlex0);
    EXPECT_EQ(sheet.opened[0].value, 5);

    cmcCellObj item;
    ParseCell(item, "{(%CT_Null.Flex0[7])}10", nullptr, nullptr);
    cmcCellCapsule pick;
    pick.mode = CellMode::Pick;
    pick.picked = &item;
    result = CellResult::None;
    EXPECT_TRUE(Run(pick, result, value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(pick.displayText, "10");

    // An item of another list kind is not this cell's choice.
    cmcCellObj other;
    ParseCell(other, "{(%CT_Null.FlexMark[4])}Marked", nullptr, nullptr);
    pick.picked = &other;
    EXPECT_FALSE(Run(pick, result, value));
    EXPECT_EQ(value, 7);
}

TEST_F(EditChoiceTest, WithoutAPopupTheTypedFormOpensTheEditor) {
    sheet.canOpen = false;
    for (const bool typed : {false, true}) {
        std::int32_t value = 3;
        cmcCellCapsule r = KeyRequest(cellkey::kEnter);
        CellResult result = CellResult::None;
        Run(r, result, value, typed);
        EXPECT_EQ(result, typed ? CellResult::StartEdit : CellResult::None) << typed;
        if (typed) {
            EXPECT_EQ(r.editText, "Low");
        }
    }
}

TEST_F(EditChoiceTest, TypedTextSelectsByCaptionOrNearestNumber) {
    struct Case {
        const char* typed;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"high", 5}, {" LOW ", 3}, {"off", 0},
        {"9", 7},    {"3", 9},     {"2", 9},  // the nearest of the numbered captions 10 and 2.5
        {"medium", 1},                        // no caption, no number: unchanged
        {"marked", 1},                        // an item of another kind does not count
    };
    for (const Case& c : cases) {
        std::int32_t value = 1;
        cmcCellCapsule r = TypedRequest(c.typed);
        CellResult result = CellResult::None;
        EXPECT_EQ(Run(r, result, value, true), c.expected != 1) << c.typed;
        EXPECT_EQ(value, c.expected) << c.typed;
    }
    // The plain form reads no typed text.
    std::int32_t value = 1;
    cmcCellCapsule r = TypedRequest("high");
    CellResult result = CellResult::None;
    EXPECT_FALSE(Run(r, result, value, false));
}

TEST_F(EditChoiceTest, ByteFormWritesBackOnlyOnAChange) {
    std::uint8_t value = 0;
    cmcCellCapsule step = KeyRequest(cellkey::kSpace);
    CellResult result = CellResult::None;
    EXPECT_TRUE(editors::EditChoiceByte(step, result, value, "GI_Sheet_Sel_Test", kFlex0));
    EXPECT_EQ(value, 3);
    cmcCellCapsule draw = KeyRequest(cellkey::kNone);
    EXPECT_FALSE(editors::EditChoiceByte(draw, result, value, "GI_Sheet_Sel_Test", kFlex0));
    EXPECT_EQ(draw.displayText, "Low");
    // A list kind of its own: the FlexMark form steps through the marked items only.
    std::int32_t marked = 4;
    cmcCellCapsule other = KeyRequest(cellkey::kSpace);
    editors::EditChoice(other, result, marked, "GI_Sheet_Sel_Test", kFlexMark);
    EXPECT_EQ(marked, 4);
    EXPECT_EQ(other.displayText, "Marked");
}

}  // namespace
