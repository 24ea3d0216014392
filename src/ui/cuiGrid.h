#pragma once
// The sheet grid: one owner-drawn widget that paints a core sheet and hands it what the
// user does. It pulls: when it paints, it asks the sheet how each visible cell looks, so
// only visible cells are asked for their text; the sheet asks it to repaint what changed.

#include "sheets/cuiSheet.h"
#include "ui/QtTextMetrics.h"

#include <QAbstractScrollArea>
#include <QIcon>
#include <QPoint>

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class cuiSheetHost;
class ChoicePopup;

class cuiGrid : public QAbstractScrollArea, public cuiSheetView {
    Q_OBJECT

public:
    explicit cuiGrid(QWidget* parent = nullptr);
    ~cuiGrid() override;

    // Shows a sheet (null: none). Popup menus come from the host, when there is one.
    void setSheet(cuiSheet* sheet, cuiSheetHost* host = nullptr);
    cuiSheet* sheet() const { return sheet_; }
    // The images of error and warning marks (the tree's image list: 10 warning, 11 error).
    void setMarkImages(std::vector<QIcon> images) { images_ = std::move(images); }
    const QtTextMetrics& metrics() const { return metrics_; }
    QLineEdit* editor() const { return editor_; }
    // Cells asked for their look by the last paint (for tests and the benchmark).
    int cellsPainted() const { return cellsPainted_; }
    // Runs a popup menu and returns the chosen action (tests replace the modal run).
    using PopupRunner = std::function<QAction*(QMenu& menu, const QPoint& global)>;
    void setPopupRunner(PopupRunner runner) { popupRunner_ = std::move(runner); }
    // Paints the whole viewport into `device` (the benchmark's off-screen target).
    void paintTo(QPaintDevice& device);
    // The popup window of selection lists opened at this grid's cells (null until the
    // first), and the grid inside it.
    QWidget* choicePopup() const;
    cuiGrid* choiceGrid() const;
    // A sheet's title line: a sunken label above the grid, hidden until a sheet with a title
    // is shown in it.
    static QLabel* makeTitle(QWidget* parent);
    // Shows a sheet's title line in `label` (hidden when the sheet has none).
    static void showTitle(QLabel& label, const cuiSheet* sheet);

    // cuiSheetView
    void InvalidateCell(std::int32_t col, std::int32_t row) override;
    void InvalidateAll() override;
    void PositionChanged() override;
    void EditorChanged() override;
    void RepaintNow() override;
    void CloseHostWindow() override;
    bool ShowChoiceList(cuiSheet& list, std::int32_t col, std::int32_t row) override;
    void SheetGone() override { setSheet(nullptr); }

signals:
    // The sheet's title may have changed.
    void titleChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void scrollContentsBy(int, int) override {}
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab stays a key of the sheet

private:
    void paintCells(QPainter& p, const QRect& area);
    void updateScrollBars();
    void scrolled();
    void showPopup(const QPoint& global);
    void dragScroll();
    SheetPos cellAt(const QPoint& pos) const;
    static SheetKey toSheetKey(const QKeyEvent* e);

    cuiSheet* sheet_ = nullptr;
    cuiSheetHost* host_ = nullptr;
    QtTextMetrics metrics_;
    std::vector<QIcon> images_;
    QLineEdit* editor_ = nullptr;
    QTimer* dragTimer_ = nullptr;
    QPoint dragPos_;
    bool syncing_ = false;   // scroll bars are being set from the sheet
    bool closingEditor_ = false;
    int cellsPainted_ = 0;
    PopupRunner popupRunner_;
    ChoicePopup* choicePopup_ = nullptr;
};

// The frameless popup window a selection list opens in, anchored at its cell: a raised
// bevel around the list's grid. Closing it without a pick (a click outside it) tells the
// sheet whose cell opened it.
class ChoicePopup : public QFrame {
    Q_OBJECT

public:
    explicit ChoicePopup(cuiGrid& owner);
    cuiGrid* grid() const { return grid_; }

protected:
    void hideEvent(QHideEvent* e) override;

private:
    cuiGrid& owner_;
    cuiGrid* grid_;
};
