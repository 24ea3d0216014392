#include "platform/qt/QtDialogs.h"

#include "platform/FatalStop.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon toIcon(DlgIcon icon) {
    switch (icon) {
        case DlgIcon::Information: return QMessageBox::Information;
        case DlgIcon::Warning: return QMessageBox::Warning;
        case DlgIcon::Error: return QMessageBox::Critical;
        case DlgIcon::Question: return QMessageBox::Question;
        case DlgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(DlgButtons b) {
    switch (b) {
        case DlgButtons::Ok: return QMessageBox::Ok;
        case DlgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case DlgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case DlgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString filterText(const FileRequest& r) {
    QStringList filters;
    for (const auto& f : r.filters) filters << QString::fromStdString(f);
    return filters.join(";;");
}

}  // namespace

DlgAnswer QtDialogs::message(const MessageRequest& request) {
    QMessageBox box(toIcon(request.icon), QString::fromStdString(request.caption), QString::fromStdString(request.text),
                    toButtons(request.buttons), parent_);
    switch (box.exec()) {
        case QMessageBox::Ok: return DlgAnswer::Ok;
        case QMessageBox::Yes: return DlgAnswer::Yes;
        case QMessageBox::No: return DlgAnswer::No;
        default: return DlgAnswer::Cancel;
    }
}

std::optional<std::string> QtDialogs::openFile(const FileRequest& request) {
    QFileDialog dlg(parent_, QString::fromStdString(request.title), QString::fromStdString(request.directory),
                    filterText(request));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.fileName.empty()) dlg.selectFile(QString::fromStdString(request.fileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const FileRequest& request) {
    QFileDialog dlg(parent_, QString::fromStdString(request.title), QString::fromStdString(request.directory),
                    filterText(request));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QString::fromStdString(request.defaultExtension));  // overwrite is confirmed by Qt
    if (!request.fileName.empty()) dlg.selectFile(QString::fromStdString(request.fileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first().toStdString();
}

void installQtFatalPresenter() {
    setFatalPresenter([](const std::string& caption, const std::string& text) {
        if (!qApp) return;
        QMessageBox::critical(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
    });
}

}  // namespace platform
