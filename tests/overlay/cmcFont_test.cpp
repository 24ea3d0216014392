#include "overlay/cmcFont.h"

#include <gtest/gtest.h>

namespace {

cmcFont FontOfHeight(std::int32_t height) {
    cmcFont f;
    f.height = height;
    return f;
}

TEST(ParseColour, KnowsTheThirtyEightNamesExactly) {
    EXPECT_EQ(ParseColour("clRed"), 0x0000FFu);
    EXPECT_EQ(ParseColour("clNavy"), 0x800000u);
    EXPECT_EQ(ParseColour("clWindow"), 0x80000005u);
    EXPECT_EQ(ParseColour("clHightlightText"), 0x8000000Eu) << "the name is spelt as the overlay spells it";
    EXPECT_EQ(ParseColour("clBtnHighlight"), 0x80000014u);
    for (const ColourEntry& e : kColourTable) EXPECT_EQ(ParseColour(e.name), e.value) << e.name;
    for (const char* unknown : {"clred", "clRed ", "0x0000FF", "", "Red"}) {
        EXPECT_EQ(ParseColour(unknown), std::nullopt) << unknown;
    }
}

TEST(ApplyFont, HeightsAndPercentages) {
    struct Case {
        std::int32_t before;
        const char* spec;
        std::int32_t after;
    };
    for (const Case& c : {
             Case{-12, ",,,%150,,,", -18},
             Case{-12, ",,,%1,,,", 1},  // -0.12 truncates to 0, and 0 becomes 1
             Case{-12, ",,,%50,,,", -6},
             Case{-13, ",,,%50,,,", -6},  // truncated toward zero
             Case{-12, ",,,-17,,,", -17},
             Case{-12, ",,, -17,,,", -17},  // leading blanks of a field are skipped
             Case{-12, ",,,0,,,", -12},     // a plain 0 changes nothing
             Case{-12, ",,,,,,", -12},
             Case{-12, ",,,abc,,,", -12},
             Case{-11, ",,,,%200,,", -21},  // 8 points doubled: 16 points at 96 dots per inch
             Case{-11, ",,,,10,,", -13},
             // Numbers beyond 32 bits saturate instead of overflowing.
             Case{-11, ",,,99999999999,,,", 2147483647},
             Case{-11, ",,,,99999999999,,", -2147483647 - 1},
             Case{-2147483647 - 1, ",,,,%100,,", -2147483647 - 1},
             Case{-2147483647 - 1, ",,,%-100,,,", 2147483647},
         }) {
        cmcFont f = FontOfHeight(c.before);
        ApplyFont(c.spec, f);
        EXPECT_EQ(f.height, c.after) << c.before << " with \"" << c.spec << '"';
    }
    EXPECT_EQ(cmcFont{}.Size(), 8);
}

TEST(ApplyFont, EachFieldChangesOnlyItsOwnPart) {
    cmcFont f;
    f.style = cmcFont::Underline;
    ApplyFont("DEFAULT_CHARSET,,clWindowText,-17,,,", f);
    EXPECT_EQ(f.charset, 1);
    EXPECT_EQ(f.colour, ColourOf("clWindowText"));
    EXPECT_EQ(f.height, -17);
    EXPECT_EQ(f.style, cmcFont::Underline);

    ApplyFont(",,clWhite,,,fsBold,", f);
    EXPECT_EQ(f.colour, ColourOf("clWhite"));
    EXPECT_EQ(f.style, cmcFont::Bold) << "the first recognised style clears the old ones";
    EXPECT_EQ(f.height, -17);

    ApplyFont(",,,,,fsBold+fsItalic,", f);
    EXPECT_EQ(f.style, cmcFont::Bold | cmcFont::Italic);
    ApplyFont(",,,,,fsShadow,", f);
    EXPECT_EQ(f.style, cmcFont::Bold | cmcFont::Italic) << "no recognised style: unchanged";
    ApplyFont(",,,,,fsShadow+fsStrikeOut,", f);
    EXPECT_EQ(f.style, cmcFont::StrikeOut);

    ApplyFont("SHIFTJIS_CHARSET  , Mono Face,clNope,,,,fpFixed", f);
    EXPECT_EQ(f.charset, 128) << "trailing blanks after a character set are allowed";
    EXPECT_EQ(f.face, "Mono Face");
    EXPECT_EQ(f.colour, ColourOf("clWhite")) << "an unknown colour changes nothing";
    EXPECT_EQ(f.pitch, cmcFont::Pitch::Fixed);

    ApplyFont("shiftjis_charset,,,,,,fpWide", f);
    EXPECT_EQ(f.charset, 128);
    EXPECT_EQ(f.pitch, cmcFont::Pitch::Fixed);
}

}  // namespace
