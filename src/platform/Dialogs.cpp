#include "platform/Dialogs.h"

#include <cstdio>

namespace platform {

namespace {
Dialogs* installed = nullptr;
}

DlgAnswer ConsoleDialogs::message(const MessageRequest& request) {
    std::fprintf(stderr, "%s\n", request.text.c_str());
    switch (request.buttons) {
        case DlgButtons::Ok: return DlgAnswer::Ok;
        case DlgButtons::OkCancel: return DlgAnswer::Cancel;
        case DlgButtons::YesNo: return DlgAnswer::No;
        case DlgButtons::YesNoCancel: return DlgAnswer::Cancel;
    }
    return DlgAnswer::Cancel;
}

std::optional<std::string> ConsoleDialogs::openFile(const FileRequest&) { return std::nullopt; }
std::optional<std::string> ConsoleDialogs::saveFile(const FileRequest&) { return std::nullopt; }

Dialogs& dialogs() {
    static ConsoleDialogs console;
    return installed ? *installed : console;
}

ScopedDialogs::ScopedDialogs(Dialogs& d) : previous_(installed) { installed = &d; }
ScopedDialogs::~ScopedDialogs() { installed = previous_; }

}  // namespace platform
