#pragma once
// The system clipboard, for the few texts a technician copies out of the program (the
// radio's serial number). Programs without a window, and tests, keep the text in memory.

#include "platform/Installed.h"

#include <string>

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
};

// The text stays in the process: what a program without a window or a test uses.
class MemoryClipboard : public Clipboard {
public:
    void setText(const std::string& text) override { this->text = text; }
    std::string text;
};

// The clipboard the core uses; a MemoryClipboard until a program installs its own.
Clipboard& clipboard();

using ScopedClipboard = ScopedInstall<Clipboard>;

}  // namespace platform
