#include "app/cuiSheetHost.h"

#include "app/ModelRules.h"
#include "app/cuiMain.h"
#include "app/cuiMenu.h"
#include "overlay/cmcGTex.h"
#include "sheets/iuiSh_ChBank.h"
#include "sheets/iuiSh_Common.h"
#include "sheets/iuiSh_Mch.h"
#include "sheets/iuiSheet.h"
#include "values/CellContext.h"

#include <algorithm>

namespace {

// Image bytes the row conditions read.
constexpr std::int32_t kFontByte = 92416;  // bit 2: the normal font
constexpr std::int32_t kSaccByte = 11;     // bit 3

}  // namespace

cuiSheetHost::cuiSheetHost() = default;

cuiSheetHost::~cuiSheetHost() {
    for (auto& [key, sheet] : windowSheets_) sheet->Halt();
    if (controller_) controller_->Events().Unsubscribe<&cuiSheetHost::OnEvent>(this);
}

void cuiSheetHost::Attach(cuiMain& controller) {
    controller_ = &controller;
    controller.Events().Subscribe<&cuiSheetHost::OnEvent>(this);
}

OpenSheet::Kind cuiSheetHost::KindOf(const SheetRef& ref) {
    if (SameSheetRef(ref.style, "St_ChBank")) return OpenSheet::Kind::ChBank;
    if (SameSheetRef(ref.style, "St_Common")) return OpenSheet::Kind::Common;
    if (!ref.options.empty() && ref.options[0] == 'R') return OpenSheet::Kind::Repeater;
    return OpenSheet::Kind::Plain;
}

bool cuiSheetHost::Close() {
    if (!sheet_) return false;
    if (cuiSheet* grid = sheet_->grid.get()) {
        const SheetPosition p = grid->Position();
        sheet_->curCol = p.col, sheet_->curRow = p.row, sheet_->leftCol = p.leftCol, sheet_->topRow = p.topRow;
    }
    memory_.remove_if([&](const SheetMemory& m) { return m.ref == sheet_->ref; });
    memory_.push_front({sheet_->ref, sheet_->topRow, sheet_->leftCol, sheet_->curRow, sheet_->curCol});
    Discard();
    return true;
}

void cuiSheetHost::Discard() {
    popup_.reset();
    const bool built = sheet_ && sheet_->grid;
    if (built) {
        sheet_->grid->Halt();
        closed_.push_back(std::move(sheet_->grid));
    }
    sheet_.reset();
    // Others drop what they hold of the sheet's window.
    if (built && controller_) controller_->Events().Send(EvMsg::WindowDestroyed);
}

OpenSheet& cuiSheetHost::Open(const std::string& ref, const TextMetrics* metrics) {
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
        sheet_->remembered = true;
        break;
    }
    if (controller_) sheet_->grid = Build(*sheet_, metrics);
    return *sheet_;
}

std::unique_ptr<cuiSheet> cuiSheetHost::Build(const OpenSheet& open, const TextMetrics* metrics) {
    std::unique_ptr<cuiSheet> s;
    const std::string& key = open.parsed.key;
    switch (open.kind) {
        case OpenSheet::Kind::ChBank: s = std::make_unique<iuiSh_ChBank>(*this, GTex(), key); break;
        case OpenSheet::Kind::Common: s = std::make_unique<iuiSh_Common>(*this, GTex(), key); break;
        case OpenSheet::Kind::Repeater: s = std::make_unique<iuiSh_Mch>(*this, GTex(), key); break;
        case OpenSheet::Kind::Plain: s = std::make_unique<iuiSheet>(*this, GTex(), key); break;
    }
    if (open.remembered) s->SetPosition(open.curCol, open.curRow, open.leftCol, open.topRow);
    s->SetMetrics(metrics);
    s->SetParameter(open.parsed.options);
    s->Show();
    return s;
}

// --- Popup menu ------------------------------------------------------------------------------

std::vector<MenuItemModel> cuiSheetHost::PopupModel(cuiSheet* sheet) {
    cuiSheet* grid = sheet ? sheet : Grid();
    popup_.reset();
    popupSheet_ = nullptr;
    if (!grid || !controller_) return {};
    const std::string name = grid->CurrentPopupMenu();
    if (name.empty()) return {};
    popup_ = std::make_unique<cuiMenu>(*controller_, name, true);
    popup_->UpdateStates();
    popupSheet_ = grid;
    return popup_->Model();
}

void cuiSheetHost::PopupClick(const ItemPath& item) {
    // The sheet may have closed while its menu was up.
    cuiSheet* grid = popupSheet_;
    const bool open = grid && (grid == Grid() || std::any_of(windowSheets_.begin(), windowSheets_.end(),
                                                             [grid](const auto& w) { return w.second.get() == grid; }));
    if (!open || !popup_) return;
    if (cuiMenuItem* entry = popup_->ItemAt(item)) {
        const cmcCellObj cell = entry->cell;  // the command may rebuild the menu
        grid->PopupCommand(cell);
    }
}

// --- Sheets in windows of their own, and selection lists ----------------------------------

cuiSheet* cuiSheetHost::OpenWindowSheet(const std::string& key, const TextMetrics* metrics) {
    if (cuiSheet* open = WindowSheet(key)) return open;
    if (!controller_) return nullptr;
    auto sheet = std::make_unique<iuiSheet>(side_, GTex(), key);
    sheet->SetMetrics(metrics);
    sheet->Show();
    return (windowSheets_[key] = std::move(sheet)).get();
}

cuiSheet* cuiSheetHost::WindowSheet(const std::string& key) {
    const auto it = windowSheets_.find(key);
    return it == windowSheets_.end() ? nullptr : it->second.get();
}

void cuiSheetHost::CloseWindowSheet(const std::string& key) {
    const auto it = windowSheets_.find(key);
    if (it == windowSheets_.end()) return;
    it->second->Halt();
    closed_.push_back(std::move(it->second));
    windowSheets_.erase(it);
}

std::unique_ptr<cuiSheet> cuiSheetHost::MakeChoiceList(const std::string& listSheet, CellId listKind,
                                                       std::int32_t value) {
    if (!controller_) return nullptr;
    return std::make_unique<iuiSheet>(side_, GTex(), listSheet, listKind, value);
}

// --- Site ----------------------------------------------------------------------------------

CellContext* cuiSheetHost::Cells() { return controller_ ? &controller_->Cells() : nullptr; }

RowConditions cuiSheetHost::Conditions() const {
    RowConditions c;
    if (!controller_) return c;
    const int kind = controller_->ModelKind();
    c.handheld = !model::isMobile(kind);
    c.lmrFamily = model::isLmr(kind);
    c.biis = model::isBiisPmr(kind);
    c.digital = model::isP25(kind);
    cmcEeprom& image = controller_->CurrentImage();
    c.normalFont = (image.GetByte(kFontByte) & 4) != 0;
    c.sacc = (image.GetByte(kSaccByte) & 8) != 0;
    return c;
}

std::int32_t cuiSheetHost::FontSizePercentage() const {
    return controller_ ? controller_->Settings().fontSizePercentage : 100;
}

void cuiSheetHost::CommandsChanged() {
    if (controller_) controller_->Events().Send(EvMsg::UpdateMenus);
}

void cuiSheetHost::EditMenuCleared() {
    if (controller_) controller_->Events().Send(EvMsg::ClearSubmenu, 0, CellIdOf("CL_Menu_Edit_Top"));
}

void cuiSheetHost::EditMenuFilled(const std::string& popupMenu) {
    if (controller_) controller_->Events().SendText(EvMsg::FillSubmenu, 0, CellIdOf("CL_Menu_Edit_Top"), popupMenu);
}

void cuiSheetHost::CurrentCellChanged(const CellKey& key) {
    if (controller_) controller_->Events().Send(EvMsg::CurrentCellChanged, 0, 0, &key, sizeof key);
}

void cuiSheetHost::StatusCleared() {
    if (controller_)
        controller_->Events().SendText(EvMsg::StatusText, static_cast<std::int32_t>(ColourOf("clWindowText")),
                                       static_cast<std::int32_t>(ColourOf("clBtnFace")), "");
}

void cuiSheetHost::OnEvent(cmcEvMessage& m) {
    // The redraws and the editor commit reach the window sheets too.
    for (auto& [key, sheet] : windowSheets_) Deliver(*sheet, m);
    cuiSheet* grid = Grid();
    if (!grid) return;
    auto* bank = dynamic_cast<iuiSh_ChBank*>(grid);
    switch (m.type) {
        case EvMsg::QueryPopupCell: {
            const std::string name = grid->CurrentPopupMenu();
            if (!name.empty()) controller_->Events().Reply(0, 0, name.c_str(), static_cast<std::int32_t>(name.size() + 1));
            break;
        }
        default: Deliver(*grid, m); break;
        case EvMsg::QueryBankSheet:
            if (bank) controller_->Events().Reply(bank->Bank(), bank->FirstChannel());
            break;
        case EvMsg::ChannelsChanged:
            if (bank) {
                bank->RefreshBank();
                grid->RedrawCells(RedrawFilter::Bound, 0);
            }
            break;
        case EvMsg::BankAddLastRow:
            if (bank) bank->AddLastRow();
            break;
        case EvMsg::BankRemoveLastRow:
            if (bank) bank->RemoveLastRow();
            break;
    }
}

void cuiSheetHost::Deliver(cuiSheet& sheet, const cmcEvMessage& m) {
    switch (m.type) {
        case EvMsg::RedrawBound: sheet.RedrawCells(RedrawFilter::Bound, m.second); break;
        case EvMsg::RedrawCategory: sheet.RedrawCells(RedrawFilter::Category, m.second); break;
        case EvMsg::RedrawCellId: sheet.RedrawCells(RedrawFilter::CellId, m.second); break;
        case EvMsg::RedrawIndex: sheet.RedrawCells(RedrawFilter::Index, m.second); break;
        case EvMsg::RedrawIndexUpTo: sheet.RedrawCells(RedrawFilter::IndexUpTo, m.second); break;
        case EvMsg::RedrawIndexFrom: sheet.RedrawCells(RedrawFilter::IndexFrom, m.second); break;
        case EvMsg::CommitEdit: sheet.CommitEditor(); break;
        default: break;
    }
}
