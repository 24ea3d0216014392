#include "sheets/cuiSheet.h"

#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"
#include "platform/Scheduler.h"
#include "values/ProcessCell.h"

#include <algorithm>
#include <cstdio>

namespace {

// Measured texts get this much room around them, in units.
constexpr std::int32_t kWidthPad = 8;
constexpr std::int32_t kHeightPad = 2;

// A line is "a row" unless it begins with '#' (the end) or ':' (directives).
bool EndsRows(const std::string& line) { return !line.empty() && line[0] == '#'; }

}  // namespace

cuiSheet::cuiSheet(cuiSheetSite& site, cmcGTex& store, std::string name, CellId initialId, std::int32_t initialIndex,
                   const cmcCellCapsule* context)
    : site_(site), store_(store), name_(std::move(name)), context_(context) {
    initial_.id = initialId;
    initial_.index = initialIndex;
}

cuiSheet::~cuiSheet() {
    if (view_) view_->SheetGone();
}

void cuiSheet::SetParameter(const std::string& text) { parameter_ = text; }

void cuiSheet::SetPrinter(std::int32_t verticalDpi, const TextMetrics* printerMetrics) {
    printing_ = true;
    unit_ = std::max(1, verticalDpi / 120);
    printerMetrics_ = printerMetrics;
}

void cuiSheet::SetPosition(std::int32_t col, std::int32_t row, std::int32_t leftCol, std::int32_t topRow) {
    saved_ = {col, row, leftCol, topRow};
}

const TextMetrics& cuiSheet::Measure() const {
    static const FixedTextMetrics fallback;
    if (printing_ && printerMetrics_) return *printerMetrics_;
    return metrics_ ? *metrics_ : fallback;
}

// --- Show and build ----------------------------------------------------------------------

void cuiSheet::Show() {
    if (!callback_) {
        callback_ = [this](cmcCellCapsule& request) {
            CellContext* cells = site_.Cells();
            return cells ? ProcessCell(*cells, request) : CellResult::None;
        };
    }
    Build();

    const SheetPosition s = saved_;
    const bool savedInside = s.col >= 0 && s.row >= 0 && s.col < colCount_ && s.row < rowCount_ && s.leftCol >= 0 &&
                             s.topRow >= 0 && s.leftCol < colCount_ && s.topRow < rowCount_;
    if (!savedInside && initial_.id != 0) {
        if (auto found = FindCell(initial_)) MakeCurrent(*found, false, false);
    } else if (savedInside && IsSelectable(s.col, s.row)) {
        leftCol_ = std::max(s.leftCol, fixedCols_);
        topRow_ = std::max(s.topRow, fixedRows_);
        current_ = remembered_ = anchor_ = {s.col, s.row};
    }
    enabled_ = IsSelectable(current_.col, current_.row);
    InvalidateAll();
    if (view_) view_->PositionChanged();
    site_.CurrentCellChanged(CellAt(current_.col, current_.row).key);
    UpdatePopup();
}

void cuiSheet::Build() {
    building_ = true;
    ForEachGroup(store_.GetLine(name_ + "_Style", 0), [&](std::string_view g) { StyleKeyword(g); });
    BuildCells();
    fixedCols_ = std::clamp(style_.fixedCols, 0, colCount_ - 1);
    fixedRows_ = std::clamp(style_.fixedRows, 0, rowCount_ - 1);
    leftCol_ = fixedCols_;
    topRow_ = fixedRows_;
    // Start at the first movable cell and let the four moves settle on a selectable one
    // nearby, if there is one.
    current_ = remembered_ = anchor_ = {fixedCols_, fixedRows_};
    for (auto [dx, dy] : {std::pair{0, 1}, {0, -1}, {1, 0}, {-1, 0}}) {
        const SheetPos to = Step(current_, dx, dy);
        current_ = remembered_ = anchor_ = to;
    }
    leftCol_ = fixedCols_;
    topRow_ = fixedRows_;
    KeepVisible();
    building_ = false;
}

void cuiSheet::StyleKeyword(std::string_view group) { ApplyStyleKeyword(style_, group); }

void cuiSheet::BuildCells() {
    BuildBasicCell();
    LayoutRows(name_ + "_Cells");
    colCount_ = widest_;
    if (colCount_ == 0 || rowCount_ == 0) platform::fatalStop("Illegal Cell assign");
    AllocateCells(rowCount_);
    FillCells(name_ + "_Cells");
}

void cuiSheet::BuildBasicCell() {
    std::string text = store_.GetLine(name_ + "_BasicCell", 0);
    char font[48];
    if (fontHeight_ != 0) {
        std::snprintf(font, sizeof font, "{(Font=,,,%d,,,)}", static_cast<int>(fontHeight_));
    } else {
        std::snprintf(font, sizeof font, "{(Font=,,,%%%d,,,)}", static_cast<int>(site_.FontSizePercentage()));
    }
    text += font;
    if (printing_ && style_.printFontRatio != 100) {
        std::snprintf(font, sizeof font, "{(Font=,,,%%%d,,,)}", static_cast<int>(style_.printFontRatio));
        text += font;
    }
    ParseCell(basic_, text, &counters_, nullptr);
}

void cuiSheet::AppendRow(std::int32_t line, bool multiSelect) {
    if (rowCount_ >= static_cast<std::int32_t>(rows_.size())) {
        // New entries take part in multiple selection until a directive says otherwise.
        rows_.resize(rows_.size() + rows_.size() / 2 + 1);
    }
    rows_[static_cast<std::size_t>(rowCount_)] = {line, multiSelect};
    ++rowCount_;
}

void cuiSheet::SetRowMultiSelect(std::int32_t index, bool on) {
    if (index < 0) return;
    if (index >= static_cast<std::int32_t>(rows_.size())) rows_.resize(static_cast<std::size_t>(index) + 1);
    rows_[static_cast<std::size_t>(index)].multiSelect = on;
}

void cuiSheet::LayoutRows(const std::string& key) {
    skip_ = 0;
    loopStart_ = loopEnd_ = loopCount_ = -1;
    loopRows_ = 0;
    multiSelectFlag_ = true;
    widest_ = 0;
    for (std::int32_t n = 0;; ++n) {
        const std::string line = store_.GetLine(key, n);
        line_ = n;
        if (EndsRows(line)) break;
        if (skip_ > 0) {
            --skip_;
            continue;
        }
        if (!line.empty() && line[0] == ':') {
            ForEachGroup(line, [&](std::string_view g) { RowDirective(g); });
            if (loopStart_ >= 0 && loopEnd_ >= 0 && loopCount_ > 0) CloseLoop();
            continue;
        }
        cmcCellObj counted;
        std::int32_t cells = 0;
        for (std::string_view rest = line;;) {
            rest = ParseCell(counted, rest, nullptr, &basic_, true);
            ++cells;
            if (rest.empty()) break;
        }
        widest_ = std::max(widest_, cells);
        AppendRow(n, perRowMultiSelect_ ? multiSelectFlag_ : true);
        if (loopStart_ >= 0 && loopEnd_ < 0) ++loopRows_;
        else loopRows_ = 0;
    }
}

// The body is the rows counted since "LoopFrom": the lines that directly follow it.
void cuiSheet::CloseLoop() {
    for (std::int32_t copy = 1; copy < loopCount_; ++copy) {
        for (std::int32_t l = loopStart_ + 1; l <= loopStart_ + loopRows_; ++l)
            AppendRow(l, perRowMultiSelect_ ? multiSelectFlag_ : true);
    }
    loopStart_ = loopEnd_ = loopCount_ = -1;
    loopRows_ = 0;
}

void cuiSheet::RowDirective(std::string_view group) {
    if (auto d = ParseRowDirective(group, false)) ApplyDirective(*d);
}

void cuiSheet::ApplyDirective(const struct RowDirective& d) {
    switch (d.kind) {
        case RowDirectiveKind::LoopFrom:
            loopStart_ = line_;
            loopEnd_ = -1;
            loopCount_ = std::max<std::int32_t>(1, d.count.value_or(1));
            loopRows_ = 0;
            break;
        case RowDirectiveKind::LoopTo: loopEnd_ = line_; break;
        case RowDirectiveKind::SelectOn: multiSelectFlag_ = true; break;
        case RowDirectiveKind::SelectOff: multiSelectFlag_ = false; break;
        default: skip_ = LinesSkipped(d, site_.Conditions()); break;
    }
}

void cuiSheet::AllocateCells(std::int32_t rows) {
    arrayRows_ = rows;
    cells_.assign(static_cast<std::size_t>(colCount_) * static_cast<std::size_t>(rows), clsSheetCellId{});
    colWidths_.assign(static_cast<std::size_t>(colCount_), unit_);
    rowHeights_.assign(static_cast<std::size_t>(rowCount_), unit_);
}

void cuiSheet::CopyRowBelow(std::int32_t row) {
    for (std::int32_t c = 0; c < colCount_; ++c) {
        clsSheetCellId& to = cells_[static_cast<std::size_t>(row) * colCount_ + c];
        to.cell = cells_[static_cast<std::size_t>(row - 1) * colCount_ + c].cell;
        ++to.cell.key.index;
    }
}

void cuiSheet::FillCells(const std::string& key) {
    const bool multi = style_.multiSelect != MultiSelect::Off;
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        BeforeRow(r);
        const std::int32_t line = rows_[static_cast<std::size_t>(r)].line;
        if (r > 0 && line == rows_[static_cast<std::size_t>(r - 1)].line) {
            // A one-line loop body: the row above with every index one higher.
            CopyRowBelow(r);
            rowHeights_[static_cast<std::size_t>(r)] = rowHeights_[static_cast<std::size_t>(r - 1)];
        } else {
            const std::string text = store_.GetLine(key, line);
            std::string_view rest = text;
            for (std::int32_t c = 0; c < colCount_; ++c) {
                BeforeCell(c, r);
                cmcCellObj& cell = cells_[static_cast<std::size_t>(r) * colCount_ + c].cell;
                rest = ParseCell(cell, rest, &counters_, &basic_);
                cell.counters = nullptr;
                SizeCell(cell, c, r);
                if (rest.empty()) break;
            }
        }
        for (std::int32_t c = 0; c < colCount_; ++c) {
            clsSheetCellId& e = cells_[static_cast<std::size_t>(r) * colCount_ + c];
            e.mayJoin = multi && rows_[static_cast<std::size_t>(r)].multiSelect;
            if (!e.cell.selectable) continue;
            if (firstSelectable_.col < 0 || c < firstSelectable_.col) firstSelectable_.col = c;
            if (firstSelectable_.row < 0 || r < firstSelectable_.row) firstSelectable_.row = r;
        }
    }
}

void cuiSheet::SizeCell(const cmcCellObj& cell, std::int32_t col, std::int32_t row) {
    if (!cell.autoWidth && !cell.autoHeight) return;
    const cmcFont& font = cell.font ? *cell.font : basic_.font.value_or(cmcFont{});
    const TextExtent e = MeasureText(Measure(), font, cell.content.value_or(""));
    std::int32_t& width = colWidths_[static_cast<std::size_t>(col)];
    std::int32_t& height = rowHeights_[static_cast<std::size_t>(row)];
    if (cell.autoWidth) width = std::max(width, e.width + kWidthPad * unit_);
    if (cell.autoHeight) height = std::max(height, e.height + kHeightPad * unit_);
}

void cuiSheet::SetRowCount(std::int32_t rows) {
    rows = std::clamp(rows, fixedRows_ + 1, arrayRows_);
    if (rows == rowCount_) return;
    const std::int32_t height = rowHeights_.empty() ? unit_ : rowHeights_.back();
    // An editor on a row that goes away closes without handing its text to a cell that
    // is no longer shown.
    if (editorOpen_ && editorCell_.row >= rows) CancelEditor();
    rowHeights_.resize(static_cast<std::size_t>(rows), height);
    rowCount_ = rows;
    if (anchor_.row >= rowCount_) anchor_ = current_;
    if (current_.row >= rowCount_) MakeCurrent({current_.col, rowCount_ - 1}, false);
    topRow_ = std::min(topRow_, MaxTopRow());
    InvalidateAll();
    if (view_) view_->PositionChanged();
}

// --- Cells -------------------------------------------------------------------------------

clsSheetCellId& cuiSheet::EntryAt(std::int32_t col, std::int32_t row) {
    if (cells_.empty() || col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        platform::fatalStop("Illegal Cell selection");
    return cells_[static_cast<std::size_t>(row) * colCount_ + col];
}

const clsSheetCellId& cuiSheet::EntryAt(std::int32_t col, std::int32_t row) const {
    return const_cast<cuiSheet*>(this)->EntryAt(col, row);
}

cmcCellObj& cuiSheet::CellAt(std::int32_t col, std::int32_t row) { return EntryAt(col, row).cell; }

bool cuiSheet::IsSelectable(std::int32_t col, std::int32_t row) const {
    if (col < fixedCols_ || row < fixedRows_ || col >= colCount_ || row >= rowCount_) return false;
    return cells_[static_cast<std::size_t>(row) * colCount_ + col].cell.selectable;
}

std::optional<SheetPos> cuiSheet::FindCell(const CellKey& key) const {
    for (std::int32_t r = 0; r < rowCount_; ++r) {
        for (std::int32_t c = 0; c < colCount_; ++c) {
            const cmcCellObj& cell = cells_[static_cast<std::size_t>(r) * colCount_ + c].cell;
            if (IsSelectable(c, r) && cell.key.id == key.id && cell.key.index == key.index &&
                (key.category == kNoCategory || cell.key.category == key.category))
                return SheetPos{c, r};
        }
    }
    return std::nullopt;
}

std::int32_t cuiSheet::TotalWidth() const {
    std::int32_t w = 0;
    for (std::int32_t x : colWidths_) w += x;
    return w;
}

std::int32_t cuiSheet::TotalHeight() const {
    std::int32_t h = 0;
    for (std::int32_t r = 0; r < rowCount_; ++r) h += rowHeights_[static_cast<std::size_t>(r)];
    return h;
}

std::int32_t cuiSheet::NeededWidth(std::int32_t parentMinusClient) const { return TotalWidth() + parentMinusClient; }
std::int32_t cuiSheet::NeededHeight(std::int32_t parentMinusClient) const { return TotalHeight() + parentMinusClient; }
