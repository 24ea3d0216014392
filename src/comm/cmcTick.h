#pragma once
// Millisecond stopwatch on the scheduler's tick count, for timeouts and delays. It
// survives the 32-bit wrap of the tick count. A deadline never armed counts as expired.

#include <cstdint>

class cmcTick {
public:
    void arm(std::uint32_t ms);
    // Milliseconds left (at least 1 while running); 0 once expired or when never armed.
    // Expiry disarms.
    std::uint32_t remaining();
    bool armed() const { return armed_; }

private:
    std::uint32_t duration_ = 0;
    std::uint32_t start_ = 0;
    bool armed_ = false;
};
