#pragma once
// One request to the cell value routine: which cell, what the user did, and what the
// routine answers (display text, marks, the state flags menus and buttons mirror).

#include "overlay/CellNames.h"

#include <cstdint>
#include <optional>
#include <string>

class cmcCellObj;

// What a sheet asks of the routine: the text to show, an action on the current cell, the
// committed text of the in-place editor, or (in framed choice lists) the picked choice.
enum class CellMode : std::uint8_t { Action = 0, Draw, SetText, Pick };

// The cells a redraw names, as the redraw messages do.
enum class RedrawFilter : std::uint8_t { Bound, Category, CellId, Index, IndexUpTo, IndexFrom };

// The records a sheet of channels or repeaters shows: `count` rows from record `first`;
// `bank` is the bank whose channels they are (an empty bank's first channel is the next
// bank's too, so the number alone cannot say), -1 for other sheets.
struct RecordRange {
    std::int32_t first = 0;
    std::int32_t count = 0;
    std::int32_t bank = -1;
};

// What a sheet offers the routine while it works on one of its cells.
class CellSheetServices {
public:
    virtual ~CellSheetServices() = default;
    // Repaints the visible cells the filter names.
    virtual void RedrawCells(RedrawFilter filter, std::int32_t value) = 0;
    // Opens the in-place editor on the current cell with this text and selection.
    virtual void OpenEditor(const std::string& text, std::int32_t selStart, std::int32_t selLength) = 0;
    // Opens the selection list `listSheet` (its cells bound to `listKind`) as a popup at the
    // current cell, with `value` as its current choice; the choice picked comes back to the
    // cell as a Pick request. False when the sheet cannot show one.
    virtual bool OpenChoiceList(const std::string& /*listSheet*/, CellId /*listKind*/, std::int32_t /*value*/) {
        return false;
    }
    // The records whose rows the sheet shows, for the sheets of a bank or a repeater list.
    virtual std::optional<RecordRange> RecordRows() const { return std::nullopt; }
};

// State flags of a cell that the routine sets and menu items and toolbar buttons mirror.
enum CellStateFlag : std::uint32_t {
    kStateChecked = 1u << 2,
    kStateHidden = 1u << 3,
    kStateDisabled = 1u << 4,
    kStateNewCaption = 1u << 5,  // the display text replaces the item's caption
};

// What a call changed (passed on to the caller's change notification): bit 0 is always
// set; a bank's channel count, the loaded record, the image or an adjustment value.
enum CellChangeFlag : std::uint32_t {
    kChangeAlways = 0x01,
    kChangeBankCount = 0x04,
    kChangeRecord = 0x08,
    kChangeImage = 0x20,
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
    bool shift = false;                      // the Shift key was held with `key`
    const cmcCellObj* picked = nullptr;      // Pick: the item chosen (its identifier the list kind, its index the value)
    std::int32_t popupCommand = 0;
    std::string editText;
    std::string displayText;                 // out
    std::uint8_t markFlags = 0;              // out: CellMarkFlag
    std::uint32_t stateFlags = 0;            // out: CellStateFlag
    std::int32_t imageIndex = -1;            // out: the image the item should show
    std::optional<std::uint32_t> fontColour;  // out: a font colour other than the cell's (overlay/Colours.h values)

    // --- Sheets ---------------------------------------------------------------------
    CellMode mode = CellMode::Action;
    const cmcCellObj* popupItem = nullptr;   // an Action with key 0: the popup item chosen
    CellSheetServices* sheet = nullptr;      // the sheet the cell lies on, if any
    const cmcCellCapsule* sheetContext = nullptr;  // the context the sheet was created with
    bool current = false;                    // the cell is the sheet's current cell
    bool printing = false;
    // While a multiple selection is active: the indexes of the first non-fixed column at
    // the anchor row and at the current row, lower one first.
    std::optional<std::int32_t> rangeLow, rangeHigh;
    // Out, with StartEdit: the editor opens on `editText` with this selection.
    std::int32_t editStart = 0;
    std::int32_t editLength = 0;
    std::optional<CellKey> gotoCell;         // out: make this bound cell current
    std::int32_t repeatKey = 0;              // out: do the action again with this code
    bool execute = false;                    // out: Enter asked a procedure cell to run its procedure
    std::uint32_t changeFlags = 0;           // out: CellChangeFlag
    std::optional<std::int32_t> selectFrom, selectTo;  // out: select the cells of this index range
};

// Result of the routine: nothing further, a popup list was opened, or the owner is to
// open the in-place editor.
enum class CellResult : int { None = 0, PopupOpened = 1, StartEdit = 2 };
