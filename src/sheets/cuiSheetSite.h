#pragma once
// What a sheet sees of the program around it, and what it tells the program. The
// controller implements the site (it turns the notices into numbered messages); tests use
// a recorder. The sheet never includes the controller, so it builds and runs without it.

#include "overlay/CellNames.h"
#include "overlay/SheetLanguage.h"

#include <cstdint>
#include <memory>
#include <string>

class CellContext;
class cuiSheet;

class cuiSheetSite {
public:
    virtual ~cuiSheetSite() = default;

    // --- What the sheet reads ---------------------------------------------------------
    // The value routine's view of the program; the default value callback runs on it.
    virtual CellContext* Cells() = 0;
    // The model and image conditions of the row directives.
    virtual RowConditions Conditions() const = 0;
    // The font-size percentage of the settings.
    virtual std::int32_t FontSizePercentage() const = 0;
    virtual bool PrintJobRunning() const { return false; }
    // The usable-font option of channel-text sheets.
    virtual bool UsableFontOption() const { return false; }
    // A cell asks for the selection list `listSheet` (items bound to `listKind`): the sheet
    // to show it in, built but not yet shown, with the item numbered `value` as its wanted
    // initial cell. The program decides the sheet's kind and how it measures; null when no
    // list can be shown here.
    virtual std::unique_ptr<cuiSheet> MakeChoiceList(const std::string& /*listSheet*/, CellId /*listKind*/,
                                                     std::int32_t /*value*/) {
        return nullptr;
    }

    // --- What the sheet tells ---------------------------------------------------------
    virtual void CommandsChanged() {}                          // refresh commands and status
    virtual void EditMenuCleared() {}                          // the Edit menu loses its items
    virtual void EditMenuFilled(const std::string& /*popupMenu*/) {}  // ... and shows this popup's
    virtual void CurrentCellChanged(const CellKey& /*key*/) {}
    virtual void StatusCleared() {}                            // a key clears the status text
};

// What a sheet asks of the widget that shows it. Every call is a request to repaint or to
// re-read state; the widget reads the sheet when it paints.
class cuiSheetView {
public:
    virtual ~cuiSheetView() = default;
    virtual void InvalidateCell(std::int32_t col, std::int32_t row) = 0;
    virtual void InvalidateAll() = 0;
    // The scroll position, the grid's size or the current cell changed.
    virtual void PositionChanged() = 0;
    // The in-place editor opened, closed or changed its text.
    virtual void EditorChanged() = 0;
    // Paint what is pending now (before an auto-repeated action).
    virtual void RepaintNow() {}
    // A framed sheet picked a choice, or a selection list was dismissed: its popup window
    // closes.
    virtual void CloseHostWindow() {}
    // Shows the selection list `list` (built and framed) in a popup window anchored at cell
    // (col, row) of this view's sheet; false when the view cannot show one.
    virtual bool ShowChoiceList(cuiSheet& /*list*/, std::int32_t /*col*/, std::int32_t /*row*/) { return false; }
    // The sheet is being destroyed: the view lets go of it.
    virtual void SheetGone() {}
};
