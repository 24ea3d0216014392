#pragma once
// Where every field of every record kind lies in the working area of an image.
//
// A field is a list of parts; each part is a run of bits of one byte, a big-endian number
// of whole bytes, or one bit of a bit array (bit n = record number n, most significant bit
// first). The parts are placed into the decoded value at their shift, so a field may be
// spread over several bytes (the lockout and monitor settings) or several tables (the
// eleven scan-list bits of a channel). Text and byte-string fields go into the record's
// two text slots. The table is the single source of the layout: load and store walk it,
// and docs/memory-map.md shows it.

#include <cstdint>
#include <vector>

// Decoded fields, named after the cells that show them. One enum for all kinds: a kind
// carries only the fields of its own table.
enum class Fld : std::uint8_t {
    // Memory channels (kinds 1-4)
    Mch_FreqR, Mch_FreqT, Mch_Inh, Mch_TxInh, Mch_CTone_R, Mch_CTone_T, Mch_Nar, Mch_Form, Mch_Dig_Sig,
    Mch_RxNac, Mch_TxNac, Mch_RfPo, Mch_Lockout, Mch_Tot, Mch_PwrSave, Mch_Moni, Mch_Scan_Inc, Mch_Log,
    Mch_AutoReset, Mch_Call, Mch_Sel, Mch_AutoChScan, Mch_Compander, Mch_Scrm_On, Mch_Scrm_Type, Mch_Scrm_Code,
    Mch_2Tone, Mch_Scan, Mch_CH_Mute, Mch_PTT, Mch_SQL_Type, Mch_Fast_Mute, Mch_Unit, Mch_TG_List, Mch_Opt,
    Mch_Pos, Mch_Rpt, Mch_Stn, Mch_Id, Mch_RxCNo, Mch_RxCNo2, Mch_Msk_Sig, Mch_Msk_Log, Mch_Msk_SendStatus,
    Mch_Msk_Rpt, Mch_Msk_Stn, Mch_Msk_RxCNo, Mch_Aux,
    // DTMF memories (6), scan lists (7), continuous tone pairs (8)
    Dtmf_Count, ScanList_ScanMode, ScanList_PwrSave, ScanList_DispText, CTone_RX, CTone_TX, CTone_Sel,
    // Five-tone receive (9) and transmit (10) codes
    FiveTone_Format, FiveTRx_Digits, FiveTRx_IdDec, FiveTRx_Bell, FiveTRx_EmerCancel, FiveTRx_Abc, FiveTRx_Exo,
    FiveTRx_Beep, FiveTRx_AutoTx, FiveTRx_Aud, FiveTRx_Stun, FiveTRx_Scan, FiveTRx_Sfunc, FiveTRx_CompareTone,
    FiveTRx_CompareDigit, FiveTTx_InputDigit, FiveTTx_Update, FiveTTx_AbcDec, FiveTTx_AbcAud, FiveTTx_Sel,
    // User tones (11), two-tone codes (12), two-tone transmit common settings (13)
    UTone_Encode, UTone_Dec_Low, UTone_Dec_High, TwoT_RxFreq_1st, TwoT_RxFreq_2nd, TwoT_Lower1, TwoT_Upper1,
    TwoT_Lower2, TwoT_Upper2, TwoT_GroupCall, TwoT_Bell, TwoT_ANS, TwoT_EXO, TwoT_Beep, TwoT_AutoTx, TwoT_Stun,
    TwoT_Scan, TwoT_Sfunc, TwoT_Code_Type, TwoTTx_Freq_1st, TwoTTx_Freq_2nd,
    // MSK ID groups (15), call list (16), status messages (17), short texts (18)
    Msk_IdGroup_Adr, Msk_IdGroup_Alert, Msk_IdGroup_Bell, Msk_IdGroup_SFunc, Msk_CallList_Adr,
    Msk_CallList_Update, Msk_CallList_Sel, Msk_CallList_Digit, Msk_Status_Beep, Msk_Status_Horn, Msk_Status_Auto,
    Msk_Status_Rriority, Msk_Status_Selection, Msk_Status_SFunc, Msk_ShortTxt_Sel, Msk_ShortTxt_Msg2,
    Msk_ShortTxt_Msg3,
    // Digital inventory (19), talk groups (20), NAC channels (21)
    Digi_Ind_Id, Digi_Grp_Id, NacCh_RxNac, NacCh_TxNac, NacCh_Sel,
    // Repeaters (22)
    Rpt_FreqR, Rpt_FreqT, Rpt_RxDat, Rpt_TxDat, Rpt_Phone,
    // Text slots (the record's name and its second text or byte string)
    Text, Text2,
    Count
};
constexpr std::size_t kFieldCount = static_cast<std::size_t>(Fld::Count);

// Which number selects a part's record: the record number, the absolute repeater number
// (first repeater of the current list + row) or the current repeater list; None = a fixed
// address shared by all records.
enum class PartIndex : std::uint8_t { Number, Repeater, List, None };

struct FieldPart {
    std::int32_t base = 0;
    std::int32_t stride = 0;
    std::int32_t offset = 0;
    std::uint8_t bit = 0;    // lowest bit of a bit run
    std::uint8_t width = 0;  // bits of a bit run (1..8); 0 for a byte number
    std::uint8_t bytes = 0;  // big-endian bytes of a byte number (1..4); 0 for a bit run
    std::uint8_t shift = 0;  // position of the part in the decoded value
    bool bitArray = false;   // bit `index` of the array at `base`, most significant bit first
    PartIndex index = PartIndex::Number;

    std::int32_t Address(std::int32_t idx) const {
        return bitArray ? base + idx / 8 : base + (index == PartIndex::None ? 0 : stride * idx) + offset;
    }
};

enum class FieldType : std::uint8_t {
    Number,  // unsigned value assembled from the parts
    Text,    // radio character codes; padded with spaces on store
    Bytes,   // raw byte string; padded with zeros on store
    Bcd,     // four BCD digits in the first 2 of 4 bytes (see RecordAccessor::bcdToNumber)
};

struct FieldSpec {
    Fld id;
    FieldType type;
    std::vector<FieldPart> parts;  // a text, byte string or BCD field has one part: its first byte
    std::uint8_t length = 0;       // bytes of a text or byte string
};

struct KindSpec {
    std::int32_t first;
    std::int32_t last;
    bool editableRows;
    std::vector<FieldSpec> fields;
    // Status bit 0 (row in use): the value of this field differs from `emptyValue`.
    // Fld::Count: every record of the kind counts as in use.
    Fld validField = Fld::Count;
    std::uint32_t emptyValue = 0;
};

constexpr int kRecordKindCount = 23;

// The layout of a record kind 0..22; kind 0 and unknown kinds have no fields.
const KindSpec& recordLayout(int kind);
