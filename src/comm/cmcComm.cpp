#include "comm/cmcComm.h"

#include "comm/cmcTask.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int decimal(std::string_view s, int fallback) {
    s = trim(s);
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end != s.data() ? value : fallback;
}

}  // namespace

cmcComm::cmcComm() : txTask_(new cmcTask) { txTask_->setCallback(&cmcComm::PumpCallback, this); }

cmcComm::~cmcComm() {
    close();
    cmcTask::dispose(txTask_);
}

platform::LineSettings cmcComm::parseSettings(std::string_view text) {
    platform::LineSettings s;
    std::vector<std::string_view> fields;
    while (true) {
        const auto comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() > 0) s.baudRate = decimal(fields[0], s.baudRate);
    // Field 2 is the parity letter; the port always runs without parity.
    if (fields.size() > 2) s.dataBits = std::clamp(decimal(fields[2], s.dataBits), 4, 8);
    if (fields.size() > 3) {
        const auto stop = trim(fields[3]);
        s.stopBits = stop == "1.5" ? 1 : stop == "2" ? 2 : 0;
    }
    return s;
}

bool cmcComm::open(std::int32_t portNumber, std::string_view settings) {
    if (isOpen()) return false;
    std::string path = platform::serialPorts().comPortPath(portNumber);
    if (path.empty()) {
        portNumber_ = portNumber;
        devicePath_.clear();
        openError_ = "COM" + std::to_string(portNumber) + " does not reach any serial device";
        return false;
    }
    if (!openPath(path, settings)) {
        portNumber_ = portNumber;
        return false;
    }
    portNumber_ = portNumber;
    return true;
}

bool cmcComm::openPath(const std::string& path, std::string_view settings) {
    if (isOpen()) return false;
    portNumber_ = 0;
    devicePath_ = path;
    writeFailed_ = false;
    openError_.clear();
    line_ = parseSettings(settings);
    if (line_.baudRate <= 0) {
        openError_ = "cannot open " + path + ": no line rate in \"" + std::string(settings) + "\"";
        return false;
    }
    device_ = platform::serialPorts().open(path, line_, openError_);
    return device_ != nullptr;
}

void cmcComm::close() {
    txTask_->setInterval(-1);
    device_.reset();
    txQueue_.reset();
    writeFailed_ = false;
}

std::int32_t cmcComm::send(const void* bytes, std::int32_t length) {
    if (!isOpen() || length <= 0) return 0;
    txTask_->setInterval(-1);
    txQueue_.append(bytes, length);
    txTask_->setInterval(0);
    pump();
    return 0;
}

std::int32_t cmcComm::read(void* buffer, std::int32_t maximum) {
    if (!isOpen() || maximum <= 0) return 0;
    return std::max(0, device_->read(static_cast<std::uint8_t*>(buffer), maximum));
}

std::int32_t cmcComm::inQueue() { return isOpen() ? std::max(0, device_->inQueue()) : 0; }
std::int32_t cmcComm::outQueue() { return isOpen() ? std::max(0, device_->outQueue()) : 0; }
std::int32_t cmcComm::pendingOutput() { return outQueue() + txQueue_.length(); }

void cmcComm::PumpCallback(void* self, cmcTask*) { static_cast<cmcComm*>(self)->pump(); }

void cmcComm::pump() {
    if (!isOpen() || txQueue_.empty()) {
        txTask_->setInterval(-1);
        return;
    }
    const std::int32_t n = std::min(txQueue_.length(), kTxChunkSize);
    if (outQueue() != 0) {
        txTask_->setInterval(kPumpRetryMs);
        return;
    }
    const int written = device_->write(txQueue_.data(), n);
    if (written < n) {
        writeFailed_ = true;
        txTask_->setInterval(-1);
        return;
    }
    if (n == txQueue_.length()) {
        txQueue_.setLength(0);
        txTask_->setInterval(-1);
        return;
    }
    for (std::int32_t i = 0; i < n; ++i) txQueue_.popFront();
    txTask_->setInterval(kPumpRetryMs);
}
