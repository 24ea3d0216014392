#include "overlay/SheetLanguage.h"

#include "overlay/CodePage.h"
#include "overlay/TextNumber.h"

#include <algorithm>
#include <array>

namespace {

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

struct DirectiveName {
    std::string_view keyword;
    RowDirectiveKind kind;
    bool modelCondition;
};

// The model conditions come first: the sheets that accept them test them before the rest.
constexpr std::array<DirectiveName, 15> kDirectives = {{
    {"Only_Lmr", RowDirectiveKind::OnlyLmr, true},
    {"Only_Pmr", RowDirectiveKind::OnlyPmr, true},
    {"Only_BIIS", RowDirectiveKind::OnlyBiis, true},
    {"Only_notBIIS", RowDirectiveKind::OnlyNotBiis, true},
    {"Only_Digi", RowDirectiveKind::OnlyDigi, true},
    {"Only_SACC", RowDirectiveKind::OnlySacc, true},
    {"LoopFrom", RowDirectiveKind::LoopFrom, false},
    {"LoopTo", RowDirectiveKind::LoopTo, false},
    {"SelectON", RowDirectiveKind::SelectOn, false},
    {"SelectOFF", RowDirectiveKind::SelectOff, false},
    {"Never", RowDirectiveKind::Never, false},
    {"Only_Handy", RowDirectiveKind::OnlyHandy, false},
    {"Only_Mob", RowDirectiveKind::OnlyMob, false},
    {"Only_NFont", RowDirectiveKind::OnlyNFont, false},
    {"Only_TFont", RowDirectiveKind::OnlyTFont, false},
}};

}  // namespace

void ForEachGroup(std::string_view line, const std::function<void(std::string_view group)>& fn) {
    for (std::size_t open = FindUnescaped(line, '('); open != std::string_view::npos;
         open = FindUnescaped(line, '(', open)) {
        const std::size_t close = std::min(FindUnescaped(line, ')', open + 1), line.size());
        fn(line.substr(open + 1, close - open - 1));
        open = close;
    }
}

bool ApplyStyleKeyword(SheetStyle& style, std::string_view group) {
    std::string_view arg = group;
    if (TakePrefix(arg, "TitleString=")) {
        if (!arg.empty()) style.title = std::string(arg);
    } else if (TakePrefix(arg, "TitleColor=")) {
        if (auto colour = ParseColour(arg)) style.titleColour = *colour;
    } else if (TakePrefix(arg, "TitleFont=")) {
        style.titleFont = cmcFont{};
        ApplyFont(arg, *style.titleFont);
    } else if (TakePrefix(arg, "FixedCols=")) {
        style.fixedCols = std::max(0, ParseNumber(arg));
    } else if (TakePrefix(arg, "FixedRows=")) {
        style.fixedRows = std::max(0, ParseNumber(arg));
    } else if (group == "NoPrint") {
        style.noPrint = true;
    } else if (TakePrefix(arg, "PrintFontRatio=")) {
        style.printFontRatio = ParseNumber(arg);
    } else if (TakePrefix(arg, "MultiSelect=")) {
        style.multiSelect = arg == "Cell" ? MultiSelect::Cells : arg == "Line" ? MultiSelect::Lines : MultiSelect::Off;
    } else if (group == "WithUsable") {
        style.withUsable = true;
    } else {
        return false;
    }
    return true;
}

SheetStyle ParseSheetStyle(std::string_view line) {
    SheetStyle style;
    ForEachGroup(line, [&](std::string_view group) { ApplyStyleKeyword(style, group); });
    return style;
}

std::optional<RowDirective> ParseRowDirective(std::string_view group, bool modelConditions) {
    for (const DirectiveName& d : kDirectives) {
        if (d.modelCondition && !modelConditions) continue;
        std::string_view rest = group;
        if (!TakePrefix(rest, d.keyword)) continue;
        RowDirective directive{d.kind, std::nullopt};
        if (TakePrefix(rest, " ")) {
            std::size_t used = 0;
            const std::int32_t count = ParseNumber(rest, &used);
            if (used > 0) directive.count = count;
        }
        return directive;
    }
    return std::nullopt;
}

std::int32_t LinesSkipped(const RowDirective& directive, const RowConditions& c) {
    if (!directive.count || *directive.count <= 0) return 0;
    bool holds = true;
    switch (directive.kind) {
        case RowDirectiveKind::Never:
            holds = false;
            break;
        case RowDirectiveKind::OnlyHandy:
            holds = c.handheld;
            break;
        case RowDirectiveKind::OnlyMob:
            holds = !c.handheld;
            break;
        case RowDirectiveKind::OnlyNFont:
            holds = c.normalFont;
            break;
        case RowDirectiveKind::OnlyTFont:
            holds = !c.normalFont;
            break;
        case RowDirectiveKind::OnlyLmr:
            holds = c.lmrFamily;
            break;
        case RowDirectiveKind::OnlyPmr:
            holds = !c.lmrFamily;
            break;
        case RowDirectiveKind::OnlyBiis:
            holds = c.biis;
            break;
        case RowDirectiveKind::OnlyNotBiis:
            holds = !c.biis;
            break;
        case RowDirectiveKind::OnlyDigi:
            holds = c.digital;
            break;
        case RowDirectiveKind::OnlySacc:
            holds = c.sacc;
            break;
        case RowDirectiveKind::LoopFrom:
        case RowDirectiveKind::LoopTo:
        case RowDirectiveKind::SelectOn:
        case RowDirectiveKind::SelectOff:
            break;
    }
    return holds ? 0 : *directive.count;
}
