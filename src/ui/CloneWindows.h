#pragma once
// The clone commands' windows in Qt: the progress window (32 cells, with Cancel while a
// read runs), the COM port selection dialog, and the sheet windows of the Clone
// Information and the measured values. Each renders a view model of the controller and
// hands the user's answers back.

#include "app/CloneView.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QPushButton;

// The paint area of the progress window: 256 x 16 pixels of 32 cells.
class CloneProgressArea : public QWidget {
public:
    explicit CloneProgressArea(QWidget* parent);
    void setProgress(const CloneProgress& p);
    int paints() const { return paints_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    CloneProgress progress_;
    int paints_ = 0;
};

class MainEvents;
class QLabel;
class cuiGrid;

// What a sheet window shows: one sheet of the overlay in a panel, with Close and (when it
// has a text) Update.
struct SheetWindowView {
    std::string caption, updateText, closeText;
    cuiSheet* sheet = nullptr;
    cuiSheetHost* host = nullptr;      // answers the sheet's popup menus
    std::optional<WinRect> placement;  // the stored size and position, if any
    bool fitHeight = false;            // as high as the sheet (up to 3/4 of the screen)
};

// A window beside the main window that shows one sheet: the measured values (with Update;
// closing is refused while a transfer runs) and the Clone Information.
class SheetWindow : public QDialog {
public:
    // `update` empty: no Update button. `close` is asked before the window closes.
    using CloseQuery = std::function<bool(const WinRect&)>;
    SheetWindow(QWidget* owner, std::function<void()> update, CloseQuery close);
    void show(const SheetWindowView& view);
    cuiGrid* grid() const { return grid_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override { close(); }

private:
    CloseQuery closeQuery_;
    QLabel* title_;
    cuiGrid* grid_;
    QPushButton* update_;
    QPushButton* close_;
    bool placed_ = false;
};

class CloneWindows : public CloneView {
public:
    // The user's answers (Cancel, Update, Close) go to `events`.
    CloneWindows(QWidget* owner, MainEvents& events);
    ~CloneWindows() override;

    void showProgress(const CloneProgressModel& model) override;
    void hideProgress() override;
    void askComPort(const ComPortDialogModel& model, const std::function<bool(const std::string&)>& accept) override;
    void showCloneInformation(const CloneInfoModel& model) override;
    void showMeasuredValues(const MeasuredValuesModel& model) override;

    // For tests: the open progress window's parts, or null.
    QDialog* progressWindow() const { return progress_; }
    CloneProgressArea* progressArea() const { return area_; }
    QPushButton* cancelButton() const { return cancel_; }
    SheetWindow* measuredValues() const { return measured_; }
    SheetWindow* cloneInformation() const { return info_; }

private:
    QWidget* owner_;
    MainEvents& events_;
    QPointer<QDialog> progress_;
    CloneProgressArea* area_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPointer<SheetWindow> info_;
    QPointer<SheetWindow> measured_;
};
