#include "overlay/SheetLanguage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SheetLanguage, GroupsOfALine) {
    std::vector<std::string> groups;
    ForEachGroup(":(LoopFrom 3) text (SelectOFF)(a\\)b)(open", [&](std::string_view g) { groups.emplace_back(g); });
    EXPECT_EQ(groups, (std::vector<std::string>{"LoopFrom 3", "SelectOFF", "a\\)b", "open"}));
}

TEST(SheetLanguage, StyleKeywords) {
    const SheetStyle defaults = ParseSheetStyle("");
    EXPECT_EQ(defaults.title, "");
    EXPECT_EQ(defaults.titleColour, ColourOf("clGrayText"));
    EXPECT_EQ(defaults.printFontRatio, 100);
    EXPECT_EQ(defaults.multiSelect, MultiSelect::Off);

    const SheetStyle bits = ParseSheetStyle("(FixedCols=1)(FixedRows=1)");
    EXPECT_EQ(bits.fixedCols, 1);
    EXPECT_EQ(bits.fixedRows, 1);

    const SheetStyle s = ParseSheetStyle(
        "(TitleString=Channels)(TitleColor=clNavy)(TitleFont=,,clWhite,-15,,fsBold,)(NoPrint)(PrintFontRatio=80)"
        "(MultiSelect=Line)(WithUsable)(FixedCols=-3)(Bogus=1)(TitleString=)");
    EXPECT_EQ(s.title, "Channels") << "an empty title changes nothing";
    EXPECT_EQ(s.titleColour, ColourOf("clNavy"));
    ASSERT_TRUE(s.titleFont);
    EXPECT_EQ(s.titleFont->height, -15);
    EXPECT_EQ(s.titleFont->style, cmcFont::Bold);
    EXPECT_TRUE(s.noPrint);
    EXPECT_EQ(s.printFontRatio, 80);
    EXPECT_EQ(s.multiSelect, MultiSelect::Lines);
    EXPECT_TRUE(s.withUsable);
    EXPECT_EQ(s.fixedCols, 0) << "a negative count of fixed columns means none";

    for (const auto& [value, mode] : std::vector<std::pair<std::string, MultiSelect>>{{"Cell", MultiSelect::Cells},
                                                                                      {"Line", MultiSelect::Lines},
                                                                                      {"line", MultiSelect::Off},
                                                                                      {"", MultiSelect::Off}}) {
        SheetStyle style;
        style.multiSelect = MultiSelect::Cells;
        EXPECT_TRUE(ApplyStyleKeyword(style, "MultiSelect=" + value));
        EXPECT_EQ(style.multiSelect, mode) << value;
    }
    SheetStyle untouched;
    EXPECT_FALSE(ApplyStyleKeyword(untouched, "NoPrint "));
    EXPECT_FALSE(untouched.noPrint) << "NoPrint is matched as the whole group";
}

TEST(SheetLanguage, DirectivesAndTheirCounts) {
    struct Case {
        const char* group;
        bool modelConditions;
        std::optional<RowDirectiveKind> kind;
        std::optional<std::int32_t> count;
    };
    using K = RowDirectiveKind;
    for (const Case& c : {
             Case{"LoopFrom 3", false, K::LoopFrom, 3},
             Case{"LoopFrom", false, K::LoopFrom, std::nullopt},
             Case{"LoopTo", false, K::LoopTo, std::nullopt},
             Case{"SelectON", false, K::SelectOn, std::nullopt},
             Case{"SelectOFF", false, K::SelectOff, std::nullopt},
             Case{"Never 2", false, K::Never, 2},
             Case{"Only_Mob 2", false, K::OnlyMob, 2},
             Case{"Only_Mob", false, K::OnlyMob, std::nullopt},
             Case{"Only_Mob x", false, K::OnlyMob, std::nullopt},
             Case{"Only_Mob2", false, K::OnlyMob, std::nullopt},  // the count needs its blank
             Case{"Only_Handy 1", false, K::OnlyHandy, 1},
             Case{"Only_NFont 4", false, K::OnlyNFont, 4},
             Case{"Only_TFont 4", false, K::OnlyTFont, 4},
             Case{"Only_Lmr 2", false, std::nullopt, std::nullopt},  // only on sheets with model conditions
             Case{"Only_Lmr 2", true, K::OnlyLmr, 2},
             Case{"Only_notBIIS 1", true, K::OnlyNotBiis, 1},
             Case{"Only_BIIS 1", true, K::OnlyBiis, 1},
             Case{"Only_Digi 5", true, K::OnlyDigi, 5},
             Case{"Only_SACC 1", true, K::OnlySacc, 1},
             Case{"Only_Pmr 1", true, K::OnlyPmr, 1},
             Case{"loopfrom 3", true, std::nullopt, std::nullopt},
         }) {
        const auto d = ParseRowDirective(c.group, c.modelConditions);
        ASSERT_EQ(d.has_value(), c.kind.has_value()) << c.group;
        if (!d) continue;
        EXPECT_EQ(d->kind, *c.kind) << c.group;
        EXPECT_EQ(d->count, c.count) << c.group;
    }
}

TEST(SheetLanguage, ConditionsSkipTheirCountWhenTheyFail) {
    RowConditions handheld;
    handheld.handheld = true;
    RowConditions mobileLmr;
    mobileLmr.lmrFamily = true;
    mobileLmr.normalFont = true;
    struct Case {
        const char* group;
        const RowConditions& model;
        std::int32_t skipped;
    };
    for (const Case& c : {
             Case{"Only_Mob 2", handheld, 2},
             Case{"Only_Mob", handheld, 0},  // without a count nothing is skipped
             Case{"Only_Mob 2", mobileLmr, 0},
             Case{"Only_Handy 3", mobileLmr, 3},
             Case{"Never 4", mobileLmr, 4},
             Case{"Only_NFont 1", handheld, 1},
             Case{"Only_TFont 1", mobileLmr, 1},
             Case{"Only_Lmr 2", handheld, 2},
             Case{"Only_Pmr 2", mobileLmr, 2},
             Case{"Only_BIIS 1", mobileLmr, 1},
             Case{"Only_notBIIS 1", mobileLmr, 0},
             Case{"Only_Digi 1", mobileLmr, 1},
             Case{"Only_SACC 1", mobileLmr, 1},
             Case{"Never -1", mobileLmr, 0},
             Case{"LoopFrom 3", mobileLmr, 0},
         }) {
        const auto d = ParseRowDirective(c.group, true);
        ASSERT_TRUE(d) << c.group;
        EXPECT_EQ(LinesSkipped(*d, c.model), c.skipped) << c.group;
    }
}

}  // namespace
