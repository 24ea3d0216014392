#pragma once
// Dialogs shown with Qt: message boxes with the system's icons, native file dialogs.

#include "platform/Dialogs.h"

class QWidget;

namespace platform {

class QtDialogs : public Dialogs {
public:
    // Dialogs are owned by (centred on) `parent` once it is set.
    void setParent(QWidget* parent) { parent_ = parent; }

    DlgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;

private:
    QWidget* parent_ = nullptr;
};

// Shows fatal stops in a modal error box before the program ends.
void installQtFatalPresenter();

}  // namespace platform
