// The controller with a recording window: start-up, the tick and the deferred warning
// check on virtual time, file commands against real files, and the close query.

#include "app/cuiSheetTree.h"
#include "app/indMain.h"
#include "ControllerWorld.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "overlay/cmcGTex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::DlgAnswer;

// A window that records what the controller shows.
struct FakeView : MainView {
    std::string title;
    std::vector<MenuItemModel> menu;
    std::vector<ToolButtonModel> toolbar;
    bool toolbarVisible = false;
    std::optional<TreeNodeModel> tree;
    ItemPath selected;
    StatusModel status;
    std::string sheetKey, sheetCaption;
    std::int32_t treeWidth = 0;
    bool visible = true, enabled = true, closeRequested = false;
    std::optional<WinRect> bounds = WinRect{10, 20, 700, 500};

    void setTitle(const std::string& t) override { title = t; }
    void showMenu(const std::vector<MenuItemModel>& items) override { menu = items; }
    void showToolbar(const std::vector<ToolButtonModel>& b, bool v) override {
        toolbar = b;
        toolbarVisible = v;
    }
    void showTree(const TreeNodeModel* root) override {
        if (root) tree = *root; else tree.reset();
    }
    void updateTreeNode(const ItemPath&, const TreeNodeModel&) override {}
    void setTreeLook(const cmcFont&, std::uint32_t) override {}
    void selectTreeNode(const ItemPath& p) override { selected = p; }
    void showStatus(const StatusModel& s) override { status = s; }
    void showSheet(const std::string& key, const std::string& caption) override {
        sheetKey = key;
        sheetCaption = caption;
    }
    void setTreePanelWidth(std::int32_t w) override { treeWidth = w; }
    bool isVisible() const override { return visible; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool e) override { enabled = e; }
    std::optional<WinRect> restoredBounds() const override { return bounds; }
    std::int32_t treePanelWidth() const override { return treeWidth; }
    void requestClose() override { closeRequested = true; }
};

class cuiMainTest : public ::testing::Test, protected ControllerWorld {
protected:
    cuiMainTest() { controller.SetDataDirectory(std::string(TRELVIX_BIN_DIR)); }
    void Start() {
        controller.BuildMainWindow(view);
        time.clock.advance(200);  // the tree's selection opens its sheet
    }
    // Changes a byte of the user's image as an edit would, and tells the controller. Edits
    // go to the working area, from which saving packs the radio's memory.
    static constexpr std::int32_t kBankName = 0x16DF9;
    void Edit(std::int32_t address, std::uint8_t value) {
        controller.CurrentImage().SetByte(address, value);
        controller.CheckModified();
    }

    indMain controller{settings, events};
    FakeView view;
    testsupport::TempDir dir;
};

TEST_F(cuiMainTest, StartUpBuildsTheWindowAndOpensTheRootSheet) {
    settings.splitterV = 3;
    Start();
    EXPECT_EQ(view.title, GTex().GetLine("GI_Sys_AppTitle_ADJ", 0));
    EXPECT_FALSE(view.menu.empty());
    EXPECT_FALSE(view.toolbar.empty());
    ASSERT_TRUE(view.tree.has_value());
    EXPECT_EQ(view.treeWidth, 8) << "SplitterV 3 opens 8 pixels wide";
    ASSERT_NE(controller.Sheet(), nullptr);
    EXPECT_EQ(view.sheetKey, "GI_Sheet_Radio");
    EXPECT_FALSE(controller.Modified());
    EXPECT_TRUE(controller.IsUntitled());
}

TEST_F(cuiMainTest, TenQuickExpansionsRunOneWarningCheck250msAfterTheLast) {
    Start();
    const int before = controller.WarningChecksRun();
    for (int i = 0; i < 10; ++i) {
        controller.OnTreeExpand({0}, i % 2 == 0);
        time.clock.advance(30);
    }
    const int afterBurst = controller.WarningChecksRun();
    EXPECT_EQ(afterBurst, before) << "no check while requests keep coming";
    time.clock.advance(250 - 30 - 1);
    EXPECT_EQ(controller.WarningChecksRun(), before);
    time.clock.advance(51);  // the next 50 ms tick after the delay ran out
    EXPECT_EQ(controller.WarningChecksRun(), before + 1);
    time.clock.advance(1000);
    EXPECT_EQ(controller.WarningChecksRun(), before + 1);
}

TEST_F(cuiMainTest, NoQuestionWithoutChangesAndSaveAsCancelledStopsTheClose) {
    Start();
    EXPECT_TRUE(controller.OnCloseQuery()) << "not modified: no question";
    EXPECT_TRUE(dialogs.dialogs.messages.empty());

    Edit(0x0500, 0x5A);
    dialogs.dialogs.answer(DlgAnswer::Yes);
    dialogs.dialogs.cancelFileDialog();
    EXPECT_FALSE(controller.OnCloseQuery()) << "untitled, Yes, dialog cancelled: the close does not happen";
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.dialogs.messages[0].text.find("Untitled"), std::string::npos);

    dialogs.dialogs.answer(DlgAnswer::No);
    EXPECT_TRUE(controller.OnCloseQuery()) << "No discards";
    EXPECT_EQ(settings.width, 700) << "restored bounds stored";
}

TEST_F(cuiMainTest, CloseIsRefusedSilentlyWhileTheWindowIsDisabled) {
    Start();
    Edit(0x0500, 1);
    view.enabled = false;
    EXPECT_FALSE(controller.OnCloseQuery());
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
}

TEST_F(cuiMainTest, SaveAndOpenRoundTrip) {
    Start();
    Edit(kBankName, 0xA5);
    const std::string path = dir.file("site-a.tdf");
    dialogs.dialogs.choosePath(path);
    ASSERT_EQ(controller.SaveAs(), 0);
    EXPECT_FALSE(controller.Modified());
    EXPECT_EQ(controller.CurrentFileName(), path);
    EXPECT_EQ(controller.WorkingDirectory(), dir.path().string());
    EXPECT_EQ(settings.currentDirectory, dir.path().string());
    EXPECT_EQ(settings.RecentItem(0), path);

    controller.New();  // not modified: no question
    EXPECT_EQ(controller.CurrentImage().GetByte(kBankName), controller.InitialImage().GetByte(kBankName));
    EXPECT_TRUE(controller.IsUntitled());

    ASSERT_EQ(controller.OpenFile(path), 0);
    EXPECT_EQ(controller.CurrentImage().GetByte(kBankName), 0xA5);
    EXPECT_EQ(controller.CurrentFileName(), path);
    EXPECT_FALSE(controller.Modified());
    EXPECT_TRUE(dialogs.dialogs.unscripted.empty());
}

TEST_F(cuiMainTest, FailedSaveKeepsNameAndModifiedFlag) {
    TRELVIX_SKIP_WITHOUT_DISK_FULL();
    Start();
    Edit(0x0500, 1);
    const std::string good = dir.file("good.tdf");
    dialogs.dialogs.choosePath(good);
    ASSERT_EQ(controller.SaveAs(), 0);
    Edit(0x0501, 2);
    const std::string before = testsupport::readFile(good);
    {
        testsupport::DiskFull full(1000);
        EXPECT_NE(controller.Save(good), 0);
    }
    EXPECT_TRUE(controller.Modified());
    EXPECT_EQ(controller.CurrentFileName(), good);
    EXPECT_EQ(testsupport::readFile(good), before) << "the previous file is intact";
    EXPECT_FALSE(dialogs.dialogs.messages.empty()) << "the failure was reported";
}

TEST_F(cuiMainTest, OpenOfABadFileChangesNothing) {
    Start();
    Edit(0x0500, 7);
    const std::string bad = dir.file("bad.tdf");
    testsupport::writeFile(bad, "not a data file\r\n");
    EXPECT_NE(controller.OpenFile(bad), 0);
    EXPECT_EQ(controller.CurrentImage().GetByte(0x0500), 7);
    EXPECT_TRUE(controller.Modified());
    EXPECT_TRUE(controller.IsUntitled());
    EXPECT_EQ(dialogs.dialogs.messages.size(), 1u);
}

TEST_F(cuiMainTest, ModelChangeAsksAndRebuildsTheTree) {
    Start();
    controller.ChangeModel(4, true);  // the current kind: nothing, no question
    EXPECT_TRUE(dialogs.dialogs.messages.empty());
    dialogs.dialogs.answer(DlgAnswer::Cancel);
    controller.ChangeModel(1, true);
    EXPECT_EQ(settings.modelType, 4) << "cancelled";
    dialogs.dialogs.answer(DlgAnswer::Ok);
    controller.ChangeModel(1, true);
    EXPECT_EQ(settings.modelType, 1);
    EXPECT_FALSE(controller.Tree()->FindLink("GI_Sheet_Digi_Top").empty()) << "P25 nodes for an LMR P25 kind";
}

TEST_F(cuiMainTest, BankNodesShowTheBankNamesAndIcons) {
    Start();
    std::string name = "REPEATER 7";
    name.resize(12, ' ');
    controller.CurrentImage().WriteBlock(kBankName + 12 * 6, name.data(), 12);
    controller.RefreshBankLabels();
    events.Post(EvMsg::BanksChanged);
    time.clock.advance(30);  // the posted messages are drained
    cuiTreeNode* bank6 = controller.Tree()->NodeAt(controller.Tree()->FindLink("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 6"));
    ASSERT_NE(bank6, nullptr);
    EXPECT_EQ(bank6->shown.text, "7: REPEATER 7");
    EXPECT_GE(bank6->shown.imageIndex, 4);
    EXPECT_LE(bank6->shown.imageIndex, 9);
}

TEST_F(cuiMainTest, SheetMemoryRestoresTheViewOfAReopenedSheet) {
    Start();
    controller.OpenSheetRef("GI_Sheet_Common");
    // The grid reports its view position on close; until grids exist the test sets it.
    const_cast<OpenSheet*>(controller.Sheet())->topRow = 12;
    controller.OpenSheetRef("GI_Sheet_Dtmf");
    controller.OpenSheetRef("GI_Sheet_Common");
    EXPECT_EQ(controller.Sheet()->topRow, 12);
    EXPECT_EQ(controller.SheetMemoryList().front().ref, "GI_Sheet_Dtmf");
}

}  // namespace
