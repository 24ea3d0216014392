// Arbitrary bytes through the cell language: every line is parsed as a row of cells
// (against models the input may define itself), as markup, as a font, as a style line and
// as directives, and the input's rows form a selection sheet. A fatal stop of the design
// (an unknown name, a bad counter, a missing model, a loop of models) is an expected
// outcome; a crash, a hang or a sanitizer report is a bug.
//
// Checked on the way: each cell takes a part of the row and leaves the rest, and a
// layout-only parse splits a row exactly as a full parse does.

#include "platform/FatalStop.h"
#include "overlay/CodePage.h"
#include "overlay/SheetLanguage.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct FatalStopped {};

// Models the input may use (or redefine: the first occurrence of a key wins).
const std::vector<std::string> kTail = {
    "#GI_Sheet_Fuzz_Style", "(FixedCols=1)(FixedRows=1)",
    "#CellModel_Basic",     "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-17,,,)(PopupMenu=GI_PMenu_Edit)",
    "#CellModel_iChI",      "^-WH(Color=clGray)(Font=,,clWhite,,,fsBold,)",
    "#CellModel_eWh",       "S<_WHB",
    "#CellModel_iQp",       "(%CT_Null.CL_Misc_QuarterPillar)",
    "#CellModel_Loop",      "($Loop)",
    "#CellModel_Ping",      "S($Pong)",
    "#CellModel_Pong",      "($Ping)",
    "#End_Of_Ovl",
};

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        lines.emplace_back(text.substr(0, lf));
        if (lf == std::string_view::npos) break;
        text.remove_prefix(lf + 1);
    }
    return lines;
}

void ParseRow(std::string_view row, CellCounters& counters, const cmcCellObj& basic) {
    cmcCellObj cell, layout;
    while (!row.empty()) {
        const std::string_view rest = ParseCell(cell, row, &counters, &basic);
        if (rest.size() >= row.size() || rest.data() + rest.size() != row.data() + row.size()) __builtin_trap();
        if (ParseCell(layout, row, nullptr, &basic, true) != rest) __builtin_trap();
        (void)cell.PopupMenuName();
        row = rest;
    }
}

void Exercise(const std::vector<std::string>& lines) {
    cmcCellObj basic;
    ParseCell(basic, "{($Basic)(PopupMenu=GI_PMenu_NoItem)}", nullptr, nullptr);
    CellCounters counters{};
    for (const auto& line : lines) {
        ParseRow(line, counters, basic);

        cmcCellObj marked(basic);
        marked.counters = &counters;
        ApplyMarkup(marked, line);
        marked.counters = nullptr;

        cmcFont font;
        ApplyFont(line, font);
        (void)ParseColour(line);
        (void)ParseSheetStyle(line);
        ForEachGroup(line, [](std::string_view group) {
            if (auto d = ParseRowDirective(group, true)) (void)LinesSkipped(*d, RowConditions{});
        });
    }

    cmcFCache cache;
    for (const CellId id : {CellIdOf("Flex0"), CellIdOf("CL_FBits")}) {
        for (const std::int32_t v : {0, 1, 3}) {
            (void)cache.Text("GI_Sheet_Fuzz", id, v);
            (void)cache.Step("GI_Sheet_Fuzz", id, v, v - 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::setFatalPresenter([](const std::string&, const std::string&) { throw FatalStopped{}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string> lines = SplitLines(text);

    // The overlay: the input's own lines (which may define models), then the input's rows
    // as a selection sheet, then the models above.
    std::vector<std::string> overlay = lines;
    overlay.emplace_back("#GI_Sheet_Fuzz_Cells");
    for (const auto& line : lines) {
        if (line.empty() || line[0] != '#') overlay.push_back(line);
    }
    overlay.emplace_back("#");
    overlay.insert(overlay.end(), kTail.begin(), kTail.end());
    std::vector<const char*> pointers;
    for (const auto& line : overlay) pointers.push_back(line.c_str());
    pointers.push_back(nullptr);

    cmcGTex store;
    store.AttachLines(pointers.data());
    ScopedGTex useIt(store);
    ScopedOverlayCodePage codePage((data[0] & 1) ? 932 : kCodePageUtf8);
    try {
        Exercise(lines);
    } catch (const FatalStopped&) {
        // The program would have ended here, by design.
    }
    return 0;
}
