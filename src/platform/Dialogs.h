#pragma once
// Dialogs seam: message boxes, confirmations and file dialogs. The core asks; the Qt
// backend shows real dialogs, the test double answers from a script and records what
// it was asked.

#include "platform/Installed.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class DlgIcon { None, Information, Warning, Error, Question };
enum class DlgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DlgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;
    DlgIcon icon = DlgIcon::None;
    DlgButtons buttons = DlgButtons::Ok;
};

struct FileRequest {
    std::string title;
    std::string directory;                // starting folder
    std::string fileName;                 // proposed name
    std::vector<std::string> filters;     // "Data files (*.tdf)", ...
    std::string defaultExtension;         // without the dot
};

// Filters written as "description|pattern|description|pattern" (several patterns of one
// filter separated by ';') as one entry each: "description (pattern ...)".
std::vector<std::string> FileFiltersFromPairs(std::string_view pairs);

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual DlgAnswer message(const MessageRequest& request) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> openFile(const FileRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileRequest& request) = 0;
};

// Dialogs for programs without a window: messages go to standard error and are
// answered with the safe choice (Cancel or No); file dialogs are cancelled.
class ConsoleDialogs : public Dialogs {
public:
    DlgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;
};

// The dialogs the core uses; ConsoleDialogs until a program installs its own.
Dialogs& dialogs();

using ScopedDialogs = ScopedInstall<Dialogs>;

}  // namespace platform
