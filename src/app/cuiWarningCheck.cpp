#include "app/cuiWarningCheck.h"

#include "image/RecordAccessor.h"
#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"
#include "values/ProcessCell.h"

void cuiWarningCheck::Request() {
    due_.emplace();
    due_->arm(kDelayMs);
}

bool cuiWarningCheck::TakeDue() {
    if (!due_ || due_->remaining() != 0) return false;
    due_.reset();
    return true;
}

cuiWarningCheck::Result cuiWarningCheck::Run(CellContext& cells, const std::string& familyText) {
    ++runs_;
    Result result;
    auto collect = [&](cmcCellObj& cell, std::uint32_t index) {
        const CellMarks marks = CheckCell(cells, cell, index);
        const std::string link = cell.parameter.value_or("");
        if (marks.error) {
            result.errorLinks.push_back(link);
        } else if (marks.warning) {
            result.warningLinks.push_back(link);
        }
    };
    for (int n = 0;; ++n) {
        const std::string line = GTex().GetLine("GI_WarningCheckList", n);
        if (!line.empty() && line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(cell, line, nullptr, nullptr);
        collect(cell, 0);
    }
    // The bank checks link to the bank sheets of the tree, which differ by model family.
    for (int b = 0; b < RecordAccessor::kBanks; ++b) {
        cmcCellObj cell;
        const std::string text =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + familyText + ",Bank " + std::to_string(b) + ")}";
        ParseCell(cell, text, nullptr, nullptr);
        collect(cell, static_cast<std::uint32_t>(b));
    }
    return result;
}
