#include "overlay/CellNames.h"

#include "platform/FatalStop.h"
#include "overlay/cmcHash.h"

#include <string>

namespace {

constexpr bool IdTableIsOrdered() {
    CellId previous = -1;
    for (const CellIdEntry& e : kCellIdTable) {
        if (e.id <= previous || e.id >= kCellIdCount) return false;
        previous = e.id;
    }
    return true;
}
static_assert(IdTableIsOrdered(), "cell identifiers must be unique, ascending and below 1101");

constexpr auto kNamesByNumber = [] {
    std::array<std::string_view, kCellIdCount> names{};
    for (const CellIdEntry& e : kCellIdTable) names[static_cast<std::size_t>(e.id)] = e.name;
    return names;
}();

// Each vocabulary has its own table, filled at its first lookup: a category slot that
// names an identifier (or the other way round) is then an unknown name, whatever was
// looked up before, instead of a number from the wrong vocabulary.
const cmcHash& CategoryTable() {
    static const cmcHash table = [] {
        cmcHash t;
        for (std::size_t i = 0; i < kCellCategories.size(); ++i) {
            t.Insert(kCellCategories[i].name, static_cast<std::int32_t>(i));
        }
        return t;
    }();
    return table;
}

const cmcHash& CellIdTable() {
    static const cmcHash table = [] {
        cmcHash t;
        for (const CellIdEntry& e : kCellIdTable) t.Insert(e.name, e.id);
        return t;
    }();
    return table;
}

}  // namespace

CellCategory CategoryFromName(std::string_view name) {
    if (name.empty()) return kNoCategory;
    if (const auto* value = CategoryTable().Find(name)) return *value;
    platform::fatalStop(platform::formatOne("Cannot use the specified category.\n'%s'", name));
}

CellId CellIdFromName(std::string_view name) {
    if (name.empty()) return kNoCellId;
    if (const auto* value = CellIdTable().Find(name)) return *value;
    platform::fatalStop(platform::formatOne("Cannot use the specified cell.\n'%s'", name));
}

std::string_view CellIdName(CellId id) {
    if (id < 0 || id >= kCellIdCount) return {};
    return kNamesByNumber[static_cast<std::size_t>(id)];
}

std::int32_t RecordKind(CellCategory category, int modelType) {
    if (category == kNoCategory) return 0;
    if (category < 0 || category > kNoCategory) {
        platform::fatalStop("Unknown Cell Category. (" + std::to_string(category) + ")");
    }
    const std::int32_t kind = kCellCategories[static_cast<std::size_t>(category)].recordKind;
    // The four channel layouts: LMR, LMR with P25, PMR and BIIS PMR, handheld or mobile.
    return kind == kRecordKindOfModel ? (modelType & 3) + 1 : kind;
}
