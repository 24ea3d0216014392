#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace platform {

void QtClipboard::setText(const std::string& text) {
    if (QClipboard* board = QGuiApplication::clipboard()) board->setText(QString::fromStdString(text));
}

}  // namespace platform
