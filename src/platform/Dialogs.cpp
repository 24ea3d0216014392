#include "platform/Dialogs.h"

#include <cstdio>

namespace platform {

std::vector<std::string> FileFiltersFromPairs(std::string_view pairs) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= pairs.size()) {
        const std::size_t bar = pairs.find('|', start);
        parts.emplace_back(pairs.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::vector<std::string> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        for (char& c : patterns) {
            if (c == ';') c = ' ';
        }
        // A description that already shows its patterns is kept as it is.
        filters.push_back(parts[i].find('(') != std::string::npos ? parts[i] : parts[i] + " (" + patterns + ")");
    }
    return filters;
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

namespace {
Dialogs& consoleDialogs() {
    static ConsoleDialogs console;
    return console;
}
}  // namespace

Dialogs& dialogs() { return Installed<Dialogs>::orFallback(consoleDialogs); }

}  // namespace platform
