#pragma once
// The channels of one bank. Its parameter "Bank n" fixes the bank's first channel and
// channel count; a "LoopFrom" without a count repeats the loop body once per channel, plus
// one row on screen that takes a new channel. The cells array always holds 522 rows, so
// inserting a channel shows one more row without rebuilding the sheet.

#include "sheets/cuiSheet.h"

class iuiSh_ChBank : public cuiSheet {
public:
    static constexpr std::int32_t kArrayRows = 522;

    using cuiSheet::cuiSheet;

    void SetParameter(const std::string& text) override;
    void RowDirective(std::string_view group) override;
    void BuildCells() override;
    void LayoutRows(const std::string& key) override;
    void BeforeRow(std::int32_t row) override;
    std::string PrintTitle() const override;
    bool IsPrintable() const override { return cuiSheet::IsPrintable() && count_ > 0; }
    std::string Title() const override;
    // Bank titles read yellow on the title colour.
    std::optional<cmcColour> TitleTextColour() const override { return 0x00FFFF; }

    std::optional<RecordRange> RecordRows() const override { return RecordRange{first_, count_, bank_}; }
    std::int32_t Bank() const { return bank_; }
    std::int32_t FirstChannel() const { return first_; }
    std::int32_t ChannelCount() const { return count_; }
    // The bank's channel count changed: one row more or fewer.
    void AddLastRow();
    void RemoveLastRow();
    // Re-reads the bank's channels and name for the title.
    void RefreshBank();

private:
    std::int32_t bank_ = 0;
    std::int32_t first_ = 0;
    std::int32_t count_ = 0;
    std::int32_t loopFirstRow_ = -1;
};

// Builds the 522-row cells array of channel and repeater sheets: the rows past the row
// count copy the row above with each index one higher.
void FillSpareRows(cuiSheet& sheet);
