#include "comm/cmcBuff.h"

#include "platform/FatalStop.h"

#include <algorithm>
#include <cstring>
#include <vector>

cmcBuff::cmcBuff() { reset(); }

cmcBuff::cmcBuff(const cmcBuff& other) : cmcBuff() { set(other.data(), other.length()); }

cmcBuff& cmcBuff::operator=(const cmcBuff& other) {
    if (this != &other) {
        reset();
        set(other.data(), other.length());
    }
    return *this;
}

void cmcBuff::allocate(std::int32_t blockSize) {
    block_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(blockSize));
    front_ = 0;
    capacity_ = blockSize;
}

void cmcBuff::reset() {
    allocate(1);
    length_ = 0;
}

std::int32_t cmcBuff::setLength(std::int32_t n) {
    n = std::max(n, 0);
    if (n > capacity_) {
        // A quarter of the current length in reserve keeps one-byte appends amortised.
        const std::int32_t blockSize = std::max(n + length_ / 4, 1);
        auto old = std::move(block_);
        const std::uint8_t* oldData = old.get() + front_;
        block_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(blockSize));
        std::memcpy(block_.get(), oldData, static_cast<std::size_t>(length_));
        std::memset(block_.get() + length_, kFillByte, static_cast<std::size_t>(blockSize - length_));
        front_ = 0;
        capacity_ = blockSize;
    }
    length_ = n;
    return length_;
}

std::uint8_t* cmcBuff::at(std::int32_t i) {
    if (i < 0 || i >= length_) platform::fatalStop("Out of cmcBuff element !");
    return data() + i;
}

const std::uint8_t* cmcBuff::at(std::int32_t i) const { return const_cast<cmcBuff*>(this)->at(i); }

void cmcBuff::appendByte(std::uint8_t b) {
    setLength(length_ + 1);
    data()[length_ - 1] = b;
}

bool cmcBuff::holds(const void* p) const {
    const auto* b = static_cast<const std::uint8_t*>(p);
    return b >= block_.get() && b < block_.get() + front_ + capacity_;
}

void cmcBuff::append(const void* bytes, std::int32_t n) {
    if (n <= 0) return;
    if (holds(bytes)) {
        // The growth below may free the block the source lies in.
        const auto* src = static_cast<const std::uint8_t*>(bytes);
        const std::vector<std::uint8_t> copy(src, src + n);
        append(copy.data(), n);
        return;
    }
    const std::int32_t old = length_;
    setLength(length_ + n);
    std::memcpy(data() + old, bytes, static_cast<std::size_t>(n));
}

void cmcBuff::appendRepeated(std::uint8_t b, std::int32_t n) {
    if (n <= 0) return;
    const std::int32_t old = length_;
    setLength(length_ + n);
    std::memset(data() + old, b, static_cast<std::size_t>(n));
}

void cmcBuff::set(const void* bytes, std::int32_t n) {
    n = std::max(n, 0);
    if (n > 0 && holds(bytes)) {
        const auto* src = static_cast<const std::uint8_t*>(bytes);
        const std::vector<std::uint8_t> copy(src, src + n);
        set(copy.data(), n);
        return;
    }
    setLength(n);
    if (n > 0) std::memcpy(data(), bytes, static_cast<std::size_t>(n));
}

void cmcBuff::fill(std::uint8_t b) {
    if (length_ > 0) std::memset(data(), b, static_cast<std::size_t>(length_));
}

int cmcBuff::popFront() {
    if (length_ == 0) return -1;
    const int b = data()[0];
    ++front_;
    --capacity_;
    --length_;
    if (front_ > kCompactAfter) compact();
    return b;
}

void cmcBuff::compact() {
    const std::int32_t blockSize = std::max(length_, 1);
    auto fresh = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(blockSize));
    if (length_ > 0) std::memcpy(fresh.get(), data(), static_cast<std::size_t>(length_));
    block_ = std::move(fresh);
    front_ = 0;
    capacity_ = blockSize;
}
