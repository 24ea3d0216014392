#include "ui/cuiGrid.h"

#include "app/cuiSheetHost.h"
#include "ui/UiColours.h"
#include "ui/UiFonts.h"
#include "values/KeyCodes.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

namespace vk = cellkey::vk;

namespace {

// How often the grid steps while the pointer is dragged beyond its edge.
constexpr int kDragScrollMs = 60;
constexpr int kWarningImage = 10;
constexpr int kErrorImage = 11;

// Builds the items of a popup menu; each action carries its path.
void AddItems(QMenu& menu, const std::vector<MenuItemModel>& items, ItemPath path) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItemModel& m = items[i];
        if (m.hidden) continue;
        path.push_back(static_cast<int>(i));
        if (m.caption == "-") {
            menu.addSeparator();
        } else if (!m.children.empty()) {
            QMenu* sub = menu.addMenu(QString::fromStdString(m.caption));
            AddItems(*sub, m.children, path);
        } else {
            QAction* a = menu.addAction(QString::fromStdString(m.caption));
            a->setShortcut(QKeySequence(QString::fromStdString(m.shortcut)));
            a->setEnabled(!m.disabled);
            a->setCheckable(m.checked);
            a->setChecked(m.checked);
            QVariantList p;
            for (int n : path) p.push_back(n);
            a->setData(p);
        }
        path.pop_back();
    }
}

}  // namespace

cuiGrid::cuiGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { scrolled(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { scrolled(); });

    editor_ = new QLineEdit(viewport());
    editor_->setFrame(false);
    editor_->setMaxLength(cuiSheet::kEditorMaxLength);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (sheet_) sheet_->SetEditorText(text.toStdString());
    });

    dragTimer_ = new QTimer(this);
    dragTimer_->setInterval(kDragScrollMs);
    connect(dragTimer_, &QTimer::timeout, this, [this] { dragScroll(); });
}

cuiGrid::~cuiGrid() {
    if (sheet_) sheet_->AttachView(nullptr);
}

void cuiGrid::setSheet(cuiSheet* sheet, cuiSheetHost* host) {
    if (sheet_ && sheet_ != sheet) sheet_->AttachView(nullptr);
    closingEditor_ = true;
    editor_->hide();
    closingEditor_ = false;
    dragTimer_->stop();
    sheet_ = sheet;
    host_ = host;
    if (sheet_) {
        sheet_->AttachView(this);
        sheet_->SetViewport(viewport()->width(), viewport()->height());
        viewport()->setMouseTracking(sheet_->Framed());
        setEnabled(sheet_->Enabled());
        sheet_->SetFocus(hasFocus());
    }
    updateScrollBars();
    viewport()->update();
}

// --- What the sheet asks ---------------------------------------------------------------------

void cuiGrid::InvalidateCell(std::int32_t col, std::int32_t row) {
    if (!sheet_) return;
    if (auto r = sheet_->CellRect(col, row)) viewport()->update(QRect(r->left, r->top, r->right - r->left, r->bottom - r->top));
}

void cuiGrid::InvalidateAll() { viewport()->update(); }

void cuiGrid::PositionChanged() {
    updateScrollBars();
    viewport()->update();
    emit titleChanged();
}

void cuiGrid::RepaintNow() { viewport()->repaint(); }

void cuiGrid::CloseHostWindow() {
    if (window() != this && window()->isWindow() && sheet_ && sheet_->Framed()) window()->hide();
}

// --- Selection lists --------------------------------------------------------------------------

ChoicePopup::ChoicePopup(cuiGrid& owner) : QFrame(&owner, Qt::Popup | Qt::FramelessWindowHint), owner_(owner) {
    // The framed sheet's panel: a raised bevel of width 1 inside a border of 2.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    grid_ = new cuiGrid(this);
    // As small as the list: a scroll area would ask for room for its scroll bars.
    grid_->setMinimumSize(1, 1);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(grid_);
}

void ChoicePopup::hideEvent(QHideEvent* e) {
    QFrame::hideEvent(e);
    // Still showing its list: closed from outside (a click elsewhere), not by a pick.
    if (grid_->sheet() && owner_.sheet()) owner_.sheet()->DismissChoiceList();
}

QWidget* cuiGrid::choicePopup() const { return choicePopup_; }

cuiGrid* cuiGrid::choiceGrid() const { return choicePopup_ ? choicePopup_->grid() : nullptr; }

bool cuiGrid::ShowChoiceList(cuiSheet& list, std::int32_t col, std::int32_t row) {
    const auto cell = sheet_ ? sheet_->CellRect(col, row) : std::nullopt;
    if (!cell) return false;
    if (!choicePopup_) choicePopup_ = new ChoicePopup(*this);
    ChoicePopup& popup = *choicePopup_;
    const int frame = 2 * (popup.frameWidth() + popup.layout()->contentsMargins().left());
    const int cellWidth = cell->right - cell->left;
    // The sheet layer places the list; here only the cell and the screen are measured.
    const QPoint topLeft = viewport()->mapToGlobal(QPoint(cell->left, cell->top));
    const QPoint bottomRight = viewport()->mapToGlobal(QPoint(cell->right, cell->bottom));
    const QRect screen =
        (QApplication::screenAt(topLeft) ? QApplication::screenAt(topLeft) : this->screen())->availableGeometry();
    const cuiSheet::Rect placed =
        PlaceChoiceList({topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()},
                        std::max(list.TotalWidth(), cellWidth) + frame, list.TotalHeight() + frame,
                        {screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1});
    popup.setGeometry(QRect(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top));
    popup.grid()->setSheet(&list);
    popup.show();
    popup.grid()->setFocus(Qt::PopupFocusReason);
    return true;
}

QLabel* cuiGrid::makeTitle(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(2);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    label->hide();
    return label;
}

void cuiGrid::showTitle(QLabel& label, const cuiSheet* sheet) {
    const std::string title = sheet ? sheet->Title() : std::string{};
    label.setVisible(!title.empty());
    if (title.empty()) return;
    const SheetStyle& style = sheet->Style();
    const cmcFont font = style.titleFont.value_or(cmcFont{});
    label.setFont(ToQFont(font, QApplication::font()));
    QPalette pal = label.palette();
    pal.setColor(QPalette::Window, ToQColor(style.titleColour));
    pal.setColor(QPalette::WindowText, ToQColor(sheet->TitleTextColour().value_or(font.colour)));
    label.setPalette(pal);
    label.setText(QString::fromStdString(title));
    // The label's text height, the bevel and 8 pixels of room.
    label.setFixedHeight(label.fontMetrics().height() + 2 + 8);
}

void cuiGrid::EditorChanged() {
    if (!sheet_ || !sheet_->EditorOpen()) {
        const bool hadFocus = editor_->hasFocus();
        closingEditor_ = true;
        editor_->hide();
        closingEditor_ = false;
        if (hadFocus) setFocus();
        return;
    }
    const SheetPos at = sheet_->EditorCell();
    const auto rect = sheet_->CellRect(at.col, at.row);
    if (!rect) return;
    const cmcCellObj& cell = sheet_->CellAt(at.col, at.row);
    const cmcFont font = cell.font ? *cell.font : sheet_->BasicCell().font.value_or(cmcFont{});
    // One line of the cell's font, at the cell's vertical alignment when the cell is taller.
    const int height = metrics_.MetricsOf(font).boundingRect(QStringLiteral("A")).height() + 4;
    const int cellHeight = rect->bottom - rect->top;
    int top = rect->top;
    if (cellHeight > height) {
        if (cell.vAlign == cmcCellObj::VAlign::Middle) top += (cellHeight - height) / 2;
        else if (cell.vAlign == cmcCellObj::VAlign::Bottom) top = rect->bottom - height;
    }
    editor_->setFont(metrics_.FontOf(font));
    editor_->setGeometry(rect->left, top, rect->right - rect->left, std::min(height, cellHeight));
    const QString text = QString::fromStdString(sheet_->EditorText());
    if (editor_->text() != text) editor_->setText(text);
    editor_->setSelection(sheet_->EditorSelStart(), sheet_->EditorSelLength());
    editor_->show();
    editor_->setFocus();
}

// --- Painting -------------------------------------------------------------------------------

void cuiGrid::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    paintCells(p, e->rect());
}

void cuiGrid::paintTo(QPaintDevice& device) {
    QPainter p(&device);
    paintCells(p, QRect(0, 0, device.width(), device.height()));
}

void cuiGrid::paintCells(QPainter& p, const QRect& area) {
    cellsPainted_ = 0;
    if (!sheet_) {
        p.fillRect(area, palette().color(QPalette::Window));
        return;
    }
    p.fillRect(area, ToQColor(sheet_->BasicCell().colour));
    const int width = viewport()->width() > 0 ? std::max(area.right() + 1, viewport()->width()) : area.right() + 1;
    const int height = viewport()->height() > 0 ? std::max(area.bottom() + 1, viewport()->height()) : area.bottom() + 1;

    // The visible columns and rows with their edges: the fixed ones, then from the scroll position.
    struct Span {
        std::int32_t index, from, to;
    };
    auto spans = [](std::int32_t fixed, std::int32_t first, std::int32_t count, int limit, auto size) {
        std::vector<Span> out;
        std::int32_t edge = 0;
        for (std::int32_t i = 0; i < count && edge < limit; ++i) {
            if (i >= fixed && i < first) continue;
            out.push_back({i, edge, edge + size(i)});
            edge += size(i);
        }
        return out;
    };
    const auto cols = spans(sheet_->FixedCols(), sheet_->LeftCol(), sheet_->ColCount(), width,
                            [&](std::int32_t c) { return sheet_->ColWidth(c); });
    const auto rows = spans(sheet_->FixedRows(), sheet_->TopRow(), sheet_->RowCount(), height,
                            [&](std::int32_t r) { return sheet_->RowHeight(r); });

    const QFont* lastFont = nullptr;
    for (const Span& r : rows) {
        if (r.to <= area.top() || r.from > area.bottom()) continue;
        for (const Span& c : cols) {
            if (c.to <= area.left() || c.from > area.right()) continue;
            const CellDrawing d = sheet_->Describe(c.index, r.index, {c.from, r.from, c.to, r.from + (r.to - r.from)});
            ++cellsPainted_;
            if (!d.visible) continue;
            p.setClipRect(QRect(c.from, r.from, c.to - c.from, r.to - r.from));
            const QRect span(d.left, d.top, d.right - d.left, d.bottom - d.top);
            p.fillRect(span, d.fill ? ToQColor(*d.fill) : QColor(Qt::white));
            if (d.bottomLine) {
                p.setPen(ToQColor(*d.bottomLine));
                p.drawLine(d.left, d.bottom - 1, d.right - 1, d.bottom - 1);
            }
            const QFont& font = metrics_.FontOf(d.font);
            if (&font != lastFont) {
                p.setFont(font);
                lastFont = &font;
            }
            const int ascent = metrics_.MetricsOf(d.font).ascent();
            p.setPen(ToQColor(d.textColour));
            for (const CellDrawing::Line& line : d.lines)
                p.drawText(line.x, line.y + ascent, QString::fromStdString(line.text));
            if (d.mark != CellDrawing::Mark::None) {
                const std::size_t image = d.mark == CellDrawing::Mark::Error ? kErrorImage : kWarningImage;
                if (image < images_.size()) {
                    const int size = cuiSheet::kMarkImageSize;
                    images_[image].paint(&p, QRect(d.markX, d.markY, size, size));
                }
            }
        }
    }
}

// --- Scrolling ------------------------------------------------------------------------------

void cuiGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (sheet_) sheet_->SetViewport(viewport()->width(), viewport()->height());
    updateScrollBars();
}

void cuiGrid::updateScrollBars() {
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    if (!sheet_) {
        v->setRange(0, 0);
        h->setRange(0, 0);
    } else {
        v->setRange(sheet_->FixedRows(), sheet_->MaxTopRow());
        v->setPageStep(std::max(1, sheet_->LastVisibleRow() - sheet_->TopRow()));
        v->setValue(sheet_->TopRow());
        h->setRange(sheet_->FixedCols(), sheet_->MaxLeftCol());
        h->setPageStep(std::max(1, sheet_->LastVisibleCol() - sheet_->LeftCol()));
        h->setValue(sheet_->LeftCol());
        sheet_->SetScrollBars(v->maximum() > v->minimum() || h->maximum() > h->minimum());
    }
    syncing_ = false;
}

void cuiGrid::scrolled() {
    if (syncing_ || !sheet_) return;
    sheet_->ScrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (sheet_->EditorOpen()) EditorChanged();
}

// --- Keys, focus and the mouse -------------------------------------------------------------

SheetKey cuiGrid::toSheetKey(const QKeyEvent* e) {
    SheetKey k;
    k.shift = e->modifiers() & Qt::ShiftModifier;
    k.ctrl = e->modifiers() & Qt::ControlModifier;
    k.alt = e->modifiers() & Qt::AltModifier;
    switch (e->key()) {
        case Qt::Key_PageUp: k.vk = vk::kPageUp; return k;
        case Qt::Key_PageDown: k.vk = vk::kPageDown; return k;
        case Qt::Key_Home: k.vk = vk::kHome; return k;
        case Qt::Key_End: k.vk = vk::kEnd; return k;
        case Qt::Key_Left: k.vk = vk::kLeft; return k;
        case Qt::Key_Right: k.vk = vk::kRight; return k;
        case Qt::Key_Up: k.vk = vk::kUp; return k;
        case Qt::Key_Down: k.vk = vk::kDown; return k;
        case Qt::Key_Return:
        case Qt::Key_Enter: k.ch = cellkey::kEnter; return k;
        case Qt::Key_Escape: k.ch = cellkey::kEscape; return k;
        case Qt::Key_Backspace: k.ch = cellkey::kBackspace; return k;
        default: break;
    }
    if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F12) {
        k.vk = vk::kF1 + (e->key() - Qt::Key_F1);
        return k;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() >= 0x20) k.ch = static_cast<std::int32_t>(text.toUcs4().value(0));
    return k;
}

void cuiGrid::keyPressEvent(QKeyEvent* e) {
    if (!sheet_) return QAbstractScrollArea::keyPressEvent(e);
    const SheetKey k = toSheetKey(e);
    if (k.vk == 0 && k.ch == 0) return QAbstractScrollArea::keyPressEvent(e);
    sheet_->KeyDown(k);
}

bool cuiGrid::eventFilter(QObject* watched, QEvent* e) {
    if (watched != editor_ || !sheet_) return QAbstractScrollArea::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        SheetKey k;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: k.vk = vk::kReturn; break;
            case Qt::Key_Escape: k.vk = vk::kEscape; break;
            case Qt::Key_Up: k.vk = vk::kUp; break;
            case Qt::Key_Down: k.vk = vk::kDown; break;
            case Qt::Key_PageUp: k.vk = vk::kPageUp; break;
            case Qt::Key_PageDown: k.vk = vk::kPageDown; break;
            default: return false;
        }
        sheet_->SetEditorText(editor_->text().toStdString());
        sheet_->EditorKey(k);
        return true;
    }
    if (e->type() == QEvent::FocusOut && !closingEditor_ && sheet_->EditorOpen()) {
        // Leaving the editor commits its text.
        sheet_->SetEditorText(editor_->text().toStdString());
        sheet_->CommitEditor();
    }
    return false;
}

void cuiGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (sheet_) sheet_->SetFocus(true);
}

void cuiGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    // The in-place editor is part of the grid; its popup menu stays while it edits.
    if (sheet_ && QApplication::focusWidget() != editor_) sheet_->SetFocus(false);
}

SheetPos cuiGrid::cellAt(const QPoint& pos) const { return sheet_ ? sheet_->CellAtPoint(pos.x(), pos.y()) : SheetPos{}; }

void cuiGrid::mousePressEvent(QMouseEvent* e) {
    if (!sheet_) return;
    setFocus(Qt::MouseFocusReason);
    const SheetPos at = cellAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        sheet_->MouseDown(at.col, at.row, e->modifiers() & Qt::ShiftModifier);
    } else if (e->button() == Qt::RightButton) {
        sheet_->RightClick(at.col, at.row);
        showPopup(e->globalPosition().toPoint());
    }
}

void cuiGrid::mouseMoveEvent(QMouseEvent* e) {
    if (!sheet_) return;
    const QPoint pos = e->position().toPoint();
    if (!(e->buttons() & Qt::LeftButton)) {
        const SheetPos at = cellAt(pos);
        if (at.col >= 0) sheet_->Hover(at.col, at.row);
        return;
    }
    dragPos_ = pos;
    if (viewport()->rect().contains(pos)) {
        dragTimer_->stop();
        const SheetPos at = cellAt(pos);
        if (at.col >= 0) sheet_->SelectAt(at.col, at.row, true);
    } else if (!dragTimer_->isActive()) {
        dragScroll();
        dragTimer_->start();
    }
}

// Beyond an edge while dragging: one step in each direction the pointer lies.
void cuiGrid::dragScroll() {
    if (!sheet_ || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        dragTimer_->stop();
        return;
    }
    const QRect r = viewport()->rect();
    const int dx = dragPos_.x() < r.left() ? -1 : (dragPos_.x() > r.right() ? 1 : 0);
    const int dy = dragPos_.y() < r.top() ? -1 : (dragPos_.y() > r.bottom() ? 1 : 0);
    if (dx) sheet_->MoveBy(dx, 0, true);
    if (dy) sheet_->MoveBy(0, dy, true);
}

void cuiGrid::mouseReleaseEvent(QMouseEvent* e) {
    dragTimer_->stop();
    if (!sheet_ || e->button() != Qt::LeftButton) return;
    const SheetPos at = cellAt(e->position().toPoint());
    sheet_->MouseUp(at.col, at.row);
}

void cuiGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!sheet_ || e->button() != Qt::LeftButton) return;
    const SheetPos at = cellAt(e->position().toPoint());
    sheet_->DoubleClick(at.col, at.row);
}

void cuiGrid::showPopup(const QPoint& global) {
    if (!host_) return;
    const std::vector<MenuItemModel> items = host_->PopupModel(sheet_);
    if (items.empty()) return;
    QMenu menu(this);
    AddItems(menu, items, {});
    QAction* chosen = popupRunner_ ? popupRunner_(menu, global) : menu.exec(global);
    if (!chosen || !chosen->data().isValid()) return;
    ItemPath path;
    for (const QVariant& v : chosen->data().toList()) path.push_back(v.toInt());
    host_->PopupClick(path);
}
