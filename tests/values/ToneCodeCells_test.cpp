// The five-tone and two-tone code tables and their common settings through the value
// routine, against image bytes written out by hand: what a record's bytes show, and that an
// edit rewrites the bytes of its own field and no others.
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

constexpr std::int32_t kRxCode = 0x178B5;  // receive code n at kRxCode + 33n
constexpr std::int32_t kTxDigits = 0x13E50, kTxName = 0x176F5;
constexpr std::int32_t kTwoToneOptions = 0x16DDB, kTwoToneTx = 0x17A28;

class ToneCodeCellsTest : public testsupport::CellTest {
protected:
    // A mobile LMR model; every byte nobody set is noticed when it changes.
    ToneCodeCellsTest() { context.image.Fill(0x5A); }

    cmcCellCapsule Run(const std::string& binding, CellMode mode = CellMode::Draw, std::string text = {},
                       std::int32_t key = 0) {
        return Evaluate(binding, {.mode = mode, .key = key, .text = std::move(text)});
    }
    // The image as it was, with `bytes` written from `address` on.
    cmcEeprom With(const cmcEeprom& before, std::int32_t address, std::initializer_list<std::uint8_t> bytes) {
        cmcEeprom expected = before;
        for (std::uint8_t b : bytes) expected.SetByte(address++, b);
        return expected;
    }
    void ExpectShown(std::initializer_list<std::pair<const char*, const char*>> cells) {
        for (const auto& [binding, text] : cells) EXPECT_EQ(Run(binding).displayText, text) << binding;
    }
};

TEST_F(ToneCodeCellsTest, AReceiveCodeShowsAndTakesItsDigitsAndOptions) {
    const std::int32_t d = kRxCode + 33 * 3;
    Bytes(d, {5, 1, 2, 3, 14, 15, 0, 0, 0});  // five digits: 1 2 3 E *
    Bytes(d + 9, {'S', 'T', 'A', 'T', 'I', 'O', 'N', ' ', '3', ' ', ' ', ' '});
    Bytes(d + 21, {0x02, 0x96, 4});  // Bell; Scan, function 5, compare tone 2; 4 digits compared
    ExpectShown({{"CT_RX_Code.CL_5TRx_RxCode[3]", "123E*"},
                 {"CT_RX_Code.CL_5TRx_Text[3]", "STATION 3"},
                 {"CT_RX_Code.CL_5TRx_IdDec[3]", "Off"},
                 {"CT_RX_Code.CL_5TRx_Bell[3]", "On"},
                 {"CT_RX_Code.CL_5TRx_Stun[3]", "Off"},
                 {"CT_RX_Code.CL_5TRx_Scan[3]", "On"},
                 {"CT_RX_Code.CL_5TRx_Sfunc[3]", "5"},
                 {"CT_RX_Code.CL_5TRx_CompareTone[3]", "2"},
                 {"CT_RX_Code.CL_5TRx_CompareDigit[3]", "4"}});

    // Typed digits: letters in either case, '*'; 'F' is no tone digit and is dropped.
    cmcEeprom before = context.image;
    cmcCellCapsule r = Run("CT_RX_Code.CL_5TRx_RxCode[3]", CellMode::SetText, "9aF*");
    EXPECT_EQ(r.displayText, "9A*");
    EXPECT_NE(r.changeFlags & kChangeRecord, 0u);
    EXPECT_TRUE(context.image == With(before, d, {3, 9, 10, 15, 0, 0, 0, 0, 0}));

    // An erased record (all ones) holds no code, rather than eight digits nobody typed.
    Bytes(kRxCode + 33 * 8, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Run("CT_RX_Code.CL_5TRx_RxCode[8]").displayText, "");

    // More than eight digits are cut at eight.
    Run("CT_RX_Code.CL_5TRx_RxCode[3]", CellMode::SetText, "0123456789");
    EXPECT_EQ(Run("CT_RX_Code.CL_5TRx_RxCode[3]").displayText, "01234567");
    EXPECT_EQ(context.image.GetByte(d), 8);

    // An option toggles its own bit of the option bytes.
    before = context.image;
    EXPECT_EQ(Run("CT_RX_Code.CL_5TRx_Stun[3]", CellMode::Action, {}, cellkey::kSpace).displayText, "On");
    EXPECT_TRUE(context.image == With(before, d + 22, {0x97}));
    Run("CT_RX_Code.CL_5TRx_Sfunc[3]", CellMode::SetText, "12");
    EXPECT_EQ(context.image.GetByte(d + 22), 0xB3);  // b2-5 = 12, the other bits kept
}

TEST_F(ToneCodeCellsTest, ATransmitCodeKeepsItsDigitsTwoToAByte) {
    const std::int32_t v = kTxDigits + 4 * 5, n = kTxName + 14 * 5;
    Bytes(v, {0x12, 0x3A, 0xF0, 0x00});
    Bytes(n + 12, {5, 0x21});  // five digits; Update, select 2
    ExpectShown({{"CT_TX_Code.CL_5TTx_TxCode[5]", "123A*"},
                 {"CT_TX_Code.CL_5TTx_InputDigit[5]", "5"},
                 {"CT_TX_Code.CL_5TTx_Update[5]", "On"},
                 {"CT_TX_Code.CL_5TTx_AbcDec[5]", "Off"},
                 {"CT_TX_Code.CL_5TTx_Sel[5]", "2"}});

    cmcEeprom before = context.image;
    EXPECT_EQ(Run("CT_TX_Code.CL_5TTx_TxCode[5]", CellMode::SetText, "45e").displayText, "45E");
    EXPECT_TRUE(context.image == With(With(before, v, {0x45, 0xE0, 0x00, 0x00}), n + 12, {3}));

    before = context.image;
    Run("CT_TX_Code.CL_5TTx_AbcAud[5]", CellMode::Action, {}, cellkey::kSpace);
    EXPECT_TRUE(context.image == With(before, n + 13, {0x25}));
}

TEST_F(ToneCodeCellsTest, TwoToneOptionsAndTransmitTonesLieInTheirBytes) {
    const std::int32_t o = kTwoToneOptions + 2 * 4;
    Bytes(o, {0x80, 0x25});  // group call; function 5, code type 2
    ExpectShown({{"CT_2Tone_Code.CL_2T_GroupCall[4]", "On"},
                 {"CT_2Tone_Code.CL_2T_Bell[4]", "Off"},
                 {"CT_2Tone_Code.CL_2T_Sfunc[4]", "5"},
                 {"CT_2Tone_Code.CL_2T_Code_Type[4]", "2"},
                 // Code 0 is no code: its options are not shown and not taken.
                 {"CT_2Tone_Code.CL_2T_GroupCall[0]", "----"}});
    cmcEeprom before = context.image;
    Run("CT_2Tone_Code.CL_2T_GroupCall[0]", CellMode::Action, {}, cellkey::kSpace);
    EXPECT_TRUE(context.image == before);
    Run("CT_2Tone_Code.CL_2T_Scan[4]", CellMode::Action, {}, cellkey::kSpace);
    EXPECT_TRUE(context.image == With(before, o, {0x81}));

    // 1000.0 Hz is 10000 tenths, big-endian; the other tone of the pair stays.
    before = context.image;
    EXPECT_EQ(Run("CT_2ToneTX_Common.CL_2TTx_Freq_1st[2]", CellMode::SetText, "1000").displayText, "1000.0");
    EXPECT_TRUE(context.image == With(before, kTwoToneTx + 8, {0x27, 0x10}));
    // Past the top the tone is held at 3300.0 Hz (33000 = 0x80E8).
    Run("CT_2ToneTX_Common.CL_2TTx_Freq_2nd[9]", CellMode::SetText, "4000");
    EXPECT_EQ(Run("CT_2ToneTX_Common.CL_2TTx_Freq_2nd[9]").displayText, "3300.0");
    EXPECT_TRUE(context.image == With(With(before, kTwoToneTx + 8, {0x27, 0x10}), kTwoToneTx + 38, {0x80, 0xE8}));
}

// One row of each editor the common settings use: a step rewrites the field's bits only.
TEST_F(ToneCodeCellsTest, CommonSettingsStepInTheirOwnBits) {
    struct Case {
        const char* id;
        std::int32_t address;
        std::uint8_t byte;
        const char* shown;
        const char* stepped;
        std::uint8_t after;
    };
    for (const Case& c : {
             Case{"CL_5TRx_LinkATimer", 0x178B5, 25, "  2.5", "  2.6", 26},       // timer, tenths
             Case{"CL_5TRx_BeepRepeatTimer", 0x178B8, 60, " 60.000", "  0.000", 0},   // scaled 0..60, wraps
             Case{"CL_2T_NotoneTimer", 0x17A50, 10, "  0.10", "  0.12", 12},      // scaled, step 2
             Case{"CL_5TTx_DispDigit2", 0x178C1, 0x5E, "E", "*", 0x5F},           // low nibble choice
             Case{"CL_5TTx_PTTCallIna", 0x178C0, 0x80, "Off", "On", 0xC0},        // one bit
             Case{"CL_UTone_TonePeriod", 0x16DD4, 255, "  0.255", "  0.000", 0},  // scaled, ms
         }) {
        context.image.SetByte(c.address, c.byte);
        EXPECT_EQ(Run("CT_Null." + std::string(c.id)).displayText, c.shown) << c.id;
        const cmcEeprom before = context.image;
        const cmcCellCapsule r = Run("CT_Null." + std::string(c.id), CellMode::Action, {}, cellkey::kSpace);
        EXPECT_EQ(r.displayText, c.stepped) << c.id;
        EXPECT_NE(r.changeFlags & kChangeImage, 0u) << c.id;
        EXPECT_TRUE(context.image == With(before, c.address, {c.after})) << c.id;
    }

    // The two-tone transmit text: twelve characters in the five-tone block.
    const cmcEeprom before = context.image;
    Run("CT_Null.CL_2T_TxText", CellMode::SetText, "CALL");
    EXPECT_TRUE(context.image == With(before, 0x178C8, {'C', 'A', 'L', 'L', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
}

}  // namespace
