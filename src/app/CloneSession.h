#pragma once
// The program's side of talking to a radio: one clone manager, configured with the
// family's codes, the image size and the port, and the address ranges of each operation.
// The GUI's clone commands and the command-line companion both run their operations
// through a session, so the two use one flow.

#include "app/DocumentService.h"
#include "comm/indCloneMan.h"

#include <cstdint>
#include <string>

class CloneSession {
public:
    using Completion = indCloneMan::Completion;

    CloneSession(DocumentRules& rules, std::int32_t imageSize);

    // The port of the next operation: a COM number (1..256) or a device path. Refused
    // (false) while an operation runs.
    bool UsePort(int comNumber);
    bool UsePortPath(const std::string& path);

    // Each starts an operation and returns true, or refuses (false, nothing sent) while
    // another one runs. The completion runs once, with the outcome.
    bool Identify(Completion completion);
    bool Read(Completion completion);
    bool Write(const cmcEeprom& image, bool highSpeed, Completion completion);

    bool Busy() const { return manager_.isBusy(); }
    indCloneMan& Manager() { return manager_; }

private:
    bool Configure();

    DocumentRules& rules_;
    std::int32_t imageSize_;
    indCloneMan manager_;
};
