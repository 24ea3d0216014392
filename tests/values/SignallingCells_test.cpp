// The signalling cells through the value routine: the MSK address plan, the tone windows a
// frequency sets, DTMF digits as the radio stores them, and the marks of check cells and of
// choice items, all against image bytes written out by hand.
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

constexpr int kLmrMobile = 4;
constexpr int kPmrHandheld = 2;
constexpr int kLmrP25Handheld = 1;
constexpr int kBiisPmrHandheld = 3;

class SignallingCellsTest : public testsupport::CellTest {
protected:
    cmcCellCapsule Run(const std::string& binding, CellMode mode = CellMode::Draw, std::string text = {},
                       std::uint32_t index = 0, const cmcCellCapsule* linked = nullptr) {
        return Evaluate(binding, {.mode = mode, .text = std::move(text), .index = index, .linked = linked});
    }

    std::vector<std::uint8_t> Read(std::int32_t address, int count) {
        std::vector<std::uint8_t> out;
        for (int i = 0; i < count; ++i) out.push_back(context.image.GetByte(address + i));
        return out;
    }

    // A digital channel of a BIIS PMR model at `channel`, with monitor `moni` and select `sel`.
    void BiisDigitalChannel(int channel, std::uint32_t moni, std::uint32_t sel) {
        context.kind = kBiisPmrHandheld;
        RecordAccessor& r = context.records;
        r.load(4, channel);
        r.set(Fld::Mch_FreqR, 446'006'250);
        r.set(Fld::Mch_FreqT, 446'006'250);
        r.set(Fld::Mch_Form, 1);
        r.set(Fld::Mch_Moni, moni);
        r.set(Fld::Mch_Sel, sel);
        r.set(Fld::Mch_CH_Mute, 1);
        r.status |= RecordAccessor::kStatusValid;
        r.store(4, channel);
    }

};

constexpr std::uint8_t kBoth = kMarkFlagError | kMarkFlagWarning;

TEST_F(SignallingCellsTest, TheAddressPlanShowsItsRangesFromTheBoundary) {
    struct Case {
        std::uint8_t high, low;  // boundary A at 0x17B5A, big-endian
        const char* binding;
        const char* text;
    };
    for (const Case& c : {
             Case{0x00, 0x64, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[0]", "0000 (No Edit)"},
             Case{0x00, 0x64, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[1]", "0099 (No Edit)"},
             Case{0x00, 0x64, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[2]", "error"},
             Case{0x00, 0x01, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[1]", "0000 (No Edit)"},
             Case{0x00, 0x00, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[0]", "----"},
             Case{0x00, 0x64, "CT_MSK_AdrRange.CL_Msk_AdrRange_Group[0]", "0100"},
             Case{0x00, 0x64, "CT_MSK_AdrRange.CL_Msk_AdrRange_Group[1]", "4095 (No Edit)"},
             Case{0x0F, 0xFF, "CT_MSK_AdrRange.CL_Msk_AdrRange_Individual[1]", "4094 (No Edit)"},
         }) {
        Bytes(0x17B5A, {c.high, c.low});
        EXPECT_EQ(Run(c.binding).displayText, c.text) << c.binding << " A=" << (c.high * 256 + c.low);
    }

    // Moving the boundary writes it back where the radio reads it.
    Bytes(0x17B5A, {0x00, 0x64});
    const cmcCellCapsule r = Run("CT_MSK_AdrRange.CL_Msk_AdrRange_Group[0]", CellMode::SetText, "2000");
    EXPECT_EQ(Read(0x17B5A, 2), (std::vector<std::uint8_t>{0x07, 0xD0}));
    EXPECT_NE(r.changeFlags & kChangeImage, 0u);
    Run("CT_MSK_AdrRange.CL_Msk_AdrRange_Group[0]", CellMode::SetText, "4096");
    EXPECT_EQ(Read(0x17B5A, 2), (std::vector<std::uint8_t>{0x07, 0xD0})) << "past the 12-bit addresses";
}

TEST_F(SignallingCellsTest, AddressesOutsideTheirRangeAreErrors) {
    Bytes(0x17B5A, {0x00, 0x64});  // A = 100
    struct Case {
        const char* binding;
        std::int32_t address;  // where the value lies
        std::uint8_t high, low;
        bool error;
    };
    const std::int32_t group0 = 0x17A62, group1 = 0x17A62 + 31;
    for (const Case& c : {
             Case{"CT_MSK_AdrRange.CL_Msk_AdrRange_Killer", 0x17B5E, 0x00, 0x63, false},
             Case{"CT_MSK_AdrRange.CL_Msk_AdrRange_Killer", 0x17B5E, 0x00, 0x64, true},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[0]", group0, 0x00, 0x63, false},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[0]", group0, 0x00, 0x64, true},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[1]", group1, 0x00, 0x64, false},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[1]", group1, 0x0F, 0xFF, false},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[1]", group1, 0x00, 0x63, true},
             Case{"CT_MSK_IdGroup.CL_Msk_IdGroup_Adr[1]", group1, 0x10, 0x00, true},
             // The fixed bases of status messages and GPS reports are individual stations.
             Case{"CT_MSK_Cfg.CL_Msk_Cfg_Status_FixBaseId", 0x17D40, 0x00, 0x63, false},
             Case{"CT_MSK_Cfg.CL_Msk_Cfg_Status_FixBaseId", 0x17D40, 0x00, 0x64, true},
             Case{"CT_MSK_Cfg.CL_Msk_Cfg_Gps_FixBaseId", 0x13FC9, 0x00, 0x00, false},
             Case{"CT_MSK_Cfg.CL_Msk_Cfg_Gps_FixBaseId", 0x13FC9, 0x0F, 0xFF, true},
         }) {
        Bytes(c.address, {c.high, c.low});
        const cmcCellCapsule r = Run(c.binding);
        EXPECT_EQ((r.markFlags & kMarkFlagError) != 0, c.error) << c.binding << " " << r.displayText;
        Bytes(c.address, {0x00, 0x00});
    }
}

TEST_F(SignallingCellsTest, AUserToneSetsItsDecoderWindowWithinTheDecodersRange) {
    struct Case {
        const char* typed;
        std::vector<std::uint8_t> tone, window;  // 0.1 Hz, big-endian
    };
    for (const Case& c : {
             // 397.7 Hz is below the decoder: the window starts at 400.0 Hz; 422.3 Hz above.
             Case{"410.0", {0x10, 0x04}, {0x0F, 0xA0, 0x10, 0x7F}},
             // 3038.5 Hz is above it: the window ends at 3000.0 Hz; 2861.5 Hz below.
             Case{"2950", {0x73, 0x3C}, {0x6F, 0xC7, 0x75, 0x30}},
         }) {
        const cmcCellCapsule r = Run("CT_UserTone.CL_UTone_Encode[3]", CellMode::SetText, c.typed);
        EXPECT_EQ(Read(0x16D79 + 2 * 3, 2), c.tone) << c.typed;
        EXPECT_EQ(Read(0x16D97 + 4 * 3, 4), c.window) << c.typed;
        EXPECT_NE(r.changeFlags & kChangeRecord, 0u);
    }
    EXPECT_EQ(Run("CT_UserTone.CL_UTone_Dec_Low[3]").displayText, "2861.5");
    EXPECT_EQ(Read(0x16D79 + 2 * 2, 2), (std::vector<std::uint8_t>{0, 0})) << "only the row's tone";
}

TEST_F(SignallingCellsTest, ATwoToneFrequencySetsItsWindowAndRowZeroIsNoCode) {
    Run("CT_2Tone_Code.CL_2T_RxFreq_2nd[2]", CellMode::SetText, "1000.0");
    EXPECT_EQ(Read(0x13E4C + 4 * 2 + 2, 2), (std::vector<std::uint8_t>{0x27, 0x10}));
    // The second tone's window: 970.0 .. 1030.0 Hz; the first tone's stays untouched.
    EXPECT_EQ(Read(0x16D71 + 8 * 2, 8), (std::vector<std::uint8_t>{0, 0, 0, 0, 0x25, 0xE4, 0x28, 0x3C}));
    EXPECT_EQ(Run("CT_2Tone_Code.CL_2T_RxFreq_2nd[2]").displayText, "1000.0");

    Run("CT_2Tone_Code.CL_2T_RxFreq_1st[0]", CellMode::SetText, "1000.0");
    EXPECT_EQ(Run("CT_2Tone_Code.CL_2T_RxFreq_1st[0]").displayText, "----");
    EXPECT_EQ(Read(0x13E4C, 4), (std::vector<std::uint8_t>{0, 0, 0, 0})) << "row 0 is not edited";
}

TEST_F(SignallingCellsTest, AnUpsideDownUserToneWindowIsWarnedOfAndGathered) {
    Bytes(0x16D97 + 4 * 14, {0x27, 0x10, 0x25, 0xE4});  // tone 14: 1000.0 .. 970.0 Hz
    for (const char* bound : {"CT_UserTone.CL_UTone_Dec_Low[14]", "CT_UserTone.CL_UTone_Dec_High[14]"}) {
        EXPECT_EQ(Run(bound).markFlags & kBoth, kMarkFlagWarning) << bound;
    }
    EXPECT_EQ(Run("CT_Null.CL_Check_User_Tone_Encode").markFlags & kBoth, kMarkFlagWarning);
    Run("CT_UserTone.CL_UTone_Dec_High[14]", CellMode::SetText, "1030");
    EXPECT_EQ(Run("CT_Null.CL_Check_User_Tone_Encode").markFlags & kBoth, 0);
}

TEST_F(SignallingCellsTest, CheckCellsGatherMarksOnlyWhereTheModelUsesThem) {
    // Bank 1 holds channels 2 and 3: a monitor setting to warn of on one, a select
    // setting in error on the other; bank 0 has a channel that is in order.
    context.records.setBankCount(0, 2);
    context.records.setBankCount(1, 2);
    BiisDigitalChannel(0, 6, 1);
    BiisDigitalChannel(2, 0, 1);
    BiisDigitalChannel(3, 7, 0);
    Bytes(0x17B5A, {0x00, 0x64});
    Bytes(0x17B5E, {0x01, 0x00});  // killer 256: a group address

    struct Case {
        int model;
        const char* check;
        std::uint32_t bank;
        std::uint8_t marks;
    };
    for (const Case& c : {
             Case{kBiisPmrHandheld, "CL_Check_Mch", 1, kBoth},
             Case{kBiisPmrHandheld, "CL_Check_Mch", 0, 0},
             Case{kBiisPmrHandheld, "CL_Check_Msk_IdRange", 0, kMarkFlagError},
             Case{kLmrMobile, "CL_Check_Mch", 1, 0},
             Case{kPmrHandheld, "CL_Check_Mch", 1, 0},
             Case{kLmrP25Handheld, "CL_Check_Msk_IdRange", 0, 0},
             Case{kPmrHandheld, "CL_Check_Msk_IdRange", 0, 0},
         }) {
        context.kind = c.model;
        EXPECT_EQ(Run(std::string("CT_Null.") + c.check, CellMode::Draw, {}, c.bank).markFlags & kBoth, c.marks)
            << c.check << " model " << c.model << " bank " << c.bank;
    }
}

TEST_F(SignallingCellsTest, TheMskConfigurationCheckGathersBothFixedBases) {
    Bytes(0x17B5A, {0x00, 0x64});  // A = 100
    struct Case {
        int model;
        std::uint16_t statusBase, gpsBase;
        std::uint8_t marks;
    };
    for (const Case& c : {
             Case{kBiisPmrHandheld, 99, 0, 0},
             Case{kBiisPmrHandheld, 100, 0, kMarkFlagError},
             Case{kBiisPmrHandheld, 5, 4095, kMarkFlagError},
             Case{kBiisPmrHandheld, 4095, 4095, kMarkFlagError},
             Case{kPmrHandheld, 4095, 4095, 0},
         }) {
        context.kind = c.model;
        Bytes(0x17D40, {static_cast<std::uint8_t>(c.statusBase >> 8), static_cast<std::uint8_t>(c.statusBase)});
        Bytes(0x13FC9, {static_cast<std::uint8_t>(c.gpsBase >> 8), static_cast<std::uint8_t>(c.gpsBase)});
        EXPECT_EQ(Run("CT_Null.CL_Check_Msk_Config").markFlags & kBoth, c.marks)
            << "model " << c.model << " bases " << c.statusBase << ", " << c.gpsBase;
    }
    // A typed base is stored big-endian where the check reads it.
    context.kind = kBiisPmrHandheld;
    Run("CT_MSK_Cfg.CL_Msk_Cfg_Gps_FixBaseId", CellMode::SetText, "42");
    EXPECT_EQ(Read(0x13FC9, 2), (std::vector<std::uint8_t>{0x00, 0x2A}));
}

TEST_F(SignallingCellsTest, DtmfDigitsAreStoredPackedWithTheirCount) {
    context.kind = kLmrMobile;
    const std::int32_t memory1 = 0x175CD + 37;
    Run("CT_DTMF.CL_Dtmf_Code[1]", CellMode::SetText, "12*#0");
    EXPECT_EQ(Read(memory1 + 24, 3), (std::vector<std::uint8_t>{0x12, 0xEF, 0x00}));
    EXPECT_EQ(context.image.GetByte(memory1 + 36), 5);
    EXPECT_EQ(Run("CT_DTMF.CL_Dtmf_CodeID[1]").displayText, "12*#0");

    struct Case {
        int model;
        std::int32_t row;
        const char* text;
    };
    for (const Case& c : {Case{kLmrMobile, 0, "Autodial"}, Case{kLmrMobile, 6, "Emergency"},
                          Case{kLmrP25Handheld, 7, "Log/ID"}, Case{kPmrHandheld, 6, "7"},
                          Case{kPmrHandheld, 0, "Autodial"}, Case{kLmrMobile, 3, "4"}}) {
        context.kind = c.model;
        EXPECT_EQ(Run("CT_DTMF.CL_Dtmf_ChNo[" + std::to_string(c.row) + "]").displayText, c.text)
            << c.model << " row " << c.row;
    }
}

TEST_F(SignallingCellsTest, TimersAndTonePairsLandInTheirImageBytes) {
    // The first-digit time in 10 ms steps: 0.5 s is 50.
    const cmcCellCapsule timer = Run("CT_DTMF.CL_Dtmf_FirstTimer", CellMode::SetText, "0.5");
    EXPECT_EQ(Read(0x1690D, 3), (std::vector<std::uint8_t>{0x00, 0x32, 0x00}));
    EXPECT_NE(timer.changeFlags & kChangeImage, 0u);

    // Selecting pair 9 sets bit 9 of the select array (byte 1, second bit from the top);
    // the pair's own tone bytes stay as they were.
    Bytes(0x173F9 + 4 * 9, {0x00, 0x08, 0x80, 0x00});
    cmcCellCapsule select;
    cell = cmcCellObj{};
    ParseCell(cell, "{(%CT_CTone.CL_CTone_Sel[9])}", nullptr, nullptr);
    select.cell = &cell;
    select.key = cellkey::kSpace;
    ProcessCell(context, select);
    EXPECT_EQ(Read(0x1694E, 2), (std::vector<std::uint8_t>{0x00, 0x40}));
    EXPECT_EQ(select.displayText, "On");
    EXPECT_EQ(Read(0x173F9 + 4 * 9, 4), (std::vector<std::uint8_t>{0x00, 0x08, 0x80, 0x00}));
}

TEST_F(SignallingCellsTest, ChoiceItemsCarryTheMarksOfTheCellTheyAreFor) {
    BiisDigitalChannel(5, 6, 1);
    cmcCellObj owner;
    struct Case {
        const char* cell;
        std::int32_t item;
        std::uint8_t marks;
    };
    for (const Case& c : {Case{"CL_Mch_Moni", 6, 0}, Case{"CL_Mch_Moni", 5, kMarkFlagWarning},
                          Case{"CL_Mch_Sel", 1, 0}, Case{"CL_Mch_Sel", 2, kMarkFlagError},
                          Case{"CL_Mch_Call", 1, kMarkFlagError}, Case{"CL_Mch_PTT", 0, 0},
                          Case{"CL_Mch_CH_Mute", 0, kMarkFlagWarning}, Case{"CL_Mch_Nar", 0, 0}}) {
        owner = cmcCellObj{};
        ParseCell(owner, std::string("{(%CT_Mch.") + c.cell + "[5])}", nullptr, nullptr);
        cmcCellCapsule linked;
        linked.cell = &owner;
        const std::string item = "CT_Null.FlexMark[" + std::to_string(c.item) + "]";
        EXPECT_EQ(Run(item, CellMode::Draw, {}, 0, &linked).markFlags & kBoth, c.marks) << c.cell << " " << c.item;
    }

    // An analog channel, or no linked cell: the item is only its caption.
    context.records.load(4, 5).set(Fld::Mch_Form, 0);
    context.records.store(4, 5);
    ParseCell(owner, "{(%CT_Mch.CL_Mch_Sel[5])}", nullptr, nullptr);
    cmcCellCapsule linked;
    linked.cell = &owner;
    EXPECT_EQ(Run("CT_Null.FlexMark[2]", CellMode::Draw, {}, 0, &linked).markFlags & kBoth, 0);
    EXPECT_EQ(Run("CT_Null.FlexMark[2]").markFlags & kBoth, 0);
}

}  // namespace
