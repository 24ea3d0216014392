#pragma once
// One cell as the overlay defines it: its binding (category, identifier, index and
// parameter text), its look (alignment, flags, colour, font, popup menu, image) and its
// content. Cells are written in the cell grammar: "{markup}content", cells of a row
// separated by '|'. Menus, the tree and every sheet use the same grammar.

#include "overlay/CellNames.h"
#include "overlay/Colours.h"
#include "overlay/cmcFont.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Each sheet carries ten counters that carry numbers from cell to cell and row to row
// while it is parsed ("@ch0" .. "@ch9").
using CellCounters = std::array<std::int32_t, 10>;

class cmcCellObj {
public:
    enum class HAlign : std::uint8_t { Left, Centre, Right };
    enum class VAlign : std::uint8_t { Top, Middle, Bottom };
    static constexpr int kUserFlags = 5;

    // The cell this one starts from (the sheet's basic cell); set by the caller.
    const cmcCellObj* baseModel = nullptr;
    // The sheet's counters, only while the cell is being parsed.
    CellCounters* counters = nullptr;

    CellKey key;
    std::optional<std::string> parameter;
    std::int32_t imageIndex = -1;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool autoWidth = false;      // W: the column grows to the content
    bool autoHeight = false;     // H: the row grows to the content
    bool continuesLeft = false;  // +: the cell continues the one to its left
    bool bottomLine = false;     // B
    bool selectable = false;     // S
    bool rowTracking = false;    // T
    std::array<bool, kUserFlags> userFlags{};
    cmcColour colour = ColourOf("clWindow");
    std::optional<cmcFont> font;  // its own font; without one the sheet's basic cell's is used
    std::optional<std::string> popupMenu;
    std::optional<std::string> content;

    // Starts again from the base model: every field is copied from it except the font and
    // the popup menu name, which stay with the model (see PopupMenuName); without a base
    // model every field takes its default.
    void ResetTo(const cmcCellObj* base);

    // The popup menu of the cell: its own name, else the nearest base model's.
    const std::string* PopupMenuName() const;
};

// Splits off the first cell of a row: the text up to the first '|' that is neither escaped
// nor half of a double-byte character, and the rest after that '|' (empty when none).
struct CellSplit {
    std::string_view cell;
    std::string_view rest;
};
CellSplit SplitCell(std::string_view row);

// Takes the first cell of `text`, resets `cell` to `base` and, unless `layoutOnly`, applies
// its markup and content with the counters at hand. Returns the rest of the row after the
// cell's '|' (empty when no '|' follows).
std::string_view ParseCell(cmcCellObj& cell, std::string_view text, CellCounters* counters, const cmcCellObj* base,
                           bool layoutOnly = false);

// Applies markup (the text inside the braces, or a cell model's line) to a cell.
void ApplyMarkup(cmcCellObj& cell, std::string_view markup);

// Cell models may apply other models. A cell that applies more than this many in all
// (nested ones included) is taken to hold a loop of models, which is fatal: without the
// bound a model that applies itself would overflow the stack, and models that each apply
// two others would take exponential time.
inline constexpr int kMaxModelsPerCell = 256;
