#include "sheets/iuiSh_ChBank.h"

#include "image/RadioText.h"
#include "image/RecordAccessor.h"
#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"
#include "values/CellContext.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Rows after the loop's new-channel row that stay out of multiple selection.
constexpr std::int32_t kNoSelectOffset = 5;
constexpr int kTotalChannelSlots = 512;

// The number after the first word of "Bank n".
std::int32_t BankNumber(const std::string& text) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return 0;
    return std::atoi(text.c_str() + blank + 1);
}

}  // namespace

void iuiSh_ChBank::SetParameter(const std::string& text) {
    cuiSheet::SetParameter(text);
    bank_ = std::clamp<std::int32_t>(BankNumber(text), 0, RecordAccessor::kBanks - 1);
    RefreshBank();
}

void iuiSh_ChBank::RefreshBank() {
    CellContext* cells = site_.Cells();
    if (!cells) return;
    first_ = cells->Records().bankFirstChannel(bank_);
    count_ = cells->Records().bankCount(bank_);
    if (View()) View()->PositionChanged();  // the title counts the channels left
}

void iuiSh_ChBank::RowDirective(std::string_view group) {
    auto d = ParseRowDirective(group, false);
    if (!d) return;
    if (d->kind == RowDirectiveKind::LoopFrom && !d->count) {
        d->count = count_ + (printing_ ? 0 : 1);
        loopFirstRow_ = rowCount_;
        if (!printing_) SetRowMultiSelect(count_ + kNoSelectOffset, false);
    }
    ApplyDirective(*d);
}

void iuiSh_ChBank::LayoutRows(const std::string& key) {
    perRowMultiSelect_ = false;
    cuiSheet::LayoutRows(key);
}

void iuiSh_ChBank::BeforeRow(std::int32_t row) {
    if (row == loopFirstRow_) counters_[0] = first_;
}

void iuiSh_ChBank::BuildCells() {
    BuildBasicCell();
    LayoutRows(name_ + "_Cells");
    colCount_ = widest_;
    if (colCount_ == 0 || rowCount_ == 0) platform::fatalStop("Illegal Cell assign");
    AllocateCells(std::max(kArrayRows, rowCount_));
    FillCells(name_ + "_Cells");
    FillSpareRows(*this);
}

void FillSpareRows(cuiSheet& sheet) {
    struct Access : cuiSheet {
        static void Fill(cuiSheet& s) {
            Access& a = static_cast<Access&>(s);
            const bool multi = a.style_.multiSelect != MultiSelect::Off;
            for (std::int32_t r = a.rowCount_; r < a.arrayRows_; ++r) {
                a.CopyRowBelow(r);
                const bool rowFlag = r >= static_cast<std::int32_t>(a.rows_.size()) || a.rows_[static_cast<std::size_t>(r)].multiSelect;
                for (std::int32_t c = 0; c < a.colCount_; ++c)
                    a.cells_[static_cast<std::size_t>(r) * a.colCount_ + c].mayJoin = multi && rowFlag;
            }
        }
    };
    Access::Fill(sheet);
}

void iuiSh_ChBank::AddLastRow() {
    RefreshBank();
    SetRowCount(rowCount_ + 1);
}

void iuiSh_ChBank::RemoveLastRow() {
    RefreshBank();
    SetRowCount(rowCount_ - 1);
}

std::string iuiSh_ChBank::PrintTitle() const { return style_.title; }

std::string iuiSh_ChBank::Title() const {
    if (style_.title.empty()) return {};
    std::string bankName;
    std::int32_t left = 0;
    if (CellContext* cells = site_.Cells()) {
        RecordAccessor records = cells->Records();  // a copy: loading must not move the sheet's record
        bankName = radioToDisplay(records.load(RecordAccessor::kBankOperationKind, bank_).name);
        left = kTotalChannelSlots - records.totalChannels();
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s %d: %s %s (Left CH - %d)", style_.title.c_str(), static_cast<int>(bank_ + 1),
                  bankName.c_str(), "", static_cast<int>(left));
    return text;
}
