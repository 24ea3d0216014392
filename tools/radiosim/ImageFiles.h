#pragma once
// The radio's memory from and to data files (the program's own file format).

#include "image/cmcEeprom.h"

#include <cstdint>
#include <string>

namespace radiosim {

// Reads the EEPROM part (0x0000..0xFF7F) of a data file into `image` and reports the
// file's codes. Returns false with `error` set when the file cannot be used.
bool loadImage(const std::string& path, cmcEeprom& image, std::uint16_t& modelCode, std::uint16_t& extraCode,
               std::string& error);
// Writes the EEPROM part of `image` as a data file with the radio's codes.
bool saveImage(const std::string& path, const cmcEeprom& image, std::uint16_t modelCode, std::uint16_t extraCode,
               std::string& error);
// The memory of a radio that was given no file: every byte different from its neighbours.
cmcEeprom patternImage();

}  // namespace radiosim
