#pragma once
// A sheet: a grid of cells built from an overlay definition (S + "_Style", "_BasicCell"
// and "_Cells"), with every column and row sized from its cells, and the state a user
// changes on it (current cell, selection, in-place editor, scroll position, popup menu).
// The widget that shows it reads it when it paints and hands it what the user does; the
// sheet decides everything, so all of it runs in tests without a display.
//
// The kinds (iuiSh_Common, iuiSh_ChBank, iuiSh_Mch, iuiSheet) replace a few of the
// virtual operations, listed here in their slot order.

#include "overlay/SheetLanguage.h"
#include "overlay/cmcCellObj.h"
#include "sheets/TextMetrics.h"
#include "sheets/cuiSheetSite.h"
#include "values/cmcCellCapsule.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class cmcGTex;
namespace platform { class Timer; }

// One row of the grid: the "_Cells" line it comes from and whether it may join a
// multiple selection.
struct clsSheeRowAtr {
    std::int32_t line = 0;
    bool multiSelect = true;
};

// One grid position: its cell and its selection state.
struct clsSheetCellId {
    cmcCellObj cell;
    bool mayJoin = true;       // may join a multiple selection
    bool selected = false;
    bool rowSelected = false;  // a whole selected row ("Line" mode)
};

struct SheetPos {
    std::int32_t col = -1;
    std::int32_t row = -1;
    friend bool operator==(const SheetPos&, const SheetPos&) = default;
};

// Where the sheet was left: restored when the same sheet opens again.
struct SheetPosition {
    std::int32_t col = -1, row = -1, leftCol = -1, topRow = -1;
};

// A key as the sheet sees it: a virtual-key code (values/KeyCodes.h) or a character.
struct SheetKey {
    std::int32_t vk = 0;    // 0 for a character
    std::int32_t ch = 0;    // the character typed, when vk is 0
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// Everything the widget needs to paint one cell, computed by the sheet's drawing rules.
struct CellDrawing {
    struct Line {
        std::int32_t x = 0, y = 0;
        std::string text;
    };
    enum class Mark { None, Warning, Error };
    bool visible = false;  // false: nothing to draw
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // the text rectangle, inclusive
    std::optional<cmcColour> fill;        // none: the brush is white, nothing is filled
    cmcColour background = 0;
    std::optional<cmcColour> bottomLine;
    cmcFont font;
    cmcColour textColour = 0;
    std::vector<Line> lines;
    Mark mark = Mark::None;
    std::int32_t markX = 0, markY = 0;    // top-left of the mark image
};

class cuiSheet : public CellSheetServices {
public:
    using ValueCallback = std::function<CellResult(cmcCellCapsule&)>;

    static constexpr std::int32_t kEditorMaxLength = 1024;
    static constexpr std::int32_t kPageRows = 10;
    static constexpr std::int32_t kRepeatFirstMs = 30;
    static constexpr std::int32_t kRepeatStepMs = 6;
    static constexpr std::int32_t kMarkImageSize = 16;

    // `initialId` 0 means no wanted initial cell. `context` is the caller's cell context.
    cuiSheet(cuiSheetSite& site, cmcGTex& store, std::string name, CellId initialId = 0,
             std::int32_t initialIndex = 0, const cmcCellCapsule* context = nullptr);
    ~cuiSheet() override;  // slot 0
    cuiSheet(const cuiSheet&) = delete;
    cuiSheet& operator=(const cuiSheet&) = delete;

    // --- Virtual operations in slot order (0 is the destructor) ------------------------
    virtual void SetParameter(const std::string& text);   // 1
    virtual void Show();                                   // 2
    virtual void StyleKeyword(std::string_view group);     // 3
    virtual void RowDirective(std::string_view group);     // 4
    virtual void BuildCells();                             // 5
    virtual void BuildBasicCell();                         // 6
    virtual void LayoutRows(const std::string& key);       // 7
    virtual void FillCells(const std::string& key);        // 8
    virtual void BeforeRow(std::int32_t /*row*/) {}       // 9
    virtual void BeforeCell(std::int32_t /*col*/, std::int32_t /*row*/) {}  // 10
    virtual std::string PrintTitle() const { return style_.title; }          // 11
    virtual bool IsPrintable() const { return !style_.noPrint; }             // 12

    // --- Set before Show ---------------------------------------------------------------
    // Printer output: sizes in printer dots, the unit from its vertical resolution.
    void SetPrinter(std::int32_t verticalDpi, const TextMetrics* printerMetrics = nullptr);
    void SetFontHeight(std::int32_t height) { fontHeight_ = height; }
    void SetFramed(bool on) { framed_ = on; }
    void SetPosition(std::int32_t col, std::int32_t row, std::int32_t leftCol, std::int32_t topRow);
    void SetValueCallback(ValueCallback callback) { callback_ = std::move(callback); }
    void SetMetrics(const TextMetrics* metrics) { metrics_ = metrics; }

    // --- The built grid ---------------------------------------------------------------
    const std::string& Name() const { return name_; }
    const std::string& Parameter() const { return parameter_; }
    std::int32_t ColCount() const { return colCount_; }
    std::int32_t RowCount() const { return rowCount_; }
    // Rows the cells array holds (the row count, or 522 for channel and repeater sheets).
    std::int32_t ArrayRows() const { return arrayRows_; }
    std::int32_t FixedCols() const { return fixedCols_; }
    std::int32_t FixedRows() const { return fixedRows_; }
    std::int32_t ColWidth(std::int32_t col) const { return colWidths_[static_cast<std::size_t>(col)]; }
    std::int32_t RowHeight(std::int32_t row) const { return rowHeights_[static_cast<std::size_t>(row)]; }
    std::int32_t Unit() const { return unit_; }
    bool Printing() const { return printing_; }
    bool Framed() const { return framed_; }
    bool Enabled() const { return enabled_; }
    const SheetStyle& Style() const { return style_; }
    // The text of the title line (empty: no title), and its text colour when the sheet
    // decides it rather than the title font.
    virtual std::string Title() const { return style_.title; }
    virtual std::optional<cmcColour> TitleTextColour() const { return std::nullopt; }
    const cmcCellObj& BasicCell() const { return basic_; }
    const std::vector<clsSheeRowAtr>& Rows() const { return rows_; }
    SheetPos FirstSelectable() const { return firstSelectable_; }
    // The cell at a grid position; outside the grid the program stops.
    cmcCellObj& CellAt(std::int32_t col, std::int32_t row);
    clsSheetCellId& EntryAt(std::int32_t col, std::int32_t row);
    const clsSheetCellId& EntryAt(std::int32_t col, std::int32_t row) const;
    bool IsSelectable(std::int32_t col, std::int32_t row) const;
    // Extra width and height the parent needs to show the whole grid without scrolling.
    std::int32_t NeededWidth(std::int32_t parentMinusClient = 0) const;
    std::int32_t NeededHeight(std::int32_t parentMinusClient = 0) const;
    std::int32_t TotalWidth() const;
    std::int32_t TotalHeight() const;

    // --- Position and scrolling ---------------------------------------------------------
    SheetPos Current() const { return current_; }
    SheetPos Remembered() const { return remembered_; }
    std::int32_t LeftCol() const { return leftCol_; }
    std::int32_t TopRow() const { return topRow_; }
    SheetPosition Position() const { return {current_.col, current_.row, leftCol_, topRow_}; }
    // The widget's client size in pixels (dots), and whether it shows scroll bars.
    void SetViewport(std::int32_t width, std::int32_t height);
    void SetScrollBars(bool shown) { scrollBars_ = shown; }
    void ScrollTo(std::int32_t leftCol, std::int32_t topRow);
    std::int32_t LastVisibleCol() const;
    std::int32_t LastVisibleRow() const;
    // The highest left column and top row that still fill the viewport.
    std::int32_t MaxLeftCol() const;
    std::int32_t MaxTopRow() const;
    // The grid position under a point of the viewport, or {-1, -1}.
    SheetPos CellAtPoint(std::int32_t x, std::int32_t y) const;
    // The rectangle of a cell in the viewport (left, top, right, bottom exclusive); empty
    // when it is scrolled away.
    struct Rect { std::int32_t left = 0, top = 0, right = 0, bottom = 0; };
    std::optional<Rect> CellRect(std::int32_t col, std::int32_t row) const;

    // --- Interaction ----------------------------------------------------------------
    void AttachView(cuiSheetView* view) { view_ = view; }
    // Keyboard moves: |dx| column steps, else |dy| row steps.
    void MoveBy(std::int32_t dx, std::int32_t dy, bool extend = false);
    // Makes a cell current as a click does (row-tracking cells give their selectable cell);
    // false when the cell cannot be current.
    bool SelectAt(std::int32_t col, std::int32_t row, bool extend = false);
    void ClearSelection();
    // The sheet is closed: no repeat is pending, the editor is gone, nothing is repainted.
    void Halt();
    bool SelectionActive() const { return selectionActive_; }
    SheetPos Anchor() const { return anchor_; }
    void KeyDown(const SheetKey& key);
    void SetFocus(bool focused);
    bool HasFocus() const { return focused_; }
    void MouseDown(std::int32_t col, std::int32_t row, bool shift);
    void MouseUp(std::int32_t col, std::int32_t row);
    void DoubleClick(std::int32_t col, std::int32_t row);
    // Selects the cell under a right click; the caller then opens PopupMenuName().
    void RightClick(std::int32_t col, std::int32_t row);
    // Framed sheets: the pointer moved over a cell.
    void Hover(std::int32_t col, std::int32_t row);
    // A popup item was chosen: an action with code 0 and the item's cell.
    void PopupCommand(const cmcCellObj& item);
    // An action on the current cell (a character, 256 for a double click, a virtual key
    // times 256, 0 for a popup command), with Shift held or not.
    void Action(std::int32_t code, const cmcCellObj* popupItem = nullptr, bool shift = false);
    // The popup menu the current cell names (empty: none); what the Edit menu mirrors.
    const std::string& PopupMenuName() const { return popupName_; }
    std::string CurrentPopupMenu() const;

    // The in-place editor.
    bool EditorOpen() const { return editorOpen_; }
    const std::string& EditorText() const { return editorText_; }
    std::int32_t EditorSelStart() const { return editorSelStart_; }
    std::int32_t EditorSelLength() const { return editorSelLength_; }
    SheetPos EditorCell() const { return editorCell_; }
    void SetEditorText(std::string text);
    // Enter, Up, Down or leaving the editor: hands the text to the cell.
    void CommitEditor();
    // Escape: closes the editor, the cell keeps its value.
    void CancelEditor();
    // Up / Down inside the editor: commit, then move one row.
    void EditorKey(const SheetKey& key);

    // --- Selection lists ------------------------------------------------------------------
    // The list open at one of this sheet's cells, or null.
    cuiSheet* ChoiceList() const { return choiceList_.get(); }
    // The sheet whose cell this list serves, or null when this is no selection list.
    cuiSheet* ChoiceOwner() const { return choiceOwner_; }
    // The open list closes without a pick (Escape, a click outside it); nothing changes.
    void DismissChoiceList();

    // --- Drawing --------------------------------------------------------------------
    // How cell (col, row) is drawn into `rect` (viewport pixels, right and bottom
    // exclusive); asks the value callback for a bound cell's text.
    CellDrawing Describe(std::int32_t col, std::int32_t row, Rect rect);

    // --- CellSheetServices and the redraw messages ----------------------------------
    void RedrawCells(RedrawFilter filter, std::int32_t value) override;
    void OpenEditor(const std::string& text, std::int32_t selStart, std::int32_t selLength) override;
    bool OpenChoiceList(const std::string& listSheet, CellId listKind, std::int32_t value) override;

protected:
    // The directives every sheet knows; true when the group was one of them.
    void ApplyDirective(const struct RowDirective& directive);
    // Appends one row for a "_Cells" line.
    void AppendRow(std::int32_t line, bool multiSelect);
    // Sets a row-list flag, extending the list when needed.
    void SetRowMultiSelect(std::int32_t index, bool on);
    // The cells array for `rows` rows.
    void AllocateCells(std::int32_t rows);
    // Copies row `row - 1` into `row` with every index one higher.
    void CopyRowBelow(std::int32_t row);
    void SetRowCount(std::int32_t rows);
    void CloseLoop();
    CellResult Call(cmcCellCapsule& request);
    cuiSheetView* View() const { return view_; }
    cmcCellCapsule Request(std::int32_t col, std::int32_t row, CellMode mode);

    cuiSheetSite& site_;
    cmcGTex& store_;
    std::string name_;
    std::string parameter_;
    const cmcCellCapsule* context_;
    ValueCallback callback_;
    const TextMetrics* metrics_ = nullptr;
    const TextMetrics* printerMetrics_ = nullptr;
    CellKey initial_;
    SheetPosition saved_;
    bool printing_ = false;
    std::int32_t unit_ = 1;
    std::int32_t fontHeight_ = 0;
    bool framed_ = false;
    SheetStyle style_;

    // Layout state while "_Cells" is read.
    std::int32_t skip_ = 0;
    std::int32_t loopStart_ = -1, loopEnd_ = -1, loopCount_ = -1;
    std::int32_t loopRows_ = 0;  // rows counted since the loop opened
    std::int32_t line_ = 0;
    bool multiSelectFlag_ = true;
    bool perRowMultiSelect_ = true;  // channel sheets keep the flags of the row list alone
    std::int32_t widest_ = 0;

    cmcCellObj basic_;
    CellCounters counters_{};
    std::vector<clsSheeRowAtr> rows_;
    std::int32_t rowCount_ = 0;  // rows of the grid (rows_ may hold more entries)
    std::int32_t colCount_ = 0;
    std::int32_t arrayRows_ = 0;
    std::vector<clsSheetCellId> cells_;
    std::vector<std::int32_t> colWidths_, rowHeights_;
    std::int32_t fixedCols_ = 0, fixedRows_ = 0;
    SheetPos firstSelectable_;
    bool building_ = false;
    bool enabled_ = true;

private:
    void Build();
    void SizeCell(const cmcCellObj& cell, std::int32_t col, std::int32_t row);
    const TextMetrics& Measure() const;
    std::optional<SheetPos> FindCell(const CellKey& key) const;
    SheetPos Step(SheetPos from, std::int32_t dx, std::int32_t dy) const;
    SheetPos Nearest(SheetPos from, std::int32_t dx, std::int32_t dy) const;
    void MakeCurrent(SheetPos pos, bool extend, bool fromGrid = true);
    void KeepVisible();
    void MarkRange(SheetPos from, SheetPos to);
    void MarkLines();
    void SelectRange(std::int32_t from, std::int32_t to);
    void UpdatePopup();
    void DropPopup();
    void HandleResult(cmcCellCapsule& request, CellResult result);
    void ScheduleRepeat(std::int32_t code, bool shift);
    // A list of this sheet picked `item`: the list is gone, then the cell hears of the pick.
    void ChoicePicked(const cmcCellObj& item);
    void RetireChoiceList();
    bool TrackRow(SheetPos& pos) const;
    bool RowTracked(std::int32_t col, std::int32_t row) const;
    void Invalidate(std::int32_t col, std::int32_t row);
    void InvalidateAll();

    cuiSheetView* view_ = nullptr;
    SheetPos current_{0, 0};
    SheetPos remembered_{0, 0};
    SheetPos anchor_{0, 0};
    std::int32_t leftCol_ = 0, topRow_ = 0;
    std::int32_t viewWidth_ = 0, viewHeight_ = 0;
    bool scrollBars_ = false;
    bool selectionActive_ = false;
    bool leftButton_ = false;
    bool focused_ = false;
    bool editorOpen_ = false;
    std::string editorText_;
    std::int32_t editorSelStart_ = 0, editorSelLength_ = 0;
    SheetPos editorCell_;
    std::string popupName_;
    bool popupBuilt_ = false;
    SheetPos lastHover_;
    std::unique_ptr<platform::Timer> repeatTimer_;
    std::int32_t repeatDelay_ = kRepeatFirstMs;
    std::int32_t repeatCode_ = 0;
    bool repeatShift_ = false;
    bool repeating_ = false;
    // The selection list open at `choiceCell_`, and those closed since this sheet's last
    // action: a list is closed from inside its own pick.
    std::unique_ptr<cuiSheet> choiceList_;
    std::vector<std::unique_ptr<cuiSheet>> retiredLists_;
    SheetPos choiceCell_;
    cuiSheet* choiceOwner_ = nullptr;
};

// Where a popup list of `width` x `height` goes for a cell (both in screen coordinates):
// just below the cell, or above it when the screen has no room below; never taller than
// the screen (a longer list scrolls) and moved left as far as needed to stay on it.
cuiSheet::Rect PlaceChoiceList(const cuiSheet::Rect& cell, std::int32_t width, std::int32_t height,
                               const cuiSheet::Rect& screen);
