#pragma once
// A value cell as a sheet runs it: bound by its markup and evaluated by the value routine
// against the product overlay, its selection lists and a context that records what the cell
// asks of the program. The cell tests of each topic derive their fixture from it.

#include "overlay/cmcCellObj.h"
#include "overlay/cmcFCache.h"
#include "overlay/cmcGTex.h"
#include "support/SheetSupport.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace testsupport {

// What one evaluation carries besides the binding.
struct CellCall {
    CellMode mode = CellMode::Draw;
    std::int32_t key = 0;
    std::string text;
    std::uint32_t index = 0;
    const cmcCellCapsule* linked = nullptr;
    const cmcCellObj* picked = nullptr;
    CellSheetServices* sheet = nullptr;
};

class CellTest : public ::testing::Test {
protected:
    CellTest() { EXPECT_TRUE(AttachProductOverlay(product)); }

    // Binds "{(%binding)}" to `cell` and runs the value routine on it once.
    cmcCellCapsule Evaluate(const std::string& binding, CellCall call = {}) {
        cell = cmcCellObj{};
        ParseCell(cell, "{(%" + binding + ")}", nullptr, nullptr);
        cmcCellCapsule r;
        r.cell = &cell;
        r.mode = call.mode;
        r.key = call.key;
        r.editText = std::move(call.text);
        r.index = call.index;
        r.linked = call.linked;
        r.picked = call.picked;
        r.sheet = call.sheet;
        lastResult = ProcessCell(context, r);
        return r;
    }

    // Writes `bytes` into the image from `address` on.
    void Bytes(std::int32_t address, std::initializer_list<std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) context.image.SetByte(address++, b);
    }

    cmcGTex product;
    ScopedGTex useProduct{product};
    cmcFCache cache;
    ScopedFCache useCache{cache};
    RecordingContext context;
    cmcCellObj cell;
    CellResult lastResult = CellResult::None;
};

}  // namespace testsupport
