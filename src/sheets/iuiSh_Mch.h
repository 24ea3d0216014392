#pragma once
// The repeater sites of a list. A "LoopFrom" without a count repeats its body once per
// entry of the list (when the parameter begins with 'R'), plus one row on screen for a
// new entry; "Only_Print" n keeps its n lines for print jobs. The cells array holds 522
// rows, like a bank's.

#include "sheets/cuiSheet.h"

class iuiSh_Mch : public cuiSheet {
public:
    using cuiSheet::cuiSheet;

    void RowDirective(std::string_view group) override;
    void BuildCells() override;
    void LayoutRows(const std::string& key) override;
    void BeforeRow(std::int32_t row) override;
    bool IsPrintable() const override { return cuiSheet::IsPrintable() && Entries() > 0; }

    std::int32_t Entries() const;
    // The rows of the list: its entries are numbered from 0 within the list.
    std::optional<RecordRange> RecordRows() const override { return RecordRange{0, Entries()}; }

private:
    std::int32_t loopFirstRow_ = -1;
};
