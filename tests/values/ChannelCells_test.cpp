// The cells of a bank's channels through the value routine: the record the routine loads
// for the row, the field each cell shows and edits, and the marks and colours of fields a
// channel does not use.
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/SheetSupport.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

namespace {

struct BankSheet : CellSheetServices {
    RecordRange rows{8, 4};  // the bank shows channels 8..11
    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    std::optional<RecordRange> RecordRows() const override { return rows; }
};

class ChannelCellsTest : public ::testing::Test {
protected:
    ChannelCellsTest() {
        EXPECT_TRUE(AttachProductOverlay(product));
        // Channel 9: 146.52 MHz both ways, transmit inhibited.
        context.records.load(1, 9);
        context.records.set(Fld::Mch_FreqR, 146'520'000);
        context.records.set(Fld::Mch_FreqT, 146'520'000);
        context.records.set(Fld::Mch_TxInh, 1);
        context.records.status |= RecordAccessor::kStatusValid;
        context.records.store(1, 9);
    }

    cmcCellCapsule Run(const std::string& id, std::int32_t channel, CellMode mode = CellMode::Draw, std::int32_t key = 0,
                       std::string text = {}) {
        cell = cmcCellObj{};
        ParseCell(cell, "{(%CT_Mch." + id + "[" + std::to_string(channel) + "])}", nullptr, nullptr);
        cmcCellCapsule r;
        r.cell = &cell;
        r.mode = mode;
        r.key = key;
        r.editText = std::move(text);
        r.sheet = &sheet;
        ProcessCell(context, r);
        return r;
    }

    cmcGTex product;
    ScopedGTex useProduct{product};
    cmcFCache cache;
    ScopedFCache useCache{cache};
    testsupport::RecordingContext context;
    BankSheet sheet;
    cmcCellObj cell;
};

TEST_F(ChannelCellsTest, CellsShowTheirChannelsFields) {
    struct Case {
        const char* id;
        std::int32_t channel;
        const char* text;
    };
    for (const Case& c : {Case{"CL_Mch_FreqR", 9, "146.520000"}, Case{"CL_Mch_TxInh", 9, "On"},
                          Case{"CL_Mch_RfPo", 9, "Low2"}, Case{"CL_Mch_Nar", 9, "Wide"},
                          Case{"CL_Misc_ChNo_1Base", 9, "2"}, Case{"CL_Mch_TxInh", 10, ""}}) {
        EXPECT_EQ(Run(c.id, c.channel).displayText, c.text) << c.id << " " << c.channel;
    }
}

TEST_F(ChannelCellsTest, AnEditIsStoredInTheChannelsRecordAndReported) {
    // The power list reads High (3), Low1 (1), Low2 (0): Space from Low2 comes round to High.
    cmcCellCapsule r = Run("CL_Mch_RfPo", 9, CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(r.displayText, "High");
    EXPECT_NE(r.changeFlags & kChangeRecord, 0u);
    EXPECT_EQ(context.records.load(1, 9).get(Fld::Mch_RfPo), 3u);
    EXPECT_EQ(context.records.load(1, 8).get(Fld::Mch_RfPo), 0u) << "only the row's channel";

    // The row after the bank's last channel names the next bank's first: it is not edited.
    const std::uint32_t next = context.records.load(1, 12).get(Fld::Mch_FreqR);
    r = Run("CL_Mch_FreqR", 12, CellMode::SetText, 0, "151.00");
    EXPECT_EQ(context.records.load(1, 12).get(Fld::Mch_FreqR), next);
    EXPECT_EQ(r.displayText, "");

    r = Run("CL_Mch_FreqR", 9, CellMode::SetText, 0, "146.55");
    EXPECT_EQ(context.records.load(1, 9).get(Fld::Mch_FreqR), 146'550'000u);
    EXPECT_EQ(context.records.load(1, 9).get(Fld::Mch_FreqT), 146'550'000u) << "transmit followed receive";
}

TEST_F(ChannelCellsTest, FieldsAChannelDoesNotUseAreGreyAndBiisDigitalChannelsAreMarked) {
    context.kind = 3;  // BIIS PMR handheld: channel layout 4
    context.records.load(4, 9);
    context.records.set(Fld::Mch_Form, 1);  // digital
    context.records.set(Fld::Mch_Sel, 2);
    context.records.status |= RecordAccessor::kStatusValid;
    context.records.set(Fld::Mch_FreqR, 446'000'000);
    context.records.store(4, 9);
    EXPECT_EQ(Run("CL_Mch_Sel", 9).markFlags & kMarkFlagError, kMarkFlagError) << "digital: only 1 is allowed";
    EXPECT_EQ(Run("CL_Mch_CH_Mute", 9).markFlags & kMarkFlagWarning, kMarkFlagWarning);
    EXPECT_EQ(Run("CL_Mch_Compander", 9).fontColour, std::optional<std::uint32_t>(0xC0C0C0));
    EXPECT_EQ(Run("CL_Mch_Dig_Sig", 9).fontColour, std::nullopt);
}

}  // namespace
