// The digital tables and the MSK lists through the value routine: each cell shows its field
// from bytes written out by hand, an edit changes that record's bytes and nothing else of
// the image, and a selected NAC channel that cannot transmit is marked on its row and on
// the check.
#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/CellTest.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <span>
#include <vector>

namespace {

constexpr int kLmrMobile = 4;
constexpr int kLmrP25Handheld = 1;

class DigitalCellsTest : public testsupport::CellTest {
protected:
    DigitalCellsTest() { context.kind = kLmrP25Handheld; }

    cmcCellCapsule Run(const std::string& binding, CellMode mode = CellMode::Draw, std::string text = {},
                       std::int32_t key = 0) {
        return Evaluate(binding, {.mode = mode, .key = key, .text = std::move(text)});
    }

    std::vector<std::uint8_t> Image() {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(cmcEeprom::kImageSize));
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = context.image.GetByte(static_cast<std::int32_t>(i));
        return out;
    }
    // The bytes that differ between two images, by address.
    static std::map<std::int32_t, std::uint8_t> Changes(const std::vector<std::uint8_t>& before,
                                                        const std::vector<std::uint8_t>& after) {
        std::map<std::int32_t, std::uint8_t> out;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] != after[i]) out[static_cast<std::int32_t>(i)] = after[i];
        }
        return out;
    }

    // Each binding shows `shown` (trailing spaces aside); `typed` (or, when none, the Space
    // key) writes exactly the bytes `written`. Every case starts from the same image.
    struct EditCase {
        const char* binding;
        const char* shown;
        const char* typed;
        std::map<std::int32_t, std::uint8_t> written;
    };
    void ExpectEdits(std::span<const EditCase> cases) {
        for (const EditCase& c : cases) {
            const std::vector<std::uint8_t> before = Image();
            std::string shown = Run(c.binding).displayText;
            shown.erase(shown.find_last_not_of(' ') + 1);
            EXPECT_EQ(shown, c.shown) << c.binding;
            if (c.typed)
                Run(c.binding, CellMode::SetText, c.typed);
            else
                Run(c.binding, CellMode::Action, {}, cellkey::kSpace);
            EXPECT_EQ(Changes(before, Image()), c.written) << c.binding;
            for (const auto& [address, value] : c.written) context.image.SetByte(address, before[address]);
        }
    }

};

constexpr std::int32_t kUnit3 = 0x18052 + 16 * 3;   // inventory record 3
constexpr std::int32_t kGroup5 = 0x18692 + 14 * 5;  // talk group 5
constexpr std::int32_t kNac2 = 0x194D2 + 4 * 2;     // NAC channel 2
constexpr std::int32_t kNacSelected = 0x16953;      // bit n = 7 - n of the first byte

TEST_F(DigitalCellsTest, EachCellShowsItsFieldAndAnEditChangesOnlyItsRecord) {
    Bytes(kUnit3, {0x00, 0x12, 0x34, 0x56, 'D', 'I', 'S', 'P', 'A', 'T', 'C', 'H', ' ', ' ', ' ', ' '});
    Bytes(kGroup5, {0x01, 0x02, 'F', 'I', 'R', 'E', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '});
    Bytes(kNac2, {0x02, 0x93, 0x0A, 0xBC});
    Bytes(kNacSelected, {0x00});

    const EditCase cases[] = {
        {"CT_DIG_Inv.CL_Digi_Ind_Id_Hex[3]",
         "123456",
         "ABCDEF",
         {{kUnit3 + 1, 0xAB}, {kUnit3 + 2, 0xCD}, {kUnit3 + 3, 0xEF}}},
        {"CT_DIG_Inv.CL_Digi_Ind_Id_Dec[3]",
         "1193046",
         "16777215",
         {{kUnit3 + 1, 0xFF}, {kUnit3 + 2, 0xFF}, {kUnit3 + 3, 0xFF}}},
        {"CT_DIG_Inv.CL_Digi_Ind_Id_Name[3]",
         "DISPATCH",
         "BASE",
         {{kUnit3 + 4, 'B'},
          {kUnit3 + 5, 'A'},  // the 'S' of both names stays
          {kUnit3 + 7, 'E'},
          {kUnit3 + 8, ' '},
          {kUnit3 + 9, ' '},
          {kUnit3 + 10, ' '},
          {kUnit3 + 11, ' '}}},
        {"CT_DIG_Tg.CL_Digi_Grp_Id_Hex[5]", "0102", "BEEF", {{kGroup5, 0xBE}, {kGroup5 + 1, 0xEF}}},
        {"CT_DIG_Tg.CL_Digi_Grp_Id_Dec[5]", "258", "65534", {{kGroup5, 0xFF}, {kGroup5 + 1, 0xFE}}},
        {"CT_DIG_Tg.CL_Digi_Grp_Id_Name[5]",
         "FIRE",
         "EMS",
         {{kGroup5 + 2, 'E'}, {kGroup5 + 3, 'M'}, {kGroup5 + 4, 'S'}, {kGroup5 + 5, ' '}}},
        {"CT_DIG_NacCh.CL_Digi_NacCh_RxNac[2]", "293", "F7E", {{kNac2, 0x0F}, {kNac2 + 1, 0x7E}}},
        {"CT_DIG_NacCh.CL_Digi_NacCh_TxNac[2]", "ABC", "123", {{kNac2 + 2, 0x01}, {kNac2 + 3, 0x23}}},
        {"CT_DIG_NacCh.CL_Digi_NacCh_Sel[2]", "Off", nullptr, {{kNacSelected, 0x20}}},
    };
    ExpectEdits(cases);
}

TEST_F(DigitalCellsTest, ARowNotInUseShowsNoIdentifierUntilOneIsTyped) {
    Bytes(kUnit3, {0xFF, 0xFF, 0xFF, 0xFF});
    Bytes(kGroup5, {0xFF, 0xFF});
    EXPECT_EQ(Run("CT_DIG_Inv.CL_Digi_Ind_Id_Hex[3]").displayText, "");
    EXPECT_EQ(Run("CT_DIG_Inv.CL_Digi_Ind_Id_Dec[3]").displayText, "");
    EXPECT_EQ(Run("CT_DIG_Tg.CL_Digi_Grp_Id_Dec[5]").displayText, "");

    // A typed identifier puts the row in use with exactly that identifier.
    Run("CT_DIG_Inv.CL_Digi_Ind_Id_Dec[3]", CellMode::SetText, "7");
    EXPECT_EQ(Run("CT_DIG_Inv.CL_Digi_Ind_Id_Hex[3]").displayText, "000007");
    EXPECT_EQ(context.image.GetByte(kUnit3), 0x00) << "the unit identifier has 24 bits";

    // A talk group's blank mark is a value of its own field: typing it frees the row.
    Run("CT_DIG_Tg.CL_Digi_Grp_Id_Hex[5]", CellMode::SetText, "0042");
    EXPECT_EQ(Run("CT_DIG_Tg.CL_Digi_Grp_Id_Dec[5]").displayText, "66");
    Run("CT_DIG_Tg.CL_Digi_Grp_Id_Hex[5]", CellMode::SetText, "FFFF");
    EXPECT_EQ(Run("CT_DIG_Tg.CL_Digi_Grp_Id_Dec[5]").displayText, "");
}

TEST_F(DigitalCellsTest, ASelectedNacChannelThatCannotTransmitIsAnError) {
    struct Case {
        std::uint8_t high, low;  // the transmit NAC of channel 2
        bool selected;
        bool error;
    };
    for (const Case& c : {
             Case{0x02, 0x93, true, false}, Case{0x0F, 0x7D, true, false},
             Case{0x0F, 0x7E, true, true},    // receive any code
             Case{0x0F, 0x7F, true, true},    // repeat any code
             Case{0x10, 0x00, true, true},    // beyond 12 bits
             Case{0x0F, 0x7E, false, false},  // not in use
         }) {
        Bytes(kNac2 + 2, {c.high, c.low});
        Bytes(kNacSelected, {static_cast<std::uint8_t>(c.selected ? 0x20 : 0x00)});
        const std::uint8_t expected = c.error ? kMarkFlagError : 0;
        const auto what = ::testing::Message() << std::hex << (c.high * 256 + c.low) << " selected " << c.selected;
        EXPECT_EQ(Run("CT_DIG_NacCh.CL_Digi_NacCh_TxNac[2]").markFlags & kMarkFlagError, expected) << what;
        EXPECT_EQ(Run("CL_Check_Dig_Nacch").markFlags & kMarkFlagError, expected) << what;
    }

    // The check means nothing on a model without digital operation.
    context.kind = kLmrMobile;
    EXPECT_EQ(Run("CL_Check_Dig_Nacch").markFlags, 0);
}

// The options live in one block of fixed bytes; every byte of it is set first so that a
// write of more than a cell's own bits shows in the comparison of the whole image.
constexpr std::int32_t kOptions = 0x1943E;

TEST_F(DigitalCellsTest, TheOptionsRewriteOnlyTheirOwnBits) {
    for (std::int32_t a = kOptions; a < kOptions + 48; ++a) context.image.SetByte(a, 0x5A);
    Bytes(kOptions + 1, {0x12, 0x34, 0x56});  // own unit identifier
    Bytes(kOptions + 4, {30});                // emergency transmissions
    Bytes(kOptions + 5, {25});                // 2.5 s
    const EditCase cases[] = {
        {"CT_DIG_Op.CL_Digi_Config_Grobal", "Off", nullptr, {{kOptions, 0xDA}}},
        {"CT_DIG_Op.CL_Digi_Config_ID_Disp", "On", nullptr, {{kOptions, 0x52}}},
        {"CT_DIG_Op.CL_Digi_Config_Unit_Hex",
         "123456",
         "ABCDEF",
         {{kOptions + 1, 0xAB}, {kOptions + 2, 0xCD}, {kOptions + 3, 0xEF}}},
        {"CT_DIG_Op.CL_Digi_Config_Unit_Dec",
         "1193046",
         "255",
         {{kOptions + 1, 0x00}, {kOptions + 2, 0x00}, {kOptions + 3, 0xFF}}},
        {"CT_DIG_Op.CL_Digi_Config_Emer_Tans", " 30.000", "60", {{kOptions + 4, 60}}},
        {"CT_DIG_Op.CL_Digi_Config_SS_Wait", "  2.5", "3.1", {{kOptions + 5, 31}}},
        {"CT_DIG_Op.CL_Digi_Grp_Op_Disp_Mode", "2", "1", {{kOptions + 27, 0x59}}},
        {"CT_DIG_Op.CL_Digi_Grp_Op_Strapped", "Off", nullptr, {{kOptions + 27, 0xDA}}},
    };
    ExpectEdits(cases);
}

// --- MSK lists (BIIS PMR) ------------------------------------------------------------------

class MskListCellsTest : public DigitalCellsTest {
protected:
    MskListCellsTest() { context.kind = 3; }  // BIIS PMR handheld
};

constexpr std::int32_t kIdGroup1 = 0x17A62 + 31;     // ID group 1
constexpr std::int32_t kCallNumber2 = 0x13ED0 + 8;   // call list 2: BCD address
constexpr std::int32_t kCallName2 = 0x17B62 + 28;    // call list 2: name and options
constexpr std::int32_t kStatusRx4 = 0x17D42 + 64;    // status message 4, received
constexpr std::int32_t kStatusTx4 = 0x17EC2 + 64;    // status message 4, sent
constexpr std::int32_t kShortText1 = 0x13F50 + 12;   // short text 1
constexpr std::int32_t kShortOption1 = 0x18042 + 2;  // short text 1: options

TEST_F(MskListCellsTest, EachCellShowsItsFieldAndAnEditChangesOnlyItsRecord) {
    Bytes(kIdGroup1 + 2, {'A', 'L', 'P', 'H', 'A', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0x05, 0x07});
    Bytes(kCallNumber2, {0x01, 0x23, 0xFF, 0xFF});
    Bytes(kCallName2, {'C', 'A', 'R', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0x04, 0x03});
    Bytes(kStatusRx4, {'B', 'U', 'S', 'Y', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0x20, 0x09});
    Bytes(kStatusTx4, {'O', 'K', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '});
    Bytes(kShortText1, {'H', 'E', 'L', 'L', 'O', ' ', ' ', ' ', ' ', ' ', ' ', ' '});
    Bytes(kShortOption1, {0x01});

    const EditCase cases[] = {
        {"CT_MSK_IdGroup.CL_Msk_IdGroup_Text[1]",
         "ALPHA",
         "BETA",
         {{kIdGroup1 + 2, 'B'},
          {kIdGroup1 + 3, 'E'},
          {kIdGroup1 + 4, 'T'},
          {kIdGroup1 + 5, 'A'},
          {kIdGroup1 + 6, ' '}}},
        {"CT_MSK_IdGroup.CL_Msk_IdGroup_Alert[1]", "5", "9", {{kIdGroup1 + 14, 0x09}}},
        {"CT_MSK_IdGroup.CL_Msk_IdGroup_Bell[1]", "Off", nullptr, {{kIdGroup1 + 14, 0x15}}},
        {"CT_MSK_IdGroup.CL_Msk_IdGroup_SFunc[1]", "7", "200", {{kIdGroup1 + 15, 0xC8}}},
        {"CT_MSK_CallList.CL_Msk_CallList_Adr[2]", "0123", "4095", {{kCallNumber2, 0x40}, {kCallNumber2 + 1, 0x95}}},
        {"CT_MSK_CallList.CL_Msk_CallList_Digit[2]", "3", "4", {{kCallName2 + 13, 0x04}}},
        {"CT_MSK_CallList.CL_Msk_CallList_Text[2]", "CAR", "VAN", {{kCallName2, 'V'}, {kCallName2 + 2, 'N'}}},
        {"CT_MSK_CallList.CL_Msk_CallList_Update[2]", "Off", nullptr, {{kCallName2 + 12, 0x05}}},
        {"CT_MSK_CallList.CL_Msk_CallList_Sel[2]", "2", "1", {{kCallName2 + 12, 0x02}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Beep[4]", "Off", nullptr, {{kStatusRx4 + 12, 0x21}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Horn[4]", "Off", nullptr, {{kStatusRx4 + 12, 0x22}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Auto[4]", "Off", nullptr, {{kStatusRx4 + 12, 0x24}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Rriority[4]", "Off", nullptr, {{kStatusRx4 + 12, 0x28}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Selection[4]", "2", "3", {{kStatusRx4 + 12, 0x30}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_SFunc[4]", "9", "10", {{kStatusRx4 + 13, 0x0A}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Text_Rx[4]",
         "BUSY",
         "FREE",
         {{kStatusRx4, 'F'}, {kStatusRx4 + 1, 'R'}, {kStatusRx4 + 2, 'E'}, {kStatusRx4 + 3, 'E'}}},
        {"CT_MSK_Msg_Status.CL_Msk_Msg_Status_Text_Tx[4]", "OK", "NO", {{kStatusTx4, 'N'}, {kStatusTx4 + 1, 'O'}}},
        {"CT_MSK_Msg_ShortTxt.CL_Msk_Msg_ShortTxtTxMsg_1[1]",
         "HELLO",
         "HELP",
         {{kShortText1 + 3, 'P'}, {kShortText1 + 4, ' '}}},
        {"CT_MSK_Msg_ShortTxt.CL_Msk_Msg_ShortTxtTxMsg_2[1]", "Off", nullptr, {{kShortOption1, 0x05}}},
        {"CT_MSK_Msg_ShortTxt.CL_Msk_Msg_ShortTxtTxMsg_3[1]", "Off", nullptr, {{kShortOption1, 0x09}}},
        {"CT_MSK_Msg_ShortTxt.CL_Msk_Msg_ShortTxtTxMsg_Sel[1]", "1", "3", {{kShortOption1, 0x03}}},
    };
    ExpectEdits(cases);
}

TEST_F(MskListCellsTest, ACallListEntryWithoutAnAddressShowsNoneAndTakesATypedOne) {
    Bytes(kCallNumber2, {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Run("CT_MSK_CallList.CL_Msk_CallList_Adr[2]").displayText, "");
    Run("CT_MSK_CallList.CL_Msk_CallList_Adr[2]", CellMode::SetText, "12");
    EXPECT_EQ(Image()[kCallNumber2], 0x00);
    EXPECT_EQ(Image()[kCallNumber2 + 1], 0x12);
    EXPECT_EQ(Image()[kCallNumber2 + 2], 0xFF) << "the padding stays";
    Run("CT_MSK_CallList.CL_Msk_CallList_Adr[2]", CellMode::SetText, "4096");
    EXPECT_EQ(Run("CT_MSK_CallList.CL_Msk_CallList_Adr[2]").displayText, "0012") << "beyond the 12-bit addresses";
}

}  // namespace
