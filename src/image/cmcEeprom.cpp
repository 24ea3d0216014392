#include "image/cmcEeprom.h"

#include "platform/FatalStop.h"

#include <cstring>

void cmcEeprom::Resize(std::int32_t n) {
    if (n < 0) n = 0;
    if (n != size_) {
        data_.reset();
        size_ = n;
        if (n > 0) data_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(n));
    }
    Fill(0);
}

void cmcEeprom::Fill(std::uint8_t v) {
    if (size_ > 0) std::memset(data_.get(), v, static_cast<std::size_t>(size_));
}

void cmcEeprom::Assign(const cmcEeprom& other) {
    Resize(other.size_);
    if (size_ > 0) std::memcpy(data_.get(), other.data_.get(), static_cast<std::size_t>(size_));
}

bool cmcEeprom::Equals(const cmcEeprom& other) const {
    if (size_ != other.size_) return false;
    return size_ == 0 || std::memcmp(data_.get(), other.data_.get(), static_cast<std::size_t>(size_)) == 0;
}

std::uint8_t cmcEeprom::GetByte(std::int32_t i) const {
    if (!IsValidIndex(i)) platform::fatalStop("Out of EEPROM image address (GetByte).");
    return data_[static_cast<std::size_t>(i)];
}

void cmcEeprom::SetByte(std::int32_t i, std::uint8_t v) {
    if (!IsValidIndex(i)) platform::fatalStop("Out of EEPROM image address (SetByte).");
    data_[static_cast<std::size_t>(i)] = v;
}

bool cmcEeprom::Fits(std::int32_t pos, std::int32_t len) const {
    // Compared in 64 bits: pos + len must not overflow on the way.
    return pos >= 0 && pos < size_ && len > 0 && static_cast<std::int64_t>(pos) + len <= size_;
}

void cmcEeprom::WriteBlock(std::int32_t pos, const void* src, std::int32_t len) {
    if (Fits(pos, len)) std::memmove(data_.get() + pos, src, static_cast<std::size_t>(len));
}

void cmcEeprom::ReadBlock(std::int32_t pos, void* dst, std::int32_t len) const {
    if (Fits(pos, len)) std::memmove(dst, data_.get() + pos, static_cast<std::size_t>(len));
}
