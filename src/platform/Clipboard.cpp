#include "platform/Clipboard.h"

namespace platform {

namespace {
Clipboard& memoryClipboard() {
    static MemoryClipboard clipboard;
    return clipboard;
}
}  // namespace

Clipboard& clipboard() { return Installed<Clipboard>::orFallback(memoryClipboard); }

}  // namespace platform
