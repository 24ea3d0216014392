#include "app/CloneSession.h"

#include "overlay/cmcGTex.h"

#include <algorithm>

namespace {

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

}  // namespace

std::int32_t CloneIdentity::EndAddress() const {
    std::int32_t end = 0;
    for (std::size_t i = 0; i < 4; ++i) end = end << 4 | HexDigit(block[kEndAddressChars + i]);
    return end;
}

CloneSession::CloneSession(DocumentRules& rules, std::int32_t imageSize) : rules_(rules), imageSize_(imageSize) {}

bool CloneSession::UsePort(int comNumber) {
    if (Busy() || !manager_.setPort(comNumber)) return false;
    static_cast<void>(manager_.setPortPath({}));
    port_ = ClonePortLabel{comNumber, {}, {}};
    return true;
}

bool CloneSession::UsePortPath(const std::string& path) {
    if (Busy() || !manager_.setPortPath(path)) return false;
    port_ = ClonePortLabel{0, path, {}};
    return true;
}

bool CloneSession::Configure() {
    if (Busy()) return false;
    return manager_.setCodes(static_cast<std::uint16_t>(rules_.ModelCode()),
                             static_cast<std::uint16_t>(rules_.ExtraCode())) &&
           manager_.setImageSize(imageSize_);
}

std::int32_t CloneSession::Length(const AddressRangeList& ranges) {
    std::int32_t n = 0;
    for (const AddressRange& r : ranges) {
        if (r.end < r.start) break;
        n += r.end - r.start + 1;
    }
    return n;
}

CloneProgress CloneSession::Progress() {
    CloneProgress p;
    p.visible = transferring_;
    p.cancellable = transferring_ && running_ == CloneOperation::Read;
    p.done = manager_.driver().dataBytesDone();
    p.total = progressTotal_;
    return p;
}

void CloneSession::CancelRead() {
    if (running_ != CloneOperation::Read) return;
    cancelled_ = true;
    manager_.driver().cancel();
}

void CloneSession::CancelAny() {
    if (running_ == CloneOperation::None) return;
    cancelled_ = true;
    manager_.driver().cancel();
}

// ---------------------------------------------------------------- identification

CloneStatus CloneSession::CheckIdentity(const dst_CDrv_Result& result) {
    // The radio must be of our model, and its block must be as long as it says it is.
    const std::int32_t length = result.modelInfo.length();
    if (result.modelCode != static_cast<std::uint16_t>(rules_.ModelCode()) || length < 1 ||
        *result.modelInfo.at(0) != length) {
        return CloneStatus::Identity;
    }
    CloneIdentity id;
    id.modelCode = result.modelCode;
    id.extraCode = result.extraCode;
    id.blockLength = length;
    std::copy_n(result.modelInfo.data(), std::min<std::int32_t>(length, CloneIdentity::kBlockBytes), id.block.begin());
    identity_ = id;
    return id.Level() >= 6 ? CloneStatus::Level : CloneStatus::Success;
}

void CloneSession::StartIdentify(std::function<void(CloneStatus)> next) {
    transferring_ = false;
    manager_.identify([this, next = std::move(next)](dst_CDrv_Result& r) {
        port_.reason = r.portError;
        next(r.status == CloneStatus::Success ? CheckIdentity(r) : r.status);
    });
}

void CloneSession::Finish(CloneOutcome& outcome, const Done& done) {
    flowRunning_ = false;
    transferring_ = false;
    running_ = CloneOperation::None;
    if (cancelled_ && outcome.status != CloneStatus::Success) outcome.status = CloneStatus::Cancelled;
    cancelled_ = false;
    // The checks above the driver set statuses too; those that leave the radio's line
    // speed in doubt make the next operation run the speed script again.
    if (indCloneMan::leavesSpeedInDoubt(outcome.status)) manager_.forgetSpeed();
    if (outcome.message.empty()) outcome.message = CloneStatusMessage(outcome.status, port_);
    if (done) done(outcome);
}

bool CloneSession::Identify(Done done) {
    if (!Configure()) return false;
    flowRunning_ = true;
    running_ = CloneOperation::Identify;
    StartIdentify([this, done = std::move(done)](CloneStatus status) {
        CloneOutcome outcome;
        outcome.operation = CloneOperation::Identify;
        outcome.status = status;
        Finish(outcome, done);
    });
    return true;
}

// ---------------------------------------------------------------- read

AddressRangeList CloneSession::ReadRanges(std::int32_t end) {
    AddressRangeList ranges = rules_.AddressRanges(static_cast<int>(RangeKind::CloneRead));
    if (!ranges.empty()) {
        // A radio that names an end beyond the EEPROM still gets no request for the
        // working area behind it.
        ranges.front().end = std::min(end - end % 16 + 15, ranges.front().end);
    }
    return ranges;
}

bool CloneSession::Read(Done done) {
    if (!Configure()) return false;
    flowRunning_ = true;
    cancelled_ = false;
    running_ = CloneOperation::Read;
    StartIdentify([this, done = std::move(done)](CloneStatus status) { ReadAfterIdentify(status, done); });
    return true;
}

void CloneSession::ReadAfterIdentify(CloneStatus status, const Done& done) {
    if (status != CloneStatus::Success || cancelled_) {
        CloneOutcome outcome;
        outcome.operation = CloneOperation::Read;
        outcome.status = cancelled_ ? CloneStatus::Cancelled : status;
        Finish(outcome, done);
        return;
    }
    const AddressRangeList ranges = ReadRanges(identity_->EndAddress());
    progressTotal_ = Length(ranges);
    transferring_ = true;
    static_cast<void>(manager_.setImageSize(imageSize_));
    manager_.read(ranges, [this, done](dst_CDrv_Result& r) {
        CloneOutcome outcome;
        outcome.operation = CloneOperation::Read;
        outcome.status = r.status;
        if (outcome.status == CloneStatus::Success && imageCheck_) outcome.status = imageCheck_(r.image);
        if (outcome.status == CloneStatus::Success) outcome.image = std::move(r.image);
        Finish(outcome, done);
    });
}

// ---------------------------------------------------------------- write

AddressRangeList CloneSession::WriteRanges(const WriteRequest& request, const cmcEeprom& packed) {
    const RangeKind kind = request.makerMode ? RangeKind::CloneRead : RangeKind::CloneWrite;
    AddressRangeList ranges = rules_.AddressRanges(static_cast<int>(kind));
    if (!ranges.empty()) {
        // The write ends with the 128-byte block that holds the end of the packed data,
        // and never beyond the range's own end (a packing that fills the EEPROM exactly
        // would otherwise name the working area behind it).
        const std::int32_t used = packed.GetByte(kUsedEndAddress) << 8 | packed.GetByte(kUsedEndAddress + 1);
        AddressRange& first = ranges.front();
        first.end = std::min((used & 0xFF80) | 0x7F, first.end);
    }
    return ranges;
}

std::optional<CloneSession::WritePlan> CloneSession::PrepareWrite(const WriteRequest& request) {
    WritePlan plan{*request.image, {}};
    if (request.initial) rules_.NormaliseImage(plan.image, *request.initial, request.modelKind, true);
    if (rules_.BuildParameterTable(plan.image, true)) return std::nullopt;
    plan.ranges = WriteRanges(request, plan.image);
    return plan;
}

bool CloneSession::FitToRadio(WritePlan& plan, const WriteRequest& request, const CloneIdentity& radio) {
    // What the family changes for this radio lives in the working area; only a packing
    // carries it into the bytes that are sent.
    if (rules_.PrepareForRadio(plan.image, request.modelKind, radio.block)) {
        if (rules_.BuildParameterTable(plan.image, true)) return false;
        plan.ranges = WriteRanges(request, plan.image);
    }
    plan.image.SetByte(kLevelAddress, radio.Level());
    return true;
}

void CloneSession::Decline(const std::string& message) {
    CloneOutcome outcome;
    outcome.operation = CloneOperation::Write;
    outcome.declined = true;
    outcome.message = message;
    write_.reset();
    plan_.reset();
    Done done = std::move(writeDone_);
    Finish(outcome, done);
}

bool CloneSession::Write(WriteRequest request, Done done) {
    if (!request.image || !Configure()) return false;
    flowRunning_ = true;
    cancelled_ = false;
    running_ = CloneOperation::Write;
    writeDone_ = std::move(done);
    write_ = std::move(request);
    // Packed before the radio is even asked: an image that does not fit is refused with
    // nothing on the line.
    plan_ = PrepareWrite(*write_);
    if (!plan_) {
        Decline(GTex().GetBlock("GI_AppMess_CloneWriteOverflow"));
        return true;
    }
    StartIdentify([this](CloneStatus status) { WriteAfterIdentify(status, false); });
    return true;
}

void CloneSession::WriteAfterIdentify(CloneStatus status, bool confirmed) {
    if (write_->identified) write_->identified(status);
    if (status != CloneStatus::Success || cancelled_) {
        CloneOutcome outcome;
        outcome.operation = CloneOperation::Write;
        outcome.status = cancelled_ ? CloneStatus::Cancelled : status;
        write_.reset();
        plan_.reset();
        Done done = std::move(writeDone_);
        Finish(outcome, done);
        return;
    }
    if (identity_->Handheld() != write_->handheld) {
        Decline(GTex().GetBlock("GI_Mess_CloneErr2781_Head"));
        return;
    }
    if (!confirmed) {
        // The question comes after a successful identification, so a missing radio is
        // reported before it; the radio is identified again after it, because the user
        // may have changed radios while the question was open.
        if (!write_->confirm || !write_->confirm(*identity_)) {
            Decline({});
            return;
        }
        StartIdentify([this](CloneStatus s) { WriteAfterIdentify(s, true); });
        return;
    }
    if (!FitToRadio(*plan_, *write_, *identity_)) {
        Decline(GTex().GetBlock("GI_AppMess_CloneWriteOverflow"));
        return;
    }
    progressTotal_ = Length(plan_->ranges);
    transferring_ = true;
    static_cast<void>(manager_.setImageSize(plan_->image.Size()));
    manager_.write(plan_->image, plan_->ranges, write_->highSpeed, [this](dst_CDrv_Result& r) {
        CloneOutcome outcome;
        outcome.operation = CloneOperation::Write;
        outcome.status = r.status;
        write_.reset();
        plan_.reset();
        Done done = std::move(writeDone_);
        Finish(outcome, done);
    });
}

// ---------------------------------------------------------------- live items

bool CloneSession::SendItem(std::uint8_t code, std::uint8_t value, std::uint8_t* target, bool procedureRunning,
                            Done done) {
    if (!Configure() || !manager_.setItem(code, value, target)) return false;
    return StartLive(CloneOperation::LiveItem, [&](indCloneMan::Completion c) {
        return manager_.sendItem(procedureRunning, std::move(c));
    }, std::move(done));
}

bool CloneSession::SendItemList(std::span<const LiveItem> items, Done done) {
    if (!Configure() || !manager_.setItemList(items)) return false;
    return StartLive(CloneOperation::LiveList, [&](indCloneMan::Completion c) {
        return manager_.sendItemList(std::move(c));
    }, std::move(done));
}

bool CloneSession::StartLive(CloneOperation operation, const std::function<bool(indCloneMan::Completion)>& start,
                             Done done) {
    running_ = operation;
    flowRunning_ = true;
    const bool started = start([this, operation, done = std::move(done)](dst_CDrv_Result& r) {
        port_.reason = r.portError;
        CloneOutcome outcome;
        outcome.operation = operation;
        outcome.status = r.status;
        Finish(outcome, done);
    });
    if (!started) {
        flowRunning_ = false;
        running_ = CloneOperation::None;
    }
    return started;
}
