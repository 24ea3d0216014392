#pragma once
// The two vocabularies that bind overlay cells to the program: cell categories (CT_...)
// select the kind of record a cell addresses, cell identifiers (CL_...) select the field
// or command. Inside the program both are small numbers; the overlay names them, and a
// name the program does not know is a fatal stop, because overlay and program disagree.

#include "overlay/CellIdTable.h"

#include <array>
#include <cstdint>
#include <string_view>

using CellCategory = std::int32_t;
using CellId = std::int32_t;

inline constexpr CellCategory kCategoryCount = 27;
inline constexpr CellCategory kNoCategory = 27;  // what an empty name gives
inline constexpr CellId kCellIdCount = 1101;
inline constexpr CellId kNoCellId = 1101;  // what an empty name gives

// One value cell: what it addresses and which of the records.
struct CellKey {
    CellCategory category = kNoCategory;
    CellId id = kNoCellId;
    std::int32_t index = 0;
    friend bool operator==(const CellKey&, const CellKey&) = default;
};

// The record kind handed to the memory-map accessor with a cell's index; 0 addresses no
// record. The channel categories take the channel layout of the model type instead.
inline constexpr std::int32_t kRecordKindOfModel = -1;

struct CellCategoryEntry {
    std::string_view name;
    std::int32_t recordKind;
};

// The categories in number order: a category's number is its position.
inline constexpr std::array<CellCategoryEntry, kCategoryCount> kCellCategories = {{
    {"CT_Null", 0},
    {"CT_PopupMenu", 0},
    {"CT_Mch", kRecordKindOfModel},
    {"CT_Mch_Check", kRecordKindOfModel},
    {"CT_CEdit", 5},
    {"CT_DTMF", 6},
    {"CT_Scan", 7},
    {"CT_CTone", 8},
    {"CT_RX_Code", 9},
    {"CT_TX_Code", 10},
    {"CT_2Tone_Code", 12},
    {"CT_2ToneTX_Common", 13},
    {"CT_UserTone", 11},
    {"CT_BankOp", 14},
    {"CT_MSK_AdrRange", 0},
    {"CT_MSK_IdGroup", 15},
    {"CT_MSK_CallList", 16},
    {"CT_MSK_Msg_Status", 17},
    {"CT_MSK_Msg_ShortTxt", 18},
    {"CT_MSK_TimingErr", 0},
    {"CT_MSK_Cfg", 0},
    {"CT_DIG_Inv", 19},
    {"CT_DIG_Tg", 20},
    {"CT_DIG_Op", 0},
    {"CT_DIG_NacCh", 21},
    {"CT_Rpt", 22},
    {"CT_ADJ", 0},
}};

// Names to numbers at compile time, for code that needs a particular category or
// identifier: CellIdOf("CL_Mch_FreqR") is 110, and a misspelt name does not compile.
consteval CellCategory CategoryOf(std::string_view name) {
    for (std::size_t i = 0; i < kCellCategories.size(); ++i) {
        if (kCellCategories[i].name == name) return static_cast<CellCategory>(i);
    }
    throw "not a cell category";
}

consteval CellId CellIdOf(std::string_view name) {
    for (const CellIdEntry& e : kCellIdTable) {
        if (e.name == name) return e.id;
    }
    throw "not a cell identifier";
}

// The number of a category name; an empty name gives kNoCategory, an unknown name is fatal.
CellCategory CategoryFromName(std::string_view name);
// The number of a cell identifier name; an empty name gives kNoCellId, an unknown name is fatal.
CellId CellIdFromName(std::string_view name);
// The name of an identifier, or an empty text for a number that names none.
std::string_view CellIdName(CellId id);
// The record kind of a category for the model type (0..7); kNoCategory gives 0, a number
// outside 0..27 is fatal.
std::int32_t RecordKind(CellCategory category, int modelType);
