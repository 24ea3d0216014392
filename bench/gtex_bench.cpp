// The overlay store and the cell language under the load of building sheets.
//
// - GetLineBuildingASheet: 100,000 GetLine calls in the pattern of building a large
//   sheet (its rows, then for every cell its cell models, now and then a popup menu and a
//   choice list), in an overlay file of 5,000 keys, once indexed. The "per_GetLine"
//   counter is the average cost of one call.
// - FirstLookupInA5MBOverlay: a fresh store finds a key near the top of a 5 MB overlay;
//   "bytes_read" against "file_bytes" shows that it does not read the whole file. The key
//   at the bottom is the contrast.
// - ParseTypicalCells: 100,000 cells of a channel sheet (models, bindings with counters,
//   flags, escapes) through ParseCell; the time is per 100,000 cells.

#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 100'000;

std::string TempFile(const std::string& name, const std::string& text) {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "trelvix-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const std::vector<std::string> kModels = {"Basic", "iChI", "eWh", "iQp", "Freq", "Text", "Flag", "Tone", "Pwr", "Num"};
const std::vector<std::string> kMenus = {"Edit", "Row", "NoItem", "Help", "Channel"};
constexpr int kChoiceLists = 20;
constexpr int kSheetRows = 400;
constexpr int kCellsPerRow = 12;

// 5,000 keys: filler sheets and messages around the keys a channel sheet uses, which lie
// spread over the file (so that they sit deep in the key list until found).
std::string SheetOverlay() {
    std::string text = "Benchmark overlay.\n";
    int keys = 0;
    auto filler = [&](int n) {
        for (int i = 0; i < n; ++i, ++keys) {
            text += "#GI_Mess_Filler" + std::to_string(keys) + "\nA message of the program, line 0.\nline 1\n#\n";
        }
    };
    filler(1000);
    text +=
        "#GI_Sheet_Big_Style\n(FixedCols=1)(FixedRows=1)\n#GI_Sheet_Big_BasicCell\n{($Basic)}\n#GI_Sheet_Big_Cells\n";
    for (int r = 0; r < kSheetRows; ++r) {
        text += "|{(@ch0++)($iChI)}\\(@ch0)";
        for (int c = 1; c < kCellsPerRow; ++c) {
            text += "|{($" + kModels[c % kModels.size()] + ")(%CT_Mch.CL_Mch_FreqR[@ch0])}";
        }
        text += "|\n";
    }
    text += "#\n";
    keys += 3;
    filler(1500);
    for (const auto& m : kMenus) {
        text += "#GI_PMenu_" + m + "_BasicCell\n{($Basic)(%CT_PopupMenu.)}\n#GI_PMenu_" + m +
                "_Body\n+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}\n+Copy\t{(%CT_PopupMenu.CL_PMenu_Copy)}\n#\n";
        keys += 2;
    }
    for (int l = 0; l < kChoiceLists; ++l, ++keys) {
        text += "#GI_Sheet_Sel_List" + std::to_string(l) + "_Cells\n";
        for (int c = 0; c < 8; ++c) text += "|{(%CT_Null.Flex0[" + std::to_string(c) + "]:Choice)}|\n";
        text += "#\n";
    }
    filler(1500);
    for (const auto& m : kModels) {
        text += "#CellModel_" + m + "\nS<-W(Color=clWindow)(Font=,,clWindowText,,,,)\n";
        ++keys;
    }
    filler(5000 - keys);
    text += "#End_Of_Ovl\n";
    return text;
}

// One pass of the pattern: returns the number of GetLine calls it made.
int BuildSheetPattern(cmcGTex& g, int& sink) {
    int calls = 0;
    auto get = [&](const std::string& key, int n) {
        sink += static_cast<int>(g.GetLine(key, n).size());
        ++calls;
    };
    get("GI_Sheet_Big_Style", 0);
    get("GI_Sheet_Big_BasicCell", 0);
    get("CellModel_Basic", 0);
    for (int r = 0; r < kSheetRows && calls < kCalls; ++r) {
        get("GI_Sheet_Big_Cells", r);
        for (int c = 0; c < kCellsPerRow; ++c) get("CellModel_" + kModels[(r + c) % kModels.size()], 0);
        if (r % 4 == 0) {
            const std::string& menu = kMenus[static_cast<std::size_t>(r / 4) % kMenus.size()];
            get("GI_PMenu_" + menu + "_BasicCell", 0);
            for (int n = 0; n < 3; ++n) get("GI_PMenu_" + menu + "_Body", n);
        }
        if (r % 3 == 0) {
            const std::string list = "GI_Sheet_Sel_List" + std::to_string(r % kChoiceLists) + "_Cells";
            for (int n = 0; n < 9; ++n) get(list, n);
        }
    }
    return calls;
}

void GetLineBuildingASheet(benchmark::State& state) {
    const std::string path = TempFile("sheet.OVL", SheetOverlay());
    cmcGTex g;
    g.AttachFile(path);
    int sink = 0;
    BuildSheetPattern(g, sink);  // indexes every key the pattern uses
    std::int64_t total = 0;
    int calls = 0;
    for (auto _ : state) {
        calls = 0;
        while (calls < kCalls) calls += BuildSheetPattern(g, sink);
        total += calls;
    }
    state.counters["calls"] = calls;
    state.counters["per_GetLine"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(sink);
}
BENCHMARK(GetLineBuildingASheet)->Unit(benchmark::kMillisecond);

std::string FiveMegabytes() {
    std::string text = "#GI_Sys_AppTitle_ADJ\nTrelvix\n";
    const std::string filler = "(Padding=" + std::string(200, '.') + ")\n";
    for (int k = 0; text.size() < 5'000'000; ++k) {
        text += "#GI_Mess_Filler" + std::to_string(k) + "\n";
        for (int i = 0; i < 20; ++i) text += filler;
    }
    text += "#GI_Bottom\nlast\n#End_Of_Ovl\n";
    return text;
}

void FirstLookupInA5MBOverlay(benchmark::State& state) {
    static const std::string text = FiveMegabytes();
    static const std::string path = TempFile("five.OVL", text);
    const char* key = state.range(0) == 0 ? "GI_Sys_AppTitle_ADJ" : "GI_Bottom";
    std::int64_t bytes = 0;
    for (auto _ : state) {
        cmcGTex g;
        g.AttachFile(path);
        benchmark::DoNotOptimize(g.GetLine(key, 0));
        bytes = g.BytesRead();
    }
    state.SetLabel(key);
    state.counters["bytes_read"] = static_cast<double>(bytes);
    state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(FirstLookupInA5MBOverlay)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void ParseTypicalCells(benchmark::State& state) {
    const std::string path = TempFile("sheet-models.OVL", SheetOverlay());
    cmcGTex g;
    g.AttachFile(path);
    ScopedGTex useIt(g);

    const std::vector<std::string> rows = {
        "|{(@ch0++)($iChI)}\\(@ch0)|{($Freq)(%CT_Mch.CL_Mch_FreqR[@ch0])}|{($Freq)(%CT_Mch.CL_Mch_FreqT[@ch0])}|"
        "{($Text)^(%CT_Mch.CL_Mch_Text[@ch0])}|{($Flag)(%CT_Mch.CL_Mch_Nar[@ch0])}|{($Tone)(%CT_Mch.CL_Mch_CTone_R[@"
        "ch0])}|",
        "|{($iChI)}No.|{($iChI)W}Receive\\nfrequency|{($iChI)W}Transmit\\nfrequency|{($iChI)}Name|{($iChI)}Narrow|"
        "{($iChI)}Tone|",
        "|{($eWh)^(%CL_FBits[@ch1])(@ch1++)}9|{($iQp)}|{<-(Color=clWindow)(%CT_Null.Flex0[3]:Low)}\\_Low\\_|",
    };
    cmcCellObj basic;
    ParseCell(basic, "{($Basic)(PopupMenu=GI_PMenu_Edit)}", nullptr, nullptr);
    cmcCellObj cell;
    for (auto _ : state) {
        CellCounters counters{};
        int cells = 0;
        for (std::size_t r = 0; cells < kCalls; ++r) {
            std::string_view row = rows[r % rows.size()];
            while (!row.empty() && cells < kCalls) {
                row = ParseCell(cell, row, &counters, &basic);
                ++cells;
            }
        }
        benchmark::DoNotOptimize(cell.key);
        state.counters["cells"] = cells;
        state.counters["per_cell"] =
            benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
}
BENCHMARK(ParseTypicalCells)->Unit(benchmark::kMillisecond);

}  // namespace
