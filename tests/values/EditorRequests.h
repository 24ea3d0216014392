#pragma once
// The two requests every editor test builds: a key on the cell, and a typed text committed
// from the in-place editor.

#include "values/cmcCellCapsule.h"

#include <string>

namespace testsupport {

inline cmcCellCapsule KeyRequest(std::int32_t key) {
    cmcCellCapsule r;
    r.mode = CellMode::Action;
    r.key = key;
    return r;
}

inline cmcCellCapsule TypedRequest(std::string text) {
    cmcCellCapsule r;
    r.mode = CellMode::SetText;
    r.editText = std::move(text);
    return r;
}

}  // namespace testsupport
