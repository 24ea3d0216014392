#include "values/RowShifts.h"

#include "image/RecordAccessor.h"

#include <algorithm>

namespace rows {

namespace {

bool IsChannelKind(int kind) {
    return kind >= 1 && kind <= 4;
}

// Row `to` takes the content of row `from`; its bank bit stays the position's own.
void MoveRow(cmcEeprom& image, int kind, std::int32_t from, std::int32_t to) {
    RecordAccessor target(image);
    if (IsChannelKind(kind)) {
        // Channels move byte for byte: the bank bits are the banks', never a channel's.
        target.moveChannel(from, to);
        return;
    }
    const std::uint8_t own = target.load(kind, to).flags & RecordAccessor::kFlagBankA;
    RecordAccessor moving(image);
    moving.load(kind, from);
    moving.flags = static_cast<std::uint8_t>((moving.flags & ~RecordAccessor::kFlagBankA) | own);
    moving.store(kind, to);
}

}  // namespace

void CopyRecord(cmcEeprom& target, cmcEeprom* source, int kind, std::int32_t index) {
    RecordAccessor targetRecord(target);
    if (source && IsChannelKind(kind)) {
        // The whole default channel, the bits no field names included; the marks are the
        // target's (they live outside the channel's bytes).
        targetRecord.copyChannel(*source, index, index);
        return;
    }
    const std::uint8_t flags = targetRecord.load(kind, index).flags;
    RecordAccessor record(source ? *source : target);
    // Without a default image, a number past the table decodes nothing: a cleared record.
    record.load(kind, source ? index : RecordAccessor::lastNumber(kind) + 1);
    record.flags = flags;
    record.setImage(target);
    record.store(kind, index);
}

void ShiftRowsDown(cmcEeprom& image, cmcEeprom* initial, int kind, std::int32_t count, std::int32_t to,
                   std::int32_t by) {
    if (by <= 0 || to < 0 || to >= count) return;
    for (std::int32_t i = count - 1; i >= to + by; --i) MoveRow(image, kind, i - by, i);
    for (std::int32_t i = to; i < to + by && i < count; ++i) CopyRecord(image, initial, kind, i);
}

void ShiftRowsUp(cmcEeprom& image, cmcEeprom* initial, int kind, std::int32_t from, std::int32_t count,
                 std::int32_t by) {
    if (by <= 0 || from < 0 || from >= count) return;
    for (std::int32_t i = from; i + by < count; ++i) MoveRow(image, kind, i + by, i);
    for (std::int32_t i = std::max(from, count - by); i < count; ++i) CopyRecord(image, initial, kind, i);
}

}  // namespace rows
