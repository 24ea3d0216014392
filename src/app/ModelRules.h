#pragma once
// The fixed facts of this radio family: its codes, its eight model kinds and the checks
// that decide whether an image or a data file belongs to it. Used by the controller, the
// clone commands and the data-file tools alike.

#include "image/cmcEeprom.h"

#include <cstdint>
#include <string>

namespace model {

constexpr std::int32_t kModelCode = 0x2897;
constexpr std::int32_t kExtraCode = 0x0000;
constexpr std::int32_t kAcceptedExtraCode = 0x0100;  // files of an earlier release read as ours
constexpr std::int32_t kMapRevision = 5;
constexpr int kKinds = 8;
constexpr int kDefaultKind = 4;  // LMR mobile

// Kinds 0..7: LMR, LMR P25, PMR, BIIS PMR as handhelds, then the same four as mobiles.
bool isLmr(int kind);
bool isP25(int kind);
bool isBiisPmr(int kind);
bool isMobile(int kind);
// The channel record kind (1..4) of a model kind.
int channelRecordKind(int kind);
// Whether a number names a model kind.
constexpr bool isKind(int kind) { return kind >= 0 && kind < kKinds; }
// The family text of a kind as the overlay's sheet keys carry it (GI_Sheet_Mch_<text>);
// empty for a number that names no kind.
std::string familyText(int kind);

// The data-file header check of this program: model code 0x2897 with extra code 0x0000
// or 0x0100; otherwise false with code 3 (model) or 4 (extra).
bool checkFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& code);
// The map revision check of this program: exactly revision 5.
bool checkMapRevision(std::int32_t revision);

// The model kind that an image's own bits name (its working area must be rebuilt first):
// the handheld bit 5 of 0x000C, bits 3 and 4 of 0x168FD and bit 6 of 0x168FE.
int detectModelKind(const cmcEeprom& image);

// The maker identity check on data received from a radio: 0 accepts, 1 rejects. The
// received data must start with 0x2893 and 0x01, the current image must carry map revision
// 5 at 0x108, and with `withIdentityText` the data must hold the maker text at 0x100, the
// model code at 0x10A and the maker text again right before the used end of its packing.
int checkMakerIdentity(const cmcEeprom& received, const cmcEeprom& current, bool withIdentityText);
// The newer-data lock on data received from a radio: true (refuse) when the overlay's
// GI_Sys_LockoutNewerData is on and the data marks itself as made by a newer program.
bool newerDataLocked(const std::uint8_t* data, std::size_t size);

}  // namespace model
