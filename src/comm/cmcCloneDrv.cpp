#include "comm/cmcCloneDrv.h"

#include "comm/cmcTask.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint8_t kPreamble = 0xFE;
constexpr std::uint8_t kEnd = 0xFD;
constexpr std::uint8_t kRadio = 0xEE;
constexpr std::uint8_t kProgram = 0xEF;
constexpr std::uint8_t kReady = 0xFB;
constexpr std::uint8_t kRefused = 0xFA;
constexpr std::uint8_t kData = 0xE4;
constexpr std::uint8_t kEndOfData = 0xE5;
constexpr std::uint8_t kIdentifyReply = 0xE1;
constexpr std::string_view kMaker = "Vorn Inc.";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Upper-case only: the radio's data frames never carry lower-case digits.
int strictHexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isBcd(std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; }

std::string format(const char* pattern, unsigned a, unsigned b) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

}  // namespace

cmcCloneDrv::cmcCloneDrv() : task_(new cmcTask) { task_->setCallback(&cmcCloneDrv::TaskCallback, this); }

cmcCloneDrv::~cmcCloneDrv() { cmcTask::dispose(task_); }

void cmcCloneDrv::setCodes(std::uint16_t modelCode, std::uint16_t extraCode) {
    modelCode_ = modelCode;
    extraCode_ = extraCode;
}

void cmcCloneDrv::setScript(std::string script, std::string finalSettings) {
    script_ = std::move(script);
    finalSettings_ = std::move(finalSettings);
}

std::vector<std::uint8_t> cmcCloneDrv::decodeHexText(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        const int v = hexValue(c);
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    if (high >= 0) bytes.push_back(static_cast<std::uint8_t>(high << 4));
    return bytes;
}

std::string cmcCloneDrv::dataPayload(std::int32_t address, const std::uint8_t* bytes, std::int32_t count) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X%02X", static_cast<unsigned>(address & 0xFFFF),
                  static_cast<unsigned>(count & 0xFF));
    std::string payload(text);
    unsigned sum = (address & 0xFF) + ((address >> 8) & 0xFF) + static_cast<unsigned>(count);
    for (std::int32_t i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", bytes[i]);
        payload += text;
        sum += bytes[i];
    }
    std::snprintf(text, sizeof text, "%02X", (256 - sum % 256) % 256);
    payload += text;
    return payload;
}

// ---------------------------------------------------------------- operation starts

bool cmcCloneDrv::start(CloneOperation operation, Completion completion) {
    return start(operation, kTickMs, std::move(completion));
}

bool cmcCloneDrv::start(CloneOperation operation, int tickMs, Completion completion) {
    completion_ = std::move(completion);
    byteCount_ = 0;
    frameCount_ = 0;
    dataBytesDone_ = 0;
    operation_ = operation;
    result_ = std::make_unique<dst_CDrv_Result>();
    result_->operation = operation;
    result_->modelCode = modelCode_;
    result_->extraCode = extraCode_;
    rxQueue_.reset();
    frameBuffer_.reset();
    state_ = Starting;
    task_->setInterval(tickMs);
    return true;
}

void cmcCloneDrv::setRanges(std::span<const AddressRange> ranges, std::int32_t imageSize) {
    // A list ends at its first pair whose end is below its start; a pair that does not lie
    // inside the image ends it too, so nothing is ever sent from or required outside it.
    ranges_.clear();
    for (const AddressRange& r : ranges) {
        if (r.end < r.start || r.start < 0 || r.end >= imageSize) break;
        ranges_.push_back(r);
    }
    rangeIndex_ = 0;
    currentAddress_ = ranges_.empty() ? 0 : ranges_.front().start;
}

bool cmcCloneDrv::identify(Completion completion) {
    if (busy()) return false;
    setRanges({}, 0);
    start(CloneOperation::Identify, std::move(completion));
    result_->image.Resize(std::max(imageSize_, 0));
    return true;
}

bool cmcCloneDrv::read(std::span<const AddressRange> ranges, Completion completion) {
    if (busy()) return false;
    setRanges(ranges, imageSize_);
    start(CloneOperation::Read, std::move(completion));
    result_->image.Resize(std::max(imageSize_, 0));
    return true;
}

bool cmcCloneDrv::write(const cmcEeprom& image, std::span<const AddressRange> ranges, Completion completion) {
    if (busy()) return false;
    setRanges(ranges, image.Size());
    start(CloneOperation::Write, std::move(completion));
    result_->image = image;
    return true;
}

// ---------------------------------------------------------------- the tick

void cmcCloneDrv::TaskCallback(void* self, cmcTask*) { static_cast<cmcCloneDrv*>(self)->tick(); }

void cmcCloneDrv::tick() {
    if (state_ != Idle) step();
    if (state_ != Idle && comm_.writeFailed()) {
        result_->status = CloneStatus::WriteFailed;
        state_ = Finish;
    }
    if (rxQueue_.consumed() > cmcBuff::kCompactAfter) rxQueue_.compact();
    if (state_ != Finish) {
        if (state_ == Idle) task_->setInterval(-1);
        return;
    }
    comm_.close();
    state_ = Idle;
    task_->setInterval(-1);
    rxQueue_.reset();
    frameBuffer_.reset();
    std::unique_ptr<dst_CDrv_Result> result = std::move(result_);
    Completion done = std::move(completion_);
    completion_ = nullptr;
    // Last: the completion may start the next operation.
    if (done) done(*result);
}

void cmcCloneDrv::cancel() {
    if (state_ == Idle || state_ == DrainOutput || state_ == Finish) return;
    fail(CloneStatus::Cancelled);
    deadline_.arm(timeouts_.standard);
}

void cmcCloneDrv::fail(CloneStatus status) {
    result_->status = status;
    state_ = DrainOutput;
}

void cmcCloneDrv::step() {
    const int before = state_;
    progress_ = false;
    switch (state_) {
        case Starting: state_ = SpeedScript; break;
        case SpeedScript: runScript(); break;
        case OpenForOperation: openForOperation(); break;
        case SendIdentify:
            sendRequest(0xE0);
            state_ = WaitIdentify;
            break;
        case WaitIdentify: waitIdentify(); break;
        case SendRead:
            sendRequest(0xE2);
            state_ = ReceiveData;
            break;
        case ReceiveData: receiveData(); break;
        case SendWriteRequest:
            sendRequest(0xE3);
            state_ = WaitReadyAfterRequest;
            break;
        case WaitReadyAfterRequest:
        case WaitReady: waitReady(); break;
        case SendData: sendData(); break;
        case SendEnd: sendEnd(); break;
        case WaitAcknowledge: waitAcknowledge(); break;
        case NextListItem: nextListItem(); break;
        case SendItem: sendItemFrame(); break;
        case WaitItemReply: waitItemReply(); break;
        case DrainOutput:
            if (comm_.pendingOutput() == 0) state_ = Finish;
            break;
        default: fail(CloneStatus::Format); break;
    }
    if (state_ != before || progress_) {
        deadline_.arm(timeoutFor(state_));
    } else if (deadline_.remaining() == 0) {
        result_->status = CloneStatus::Timeout;
        // Output that cannot leave within a time-out is given up, so the operation still ends.
        state_ = before == DrainOutput ? Finish : DrainOutput;
    }
}

std::uint32_t cmcCloneDrv::timeoutFor(int state) const {
    switch (state) {
        case SpeedScript: return timeouts_.script;
        case WaitIdentify: return timeouts_.identify;
        case WaitReadyAfterRequest: return timeouts_.readyAfterRequest;
        case WaitAcknowledge: return timeouts_.acknowledge;
        default: return timeouts_.standard;
    }
}

// ---------------------------------------------------------------- port handling

bool cmcCloneDrv::openPort(const std::string& settings) {
    const bool ok = portPath_.empty() ? comm_.open(portNumber_, settings) : comm_.openPath(portPath_, settings);
    if (!ok) result_->portError = comm_.openError();
    return ok;
}

void cmcCloneDrv::drain() {
    platform::serialPorts().pause(kDrainPauseMs);
    std::uint8_t b = 0;
    for (std::int32_t i = 0; i < kDrainMaxBytes && comm_.read(&b, 1) == 1; ++i) {
    }
}

void cmcCloneDrv::sendBytes(const std::vector<std::uint8_t>& bytes) {
    comm_.send(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    byteCount_ += static_cast<std::int64_t>(bytes.size());
}

void cmcCloneDrv::sendRequest(std::uint8_t command) {
    char pattern[40];
    std::snprintf(pattern, sizeof pattern, "FEFE EE EF %02X %%04X %%04X FD", command);
    sendBytes(decodeHexText(format(pattern, modelCode_, extraCode_)));
    frameBuffer_.reset();
}

void cmcCloneDrv::readPort() {
    const std::int32_t n = comm_.read(readBuffer_, kReadChunk);
    if (n <= 0) return;
    rxQueue_.append(readBuffer_, n);
    byteCount_ += n;
}

void cmcCloneDrv::runScript() {
    if (!script_.empty()) {
        std::size_t length = 0;
        if (script_.front() == '(') {
            const std::size_t close = script_.find(')');
            length = close == std::string::npos ? script_.size() : close + 1;
            const std::string settings = script_.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            comm_.close();
            if (!openPort(settings)) {
                script_.clear();
                fail(CloneStatus::PortOpen);
                return;
            }
            drain();
        } else {
            const std::size_t open = script_.find('(');
            length = open == std::string::npos ? script_.size() : open;
            sendBytes(decodeHexText(std::string_view(script_).substr(0, length)));
        }
        script_.erase(0, length);
        // Only a segment carried out restarts the deadline: a port whose output never
        // drains must still end the operation with a time-out.
        progress_ = true;
    }
    if (script_.empty() && comm_.pendingOutput() == 0) state_ = OpenForOperation;
}

void cmcCloneDrv::openForOperation() {
    comm_.close();
    if (!openPort(finalSettings_)) {
        fail(CloneStatus::PortOpen);
        return;
    }
    drain();
    switch (operation_) {
        case CloneOperation::Identify: state_ = SendIdentify; break;
        case CloneOperation::Read: state_ = SendRead; break;
        case CloneOperation::Write: state_ = SendWriteRequest; break;
        case CloneOperation::LiveItem: state_ = SendItem; break;
        case CloneOperation::LiveList: state_ = NextListItem; break;
        default: fail(CloneStatus::Format); break;
    }
}

// ---------------------------------------------------------------- receiving

cmcCloneDrv::FrameStep cmcCloneDrv::feedFrame(int b, std::int32_t limit) {
    // A preamble starts a frame; bytes before one are line noise; the end byte completes
    // the frame, which stays in frameBuffer_ for the caller.
    if (b == kPreamble) {
        frameBuffer_.reset();
        frameBuffer_.appendByte(kPreamble);
        return FrameStep::Partial;
    }
    if (frameBuffer_.empty()) return FrameStep::Partial;
    if (b == kEnd) return FrameStep::Complete;
    frameBuffer_.appendByte(static_cast<std::uint8_t>(b));
    return frameBuffer_.length() > limit ? FrameStep::TooLong : FrameStep::Partial;
}

std::optional<std::vector<std::uint8_t>> cmcCloneDrv::assembleWait() {
    readPort();
    std::optional<std::vector<std::uint8_t>> last;
    for (int b = rxQueue_.popFront(); b >= 0; b = rxQueue_.popFront()) {
        switch (feedFrame(b, kWaitFrameLimit)) {
            case FrameStep::Partial: break;
            case FrameStep::Complete:
                last.emplace(frameBuffer_.data(), frameBuffer_.data() + frameBuffer_.length());
                frameBuffer_.reset();
                break;
            case FrameStep::TooLong:
                // An endless frame is handed on as one that fails every check.
                frameBuffer_.reset();
                last.emplace(1, std::uint8_t{0});
                break;
        }
    }
    return last;
}

void cmcCloneDrv::waitIdentify() {
    const auto frame = assembleWait();
    if (!frame) return;
    const auto& f = *frame;
    if (f.size() >= 8 && f[0] == kPreamble && f[1] == kProgram && f[2] == kRadio && f[3] == kIdentifyReply) {
        if (isBcd(f[4]) && isBcd(f[5]) && isBcd(f[6]) && isBcd(f[7])) {
            result_->modelCode = static_cast<std::uint16_t>(f[4] << 8 | f[5]);
            result_->extraCode = static_cast<std::uint16_t>(f[6] << 8 | f[7]);
            result_->modelInfo.set(f.data() + 8, static_cast<std::int32_t>(f.size() - 8));
            result_->status = CloneStatus::Success;
        } else {
            result_->status = CloneStatus::Format;
        }
    } else {
        result_->status = CloneStatus::Format;
    }
    state_ = DrainOutput;
}

void cmcCloneDrv::receiveData() {
    readPort();
    for (int b = rxQueue_.popFront(); b >= 0; b = rxQueue_.popFront()) {
        switch (feedFrame(b, kReadFrameLimit)) {
            case FrameStep::Partial: break;
            case FrameStep::TooLong: fail(CloneStatus::Format); return;
            case FrameStep::Complete: {
                CloneStatus status = CloneStatus::Format;
                const Verdict verdict = checkFrame(frameBuffer_, status);
                frameBuffer_.reset();
                if (verdict != Verdict::Data) {
                    result_->status = verdict == Verdict::End ? coverage() : status;
                    state_ = DrainOutput;
                    return;
                }
                ++frameCount_;
                progress_ = true;
                break;
            }
        }
    }
}

cmcCloneDrv::Verdict cmcCloneDrv::checkFrame(const cmcBuff& frame, CloneStatus& status) {
    const std::int32_t length = frame.length();
    const std::uint8_t* f = frame.data();
    status = CloneStatus::Format;
    if (length < 12 || length > 522 || f[0] != kPreamble || f[1] != kProgram || f[2] != kRadio) {
        return Verdict::Rejected;
    }
    const std::uint8_t* payload = f + 4;
    const std::int32_t chars = length - 4;
    if (f[3] == kData) {
        // Characters are decoded in pairs; an odd number of them cannot be a frame.
        if (chars % 2 != 0) return Verdict::Rejected;
        std::uint8_t bytes[261];
        const std::int32_t n = chars / 2;
        unsigned sum = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const int high = strictHexValue(payload[2 * i]);
            const int low = strictHexValue(payload[2 * i + 1]);
            if (high < 0 || low < 0) return Verdict::Rejected;
            bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
            sum += bytes[i];
        }
        const std::int32_t count = bytes[2];
        if (n != count + 4 || sum % 256 != 0) return Verdict::Rejected;
        const std::int32_t start = bytes[0] << 8 | bytes[1];
        cmcEeprom& image = result_->image;
        if (count > 0 && (start + count - 1 >= imageSize_ || !image.IsValidIndex(start + count - 1))) {
            status = CloneStatus::OutOfRange;
            return Verdict::Rejected;
        }
        if (count > 0) image.WriteBlock(start, bytes + 3, count);
        cmcBuff& bits = result_->receivedBits;
        if (count > 0 && bits.length() <= (start + count - 1) / 8) bits.setLength((start + count - 1) / 8 + 1);
        for (std::int32_t a = start; a < start + count; ++a) *bits.at(a / 8) |= static_cast<std::uint8_t>(1u << (a % 8));
        dataBytesDone_ += count;
        return Verdict::Data;
    }
    if (f[3] == kEndOfData) {
        if (chars != static_cast<std::int32_t>(kMaker.size()) + 2 ||
            std::string_view(reinterpret_cast<const char*>(payload), kMaker.size()) != kMaker) {
            return Verdict::Rejected;
        }
        char expected[4];
        std::snprintf(expected, sizeof expected, "%02X", static_cast<unsigned>(frameCount_ % 256));
        if (payload[kMaker.size()] != expected[0] || payload[kMaker.size() + 1] != expected[1]) {
            status = CloneStatus::FrameCount;
            return Verdict::Rejected;
        }
        return Verdict::End;
    }
    return Verdict::Rejected;
}

CloneStatus cmcCloneDrv::coverage() const {
    const std::int32_t bytes = (result_->image.Size() + 7) / 8;
    std::vector<std::uint8_t> required(static_cast<std::size_t>(bytes), 0);
    for (const AddressRange& r : ranges_) {
        for (std::int32_t a = r.start; a <= r.end; ++a) required[static_cast<std::size_t>(a / 8)] |= 1u << (a % 8);
    }
    const cmcBuff& got = result_->receivedBits;
    bool missing = false;
    for (std::int32_t i = 0; i < bytes; ++i) {
        const std::uint8_t received = i < got.length() ? *got.at(i) : 0;
        if (received & ~required[static_cast<std::size_t>(i)]) return CloneStatus::OutOfRange;
        if (required[static_cast<std::size_t>(i)] & ~received) missing = true;
    }
    return missing ? CloneStatus::Incomplete : CloneStatus::Success;
}

// ---------------------------------------------------------------- writing

void cmcCloneDrv::waitReady() {
    readPort();
    const int b = rxQueue_.popFront();
    if (b == kReady) {
        state_ = SendData;
        progress_ = true;
    } else if (b == kRefused) {
        fail(CloneStatus::Format);
    }
}

void cmcCloneDrv::sendData() {
    static constexpr std::uint8_t kDataHead[] = {kPreamble, kPreamble, kRadio, kProgram, kData};
    for (int pass = 0; pass < kFramesPerTick; ++pass) {
        const bool rangesDone = rangeIndex_ >= ranges_.size();
        const bool atReadyBoundary = !rangesDone && currentAddress_ != ranges_[rangeIndex_].start &&
                                     currentAddress_ % kReadyBlock == 0;
        if (!frameBuffer_.empty() && (rangesDone || atReadyBoundary)) {
            // A batch held back at a ready boundary or at the very end goes out first: no
            // frame may pass a boundary the radio has not confirmed, nor follow the end.
        } else if (rangesDone) {
            if (comm_.pendingOutput() == 0) state_ = SendEnd;
            return;
        } else if (ranges_[rangeIndex_].end < currentAddress_) {
            ++rangeIndex_;
            if (rangeIndex_ < ranges_.size()) currentAddress_ = ranges_[rangeIndex_].start;
        } else {
            const AddressRange& r = ranges_[rangeIndex_];
            std::int32_t n = kBytesPerDataFrame - currentAddress_ % kBytesPerDataFrame;
            if (r.end < currentAddress_ + n - 1) n = r.end - currentAddress_ + 1;
            std::uint8_t bytes[kBytesPerDataFrame];
            result_->image.ReadBlock(currentAddress_, bytes, n);
            frameBuffer_.append(kDataHead, sizeof kDataHead);
            frameBuffer_.append(dataPayload(currentAddress_, bytes, n));
            frameBuffer_.appendByte(kEnd);
            ++frameCount_;
            currentAddress_ += n;
            dataBytesDone_ += n;
        }
        if (frameBuffer_.empty() || comm_.pendingOutput() > 4 * frameBuffer_.length()) return;
        comm_.send(frameBuffer_.data(), frameBuffer_.length());
        byteCount_ += frameBuffer_.length();
        frameBuffer_.reset();
        progress_ = true;
        if (rangeIndex_ < ranges_.size() && currentAddress_ != ranges_[rangeIndex_].start &&
            currentAddress_ % kReadyBlock == 0) {
            state_ = WaitReady;
            return;
        }
    }
}

void cmcCloneDrv::sendEnd() {
    char count[4];
    std::snprintf(count, sizeof count, "%02X", static_cast<unsigned>(frameCount_ % 256));
    std::vector<std::uint8_t> frame = decodeHexText("FEFE EE EF E5 56 6F 72 6E 20 49 6E 63 2E");
    frame.push_back(static_cast<std::uint8_t>(count[0]));
    frame.push_back(static_cast<std::uint8_t>(count[1]));
    frame.push_back(kEnd);
    sendBytes(frame);
    frameBuffer_.reset();
    state_ = WaitAcknowledge;
}

void cmcCloneDrv::waitAcknowledge() {
    const auto frame = assembleWait();
    if (!frame) return;
    static const std::vector<std::uint8_t> kAcknowledge = {kPreamble, kProgram, kRadio, 0xE6, 0x00};
    result_->status = *frame == kAcknowledge ? CloneStatus::Success : CloneStatus::NotAcknowledged;
    state_ = DrainOutput;
}

// ---------------------------------------------------------------- live items

std::vector<std::uint8_t> cmcCloneDrv::itemFrame(std::uint16_t modelCode, std::uint16_t extraCode, std::uint8_t code,
                                                 std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char text[64];
    std::snprintf(text, sizeof text, "FEFE EE EF E8 %04X %04X %02X %02X %02X FD", modelCode, extraCode, code,
                  static_cast<unsigned>(kDigits[value >> 4]), static_cast<unsigned>(kDigits[value & 0x0F]));
    return decodeHexText(text);
}

cmcCloneDrv::Reply cmcCloneDrv::itemReply(const std::vector<std::uint8_t>& f, std::uint16_t modelCode,
                                          std::uint8_t& value) {
    if (f.size() < 11 || f[0] != kPreamble || f[1] != kProgram || f[2] != kRadio || f[3] != 0xE8 ||
        f[4] != (modelCode >> 8) || f[5] != (modelCode & 0xFF)) {
        return Reply::Other;
    }
    const int high = strictHexValue(f[9]);
    const int low = strictHexValue(f[10]);
    if (high < 0 || low < 0) return Reply::BadValue;
    value = static_cast<std::uint8_t>(high << 4 | low);
    return Reply::Value;
}

void cmcCloneDrv::setItem(std::uint8_t code, std::uint8_t value, std::uint8_t* replyTarget) {
    itemCode_ = code;
    itemValue_ = value;
    replyTarget_ = replyTarget;
    itemPending_ = true;
}

void cmcCloneDrv::setItemList(std::span<const LiveItem> items) {
    // Up to and including the first end entry; a list without one gets one.
    items_.clear();
    for (const LiveItem& item : items) {
        if (items_.size() + 1 >= kMaxListItems) break;
        items_.push_back(item);
        if (item.code == 0xFF) break;
    }
    if (items_.empty() || items_.back().code != 0xFF) items_.push_back(LiveItem{});
    itemPending_ = true;
}

bool cmcCloneDrv::sendItem(int tickMs, Completion completion) {
    if (busy()) return false;
    setRanges({}, 0);
    return start(CloneOperation::LiveItem, tickMs, std::move(completion));
}

bool cmcCloneDrv::sendItemList(Completion completion) {
    if (busy()) return false;
    setRanges({}, 0);
    return start(CloneOperation::LiveList, std::move(completion));
}

void cmcCloneDrv::nextListItem() {
    // The data counter serves as the list index.
    const auto index = static_cast<std::size_t>(dataBytesDone_);
    const LiveItem item = index < items_.size() ? items_[index] : LiveItem{};
    if (item.code == 0xFF) {
        result_->status = CloneStatus::Success;
        state_ = DrainOutput;
        return;
    }
    itemCode_ = item.code;
    itemValue_ = item.value ? *item.value : 0;
    replyTarget_ = item.replyTarget;
    ++dataBytesDone_;
    state_ = SendItem;
}

void cmcCloneDrv::sendItemFrame() {
    sendBytes(itemFrame(modelCode_, extraCode_, itemCode_, itemValue_));
    frameBuffer_.reset();
    itemPending_ = false;
    if (replyTarget_) {
        state_ = WaitItemReply;
    } else {
        itemDone();
    }
}

void cmcCloneDrv::itemDone() {
    if (operation_ == CloneOperation::LiveList) {
        state_ = NextListItem;
    } else {
        result_->status = CloneStatus::Success;
        state_ = DrainOutput;
    }
}

void cmcCloneDrv::waitItemReply() {
    readPort();
    for (int b = rxQueue_.popFront(); b >= 0; b = rxQueue_.popFront()) {
        if (feedFrame(b, kWaitFrameLimit) != FrameStep::Complete) {
            if (frameBuffer_.length() > kWaitFrameLimit) frameBuffer_.reset();
            continue;
        }
        const std::vector<std::uint8_t> frame(frameBuffer_.data(), frameBuffer_.data() + frameBuffer_.length());
        frameBuffer_.reset();
        std::uint8_t value = 0;
        switch (itemReply(frame, modelCode_, value)) {
            case Reply::Other: break;  // not the answer: the wait goes on
            case Reply::BadValue:
                // The answer is ours but unreadable: nothing is stored for this item.
                fail(CloneStatus::Format);
                return;
            case Reply::Value:
                *replyTarget_ = value;
                progress_ = true;
                itemDone();
                return;
        }
    }
}
