#pragma once
// The texts of the Clone Information displays, from the model-information block the radio
// sent with its identification (positions count from the block's first byte). The cells
// of the Clone Information sheet and the command-line companion's identify both show
// these, so a fleet script reads exactly what a technician sees.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cloneinfo {

using Block = std::span<const std::uint8_t>;  // at least 125 bytes

// Model, a line break, handheld or mobile, a line break, with or without keypad.
std::string Model(Block b);
std::string Revision(Block b);                 // "1.2"
std::string Comment(Block b, int which);       // 1 or 2: the 16 characters as sent
std::vector<std::string> Options(Block b);     // one text per fitted option
std::string OverVoltage(Block b);              // empty unless the protection is fitted
std::string SerialNumber(Block b);             // "%02d%05ld", empty when not hexadecimal
std::string CheckSum(Block b);                 // "$%04X"

}  // namespace cloneinfo
