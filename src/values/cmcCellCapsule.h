#pragma once
// One request to the cell value routine: which cell, what the user did, and what the
// routine answers (display text, marks, the state flags menus and buttons mirror).

#include <cstdint>
#include <string>

class cmcCellObj;

// State flags of a cell that the routine sets and menu items and toolbar buttons mirror.
enum CellStateFlag : std::uint32_t {
    kStateChecked = 1u << 2,
    kStateHidden = 1u << 3,
    kStateDisabled = 1u << 4,
    kStateNewCaption = 1u << 5,  // the display text replaces the item's caption
};

// Marks the routine reports: bit 2 a warning, bit 3 an error.
enum CellMarkFlag : std::uint8_t {
    kMarkFlagWarning = 1u << 2,
    kMarkFlagError = 1u << 3,
};

struct cmcCellCapsule {
    const cmcCellCapsule* linked = nullptr;  // the cell a popup or a picked choice belongs to
    std::uint32_t index = 0;                 // extra index (a bank number for check cells)
    cmcCellObj* cell = nullptr;
    std::int32_t key = 0;                    // a code of values/KeyCodes.h; a double click counts as Enter
    std::int32_t popupCommand = 0;
    std::string editText;
    std::string displayText;                 // out
    std::uint8_t markFlags = 0;              // out: CellMarkFlag
    std::uint32_t stateFlags = 0;            // out: CellStateFlag
    std::int32_t imageIndex = -1;            // out: the image the item should show
};

// Result of the routine: nothing further, a popup list was opened, or the owner is to
// open the in-place editor.
enum class CellResult : int { None = 0, PopupOpened = 1, StartEdit = 2 };
