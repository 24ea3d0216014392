#pragma once
// Growable byte queue and byte-string builder. Bytes are appended at the back and
// consumed from the front; a pop moves the front position instead of the bytes, and
// the consumed space is reclaimed once more than 4,096 bytes have been popped.

#include <cstdint>
#include <memory>
#include <string_view>

class cmcBuff {
public:
    cmcBuff();
    cmcBuff(const cmcBuff& other);
    cmcBuff& operator=(const cmcBuff& other);
    ~cmcBuff() = default;

    // Frees the block and starts again with an empty one-byte block.
    void reset();

    // Grows (filling new space with the fill byte, 0) or shrinks the valid bytes.
    // Growing within the capacity keeps whatever lies past the old length.
    std::int32_t setLength(std::int32_t n);
    std::int32_t length() const { return length_; }
    std::int32_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    std::uint8_t* data() { return block_.get() + front_; }
    const std::uint8_t* data() const { return block_.get() + front_; }
    std::string_view view() const { return {reinterpret_cast<const char*>(data()), static_cast<std::size_t>(length_)}; }

    // Address of byte i; an index outside the valid bytes is a fatal programming error.
    std::uint8_t* at(std::int32_t i);
    const std::uint8_t* at(std::int32_t i) const;

    void appendByte(std::uint8_t b);
    void append(const void* bytes, std::int32_t n);
    void append(const cmcBuff& other) { append(other.data(), other.length()); }
    void append(std::string_view text) { append(text.data(), static_cast<std::int32_t>(text.size())); }
    void appendRepeated(std::uint8_t b, std::int32_t n);
    void set(const void* bytes, std::int32_t n);
    void fill(std::uint8_t b);

    // The first byte (0..255) and consumes it, or -1 when empty.
    int popFront();
    // Reallocates to exactly the valid bytes (at least one byte of block).
    void compact();

    // How far the front has moved into the block; for tests of the compaction rule.
    std::int32_t consumed() const { return front_; }

    static constexpr std::int32_t kCompactAfter = 4096;

private:
    void allocate(std::int32_t blockSize);
    bool holds(const void* p) const;

    std::unique_ptr<std::uint8_t[]> block_;
    std::int32_t front_ = 0;
    std::int32_t length_ = 0;
    std::int32_t capacity_ = 0;
    static constexpr std::uint8_t kFillByte = 0;
};
