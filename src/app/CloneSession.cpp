#include "app/CloneSession.h"

CloneSession::CloneSession(DocumentRules& rules, std::int32_t imageSize) : rules_(rules), imageSize_(imageSize) {}

bool CloneSession::UsePort(int comNumber) { return manager_.setPort(comNumber); }

bool CloneSession::UsePortPath(const std::string& path) { return manager_.setPortPath(path); }

bool CloneSession::Configure() {
    if (Busy()) return false;
    return manager_.setCodes(static_cast<std::uint16_t>(rules_.ModelCode()),
                             static_cast<std::uint16_t>(rules_.ExtraCode())) &&
           manager_.setImageSize(imageSize_);
}

bool CloneSession::Identify(Completion completion) {
    return Configure() && manager_.identify(std::move(completion));
}

bool CloneSession::Read(Completion completion) {
    if (!Configure()) return false;
    const AddressRangeList ranges = rules_.AddressRanges(static_cast<int>(RangeKind::CloneRead));
    return manager_.read(ranges, std::move(completion));
}

bool CloneSession::Write(const cmcEeprom& image, bool highSpeed, Completion completion) {
    if (!Configure()) return false;
    const AddressRangeList ranges = rules_.AddressRanges(static_cast<int>(RangeKind::CloneWrite));
    return manager_.write(image, ranges, highSpeed, std::move(completion));
}
