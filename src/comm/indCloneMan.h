#pragma once
// The clone manager, protocol side: prepares each operation for the driver (the codes,
// the image size, the line speed with its speed script, the time-outs) and hands the
// result to the caller. The radio keeps the last line speed it was told; the manager
// remembers which speed its last script set and runs a new script only when the next
// operation needs the other one, or when a failure left the radio's speed in doubt.

#include "comm/cmcCloneDrv.h"

#include <cstdint>
#include <span>
#include <string>

class indCloneMan {
public:
    enum class Speed : std::uint8_t { None, Slow, Fast };  // none, 9,600 or 38,400 baud
    using Completion = cmcCloneDrv::Completion;

    // Each refuses (false, nothing done) while the driver is busy.
    bool setCodes(std::uint16_t modelCode, std::uint16_t extraCode);
    bool setImageSize(std::int32_t size);
    bool setPort(std::int32_t number);
    bool setPortPath(std::string path);

    // Identify at 9,600 baud; read at 38,400; write at 38,400 when `highSpeed`, else 9,600.
    bool identify(Completion completion);
    bool read(std::span<const AddressRange> ranges, Completion completion);
    bool write(const cmcEeprom& image, std::span<const AddressRange> ranges, bool highSpeed, Completion completion);

    // Live adjustment (at 38,400 baud, without the progress window): one item, at a 4 ms
    // tick or a 250 ms one while an adjustment procedure steps values, or a list.
    bool setItem(std::uint8_t code, std::uint8_t value, std::uint8_t* replyTarget);
    bool setItemList(std::span<const LiveItem> items);
    bool sendItem(bool procedureRunning, Completion completion);
    bool sendItemList(Completion completion);
    static constexpr int kItemTickMs = 4;
    static constexpr int kProcedureItemTickMs = 250;

    bool isBusy() const { return driver_.busy(); }
    Speed rememberedSpeed() const { return speed_; }
    // The next operation runs the speed script again, whatever speed it needs.
    void forgetSpeed() { speed_ = Speed::None; }

    // Statuses after which the radio's line speed is in doubt; the others (success, a
    // missing acknowledgement, the controller's identity checks) leave it known.
    static bool leavesSpeedInDoubt(CloneStatus status);
    static std::string speedScript(Speed speed, std::uint16_t modelCode);
    static std::string settingsText(Speed speed) { return speed == Speed::Fast ? "38400,N,8,1" : "9600,N,8,1"; }

    cmcCloneDrv& driver() { return driver_; }

private:
    void prepare(Speed speed, const cmcCloneDrv::Timeouts& timeouts);
    Completion wrap(Completion completion);

    cmcCloneDrv driver_;
    Speed speed_ = Speed::None;
};
