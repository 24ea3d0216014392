// The sheet as the user works on it: moves, selection, keys, the mouse, the in-place
// editor, popup-menu upkeep, auto-repeat, and the rules by which each cell is drawn.

#include "sheets/cuiSheet.h"

#include "platform/Scheduler.h"
#include "values/KeyCodes.h"

#include <algorithm>
#include <cstdlib>

namespace vk = cellkey::vk;

namespace {

constexpr cmcColour kWhite = 0xFFFFFF;
constexpr cmcColour kPaperGrey = 0x606060;
constexpr cmcColour kLineGrey = 0x808080;
constexpr cmcColour kBlack = 0x000000;
constexpr cmcColour kSilver = 0xC0C0C0;
constexpr std::int32_t kTextInset = 4;  // units between a cell's side and its text

bool IsWindowOrWhite(cmcColour c) { return c == ColourOf("clWindow") || c == kWhite; }

// At most `n` characters of UTF-8 text, never cutting one in half.
std::string Truncated(std::string text, std::int32_t n) {
    std::int32_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars++ == n) {
            text.resize(i);
            break;
        }
    }
    return text;
}

}  // namespace

// --- Moving ------------------------------------------------------------------------------

SheetPos cuiSheet::Step(SheetPos from, std::int32_t dx, std::int32_t dy) const {
    const bool wrap = framed_ && !scrollBars_;
    const bool across = dx != 0;
    const std::int32_t d = across ? dx : dy;
    const std::int32_t lo = across ? fixedCols_ : fixedRows_;
    const std::int32_t hi = across ? colCount_ : rowCount_;
    const std::int32_t start = across ? from.col : from.row;
    auto at = [&](std::int32_t i, std::int32_t other) { return across ? SheetPos{i, other} : SheetPos{other, i}; };

    // The same row (or column), wrapping around in popup editors; once round at most.
    for (std::int32_t i = start + d, n = 0; n < hi - lo; i += d, ++n) {
        if (i < lo || i >= hi) {
            if (!wrap) break;
            i = d > 0 ? lo : hi - 1;
        }
        if (i == start) break;
        const SheetPos p = at(i, across ? from.row : from.col);
        if (IsSelectable(p.col, p.row)) return p;
    }
    if (framed_) return from;
    // The following columns (rows): the selectable cell nearest the remembered row (column).
    const std::int32_t aim = across ? remembered_.row : remembered_.col;
    const std::int32_t otherLo = across ? fixedRows_ : fixedCols_;
    const std::int32_t otherHi = across ? rowCount_ : colCount_;
    for (std::int32_t i = start + d; i >= lo && i < hi; i += d) {
        std::optional<SheetPos> best;
        std::int32_t bestDistance = 0;
        for (std::int32_t o = otherLo; o < otherHi; ++o) {
            const SheetPos p = at(i, o);
            if (!IsSelectable(p.col, p.row)) continue;
            const std::int32_t distance = std::abs(o - aim);
            if (!best || distance < bestDistance) best = p, bestDistance = distance;
        }
        if (best) return *best;
    }
    return from;
}

void cuiSheet::MoveBy(std::int32_t dx, std::int32_t dy, bool extend) {
    const bool across = dx != 0;
    const std::int32_t steps = std::abs(across ? dx : dy);
    if (steps == 0) return;
    const std::int32_t sx = across ? (dx > 0 ? 1 : -1) : 0;
    const std::int32_t sy = across ? 0 : (dy > 0 ? 1 : -1);
    // Wrapping is for single steps: a page move stops at the edge.
    const bool savedScrollBars = scrollBars_;
    if (steps > 1) scrollBars_ = true;
    SheetPos pos = current_;
    for (std::int32_t i = 0; i < steps; ++i) {
        const SheetPos next = Step(pos, sx, sy);
        if (next == pos) break;
        pos = remembered_ = next;
    }
    scrollBars_ = savedScrollBars;
    MakeCurrent(pos, extend);
    if (pos.col <= firstSelectable_.col) leftCol_ = fixedCols_;
    if (pos.row <= firstSelectable_.row) topRow_ = fixedRows_;
    if (view_) view_->PositionChanged();
}

bool cuiSheet::TrackRow(SheetPos& pos) const {
    if (pos.col < 0 || pos.row < 0 || pos.col >= colCount_ || pos.row >= rowCount_) return false;
    for (SheetPos p = pos; p.col >= fixedCols_; --p.col) {
        if (IsSelectable(p.col, p.row)) {
            pos = p;
            return true;
        }
        if (!cells_[static_cast<std::size_t>(p.row) * colCount_ + p.col].cell.rowTracking) return false;
    }
    return false;
}

bool cuiSheet::SelectAt(std::int32_t col, std::int32_t row, bool extend) {
    SheetPos pos{col, row};
    if (!enabled_ || !TrackRow(pos)) return false;
    remembered_ = pos;
    MakeCurrent(pos, extend);
    return true;
}

void cuiSheet::MakeCurrent(SheetPos pos, bool extend, bool fromGrid) {
    if (pos == current_) return;
    const SheetPos old = current_;
    current_ = pos;
    const bool oldInside = old.col >= 0 && old.row >= 0 && old.col < colCount_ && old.row < rowCount_;
    if (style_.multiSelect != MultiSelect::Off) {
        if ((extend || leftButton_) && oldInside && EntryAt(old.col, old.row).mayJoin && EntryAt(pos.col, pos.row).mayJoin)
            MarkRange(anchor_, pos);
        else
            anchor_ = pos;
    } else {
        anchor_ = pos;
    }
    if (building_) return;
    // Row tracking colours the whole row of the current cell.
    for (std::int32_t c = 0; c < colCount_; ++c) {
        if (oldInside) Invalidate(c, old.row);
        Invalidate(c, pos.row);
    }
    KeepVisible();
    if (view_) view_->PositionChanged();
    if (fromGrid) site_.CurrentCellChanged(CellAt(pos.col, pos.row).key);
    UpdatePopup();
}

void cuiSheet::MarkRange(SheetPos from, SheetPos to) {
    const std::int32_t c0 = std::min(from.col, to.col), c1 = std::max(from.col, to.col);
    const std::int32_t r0 = std::min(from.row, to.row), r1 = std::max(from.row, to.row);
    selectionActive_ = false;
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        for (std::int32_t c = 0; c < colCount_; ++c) {
            clsSheetCellId& e = cells_[static_cast<std::size_t>(r) * colCount_ + c];
            e.selected = c >= c0 && c <= c1 && r >= r0 && r <= r1 && e.mayJoin && IsSelectable(c, r);
            selectionActive_ = selectionActive_ || e.selected;
        }
    }
    MarkLines();
    InvalidateAll();
}

void cuiSheet::MarkLines() {
    const bool lines = style_.multiSelect == MultiSelect::Lines;
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        bool any = false;
        for (std::int32_t c = 0; c < colCount_ && lines; ++c) any = any || EntryAt(c, r).selected;
        for (std::int32_t c = 0; c < colCount_; ++c) EntryAt(c, r).rowSelected = any && c >= fixedCols_;
    }
}

void cuiSheet::SelectRange(std::int32_t from, std::int32_t to) {
    const std::int32_t lo = std::min(from, to), hi = std::max(from, to);
    const cmcCellObj& cur = CellAt(current_.col, current_.row);
    const std::int32_t end = cur.key.index == lo ? hi : lo;
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        for (std::int32_t c = 0; c < colCount_; ++c) {
            clsSheetCellId& e = EntryAt(c, r);
            e.selected = IsSelectable(c, r) && e.cell.key.id == cur.key.id && e.cell.key.index >= lo &&
                         e.cell.key.index <= hi;
            if (e.selected && e.cell.key.index == end) anchor_.row = r;
        }
    }
    selectionActive_ = true;
    MarkLines();
    InvalidateAll();
}

void cuiSheet::ClearSelection() {
    if (!selectionActive_) return;
    for (clsSheetCellId& e : cells_) e.selected = e.rowSelected = false;
    selectionActive_ = false;
    anchor_ = current_;
    InvalidateAll();
}

void cuiSheet::Halt() {
    RetireChoiceList();
    if (repeatTimer_) repeatTimer_->stop();
    editorOpen_ = false;
    if (view_) view_->SheetGone();
    view_ = nullptr;
    enabled_ = false;
}

// --- Scrolling ---------------------------------------------------------------------------

void cuiSheet::SetViewport(std::int32_t width, std::int32_t height) {
    viewWidth_ = width;
    viewHeight_ = height;
    leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, MaxTopRow()));
}

void cuiSheet::ScrollTo(std::int32_t leftCol, std::int32_t topRow) {
    leftCol = std::clamp(leftCol, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    topRow = std::clamp(topRow, fixedRows_, std::max(fixedRows_, MaxTopRow()));
    if (leftCol == leftCol_ && topRow == topRow_) return;
    leftCol_ = leftCol;
    topRow_ = topRow;
    InvalidateAll();
    if (view_) view_->PositionChanged();
}

std::int32_t cuiSheet::MaxLeftCol() const {
    std::int32_t room = viewWidth_;
    for (std::int32_t c = 0; c < fixedCols_; ++c) room -= ColWidth(c);
    std::int32_t c = colCount_ - 1;
    for (std::int32_t used = 0; c >= fixedCols_; --c) {
        used += ColWidth(c);
        if (used > room) return std::min(colCount_ - 1, c + 1);
    }
    return fixedCols_;
}

std::int32_t cuiSheet::MaxTopRow() const {
    std::int32_t room = viewHeight_;
    for (std::int32_t r = 0; r < fixedRows_; ++r) room -= RowHeight(r);
    std::int32_t r = rowCount_ - 1;
    for (std::int32_t used = 0; r >= fixedRows_; --r) {
        used += RowHeight(r);
        if (used > room) return std::min(rowCount_ - 1, r + 1);
    }
    return fixedRows_;
}

std::int32_t cuiSheet::LastVisibleCol() const {
    std::int32_t x = 0;
    for (std::int32_t c = 0; c < fixedCols_; ++c) x += ColWidth(c);
    std::int32_t c = leftCol_;
    for (; c < colCount_; ++c) {
        x += ColWidth(c);
        if (x >= viewWidth_) break;
    }
    return std::min(c, colCount_ - 1);
}

std::int32_t cuiSheet::LastVisibleRow() const {
    std::int32_t y = 0;
    for (std::int32_t r = 0; r < fixedRows_; ++r) y += RowHeight(r);
    std::int32_t r = topRow_;
    for (; r < rowCount_; ++r) {
        y += RowHeight(r);
        if (y >= viewHeight_) break;
    }
    return std::min(r, rowCount_ - 1);
}

void cuiSheet::KeepVisible() {
    if (viewWidth_ <= 0 || viewHeight_ <= 0) return;
    if (current_.col >= fixedCols_ && current_.col < leftCol_) leftCol_ = current_.col;
    if (current_.row >= fixedRows_ && current_.row < topRow_) topRow_ = current_.row;
    auto fits = [&](bool across) {
        std::int32_t used = 0;
        const std::int32_t fixed = across ? fixedCols_ : fixedRows_;
        for (std::int32_t i = 0; i < fixed; ++i) used += across ? ColWidth(i) : RowHeight(i);
        const std::int32_t from = across ? leftCol_ : topRow_, to = across ? current_.col : current_.row;
        for (std::int32_t i = from; i <= to; ++i) used += across ? ColWidth(i) : RowHeight(i);
        return used <= (across ? viewWidth_ : viewHeight_);
    };
    while (leftCol_ < current_.col && !fits(true)) ++leftCol_;
    while (topRow_ < current_.row && !fits(false)) ++topRow_;
}

SheetPos cuiSheet::CellAtPoint(std::int32_t x, std::int32_t y) const {
    auto find = [](std::int32_t at, std::int32_t fixed, std::int32_t first, std::int32_t count, auto size) {
        std::int32_t edge = 0;
        for (std::int32_t i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            edge += size(i);
            if (at < edge) return i;
        }
        return -1;
    };
    if (x < 0 || y < 0) return {};
    const std::int32_t c = find(x, fixedCols_, leftCol_, colCount_, [&](std::int32_t i) { return ColWidth(i); });
    const std::int32_t r = find(y, fixedRows_, topRow_, rowCount_, [&](std::int32_t i) { return RowHeight(i); });
    if (c < 0 || r < 0) return {};
    return {c, r};
}

std::optional<cuiSheet::Rect> cuiSheet::CellRect(std::int32_t col, std::int32_t row) const {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return std::nullopt;
    if ((col >= fixedCols_ && col < leftCol_) || (row >= fixedRows_ && row < topRow_)) return std::nullopt;
    Rect r;
    for (std::int32_t c = 0; c < col; ++c)
        if (c < fixedCols_ || c >= leftCol_) r.left += ColWidth(c);
    for (std::int32_t i = 0; i < row; ++i)
        if (i < fixedRows_ || i >= topRow_) r.top += RowHeight(i);
    r.right = r.left + ColWidth(col);
    r.bottom = r.top + RowHeight(row);
    return r;
}

// --- Keys and the mouse --------------------------------------------------------------------

void cuiSheet::KeyDown(const SheetKey& key) {
    if (editorOpen_) CommitEditor();
    site_.StatusCleared();
    switch (key.vk) {
        case vk::kPageUp: MoveBy(0, -kPageRows, key.shift); return;
        case vk::kPageDown: MoveBy(0, kPageRows, key.shift); return;
        case vk::kHome:
        case vk::kEnd: return;
        case vk::kLeft:
        case vk::kRight: {
            const SheetPos before = current_;
            MoveBy(key.vk == vk::kLeft ? -1 : 1, 0, key.shift);
            if (current_ == before) Action(cellkey::VirtualKey(key.vk), nullptr, key.shift);
            return;
        }
        case vk::kUp:
        case vk::kDown:
            if (key.ctrl && !key.shift && !key.alt) return;
            MoveBy(0, key.vk == vk::kUp ? -1 : 1, key.shift);
            return;
        default: break;
    }
    if (choiceOwner_ && key.vk == 0 && key.ch == cellkey::kEscape) {
        // A selection list closes on Escape and its cell keeps its value.
        choiceOwner_->DismissChoiceList();
        return;
    }
    if (key.vk >= vk::kF1 && key.vk <= vk::kF12) Action(cellkey::VirtualKey(key.vk), nullptr, key.shift);
    else if (key.vk == 0 && key.ch != 0) Action(key.ch, nullptr, key.shift);
}

void cuiSheet::SetFocus(bool focused) {
    if (focused_ == focused) return;
    focused_ = focused;
    if (focused) UpdatePopup();
    else DropPopup();
    InvalidateAll();
}

void cuiSheet::MouseDown(std::int32_t col, std::int32_t row, bool shift) {
    leftButton_ = true;
    SelectAt(col, row, shift);
}

void cuiSheet::MouseUp(std::int32_t col, std::int32_t row) {
    // Only the release of a press in this sheet picks: the release of the click that
    // opened a selection list must not pick from it at once.
    const bool pressed = leftButton_;
    leftButton_ = false;
    if (framed_ && pressed) DoubleClick(col, row);
}

void cuiSheet::DoubleClick(std::int32_t col, std::int32_t row) {
    SheetPos pos{col, row};
    if (enabled_ && TrackRow(pos) && pos == current_) Action(cellkey::kDoubleClick);
}

void cuiSheet::RightClick(std::int32_t col, std::int32_t row) { SelectAt(col, row); }

void cuiSheet::Hover(std::int32_t col, std::int32_t row) {
    const SheetPos pos{col, row};
    if (!framed_ || editorOpen_ || pos == lastHover_) return;
    lastHover_ = pos;
    if (IsSelectable(col, row)) SelectAt(col, row);
}

void cuiSheet::PopupCommand(const cmcCellObj& item) { Action(0, &item); }

// --- Actions and the value callback ----------------------------------------------------------

CellResult cuiSheet::Call(cmcCellCapsule& request) { return callback_ ? callback_(request) : CellResult::None; }

cmcCellCapsule cuiSheet::Request(std::int32_t col, std::int32_t row, CellMode mode) {
    cmcCellCapsule r;
    r.mode = mode;
    r.cell = &CellAt(col, row);
    r.sheet = this;
    r.sheetContext = context_;
    r.current = SheetPos{col, row} == current_;
    r.printing = printing_;
    if (selectionActive_) {
        const std::int32_t a = CellAt(fixedCols_, anchor_.row).key.index;
        const std::int32_t b = CellAt(fixedCols_, current_.row).key.index;
        r.rangeLow = std::min(a, b);
        r.rangeHigh = std::max(a, b);
    }
    return r;
}

void cuiSheet::Action(std::int32_t code, const cmcCellObj* popupItem, bool shift) {
    retiredLists_.clear();
    if (!enabled_ || cells_.empty()) return;
    if (!repeating_) {
        repeatDelay_ = kRepeatFirstMs;
        if (repeatTimer_) repeatTimer_->stop();
    }
    const bool pick = framed_ && (code == cellkey::kEnter || code == cellkey::kDoubleClick);
    if (pick && choiceOwner_) {
        // A selection list hands its choice to the cell it serves; the list itself is no
        // cell of the value routine's.
        const cmcCellObj item = CellAt(current_.col, current_.row);
        choiceOwner_->ChoicePicked(item);
        return;
    }
    cmcCellCapsule request = Request(current_.col, current_.row, CellMode::Action);
    request.key = code;
    request.shift = shift;
    request.popupItem = popupItem;
    if (pick) {
        // A choice list picks instead of acting, and the popup that holds it closes.
        request.mode = CellMode::Pick;
        request.linked = context_;
        request.picked = request.cell;
    }
    const CellResult result = Call(request);
    HandleResult(request, result);
    if (pick && view_) view_->CloseHostWindow();
    site_.CommandsChanged();
}

void cuiSheet::HandleResult(cmcCellCapsule& request, CellResult result) {
    if (result == CellResult::PopupOpened && editorOpen_) CancelEditor();
    if (result == CellResult::StartEdit) OpenEditor(request.editText, request.editStart, request.editLength);
    if (request.gotoCell) {
        if (auto pos = FindCell(*request.gotoCell)) MakeCurrent(*pos, false);
    }
    if (request.selectFrom && request.selectTo) SelectRange(*request.selectFrom, *request.selectTo);
    else ClearSelection();
    if (request.repeatKey != 0) ScheduleRepeat(request.repeatKey, request.shift);
}

void cuiSheet::ScheduleRepeat(std::int32_t code, bool shift) {
    if (view_) view_->RepaintNow();
    repeatCode_ = code;
    repeatShift_ = shift;
    if (!repeatTimer_) {
        repeatTimer_ = platform::scheduler().createTimer([this] {
            repeatTimer_->stop();
            repeating_ = true;
            Action(repeatCode_, nullptr, repeatShift_);
            repeating_ = false;
        });
    }
    repeatTimer_->start(repeatDelay_);
    repeatDelay_ = std::max(0, repeatDelay_ - kRepeatStepMs);
}

// --- Selection lists -----------------------------------------------------------------------

bool cuiSheet::OpenChoiceList(const std::string& listSheet, CellId listKind, std::int32_t value) {
    if (!view_ || cells_.empty() || printing_) return false;
    RetireChoiceList();
    std::unique_ptr<cuiSheet> list = site_.MakeChoiceList(listSheet, listKind, value);
    if (!list) return false;
    list->SetFramed(true);
    if (!list->metrics_) list->SetMetrics(metrics_);
    list->choiceOwner_ = this;
    list->Show();
    choiceList_ = std::move(list);
    choiceCell_ = current_;
    if (editorOpen_) CancelEditor();
    if (!view_->ShowChoiceList(*choiceList_, choiceCell_.col, choiceCell_.row)) {
        RetireChoiceList();
        return false;
    }
    return true;
}

void cuiSheet::RetireChoiceList() {
    if (!choiceList_) return;
    // Taken first: closing the window may report the dismissal back here.
    std::unique_ptr<cuiSheet> list = std::move(choiceList_);
    if (list->view_) list->view_->CloseHostWindow();
    list->Halt();
    // The list itself may be the caller (a pick), so it lives on until this sheet's own
    // next action, when no list can be running.
    retiredLists_.push_back(std::move(list));
}

void cuiSheet::DismissChoiceList() { RetireChoiceList(); }

void cuiSheet::ChoicePicked(const cmcCellObj& item) {
    // The list closes before the cell hears of the pick: the cell may open a second list
    // at once (a key's option after its function).
    const cmcCellObj picked = item;
    const SheetPos at = choiceCell_;
    RetireChoiceList();
    if (!enabled_ || at.col < 0 || at.row < 0 || at.col >= colCount_ || at.row >= rowCount_) return;
    cmcCellCapsule request = Request(at.col, at.row, CellMode::Pick);
    request.picked = &picked;
    const CellResult result = Call(request);
    Invalidate(at.col, at.row);
    HandleResult(request, result);
    site_.CommandsChanged();
}

// --- In-place editor ------------------------------------------------------------------------

void cuiSheet::OpenEditor(const std::string& text, std::int32_t selStart, std::int32_t selLength) {
    editorText_ = Truncated(text, kEditorMaxLength);
    editorSelStart_ = std::max(0, selStart);
    editorSelLength_ = std::max(0, selLength);
    editorCell_ = current_;
    editorOpen_ = true;
    Invalidate(current_.col, current_.row);
    if (view_) view_->EditorChanged();
}

void cuiSheet::SetEditorText(std::string text) { editorText_ = Truncated(std::move(text), kEditorMaxLength); }

void cuiSheet::CommitEditor() {
    if (!editorOpen_) return;
    editorOpen_ = false;
    if (view_) view_->EditorChanged();
    cmcCellCapsule request = Request(editorCell_.col, editorCell_.row, CellMode::SetText);
    request.editText = editorText_;
    const CellResult result = Call(request);
    Invalidate(editorCell_.col, editorCell_.row);
    HandleResult(request, result);
    site_.CommandsChanged();
}

void cuiSheet::CancelEditor() {
    if (!editorOpen_) return;
    editorOpen_ = false;
    Invalidate(editorCell_.col, editorCell_.row);
    if (view_) view_->EditorChanged();
}

void cuiSheet::EditorKey(const SheetKey& key) {
    switch (key.vk) {
        case vk::kReturn: CommitEditor(); break;
        case vk::kEscape: CancelEditor(); break;
        case vk::kUp:
        case vk::kDown:
            CommitEditor();
            MoveBy(0, key.vk == vk::kUp ? -1 : 1, false);
            break;
        case vk::kPageUp:
        case vk::kPageDown:
            CommitEditor();
            KeyDown(key);
            break;
        default: break;
    }
}

// --- Popup menu upkeep ------------------------------------------------------------------

std::string cuiSheet::CurrentPopupMenu() const {
    // A sheet without a selectable cell offers no commands.
    if (!enabled_ || cells_.empty() || current_.col < 0 || current_.row < 0 || current_.col >= colCount_ || current_.row >= rowCount_)
        return {};
    const std::string* name = EntryAt(current_.col, current_.row).cell.PopupMenuName();
    return name ? *name : std::string{};
}

void cuiSheet::UpdatePopup() {
    if (!focused_ || building_) return;
    const std::string name = CurrentPopupMenu();
    if (popupBuilt_ && name == popupName_) return;
    popupBuilt_ = true;
    popupName_ = name;
    site_.EditMenuCleared();
    if (!name.empty()) site_.EditMenuFilled(name);
    site_.CommandsChanged();
}

void cuiSheet::DropPopup() {
    if (!popupBuilt_) return;
    popupBuilt_ = false;
    popupName_.clear();
    site_.EditMenuCleared();
    site_.CommandsChanged();
}

// --- Redraws --------------------------------------------------------------------------------

void cuiSheet::Invalidate(std::int32_t col, std::int32_t row) {
    if (view_ && !building_) view_->InvalidateCell(col, row);
}

void cuiSheet::InvalidateAll() {
    if (view_ && !building_) view_->InvalidateAll();
}

void cuiSheet::RedrawCells(RedrawFilter filter, std::int32_t value) {
    if (!view_ || cells_.empty()) return;
    const std::int32_t lastRow = std::min(rowCount_ - 1, LastVisibleRow() + 1);
    const std::int32_t lastCol = std::min(colCount_ - 1, LastVisibleCol() + 1);
    for (std::int32_t r = 0; r <= lastRow; ++r) {
        for (std::int32_t c = 0; c <= lastCol; ++c) {
            const CellKey& k = cells_[static_cast<std::size_t>(r) * colCount_ + c].cell.key;
            const bool bound = k.id != kNoCellId;
            bool hit = false;
            switch (filter) {
                case RedrawFilter::Bound: hit = bound; break;
                case RedrawFilter::Category: hit = k.category == value; break;
                case RedrawFilter::CellId: hit = k.id == value; break;
                case RedrawFilter::Index: hit = bound && k.index == value; break;
                case RedrawFilter::IndexUpTo: hit = bound && k.index <= value; break;
                case RedrawFilter::IndexFrom: hit = bound && k.index >= value; break;
            }
            if (hit) view_->InvalidateCell(c, r);
        }
    }
}

// --- Drawing ---------------------------------------------------------------------------------

// Row-tracking cells share the look of the selectable cell they follow, once that one is
// shown selected: the highlight of the current cell runs on over them.
bool cuiSheet::RowTracked(std::int32_t col, std::int32_t row) const {
    if (row != current_.row) return false;
    for (std::int32_t c = col; c >= 0; --c) {
        const clsSheetCellId& e = cells_[static_cast<std::size_t>(row) * colCount_ + c];
        if (c != col && IsSelectable(c, row))
            return SheetPos{c, row} == current_ || (e.mayJoin && (e.selected || e.rowSelected));
        if (!e.cell.rowTracking) return false;
    }
    return false;
}

CellDrawing cuiSheet::Describe(std::int32_t col, std::int32_t row, Rect rect) {
    CellDrawing d;
    if (building_ || cells_.empty() || col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return d;
    if (ColWidth(col) < 1 || RowHeight(row) < 1) return d;

    // A continued cell is drawn as part of the nearest cell to its left without '+', and
    // the text spans every continuation to its right, so each part lays the text out alike.
    std::int32_t base = col;
    while (base > 0 && cells_[static_cast<std::size_t>(row) * colCount_ + base].cell.continuesLeft) {
        --base;
        rect.left -= ColWidth(base);
    }
    for (std::int32_t c = col + 1; c < colCount_ && cells_[static_cast<std::size_t>(row) * colCount_ + c].cell.continuesLeft;
         ++c)
        rect.right += ColWidth(c);
    const clsSheetCellId& entry = cells_[static_cast<std::size_t>(row) * colCount_ + base];
    const cmcCellObj& cell = entry.cell;

    const bool selected = SheetPos{base, row} == current_ || (entry.mayJoin && (entry.selected || entry.rowSelected)) ||
                          (cell.rowTracking && RowTracked(base, row));
    d.visible = true;
    d.left = rect.left, d.top = rect.top, d.right = rect.right, d.bottom = rect.bottom;
    d.font = cell.font ? *cell.font : basic_.font.value_or(cmcFont{});
    d.textColour = d.font.colour;
    if (printing_) {
        d.background = IsWindowOrWhite(cell.colour) ? kWhite : kPaperGrey;
        d.textColour = d.background == kWhite ? kBlack : kWhite;
    } else if (!selected || (editorOpen_ && editorCell_ == SheetPos{base, row})) {
        d.background = cell.colour;
    } else {
        d.background = (focused_ || framed_) ? ColourOf("clHighlight") : ColourOf("clBtnFace");
    }
    if (d.background != kWhite) d.fill = d.background;
    if (cell.bottomLine) {
        if (!IsWindowOrWhite(cell.colour)) d.bottomLine = kWhite;
        else d.bottomLine = printing_ ? kBlack : kLineGrey;
    }
    if (!printing_) {
        if (d.background == ColourOf("clHighlight")) d.textColour = ColourOf("clHightlightText");
        else if (d.background == ColourOf("clBtnFace") &&
                 (d.textColour == ColourOf("clBtnFace") || d.textColour == kSilver ||
                  d.textColour == ColourOf("clGrayText")))
            d.textColour = ColourOf("clWindow");
    }

    std::string text = cell.content.value_or("");
    if (cell.key.id != kNoCellId) {
        cmcCellCapsule request = Request(base, row, CellMode::Draw);
        request.displayText = cell.content.value_or(" ");
        Call(request);
        text = request.displayText;
        if (request.fontColour && !printing_) d.textColour = *request.fontColour;
        if (request.markFlags & kMarkFlagError) d.mark = CellDrawing::Mark::Error;
        else if (request.markFlags & kMarkFlagWarning) d.mark = CellDrawing::Mark::Warning;
    }

    // Each line is measured once: the extents place the block, then every line in it.
    const TextMetrics& metrics = Measure();
    struct Measured {
        std::string_view text;
        TextExtent extent;
    };
    std::vector<Measured> measured;
    std::int32_t blockHeight = 0;
    for (std::string_view rest = text;;) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        measured.push_back({line, metrics.MeasureLine(d.font, line)});
        blockHeight += measured.back().extent.height;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    std::int32_t y = rect.top + unit_;
    if (cell.vAlign == cmcCellObj::VAlign::Middle) y = rect.top + (rect.bottom + 1 - rect.top - blockHeight) / 2;
    else if (cell.vAlign == cmcCellObj::VAlign::Bottom) y = rect.bottom - blockHeight - unit_;
    std::int32_t textEnd = rect.left;
    d.lines.reserve(measured.size());
    for (const Measured& m : measured) {
        std::int32_t x = rect.left + kTextInset * unit_;
        if (cell.hAlign == cmcCellObj::HAlign::Centre) x = rect.left + (rect.right + 1 - rect.left - m.extent.width) / 2;
        else if (cell.hAlign == cmcCellObj::HAlign::Right) x = rect.right - m.extent.width - kTextInset * unit_ + 1;
        d.lines.push_back({x, y, std::string(m.text)});
        textEnd = std::max(textEnd, x + m.extent.width);
        y += m.extent.height;
    }
    if (d.mark != CellDrawing::Mark::None) {
        d.markY = rect.bottom - kMarkImageSize - 1;
        d.markX = cell.hAlign == cmcCellObj::HAlign::Right ? rect.left + kMarkImageSize / 8
                                                           : std::min(textEnd, rect.right - kMarkImageSize - 1);
    }
    return d;
}

cuiSheet::Rect PlaceChoiceList(const cuiSheet::Rect& cell, std::int32_t width, std::int32_t height,
                               const cuiSheet::Rect& screen) {
    height = std::min(height, screen.bottom - screen.top);
    std::int32_t top = cell.bottom;
    if (top + height > screen.bottom) top = std::max(screen.top, cell.top - height);
    const std::int32_t left = std::clamp(cell.left, screen.left, std::max(screen.left, screen.right - width));
    return {left, top, left + width, top + height};
}
