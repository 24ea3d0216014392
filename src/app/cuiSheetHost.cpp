#include "app/cuiSheetHost.h"

OpenSheet::Kind cuiSheetHost::KindOf(const SheetRef& ref) {
    if (SameSheetRef(ref.style, "St_ChBank")) return OpenSheet::Kind::ChBank;
    if (SameSheetRef(ref.style, "St_Common")) return OpenSheet::Kind::Common;
    if (!ref.options.empty() && ref.options[0] == 'R') return OpenSheet::Kind::Repeater;
    return OpenSheet::Kind::Plain;
}

bool cuiSheetHost::Close() {
    if (!sheet_) return false;
    memory_.remove_if([&](const SheetMemory& m) { return m.ref == sheet_->ref; });
    memory_.push_front({sheet_->ref, sheet_->topRow, sheet_->leftCol, sheet_->curRow, sheet_->curCol});
    sheet_.reset();
    return true;
}

OpenSheet& cuiSheetHost::Open(const std::string& ref) {
    Close();
    sheet_ = std::make_unique<OpenSheet>();
    sheet_->ref = ref;
    sheet_->parsed = ParseSheetRef(ref);
    sheet_->kind = KindOf(sheet_->parsed);
    for (const SheetMemory& m : memory_) {
        if (m.ref != ref) continue;
        sheet_->topRow = m.topRow;
        sheet_->leftCol = m.leftCol;
        sheet_->curRow = m.curRow;
        sheet_->curCol = m.curCol;
        break;
    }
    return *sheet_;
}
