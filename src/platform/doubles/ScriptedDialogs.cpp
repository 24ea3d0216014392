#include "platform/doubles/ScriptedDialogs.h"

namespace platform {

DlgAnswer ScriptedDialogs::message(const MessageRequest& request) {
    messages.push_back(request);
    if (request.buttons == DlgButtons::Ok) return DlgAnswer::Ok;  // nothing to decide
    if (answers_.empty()) {
        unscripted.push_back(request.text);
        return request.buttons == DlgButtons::YesNo ? DlgAnswer::No : DlgAnswer::Cancel;
    }
    const DlgAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedDialogs::nextPath(const FileRequest& request) {
    fileRequests.push_back(request);
    if (paths_.empty()) {
        unscripted.push_back(request.title);
        return std::nullopt;
    }
    auto p = paths_.front();
    paths_.pop_front();
    return p;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileRequest& request) { return nextPath(request); }
std::optional<std::string> ScriptedDialogs::saveFile(const FileRequest& request) { return nextPath(request); }

}  // namespace platform
