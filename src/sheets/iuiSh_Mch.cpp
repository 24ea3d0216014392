#include "sheets/iuiSh_Mch.h"

#include "image/RecordAccessor.h"
#include "platform/FatalStop.h"
#include "sheets/iuiSh_ChBank.h"
#include "values/CellContext.h"

#include <cstdlib>

std::int32_t iuiSh_Mch::Entries() const {
    if (parameter_.empty() || parameter_[0] != 'R') return 0;
    CellContext* cells = site_.Cells();
    if (!cells) return 0;
    const RecordAccessor& records = cells->Records();
    return records.repeaterCount(records.repeaterList());
}

void iuiSh_Mch::RowDirective(std::string_view group) {
    constexpr std::string_view kOnlyPrint = "Only_Print";
    if (group.substr(0, kOnlyPrint.size()) == kOnlyPrint) {
        const std::string_view rest = group.substr(kOnlyPrint.size());
        if (!rest.empty() && rest[0] == ' ' && !site_.PrintJobRunning()) skip_ = std::atoi(std::string(rest).c_str());
        return;
    }
    auto d = ParseRowDirective(group, false);
    if (!d) return;
    if (d->kind == RowDirectiveKind::LoopFrom && !d->count) {
        const std::int32_t entries = Entries();
        d->count = entries + (printing_ ? 0 : 1);
        loopFirstRow_ = rowCount_;
        if (!printing_) SetRowMultiSelect(entries + style_.fixedRows, false);
    }
    ApplyDirective(*d);
}

void iuiSh_Mch::LayoutRows(const std::string& key) {
    perRowMultiSelect_ = false;
    cuiSheet::LayoutRows(key);
}

void iuiSh_Mch::BeforeRow(std::int32_t row) {
    if (row != loopFirstRow_) return;
    CellContext* cells = site_.Cells();
    if (cells) counters_[0] = cells->Records().repeaterFirst(cells->Records().repeaterList());
}

void iuiSh_Mch::BuildCells() {
    BuildBasicCell();
    LayoutRows(name_ + "_Cells");
    colCount_ = widest_;
    if (colCount_ == 0 || rowCount_ == 0) platform::fatalStop("Illegal Cell assign");
    AllocateCells(std::max(iuiSh_ChBank::kArrayRows, rowCount_));
    FillCells(name_ + "_Cells");
    FillSpareRows(*this);
}
