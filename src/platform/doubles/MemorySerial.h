#pragma once
// An in-memory serial line for unit tests of the protocol. Bytes the program writes are
// recorded and handed to a responder that plays the radio; bytes the radio sends wait in
// the input queue until the program reads them. A line outlives the opens and closes of
// its device, so a test sees every phase of an operation.

#include "platform/SerialPort.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class MemoryLine {
public:
    // Bytes from the radio, read by the program in order.
    void deliver(const std::vector<std::uint8_t>& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
    void deliver(std::uint8_t byte) { incoming.push_back(byte); }
    // Lets the bytes held in the driver's output queue go (only when `holdOutput` is set).
    void transmit() { heldOutput = 0; }

    // Called with each block the program hands to the driver, after it was recorded.
    std::function<void(MemoryLine& line, const std::vector<std::uint8_t>& block)> onWrite;

    // Faults and driver behaviour a test may set.
    std::optional<std::string> failOpen;  // open fails with this reason
    int acceptLimit = -1;                 // a write accepts at most this many bytes (-1: all)
    bool holdOutput = false;              // written bytes stay in the output queue until transmit()

    // What happened.
    bool isOpen = false;
    std::vector<LineSettings> opens;             // every successful open, in order
    std::vector<std::uint8_t> written;           // every byte the driver accepted
    std::vector<int> writeSizes;                 // the size of every block handed to the driver
    std::deque<std::uint8_t> incoming;
    int heldOutput = 0;
};

class MemorySerialPorts : public SerialPorts {
public:
    // The line behind a device path, created on first use.
    MemoryLine& line(const std::string& path) { return lines_[path]; }

    std::unique_ptr<SerialDevice> open(const std::string& path, const LineSettings& settings,
                                       std::string& reason) override;
    // COM n reaches "memory:COMn" unless `comPorts` names another path; numbers listed
    // in `missingComPorts` reach nothing.
    std::string comPortPath(int number) override;
    void pause(int ms) override { pausedMs += ms; }

    std::map<int, std::string> comPorts;
    std::vector<int> missingComPorts;
    long pausedMs = 0;

private:
    std::map<std::string, MemoryLine> lines_;
};

// Installs an in-memory serial backend for a test's lifetime.
class ScopedMemorySerial {
public:
    ScopedMemorySerial() : install_(ports) {}
    MemorySerialPorts ports;

private:
    ScopedSerialPorts install_;
};

}  // namespace platform
