// The cells of a bank's channels through the value routine: the record the routine loads
// for the row, the field each cell shows and edits, and the marks and colours of fields a
// channel does not use.
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

struct BankSheet : CellSheetServices {
    RecordRange rows{8, 4};  // the bank shows channels 8..11
    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    std::optional<RecordRange> RecordRows() const override { return rows; }
};

class ChannelCellsTest : public testsupport::CellTest {
protected:
    ChannelCellsTest() {
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
        return Evaluate("CT_Mch." + id + "[" + std::to_string(channel) + "]",
                        {.mode = mode, .key = key, .text = std::move(text), .sheet = &sheet});
    }

    BankSheet sheet;
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

// Where channel n's records lie (main, extension, the three per-channel bytes).
constexpr std::int32_t Main(std::int32_t n) { return 0xFF80 + 30 * n; }
constexpr std::int32_t Ext(std::int32_t n) { return 0x140D0 + 20 * n; }
constexpr std::int32_t PerChannel(std::int32_t n) { return 0x1FBEE + 4 * n; }

// The image bytes of every channel field, hand-placed: what a cell shows from them and
// which bits a key on it rewrites, with the bits beside them kept.
TEST_F(ChannelCellsTest, NewFieldsReadAndWriteTheirOwnBits) {
    cmcEeprom& image = context.image;
    struct Case {
        int model;               // the context's model kind
        const char* id;
        std::int32_t address;    // the byte under test
        std::uint8_t before;     // its hand-written content
        const char* shown;
        std::uint8_t afterSpace;  // the byte after one Space (the value's next list item)
    };
    const Case cases[] = {
        // LMR: the two-tone code in bits 0..6, bit 7 belongs to no field and stays.
        {4, "CL_Mch_2Tone", Ext(9) + 8, 0x85, "5", 0x86},
        {4, "CL_Mch_Pos", Ext(9) + 2, 0xFE, "Off", 0xFF},
        {4, "CL_Mch_AutoReset", Ext(9) + 2, 0x00, "Off", 0x02},  // LMR: one bit, bit 1
        {4, "CL_Mch_Inh", Main(9), 0x88, "On", 0x08},  // beside the frequency's top bits
        {4, "CL_Mch_SQL_Type", Ext(9) + 3, 0xFB, "Type 5", 0xFD},
        {4, "CL_Mch_Scan_Inc", Ext(9) + 1, 0x00, "Off", 0x02},
        {4, "CL_Mch_Log", Ext(9) + 1, 0x2F, "Type 2", 0x3F},
        {4, "CL_Mch_AutoChScan", Ext(9) + 3, 0x00, "Off", 0x01},
        {4, "CL_Mch_Id_C", PerChannel(9) + 2, 200, "200", 201},
        {4, "CL_Mch_Rpt_L", PerChannel(9), 7, "7", 8},
        // PMR: two receive-code numbers and the scrambler type in bits 6..7.
        {2, "CL_Mch_RxCNo2", Ext(9) + 7, 3, "3", 4},
        {2, "CL_Mch_Scrm_Type", Ext(9) + 18, 0x7F, "Type 1", 0xBF},
        {2, "CL_Mch_Log_Pmr", Ext(9) + 1, 0x00, "Off", 0x10},
        // BIIS PMR: the MSK bytes of the extension and the per-channel bytes.
        {3, "CL_Mch_Msk_SendStatus", Ext(9) + 10, 22, "22", 23},
        {3, "CL_Mch_Msk_RxCNo", PerChannel(9) + 1, 0, "Off", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        context.kind = c.model;
        image.SetByte(Main(9) + 2, 0x10);  // in use whatever else the case writes
        image.SetByte(c.address, c.before);
        EXPECT_EQ(Run(c.id, 9).displayText, c.shown);
        const std::vector<std::uint8_t> before(image.Data(), image.Data() + image.Size());
        Run(c.id, 9, CellMode::Action, cellkey::kSpace);
        EXPECT_EQ(image.GetByte(c.address), c.afterSpace);
        for (std::int32_t a = 0; a < image.Size(); ++a) {
            if (a == c.address) continue;
            ASSERT_EQ(image.GetByte(a), before[static_cast<std::size_t>(a)]) << "byte " << a;
        }
        image.SetByte(c.address, 0);
    }
}

// The PMR auto reset has its low bit in bit 1 and its high bit in bit 0 of one byte.
TEST_F(ChannelCellsTest, APmrAutoResetSpreadsOverTwoBitsInTheirOrder) {
    context.kind = 2;
    cmcEeprom& image = context.image;
    image.SetByte(Ext(9) + 2, 0x02);  // value 1
    EXPECT_EQ(Run("CL_Mch_AutoReset", 9).displayText, "Type 1");
    Run("CL_Mch_AutoReset", 9, CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(image.GetByte(Ext(9) + 2), 0x01) << "value 2: the high bit alone";
    Run("CL_Mch_AutoReset", 9, CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(image.GetByte(Ext(9) + 2), 0x03);
    EXPECT_EQ(Run("CL_Mch_AutoReset", 9).displayText, "Type 3");
}

// The scrambler code counts from 1 under type 2 and from 0 otherwise; a new type keeps
// the byte the radio holds.
TEST_F(ChannelCellsTest, TheScramblerCodeFollowsItsTypeAndIsGreyWhileTheScramblerIsOff) {
    context.kind = 2;
    cmcEeprom& image = context.image;
    image.SetByte(Ext(9) + 5, 4);
    EXPECT_EQ(Run("CL_Mch_Scrm_Code", 9).displayText, "4");
    EXPECT_EQ(Run("CL_Mch_Scrm_Code", 9).fontColour, std::optional<std::uint32_t>(0xC0C0C0)) << "scrambler off";
    image.SetByte(Ext(9) + 3, 0x20);  // scrambler on, type 1
    image.SetByte(Ext(9) + 18, 0x40);
    EXPECT_EQ(Run("CL_Mch_Scrm_Code", 9).fontColour, std::nullopt);
    Run("CL_Mch_Scrm_Type", 9, CellMode::Action, cellkey::kSpace);  // type 2
    EXPECT_EQ(image.GetByte(Ext(9) + 18), 0x80);
    EXPECT_EQ(image.GetByte(Ext(9) + 5), 4) << "the code the radio holds stays";
    EXPECT_EQ(Run("CL_Mch_Scrm_Code", 9).displayText, "5");
    Run("CL_Mch_Scrm_Code", 9, CellMode::SetText, 0, "9");
    EXPECT_EQ(image.GetByte(Ext(9) + 5), 8);
    Run("CL_Mch_Scrm_Type", 9, CellMode::Action, cellkey::kSpace);  // type 3
    EXPECT_EQ(image.GetByte(Ext(9) + 5), 8);
    EXPECT_EQ(Run("CL_Mch_Scrm_Code", 9).displayText, "8");
}

// The per-channel bytes have a conventional and an LTR reading; the channel's bank says
// which applies, and the other is grey.
TEST_F(ChannelCellsTest, TheLtrReadingAppliesOnAnLtrBankOnly) {
    cmcEeprom& image = context.image;
    image.SetByte(0x1696C + 1, 12);  // bank 0 holds channels 0..11
    image.SetByte(PerChannel(9), 30);
    const std::optional<std::uint32_t> grey = 0xC0C0C0;
    EXPECT_EQ(Run("CL_Mch_Rpt_L", 9).fontColour, grey);
    EXPECT_EQ(Run("CL_Mch_Rpt_C", 9).fontColour, std::nullopt);
    image.SetByte(0x16A6C, 0x80);  // bank 0 trunks as LTR
    EXPECT_EQ(Run("CL_Mch_Rpt_L", 9).fontColour, std::nullopt);
    EXPECT_EQ(Run("CL_Mch_Rpt_C", 9).fontColour, grey);
    EXPECT_EQ(Run("CL_Mch_Rpt_C", 9).displayText, "30");
    // A byte beyond the LTR repeaters shows at the last, and drawing does not write it.
    EXPECT_EQ(Run("CL_Mch_Rpt_L", 9).displayText, "20");
    EXPECT_EQ(image.GetByte(PerChannel(9)), 30);
}

// The P25 unit identifier: 24 bits of a 32-bit field, whose high byte is kept.
TEST_F(ChannelCellsTest, TheUnitIdentifierKeepsTheFieldsHighByte) {
    context.kind = 1;
    cmcEeprom& image = context.image;
    for (int i = 0; i < 4; ++i) image.SetByte(Ext(9) + 12 + i, std::array<std::uint8_t, 4>{0xA5, 0x01, 0x02, 0x03}[i]);
    EXPECT_EQ(Run("CL_Mch_Unit_Hex", 9).displayText, "010203");
    EXPECT_EQ(Run("CL_Mch_Unit_Dec", 9).displayText, "66051");
    Run("CL_Mch_Unit_Dec", 9, CellMode::SetText, 0, "16777215");
    EXPECT_EQ(image.GetByte(Ext(9) + 12), 0xA5);
    EXPECT_EQ(image.GetByte(Ext(9) + 13), 0xFF);
    EXPECT_EQ(image.GetByte(Ext(9) + 15), 0xFF);
    EXPECT_EQ(Run("CL_Mch_Unit_Hex", 9).fontColour, std::optional<std::uint32_t>(0xC0C0C0)) << "analog channel";
}

// A mark names one channel by number (0xFFFF: none): setting it on a row writes the row's
// channel there, also on a channel not in use, and moves it from the one that had it;
// taking it off leaves it on no channel.
TEST_F(ChannelCellsTest, MarksNameTheirChannelEvenOnARowNotInUse) {
    cmcEeprom& image = context.image;
    image.SetByte(0x13B81, 3);  // mark 1 on channel 3
    for (std::int32_t a : {0x13B82, 0x13B83}) image.SetByte(a, 0xFF);  // mark 2 on none
    image.SetByte(0x168F5, 3);  // mark 3 on channel 3, switched off (0x168FE bit 5 clear)
    EXPECT_EQ(Run("CL_Mch_Atr", 10).displayText, "---");
    Run("CL_Mch_Atr", 10, CellMode::Action, '1');
    EXPECT_EQ(image.GetByte(0x13B81), 10);
    EXPECT_EQ(Run("CL_Mch_Atr", 10).displayText, "1--");
    EXPECT_EQ(context.records.load(1, 3).flags & RecordAccessor::kFlagMarkA, 0) << "moved from channel 3";
    Run("CL_Mch_Atr", 10, CellMode::Action, '3');
    EXPECT_EQ(image.GetByte(0x168F5), 10);
    EXPECT_EQ(image.GetByte(0x168FE) & 0x20, 0x20) << "setting the third mark switches it on";
    EXPECT_EQ(Run("CL_Mch_Atr", 10).displayText, "1-3");
    const cmcCellCapsule off = Run("CL_Mch_Atr", 10, CellMode::Action, '1');
    EXPECT_EQ(off.displayText, "--3");
    EXPECT_NE(off.changeFlags & kChangeImage, 0u);
    EXPECT_EQ(image.GetByte(0x13B80), 0xFF);
    EXPECT_EQ(image.GetByte(0x13B81), 0xFF);
    EXPECT_EQ(Run("CL_Mch_Atr", 10).displayText, "--3");
    EXPECT_EQ(Run("CL_Mch_No", 10).displayText, "") << "the number of a channel not in use is not shown";
    EXPECT_EQ(Run("CL_Mch_No", 9).displayText, "10");
}

}  // namespace
