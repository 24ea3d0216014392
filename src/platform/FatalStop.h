#pragma once
// The fatal-error stop: a programming error or an overlay that does not fit the program.
// The user sees an error box with a fixed text and the executable's file name as its
// caption; after the box the process ends abnormally, saving nothing.

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Shows the box. The default presenter writes "caption: text" to standard error; the
// GUI installs one that shows a modal message box.
using FatalPresenter = std::function<void(const std::string& caption, const std::string& text)>;
void setFatalPresenter(FatalPresenter presenter);

// The caption of fatal boxes: the executable's file name without its directory.
std::string executableFileName();
// The directory of the running executable, with a trailing separator.
std::string executableDirectory();

// Writes the text to standard error (so logs and death tests see it even when a GUI
// presenter runs), shows the box and aborts.
[[noreturn]] void fatalStop(std::string_view text);

// printf-style helper for the fixed texts with one "%s" (for example a key or a path).
std::string formatOne(std::string_view pattern, std::string_view arg);

}  // namespace platform
