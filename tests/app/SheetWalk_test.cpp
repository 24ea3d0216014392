// Every sheet the tree of every model kind reaches, opened in the program and worked on
// as a technician would: every bound cell drawn (each with a behaviour of its own, none
// saying "*Yet*"), then Space, Backspace and Enter on it.
// Nothing may crash or stop the program, and a key on one cell may change the image only
// where the cell's own record or setting lies — here: no cell of a sheet may change bytes
// of the radio's identification or of its packed EEPROM header, which only packing writes.

#include "app/cuiSheetTree.h"
#include "app/indMain.h"
#include "ControllerWorld.h"
#include "FakeView.h"
#include "sheets/cuiSheet.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

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

TEST_F(SheetWalkTest, EveryBoundCellOfEverySheetTakesItsKeysForEveryModelKind) {
    for (int kind = 0; kind < 8; ++kind) {
        SCOPED_TRACE(testing::Message() << "model kind " << kind);
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.SetDataDirectory(TRELVIX_BIN_DIR);
        FakeView view;
        controller.BuildMainWindow(view);
        for (const std::string& link : SheetsOf(controller)) {
            controller.OpenSheetRef(link);
            ASSERT_TRUE(controller.Sheet() && controller.Sheet()->grid) << link;
            cuiSheet& sheet = *controller.Sheet()->grid;
            const cmcEeprom before = controller.CurrentImage();
            std::int32_t rows = std::min<std::int32_t>(sheet.RowCount(), 40);
            for (std::int32_t row = 0; row < rows; ++row) {
                for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                    if (sheet.CellAt(col, row).key.id == kNoCellId) continue;
                    static_cast<void>(sheet.Describe(col, row, {}));
                    // Every cell a sheet binds has its behaviour.
                    cmcCellCapsule shown;
                    shown.cell = const_cast<cmcCellObj*>(&sheet.CellAt(col, row));
                    shown.mode = CellMode::Draw;
                    shown.sheet = &sheet;
                    ProcessCell(controller.Cells(), shown);
                    EXPECT_EQ(shown.displayText.find("*Yet*"), std::string::npos)
                        << link << ": " << CellIdName(shown.cell->key.id);
                    if (!sheet.SelectAt(col, row)) continue;
                    for (std::int32_t key : {cellkey::kSpace, cellkey::kBackspace, cellkey::kEnter}) {
                        sheet.Action(key);
                        sheet.CancelEditor();
                    }
                }
            }
            // The radio's identity and the packed header belong to packing, not to cells.
            for (std::int32_t a = 0x0000; a < 0x0200; ++a) {
                if (a >= 0x0050 && a < 0x00C0) continue;  // adjustment values live here
                ASSERT_EQ(controller.CurrentImage().GetByte(a), before.GetByte(a))
                    << link << " changed header byte " << a;
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
