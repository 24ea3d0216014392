#include "VirtualRadio.h"

#include <algorithm>
#include <cstdio>

namespace radiosim {

namespace {

constexpr std::uint8_t kStart = 0xFE;
constexpr std::uint8_t kStop = 0xFD;
constexpr std::uint8_t kRadioAddress = 0xEE;
constexpr std::uint8_t kHostAddress = 0xEF;
constexpr std::size_t kLongestFrame = 600;
constexpr std::string_view kMakerText = "Vorn Inc.";

struct FaultName {
    Fault fault;
    const char* name;
};
constexpr FaultName kFaults[] = {
    {Fault::BadChecksum, "bad-checksum"}, {Fault::LowerCase, "lower-case"},   {Fault::WrongCount, "wrong-count"},
    {Fault::MissingBlock, "missing-block"}, {Fault::ExtraBlock, "extra-block"}, {Fault::Refuse, "refuse"},
    {Fault::Silence, "silence"},          {Fault::E6Error, "e6-01"},          {Fault::NonBcd, "non-bcd"},
    {Fault::Garbage, "garbage"},          {Fault::Stall, "stall"},
};

// Fake A/D readings by parameter number, as the read-back list asks for them.
const std::map<std::uint8_t, std::uint8_t> kMeasurements = {
    {1, 0x9C},  {2, 0x47},  {3, 0x12},  {4, 0x80},  {32, 0x3A}, {33, 0x5E}, {34, 0x21},
    {35, 0x0F}, {39, 0xB4}, {40, 0x66}, {41, 0x73}, {42, 0x08}, {43, 0xC1},
};

const char kUpperDigits[] = "0123456789ABCDEF";

void appendHex(std::string& text, unsigned value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kUpperDigits[(value >> shift) & 0xF];
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One data frame's text: address, count, bytes, checksum (the decoded bytes sum to 0).
std::string dataText(std::int32_t address, const std::uint8_t* bytes, int count) {
    std::string text;
    appendHex(text, static_cast<unsigned>(address), 4);
    appendHex(text, static_cast<unsigned>(count), 2);
    unsigned sum = static_cast<unsigned>((address >> 8) + (address & 0xFF) + count);
    for (int i = 0; i < count; ++i) {
        appendHex(text, bytes[i], 2);
        sum += bytes[i];
    }
    appendHex(text, (0x100 - (sum & 0xFF)) & 0xFF, 2);
    return text;
}

// Item codes with a meaning of their own to the radio.
constexpr std::uint8_t kItemChannel = 0x00;
constexpr std::uint8_t kItemLineSpeed = 0x01;
constexpr std::uint8_t kItemReading = 0x03;
constexpr std::uint8_t kItemSelectAddress = 0x40;
constexpr std::uint8_t kItemWriteByte = 0x41;
constexpr std::uint8_t kDetectorParameter = 3;

// A decimal number 0..255 that fills the whole text.
std::optional<int> byteNumber(std::string_view text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    int n = 0;
    for (char c : text) n = n * 10 + (c - '0');
    return n <= 255 ? std::optional(n) : std::nullopt;
}

std::vector<std::uint8_t> asBytes(std::string_view text) { return {text.begin(), text.end()}; }

}  // namespace

std::optional<Fault> faultFromName(std::string_view name) {
    for (const FaultName& f : kFaults) {
        if (name == f.name) return f.fault;
    }
    return std::nullopt;
}

std::string faultNames() {
    std::string names;
    for (const FaultName& f : kFaults) names += (names.empty() ? "" : ", ") + std::string(f.name);
    return names;
}

std::uint8_t DetectorShape::reading(std::uint8_t swept) const {
    const int v = swept;
    switch (kind) {
        case Kind::Flat: return static_cast<std::uint8_t>(first);
        case Kind::Linear: return static_cast<std::uint8_t>(first + (second - first) * v / 255);
        case Kind::Peak: {
            const int distance = v < first ? first - v : v > second ? v - second : 0;
            return static_cast<std::uint8_t>(std::max(0, 200 - 4 * distance));
        }
    }
    return 0;
}

std::optional<DetectorShape> detectorFromText(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view name = text.substr(0, colon);
    const std::string_view numbers = text.substr(colon + 1);
    DetectorShape shape;
    if (name == "flat") {
        const auto n = byteNumber(numbers);
        if (!n) return std::nullopt;
        shape.first = shape.second = *n;
        return shape;
    }
    if (name != "linear" && name != "peak") return std::nullopt;
    shape.kind = name == "linear" ? DetectorShape::Kind::Linear : DetectorShape::Kind::Peak;
    const std::size_t dash = numbers.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto a = byteNumber(numbers.substr(0, dash));
    const auto b = byteNumber(numbers.substr(dash + 1));
    if (!a || !b) return std::nullopt;
    if (shape.kind == DetectorShape::Kind::Peak && *a > *b) return std::nullopt;
    shape.first = *a;
    shape.second = *b;
    return shape;
}

std::string traceLine(const std::vector<std::uint8_t>& frame) {
    // radio address, program address, command, then for E8: m m x x, item, two value characters
    if (frame.size() < 3) return {};
    std::string line;
    appendHex(line, frame[2], 2);
    if (frame[2] != 0xE8 || frame.size() < 10) return line;
    line += ' ';
    appendHex(line, frame[7], 2);
    line += ' ';
    const int high = hexDigit(static_cast<char>(frame[8]));
    const int low = hexDigit(static_cast<char>(frame[9]));
    if (high < 0 || low < 0) {
        line += "??";
    } else {
        appendHex(line, static_cast<unsigned>(high << 4 | low), 2);
    }
    return line;
}

VirtualRadio::VirtualRadio(RadioConfig config, cmcEeprom image) : config_(std::move(config)), image_(std::move(image)) {
    if (image_.Size() < cmcEeprom::kEepromSize) image_.Resize(cmcEeprom::kEepromSize);
}

std::vector<std::uint8_t> VirtualRadio::modelInformation() const {
    std::vector<std::uint8_t> block(kBlockLength, 0x00);
    block[0] = static_cast<std::uint8_t>(kBlockLength);
    auto put = [&](std::size_t at, std::string_view text, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) block[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
    };
    put(1, config_.comment1, 16);
    put(17, config_.comment2, 16);
    block[34] = config_.revision;
    block[35] = config_.level;
    put(37, config_.serial, 12);
    block[51] = config_.mobile ? 0x00 : 0x04;
    std::string end;
    appendHex(end, static_cast<unsigned>(config_.endAddress), 4);
    put(56, end, 4);
    unsigned sum = 0;
    for (std::int32_t a = 0; a <= config_.endAddress; ++a) sum += image_.GetByte(a);
    std::string check;
    appendHex(check, sum & 0xFFFF, 4);
    put(60, check, 4);
    return block;
}

void VirtualRadio::receive(std::uint8_t byte) {
    if (byte == kStart) {
        frame_.clear();
        inFrame_ = true;
    } else if (!inFrame_) {
        // noise between frames
    } else if (byte == kStop) {
        inFrame_ = false;
        frameComplete();
    } else if (frame_.size() < kLongestFrame) {
        frame_.push_back(byte);
    } else {
        inFrame_ = false;  // far too long for any frame of ours: forget it
    }
}

void VirtualRadio::frameComplete() {
    if (onFrame && frame_.size() >= 3) onFrame(frame_);
    if (config_.fault == Fault::Silence) return;
    if (frame_.size() < 3 || frame_[0] != kRadioAddress || frame_[1] != kHostAddress) return;
    const std::uint8_t command = frame_[2];
    const std::vector<std::uint8_t> body(frame_.begin() + 3, frame_.end());
    const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
    switch (command) {
        case 0xE0: identify(); break;
        case 0xE2:
            if (ourModel(body)) serveRead();
            break;
        case 0xE3:
            if (ourModel(body)) startWrite();
            break;
        case 0xE4:
            if (writing_) takeData(text);
            break;
        case 0xE5:
            if (writing_) endWrite(text);
            break;
        case 0xE8: item(body); break;
        default: break;
    }
}

bool VirtualRadio::ourModel(const std::vector<std::uint8_t>& body) const {
    return body.size() >= 2 && (body[0] << 8 | body[1]) == config_.modelCode;
}

void VirtualRadio::sendRaw(const std::vector<std::uint8_t>& bytes) { output_.insert(output_.end(), bytes.begin(), bytes.end()); }

void VirtualRadio::send(std::uint8_t command, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> frame = {kStart, kStart, kHostAddress, kRadioAddress, command};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(kStop);
    sendRaw(frame);
}

void VirtualRadio::identify() {
    std::vector<std::uint8_t> body = {static_cast<std::uint8_t>(config_.modelCode >> 8),
                                      static_cast<std::uint8_t>(config_.modelCode),
                                      static_cast<std::uint8_t>(config_.extraCode >> 8),
                                      static_cast<std::uint8_t>(config_.extraCode)};
    if (config_.fault == Fault::NonBcd) body[0] = 0x2A;
    const auto block = modelInformation();
    body.insert(body.end(), block.begin(), block.end());
    send(0xE1, body);
}

void VirtualRadio::serveRead() {
    const std::int32_t last = config_.endAddress - config_.endAddress % 16 + 15;
    std::vector<std::string> frames;
    for (std::int32_t a = 0; a <= last && a < image_.Size(); a += 16) {
        frames.push_back(dataText(a, image_.Data() + a, 16));
    }
    const std::size_t victim = std::min<std::size_t>(10, frames.size() - 1);  // the frame for 0x00A0
    switch (config_.fault) {
        case Fault::BadChecksum: frames[victim].back() = frames[victim].back() == '0' ? '1' : '0'; break;
        case Fault::LowerCase:
            for (char& c : frames[victim]) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
            break;
        case Fault::MissingBlock: frames.erase(frames.begin() + static_cast<std::ptrdiff_t>(victim)); break;
        case Fault::ExtraBlock: {
            std::uint8_t extra[16] = {};
            frames.push_back(dataText(last + 1, extra, 16));
            break;
        }
        case Fault::Stall: frames.resize(frames.size() / 2); break;
        default: break;
    }
    int count = 0;
    for (const std::string& f : frames) {
        send(0xE4, asBytes(f));
        ++count;
        if (config_.fault == Fault::Garbage && count % 7 == 0) sendRaw({0x00, 0x55, kStop, 0x13, 0xAA, 0x0D, 0x0A});
    }
    if (config_.fault == Fault::Stall) return;  // and nothing more, ever, for this read
    std::string end(kMakerText);
    appendHex(end, static_cast<unsigned>(count + (config_.fault == Fault::WrongCount ? 1 : 0)) & 0xFF, 2);
    send(0xE5, asBytes(end));
}

void VirtualRadio::startWrite() {
    if (config_.fault == Fault::Refuse) {
        sendRaw({0xFA});
        return;
    }
    writing_ = true;
    writeSpoiled_ = false;
    writeFrames_ = 0;
    incoming_ = image_;
    sendRaw({0xFB});
}

void VirtualRadio::takeData(std::string_view payload) {
    ++writeFrames_;
    std::vector<std::uint8_t> bytes;
    bool good = payload.size() % 2 == 0 && payload.size() >= 8;
    for (std::size_t i = 0; good && i + 1 < payload.size(); i += 2) {
        const int high = hexDigit(payload[i]);
        const int low = hexDigit(payload[i + 1]);
        good = high >= 0 && low >= 0;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    good = good && bytes.size() == static_cast<std::size_t>(bytes[2]) + 4 && (sum & 0xFF) == 0;
    if (!good) {
        writeSpoiled_ = true;
        return;
    }
    const std::int32_t address = bytes[0] << 8 | bytes[1];
    const int count = bytes[2];
    if (address + count > cmcEeprom::kEepromSize) {
        writeSpoiled_ = true;
        return;
    }
    incoming_.WriteBlock(address, bytes.data() + 3, count);
    // The radio stores data in blocks of 128 bytes and says when it is ready for more.
    if ((address + count) % 128 == 0) sendRaw({0xFB});
}

void VirtualRadio::endWrite(std::string_view payload) {
    writing_ = false;
    std::string expected(kMakerText);
    appendHex(expected, static_cast<unsigned>(writeFrames_) & 0xFF, 2);
    const bool accepted = !writeSpoiled_ && payload == expected && config_.fault != Fault::E6Error;
    send(0xE6, {static_cast<std::uint8_t>(accepted ? 0x00 : 0x01)});
    if (!accepted) return;
    image_ = incoming_;
    if (onWritten) onWritten(image_);
}

void VirtualRadio::item(const std::vector<std::uint8_t>& body) {
    // m m x x, item code, value as two hex characters
    if (body.size() < 7 || !ourModel(body)) return;
    const std::uint8_t code = body[4];
    const int high = hexDigit(static_cast<char>(body[5]));
    const int low = hexDigit(static_cast<char>(body[6]));
    if (code == kItemLineSpeed) {
        // The line speed: "27" is 9,600 baud, "09" 38,400.
        if (body[5] == '2' && body[6] == '7') rate_ = 9600;
        if (body[5] == '0' && body[6] == '9') rate_ = 38400;
        return;
    }
    if (high < 0 || low < 0) return;
    const auto value = static_cast<std::uint8_t>(high << 4 | low);
    std::uint8_t reply = value;
    if (code == kItemReading) {
        const auto it = kMeasurements.find(value);
        reply = it == kMeasurements.end() ? 0x00 : it->second;
        if (value == kDetectorParameter && config_.detector) reply = config_.detector->reading(swept_);
    } else {
        adjustments_[code] = value;
        if (code == kItemSelectAddress) {
            selected_ = value;
        } else if (code == kItemWriteByte && selected_) {
            image_.SetByte(*selected_, value);
        }
        if (code != kItemChannel && code != kItemSelectAddress) swept_ = value;
    }
    std::vector<std::uint8_t> answer(body.begin(), body.begin() + 5);
    answer.push_back(static_cast<std::uint8_t>(kUpperDigits[reply >> 4]));
    answer.push_back(static_cast<std::uint8_t>(kUpperDigits[reply & 0xF]));
    send(0xE8, answer);
}

}  // namespace radiosim
