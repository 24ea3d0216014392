#pragma once
// Dialogs that answer from a script and record every question, so a test can say what
// the user answers and check what the user was asked.

#include "platform/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace platform {

class ScriptedDialogs : public Dialogs {
public:
    // Answers are used in order; a message with no scripted answer gets the safe choice
    // (as ConsoleDialogs) and is recorded in `unscripted`.
    void answer(DlgAnswer a) { answers_.push_back(a); }
    void choosePath(std::string path) { paths_.push_back(std::move(path)); }
    void cancelFileDialog() { paths_.push_back(std::nullopt); }

    DlgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;

    std::vector<MessageRequest> messages;     // every message shown, in order
    std::vector<FileRequest> fileRequests;    // every file dialog, in order
    std::vector<std::string> unscripted;      // texts of questions nobody scripted

    std::size_t pendingAnswers() const { return answers_.size() + paths_.size(); }

private:
    std::optional<std::string> nextPath(const FileRequest& request);
    std::deque<DlgAnswer> answers_;
    std::deque<std::optional<std::string>> paths_;
};

// Installs scripted dialogs for a test's lifetime.
class ScopedScriptedDialogs {
public:
    ScopedScriptedDialogs() : install_(dialogs) {}
    ScriptedDialogs dialogs;

private:
    ScopedDialogs install_;
};

}  // namespace platform
