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

class CloneWindows : public CloneView {
public:
    // `cancelRead` runs when the user presses the progress window's Cancel button.
    CloneWindows(QWidget* owner, std::function<void()> cancelRead);
    ~CloneWindows() override;

    void showProgress(const CloneProgressModel& model) override;
    void hideProgress() override;
    void askComPort(const ComPortDialogModel& model, const std::function<bool(const std::string&)>& accept) override;
    void showCloneInformation(const CloneInfoModel& model) override;

    // For tests: the open progress window's parts, or null.
    QDialog* progressWindow() const { return progress_; }
    CloneProgressArea* progressArea() const { return area_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QWidget* owner_;
    std::function<void()> cancelRead_;
    QPointer<QDialog> progress_;
    CloneProgressArea* area_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPointer<QDialog> info_;
};
