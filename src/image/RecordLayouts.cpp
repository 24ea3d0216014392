#include "image/RecordLayouts.h"

#include <array>

namespace {

// Part builders. `at` is one table: its base address and record stride.
struct Table {
    std::int32_t base;
    std::int32_t stride;
    PartIndex index = PartIndex::Number;

    FieldPart bits(std::int32_t off, int bit, int width, int shift = 0) const {
        FieldPart p;
        p.base = base;
        p.stride = stride;
        p.offset = off;
        p.bit = static_cast<std::uint8_t>(bit);
        p.width = static_cast<std::uint8_t>(width);
        p.shift = static_cast<std::uint8_t>(shift);
        p.index = index;
        return p;
    }
    FieldPart bytes(std::int32_t off, int count, int shift = 0) const {
        FieldPart p = bits(off, 0, 0, shift);
        p.bytes = static_cast<std::uint8_t>(count);
        return p;
    }
};

Table fixed(std::int32_t address) { return {address, 0, PartIndex::None}; }

FieldPart arrayBit(std::int32_t base, int shift = 0) {
    FieldPart p;
    p.base = base;
    p.width = 1;
    p.shift = static_cast<std::uint8_t>(shift);
    p.bitArray = true;
    return p;
}

FieldSpec num(Fld id, std::vector<FieldPart> parts) { return {id, FieldType::Number, std::move(parts), 0}; }
FieldSpec flag(Fld id, const Table& t, std::int32_t off, int bit) { return num(id, {t.bits(off, bit, 1)}); }
FieldSpec byteField(Fld id, const Table& t, std::int32_t off) { return num(id, {t.bytes(off, 1)}); }
FieldSpec word(Fld id, const Table& t, std::int32_t off) { return num(id, {t.bytes(off, 2)}); }
FieldSpec text(Fld slot, const Table& t, std::int32_t off, int length) {
    return {slot, FieldType::Text, {t.bytes(off, 1)}, static_cast<std::uint8_t>(length)};
}
FieldSpec byteString(Fld slot, const Table& t, std::int32_t off, int length) {
    return {slot, FieldType::Bytes, {t.bytes(off, 1)}, static_cast<std::uint8_t>(length)};
}

// --- Memory channels ------------------------------------------------------------------
constexpr Table M{0xFF80, 30};   // main record
constexpr Table X{0x140D0, 20};  // extension record
constexpr Table A{0x1FBEE, 4};   // three per-channel bytes

std::vector<FieldSpec> channelFields(bool lmr) {
    std::vector<FieldSpec> f = {
        // Frequencies are 31 bits; bit 7 of the first byte is the inhibit bit.
        num(Fld::Mch_FreqR, {M.bytes(1, 3), M.bits(0, 0, 7, 24)}),
        flag(Fld::Mch_Inh, M, 0, 7),
        num(Fld::Mch_FreqT, {M.bytes(5, 3), M.bits(4, 0, 7, 24)}),
        flag(Fld::Mch_TxInh, M, 4, 7),
        word(Fld::Mch_CTone_R, M, 8),
        word(Fld::Mch_CTone_T, M, 10),
        num(Fld::Mch_Form, {M.bits(12, 0, 2)}),
        flag(Fld::Mch_Dig_Sig, M, 12, 2),
        flag(Fld::Mch_Nar, M, 12, 6),
        text(Fld::Text, M, 14, 12),
        word(Fld::Mch_RxNac, M, 26),
        word(Fld::Mch_TxNac, M, 28),
        num(Fld::Mch_RfPo, {X.bits(0, 0, 2)}),
        num(Fld::Mch_Lockout, {X.bits(0, 2, 1, 0), X.bits(0, 3, 1, 1), X.bits(17, 0, 3, 2)}),
        flag(Fld::Mch_Tot, X, 0, 4),
        num(Fld::Mch_Moni, {X.bits(0, 6, 1, 0), X.bits(1, 3, 1, 1), X.bits(2, 4, 1, 2), X.bits(2, 5, 1, 3)}),
        flag(Fld::Mch_PwrSave, X, 0, 7),
        flag(Fld::Mch_CH_Mute, X, 1, 0),
        flag(Fld::Mch_Scan_Inc, X, 1, 1),
        num(Fld::Mch_Log, {X.bits(1, 4, 4)}),
        lmr ? flag(Fld::Mch_AutoReset, X, 2, 1) : num(Fld::Mch_AutoReset, {X.bits(2, 1, 1, 0), X.bits(2, 0, 1, 1)}),
        flag(Fld::Mch_PTT, X, 2, 2),
        flag(Fld::Mch_Call, X, 2, 3),
        num(Fld::Mch_Sel, {X.bits(2, 6, 2)}),
        flag(Fld::Mch_AutoChScan, X, 3, 0),
        num(Fld::Mch_SQL_Type, {X.bits(3, 1, 3)}),
        flag(Fld::Mch_Compander, X, 3, 4),
        num(Fld::Mch_Scrm_On, {X.bits(3, 5, 2)}),
        flag(Fld::Mch_Fast_Mute, X, 3, 7),
        byteField(Fld::Mch_Scrm_Code, X, 5),
        num(Fld::Mch_Unit, {X.bytes(12, 4)}),
        byteField(Fld::Mch_TG_List, X, 16),
        num(Fld::Mch_Opt, {X.bits(17, 3, 5)}),
        num(Fld::Mch_Scrm_Type, {X.bits(18, 6, 2)}),
    };
    // Eleven scan-list bit arrays; the first array gives the highest bit.
    FieldSpec scan = num(Fld::Mch_Scan, {});
    for (int k = 0; k <= 10; ++k) scan.parts.push_back(arrayBit(0x13B90 + 64 * k, 10 - k));
    f.push_back(scan);
    if (lmr) {
        f.push_back(num(Fld::Mch_2Tone, {X.bits(8, 0, 7)}));
        f.push_back(flag(Fld::Mch_Pos, X, 2, 0));
        f.push_back(byteField(Fld::Mch_Rpt, A, 0));
        f.push_back(byteField(Fld::Mch_Stn, A, 1));
        f.push_back(byteField(Fld::Mch_Id, A, 2));
    } else {
        f.push_back(byteField(Fld::Mch_RxCNo, X, 6));
        f.push_back(byteField(Fld::Mch_RxCNo2, X, 7));
        f.push_back(byteField(Fld::Mch_Msk_Sig, X, 8));
        f.push_back(byteField(Fld::Mch_Msk_Log, X, 9));
        f.push_back(byteField(Fld::Mch_Msk_SendStatus, X, 10));
        f.push_back(byteField(Fld::Mch_Msk_Rpt, X, 11));
        f.push_back(byteField(Fld::Mch_Msk_Stn, A, 0));
        f.push_back(byteField(Fld::Mch_Msk_RxCNo, A, 1));
        f.push_back(byteField(Fld::Mch_Aux, A, 2));
    }
    return f;
}

KindSpec channelKind(bool lmr) { return {0, 511, true, channelFields(lmr), Fld::Mch_FreqR, 0}; }

// --- The other kinds ------------------------------------------------------------------
constexpr Table CEditA{0x16AA9, 24}, CEditB{0x16C29, 21};
constexpr Table Dtmf{0x175CD, 37};
constexpr Table ScanList{0x17499, 28};
constexpr Table CTone{0x173F9, 4};
constexpr Table RxCode{0x178B5, 33};
constexpr Table TxValue{0x13E50, 4}, TxName{0x176F5, 14};
constexpr Table UToneEnc{0x16D79, 2}, UToneWin{0x16D97, 4};
constexpr Table TwoTFreq{0x13E4C, 4}, TwoTWin{0x16D71, 8}, TwoTOpt{0x16DDB, 2}, TwoTName{0x176E7, 14};
constexpr Table TwoTTx{0x17A28, 4};
constexpr Table BankOp{0x16DF9, 12};
constexpr Table IdGroup{0x17A62, 31};
constexpr Table CallNum{0x13ED0, 4}, CallName{0x17B62, 14};
constexpr Table StatusRx{0x17D42, 16}, StatusTx{0x17EC2, 16};
constexpr Table ShortTxt{0x13F50, 12}, ShortOpt{0x18042, 2};
constexpr Table Inventory{0x18052, 16};
constexpr Table TalkGroup{0x18692, 14};
constexpr Table Nac{0x194D2, 4};
constexpr Table Repeater{0x197EE, 10, PartIndex::Repeater};
constexpr Table RepeaterList{0x16DF9, 12, PartIndex::List};

std::array<KindSpec, kRecordKindCount> buildLayouts() {
    const Table fiveToneFormat = fixed(0x168F9);
    return {{
        /* 0 none */ {0, 0, false, {}},
        /* 1 LMR */ channelKind(true),
        /* 2 LMR P25 */ channelKind(true),
        /* 3 PMR */ channelKind(false),
        /* 4 BIIS PMR */ channelKind(false),
        /* 5 character-editor entries: two raw byte strings */
        {0, 15, true, {byteString(Fld::Text, CEditA, 0, 24), byteString(Fld::Text2, CEditB, 0, 21)}},
        /* 6 DTMF memories */
        {0, 7, false,
         {text(Fld::Text, Dtmf, 0, 24), byteString(Fld::Text2, Dtmf, 24, 12), byteField(Fld::Dtmf_Count, Dtmf, 36)},
         Fld::Dtmf_Count},
        /* 7 scan lists */
        {0, 10, false,
         {text(Fld::Text, ScanList, 0, 24),
          num(Fld::ScanList_ScanMode, {ScanList.bits(24, 0, 4, 0), ScanList.bits(24, 5, 3, 5)}),
          flag(Fld::ScanList_PwrSave, ScanList, 24, 4),
          num(Fld::ScanList_DispText, {ScanList.bits(25, 7, 1, 0), ScanList.bits(25, 6, 1, 1)})}},
        /* 8 continuous tone pairs */
        {0, 39, false,
         {word(Fld::CTone_RX, CTone, 0), word(Fld::CTone_TX, CTone, 2), num(Fld::CTone_Sel, {arrayBit(0x1694E)})}},
        /* 9 five-tone receive codes */
        {1, 8, false,
         {byteField(Fld::FiveTRx_Digits, RxCode, 0), byteString(Fld::Text2, RxCode, 1, 8), text(Fld::Text, RxCode, 9, 12),
          flag(Fld::FiveTRx_IdDec, RxCode, 21, 0), flag(Fld::FiveTRx_Bell, RxCode, 21, 1),
          flag(Fld::FiveTRx_EmerCancel, RxCode, 21, 2), flag(Fld::FiveTRx_Abc, RxCode, 21, 3),
          flag(Fld::FiveTRx_Exo, RxCode, 21, 4), flag(Fld::FiveTRx_Beep, RxCode, 21, 5),
          flag(Fld::FiveTRx_AutoTx, RxCode, 21, 6), flag(Fld::FiveTRx_Aud, RxCode, 21, 7),
          flag(Fld::FiveTRx_Stun, RxCode, 22, 0), flag(Fld::FiveTRx_Scan, RxCode, 22, 1),
          num(Fld::FiveTRx_Sfunc, {RxCode.bits(22, 2, 4)}), num(Fld::FiveTRx_CompareTone, {RxCode.bits(22, 6, 2)}),
          byteField(Fld::FiveTRx_CompareDigit, RxCode, 23), byteField(Fld::FiveTone_Format, fiveToneFormat, 0)},
         Fld::FiveTRx_Digits},
        /* 10 five-tone transmit codes */
        {0, 31, false,
         {byteString(Fld::Text2, TxValue, 0, 4), text(Fld::Text, TxName, 0, 12),
          byteField(Fld::FiveTTx_InputDigit, TxName, 12), flag(Fld::FiveTTx_Update, TxName, 13, 0),
          flag(Fld::FiveTTx_AbcDec, TxName, 13, 1), flag(Fld::FiveTTx_AbcAud, TxName, 13, 2),
          num(Fld::FiveTTx_Sel, {TxName.bits(13, 4, 2)}), byteField(Fld::FiveTone_Format, fiveToneFormat, 0)},
         Fld::FiveTTx_InputDigit},
        /* 11 user tones (0.1 Hz units) */
        {0, 14, false,
         {word(Fld::UTone_Encode, UToneEnc, 0), word(Fld::UTone_Dec_Low, UToneWin, 0),
          word(Fld::UTone_Dec_High, UToneWin, 2)},
         Fld::UTone_Encode},
        /* 12 two-tone codes (0.1 Hz units) */
        {1, 10, false,
         {word(Fld::TwoT_RxFreq_1st, TwoTFreq, 0), word(Fld::TwoT_RxFreq_2nd, TwoTFreq, 2),
          word(Fld::TwoT_Lower1, TwoTWin, 0), word(Fld::TwoT_Upper1, TwoTWin, 2), word(Fld::TwoT_Lower2, TwoTWin, 4),
          word(Fld::TwoT_Upper2, TwoTWin, 6), flag(Fld::TwoT_GroupCall, TwoTOpt, 0, 7),
          flag(Fld::TwoT_Bell, TwoTOpt, 0, 6), flag(Fld::TwoT_ANS, TwoTOpt, 0, 5), flag(Fld::TwoT_EXO, TwoTOpt, 0, 4),
          flag(Fld::TwoT_Beep, TwoTOpt, 0, 3), flag(Fld::TwoT_AutoTx, TwoTOpt, 0, 2),
          flag(Fld::TwoT_Stun, TwoTOpt, 0, 1), flag(Fld::TwoT_Scan, TwoTOpt, 0, 0),
          num(Fld::TwoT_Sfunc, {TwoTOpt.bits(1, 0, 4)}), num(Fld::TwoT_Code_Type, {TwoTOpt.bits(1, 4, 2)}),
          text(Fld::Text, TwoTName, 0, 12)},
         Fld::TwoT_RxFreq_1st},
        /* 13 two-tone transmit common settings */
        {0, 9, false, {word(Fld::TwoTTx_Freq_1st, TwoTTx, 0), word(Fld::TwoTTx_Freq_2nd, TwoTTx, 2)}},
        /* 14 bank operation (flag bit 3 is handled by the accessor) */
        {0, 100000000, false, {text(Fld::Text, BankOp, 0, 12)}},
        /* 15 MSK ID groups */
        {0, 7, false,
         {word(Fld::Msk_IdGroup_Adr, IdGroup, 0), text(Fld::Text, IdGroup, 2, 12),
          num(Fld::Msk_IdGroup_Alert, {IdGroup.bits(14, 0, 4)}), flag(Fld::Msk_IdGroup_Bell, IdGroup, 14, 4),
          byteField(Fld::Msk_IdGroup_SFunc, IdGroup, 15)}},
        /* 16 MSK call list */
        {0, 31, false,
         {{Fld::Msk_CallList_Adr, FieldType::Bcd, {CallNum.bytes(0, 1)}, 4}, text(Fld::Text, CallName, 0, 12),
          flag(Fld::Msk_CallList_Update, CallName, 12, 0), num(Fld::Msk_CallList_Sel, {CallName.bits(12, 1, 2)}),
          byteField(Fld::Msk_CallList_Digit, CallName, 13)},
         Fld::Msk_CallList_Adr, 0xFFFF},
        /* 17 MSK status messages */
        {0, 22, false,
         {text(Fld::Text, StatusRx, 0, 12), flag(Fld::Msk_Status_Beep, StatusRx, 12, 0),
          flag(Fld::Msk_Status_Horn, StatusRx, 12, 1), flag(Fld::Msk_Status_Auto, StatusRx, 12, 2),
          flag(Fld::Msk_Status_Rriority, StatusRx, 12, 3), num(Fld::Msk_Status_Selection, {StatusRx.bits(12, 4, 2)}),
          byteField(Fld::Msk_Status_SFunc, StatusRx, 13), text(Fld::Text2, StatusTx, 0, 12)}},
        /* 18 MSK short texts */
        {0, 7, false,
         {text(Fld::Text, ShortTxt, 0, 12), num(Fld::Msk_ShortTxt_Sel, {ShortOpt.bits(0, 0, 2)}),
          flag(Fld::Msk_ShortTxt_Msg2, ShortOpt, 0, 2), flag(Fld::Msk_ShortTxt_Msg3, ShortOpt, 0, 3)}},
        /* 19 digital inventory */
        {0, 99, false, {num(Fld::Digi_Ind_Id, {Inventory.bytes(0, 4)}), text(Fld::Text, Inventory, 4, 12)},
         Fld::Digi_Ind_Id, 0xFFFFFFFF},
        /* 20 digital talk groups */
        {0, 249, false, {word(Fld::Digi_Grp_Id, TalkGroup, 0), text(Fld::Text, TalkGroup, 2, 12)}, Fld::Digi_Grp_Id,
         0xFFFF},
        /* 21 digital NAC channels */
        {0, 39, false,
         {word(Fld::NacCh_RxNac, Nac, 0), word(Fld::NacCh_TxNac, Nac, 2), num(Fld::NacCh_Sel, {arrayBit(0x16953)})}},
        /* 22 repeaters of the current list (flag bit 3 is handled by the accessor) */
        {0, 19, true,
         {num(Fld::Rpt_FreqR, {Repeater.bytes(0, 4)}), num(Fld::Rpt_FreqT, {Repeater.bytes(4, 4)}),
          flag(Fld::Rpt_RxDat, Repeater, 8, 7), flag(Fld::Rpt_TxDat, Repeater, 8, 6),
          flag(Fld::Rpt_Phone, Repeater, 8, 0), text(Fld::Text, RepeaterList, 0, 12)},
         Fld::Rpt_FreqR},
    }};
}

}  // namespace

const KindSpec& recordLayout(int kind) {
    static const std::array<KindSpec, kRecordKindCount> layouts = buildLayouts();
    if (kind < 0 || kind >= kRecordKindCount) return layouts[0];
    return layouts[static_cast<std::size_t>(kind)];
}
