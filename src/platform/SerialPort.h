#pragma once
// Serial device seam: the byte stream to the radio. The termios backend (POSIX) and the
// Win32 backend open real ports; tests install an in-memory line or use a real
// pseudo-terminal. Everything runs on the program's one thread: reads never wait, and a
// write waits at most for its own write time-out.

#include "platform/Installed.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Line settings of an open port. Parity is always none with checking off, flow control
// is always off, DTR is held off and RTS on.
struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;  // 4..8
    int stopBits = 0;  // 0 = one, 1 = one and a half, 2 = two
};

// One open device.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;
    // Takes at most `max` waiting bytes without waiting; 0 when nothing waits or the read fails.
    virtual int read(std::uint8_t* buffer, int max) = 0;
    // Hands the bytes to the driver, waiting at most 100,000 / baud ms a byte plus 3 s;
    // returns how many were accepted (fewer than `n` is a write failure).
    virtual int write(const std::uint8_t* bytes, int n) = 0;
    // Bytes waiting in the driver's input and output queues; -1 when the query fails.
    virtual int inQueue() = 0;
    virtual int outQueue() = 0;
};

class SerialPorts {
public:
    virtual ~SerialPorts() = default;
    // Opens the device for exclusive use, sizes and purges the driver queues and applies the
    // settings. On failure returns null and sets `reason` to a text for the user that names
    // the device, says why, and where it can, what fixes it.
    virtual std::unique_ptr<SerialDevice> open(const std::string& path, const LineSettings& settings,
                                               std::string& reason) = 0;
    // The device that COM port `number` (1..256) reaches; empty when none does.
    virtual std::string comPortPath(int number) = 0;
    // The short blocking pause that lets a line settle after opening.
    virtual void pause(int ms) = 0;
};

// The installed backend; the operating system's ports by default.
SerialPorts& serialPorts();
SerialPorts& systemSerialPorts();

using ScopedSerialPorts = ScopedInstall<SerialPorts>;

// COM port numbers on systems without them. COM n is, in this order: the path in the
// environment variable TRELVIX_COM<n>; the path stored in the settings under Ports\COM<n>;
// otherwise the n-th present device of /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* (each group
// in numeric order).
struct ComPortSources {
    std::function<std::optional<std::string>(const std::string& name)> environment;
    std::function<std::optional<std::string>(int number)> stored;
    std::string deviceDirectory = "/dev";
};
std::string resolveComPort(int number, const ComPortSources& sources);
// The serial devices present in `directory`, in COM-number order.
std::vector<std::string> presentSerialDevices(const std::string& directory);

// The lookup of the device path stored for COM n (Ports\COM<n> in the settings); none is
// installed at first. Start-up installs the settings' lookup for the program's run.
using StoredComPortLookup = std::function<std::optional<std::string>(int number)>;
StoredComPortLookup& storedComPortLookup();
class ScopedStoredComPortLookup : ScopedSlot<StoredComPortLookup> {
public:
    explicit ScopedStoredComPortLookup(StoredComPortLookup lookup)
        : ScopedSlot(storedComPortLookup(), std::move(lookup)) {}
};
// The process's own sources: its environment, the installed lookup, /dev.
ComPortSources systemComPortSources();

}  // namespace platform
