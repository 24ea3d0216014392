#include "app/cuiMain.h"

#include "app/ModelRules.h"
#include "app/cuiCellContext.h"
#include "app/cuiMenu.h"
#include "app/cuiSheetTree.h"
#include "comm/cmcTask.h"
#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"
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

}  // namespace

cuiMain::cuiMain(indEnviron& settings, cmcEvMan& events, std::int32_t imageSize, std::unique_ptr<DocumentRules> rules)
    : settings_(settings),
      events_(events),
      imageSize_(imageSize),
      rules_(std::move(rules)),
      documents_(*rules_),
      clone_(*rules_, imageSize) {
    workingDirectory_ = StartDirectory(settings_.currentDirectory);
    current_.Resize(imageSize_);
    radio_.Resize(imageSize_);
    initial_.Assign(current_);
    reference_.Assign(current_);
    cellContext_ = std::make_unique<cuiCellContext>(*this);
    sheets_.Attach(*this);
    tickTask_ = new cmcTask;
    tickTask_->setCallback(&cuiMain::TickTask, this);
    progressTask_ = new cmcTask;
    progressTask_->setCallback(&cuiMain::ProgressTask, this);
    // The checks of an image read from a radio: the model controller's maker identity
    // (status 15), then its newer-data lock (status 16).
    clone_.SetImageCheck([this](const cmcEeprom& received) {
        const auto size = static_cast<std::size_t>(received.Size());
        if (CheckMakerIdentity(received.Data(), size, true) != 0) return CloneStatus::ImageCheck;
        if (CheckNewerData(received.Data(), size) != 0) return CloneStatus::NewerData;
        return CloneStatus::Success;
    });
    events_.Subscribe<&cuiMain::OnEvent>(this);
    cuiMain::ResetModelParameters();
}

cuiMain::~cuiMain() {
    events_.Unsubscribe<&cuiMain::OnEvent>(this);
    tickTask_->detach();
    cmcTask::dispose(tickTask_);
    progressTask_->detach();
    cmcTask::dispose(progressTask_);
}

void cuiMain::ResetModelParameters() {
    modelCode_ = rules_->ModelCode();
    extraCode_ = rules_->ExtraCode();
}

int cuiMain::CheckMakerIdentity(const std::uint8_t*, std::size_t, bool) { return 0; }
int cuiMain::CheckNewerData(const std::uint8_t*, std::size_t) { return 0; }

void cuiMain::AfterImageLoaded(cmcEeprom& image, int) { documents_.PrepareLoaded(image, initial_, ModelKind()); }

void cuiMain::NormaliseImage(cmcEeprom& image, bool forWriting) {
    rules_->NormaliseImage(image, initial_, ModelKind(), forWriting);
}

bool cuiMain::CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& error) {
    return rules_->CheckFileCodes(modelCode, extraCode, error);
}

AddressRangeList cuiMain::AddressRanges(int rangeKind) { return rules_->AddressRanges(rangeKind); }

void cuiMain::BuildMainWindow(MainView& view) {
    // The program cannot work on images smaller than its memory map; checked before
    // anything below reads or writes through the images at the map's addresses.
    if (imageSize_ < kMapSize) platform::fatalStop("Self Check Error.\nEEPROM Map is too large.");
    view_ = &view;
    if (!model::isKind(settings_.modelType)) settings_.modelType = model::kDefaultKind;
    LoadInitialImage(settings_.modelType);
    current_.Assign(initial_);
    radio_.Assign(initial_);
    static_cast<void>(rules_->BuildParameterTable(current_, false));
    MarkSaved();
    CloseSheet();
    reference_.Assign(initial_);

    menu_ = std::make_unique<cuiMenu>(*this, "GI_Menu_Main");
    toolbar_ = std::make_unique<cuiToolBar>(*this, "GI_ToolBar_Main");
    events_.Send(EvMsg::SettingsChanged);

    BuildTree();
    view_->setTreePanelWidth(TreePanelWidth(settings_.splitterV));
    view_->showStatus(status_);

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
    if (menu_ && view_) menu_->Show(*view_);
}

void cuiMain::ShowToolbar() {
    if (toolbar_ && view_) toolbar_->Show(*view_, settings_.toolbarVisible != 0);
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
        case EvMsg::BringWindowToFront:
            if (CloneView* windows = Windows(); windows && m.text() == kMeasuredValuesSheet) {
                windows->showMeasuredValues(MeasuredValuesView());
            }
            break;
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
    if (cell.key.category == CategoryOf("CT_PopupMenu")) {
        // The Edit menu mirrors the current cell's popup menu: its items act on that cell.
        if (cuiSheet* grid = sheets_.Grid()) grid->PopupCommand(cell);
    } else {
        RunCell(cell, cellkey::kEnter);
    }
    ShowMenus();
    ShowToolbar();
}

void cuiMain::OnMenuAboutToShow(const ItemPath& item) {
    if (menu_ && view_) menu_->ShowSubmenu(*view_, item);
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
    if (Sheet() && SameSheetRef(node->Link(), Sheet()->ref)) return;
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
    if (view_) view_->attachSheet(nullptr);
    sheets_.Discard();
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
    // The window lets go of the sheet before the sheet goes.
    if (view_ && sheets_.Sheet()) view_->attachSheet(nullptr);
    if (sheets_.Close() && view_) view_->showSheet("", "");
}

void cuiMain::CreateSheet(const std::string& ref) { sheets_.Open(ref, view_ ? view_->sheetMetrics() : nullptr); }

void cuiMain::OpenSheetRef(const std::string& ref) {
    CloseSheet();
    CreateSheet(ref);
    if (view_ && sheets_.Sheet()) {
        std::string caption;
        if (tree_) {
            if (cuiTreeNode* node = tree_->NodeAt(tree_->FindLink(ref))) caption = node->shown.text;
        }
        view_->showSheet(sheets_.Sheet()->parsed.key, caption);
        if (sheets_.Grid()) view_->attachSheet(&sheets_);
    }
}

void cuiMain::TickTask(void* self, cmcTask*) { static_cast<cuiMain*>(self)->Tick(); }

void cuiMain::Tick() {
    sheets_.FreeClosed();
    if (treeChangeDue_ && treeChangeDue_->remaining() == 0) TreeSelectionDue();
    if (!sheets_.Sheet() && view_ && view_->isVisible()) {
        if (tree_) {
            if (cuiTreeNode* node = tree_->NodeAt(tree_->Selected())) {
                cmcCellObj cell = node->cell;
                RunCell(cell, cellkey::kEnter);
            }
        } else if (!sheets_.Memory().empty()) {
            OpenSheetRef(sheets_.Memory().front().ref);
        }
    }
    if (warningCheck_.TakeDue()) {
        int errors = 0, warnings = 0;
        RunWarningCheck(errors, warnings);
        events_.Post(EvMsg::WarningCheckDone);
    }
}

void cuiMain::RunWarningCheck(int& errors, int& warnings) {
    errors = warnings = 0;
    if (!tree_) return;
    const cuiWarningCheck::Result result = warningCheck_.Run(Cells(), model::familyText(ModelKind()));
    errors = result.errors();
    warnings = result.warnings();
    ShowTreeMarks(result);
}

void cuiMain::ShowTreeMarks(const cuiWarningCheck::Result& result) {
    tree_->ApplyMarks(result.errorLinks, result.warningLinks);
    if (view_) {
        tree_->ForEach([&](cuiTreeNode& node, const ItemPath& path) { view_->updateTreeNode(path, node.shown); });
    }
}
