#include "ui/CloneWindows.h"

#include "app/MainView.h"
#include "ui/cuiGrid.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>

#include <QDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Centred on the owner, as every small window of the program.
void CentreOn(QWidget* window, QWidget* owner) {
    if (!owner) return;
    window->adjustSize();
    const QPoint centre = owner->geometry().center();
    window->move(centre.x() - window->width() / 2, centre.y() - window->height() / 2);
}

}  // namespace

CloneProgressArea::CloneProgressArea(QWidget* parent) : QWidget(parent) { setFixedSize(256, 16); }

void CloneProgressArea::setProgress(const CloneProgress& p) {
    progress_ = p;
    update();
}

void CloneProgressArea::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter painter(this);
    const QColor window = palette().color(QPalette::Window);
    const QColor filled = palette().color(QPalette::Highlight);
    painter.fillRect(rect(), window);
    const int cell = width() / CloneProgress::kCells;
    const int count = progress_.Filled();
    for (int i = 0; i < CloneProgress::kCells; ++i) {
        // A one-pixel gap in the window colour between the cells.
        painter.fillRect(i * cell, 0, cell - 1, height(), i < count ? filled : window);
    }
}

CloneWindows::CloneWindows(QWidget* owner, MainEvents& events) : owner_(owner), events_(events) {}

CloneWindows::~CloneWindows() {
    delete progress_.data();
    delete info_.data();
    delete measured_.data();
}

void CloneWindows::showProgress(const CloneProgressModel& model) {
    if (!progress_) {
        // A tool window without a close box: a read ends with Cancel, a write runs to its end.
        progress_ = new QDialog(owner_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progress_->setWindowTitle(Q(model.caption));
        auto* layout = new QVBoxLayout(progress_);
        layout->setContentsMargins(16, 8, 16, 8);
        auto* panel = new QFrame(progress_);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        auto* inner = new QVBoxLayout(panel);
        inner->setContentsMargins(1, 1, 1, 1);
        area_ = new CloneProgressArea(panel);
        inner->addWidget(area_);
        layout->addWidget(panel);
        cancel_ = new QPushButton(Q(model.cancelText), progress_);
        QObject::connect(cancel_, &QPushButton::clicked, progress_, [this] { events_.OnCancelClone(); });
        layout->addWidget(cancel_, 0, Qt::AlignHCenter);
        CentreOn(progress_, owner_);
        progress_->show();
    }
    cancel_->setVisible(model.progress.cancellable);
    // The main window is disabled; the Cancel button must stay usable.
    progress_->setEnabled(true);
    area_->setProgress(model.progress);
}

void CloneWindows::hideProgress() {
    if (!progress_) return;
    delete progress_.data();
    area_ = nullptr;
    cancel_ = nullptr;
}

void CloneWindows::askComPort(const ComPortDialogModel& model, const std::function<bool(const std::string&)>& accept) {
    QDialog dialog(owner_, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
    dialog.setWindowTitle(Q(model.caption));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q(model.notice), &dialog));
    auto* edit = new QLineEdit(Q(model.current), &dialog);
    edit->setMaxLength(4);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(Q(model.editWidthText)));
    layout->addWidget(edit);
    if (!model.devices.empty()) {
        // Which device each number reaches; picking one puts its number in the edit field.
        layout->addWidget(new QLabel(Q(model.devicesHeading), &dialog));
        auto* list = new QListWidget(&dialog);
        for (const auto& [number, path] : model.devices) {
            auto* item = new QListWidgetItem(QString("COM%1: %2").arg(number).arg(Q(path)), list);
            item->setData(Qt::UserRole, number);
        }
        QObject::connect(list, &QListWidget::currentItemChanged, edit, [edit](QListWidgetItem* item) {
            if (item) edit->setText(QString::number(item->data(Qt::UserRole).toInt()));
        });
        layout->addWidget(list);
    }
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(Q(model.okText), &dialog);
    auto* cancel = new QPushButton(Q(model.cancelText), &dialog);
    const QFontMetrics metrics(ok->font());
    for (QPushButton* b : {ok, cancel}) {
        b->setFixedSize(metrics.horizontalAdvance(Q(model.buttonWidthText)), 2 * metrics.height());
        buttons->addWidget(b);
    }
    ok->setDefault(true);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        if (accept(edit->text().toStdString())) {
            dialog.accept();
        } else {
            edit->setFocus();
            edit->selectAll();
        }
    });
    CentreOn(&dialog, owner_);
    dialog.exec();
}

// ---------------------------------------------------------------- sheet windows

SheetWindow::SheetWindow(QWidget* owner, std::function<void()> update, CloseQuery close)
    : QDialog(owner, Qt::Window), closeQuery_(std::move(close)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    // The sheet's panel: a raised outer and a lowered inner bevel, 8 pixels apart; inside,
    // the sheet's title line and its grid.
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    auto* outer = new QVBoxLayout(panel);
    outer->setContentsMargins(10, 10, 10, 10);
    auto* sunken = new QFrame(panel);
    sunken->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sunken->setLineWidth(2);
    auto* inner = new QVBoxLayout(sunken);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->setSpacing(0);
    title_ = cuiGrid::makeTitle(sunken);
    grid_ = new cuiGrid(sunken);
    inner->addWidget(title_);
    inner->addWidget(grid_, 1);
    outer->addWidget(sunken);
    layout->addWidget(panel, 1);
    auto* strip = new QHBoxLayout;
    strip->setSpacing(5);
    strip->addStretch();
    update_ = new QPushButton(this);
    close_ = new QPushButton(this);
    strip->addWidget(update_);
    strip->addWidget(close_);
    layout->addLayout(strip);
    setMinimumWidth(4 * update_->sizeHint().width() + 34);
    if (update) {
        connect(update_, &QPushButton::clicked, this, std::move(update));
    } else {
        update_->hide();
    }
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

void SheetWindow::show(const SheetWindowView& view) {
    setWindowTitle(Q(view.caption));
    update_->setText(Q(view.updateText));
    close_->setText(Q(view.closeText));
    if (grid_->sheet() != view.sheet) {
        grid_->setSheet(view.sheet, view.host);
        cuiGrid::showTitle(*title_, view.sheet);
    }
    grid_->viewport()->update();
    if (!placed_) {
        placed_ = true;
        if (view.placement) {
            setGeometry(view.placement->left, view.placement->top, view.placement->width, view.placement->height);
        } else if (QWidget* owner = parentWidget()) {
            // As wide as its contents; half the screen high, or as high as its sheet (up to
            // three quarters of the screen); centred on the main window, above it when there
            // is room.
            const QRect screen = owner->screen() ? owner->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
            const int sheetWidth = view.sheet ? view.sheet->TotalWidth() : 0;
            const int chrome = 2 * (8 + 2 + 10 + 2 + 2) + grid_->verticalScrollBar()->sizeHint().width();
            const int width = std::max({minimumWidth(), sizeHint().width(), sheetWidth + chrome});
            int height = screen.height() / 2;
            if (view.fitHeight && view.sheet) {
                // What the frames, the title and the buttons take: the window's size hint
                // beyond its grid's (the grid's frame is the grid's own).
                const int around = sizeHint().height() - grid_->sizeHint().height() + 2 * grid_->frameWidth();
                height = std::min(screen.height() * 3 / 4, view.sheet->TotalHeight() + around + 2);
            }
            resize(width, height);
            const QRect main = owner->frameGeometry();
            const int top = main.top() - this->height() >= screen.top() ? main.top() - this->height()
                                                                         : main.center().y() - this->height() / 2;
            move(main.center().x() - this->width() / 2, top);
        }
    }
    QDialog::show();
    raise();
    activateWindow();
}

void SheetWindow::closeEvent(QCloseEvent* e) {
    const QRect g = geometry();
    if (closeQuery_ && !closeQuery_({g.left(), g.top(), g.width(), g.height()})) {
        e->ignore();
        return;
    }
    e->accept();
}

void CloneWindows::showCloneInformation(const CloneInfoModel& model) {
    if (!info_) {
        info_ = new SheetWindow(owner_, {}, [this](const WinRect&) {
            events_.OnCloneInformationClose();
            return true;
        });
    }
    info_->show({model.caption, {}, model.closeText, model.sheet, model.host, std::nullopt, true});
}

void CloneWindows::showMeasuredValues(const MeasuredValuesModel& model) {
    if (!measured_) {
        measured_ = new SheetWindow(
            owner_, [this] { events_.OnMeasuredValuesUpdate(); },
            [this](const WinRect& placement) { return events_.OnMeasuredValuesClose(placement); });
    }
    measured_->show({model.caption, model.updateText, model.closeText, model.sheet, model.host, model.placement, false});
}
