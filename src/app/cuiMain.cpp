#include "app/cuiMain.h"

#include "app/cuiMenu.h"
#include "app/cuiSheetTree.h"
#include "comm/cmcTask.h"
#include "platform/FatalStop.h"
#include "overlay/cmcGTex.h"
#include "app/cuiCellContext.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

using platform::DlgAnswer;
using platform::DlgButtons;
using platform::DlgIcon;

namespace {

// Where file dialogs start: the stored folder, else the user's documents, else here.
std::string StartDirectory(const std::string& stored) {
    if (!stored.empty()) return stored;
    std::error_code ec;
    if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs && std::filesystem::is_directory(docs, ec))
        return docs;
    if (const char* home = std::getenv("HOME"); home && *home) {
        const std::filesystem::path documents = std::filesystem::path(home) / "Documents";
        if (std::filesystem::is_directory(documents, ec)) return documents.string();
        return home;
    }
    return std::filesystem::current_path(ec).string();
}

const char* const kFamilyTexts[] = {"LMR", "LmrP25", "PMR", "PMRB", "LMR_Mob", "LmrP25_Mob", "PMR_Mob", "PMRB_Mob"};

}  // namespace

std::string cuiMain::ModelFamilyText(int kind) { return kind >= 0 && kind < 8 ? kFamilyTexts[kind] : ""; }

cuiMain::cuiMain(indEnviron& settings, cmcEvMan& events, std::int32_t imageSize)
    : settings_(settings), events_(events), imageSize_(imageSize) {
    workingDirectory_ = StartDirectory(settings_.currentDirectory);
    current_.Resize(imageSize_);
    radio_.Resize(imageSize_);
    initial_.Assign(current_);
    reference_.Assign(current_);
    cellContext_ = std::make_unique<cuiCellContext>(*this);
    tickTask_ = new cmcTask;
    tickTask_->setCallback(&cuiMain::TickTask, this);
    events_.Subscribe<&cuiMain::OnEvent>(this);
    cuiMain::ResetModelParameters();
}

cuiMain::~cuiMain() {
    events_.Unsubscribe<&cuiMain::OnEvent>(this);
    tickTask_->detach();
    cmcTask::dispose(tickTask_);
}

void cuiMain::ResetModelParameters() {
    modelCode_ = 0;
    extraCode_ = 0;
}

int cuiMain::CheckMakerIdentity(const std::uint8_t*, std::size_t, bool) { return 0; }
int cuiMain::CheckNewerData(const std::uint8_t*, std::size_t) { return 0; }
void cuiMain::AfterImageLoaded(cmcEeprom&) {}
void cuiMain::NormaliseImage(cmcEeprom&, bool) {}

bool cuiMain::CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& error) {
    if (modelCode != modelCode_) {
        error = FileError::Model;
        return false;
    }
    if (extraCode != extraCode_) {
        error = FileError::Extra;
        return false;
    }
    return true;
}

AddressRangeList cuiMain::AddressRanges(int) { return {{0x0000, 0xFF7F}, {1, 0}}; }

void cuiMain::BuildMainWindow(MainView& view) {
    view_ = &view;
    if (settings_.modelType < 0 || settings_.modelType > 7) settings_.modelType = 4;
    LoadInitialImage(settings_.modelType);
    FillWorkingArea(initial_);
    current_.Assign(initial_);
    radio_.Assign(initial_);
    BuildParameterTable(current_, false);
    MarkSaved();
    CloseSheet();
    reference_.Assign(initial_);

    menu_ = std::make_unique<cuiMenu>(*this, "GI_Menu_Main");
    toolbar_ = std::make_unique<cuiToolBar>(*this, "GI_ToolBar_Main");
    events_.Send(EvMsg::SettingsChanged);

    BuildTree();
    view_->setTreePanelWidth(TreePanelWidth(settings_.splitterV));
    view_->showStatus(status_);

    // The program cannot work on images smaller than its memory map.
    if (imageSize_ < kMapSize) platform::fatalStop("Self Check Error.\nEEPROM Map is too large.");

    RefreshBankLabels();
    tickTask_->setInterval(kTickMs);
}

void cuiMain::BuildTree() {
    tree_.reset();  // the old tree goes before the new one reads the overlay
    tree_ = std::make_unique<cuiSheetTree>(*this);
    int errors = 0, warnings = 0;
    RunWarningCheck(errors, warnings);
    CloseSheet();
    // The model controller prunes the tree on this message; the window then shows what is left.
    events_.Send(EvMsg::TreeChanged);
    if (view_) {
        const cmcCellObj& look = tree_->BasicCell();
        view_->setTreeLook(look.font.value_or(cmcFont{}), look.colour);
        const TreeNodeModel model = tree_->Model();
        view_->showTree(tree_->Root() ? &model : nullptr);
    }
    tree_->SetSelected({0});
    if (view_) view_->selectTreeNode({0});
}

void cuiMain::ShowMenus() {
    if (!menu_ || !view_) return;
    menu_->UpdateStates();
    view_->showMenu(menu_->Model());
}

void cuiMain::ShowToolbar() {
    if (!toolbar_ || !view_) return;
    toolbar_->UpdateStates();
    view_->showToolbar(toolbar_->Model(), settings_.toolbarVisible != 0);
}

void cuiMain::OnEvent(cmcEvMessage& m) {
    switch (m.type) {
        case EvMsg::WindowDestroyed: break;
        case EvMsg::SettingsChanged:
            events_.Send(EvMsg::UpdateMenus);
            events_.Send(EvMsg::UpdateToolbars);
            break;
        case EvMsg::StatusText:
            status_.text = m.text();
            status_.textColour = static_cast<std::uint32_t>(m.first);
            status_.backgroundColour = static_cast<std::uint32_t>(m.second);
            if (view_) view_->showStatus(status_);
            break;
        case EvMsg::ReferenceFromCurrent: reference_.Assign(current_); break;
        case EvMsg::UpdateMenus: ShowMenus(); break;
        case EvMsg::ClearSubmenu:
            if (menu_) menu_->ClearSubmenu(m.second);
            break;
        case EvMsg::FillSubmenu:
            if (menu_) menu_->FillSubmenu(m.second, m.text());
            break;
        case EvMsg::UpdateToolbars: ShowToolbar(); break;
        case EvMsg::BankName:
            if (tree_) {
                tree_->ForEach([&](cuiTreeNode& node, const ItemPath& path) {
                    if (node.BankNumber() != m.second) return;
                    node.shown.text = m.text();
                    if (view_) view_->updateTreeNode(path, node.shown);
                });
            }
            break;
        default: break;
    }
}

platform::DlgAnswer cuiMain::Ask(const std::string& text, DlgIcon icon, DlgButtons buttons) {
    return platform::dialogs().message({text, GTex().GetLine("GI_Sys_AppTitle_ADJ", 0), icon, buttons});
}

void cuiMain::Tell(const std::string& text, DlgIcon icon) { Ask(text, icon, DlgButtons::Ok); }

int cuiMain::RunCell(cmcCellObj& cell, int key) {
    cmcCellCapsule request;
    request.cell = &cell;
    request.key = key;
    return static_cast<int>(ProcessCell(Cells(), request));
}

CellContext& cuiMain::Cells() { return *cellContext_; }

// --- Window events -------------------------------------------------------------------

void cuiMain::OnShow() {
    if (view_) view_->setTitle(GTex().GetLine("GI_Sys_AppTitle_ADJ", 0));
}

void cuiMain::OnMenuClick(const ItemPath& item) {
    if (!menu_) return;
    cuiMenuItem* entry = menu_->ItemAt(item);
    if (!entry) return;
    cmcCellObj cell = entry->cell;  // the command may rebuild the menu under us
    RunCell(cell, cellkey::kEnter);
    ShowMenus();
    ShowToolbar();
}

void cuiMain::OnToolClick(int button) {
    if (!toolbar_) return;
    cuiToolButton* b = toolbar_->ButtonAt(button);
    if (!b || !b->hasCell) return;
    cmcCellObj cell = b->cell;
    RunCell(cell, cellkey::kEnter);
    ShowMenus();
    ShowToolbar();
}

void cuiMain::OnTreeSelect(const ItemPath& node) {
    if (!tree_) return;
    tree_->SetSelected(node);
    // The selection event follows after the change delay, so that scrolling through the
    // tree with the arrow keys does not open every sheet on the way.
    pendingTreeNode_ = node;
    treeChangeDue_.emplace();
    const int delay = std::atoi(GTex().GetLine("GI_Sys_TreeChangeDelay", 0).c_str());
    treeChangeDue_->arm(static_cast<std::uint32_t>(std::max(0, delay)));
}

void cuiMain::TreeSelectionDue() {
    treeChangeDue_.reset();
    if (!tree_) return;
    cuiTreeNode* node = tree_->NodeAt(pendingTreeNode_);
    if (!node) return;
    if (sheet_ && SameSheetRef(node->Link(), sheet_->ref)) return;
    cmcCellObj cell = node->cell;
    RunCell(cell, cellkey::kEnter);
}

void cuiMain::OnTreeExpand(const ItemPath& node, bool expanded) {
    if (!tree_) return;
    if (cuiTreeNode* n = tree_->NodeAt(node)) n->shown.expanded = expanded;
    RequestWarningCheck();
}

bool cuiMain::OnCloseQuery() {
    if (!view_) return true;
    if (!view_->isEnabled()) return false;  // a radio operation or printing is running
    if (SavePrompt() == DlgAnswer::Cancel) return false;
    if (auto bounds = view_->restoredBounds()) {
        settings_.left = bounds->left;
        settings_.top = bounds->top;
        settings_.width = bounds->width;
        settings_.height = bounds->height;
        settings_.splitterV = view_->treePanelWidth();
    }
    return true;
}

void cuiMain::OnClose() {
    tickTask_->setInterval(-1);
    sheet_.reset();
    tree_.reset();
    view_ = nullptr;
}

void cuiMain::ExitProgram() {
    if (view_) view_->requestClose();
}

// --- Commands ------------------------------------------------------------------------

void cuiMain::SetFontPercentage(int percentage) {
    settings_.fontSizePercentage = percentage;
    CloseSheet();  // the tick reopens it at the new size
}

void cuiMain::ToggleToolbar() {
    settings_.toolbarVisible = settings_.toolbarVisible ? 0 : 1;
    ShowToolbar();
}

void cuiMain::SetComPort(int port) {
    settings_.comPort = port;
    events_.Send(EvMsg::SettingsChanged);
}

void cuiMain::SetSpeedHigh(int high) { settings_.comSpeedHigh = high; }

// --- Sheets ----------------------------------------------------------------------------

void cuiMain::CloseSheet() {
    if (!sheet_) return;
    sheetMemory_.remove_if([&](const SheetMemory& m) { return m.ref == sheet_->ref; });
    sheetMemory_.push_front({sheet_->ref, sheet_->topRow, sheet_->leftCol, sheet_->curRow, sheet_->curCol});
    sheet_.reset();
    if (view_) view_->showSheet("", "");
}

void cuiMain::CreateSheet(const std::string& ref) {
    auto sheet = std::make_unique<OpenSheet>();
    sheet->ref = ref;
    sheet->parsed = ParseSheetRef(ref);
    if (SameSheetRef(sheet->parsed.style, "St_ChBank")) {
        sheet->kind = OpenSheet::Kind::ChBank;
    } else if (SameSheetRef(sheet->parsed.style, "St_Common")) {
        sheet->kind = OpenSheet::Kind::Common;
    } else if (!sheet->parsed.options.empty() && sheet->parsed.options[0] == 'R') {
        sheet->kind = OpenSheet::Kind::Repeater;
    }
    sheet_ = std::move(sheet);
}

void cuiMain::OpenSheetRef(const std::string& ref) {
    CloseSheet();
    CreateSheet(ref);
    for (const SheetMemory& m : sheetMemory_) {
        if (m.ref == ref) {
            sheet_->topRow = m.topRow;
            sheet_->leftCol = m.leftCol;
            sheet_->curRow = m.curRow;
            sheet_->curCol = m.curCol;
            break;
        }
    }
    if (view_) {
        std::string caption;
        if (tree_) {
            if (cuiTreeNode* node = tree_->NodeAt(tree_->FindLink(ref))) caption = node->shown.text;
        }
        view_->showSheet(sheet_->parsed.key, caption);
    }
}

void cuiMain::TickTask(void* self, cmcTask*) { static_cast<cuiMain*>(self)->Tick(); }

void cuiMain::Tick() {
    if (treeChangeDue_ && treeChangeDue_->remaining() == 0) TreeSelectionDue();
    if (!sheet_ && view_ && view_->isVisible()) {
        if (tree_) {
            if (cuiTreeNode* node = tree_->NodeAt(tree_->Selected())) {
                cmcCellObj cell = node->cell;
                RunCell(cell, cellkey::kEnter);
            }
        } else if (!sheetMemory_.empty()) {
            OpenSheetRef(sheetMemory_.front().ref);
        }
    }
    if (warningDue_ && warningDue_->remaining() == 0) {
        warningDue_.reset();
        int errors = 0, warnings = 0;
        RunWarningCheck(errors, warnings);
        events_.Post(EvMsg::WarningCheckDone);
    }
}

void cuiMain::RequestWarningCheck() {
    warningDue_.emplace();
    warningDue_->arm(kWarningDelayMs);
}

void cuiMain::RunWarningCheck(int& errors, int& warnings) {
    errors = warnings = 0;
    ++warningChecksRun_;
    if (!tree_) return;
    std::vector<std::string> errorLinks, warningLinks;
    auto collect = [&](cmcCellObj& cell, std::uint32_t index) {
        const CellMarks marks = CheckCell(Cells(), cell, index);
        const std::string link = cell.parameter.value_or("");
        if (marks.error) {
            errorLinks.push_back(link);
            ++errors;
        } else if (marks.warning) {
            warningLinks.push_back(link);
            ++warnings;
        }
    };
    for (int n = 0;; ++n) {
        const std::string line = GTex().GetLine("GI_WarningCheckList", n);
        if (!line.empty() && line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(cell, line, nullptr, nullptr);
        collect(cell, 0);
    }
    const std::string family = ModelFamilyText(ModelKind());
    for (int b = 0; b < kBanks; ++b) {
        cmcCellObj cell;
        const std::string text =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + family + ",Bank " + std::to_string(b) + ")}";
        ParseCell(cell, text, nullptr, nullptr);
        collect(cell, static_cast<std::uint32_t>(b));
    }
    tree_->ApplyMarks(errorLinks, warningLinks);
    if (view_) {
        tree_->ForEach([&](cuiTreeNode& node, const ItemPath& path) { view_->updateTreeNode(path, node.shown); });
    }
}
