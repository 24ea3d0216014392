// The controller with a recording window: start-up, the tick and the deferred warning
// check on virtual time, file commands against real files, and the close query.

#include "app/cuiSheetTree.h"
#include "app/FamilyRules.h"
#include "app/indMain.h"
#include "image/RecordAccessor.h"
#include "sheets/iuiSh_ChBank.h"
#include "values/KeyCodes.h"
#include "ControllerWorld.h"
#include "FakeView.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "overlay/cmcGTex.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::DlgAnswer;

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
    ASSERT_EQ(controller.SaveAs(), FileCommand::Done);
    EXPECT_FALSE(controller.Modified());
    EXPECT_EQ(controller.CurrentFileName(), path);
    EXPECT_EQ(controller.WorkingDirectory(), dir.path().string());
    EXPECT_EQ(settings.currentDirectory, dir.path().string());
    EXPECT_EQ(settings.RecentItem(0), path);

    EXPECT_EQ(controller.New(), FileCommand::Done);  // not modified: no question
    EXPECT_EQ(controller.CurrentImage().GetByte(kBankName), controller.InitialImage().GetByte(kBankName));
    EXPECT_TRUE(controller.IsUntitled());

    ASSERT_EQ(controller.OpenFile(path), FileCommand::Done);
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
    ASSERT_EQ(controller.SaveAs(), FileCommand::Done);
    Edit(0x0501, 2);
    const std::string before = testsupport::readFile(good);
    {
        testsupport::DiskFull full(1000);
        EXPECT_EQ(controller.Save(good), FileCommand::Failed);
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
    EXPECT_EQ(controller.OpenFile(bad), FileCommand::Failed);
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

    // The icon follows the bank's flags (B before A) and whether it holds channels.
    struct Case {
        int bank;
        bool a, b;
        int count;
        int icon;
    };
    const Case cases[] = {{10, false, false, 0, 4}, {11, false, false, 2, 5}, {12, true, false, 0, 6},
                          {13, true, false, 1, 7},  {14, false, true, 0, 8},  {15, true, true, 3, 9}};
    RecordAccessor banks(controller.CurrentImage());
    for (const Case& c : cases) {
        banks.setBankBitA(c.bank, c.a);
        banks.setBankBitB(c.bank, c.b);
        banks.setBankCount(c.bank, c.count);
    }
    events.Post(EvMsg::BanksChanged);
    time.clock.advance(30);
    for (const Case& c : cases) {
        const std::string link = "[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank " + std::to_string(c.bank);
        cuiTreeNode* node = controller.Tree()->NodeAt(controller.Tree()->FindLink(link));
        ASSERT_NE(node, nullptr) << link;
        EXPECT_EQ(node->shown.imageIndex, c.icon) << "bank " << c.bank;
    }
}

TEST_F(cuiMainTest, RepeatersNodeOpensTheRepeaterSiteSheet) {
    settings.modelType = 7;  // a trunked kind: the tree has the Repeaters node
    Start();
    ItemPath repeaters;
    controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath& path) {
        if (ParseSheetRef(node.Link()).key == "GI_Sheet_Rpt") repeaters = path;
    });
    ASSERT_FALSE(repeaters.empty()) << "the Repeaters node of a trunked kind";
    controller.OnTreeSelect(repeaters);
    time.clock.advance(200);
    ASSERT_NE(controller.Sheet(), nullptr);
    EXPECT_EQ(controller.Sheet()->parsed.key, "GI_Sheet_Rpt");
    EXPECT_EQ(controller.Sheet()->kind, OpenSheet::Kind::Repeater);
}

TEST_F(cuiMainTest, SheetMemoryRestoresTheViewOfAReopenedSheet) {
    Start();
    controller.OpenSheetRef("GI_Sheet_BankOp");
    cuiSheet* banks = controller.Sheet()->grid.get();
    ASSERT_NE(banks, nullptr);
    ASSERT_EQ(banks->RowCount(), 1 + 128) << "a heading and one row per bank";
    banks->SetViewport(600, 200);
    for (int i = 0; i < 3; ++i) banks->KeyDown({cellkey::vk::kPageDown, 0, false, false, false});
    const SheetPosition left = banks->Position();
    ASSERT_EQ(left.row, 31);
    ASSERT_GT(left.topRow, 1);
    controller.OpenSheetRef("GI_Sheet_Dtmf");
    controller.OpenSheetRef("GI_Sheet_BankOp");
    const SheetPosition back = controller.Sheet()->grid->Position();
    EXPECT_EQ(back.row, left.row);
    EXPECT_EQ(back.col, left.col);
    EXPECT_EQ(back.topRow, left.topRow);
    EXPECT_EQ(controller.SheetMemoryList().front().ref, "GI_Sheet_Dtmf");
}

TEST_F(cuiMainTest, TheOpenSheetAnswersForTheEditMenuAndTakesTheRedrawMessages) {
    Start();
    controller.OpenSheetRef("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 0");
    cuiSheet* bank = controller.Sheet()->grid.get();
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->ArrayRows(), 522);
    EXPECT_EQ(bank->CurrentPopupMenu(), "GI_PMenu_Edit");
    const ItemPath edit = PathOf(view.menu, "&Edit");
    controller.OnMenuAboutToShow(edit);
    EXPECT_EQ(Shape(NodeAtPath(view.menu, edit)->children), "Edit...");
    const auto reply = events.Query(EvMsg::QueryBankSheet);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->first, 0);

    bank->OpenEditor("x", 0, 1);
    events.Send(EvMsg::CommitEdit);
    EXPECT_FALSE(bank->EditorOpen()) << "message 21 commits the open editor";
}

TEST_F(cuiMainTest, TypingOnTheRowAfterABanksLastChannelGivesTheBankAChannel) {
    Start();
    controller.OpenSheetRef("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 0");
    auto* bank = dynamic_cast<iuiSh_ChBank*>(controller.Sheet()->grid.get());
    ASSERT_NE(bank, nullptr);
    const std::int32_t count = bank->ChannelCount();
    const std::int32_t rows = bank->RowCount();
    ASSERT_TRUE(bank->SelectAt(1, rows - 1)) << "the receive frequency of the row that takes a new channel";

    bank->KeyDown({0, '4'});
    time.clock.advance(30);  // the posted messages are drained

    EXPECT_EQ(RecordAccessor(controller.CurrentImage()).bankCount(0), count + 1);
    EXPECT_EQ(bank->ChannelCount(), count + 1);
    EXPECT_EQ(bank->RowCount(), rows + 1) << "one more row for the next new channel";
    EXPECT_TRUE(bank->EditorOpen());
    EXPECT_EQ(bank->EditorText(), "4");
    cuiTreeNode* node = controller.Tree()->NodeAt(controller.Tree()->FindLink("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 0"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->shown.imageIndex % 2, 1) << "the bank's icon shows that it holds channels";
}

TEST_F(cuiMainTest, ABankRenamedOnTheBankSheetIsRenamedInTheTree) {
    Start();
    controller.OpenSheetRef("GI_Sheet_BankOp");
    cuiSheet* banks = controller.Sheet()->grid.get();
    ASSERT_NE(banks, nullptr);
    ASSERT_TRUE(banks->SelectAt(1, 1 + 3)) << "bank 3's name";
    banks->KeyDown({0, 'R'});
    ASSERT_TRUE(banks->EditorOpen());
    banks->SetEditorText("ROUTE 9");
    events.Send(EvMsg::CommitEdit);
    time.clock.advance(30);

    cuiTreeNode* node = controller.Tree()->NodeAt(controller.Tree()->FindLink("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 3"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->shown.text, "4: ROUTE 9");
}

TEST_F(cuiMainTest, ASheetClosedFromInsideItsOwnActionLivesUntilTheCallReturns) {
    Start();
    controller.OpenSheetRef("GI_Sheet_BankOp");
    cuiSheet* banks = controller.Sheet()->grid.get();
    ASSERT_NE(banks, nullptr);
    int calls = 0;
    // A command that changes the model or the font size closes the sheet it came from.
    banks->SetValueCallback([&](cmcCellCapsule& r) {
        if (r.mode == CellMode::Action) {
            ++calls;
            controller.CloseSheet();
            r.repeatKey = 'x';  // the sheet still works with its own state after the call
        }
        return CellResult::None;
    });
    banks->KeyDown({0, 'x', false, false, false});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(controller.Sheet(), nullptr);
    time.clock.advance(200);
    EXPECT_EQ(calls, 1) << "a closed sheet repeats nothing";
    EXPECT_EQ(controller.Sheet()->parsed.key, "GI_Sheet_Radio") << "the tick opens the tree's node again";
}

TEST_F(cuiMainTest, CommandsChangeStatesOnTheBuiltMenuAndOnlyANewShapeRebuildsIt) {
    Start();
    EXPECT_EQ(view.menuCalls.front(), "show ") << "the first showing builds the menu";
    EXPECT_EQ(view.toolbarBuilds, 1);
    view.menuCalls.clear();
    for (const char* caption : {"COM&2", "150 %", "&Toolbar"}) {
        SCOPED_TRACE(caption);
        controller.OnMenuClick(PathOf(view.menu, caption));
        for (const std::string& call : view.menuCalls) EXPECT_EQ(call, "update ");
    }
    EXPECT_NE(Shape(view.menu).find("COM&2*"), std::string::npos);
    EXPECT_NE(Shape(view.menu).find("150 %*"), std::string::npos);
    EXPECT_FALSE(view.toolbarVisible);
    EXPECT_TRUE(view.toolbar[5].pressed) << "the COM2 button follows the port";
    EXPECT_EQ(view.toolbarBuilds, 1) << "the toolbar is built once, then changes state";

    // The first recent file gives "Recent Files" a submenu: a new shape.
    view.menuCalls.clear();
    settings.RecentAddFront("/radios/a.tdf");
    events.Send(EvMsg::UpdateMenus);
    EXPECT_EQ(view.menuCalls, (std::vector<std::string>{"show "}));
    EXPECT_EQ(NodeAtPath(view.menu, PathOf(view.menu, "&Recent Files"))->children.size(), 1u);
}

TEST_F(cuiMainTest, ASubmenuAboutToOpenShowsTheStatesOfNow) {
    Start();
    const ItemPath port = PathOf(view.menu, "&Port");
    settings.comPort = 3;  // changed behind the menu's back, as a dialog would
    view.menuCalls.clear();
    controller.OnMenuAboutToShow(port);
    EXPECT_EQ(view.menuCalls, (std::vector<std::string>{"update " + FakeView::Path(port)}));
    EXPECT_EQ(Shape(NodeAtPath(view.menu, port)->children).substr(0, 24), "COM&1 COM&2 COM&3* COM&4");
}

TEST_F(cuiMainTest, TheEditMenuMirrorsThePopupMenuOfTheCurrentCell) {
    Start();
    const ItemPath edit = PathOf(view.menu, "&Edit");
    auto opened = [&] {
        view.menuCalls.clear();
        controller.OnMenuAboutToShow(edit);
        return Shape(NodeAtPath(view.menu, edit)->children);
    };
    EXPECT_EQ(opened(), "No item~") << "no sheet: nothing to do";
    EXPECT_EQ(view.menuCalls.back(), "update " + FakeView::Path(edit)) << "same shape: no rebuild";
    {
        PopupSheet sheet(events);
        sheet.popup = "GI_PMenu_Edit";
        EXPECT_EQ(opened(), "Edit...");
        }
    // A submenu the window rebuilt on opening is part of what the window has: the next
    // command changes states only.
    PopupSheet sheet(events);
    sheet.popup = "GI_PMenu_Edit";
    opened();
    view.menuCalls.clear();
    controller.OnMenuClick(PathOf(view.menu, "COM&1"));
    for (const std::string& call : view.menuCalls) EXPECT_EQ(call, "update ");
    EXPECT_EQ(Shape(NodeAtPath(view.menu, edit)->children), "Edit...");
}

// A controller whose image is smaller than the memory map, with preparation that writes
// at the top of the map as the model's unpacking does.
struct TopWritingRules : FamilyRules {
    void FillWorkingArea(cmcEeprom& image) override { image.SetByte(cuiMain::kMapSize - 1, 0); }
};
struct SmallImageController : cuiMain {
    SmallImageController(indEnviron& settings, cmcEvMan& events)
        : cuiMain(settings, events, kMapSize - 1, std::make_unique<TopWritingRules>()) {}
};

TEST(cuiMainDeathTest, SelfCheckStopsBeforeAnythingWritesThroughTheImage) {
    ControllerWorld world;
    SmallImageController controller(world.settings, world.events);
    controller.SetDataDirectory(std::string(TRELVIX_BIN_DIR));
    FakeView view;
    EXPECT_DEATH(controller.BuildMainWindow(view), "Self Check Error\\.\nEEPROM Map is too large\\.");
}

}  // namespace

namespace {

TEST_F(cuiMainTest, AfterAFailedLiveSendTheRadioIsTriedAgainOnlyWhenTheUserActs) {
    testsupport::ScopedEnv missing("TRELVIX_COM7", dir.file("no-such-device"));
    settings.comPort = 7;
    Start();
    std::uint8_t target = 0;
    ASSERT_TRUE(controller.SendLiveValue(0x05, 0x40, &target, false));
    time.clock.advance(2000);
    ASSERT_EQ(dialogs.dialogs.messages.size(), 1u) << "the port could not be opened";
    EXPECT_TRUE(controller.LiveHeld());

    // Redraws would send again and again; each would show the message again.
    EXPECT_FALSE(controller.SendLiveValue(0x05, 0x40, &target, false));
    events.Send(EvMsg::RedrawBound);
    time.clock.advance(2000);
    EXPECT_EQ(dialogs.dialogs.messages.size(), 1u);

    // An edit is the user asking again.
    controller.AfterCellChange();
    EXPECT_TRUE(controller.SendLiveValue(0x05, 0x40, &target, false));
    time.clock.advance(2000);
    EXPECT_EQ(dialogs.dialogs.messages.size(), 2u);
}

}  // namespace
