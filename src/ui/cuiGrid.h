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
class QLineEdit;
class QMenu;
class QTimer;
class cuiSheetHost;

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

    // cuiSheetView
    void InvalidateCell(std::int32_t col, std::int32_t row) override;
    void InvalidateAll() override;
    void PositionChanged() override;
    void EditorChanged() override;
    void RepaintNow() override;
    void CloseHostWindow() override;
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
};
