#pragma once
// The parts of a sheet definition around its cells: the style line (S + "_Style", a row
// of groups such as "(FixedCols=1)") and the directive lines of S + "_Cells" (lines that
// begin with ':', whose groups open loops, switch multiple selection and skip lines on
// conditions). The sheets decide what to do with them; this is only the language.

#include "overlay/Colours.h"
#include "overlay/cmcFont.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Calls `fn` with the text of each group "(...)" of a line, in order. A group ends at the
// first ')' that is neither escaped nor half of a double-byte character.
void ForEachGroup(std::string_view line, const std::function<void(std::string_view group)>& fn);

enum class MultiSelect { Off, Cells, Lines };

struct SheetStyle {
    std::string title;  // shown above the grid when not empty
    cmcColour titleColour = ColourOf("clGrayText");
    std::optional<cmcFont> titleFont;
    std::int32_t fixedCols = 0;  // the sheet limits these to its column and row counts
    std::int32_t fixedRows = 0;
    bool noPrint = false;
    std::int32_t printFontRatio = 100;  // percent of the font height when printing
    MultiSelect multiSelect = MultiSelect::Off;
    bool withUsable = false;  // honoured by channel-text sheets only
};

// Applies one style group; false when the group is no style keyword (and is ignored).
bool ApplyStyleKeyword(SheetStyle& style, std::string_view group);
// The style of a sheet from line 0 of its "_Style" key.
SheetStyle ParseSheetStyle(std::string_view line);

enum class RowDirectiveKind {
    LoopFrom,  // the rows up to LoopTo repeat `count` times in all (below 1 counts as 1)
    LoopTo,
    SelectOn,  // rows that follow may take part in multiple selection (the default)
    SelectOff,
    Never,  // the rest skip `count` lines unless (or if) their condition holds
    OnlyHandy,
    OnlyMob,
    OnlyNFont,
    OnlyTFont,
    OnlyLmr,  // the model conditions, for the sheets that accept them
    OnlyPmr,
    OnlyBiis,
    OnlyNotBiis,
    OnlyDigi,
    OnlySacc,
};

struct RowDirective {
    RowDirectiveKind kind;
    std::optional<std::int32_t> count;  // the number after a blank, when there is one
};

// The directive of a group, or nothing when it is none. The model conditions (Only_Lmr,
// Only_Pmr, Only_BIIS, Only_notBIIS, Only_Digi, Only_SACC) are directives only when
// `modelConditions` is set, for the sheets of the conditional kind.
std::optional<RowDirective> ParseRowDirective(std::string_view group, bool modelConditions);

// What the conditions ask about the model and the current image.
struct RowConditions {
    bool handheld = false;
    bool lmrFamily = false;
    bool biis = false;
    bool digital = false;
    bool normalFont = false;  // bit 2 of image byte 92416
    bool sacc = false;        // bit 3 of image byte 11
};

// How many lines a directive skips: its count when its condition fails, otherwise (and
// for a condition without a count, and for loops and selection switches) none.
std::int32_t LinesSkipped(const RowDirective& directive, const RowConditions& conditions);
