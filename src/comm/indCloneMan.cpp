#include "comm/indCloneMan.h"

#include <cstdio>

namespace {

// Item 01 of an E8 frame sets the radio's line speed: "27" for 9,600 baud, "09" for 38,400.
// The frame goes out behind a long run of preambles so that a radio still listening at
// the other speed resynchronises on it.
std::string speedFrame(std::uint16_t modelCode, std::uint8_t first, std::uint8_t second) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE EEEF E8 %04X%04X 01 %02X%02X FD", modelCode, 0u, first,
                  second);
    return text;
}

}  // namespace

bool indCloneMan::setCodes(std::uint16_t modelCode, std::uint16_t extraCode) {
    if (isBusy()) return false;
    driver_.setCodes(modelCode, extraCode);
    return true;
}

bool indCloneMan::setImageSize(std::int32_t size) {
    if (isBusy()) return false;
    driver_.setImageSize(size);
    return true;
}

bool indCloneMan::setPort(std::int32_t number) {
    if (isBusy()) return false;
    driver_.setPort(number);
    return true;
}

bool indCloneMan::setPortPath(std::string path) {
    if (isBusy()) return false;
    driver_.setPortPath(std::move(path));
    return true;
}

std::string indCloneMan::speedScript(Speed speed, std::uint16_t modelCode) {
    const std::string toSlowAtFast = "(38400,N,8,1)" + speedFrame(modelCode, 0x32, 0x37);
    std::string script = toSlowAtFast + "(9600,N,8,1)";
    if (speed == Speed::Fast) {
        script += "(9600,N,8,1)" + speedFrame(modelCode, 0x30, 0x39);
    } else {
        script += toSlowAtFast;
    }
    return script;
}

bool indCloneMan::leavesSpeedInDoubt(CloneStatus status) {
    switch (status) {
        case CloneStatus::Success:
        case CloneStatus::NotAcknowledged:
        case CloneStatus::Identity:
        case CloneStatus::Level:
        case CloneStatus::NewerData: return false;
        default: return static_cast<int>(status) != 12 && static_cast<int>(status) != 13;
    }
}

void indCloneMan::prepare(Speed speed, const cmcCloneDrv::Timeouts& timeouts) {
    if (speed != speed_) {
        driver_.setScript(speedScript(speed, driver_.modelCode()), settingsText(speed));
        speed_ = speed;
    } else {
        driver_.setScript({}, driver_.finalSettings());
    }
    driver_.setTimeouts(timeouts);
}

indCloneMan::Completion indCloneMan::wrap(Completion completion) {
    return [this, completion = std::move(completion)](dst_CDrv_Result& result) {
        if (leavesSpeedInDoubt(result.status)) forgetSpeed();
        if (completion) completion(result);
    };
}

bool indCloneMan::identify(Completion completion) {
    if (isBusy()) return false;
    prepare(Speed::Slow, cmcCloneDrv::Timeouts{});
    return driver_.identify(wrap(std::move(completion)));
}

bool indCloneMan::read(std::span<const AddressRange> ranges, Completion completion) {
    if (isBusy()) return false;
    prepare(Speed::Fast, cmcCloneDrv::Timeouts{});
    return driver_.read(ranges, wrap(std::move(completion)));
}

bool indCloneMan::write(const cmcEeprom& image, std::span<const AddressRange> ranges, bool highSpeed,
                        Completion completion) {
    if (isBusy()) return false;
    cmcCloneDrv::Timeouts timeouts;
    timeouts.standard = 2000;
    timeouts.readyAfterRequest = 20000;
    prepare(highSpeed ? Speed::Fast : Speed::Slow, timeouts);
    return driver_.write(image, ranges, wrap(std::move(completion)));
}

bool indCloneMan::setItem(std::uint8_t code, std::uint8_t value, std::uint8_t* replyTarget) {
    if (isBusy()) return false;  // the running transfer still uses the item
    driver_.setItem(code, value, replyTarget);
    return true;
}

bool indCloneMan::setItemList(std::span<const LiveItem> items) {
    if (isBusy()) return false;
    driver_.setItemList(items);
    return true;
}

bool indCloneMan::sendItem(bool procedureRunning, Completion completion) {
    if (isBusy()) return false;
    prepare(Speed::Fast, cmcCloneDrv::Timeouts{});
    return driver_.sendItem(procedureRunning ? kProcedureItemTickMs : kItemTickMs, wrap(std::move(completion)));
}

bool indCloneMan::sendItemList(Completion completion) {
    if (isBusy()) return false;
    prepare(Speed::Fast, cmcCloneDrv::Timeouts{});
    return driver_.sendItemList(wrap(std::move(completion)));
}
