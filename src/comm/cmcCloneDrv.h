#pragma once
// The clone protocol: identify, read and write the radio over the serial line as a state
// machine that advances on a 10 ms timer task, so the program stays responsive during a
// transfer. The driver owns the port and opens it only for the length of one operation;
// every operation ends through the completion, called exactly once with the result.
//
// Frames start with 0xFE (one or more), carry the radio's address 0xEE and ours 0xEF, a
// command byte and a body, and end with 0xFD. Bulk data travels as upper-case hex text
// with a checksum.

#include "comm/cmcBuff.h"
#include "comm/cmcComm.h"
#include "comm/cmcTick.h"
#include "comm/dst_CDrv_Result.h"

#include "image/AddressRange.h"
#include "image/cmcEeprom.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class cmcTask;

// One entry of a live item list: the item code, where its value comes from (none: 0) and
// where the radio's reply goes (none: no reply is awaited). Both must outlive the transfer.
struct LiveItem {
    std::uint8_t code = 0xFF;  // 0xFF ends a list
    const std::uint8_t* value = nullptr;
    std::uint8_t* replyTarget = nullptr;
};

class cmcCloneDrv {
public:
    using Completion = std::function<void(dst_CDrv_Result& result)>;

    enum State : int {
        Idle = 0,
        Starting = 2,
        SpeedScript = 3,
        OpenForOperation = 4,
        SendIdentify = 5,
        WaitIdentify = 6,
        SendRead = 7,
        ReceiveData = 8,
        SendWriteRequest = 9,
        WaitReadyAfterRequest = 10,
        SendData = 11,
        WaitReady = 12,
        SendEnd = 13,
        WaitAcknowledge = 14,
        NextListItem = 15,
        SendItem = 17,
        WaitItemReply = 18,
        DrainOutput = 19,
        Finish = 20,
    };

    struct Timeouts {
        std::uint32_t standard = 1000;           // every state not named below
        std::uint32_t script = 1000;             // each step of the speed script
        std::uint32_t identify = 1000;           // wait for the identify reply
        std::uint32_t acknowledge = 2000;        // wait for E6 after the end frame
        std::uint32_t readyAfterRequest = 1000;  // wait for 0xFB after the write request
    };

    static constexpr std::int32_t kTickMs = 10;
    static constexpr std::int32_t kReadChunk = 256;   // one port read per tick at most
    static constexpr std::int32_t kBytesPerDataFrame = 16;
    static constexpr std::int32_t kReadyBlock = 128;  // a write waits for 0xFB at these boundaries
    static constexpr std::int32_t kFramesPerTick = 8;
    static constexpr std::int32_t kWaitFrameLimit = 520;  // identify and acknowledge waits
    static constexpr std::int32_t kReadFrameLimit = 521;  // a read ends with status 6 beyond this
    static constexpr std::int32_t kDrainPauseMs = 100;
    static constexpr std::int32_t kDrainMaxBytes = 65535;
    static constexpr std::size_t kMaxListItems = 49;

    cmcCloneDrv();
    ~cmcCloneDrv();
    cmcCloneDrv(const cmcCloneDrv&) = delete;
    cmcCloneDrv& operator=(const cmcCloneDrv&) = delete;

    void setCodes(std::uint16_t modelCode, std::uint16_t extraCode);
    void setImageSize(std::int32_t size) { imageSize_ = size; }
    // COM port number, resolved by the serial seam; a device path, when set, wins.
    void setPort(std::int32_t number) { portNumber_ = number; }
    void setPortPath(std::string path) { portPath_ = std::move(path); }
    // The speed script to run before the operation (empty: none) and the port settings of
    // the operation itself.
    void setScript(std::string script, std::string finalSettings);
    void setTimeouts(const Timeouts& t) { timeouts_ = t; }

    // Each refuses (false, nothing done) while an operation runs. The range lists end at
    // their first pair whose end is below its start or that does not lie inside the image.
    bool identify(Completion completion);
    bool read(std::span<const AddressRange> ranges, Completion completion);
    bool write(const cmcEeprom& image, std::span<const AddressRange> ranges, Completion completion);

    // Live adjustment: one item, or a list of up to 49 items ended by code 0xFF, each sent
    // as an E8 frame with the value as two upper-case hex characters; an item with a reply
    // target waits for the radio's E8 answer and stores its value there. `tickMs` paces the
    // single item (4 ms normally, slower while an adjustment procedure steps values).
    void setItem(std::uint8_t code, std::uint8_t value, std::uint8_t* replyTarget);
    void setItemList(std::span<const LiveItem> items);
    bool sendItem(int tickMs, Completion completion);
    bool sendItemList(Completion completion);
    bool itemPending() const { return itemPending_; }
    // The E8 item frame and the value a reply carries (nothing when it is not one for
    // `modelCode` or its value characters are not hexadecimal).
    static std::vector<std::uint8_t> itemFrame(std::uint16_t modelCode, std::uint16_t extraCode, std::uint8_t code,
                                               std::uint8_t value);
    enum class Reply { Other, Value, BadValue };
    static Reply itemReply(const std::vector<std::uint8_t>& frame, std::uint16_t modelCode, std::uint8_t& value);

    // Ends the running operation with status 1 (cancelled): what is already queued goes
    // out, the port is closed and the completion runs as for any other ending. Nothing
    // when idle or already ending.
    void cancel();

    bool busy() const { return state_ != Idle; }
    int state() const { return state_; }
    std::int32_t dataBytesDone() const { return dataBytesDone_; }
    std::int32_t frameCount() const { return frameCount_; }
    std::int64_t byteCount() const { return byteCount_; }
    std::uint16_t modelCode() const { return modelCode_; }
    std::uint16_t extraCode() const { return extraCode_; }
    const std::string& finalSettings() const { return finalSettings_; }
    const Timeouts& timeouts() const { return timeouts_; }
    std::int32_t portNumber() const { return portNumber_; }
    const std::string& portPath() const { return portPath_; }
    cmcComm& comm() { return comm_; }

    // "FEFE EE EF E0 ..." -> bytes: pairs of hex digits (either case) form bytes, every
    // other character is skipped, a lone last digit becomes the high nibble of a byte.
    static std::vector<std::uint8_t> decodeHexText(std::string_view text);
    // The payload of one data frame: address, count, bytes and checksum as upper-case hex.
    static std::string dataPayload(std::int32_t address, const std::uint8_t* bytes, std::int32_t count);

private:
    enum class Verdict { Data, End, Rejected };

    static void TaskCallback(void* self, cmcTask* task);
    void tick();
    bool start(CloneOperation operation, Completion completion);
    bool start(CloneOperation operation, int tickMs, Completion completion);
    void setRanges(std::span<const AddressRange> ranges, std::int32_t imageSize);
    void step();
    void runScript();
    void openForOperation();
    bool openPort(const std::string& settings);
    void drain();
    void sendBytes(const std::vector<std::uint8_t>& bytes);
    void sendRequest(std::uint8_t command);
    void readPort();
    enum class FrameStep { Partial, Complete, TooLong };
    FrameStep feedFrame(int b, std::int32_t limit);
    std::optional<std::vector<std::uint8_t>> assembleWait();
    void waitIdentify();
    void receiveData();
    Verdict checkFrame(const cmcBuff& frame, CloneStatus& status);
    CloneStatus coverage() const;
    void waitReady();
    void sendData();
    void sendEnd();
    void waitAcknowledge();
    void nextListItem();
    void sendItemFrame();
    void waitItemReply();
    void itemDone();
    std::uint32_t timeoutFor(int state) const;
    void fail(CloneStatus status);

    cmcComm comm_;
    cmcTask* task_;
    std::uint16_t modelCode_ = 0;
    std::uint16_t extraCode_ = 0;
    std::int32_t imageSize_ = cmcEeprom::kImageSize;
    std::int32_t portNumber_ = 1;
    std::string portPath_;
    std::string finalSettings_ = "9600,N,8,1";
    std::string script_;
    Timeouts timeouts_;

    CloneOperation operation_ = CloneOperation::None;
    int state_ = Idle;
    bool progress_ = false;
    cmcBuff rxQueue_;
    cmcBuff frameBuffer_;
    std::uint8_t readBuffer_[kReadChunk] = {};
    std::vector<AddressRange> ranges_;
    std::size_t rangeIndex_ = 0;
    std::int32_t currentAddress_ = 0;
    std::int64_t byteCount_ = 0;
    std::int32_t frameCount_ = 0;
    std::int32_t dataBytesDone_ = 0;
    cmcTick deadline_;
    std::unique_ptr<dst_CDrv_Result> result_;
    Completion completion_;

    std::uint8_t itemCode_ = 0;
    std::uint8_t itemValue_ = 0;
    std::uint8_t* replyTarget_ = nullptr;
    bool itemPending_ = false;
    std::vector<LiveItem> items_;
};
