#pragma once
// The outcome of one radio operation: created when the operation starts, handed to the
// completion once, destroyed after it returns.

#include "comm/cmcBuff.h"
#include "image/cmcEeprom.h"

#include <cstdint>
#include <string>

// Statuses 11 to 16 are set by the application controller's checks of what the radio
// reported; the driver itself ends with 0, 2, 5, 6, 7, 8, 9, 10 or 17.
enum class CloneStatus : std::uint8_t {
    Success = 0,
    Cancelled = 1,        // ended by the user (a read's Cancel, Ctrl+C); no message is due
    PortOpen = 2,         // the port failed to open (for the speed script or the operation)
    Timeout = 5,          // nothing usable arrived in time
    Format = 6,           // malformed or unexpected frame, bad checksum, non-decimal codes, too long, 0xFA
    FrameCount = 7,       // the end frame's count differs from the data frames received
    Incomplete = 8,       // addresses of the requested ranges are missing
    OutOfRange = 9,       // data outside the image or outside the requested ranges
    NotAcknowledged = 10, // the write was not acknowledged with E6 00
    Identity = 11,
    Level = 14,
    ImageCheck = 15,
    NewerData = 16,
    WriteFailed = 17,     // the serial driver accepted fewer bytes than offered
};

enum class CloneOperation : std::uint8_t { None = 0, Identify = 1, Read = 2, Write = 3, LiveItem = 4, LiveList = 5 };

struct dst_CDrv_Result {
    CloneOperation operation = CloneOperation::None;
    CloneStatus status = CloneStatus::PortOpen;
    std::uint16_t modelCode = 0;  // preset to the driver's, replaced by the identify reply's
    std::uint16_t extraCode = 0;
    cmcBuff modelInfo;            // the identify reply's model-information block
    cmcEeprom image;              // read: the data received; write: the copy being sent
    cmcBuff receivedBits;         // bit a % 8 of byte a / 8 for every address a received
    // Why the port could not be opened (device and reason), for the status text or stderr.
    std::string portError;

    bool received(std::int32_t address) const {
        const std::int32_t i = address / 8;
        return address >= 0 && i < receivedBits.length() && (*receivedBits.at(i) >> (address % 8)) & 1;
    }
};
