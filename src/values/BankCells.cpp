// The banks: 128 channel counts share one table of 512 channels, so a bank grows or
// shrinks by moving every later channel. The cells' number is the bank (0..127); 128 is
// the totals row.

#include "values/BankCells.h"

#include "overlay/cmcCellObj.h"
#include "overlay/cmcGTex.h"
#include "platform/Dialogs.h"
#include "values/CellDispatch.h"
#include "values/Editors.h"
#include "values/RowShifts.h"

#include <algorithm>
#include <string>

namespace {

constexpr CellCategory kMch = CategoryOf("CT_Mch");
constexpr CellId kFlex0 = CellIdOf("Flex0");
constexpr std::int32_t kTotalsRow = RecordAccessor::kBanks;
constexpr std::int32_t kChannels = RecordAccessor::kChannels;

// The channel data area ends at the end of the EEPROM; the two words say where each of
// its two parts' data ends now.
constexpr std::int32_t kAreaEnd = cmcEeprom::kEepromSize;
constexpr std::int32_t kRecordAreaMark = 0x110;
constexpr std::int32_t kSecondAreaMark = 0x112;
constexpr std::int32_t kLastBank = RecordAccessor::kBanks - 1;

// A channel's blank flag bits: the three that record it as a marked channel.
constexpr std::uint8_t kMarkFlags =
    RecordAccessor::kFlagMarkA | RecordAccessor::kFlagMarkB | RecordAccessor::kFlagMarkC;

std::int32_t Word(const cmcEeprom& image, std::int32_t address) {
    return (image.GetByte(address) << 8) | image.GetByte(address + 1);
}

void Refuse(std::string_view key) {
    platform::dialogs().message({GTex().GetBlock(key), GTex().GetLine("GI_Sys_AppTitle_ADJ", 0),
                                 platform::DlgIcon::Error, platform::DlgButtons::Ok});
}

int ChannelKind(CellContext& c) {
    return RecordKind(kMch, c.ModelKind());
}

// Channel n becomes blank: not in use, so its frequencies are stored as 0.
void MakeBlank(cmcEeprom& image, int kind, std::int32_t channel) {
    RecordAccessor record(image);
    record.load(kind, channel);
    record.status = static_cast<std::uint8_t>(record.status & ~RecordAccessor::kStatusValid);
    record.store(kind, channel);
}

// `n` blank channels after the bank's last; the caller has checked that they fit.
void InsertChannels(CellContext& c, std::int32_t bank, std::int32_t n) {
    RecordAccessor banks(c.Image());
    const std::int32_t count = banks.bankCount(bank);
    const std::int32_t at = banks.bankFirstChannel(bank) + count;
    const int kind = ChannelKind(c);
    rows::ShiftRowsDown(c.Image(), c.InitialImage(), kind, kChannels, at, n);
    for (std::int32_t i = at; i < at + n; ++i) MakeBlank(c.Image(), kind, i);
    banks.setBankCount(bank, count + n);
}

// The channels at the bank's end that can go without losing anything: not in use and not
// recorded as a marked channel.
std::int32_t BlankTail(CellContext& c, std::int32_t bank) {
    RecordAccessor record(c.Image());
    const std::int32_t first = record.bankFirstChannel(bank);
    const int kind = ChannelKind(c);
    std::int32_t blank = 0;
    for (std::int32_t n = first + record.bankCount(bank) - 1; n >= first; --n, ++blank) {
        record.load(kind, n);
        if (record.valid() || (record.flags & kMarkFlags) != 0) break;
    }
    return blank;
}

// --- Cells ---------------------------------------------------------------------------------

std::int32_t Bank(const cmcCellCapsule& r) {
    return r.cell->key.index;
}

CellResult UsedTotal(CellContext& c, cmcCellCapsule& r, std::int32_t left) {
    // Channels outside every bank are never sent to the radio: they are not counted.
    const std::int32_t used = RecordAccessor(c.Image()).totalUsedChannels();
    r.displayText = std::to_string(left ? kChannels - used : used);
    return CellResult::None;
}

// The bank's name, in its bank operation record whatever the cell's category loaded; the
// tree's node follows.
CellResult BankName(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t bank = Bank(r);
    if (bank < 0 || bank >= kTotalsRow) return CellResult::None;
    RecordAccessor record(c.Image());
    record.load(RecordAccessor::kBankOperationKind, bank);
    CellResult result = CellResult::None;
    if (editors::EditName(r, result, record.name, 12)) {
        record.store(RecordAccessor::kBankOperationKind, bank);
        r.changeFlags |= kChangeImage;
        c.RunCommand(CellCommand::BankName, bank);
    }
    return result;
}

// The two trunking switches of a bank: bank bit array A (SmarTrunk), B (LTR).
CellResult Trunking(CellContext& c, cmcCellCapsule& r, std::int32_t arrayB) {
    const std::int32_t bank = Bank(r);
    if (bank < 0) return CellResult::None;
    if (bank >= kTotalsRow) {
        r.displayText = "----";
        return CellResult::None;
    }
    RecordAccessor banks(c.Image());
    std::int32_t value = (arrayB ? banks.bankBitB(bank) : banks.bankBitA(bank)) ? 1 : 0;
    CellResult result = CellResult::None;
    if (editors::EditChoice(r, result, value, "GI_Sheet_Sel_Misc_OnOff2", kFlex0)) {
        if (arrayB) {
            banks.setBankBitB(bank, value != 0);
        } else {
            banks.setBankBitA(bank, value != 0);
        }
        r.changeFlags |= kChangeImage;
        c.RunCommand(CellCommand::BanksChanged);
    }
    return result;
}

// A bank's channel count. Growing inserts blank channels after the bank's last; shrinking
// removes channels from its end, never one that is in use or marked. Any count may be
// typed: what does not fit or is not blank is refused with the reason and limited.
CellResult ChannelCount(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t bank = Bank(r);
    RecordAccessor banks(c.Image());
    if (bank < 0) return CellResult::None;
    if (bank >= kTotalsRow) {
        r.displayText = std::to_string(banks.totalChannels());
        return CellResult::None;
    }
    const std::int32_t count = banks.bankCount(bank);
    std::int32_t wanted = count;
    CellResult result = CellResult::None;
    if (!editors::EditSetting(r, result, wanted, {.min = 0, .max = kChannels, .wrap = false}) || wanted == count) {
        return result;
    }

    std::int32_t now = count;
    if (wanted > count) {
        const std::int32_t free = kChannels - banks.totalChannels();
        const std::int32_t fit = std::max(0, FitCount(c.Image(), kMch, free, bank));
        std::int32_t grow = wanted - count;
        if (grow > fit) {
            Refuse("GI_AppMess_ChErr_Overflow");
            grow = fit;
        }
        if (grow > 0) InsertChannels(c, bank, grow);
        now = count + grow;
    } else {
        const std::int32_t blank = BlankTail(c, bank);
        std::int32_t shrink = count - wanted;
        if (shrink > blank) {
            Refuse(shrink > count ? "GI_AppMess_ChErr_NoCh" : "GI_AppMess_ChErr_NotBlank");
            shrink = blank;
        }
        if (shrink > 0) {
            rows::ShiftRowsUp(c.Image(), c.InitialImage(), ChannelKind(c),
                              banks.bankFirstChannel(bank) + count - shrink, kChannels, shrink);
            banks.setBankCount(bank, count - shrink);
        }
        now = count - shrink;
    }
    r.displayText = std::to_string(now);
    r.editLength = static_cast<std::int32_t>(r.displayText.size());
    if (now != count) {
        r.changeFlags |= kChangeBankCount | kChangeImage;
        c.RunCommand(CellCommand::BanksChanged);
    }
    return result;
}

// Channels in use: of the bank, of all banks (totals row); past the totals row, the
// channels a bank of that number could still hold plus the unused channels of the banks.
CellResult UsedChannels(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t bank = Bank(r);
    const RecordAccessor banks(c.Image());
    std::int32_t shown = 0;
    if (bank < kTotalsRow) {
        shown = banks.usedChannels(bank);
    } else if (bank == kTotalsRow) {
        shown = banks.totalUsedChannels();
    } else {
        const std::int32_t total = banks.totalChannels();
        shown = FitCount(c.Image(), kMch, kChannels - total, bank) + total - banks.totalUsedChannels();
    }
    r.displayText = std::to_string(shown);
    return CellResult::None;
}

// How many more channels the bank can take (read only).
CellResult FreeChannels(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t bank = Bank(r);
    if (bank < 0 || bank >= kTotalsRow) return CellResult::None;
    const std::int32_t free = kChannels - RecordAccessor(c.Image()).totalChannels();
    r.displayText = std::to_string(std::max(0, FitCount(c.Image(), kMch, free, bank)));
    return CellResult::None;
}

constexpr CellRow kRows[] = {
    Row("CL_Bank_UsedTotal", UsedTotal, 0), Row("CL_Bank_UsedLeft", UsedTotal, 1),
    Row("CL_Mch_BankText", BankName),       Row("CL_Mch_SmarTrunk", Trunking, 0),
    Row("CL_Bank_SmarTrunk", Trunking, 0),  Row("CL_Mch_LTR", Trunking, 1),
    Row("CL_Mch_Bank", ChannelCount),       Row("CL_Bank_UsedQty", ChannelCount),
    Row("CL_Mch_UsedCHs", UsedChannels),    Row("CL_Bank_SelBankFree", FreeChannels),
};

}  // namespace

std::int32_t FitCount(const cmcEeprom& image, CellCategory category, std::int32_t n, std::int32_t bank) {
    if (category != kMch) return n;
    const std::int32_t recordRoom = kAreaEnd - Word(image, kRecordAreaMark);
    const std::int32_t secondRoom = kAreaEnd - Word(image, kSecondAreaMark);
    // The last bank's channels keep all their data in the record area.
    auto fits = [&](std::int32_t m) {
        if (bank == kLastBank) return 50 * m < recordRoom;
        return 30 * m < recordRoom && secondRoom - 30 * m >= 20 * m;
    };
    for (std::int32_t m = n; m >= 0; --m) {
        if (fits(m)) return m;
    }
    return -1;
}

bool AppendChannel(CellContext& c, std::int32_t bank) {
    RecordAccessor banks(c.Image());
    if (bank < 0 || bank >= kTotalsRow) return false;
    if (banks.totalChannels() >= kChannels || FitCount(c.Image(), kMch, 1, bank) < 1) {
        Refuse("GI_AppMess_ChErr_Overflow");
        return false;
    }
    InsertChannels(c, bank, 1);
    c.RunCommand(CellCommand::BankAddLastRow);
    c.RunCommand(CellCommand::BanksChanged);  // an empty bank's icon now shows channels
    return true;
}

std::span<const CellRow> BankCellRows() {
    return kRows;
}
