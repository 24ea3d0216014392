#pragma once
// The radio's side of the clone, speed-change and live-item protocol, written from the
// wire format: bytes from the program go in one at a time, the radio's answers collect in
// an output queue that the line drains. No time and no I/O here.

#include "image/cmcEeprom.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace radiosim {

// Faults a real radio or cable produces, injected on request.
enum class Fault {
    None,
    BadChecksum,   // one data frame of a read carries a wrong checksum
    LowerCase,     // one data frame of a read is written in lower-case hex
    WrongCount,    // the end frame of a read counts one frame too many
    MissingBlock,  // a read leaves out one 16-byte block
    ExtraBlock,    // a read sends one block past the end address
    Refuse,        // a write request is refused with 0xFA
    Silence,       // the radio answers nothing at all
    E6Error,       // a write is answered with E6 01
    NonBcd,        // the identify reply carries codes that are not decimal digits
    Garbage,       // noise between the frames of a read
    Stall,         // a read stops in the middle
};
std::optional<Fault> faultFromName(std::string_view name);
std::string faultNames();  // for the usage text

// What the radio's detector reads (parameter 3 of item 03) as a function of the swept
// value, so that the program's sweeps and searches meet a known answer.
struct DetectorShape {
    enum class Kind { Flat, Linear, Peak };
    Kind kind = Kind::Flat;
    int first = 0;   // flat: the reading; linear: the reading at 0; peak: the plateau's low end
    int second = 0;  // linear: the reading at 255; peak: the plateau's high end

    std::uint8_t reading(std::uint8_t swept) const;
};
// "flat:N", "linear:A-B" or "peak:LO-HI", decimal numbers 0..255 (LO <= HI); nothing when
// the text is none of these.
std::optional<DetectorShape> detectorFromText(std::string_view text);

struct RadioConfig {
    std::uint16_t modelCode = 0x2897;
    std::uint16_t extraCode = 0x0000;
    bool mobile = false;
    std::uint8_t level = 2;             // block byte 35
    std::int32_t endAddress = 0xFF7F;   // the last EEPROM address a read delivers
    std::string serial = "0A0012345600";  // 12 hexadecimal characters
    std::uint8_t revision = 0x12;       // high and low nibble: "1.2"
    std::string comment1 = "TRELVIX VIRTUAL";
    std::string comment2 = "RADIO";
    Fault fault = Fault::None;
    std::optional<DetectorShape> detector;  // none: parameter 3 reads from the fixed table
};

class VirtualRadio {
public:
    static constexpr int kPowerOnRate = 9600;
    static constexpr std::size_t kBlockLength = 125;

    VirtualRadio(RadioConfig config, cmcEeprom image);

    // One byte from the program, in line order.
    void receive(std::uint8_t byte);
    // The radio's answers, waiting for the line.
    std::deque<std::uint8_t>& output() { return output_; }
    // The line rate last asked for with item 01 (9,600 at power-on).
    int lineRate() const { return rate_; }

    const cmcEeprom& image() const { return image_; }
    std::vector<std::uint8_t> modelInformation() const;
    // Called after a write was accepted, with the new image.
    std::function<void(const cmcEeprom&)> onWritten;
    // Adjustment values set by live items, by item code.
    const std::map<std::uint8_t, std::uint8_t>& adjustments() const { return adjustments_; }
    // Called with every complete frame heard from the program (without preamble and FD,
    // from the radio address on), before the radio acts on it, whether it answers or not.
    std::function<void(const std::vector<std::uint8_t>&)> onFrame;
    // The EEPROM address item 40 selected for item 41's byte writes; none before the first.
    std::optional<std::uint8_t> selectedAddress() const { return selected_; }
    // The value of the latest live item that sets a value on the radio (not the channel,
    // the line speed, a reading or an address selection): what the detector answers to.
    std::uint8_t sweptValue() const { return swept_; }

private:
    void frameComplete();
    void identify();
    void serveRead();
    void startWrite();
    void takeData(std::string_view payload);
    void endWrite(std::string_view payload);
    void item(const std::vector<std::uint8_t>& body);
    void send(std::uint8_t command, const std::vector<std::uint8_t>& body);
    void sendRaw(const std::vector<std::uint8_t>& bytes);
    bool ourModel(const std::vector<std::uint8_t>& body) const;

    RadioConfig config_;
    cmcEeprom image_;
    std::deque<std::uint8_t> output_;
    std::vector<std::uint8_t> frame_;  // without preamble and 0xFD
    bool inFrame_ = false;
    int rate_ = kPowerOnRate;

    bool writing_ = false;
    bool writeSpoiled_ = false;
    int writeFrames_ = 0;
    cmcEeprom incoming_;
    std::map<std::uint8_t, std::uint8_t> adjustments_;
    std::optional<std::uint8_t> selected_;
    std::uint8_t swept_ = 0;
};

// The trace line of a frame heard from the program: "E8 II VV" for an item frame (item code
// and value, "??" for a value that is not two upper-case hex digits), else the command byte
// alone ("E0"). Empty for a frame too short to carry a command.
std::string traceLine(const std::vector<std::uint8_t>& frame);

}  // namespace radiosim
