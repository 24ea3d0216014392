#include "app/indMain.h"

#include "app/CloneWriteGuards.h"
#include "app/FamilyRules.h"
#include "app/ModelRules.h"
#include "app/cuiSheetTree.h"
#include "image/RecordAccessor.h"
#include "overlay/cmcGTex.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Node flags of the sheet tree: which model kinds a node belongs to.
constexpr std::uint32_t kNodeMakerOnly = 0x04;
constexpr std::uint32_t kNodeLmrOnly = 0x08;
constexpr std::uint32_t kNodeNotLmr = 0x10;
constexpr std::uint32_t kNodeBiisOnly = 0x20;
constexpr std::uint32_t kNodeP25Only = 0x40;

constexpr const char* kMemoryChannelsLink = "GI_Sheet_Memory_CH_Top";

}  // namespace

indMain::indMain(indEnviron& settings, cmcEvMan& events)
    : cuiMain(settings, events, std::max<std::int32_t>(cmcEeprom::kEepromSize, cmcEeprom::kImageSize),
              std::make_unique<FamilyRules>()),
      procedures_(link_, CurrentImage(), RadioImage(), adjust_) {
    events.Subscribe<&indMain::OnModelEvent>(this);
    for (std::size_t i = 0; i < std::size(kReadBackParameters); ++i) {
        readBack_[i] = LiveItem{AdjustmentProcedures::kReadItem, &kReadBackParameters[i],
                                readings_.At(kReadBackParameters[i])};
    }
}

indMain::~indMain() { Events().Unsubscribe<&indMain::OnModelEvent>(this); }

void indMain::BuildTree() {
    cuiMain::BuildTree();
    cuiTreeNode* root = Tree() ? Tree()->Root() : nullptr;
    if (!root) return;
    root->shown.text += GTex().GetLine("GI_AppInd_ModelTree", ModelKind());
    if (View()) View()->updateTreeNode({0}, root->shown);
}

int indMain::CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText) {
    cmcEeprom received(static_cast<std::int32_t>(size));
    received.WriteBlock(0, data, static_cast<std::int32_t>(size));
    return model::checkMakerIdentity(received, CurrentImage(), withIdentityText);
}

int indMain::CheckNewerData(const std::uint8_t* data, std::size_t size) {
    return model::newerDataLocked(data, size) ? 1 : 0;
}

void indMain::AfterImageLoaded(cmcEeprom& image, int modelKind) {
    // The image says which model kind it belongs to; the program follows it silently.
    ChangeModel(modelKind, false);
    cuiMain::AfterImageLoaded(image, modelKind);
    Events().Send(EvMsg::TreeChanged);
}

void indMain::RunWarningCheck(int& errors, int& warnings) {
    cuiMain::RunWarningCheck(errors, warnings);
    Events().Post(EvMsg::BanksChanged);
    Events().Post(EvMsg::ChannelsChanged);
}

void indMain::StartCloneWrite() {
    // A write replaces what any adjustment would leave in the radio, and a procedure
    // stepping on the messages below would take the link from it.
    procedures_.Abort();
    // The guards look at the data that would be written, so an edit still open in a cell
    // is committed first; a refused write touches no port.
    Events().Send(EvMsg::CommitEdit);
    const std::string refused = clonewrite::refusal(CurrentImage(), [this] {
        int errors = 0, warnings = 0;
        RunWarningCheck(errors, warnings);
        return errors;
    });
    if (!refused.empty()) {
        Tell(GTex().GetBlock(refused), platform::DlgIcon::Error);
        return;
    }
    cuiMain::StartCloneWrite();
}

void indMain::ChangeModel(int kind, bool ask) {
    if (kind == ModelKind() || !model::isKind(kind)) return;
    if (ask) {
        // Unsaved edits are offered for saving first; then the change itself is confirmed.
        if (SavePrompt() == platform::DlgAnswer::Cancel) return;
        if (Ask(GTex().GetBlock("GI_AppMess_ChangeModel"), platform::DlgIcon::Warning,
                platform::DlgButtons::OkCancel) != platform::DlgAnswer::Ok)
            return;
    }
    Settings().modelType = kind;
    LoadInitialImage(kind);
    if (ask) {
        CurrentImage().Assign(InitialImage());
        static_cast<void>(Rules().BuildParameterTable(CurrentImage(), false));
        MarkSaved();
        SetCurrentFileName("");
        RefreshBankLabels();
    }
    BuildTree();
}

void indMain::OnModelEvent(cmcEvMessage& m) {
    if (m.type == EvMsg::TreeChanged) PruneTree();
    if (m.type == EvMsg::BanksChanged) RefreshBankIcons();
    if (m.type == EvMsg::OpenAdWindow) OpenAdWindow();
    // Every message drives the running procedure one step while the link is free; the
    // redraw after each completed request is the one that keeps it going.
    if (LinkFree()) procedures_.Step();
}

bool indMain::LinkFree() { return !Clone().Busy() && (!View() || View()->isEnabled()); }

void indMain::LiveRequestEnded(bool ok) {
    // A request that failed ends the procedure: its message has told the user why, and
    // stepping on would only repeat it.
    if (!ok) procedures_.Abort();
}

void indMain::StartProcedure(AdjustmentProcedures::Procedure p) {
    ReleaseLiveHold();
    if (LinkFree()) procedures_.Start(p);
}

void indMain::OpenAdWindow() {
    if (MeasuredValuesOpen()) {
        Events().SendText(EvMsg::BringWindowToFront, 0, 0, kMeasuredValuesSheet);
        return;
    }
    adjust_.channelSelectionPending = true;
    OpenMeasuredValues();
}

void indMain::RefreshBankIcons() {
    if (!Tree()) return;
    const RecordAccessor banks(CurrentImage());
    Tree()->ForEach([&](cuiTreeNode& node, const ItemPath& path) {
        const int bank = node.BankNumber();
        if (bank < 0) return;
        // 4/5 plain, 6/7 flag A, 8/9 flag B; the second of a pair when the bank holds channels.
        const int base = banks.bankBitB(bank) ? 8 : banks.bankBitA(bank) ? 6 : 4;
        const int image = base + (banks.bankCount(bank) > 0 ? 1 : 0);
        if (node.shown.imageIndex == image) return;
        node.shown.imageIndex = image;
        if (View()) View()->updateTreeNode(path, node.shown);
    });
}

void indMain::PruneTree() {
    cuiSheetTree* tree = Tree();
    if (!tree) return;
    const int kind = ModelKind();
    std::uint32_t remove = 0;
    if (!MakerMode()) remove |= kNodeMakerOnly;
    remove |= model::isLmr(kind) ? kNodeNotLmr : kNodeLmrOnly;
    if (!model::isBiisPmr(kind)) remove |= kNodeBiisOnly;
    if (!model::isP25(kind)) remove |= kNodeP25Only;
    // The tree moves the selection to the node after when the node it was on is gone.
    tree->DeleteWhere([remove](const cuiTreeNode& n, const cuiTreeNode* parent) {
        return (n.NodeFlags() & remove) != 0 || (parent && parent->Link() == kMemoryChannelsLink);
    });
}
