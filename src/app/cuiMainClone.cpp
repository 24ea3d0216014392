// The clone commands of the controller: Clone Read, Clone Write, Clone Information and the
// COM port selection. The clone session runs the flows; this adds what the program shows
// around them (the disabled main window, the progress window, the messages) and what a
// successful read or write changes in the program.

#include "app/cuiMain.h"

#include "app/ModelRules.h"
#include "comm/cmcTask.h"
#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"
#include "platform/SerialPort.h"
#include "values/CloneInfoText.h"

#include <algorithm>
#include <cctype>
#include <charconv>

using platform::DlgAnswer;
using platform::DlgButtons;
using platform::DlgIcon;

namespace {

constexpr int kProgressRepaintMs = 30;

}  // namespace

std::optional<int> ParseComPortText(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(" \t");
    int value = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc{} || ptr != end || value < 1 || value > 256) return std::nullopt;
    return value;
}

void cuiMain::ProgressTask(void* self, cmcTask*) {
    auto* c = static_cast<cuiMain*>(self);
    CloneView* windows = c->Windows();
    const CloneProgress p = c->clone_.Progress();
    if (!windows || !p.visible) return;
    CloneProgressModel model;
    model.caption = GTex().GetLine("GI_AppInd_Clone_Progress", 0);
    model.cancelText = GTex().GetLine("GI_AppInd_Clone_Progress", 1);
    model.progress = p;
    windows->showProgress(model);
}

void cuiMain::BeginClone() {
    if (view_) view_->setEnabled(false);
    progressTask_->setInterval(kProgressRepaintMs);
}

void cuiMain::EndClone(const CloneOutcome& outcome) {
    if (outcome.ok()) liveHeld_ = false;
    progressTask_->setInterval(-1);
    if (CloneView* windows = Windows()) windows->hideProgress();
    if (view_) view_->setEnabled(true);
    if (!outcome.message.empty()) Tell(outcome.message, DlgIcon::Error);
}

void cuiMain::CloneRead() {
    if (clone_.Busy()) return;
    // The read replaces the current image: unsaved edits are offered for saving first.
    if (SavePrompt() == DlgAnswer::Cancel) return;
    if (!clone_.UsePort(settings_.comPort)) return;
    BeginClone();
    if (!clone_.Read([this](CloneOutcome& outcome) {
            EndClone(outcome);
            if (outcome.ok()) AfterCloneRead(outcome);
        })) {
        EndClone({});
    }
}

void cuiMain::AfterCloneRead(CloneOutcome& outcome) {
    // The radio's image becomes the current and the radio image; the working area is
    // unpacked from it and the model kind follows what the image says it is.
    radio_.Assign(outcome.image);
    current_.Assign(outcome.image);
    const int kind = rules_->RebuildWorkingArea(current_);
    AfterImageLoaded(current_, kind < 0 ? ModelKind() : kind);
    SetCurrentFileName("");
    CheckModified();
    CloseSheet();  // the tick reopens the sheet with the radio's values
    RefreshBankLabels();
}

void cuiMain::CloneWrite() {
    if (clone_.Busy()) return;
    StartCloneWrite();
}

void cuiMain::StartCloneWrite() {
    events_.Send(EvMsg::CommitEdit);
    if (!clone_.UsePort(settings_.comPort)) return;
    CloneSession::WriteRequest request;
    request.image = &current_;
    request.initial = &initial_;
    request.modelKind = ModelKind();
    request.handheld = !model::isMobile(ModelKind());
    request.makerMode = makerMode_;
    request.highSpeed = settings_.comSpeedHigh != 0;
    request.identified = [this](CloneStatus s) { CloneWritePhaseTwo(static_cast<int>(s)); };
    request.confirm = [this](const CloneIdentity&) {
        if (makerMode_ && Ask(GTex().GetBlock("GI_Mess_Maker_Caution"), DlgIcon::Warning, DlgButtons::OkCancel) !=
                              DlgAnswer::Ok) {
            return false;
        }
        return Ask(GTex().GetBlock("GI_Mess_Confirm_CloneWrite"), DlgIcon::Warning, DlgButtons::OkCancel) ==
               DlgAnswer::Ok;
    };
    BeginClone();
    if (!clone_.Write(std::move(request), [this](CloneOutcome& outcome) {
            EndClone(outcome);
            if (!outcome.ok()) return;
            CloseSheet();
            Tell(GTex().GetBlock("GI_Mess_CloneWrite_Succeeded"), DlgIcon::Information);
        })) {
        EndClone({});
    }
}

void cuiMain::CloneInformation() {
    if (clone_.Busy()) return;
    if (!clone_.UsePort(settings_.comPort)) return;
    BeginClone();
    if (!clone_.Identify([this](CloneOutcome& outcome) {
            EndClone(outcome);
            if (!outcome.ok()) return;
            if (CloneView* windows = Windows()) {
                sheets_.OpenWindowSheet(kCloneInfoSheet, view_ ? view_->sheetMetrics() : nullptr);
                windows->showCloneInformation(CloneInformationModel());
            }
        })) {
        EndClone({});
    }
}

CloneInfoModel cuiMain::CloneInformationModel() {
    CloneInfoModel model;
    model.caption = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    model.closeText = GTex().GetLine("GI_AppInd_Button_OkCancel", 0);
    model.sheet = sheets_.WindowSheet(model.sheetKey);
    model.host = &sheets_;
    const auto& id = clone_.LastIdentity();
    if (!id) return model;
    const cloneinfo::Block b(id->block);
    std::string options;
    for (const std::string& o : cloneinfo::Options(b)) options += (options.empty() ? "" : "\n") + o;
    const std::string texts[] = {cloneinfo::Model(b),      cloneinfo::Revision(b),     cloneinfo::Comment(b, 1),
                                 cloneinfo::Comment(b, 2), options,                    cloneinfo::OverVoltage(b),
                                 cloneinfo::SerialNumber(b), cloneinfo::CheckSum(b)};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        model.rows.emplace_back(GTex().GetLine("GI_AppInd_CloneInfo_Labels", static_cast<int>(i)), texts[i]);
    }
    return model;
}

// ---------------------------------------------------------------- COM port selection

ComPortDialogModel cuiMain::PortDialogModel() const {
    ComPortDialogModel m;
    m.caption = GTex().GetLine("GI_AppInd_Opt_ComSel_Caption", 0);
    m.notice = GTex().GetBlock("GI_AppInd_Opt_ComSel_Notice");
    m.okText = GTex().GetLine("GI_AppInd_Opt_ComSel_Buttons", 0);
    m.cancelText = GTex().GetLine("GI_AppInd_Opt_ComSel_Buttons", 1);
    m.buttonWidthText = GTex().GetLine("GI_AppInd_Opt_ComSel_SizeOfButtons", 0);
    m.current = std::to_string(settings_.comPort);
    m.devicesHeading = GTex().GetLine("GI_AppInd_Opt_ComSel_Devices", 0);
    // Which device each number reaches, for the numbers that reach one that is present.
    // The devices are listed once; the environment and the stored paths come first.
    platform::ComPortSources named = platform::systemComPortSources();
    const std::vector<std::string> present = platform::presentSerialDevices(named.deviceDirectory);
    named.deviceDirectory = "/nonexistent";
    for (int n = 1; n <= 256; ++n) {
        std::string path = platform::resolveComPort(n, named);
        if (path.empty() && static_cast<std::size_t>(n) <= present.size()) path = present[static_cast<std::size_t>(n) - 1];
        if (!path.empty()) m.devices.emplace_back(n, path);
    }
    return m;
}

bool cuiMain::AcceptComPortText(const std::string& text) {
    const std::optional<int> port = ParseComPortText(text);
    if (!port) {
        Tell(GTex().GetBlock("GI_AppInd_Opt_ComSel_OutofRange"), DlgIcon::Error);
        return false;
    }
    SetComPort(*port);
    return true;
}

void cuiMain::ComPortDialog() {
    CloneView* windows = Windows();
    if (!windows || clone_.Busy()) return;
    windows->askComPort(PortDialogModel(), [this](const std::string& text) { return AcceptComPortText(text); });
}

// ---------------------------------------------------------------- live adjustment

void cuiMain::EndLive(const CloneOutcome& outcome) {
    if (view_) view_->setEnabled(true);
    liveHeld_ = !outcome.ok();
    LiveRequestEnded(outcome.ok());
    if (!outcome.message.empty()) Tell(outcome.message, DlgIcon::Error);
    events_.Send(EvMsg::RedrawBound);
}

bool cuiMain::SendLiveValue(std::uint8_t itemCode, std::uint8_t value, std::uint8_t* target, bool awaitReply) {
    if (liveHeld_ || clone_.Busy() || (view_ && !view_->isEnabled())) return false;
    if (!clone_.UsePort(settings_.comPort)) return false;
    if (view_) view_->setEnabled(false);
    const bool sent = clone_.SendItem(itemCode, value, awaitReply ? target : nullptr, AdjustmentProcedureRunning(),
                                      [this](CloneOutcome& outcome) { EndLive(outcome); });
    if (!sent) {
        if (view_) view_->setEnabled(true);
        return false;
    }
    // Without a reply the value is what the radio now holds.
    if (!awaitReply && target) *target = value;
    return true;
}

bool cuiMain::SendLiveList(std::span<const LiveItem> items) {
    if (liveHeld_) return false;
    return StartLiveList(items, [this](CloneOutcome& outcome) { EndLive(outcome); });
}

bool cuiMain::StartLiveList(std::span<const LiveItem> items, CloneSession::Done done) {
    if (clone_.Busy() || (view_ && !view_->isEnabled())) return false;
    if (items.empty() || !clone_.UsePort(settings_.comPort)) return false;
    if (view_) view_->setEnabled(false);
    if (!clone_.SendItemList(items, std::move(done))) {
        if (view_) view_->setEnabled(true);
        return false;
    }
    return true;
}

MeasuredValuesModel cuiMain::MeasuredValuesView() {
    MeasuredValuesModel m;
    m.caption = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    m.updateText = GTex().GetLine("GI_AppInd_Update", 0);
    m.closeText = GTex().GetLine("GI_AppInd_Button_OkCancel", 0);
    for (const std::uint8_t parameter : ReadBackParameters()) {
        m.rows.emplace_back(platform::formatOne(GTex().GetLine("GI_AppInd_AD_Parameter", 0), std::to_string(parameter)),
                            std::to_string(MeasuredValue(parameter)));
    }
    m.sheet = sheets_.WindowSheet(m.sheetKey);
    m.host = &sheets_;
    if (const EditWindowPos* pos = settings_.FindEditWindowPos(m.sheetKey); pos && pos->width > 0) {
        m.placement = WinRect{pos->left, pos->top, pos->width, pos->height};
    }
    return m;
}

bool cuiMain::MeasuredValuesOpen() {
    const EditWindowPos* pos = settings_.FindEditWindowPos(kMeasuredValuesSheet);
    return pos && pos->open != 0;
}

void cuiMain::OpenMeasuredValues() {
    CloneView* windows = Windows();
    if (!windows) return;
    settings_.adWindowOpen = true;
    // The window's position entry says that it is open, so that opening it again only
    // brings it to the front; its bounds stay those it was closed with.
    EditWindowPos pos;
    if (const EditWindowPos* stored = settings_.FindEditWindowPos(kMeasuredValuesSheet)) pos = *stored;
    pos.name = kMeasuredValuesSheet;
    pos.open = 1;
    settings_.StoreEditWindowPos(pos);
    sheets_.OpenWindowSheet(kMeasuredValuesSheet, view_ ? view_->sheetMetrics() : nullptr);
    windows->showMeasuredValues(MeasuredValuesView());
    UpdateMeasuredValues();
}

void cuiMain::UpdateMeasuredValues() {
    // Inert while a transfer runs: a second press starts nothing until the first ended.
    // A press is the user asking for the radio again.
    if (!LinkBusy()) liveHeld_ = false;
    static_cast<void>(StartLiveList(ReadBackList(), [this](CloneOutcome& outcome) {
        EndLive(outcome);
        if (CloneView* windows = Windows(); windows && MeasuredValuesOpen()) {
            windows->showMeasuredValues(MeasuredValuesView());
        }
    }));
}

void cuiMain::MeasuredValuesClosed(const WinRect& placement) {
    settings_.adWindowOpen = false;
    sheets_.CloseWindowSheet(kMeasuredValuesSheet);
    EditWindowPos pos;
    pos.name = kMeasuredValuesSheet;
    pos.left = placement.left;
    pos.top = placement.top;
    pos.width = placement.width;
    pos.height = placement.height;
    settings_.StoreEditWindowPos(pos);
}
