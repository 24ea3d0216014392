#pragma once
// A radio image: a fixed-length byte array with whole-array operations and bounds-checked
// single-byte access. The same class is the scratch copy wherever an image is copied.

#include <cstdint>
#include <memory>

class cmcEeprom {
public:
    // 0x0000..0xFF7F is the radio's EEPROM; 0xFF80 upwards is the working area in which
    // the radio's tables are kept decoded at fixed places.
    static constexpr std::int32_t kEepromSize = 0xFF80;
    static constexpr std::int32_t kImageSize = 0x205BA;

    cmcEeprom() = default;
    explicit cmcEeprom(std::int32_t size) { Resize(size); }
    cmcEeprom(const cmcEeprom& other) { Assign(other); }
    cmcEeprom& operator=(const cmcEeprom& other) {
        if (this != &other) Assign(other);
        return *this;
    }

    // Reallocates when the size changes; in every case the contents become zero.
    void Resize(std::int32_t n);
    void Fill(std::uint8_t v);
    void Assign(const cmcEeprom& other);
    bool Equals(const cmcEeprom& other) const;
    bool operator==(const cmcEeprom& other) const { return Equals(other); }

    std::int32_t Size() const { return size_; }
    bool IsValidIndex(std::int32_t i) const { return i >= 0 && i < size_; }

    // Out of range is a programming error and stops the program: callers that take
    // addresses from a file or the serial line check IsValidIndex first.
    std::uint8_t GetByte(std::int32_t i) const;
    void SetByte(std::int32_t i, std::uint8_t v);

    // Copy a block in or out; a request that does not fit wholly inside copies nothing.
    void WriteBlock(std::int32_t pos, const void* src, std::int32_t len);
    void ReadBlock(std::int32_t pos, void* dst, std::int32_t len) const;

    // The buffer; stays valid as long as the image is not resized.
    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }

private:
    bool Fits(std::int32_t pos, std::int32_t len) const;

    std::int32_t size_ = 0;
    std::unique_ptr<std::uint8_t[]> data_;
};
