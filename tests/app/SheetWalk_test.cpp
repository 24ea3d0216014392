// Every sheet the tree of every model kind reaches, opened in the program and worked on
// as a technician would: every bound cell drawn (each with a behaviour of its own, none
// saying "*Yet*"), then Space, Backspace and Enter on it.
// Nothing may crash or stop the program, and a key on one cell may change the image only
// in the bytes the cell's table row names: its record's bytes (the record layouts), its
// setting's field (the settings table), or the address its dispatch row carries.

#include "app/cuiSheetTree.h"
#include "app/indMain.h"
#include "ControllerWorld.h"
#include "FakeView.h"
#include "sheets/cuiSheet.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"
#include "values/SettingsCells.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

namespace {

class SheetWalkTest : public ::testing::Test, protected ControllerWorld {
protected:
    testsupport::TempDir dir;
    // No radio: a live send meets a port that is not there.
    testsupport::ScopedEnv noRadio{"TRELVIX_COM1", dir.file("no-radio")};
};

// The sheets a kind's tree reaches, each once (the banks share one sheet kind).
std::vector<std::string> SheetsOf(indMain& controller) {
    std::vector<std::string> links;
    std::set<std::string> seen;
    int banks = 0;
    controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath&) {
        const std::string link = node.Link();
        // Two banks stand for all 128: the first, and one in the middle.
        if (link.find("St_ChBank") != std::string::npos && banks++ % 64 != 0) return;
        if (seen.insert(link).second) links.push_back(link);
    });
    return links;
}

constexpr CellCategory kChannelCategory = CategoryOf("CT_Mch");
constexpr CellCategory kBankCategory = CategoryOf("CT_BankOp");
constexpr CellCategory kAdjustCategory = CategoryOf("CT_ADJ");
constexpr std::array<std::uint8_t, 4> kInUse = {0x08, 0xBB, 0xB7, 0xC0};  // a receive frequency

// The cells that grow or shrink a bank: the bank table changes and every channel after
// the bank's end moves.
bool ResizesBank(CellId id) {
    return id == CellIdOf("CL_Mch_FreqR") || id == CellIdOf("CL_Mch_Bank") || id == CellIdOf("CL_Bank_UsedQty");
}

// The bytes a key on `cell` may change.
std::vector<bool> AllowedBytes(indMain& controller, const cmcCellObj& cell) {
    const CellKey& key = cell.key;
    RecordAccessor& records = controller.Cells().Records();
    std::vector<bool> allowed(static_cast<std::size_t>(controller.CurrentImage().Size()), false);
    auto allow = [&](std::int32_t address) { allowed.at(static_cast<std::size_t>(address)) = true; };
    auto allowRange = [&](std::int32_t address, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) allow(address + i);
    };

    // The dispatch row's address, the settings table's field.
    const CellDispatchEntry entry = DispatchOf(key.id);
    allowRange(entry.data, entry.addressBytes);
    for (std::int32_t a : settings::BytesOf(key.id)) allow(a);
    // The record of the cell's row.
    const std::int32_t kind = RecordKind(key.category, controller.Cells().ModelKind());
    if (kind != 0) {
        for (std::int32_t a : records.storedBytes(kind, key.index)) allow(a);
    }
    // A bank's row: its name record, its bits in the two bank bit arrays; resizing a bank
    // moves the channels after it and rewrites the bank table.
    if (key.category == kBankCategory && key.index >= 0 && key.index < RecordAccessor::kBanks) {
        for (std::int32_t a : records.storedBytes(RecordAccessor::kBankOperationKind, key.index)) allow(a);
        allow(0x168E4 + key.index / 8);
        allow(0x16A6C + key.index / 8);
    }
    if (ResizesBank(key.id) && (key.category == kBankCategory || key.category == kChannelCategory)) {
        allowRange(0x1696C, 2 * RecordAccessor::kBanks);
        const std::int32_t channelKind = RecordKind(kChannelCategory, controller.Cells().ModelKind());
        for (int n = 0; n < RecordAccessor::kChannels; ++n)
            for (std::int32_t a : records.storedBytes(channelKind, n)) allow(a);
    }
    // An adjustment cell sets the value it adjusts; its procedure tunes the values it
    // steps through (all in the EEPROM's adjustment block).
    if (key.category == kAdjustCategory) allowRange(0x50, 0x70);
    return allowed;
}

// The addresses at which two images differ.
std::vector<std::int32_t> Changed(const cmcEeprom& before, const cmcEeprom& after) {
    std::vector<std::int32_t> changed;
    const std::uint8_t* a = before.Data();
    const std::uint8_t* b = after.Data();
    const std::int32_t size = before.Size();
    if (std::memcmp(a, b, static_cast<std::size_t>(size)) == 0) return changed;
    for (std::int32_t i = 0; i < size; ++i)
        if (a[i] != b[i]) changed.push_back(i);
    return changed;
}

std::string Hex(std::int32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%05X", static_cast<unsigned>(address));
    return text;
}

TEST_F(SheetWalkTest, EveryBoundCellOfEverySheetTakesItsKeysForEveryModelKind) {
    for (int kind = 0; kind < 8; ++kind) {
        SCOPED_TRACE(testing::Message() << "model kind " << kind);
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.SetDataDirectory(TRELVIX_BIN_DIR);
        FakeView view;
        controller.BuildMainWindow(view);
        // The first channel in use (146.52 MHz), so that the channel cells' own cases run on
        // its row rather than the guard of a row not in use.
        for (int i = 0; i < 4; ++i) controller.CurrentImage().SetByte(0xFF80 + i, kInUse[static_cast<std::size_t>(i)]);
        for (const std::string& link : SheetsOf(controller)) {
            controller.OpenSheetRef(link);
            ASSERT_TRUE(controller.Sheet() && controller.Sheet()->grid) << link;
            cuiSheet& sheet = *controller.Sheet()->grid;
            std::int32_t rows = std::min<std::int32_t>(sheet.RowCount(), 40);
            for (std::int32_t row = 0; row < rows; ++row) {
                for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                    if (sheet.CellAt(col, row).key.id == kNoCellId) continue;
                    const cmcEeprom undrawn = controller.CurrentImage();
                    static_cast<void>(sheet.Describe(col, row, {}));
                    // Every cell a sheet binds has its behaviour.
                    cmcCellCapsule shown;
                    shown.cell = const_cast<cmcCellObj*>(&sheet.CellAt(col, row));
                    shown.mode = CellMode::Draw;
                    shown.sheet = &sheet;
                    ProcessCell(controller.Cells(), shown);
                    EXPECT_EQ(shown.displayText.find("*Yet*"), std::string::npos)
                        << link << ": " << CellIdName(shown.cell->key.id);
                    // Drawing a cell changes nothing.
                    ASSERT_TRUE(Changed(undrawn, controller.CurrentImage()).empty())
                        << link << ": drawing " << CellIdName(shown.cell->key.id) << " changed the image";
                    if (!sheet.SelectAt(col, row)) continue;
                    const cmcCellObj cell = sheet.CellAt(col, row);
                    for (std::int32_t key : {cellkey::kSpace, cellkey::kBackspace, cellkey::kEnter}) {
                        const cmcEeprom pre = controller.CurrentImage();
                        sheet.Action(key);
                        sheet.CancelEditor();
                        const std::vector<std::int32_t> changed = Changed(pre, controller.CurrentImage());
                        if (changed.empty()) continue;
                        const std::vector<bool> allowed = AllowedBytes(controller, cell);
                        for (std::int32_t a : changed) {
                            ASSERT_TRUE(allowed[static_cast<std::size_t>(a)])
                                << link << ": " << CellIdName(cell.key.id) << "[" << cell.key.index << "] key " << key
                                << " changed " << Hex(a) << ", outside the bytes its table row names";
                        }
                    }
                }
            }
            controller.CloseSheet();
            time.clock.advance(100);
        }
        // The only message is the missing radio's, and only after a user's edit asked for it.
        std::string portMessage = GTex().GetLine("GI_Mess_CloneErr_Head", 2);
        portMessage.replace(portMessage.find("%d"), 2, "1");
        for (const auto& m : dialogs.dialogs.messages) EXPECT_EQ(m.text.substr(0, m.text.find('\n')), portMessage);
        EXPECT_LE(dialogs.dialogs.messages.size(), 3u);
        dialogs.dialogs.messages.clear();
    }
}

}  // namespace
