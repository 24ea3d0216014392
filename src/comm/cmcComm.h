#pragma once
// One serial port for the radio link. Reads never wait; sending goes through a transmit
// queue that a timer task hands to the driver in chunks of at most 1,024 bytes, and only
// while the driver's own output queue is empty, so that neither holds up the program's
// one thread. The protocol polls for received bytes on its own timer.

#include "comm/cmcBuff.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class cmcTask;

class cmcComm {
public:
    cmcComm();
    ~cmcComm();
    cmcComm(const cmcComm&) = delete;
    cmcComm& operator=(const cmcComm&) = delete;

    // Opens COM `portNumber` (resolved by the serial seam) or a device path with a settings
    // text such as "9600,N,8,1". Fails at once, touching nothing, when already open. On
    // failure `openError` says which device and why.
    bool open(std::int32_t portNumber, std::string_view settings);
    bool openPath(const std::string& path, std::string_view settings);
    // Stops the pump, closes, empties the transmit queue (unsent bytes are lost), clears
    // writeFailed.
    void close();
    bool isOpen() const { return device_ != nullptr; }

    // Queues the bytes and runs the pump once at once; nothing when closed. Returns 0.
    std::int32_t send(const void* bytes, std::int32_t length);
    // At most `maximum` waiting bytes, without waiting; 0 when closed or the read fails.
    std::int32_t read(void* buffer, std::int32_t maximum);
    std::int32_t inQueue();
    std::int32_t outQueue();
    // Bytes not yet on the line: the driver's output queue plus the transmit queue.
    std::int32_t pendingOutput();
    // Set when the driver accepted fewer bytes than offered.
    bool writeFailed() const { return writeFailed_; }

    std::int32_t portNumber() const { return portNumber_; }
    const std::string& devicePath() const { return devicePath_; }
    const std::string& openError() const { return openError_; }
    const platform::LineSettings& lineSettings() const { return line_; }
    std::int32_t queuedForTransmit() const { return txQueue_.length(); }

    // "38400,N,8,1" -> rate, data bits limited to 4..8, stop bits ("1.5", "2", else one).
    // Fields left out keep their defaults (9600, 8, one).
    static platform::LineSettings parseSettings(std::string_view text);

    static constexpr std::int32_t kRxBufferSize = 32000;
    static constexpr std::int32_t kTxChunkSize = 1024;
    static constexpr std::int32_t kPumpRetryMs = 10;

private:
    static void PumpCallback(void* self, cmcTask* task);
    void pump();

    std::unique_ptr<platform::SerialDevice> device_;
    std::int32_t portNumber_ = 0;
    std::string devicePath_;
    std::string openError_;
    platform::LineSettings line_;
    cmcBuff txQueue_;
    cmcTask* txTask_;  // disposed by the rule of cmcTask: it may be inside its own tick
    bool writeFailed_ = false;
};
