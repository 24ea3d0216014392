#include "overlay/cmcCellObj.h"

#include "overlay/CodePage.h"
#include "support/OverlayFragment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::ScopedOverlay;

// The cells of a row, as the sheet builder takes them one after the other.
std::vector<cmcCellObj> ParseRow(std::string_view row, CellCounters* counters = nullptr,
                                 const cmcCellObj* base = nullptr) {
    std::vector<cmcCellObj> cells;
    while (!row.empty()) {
        cells.emplace_back();
        row = ParseCell(cells.back(), row, counters, base);
    }
    return cells;
}

cmcCellObj ParseOne(std::string_view text, CellCounters* counters = nullptr, const cmcCellObj* base = nullptr) {
    cmcCellObj cell;
    ParseCell(cell, text, counters, base);
    return cell;
}

std::string ContentOf(const cmcCellObj& cell) {
    return cell.content.value_or("<none>");
}

TEST(ParseCell, RowsSplitAtBarsThatAreNotEscaped) {
    struct Case {
        const char* row;
        std::vector<std::string> contents;
    };
    for (const Case& c : {
             Case{"|A|B|", {"<none>", "A", "B"}},
             Case{"A\\|B|C", {"A|B", "C"}},
             Case{"|A|B", {"<none>", "A", "B"}},
             Case{"A", {"A"}},
             Case{"|", {"<none>"}},
             Case{"", {}},
             Case{"|{S}|", {"<none>", "<none>"}},
         }) {
        std::vector<std::string> got;
        for (const auto& cell : ParseRow(c.row)) got.push_back(ContentOf(cell));
        EXPECT_EQ(got, c.contents) << '"' << c.row << '"';
    }
    const CellSplit split = SplitCell("A\\|B|C|");
    EXPECT_EQ(split.cell, "A\\|B") << "splitting keeps the escape for the content to resolve";
    EXPECT_EQ(split.rest, "C|");

    cmcCellObj cell;
    EXPECT_EQ(ParseCell(cell, "{S(%CL_Nope)}x|rest", nullptr, nullptr, true), "rest");
    EXPECT_FALSE(cell.selectable) << "a layout-only parse finds the end of the cell and reads nothing";
}

TEST(ParseCell, ContentEscapesAndTrimming) {
    struct Case {
        const char* text;
        const char* content;
    };
    for (const Case& c : {
             Case{"{<}\\_x\\_", " x "},
             Case{"  Text\t ", "Text"},
             Case{"one\\ntwo\\Nthree", "one\ntwo\nthree"},
             Case{"a\\{b}c", "ac"},  // braces cannot be escaped
             Case{"\\q\\\\", "q\\"},
             Case{"end\\", "end"},  // a lone backslash at the end is dropped
             Case{"{S}Cap{W}tion", "Caption"},
             Case{"\\_", " "},
         }) {
        EXPECT_EQ(ContentOf(ParseOne(c.text)), c.content) << '"' << c.text << '"';
    }
    cmcCellObj base;
    base.content = "from the model";
    EXPECT_FALSE(ParseOne("{S}  ", nullptr, &base).content.has_value()) << "an empty content leaves none";
}

TEST(ParseCell, FlagsAlignmentsAndTheirNegation) {
    const cmcCellObj all = ParseOne("{WHB+ST>_}");
    EXPECT_TRUE(all.autoWidth && all.autoHeight && all.bottomLine && all.continuesLeft && all.selectable &&
                all.rowTracking);
    EXPECT_EQ(all.hAlign, cmcCellObj::HAlign::Right);
    EXPECT_EQ(all.vAlign, cmcCellObj::VAlign::Bottom);

    ScopedOverlay overlay({"#CellModel_Line", "B^-"});
    EXPECT_FALSE(ParseOne("{($Line)!B}").bottomLine) << "! clears a flag the model set";
    EXPECT_TRUE(ParseOne("{($Line)!xB}").bottomLine) << "! before a non-flag character is used up by it";
    EXPECT_TRUE(ParseOne("{($Line)!\\BB}").bottomLine);
    EXPECT_EQ(ParseOne("{($Line)!^}").hAlign, cmcCellObj::HAlign::Left) << "clearing the chosen alignment";
    EXPECT_EQ(ParseOne("{($Line)!<}").hAlign, cmcCellObj::HAlign::Centre) << "clearing one not chosen";
    EXPECT_EQ(ParseOne("{($Line)!~}").vAlign, cmcCellObj::VAlign::Middle);
    EXPECT_FALSE(ParseOne("{\\S}").selectable) << "a backslash makes the next markup character ignored";

    const cmcCellObj flags = ParseOne("{(Flag0=1)(Flag4=1)(Flag5=1)(Flag1=2)(Flag2=1x)}");
    EXPECT_EQ(flags.userFlags, (std::array<bool, 5>{true, false, false, false, true}));
    EXPECT_EQ(ParseOne("{(Flag0=1)(Flag0=0)}").userFlags[0], false);
}

TEST(ParseCell, LookGroups) {
    const cmcCellObj red = ParseOne("{(Color=clRed)}Text");
    EXPECT_EQ(red.colour, ColourOf("clRed"));
    EXPECT_EQ(ContentOf(red), "Text");
    EXPECT_EQ(ParseOne("{(Color=clRed)(Color=clNope)}").colour, ColourOf("clRed"));
    EXPECT_EQ(ParseOne("{(ImageIndex=7)}").imageIndex, 7);
    EXPECT_EQ(ParseOne("").imageIndex, -1);
    EXPECT_EQ(*ParseOne("{(PopupMenu=GI_PMenu_Edit)}").popupMenu, "GI_PMenu_Edit");
    EXPECT_EQ(*ParseOne("{(PopupMenu=a\\)b)}").popupMenu, "a\\)b") << "groups keep their backslashes";
    EXPECT_EQ(ParseOne("{(Unknown=1)(color=clRed)()}").colour, ColourOf("clWindow"));
}

TEST(ParseCell, FontsStartFromTheBaseModelsFont) {
    cmcCellObj base;
    base.font = cmcFont{};
    base.font->height = -12;
    base.font->colour = ColourOf("clRed");

    const cmcCellObj bigger = ParseOne("{(Font=,,,%150,,,)}", nullptr, &base);
    ASSERT_TRUE(bigger.font);
    EXPECT_EQ(bigger.font->height, -18);
    EXPECT_EQ(bigger.font->colour, ColourOf("clRed"));

    const cmcCellObj twice = ParseOne("{(Font=,,clWhite,,,,)(Font=,,,,,fsBold,)}", nullptr, &base);
    EXPECT_EQ(twice.font->colour, ColourOf("clWhite")) << "a second font group refines the cell's own font";
    EXPECT_EQ(twice.font->style, cmcFont::Bold);

    const cmcCellObj fresh = ParseOne("{(Font=,,,%1,,,)}");
    EXPECT_EQ(fresh.font->height, 1) << "no base: a default font (-11), scaled to 0, which becomes 1";
    EXPECT_FALSE(ParseOne("Plain", nullptr, &base).font) << "without a font group the cell has no own font";
}

TEST(ParseCell, ResetCopiesTheBaseModelButItsFontAndPopupMenu) {
    cmcCellObj base;
    ParseCell(base, "{S^(Color=clRed)(Font=,,,-20,,,)(PopupMenu=GI_PMenu_Edit)(%CT_Mch.CL_Mch_Text[4]:p)}Basic",
              nullptr, nullptr);
    cmcCellObj cell;
    ParseCell(cell, "", nullptr, &base);
    EXPECT_TRUE(cell.selectable);
    EXPECT_EQ(cell.hAlign, cmcCellObj::HAlign::Centre);
    EXPECT_EQ(cell.colour, ColourOf("clRed"));
    EXPECT_EQ(cell.key, (CellKey{2, 116, 4}));
    EXPECT_EQ(cell.parameter, "p");
    EXPECT_EQ(ContentOf(cell), "<none>");
    EXPECT_FALSE(cell.font) << "the font stays with the model";
    EXPECT_FALSE(cell.popupMenu);
    ASSERT_NE(cell.PopupMenuName(), nullptr);
    EXPECT_EQ(*cell.PopupMenuName(), "GI_PMenu_Edit") << "the popup menu is found up the chain";
    EXPECT_EQ(cell.baseModel, &base);

    ParseCell(cell, "{(PopupMenu=Own)}", nullptr, &base);
    EXPECT_EQ(*cell.PopupMenuName(), "Own");
    ParseCell(cell, "", nullptr, nullptr);
    EXPECT_EQ(cell.key, CellKey{});
    EXPECT_EQ(cell.PopupMenuName(), nullptr);
}

TEST(ParseCell, Bindings) {
    cmcCellObj channel;
    channel.key = {CategoryOf("CT_Mch"), 0, 9};
    struct Case {
        const char* text;
        CellKey key;
        std::optional<std::string> parameter;
    };
    for (const Case& c : {
             Case{"{(%CT_PopupMenu.)}", {1, kNoCellId, 9}, std::nullopt},
             Case{"{(%.CL_Mch_Text)}", {kNoCategory, 116, 9}, std::nullopt},
             Case{"{(%CL_Mch_Text)}", {2, 116, 9}, std::nullopt},  // no '.': the category stays
             Case{"{(%CT_Null.Flex0[3]:Low)}", {0, 1, 3}, "Low"},
             Case{"{(%CT_Null.Flex0[-2])}", {0, 1, -2}, std::nullopt},
             Case{"{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}", {1, 82, 9}, "Enter"},
             Case{"{(%CL_Mch_Text:a\\.b\\)c\\\\)}", {2, 116, 9}, "a.b)c\\"},  // an escaped first '.'
             Case{"{(%CT_Null.Flex0:x[1])}", {0, 1, 9}, "x[1]"},
             Case{"{(%CT_Null.Flex0[5)}", {0, 1, 5}, std::nullopt},
         }) {
        const cmcCellObj cell = ParseOne(c.text, nullptr, &channel);
        EXPECT_EQ(cell.key, c.key) << c.text;
        EXPECT_EQ(cell.parameter, c.parameter) << c.text;
    }
}

TEST(ParseCell, CountersCarryNumbersFromCellToCell) {
    CellCounters counters{};
    const auto row = ParseRow("|{(@ch0=5)}|\\(@ch0+2)|\\(@ch0)|{(@ch3 = -4)}\\(@ch3+1)|", &counters);
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(ContentOf(row[2]), "7");
    EXPECT_EQ(ContentOf(row[3]), "5");
    EXPECT_EQ(ContentOf(row[4]), "-3");
    EXPECT_EQ(counters[0], 5);
    EXPECT_EQ(counters[3], -4);

    // A loop row binds successive rows to successive indexes.
    counters = {};
    for (int r = 1; r <= 3; ++r) {
        const auto cells = ParseRow("{(@ch0++)(%CT_Mch.CL_Mch_FreqR[@ch0])}\\(@ch0)", &counters);
        ASSERT_EQ(cells.size(), 1u);
        EXPECT_EQ(cells[0].key, (CellKey{2, 110, r}));
        EXPECT_EQ(ContentOf(cells[0]), std::to_string(r));
    }

    counters[1] = 1234567;
    EXPECT_EQ(ContentOf(ParseOne("\\(@ch1)", &counters)), "123456") << "at most six characters";
    counters[1] = 2147483647;
    EXPECT_EQ(ContentOf(ParseOne("{(@ch1++)}\\(@ch1+1)", &counters)), "-21474") << "wraps, never overflows";

    cmcCellObj cell;
    ParseCell(cell, "\\(@ch0)", &counters, nullptr);
    EXPECT_EQ(cell.counters, nullptr) << "the counters belong to the cell only while it is parsed";
}

TEST(ParseCell, CellModelsComeFromTheGlobalStoreAndMayNest) {
    ScopedOverlay overlay({"#CellModel_Outer", "S($Inner)", "#CellModel_Inner", "^(Color=clNavy)"});
    const cmcCellObj cell = ParseOne("{($Outer)}x");
    EXPECT_TRUE(cell.selectable);
    EXPECT_EQ(cell.hAlign, cmcCellObj::HAlign::Centre);
    EXPECT_EQ(cell.colour, ColourOf("clNavy"));

    cmcCellObj basic;
    ApplyMarkup(basic, "($Inner)W");
    EXPECT_TRUE(basic.autoWidth);
    EXPECT_EQ(basic.colour, ColourOf("clNavy"));
}

TEST(ParseCell, DoubleByteCharactersAreNeverDelimiters) {
    // In code page 932 the second byte of a character may be 0x5C ('\') or 0x7C ('|').
    const std::string so = "\x83\x5C";   // a character whose second byte is a backslash
    const std::string bar = "\x83\x7C";  // one whose second byte is a bar
    {
        ScopedOverlayCodePage japanese(932);
        const auto cells = ParseRow("A" + so + "|" + bar + "|B");
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(ContentOf(cells[0]), "A" + so) << "the backslash byte escapes nothing";
        EXPECT_EQ(ContentOf(cells[1]), bar) << "the bar byte ends no cell";
        EXPECT_EQ(ContentOf(ParseOne(so + "n")), so + "n") << "no line break from half a character";
        EXPECT_EQ(*ParseOne("{(PopupMenu=" + so + ")S}").popupMenu, so) << "the group ends after the character";
        EXPECT_TRUE(ParseOne("{(PopupMenu=" + so + ")S}").selectable);
        EXPECT_EQ(ParseOne("{(%CT_Null.Flex0:" + so + "x)}").parameter, so + "x");
    }
    // In UTF-8 every byte of a multi-byte character is 0x80 or above, so the same bytes are
    // read one by one.
    const auto bytes = ParseRow("A" + so + "|" + bar + "|B");
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(ContentOf(bytes[0]), "A\x83|\x83");
    EXPECT_EQ(ContentOf(ParseOne("caf\xC3\xA9|")), "caf\xC3\xA9");
}

TEST(ParseCellDeathTest, MalformedCountersAndNamesStop) {
    CellCounters counters{};
    for (const char* text : {"{(@ch)}", "{(@chx=1)}", "{(@ch12=1)}", "{(%CT_Null.Flex0[@ch])}", "\\(@c0)"}) {
        EXPECT_DEATH(ParseOne(text, &counters), "Ch No\\. Error") << text;
    }
    EXPECT_DEATH(ParseOne("{(@ch0++)}"), "Ch No\\. Error") << "no counters where the sheet gives none";
    EXPECT_DEATH(ParseOne("\\(@ch0+2"), "Illegal Ch No\\.");
    EXPECT_DEATH(ParseOne("{(%CT_Null.CL_Nope)}"), "Cannot use the specified cell\\.\n'CL_Nope'");
    EXPECT_DEATH(ParseOne("{(%Ct_Null.Flex0)}"), "Cannot use the specified category\\.\n'Ct_Null'");

    // A model that applies itself, and models that each apply the next one twice (2^20
    // applications), stop at once instead of overflowing the stack or running for ages.
    std::vector<std::string> models = {"#CellModel_Loop", "($Loop)"};
    for (int m = 0; m < 20; ++m) {
        models.push_back("#CellModel_Twice" + std::to_string(m));
        models.push_back("($Twice" + std::to_string(m + 1) + ")($Twice" + std::to_string(m + 1) + ")");
    }
    models.insert(models.end(), {"#CellModel_Twice20", "S"});
    ScopedOverlay overlay(models);
    EXPECT_DEATH(ParseOne("{($Missing)}"), "GTEX Error !\nThe index 'CellModel_Missing' was not found\\.");
    EXPECT_DEATH(ParseOne("{($Loop)}"), "Cannot use the specified cell model\\.\n'Loop'");
    EXPECT_DEATH(ParseOne("{($Twice0)}"), "Cannot use the specified cell model\\.");
    EXPECT_TRUE(ParseOne("{($Twice14)}").selectable) << "1 + 2 + ... + 64 = 127 models are fine";
}

TEST(ParseCell, TheBitFieldSheetReadsAgainstTheProductOverlay) {
    cmcGTex product;
    ASSERT_TRUE(AttachProductOverlay(product));
    ScopedGTex useProduct(product);

    cmcCellObj basic;
    ParseCell(basic, "{($Basic)(PopupMenu=GI_PMenu_NoItem)}", nullptr, nullptr);
    ASSERT_TRUE(basic.font);
    EXPECT_EQ(basic.font->height, -17);
    EXPECT_EQ(*basic.PopupMenuName(), "GI_PMenu_NoItem");

    CellCounters counters{};
    const auto header = ParseRow("|{($iChI)}1||{($iChI)}2|", &counters, &basic);
    ASSERT_EQ(header.size(), 4u);  // the empty cells stand over the spacers of the bit row
    EXPECT_EQ(ContentOf(header[1]), "1");
    EXPECT_EQ(header[1].hAlign, cmcCellObj::HAlign::Centre);
    EXPECT_EQ(header[1].vAlign, cmcCellObj::VAlign::Middle);
    EXPECT_EQ(header[1].colour, ColourOf("clGray"));
    ASSERT_TRUE(header[1].font);
    EXPECT_EQ(header[1].font->height, -17) << "the model's font starts from the basic cell's";
    EXPECT_EQ(header[1].font->colour, ColourOf("clWhite"));
    EXPECT_EQ(header[1].font->style, cmcFont::Bold);

    const auto bits = ParseRow("|{($eWh)^(%CL_FBits[1])}9|{($iQp)}|{($eWh)^(%CL_FBits[2])}9|", &counters, &basic);
    ASSERT_EQ(bits.size(), 4u);
    EXPECT_EQ(bits[1].key, (CellKey{kNoCategory, 103, 1}));
    EXPECT_EQ(bits[3].key, (CellKey{kNoCategory, 103, 2}));
    EXPECT_EQ(ContentOf(bits[1]), "9");
    EXPECT_TRUE(bits[1].selectable && bits[1].bottomLine);
    EXPECT_EQ(bits[1].hAlign, cmcCellObj::HAlign::Centre) << "the cell's own ^ after the model's <";
    EXPECT_EQ(bits[2].key, (CellKey{0, 106, 0}));
    EXPECT_FALSE(bits[2].selectable);

    cmcCellObj menuBase, item;
    ParseCell(menuBase, product.GetLine("GI_PMenu_Edit_BasicCell", 0), nullptr, nullptr);
    const std::string body = product.GetLine("GI_PMenu_Edit_Body", 0);
    ParseCell(item, std::string_view(body).substr(1), nullptr, &menuBase);
    EXPECT_EQ(item.key, (CellKey{1, 82, 0}));
    EXPECT_EQ(item.parameter, "Enter");
    EXPECT_EQ(ContentOf(item), "Edit...") << "the tab before the markup is trimmed away";
}

}  // namespace
