#pragma once
// A scripted radio behind the in-memory serial line, for unit tests of the clone driver.
// It answers what the program sends at once; each test bends one part of its behaviour.

#include "comm/cmcCloneDrv.h"
#include "platform/doubles/MemorySerial.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline Bytes frameFromRadio(std::uint8_t command, const Bytes& body) {
    Bytes f = {0xFE, 0xFE, 0xEF, 0xEE, command};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(0xFD);
    return f;
}

inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes dataFrame(std::int32_t address, const std::uint8_t* bytes, std::int32_t count) {
    return frameFromRadio(0xE4, text(cmcCloneDrv::dataPayload(address, bytes, count)));
}

inline Bytes endFrame(int count) {
    char c[4];
    std::snprintf(c, sizeof c, "%02X", count & 0xFF);
    return frameFromRadio(0xE5, text(std::string("Vorn Inc.") + c));
}

class FakeRadio {
public:
    explicit FakeRadio(platform::MemoryLine& line) : line_(line) {
        image.Resize(cmcEeprom::kEepromSize);
        for (std::int32_t a = 0; a < image.Size(); ++a) image.SetByte(a, static_cast<std::uint8_t>(a * 7 + (a >> 8)));
        received.Resize(cmcEeprom::kEepromSize);
        line_.onWrite = [this](platform::MemoryLine&, const Bytes& block) {
            for (std::uint8_t b : block) take(b);
        };
    }

    // What the radio answers; tests replace parts.
    Bytes codes = {0x28, 0x97, 0x00, 0x00};
    Bytes modelInfo = Bytes(125, 0x20);
    cmcEeprom image;             // served by a read
    std::int32_t readEnd = 0xFF7F;
    bool silent = false;         // answers nothing at all
    // The frames of a read before they go out (tamper with them here).
    std::function<void(std::vector<Bytes>& frames)> tamperRead;
    // Replies to the write request and at each 128-byte boundary; empty: nothing.
    Bytes readyReply = {0xFB};
    Bytes boundaryReply = {0xFB};
    Bytes acknowledge = frameFromRadio(0xE6, {0x00});
    // The answer to a live item frame (E8 other than the speed item 01); empty: none.
    std::function<Bytes(const Bytes& frame)> itemAnswer;

    // What the radio saw.
    std::vector<Bytes> frames;   // every frame from the program, preambles collapsed, without 0xFD
    cmcEeprom received;
    std::vector<std::int32_t> dataAddresses;
    std::vector<std::int32_t> readyAfterAddress;  // the next address when a boundary 0xFB went out

private:
    void take(std::uint8_t b) {
        if (b == 0xFE) {
            frame_ = {0xFE};
        } else if (frame_.empty()) {
        } else if (b == 0xFD) {
            frames.push_back(frame_);
            react(frame_);
            frame_.clear();
        } else {
            frame_.push_back(b);
        }
    }

    void react(const Bytes& f) {
        if (silent || f.size() < 4) return;
        switch (f[3]) {
            case 0xE0: {
                Bytes body = codes;
                body.insert(body.end(), modelInfo.begin(), modelInfo.end());
                line_.deliver(frameFromRadio(0xE1, body));
                break;
            }
            case 0xE2: {
                std::vector<Bytes> out;
                for (std::int32_t a = 0; a <= readEnd; a += 16) out.push_back(dataFrame(a, image.Data() + a, 16));
                out.push_back(endFrame(static_cast<int>(out.size())));
                if (tamperRead) tamperRead(out);
                for (const Bytes& o : out) line_.deliver(o);
                break;
            }
            case 0xE3: line_.deliver(readyReply); break;
            case 0xE4: {
                const Bytes payload = cmcCloneDrv::decodeHexText(std::string(f.begin() + 4, f.end()));
                const std::int32_t address = payload[0] << 8 | payload[1];
                const std::int32_t count = payload[2];
                dataAddresses.push_back(address);
                received.WriteBlock(address, payload.data() + 3, count);
                if ((address + count) % 128 == 0) {
                    readyAfterAddress.push_back(address + count);
                    line_.deliver(boundaryReply);
                }
                break;
            }
            case 0xE5: line_.deliver(acknowledge); break;
            case 0xE8:
                if (itemAnswer && f.size() > 8 && f[8] != 0x01) {
                    const Bytes answer = itemAnswer(f);
                    if (!answer.empty()) line_.deliver(answer);
                }
                break;
            default: break;
        }
    }

    platform::MemoryLine& line_;
    Bytes frame_;
};

}  // namespace testsupport
