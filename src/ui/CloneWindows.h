#pragma once
// The clone commands' windows in Qt: the progress window (32 cells, with Cancel while a
// read runs), the COM port selection dialog and the Clone Information window. Each renders
// a view model of the controller and hands the user's answers back.

#include "app/CloneView.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

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

// The measured-values window: the sheet of the values in a panel above Update and Close.
// Closing (by the button or the title bar) is refused while a transfer runs.
class MeasuredValuesWindow : public QDialog {
public:
    MeasuredValuesWindow(QWidget* owner, MainEvents& events);
    void show(const MeasuredValuesModel& model);
    cuiGrid* grid() const { return grid_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override { close(); }

private:
    MainEvents& events_;
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
    MeasuredValuesWindow* measuredValues() const { return measured_; }

private:
    QWidget* owner_;
    MainEvents& events_;
    QPointer<QDialog> progress_;
    CloneProgressArea* area_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPointer<QDialog> info_;
    QPointer<MeasuredValuesWindow> measured_;
};
