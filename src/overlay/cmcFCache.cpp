#include "overlay/cmcFCache.h"

#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"

#include <algorithm>

namespace {

SelectionList BuildList(std::string_view sheet, CellId id) {
    SelectionList list;
    const std::string key = std::string(sheet) + "_Cells";
    CellCounters counters{};
    cmcCellObj cell;
    for (int row = 0;; ++row) {
        const std::string line = GTex().GetLine(key, row);
        if (!line.empty() && line[0] == '#') break;
        // Directive lines shape a displayed sheet; they hold no choices.
        if (!line.empty() && line[0] == ':') continue;
        std::string_view rest = line;
        for (std::int32_t column = 0; !rest.empty(); ++column) {
            rest = ParseCell(cell, rest, &counters, nullptr);
            if (cell.key.id != id) continue;
            list.byValue.push_back({row, column, cell.key.index, cell.parameter.value_or(cell.content.value_or(""))});
        }
    }
    list.byColumn = list.byValue;
    std::stable_sort(list.byValue.begin(), list.byValue.end(),
                     [](const SelectionEntry& a, const SelectionEntry& b) { return a.value < b.value; });
    std::stable_sort(list.byColumn.begin(), list.byColumn.end(),
                     [](const SelectionEntry& a, const SelectionEntry& b) { return a.column < b.column; });
    return list;
}

cmcFCache& defaultFCache() {
    static cmcFCache cache;
    return cache;
}

}  // namespace

const SelectionList& cmcFCache::List(std::string_view sheet, CellId id) {
    const std::string key = std::string(sheet) + "#" + std::to_string(id);
    if (const SelectionList* list = lists_.Find(key)) return *list;
    return lists_.Insert(key, BuildList(sheet, id));
}

std::string cmcFCache::Text(std::string_view sheet, CellId id, std::int32_t value) {
    const auto& entries = List(sheet, id).byValue;
    const auto it = std::lower_bound(entries.begin(), entries.end(), value,
                                     [](const SelectionEntry& e, std::int32_t v) { return e.value < v; });
    return it != entries.end() && it->value == value ? it->text : "error";
}

std::int32_t cmcFCache::Step(std::string_view sheet, CellId id, std::int32_t value, std::int32_t step) {
    const auto& entries = List(sheet, id).byColumn;
    if (entries.empty()) return value;
    const auto it =
        std::find_if(entries.begin(), entries.end(), [&](const SelectionEntry& e) { return e.value == value; });
    if (it == entries.end()) return entries.front().value;
    const std::int64_t to = (it - entries.begin()) + std::int64_t{step};
    if (to >= static_cast<std::int64_t>(entries.size())) return entries.front().value;
    if (to < 0) return entries.back().value;
    return entries[static_cast<std::size_t>(to)].value;
}

cmcFCache& FCache() {
    return platform::Installed<cmcFCache>::orFallback(defaultFCache);
}

std::string SelectionText(std::string_view sheet, CellId id, std::int32_t value) {
    return FCache().Text(sheet, id, value);
}

std::int32_t SelectionStep(std::string_view sheet, CellId id, std::int32_t value, std::int32_t step) {
    return FCache().Step(sheet, id, value, step);
}
