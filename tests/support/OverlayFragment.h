#pragma once
// An overlay held in memory for a test: the lines, the pointer array a store reads, and
// the store itself. ScopedOverlay also installs the store as the process-wide one, so
// that code under test which reads GTex() (cell models, sheets, messages) sees it.

#include "overlay/cmcGTex.h"

#include <string>
#include <vector>

namespace testsupport {

class OverlayFragment {
public:
    // The lines as given; "#End_Of_Ovl" is appended when the last line is not already it.
    explicit OverlayFragment(std::vector<std::string> lines);
    OverlayFragment(const OverlayFragment&) = delete;
    OverlayFragment& operator=(const OverlayFragment&) = delete;

    const char* const* lines() const { return pointers_.data(); }
    const std::vector<std::string>& text() const { return lines_; }
    cmcGTex& store() { return store_; }

private:
    std::vector<std::string> lines_;
    std::vector<const char*> pointers_;
    cmcGTex store_;
};

class ScopedOverlay : public OverlayFragment {
public:
    explicit ScopedOverlay(std::vector<std::string> lines) : OverlayFragment(std::move(lines)), install_(store()) {}

private:
    ScopedGTex install_;
};

}  // namespace testsupport
