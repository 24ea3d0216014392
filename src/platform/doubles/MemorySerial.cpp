#include "platform/doubles/MemorySerial.h"

#include <algorithm>

namespace platform {

namespace {

class MemoryDevice : public SerialDevice {
public:
    explicit MemoryDevice(MemoryLine& line) : line_(line) { line_.isOpen = true; }
    ~MemoryDevice() override { line_.isOpen = false; }

    int read(std::uint8_t* buffer, int max) override {
        int n = 0;
        while (n < max && !line_.incoming.empty()) {
            buffer[n++] = line_.incoming.front();
            line_.incoming.pop_front();
        }
        return n;
    }

    int write(const std::uint8_t* bytes, int n) override {
        const int accepted = line_.acceptLimit < 0 ? n : std::min(n, line_.acceptLimit);
        std::vector<std::uint8_t> block(bytes, bytes + accepted);
        line_.written.insert(line_.written.end(), block.begin(), block.end());
        line_.writeSizes.push_back(accepted);
        if (line_.holdOutput) line_.heldOutput += accepted;
        if (line_.onWrite) line_.onWrite(line_, block);
        return accepted;
    }

    int inQueue() override { return static_cast<int>(line_.incoming.size()); }
    int outQueue() override { return line_.heldOutput; }

private:
    MemoryLine& line_;
};

}  // namespace

std::unique_ptr<SerialDevice> MemorySerialPorts::open(const std::string& path, const LineSettings& settings,
                                                      std::string& reason) {
    MemoryLine& l = line(path);
    if (l.failOpen) {
        reason = *l.failOpen;
        return nullptr;
    }
    if (l.isOpen) {
        reason = "cannot open " + path + ": the port is in use by another program";
        return nullptr;
    }
    l.opens.push_back(settings);
    l.heldOutput = 0;
    l.incoming.clear();  // opening purges both driver queues
    return std::make_unique<MemoryDevice>(l);
}

std::string MemorySerialPorts::comPortPath(int number) {
    if (std::find(missingComPorts.begin(), missingComPorts.end(), number) != missingComPorts.end()) return {};
    auto it = comPorts.find(number);
    return it != comPorts.end() ? it->second : "memory:COM" + std::to_string(number);
}

}  // namespace platform
