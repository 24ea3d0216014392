#include "support/OverlayFragment.h"

namespace testsupport {

OverlayFragment::OverlayFragment(std::vector<std::string> lines) : lines_(std::move(lines)) {
    if (lines_.empty() || lines_.back() != "#End_Of_Ovl") lines_.emplace_back("#End_Of_Ovl");
    for (const auto& line : lines_) pointers_.push_back(line.c_str());
    pointers_.push_back(nullptr);
    store_.AttachLines(pointers_.data());
}

}  // namespace testsupport
