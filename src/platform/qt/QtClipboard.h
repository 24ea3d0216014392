#pragma once
// The desktop's clipboard through Qt.

#include "platform/Clipboard.h"

namespace platform {

class QtClipboard : public Clipboard {
public:
    void setText(const std::string& text) override;
};

}  // namespace platform
