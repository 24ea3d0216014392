#pragma once
// The program's side of talking to a radio: the clone flows on top of one clone manager.
// Identify checks what the radio says about itself; Read identifies, takes the read range
// from the radio's own end address and checks the image received; Write identifies,
// checks the radio type, asks for confirmation, identifies again and sends a prepared copy
// of the image. The GUI's clone commands and the command-line companion both run these
// flows, so the two cannot drift apart. The session shows nothing itself: the question
// before a write is the caller's, and every ending carries the message the caller shows.

#include "app/CloneMessages.h"
#include "app/DocumentService.h"
#include "comm/indCloneMan.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

// What the radio said about itself in its last accepted identification.
struct CloneIdentity {
    static constexpr std::size_t kBlockBytes = 125;
    static constexpr std::size_t kLevelByte = 35;
    static constexpr std::size_t kTypeByte = 51;   // bit 2: handheld
    static constexpr std::size_t kEndAddressChars = 56;  // four hex characters

    std::uint16_t modelCode = 0;
    std::uint16_t extraCode = 0;
    // The first 125 bytes of the model-information block; zero beyond a shorter block.
    std::array<std::uint8_t, kBlockBytes> block{};
    std::int32_t blockLength = 0;  // as received

    std::uint8_t Level() const { return block[kLevelByte]; }
    bool Handheld() const { return (block[kTypeByte] & 0x04) != 0; }
    // The radio's last EEPROM address, from four hex characters (either case; any other
    // character counts as 0).
    std::int32_t EndAddress() const;
};

// How a flow ended. `status` is the clone status; a write that was declined before anything
// was sent (the user's answer, a radio of the other type, an image that does not fit) has
// `declined` set and status 0. `message` is what the user reads (empty for success and
// for the user's own Cancel).
struct CloneOutcome {
    CloneOperation operation = CloneOperation::None;
    CloneStatus status = CloneStatus::Success;
    bool declined = false;
    cmcEeprom image;        // a read: the image received (the current image's size)
    std::string message;    // the status message for the user; empty for success
    bool ok() const { return status == CloneStatus::Success && !declined; }
};

// The progress of a read or write, as the progress window shows it: 32 cells, of which
// `Filled()` are drawn in the highlight colour.
struct CloneProgress {
    static constexpr int kCells = 32;
    bool visible = false;
    bool cancellable = false;  // a read may be cancelled; a write runs to its end
    std::int32_t done = 0;
    std::int32_t total = 0;
    int Filled() const { return total > 0 ? static_cast<int>(static_cast<std::int64_t>(done) * 33 / total) : 0; }
};

class CloneSession {
public:
    using Done = std::function<void(CloneOutcome& outcome)>;

    // What a write needs from the program that starts it.
    struct WriteRequest {
        const cmcEeprom* image = nullptr;    // the image to write; a prepared copy is sent
        const cmcEeprom* initial = nullptr;  // the initial image of `modelKind`
        int modelKind = 0;
        bool handheld = false;               // the type of `modelKind`
        bool makerMode = false;              // the maker's range
        bool highSpeed = false;
        // Asked once, after the first identification showed the right radio; false ends
        // the write with nothing sent.
        std::function<bool(const CloneIdentity&)> confirm;
        // Told the status of each identification (the controller's phase two).
        std::function<void(CloneStatus)> identified;
    };

    // Checks of a received image: status 15 (not ours) or 16 (newer data), else 0.
    using ImageCheck = std::function<CloneStatus(const cmcEeprom& received)>;

    CloneSession(DocumentRules& rules, std::int32_t imageSize);

    // The port of the next operation: a COM number (1..256) or a device path. Refused
    // (false) while an operation runs.
    bool UsePort(int comNumber);
    bool UsePortPath(const std::string& path);
    void SetImageCheck(ImageCheck check) { imageCheck_ = std::move(check); }

    // Each starts a flow and returns true, or refuses (false, nothing sent) while another
    // one runs. `done` runs once, with the outcome.
    bool Identify(Done done);
    bool Read(Done done);
    bool Write(WriteRequest request, Done done);
    // Live adjustment: one item (its reply, when `target` is given, stored there) or a list
    // ended by code 0xFF. No progress window; the outcome carries the status's message.
    bool SendItem(std::uint8_t code, std::uint8_t value, std::uint8_t* target, bool procedureRunning, Done done);
    bool SendItemList(std::span<const LiveItem> items, Done done);
    // Ends a running read with status 1 and the caller's image unchanged. A write is not
    // cancelled here: a radio left half written is worse than a wait (the command-line
    // companion ends one on Ctrl+C through CancelAny).
    void CancelRead();
    void CancelAny();

    bool Busy() const { return manager_.isBusy() || flowRunning_; }
    const std::optional<CloneIdentity>& LastIdentity() const { return identity_; }
    CloneProgress Progress();
    indCloneMan& Manager() { return manager_; }

    // The read range for a radio that ends at `end`: the read kind's range, ending at the
    // end of `end`'s 16-byte block, never beyond the read kind's own end.
    AddressRangeList ReadRanges(std::int32_t end);
    // The copy of `request.image` a write sends and the ranges it covers; nothing when the
    // image does not fit the radio (overflow). What depends on the radio goes in once it
    // has identified itself (FitToRadio).
    struct WritePlan {
        cmcEeprom image;
        AddressRangeList ranges;
    };
    std::optional<WritePlan> PrepareWrite(const WriteRequest& request);
    // The plan for the radio that identified itself as `radio`: the family's values for that
    // radio, packed again when they changed the working area (with the range end that
    // packing gives), and the radio's level. False when the packing no longer fits.
    bool FitToRadio(WritePlan& plan, const WriteRequest& request, const CloneIdentity& radio);
    static constexpr std::int32_t kLevelAddress = 0x108;   // the radio's level, in the copy sent
    static constexpr std::int32_t kUsedEndAddress = 0x112;  // big-endian: end of the packed data

private:
    bool Configure();
    void StartIdentify(std::function<void(CloneStatus)> next);
    CloneStatus CheckIdentity(const dst_CDrv_Result& result);
    void Finish(CloneOutcome& outcome, const Done& done);
    void Decline(const std::string& message);
    void ReadAfterIdentify(CloneStatus status, const Done& done);
    void WriteAfterIdentify(CloneStatus status, bool confirmed);
    bool StartLive(CloneOperation operation, const std::function<bool(indCloneMan::Completion)>& start, Done done);
    static std::int32_t Length(const AddressRangeList& ranges);
    // The write ranges of a request, the first ending with the packed data of `packed`.
    AddressRangeList WriteRanges(const WriteRequest& request, const cmcEeprom& packed);

    DocumentRules& rules_;
    std::int32_t imageSize_;
    indCloneMan manager_;
    ImageCheck imageCheck_;
    std::optional<CloneIdentity> identity_;
    bool flowRunning_ = false;   // between the steps of a flow, while the driver is idle
    bool cancelled_ = false;
    bool transferring_ = false;  // the read or write itself, after the identification
    CloneOperation running_ = CloneOperation::None;
    std::int32_t progressTotal_ = 0;
    ClonePortLabel port_;
    // The write in progress.
    std::optional<WriteRequest> write_;
    std::optional<WritePlan> plan_;
    Done writeDone_;
};
