// The settings cells through the value routine, against the product overlay's lists: what
// a known byte shows, and that a step rewrites the field's bits and nothing else of the
// image.
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/OverlayFragment.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct ListSheet : CellSheetServices {
    struct Opened {
        std::string list;
        CellId kind;
        std::int32_t value;
    };
    std::vector<Opened> opened;
    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    bool OpenChoiceList(const std::string& list, CellId kind, std::int32_t value) override {
        opened.push_back({list, kind, value});
        return true;
    }
};

class SettingsCellsTest : public testsupport::CellTest {
protected:
    // A mobile LMR model.
    cmcCellCapsule Run(const std::string& id, CellMode mode = CellMode::Draw, std::int32_t key = 0,
                       std::string text = {}, const cmcCellObj* picked = nullptr) {
        return Evaluate("CT_Null." + id,
                        {.mode = mode, .key = key, .text = std::move(text), .picked = picked, .sheet = &sheet});
    }
    std::uint8_t At(std::int32_t address) const { return context.image.GetByte(address); }
    void Set(std::int32_t address, std::uint8_t value) { context.image.SetByte(address, value); }

    ListSheet sheet;
};

// One row per editor kind: the byte's neighbours are set so that a write of the whole byte
// (or of the wrong bits) shows in the comparison of the whole image.
TEST_F(SettingsCellsTest, AStepRewritesOnlyTheFieldsBits) {
    struct Case {
        const char* id;
        std::int32_t address;
        std::vector<std::uint8_t> bytes;  // from `address` on
        const char* shown;
        const char* stepped;
        std::vector<std::uint8_t> after;
    };
    const Case cases[] = {
        // Choice on the high nibble (mobile list): Level 2 -> Level 3, low nibble kept.
        {"CL_SetM_Backlight", 0x13FB8, {0x2A}, "Level 2", "Level 3", {0x3A}},
        // One bit: Off -> On, the other seven kept.
        {"CL_SetM_BeepOn", 0x13FB2, {0x45}, "Off", "On", {0xC5}},
        // Setting with wrap-around: 127 -> 0.
        {"CL_SetM_LcdContrast", 0x13FB1, {0x7F}, "127", "0", {0x00}},
        // Two bits in the middle of a byte: Data -> Remote control.
        {"CL_Comm_RS232C_Mode", 0x168FC, {0xD3}, "Data", "Remote control", {0xE3}},
        // Timer in whole seconds.
        {"CL_Comm_Tot_Timer", 0x1691C, {30}, " 30.0", " 31.0", {31}},
        // Timer in tenths.
        {"CL_KDisp_ScrollTimer", 0x16906, {25}, "  2.5", "  2.6", {26}},
        // Big-endian 16-bit setting: 1000 Hz -> 1001 Hz.
        {"CL_Exp_BeepFreq_Low", 0x168DA, {0x03, 0xE8}, "1000", "1001", {0x03, 0xE9}},
        // Signed 32-bit scaled: -0.450000 MHz plus one 25 kHz step.
        {"CL_Maker_IfFreq", 0x10, {0xFF, 0xF9, 0x22, 0x30}, " -0.450000", " -0.425000", {0xFF, 0xF9, 0x83, 0xD8}},
        // Factory byte, bit 5 of 0x0B beside the PLL type bits.
        {"CL_Maker_Dtcs_RxPolar", 0x0B, {0x43}, "Normal", "Reverse", {0x63}},
        // MSK timing: a count wraps at 15; a delay in hundredths of a second (scaled, two
        // decimals); timers in tenths and, for dTT, hundredths.
        {"CL_Msk_TimingErr_NR", 0x17D25, {15}, "15", "0", {0}},
        {"CL_Msk_TimingErr_TAC", 0x17D29, {50}, "  0.50", "  0.51", {51}},
        {"CL_Msk_TimingErr_TOF", 0x17D2A, {25}, "  2.5", "  2.6", {26}},
        {"CL_Msk_TimingErr_dTT", 0x17D34, {5}, "  0.05", "  0.06", {6}},
        {"CL_Msk_TimingErr_LetCall", 0x17D3A, {255}, "  2.55", "  0.00", {0}},
        // MSK options: one bit among the configuration's others, the sync word's list, the
        // GPS sentence's two low bits, and the 16-bit GPS interval in seconds.
        {"CL_Msk_Cfg_Enc_PreEmphasis", 0x17D3C, {0x81}, "Off", "On", {0xC1}},
        {"CL_Msk_Cfg_Enc_SyncvWord", 0x17D3C, {0x5E}, "C4D7 (SYNC)", "3B28 (SYNT)", {0x7E}},
        {"CL_Msk_TimingErr_BusyCheck", 0x17D3B, {0x1F}, "Off", "On", {0x9F}},
        {"CL_Msk_Cfg_Gps_Sentence", 0x13FC7, {0xF1}, "GGA", "GLL", {0xF2}},
        {"CL_Msk_Cfg_Gps_IntervalTimer", 0x13FCB, {0x01, 0x2C}, "300.0", "301.0", {0x01, 0x2D}},
        // Key and display options: a lamp colour in the two high bits, the power switch
        // (this fixture is a mobile: three ways) in bits 2-3.
        {"CL_KDisp_LED_LP1", 0x16903, {0x9D}, "Red", "Orange", {0xDD}},
        {"CL_KDisp_PwrSW", 0x16903, {0x05}, "Hold 1 s", "Hold 2 s", {0x09}},
        {"CL_KDisp_RfPoBatt", 0x16904, {0xFE}, "Off", "On", {0xFF}},
        // Emergency, scrambler and man-down settings: a two-bit list in bits 0-1 of the
        // options byte, a timer, a wrapping count.
        {"CL_Comm_EmerIn", 0x1693F, {0xA5}, "Key", "External", {0xA6}},
        {"CL_Comm_ManDown_TS2", 0x16949, {30}, " 30.0", " 31.0", {31}},
        {"CL_Comm_Scrm_GroupCode", 0x16945, {255}, "255", "0", {0}},
        // The time-out reset is a count 0..15 shown with three zeros, not a timer.
        {"CL_Comm_Tot_Reset", 0x1691E, {15}, " 15.000", "  0.000", {0}},
        // Extended settings: one bit of the options byte after the user tone.
        {"CL_Exp_DtcsInv_Rx", 0x168D8, {0x81}, "Off", "On", {0xC1}},
        {"CL_Exp_EpttFtsw_S", 0x168E2, {0xF3}, "PTT", "Monitor", {0xF7}},
        // Factory settings in the EEPROM header: a list, a timer in milliseconds, and the
        // VCO control as a 16-bit number of tenths shown with four digits.
        {"CL_Maker_MchPitch", 0x19, {0xFF}, "6.25 kHz", "2.5 kHz", {0xFC}},
        {"CL_Maker_Sql_SigDetTimer", 0x1B, {25}, "  0.025", "  0.026", {26}},
        {"CL_Maker_VcoControl", 0x29, {0x1F, 0x3F}, "799.9000", "  0.0000", {0x00, 0x00}},
        {"CL_Maker_Digital_RxPolar", 0x18, {0x2F}, "Normal", "Reverse", {0x3F}},
    };
    for (const Case& c : cases) {
        context.image.Fill(0x5A);
        for (std::size_t i = 0; i < c.bytes.size(); ++i) Set(c.address + static_cast<std::int32_t>(i), c.bytes[i]);
        EXPECT_EQ(Run(c.id).displayText, c.shown) << c.id;
        const cmcEeprom before = context.image;

        cmcCellCapsule r = Run(c.id, CellMode::Action, cellkey::kSpace);
        EXPECT_EQ(r.displayText, c.stepped) << c.id;
        EXPECT_NE(r.changeFlags & kChangeImage, 0u) << c.id;
        cmcEeprom expected = before;
        for (std::size_t i = 0; i < c.after.size(); ++i)
            expected.SetByte(c.address + static_cast<std::int32_t>(i), c.after[i]);
        EXPECT_TRUE(context.image == expected) << c.id;
    }
}

// Typed MSK delays are hundredths of a second in one byte: TAC has no zero, LetAck has.
TEST_F(SettingsCellsTest, TypedMskDelaysAreStoredInHundredths) {
    struct Case {
        const char* id;
        std::int32_t address;
        const char* typed;
        std::uint8_t stored;
    };
    for (const Case& c :
         {Case{"CL_Msk_TimingErr_TAC", 0x17D29, "0.50", 50}, Case{"CL_Msk_TimingErr_TAC", 0x17D29, "0", 1},
          Case{"CL_Msk_TimingErr_TAC", 0x17D29, "9", 255}, Case{"CL_Msk_TimingErr_LetAck", 0x17D39, "0", 0},
          Case{"CL_Msk_TimingErr_LetAck", 0x17D39, "1.2", 120}}) {
        Set(c.address - 1, 0x77), Set(c.address, 0x33), Set(c.address + 1, 0x77);
        cmcCellCapsule r = Run(c.id, CellMode::SetText, 0, c.typed);
        EXPECT_EQ(At(c.address), c.stored) << c.id << " " << c.typed;
        EXPECT_NE(r.changeFlags & kChangeImage, 0u) << c.id << " " << c.typed;
        EXPECT_EQ(At(c.address - 1), 0x77) << c.id;
        EXPECT_EQ(At(c.address + 1), 0x77) << c.id;
    }
}

// The user CTCSS tone is typed, so Space opens the editor instead of stepping through
// tenths of a hertz; Backspace still steps, and a typed tone is clamped to 60.0..300.0.
TEST_F(SettingsCellsTest, TheUserCtcssToneOpensItsEditorOnSpace) {
    Set(0x168D5, 0x77), Set(0x168D6, 0x03), Set(0x168D7, 0x75), Set(0x168D8, 0x77);  // 88.5 Hz
    cmcCellCapsule r = Run("CL_Exp_UserCtcss", CellMode::Action, cellkey::kSpace);
    EXPECT_EQ(lastResult, CellResult::StartEdit);
    EXPECT_EQ(r.changeFlags & kChangeImage, 0u);
    EXPECT_EQ(At(0x168D6), 0x03);
    EXPECT_EQ(At(0x168D7), 0x75);

    r = Run("CL_Exp_UserCtcss", CellMode::Action, cellkey::kBackspace);
    EXPECT_EQ(r.displayText, " 88.4");
    EXPECT_EQ(At(0x168D7), 0x74);

    struct Case {
        const char* typed;
        std::uint8_t high, low;
    };
    for (const Case& c : {Case{"123.4", 0x04, 0xD2}, Case{"20", 0x02, 0x58}, Case{"310", 0x0B, 0xB8}}) {
        Run("CL_Exp_UserCtcss", CellMode::SetText, 0, c.typed);
        EXPECT_EQ(At(0x168D6), c.high) << c.typed;
        EXPECT_EQ(At(0x168D7), c.low) << c.typed;
        EXPECT_EQ(At(0x168D5), 0x77);
        EXPECT_EQ(At(0x168D8), 0x77);
    }
}

// A typed time-out reset count is a whole number clamped to 0..15.
TEST_F(SettingsCellsTest, TheTimeOutResetCountIsClampedToFifteen) {
    for (const auto& [typed, stored] : {std::pair{"7", 7}, std::pair{"40", 15}, std::pair{"2.6", 3}}) {
        Run("CL_Comm_Tot_Reset", CellMode::SetText, 0, typed);
        EXPECT_EQ(At(0x1691E), stored) << typed;
    }
}

TEST_F(SettingsCellsTest, ADrawChangesNothing) {
    context.image.Fill(0xFF);
    const cmcEeprom before = context.image;
    for (const char* id :
         {"CL_SetM_BeepLev", "CL_Comm_CloneComment1", "CL_Comm_UserPassword", "CL_KDisp_Key_Conv_P0"}) {
        EXPECT_EQ(Run(id).changeFlags & kChangeImage, 0u) << id;
    }
    EXPECT_TRUE(context.image == before);
}

TEST_F(SettingsCellsTest, TheBeepLevelIsTheLowNibblePlusAHundredForBitSix) {
    Set(0x13FB2, 0x88);  // beep on, level 8
    EXPECT_EQ(Run("CL_SetM_BeepLev").displayText, "8");
    // The list goes on from 8 to 100 ("linked to volume"): bit 6 set, level 0, bit 7 kept.
    EXPECT_EQ(Run("CL_SetM_BeepLev", CellMode::Action, cellkey::kSpace).displayText, "Linked to volume");
    EXPECT_EQ(At(0x13FB2), 0xC0);
    EXPECT_EQ(Run("CL_SetM_BeepLev", CellMode::Action, cellkey::kBackspace).displayText, "8");
    EXPECT_EQ(At(0x13FB2), 0x88);
}

TEST_F(SettingsCellsTest, UserSetModeBitsCountFromTheHighBitOfTheFirstByte) {
    struct Case {
        const char* id;
        std::int32_t address;
        std::uint8_t bit;
    };
    for (const Case& c : {Case{"CL_USetM_Backlight", 0x168E0, 0x80}, Case{"CL_USetM_MicGain", 0x168E0, 0x01},
                          Case{"CL_USetM_VoxGain", 0x168E1, 0x80}, Case{"CL_USetM_SigMoni", 0x168E1, 0x04}}) {
        Set(0x168E0, 0);
        Set(0x168E1, 0);
        EXPECT_EQ(Run(c.id).displayText, "Fixed") << c.id;
        Run(c.id, CellMode::Action, cellkey::kSpace);
        EXPECT_EQ(At(c.address), c.bit) << c.id;
        EXPECT_EQ(At(c.address == 0x168E0 ? 0x168E1 : 0x168E0), 0) << c.id;
        EXPECT_EQ(Run(c.id).displayText, "User may change") << c.id;
    }
}

TEST_F(SettingsCellsTest, PasswordsAreSixPackedDigits) {
    Set(0x168D0, 0x12), Set(0x168D1, 0x34), Set(0x168D2, 0x56);
    Set(0x168D6, 0x77);  // the byte after the dealer pass code
    EXPECT_EQ(Run("CL_Comm_UserPassword").displayText, "123456");
    cmcCellCapsule r = Run("CL_Comm_DealerPasscode", CellMode::SetText, 0, "908172");
    EXPECT_EQ(r.displayText, "908172");
    EXPECT_NE(r.changeFlags & kChangeImage, 0u);
    EXPECT_EQ(At(0x168D3), 0x90);
    EXPECT_EQ(At(0x168D4), 0x81);
    EXPECT_EQ(At(0x168D5), 0x72);
    EXPECT_EQ(At(0x168D6), 0x77);
    EXPECT_EQ(At(0x168D2), 0x56) << "the user password is untouched";
}

TEST_F(SettingsCellsTest, CloneCommentsAreSixteenCharacters) {
    Set(0x16AA9, 'X');  // the first byte after the second comment
    Run("CL_Comm_CloneComment2", CellMode::SetText, 0, "Fleet 7");
    EXPECT_EQ(Run("CL_Comm_CloneComment2").displayText.substr(0, 7), "Fleet 7");
    EXPECT_EQ(At(0x16A99 + 15), ' ');
    EXPECT_EQ(At(0x16AA9), 'X');
}

TEST_F(SettingsCellsTest, AKeyWithAnOptionShowsItAndAsksForItAfterAPick) {
    // 0x31 keeps its option in bit 6 of the key-option byte.
    Set(0x16923 + 6, 0x31);  // key P0, conventional
    Set(0x16902, 0x40);
    EXPECT_EQ(Run("CL_KDisp_Key_Conv_P0").displayText, "Squelch /H");
    Set(0x16902, 0xBF);
    EXPECT_EQ(Run("CL_KDisp_Key_Conv_P0").displayText, "Squelch /L");

    // Picking 0x35 (option bit 7, set) stores it and opens the high/low list at High.
    cmcCellObj function;
    ParseCell(function, "{(%CT_Null.Flex0[53])}Beep", nullptr, nullptr);
    cmcCellCapsule r = Run("CL_KDisp_Key_Conv_P0", CellMode::Pick, 0, {}, &function);
    EXPECT_EQ(At(0x16923 + 6), 0x35);
    EXPECT_EQ(r.displayText, "Beep /H");
    ASSERT_EQ(sheet.opened.size(), 1u);
    EXPECT_EQ(sheet.opened[0].list, "GI_Sheet_Sel_KDisp_KeyOpt_HL");
    EXPECT_EQ(sheet.opened[0].kind, CellIdOf("FlexKeyOpt"));
    EXPECT_EQ(sheet.opened[0].value, 1);

    // Low from that list clears bit 7 alone.
    cmcCellObj low;
    ParseCell(low, "{(%CT_Null.FlexKeyOpt[0])}Low", nullptr, nullptr);
    r = Run("CL_KDisp_Key_Conv_P0", CellMode::Pick, 0, {}, &low);
    EXPECT_EQ(At(0x16902), 0x3F);
    EXPECT_NE(r.changeFlags & kChangeImage, 0u);
    EXPECT_EQ(r.displayText, "Beep /L");

    // A code without an option: no suffix, no second list.
    cmcCellObj scan;
    ParseCell(scan, "{(%CT_Null.Flex0[2])}Scan", nullptr, nullptr);
    r = Run("CL_KDisp_Key_Conv_P0", CellMode::Pick, 0, {}, &scan);
    EXPECT_EQ(r.displayText, "Scan");
    EXPECT_EQ(sheet.opened.size(), 1u);
    EXPECT_EQ(At(0x16902), 0x3F);
}

TEST_F(SettingsCellsTest, KeysOfABiisPmrModelUseTheirOwnList) {
    Set(0x16931, 0x40);  // the trunked right-up key: a code only that list has
    context.kind = 7;
    EXPECT_EQ(Run("CL_KDisp_Key_SmTr_RightUp").displayText, "Status");
    context.kind = 4;
    EXPECT_NE(Run("CL_KDisp_Key_SmTr_RightUp").displayText, "Status");
}

// A list that offers a value wider than the field (an overlay's mistake) must not spill into
// the neighbouring settings of the byte: nothing is stored and the stored value stays shown.
TEST(SettingsCellsFieldWidth, AValueTheFieldCannotHoldIsNotStored) {
    testsupport::ScopedOverlay overlay{{
        "#GI_Sheet_Sel_Comm_RS232C_Mode_Cells",
        "{(%CT_Null.Flex0[3])}Three",
        "{(%CT_Null.Flex0[4])}Four",
        "#GI_Sheet_Sel_SetM_BeepLev_Cells",
        "{(%CT_Null.Flex0[8])}8",
        "{(%CT_Null.Flex0[20])}20",
        "#",
    }};
    cmcFCache cache;
    ScopedFCache useCache{cache};
    testsupport::RecordingContext context;
    struct Case {
        const char* id;
        std::int32_t address;
        std::uint8_t byte;
        const char* shown;
    };
    for (const Case& c :
         {Case{"CL_Comm_RS232C_Mode", 0x168FC, 0x35, "Three"}, Case{"CL_SetM_BeepLev", 0x13FB2, 0x88, "8"}}) {
        context.image.SetByte(c.address, c.byte);
        const cmcEeprom before = context.image;
        cmcCellObj cell;
        ParseCell(cell, std::string("{(%CT_Null.") + c.id + ")}", nullptr, nullptr);
        cmcCellCapsule r;
        r.cell = &cell;
        r.key = cellkey::kSpace;
        ProcessCell(context, r);
        EXPECT_EQ(r.displayText, c.shown) << c.id;
        EXPECT_EQ(r.changeFlags & kChangeImage, 0u) << c.id;
        EXPECT_TRUE(context.image == before) << c.id;
    }
}

}  // namespace
