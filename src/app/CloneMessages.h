#pragma once
// What the user reads when a radio operation ends with a status other than success: the
// status's own head line, then the lines of advice that fit it, all from the overlay.

#include "comm/dst_CDrv_Result.h"

#include <string>

struct ClonePortLabel {
    int comNumber = 0;       // the COM number the port was chosen by; 0 when given as a path
    std::string device;      // the device path, when known
    std::string reason;      // why it could not be opened (names the device and the fix)
};

// The message for `status`; empty for success and for a cancelled operation, which the
// user asked for. Status 2 names the port: its number in the head line (the device path
// when the port was given as one), then the device's own reason.
std::string CloneStatusMessage(CloneStatus status, const ClonePortLabel& port);
