#include "app/cuiMenu.h"
#include "app/indMain.h"
#include "FakeView.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "support/OverlayFragment.h"
#include "values/KeyCodes.h"

#include <gtest/gtest.h>

namespace {

// A controller on small overlay fixtures, without a window.
class MenuFixture : public ::testing::Test {
protected:
    explicit MenuFixture(std::vector<std::string> overlay) : overlay_(std::move(overlay)) {}
    platform::ScopedVirtualTime time;
    platform::ScopedScriptedDialogs dialogs;
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
    indEnviron settings{indEnviron::kMutexName, store, lock, {1024, 768}};
    testsupport::ScopedOverlay overlay_;
    cmcEvMan events;
    indMain controller{settings, events};
};

class cuiMenuTest : public MenuFixture {
protected:
    cuiMenuTest()
        : MenuFixture({
              "#GI_Menu_Main_BasicCell",
              "{}",
              "#GI_Menu_Main_Body",
              "+&File",
              "++&New\t{(%CL_Menu_File_New:Ctrl+N)(ImageIndex=0)}",
              "++&Recent Files\t{(%CL_Menu_File_Recent)}",
              "++-",
              "++Size\t{(%CL_Menu_View_FontSize[100])}",
              "+++Deeper\t{(%CL_Menu_View_FontSize[150])}",
              "+&Port",
              "++COM1\t{(%CL_Menu_Port_Com[1])}",
              "++COM2\t{(%CL_Menu_Port_Com[2])}",
              "#",
              "#GI_ToolBar_Main_BasicCell",
              "{}",
              "#GI_ToolBar_Main_Body",
              "+New\t{(%CL_Menu_File_New)(ImageIndex=0)}",
              "+-",
              "+Open\t{(%CL_Menu_File_Open)(ImageIndex=1)}",
              "+/",
              "+COM2\t{(%CL_Menu_Port_Com[2])(ImageIndex=4)}",
              "+Plain",
              "#",
          }) {}
};

TEST_F(cuiMenuTest, NestsByLevelAndMirrorsTheCellState) {
    settings.comPort = 2;
    cuiMenu menu(controller, "GI_Menu_Main");
    menu.UpdateStates();
    // A line deeper than the previous nests under it; the shallower "+&Port" ends the group.
    EXPECT_EQ(Shape(menu.Model()), "&File(&New &Recent Files~ - Size*(Deeper)) &Port(COM1 COM2*)");
    EXPECT_EQ(menu.ItemAt({0, 0})->shown.shortcut, "Ctrl+N");
    EXPECT_EQ(menu.ItemAt({0, 0})->shown.imageIndex, 0);
    EXPECT_EQ(menu.ItemAt({0, 0})->cell.key.id, CellIdOf("CL_Menu_File_New"));
}

TEST_F(cuiMenuTest, RecentFilesBecomeASubmenuThatOpensThem) {
    settings.RecentAddFront("/radios/b.tdf");
    settings.RecentAddFront("/radios/a.tdf");
    cuiMenu menu(controller, "GI_Menu_Main");
    menu.UpdateStates();
    const cuiMenuItem* recent = menu.ItemAt({0, 1});
    ASSERT_EQ(recent->children.size(), 2u);
    EXPECT_EQ(recent->children[0].shown.caption, "&1 /radios/a.tdf");
    EXPECT_FALSE(recent->shown.disabled);
    EXPECT_EQ(recent->children[1].cell.key.index, 2);
}

TEST_F(cuiMenuTest, ToolbarKeepsLineOrderWithSeparatorsAndToggles) {
    settings.comPort = 2;
    cuiToolBar bar(controller, "GI_ToolBar_Main");
    bar.UpdateStates();
    using K = ToolButtonModel::Kind;
    const std::vector<ToolButtonModel> model = bar.Model();
    ASSERT_EQ(model.size(), 6u);
    EXPECT_EQ(model[0].tooltip, "New");
    EXPECT_EQ(model[1].kind, K::Separator);
    EXPECT_EQ(model[2].tooltip, "Open");
    EXPECT_EQ(model[3].kind, K::WrapSeparator);
    EXPECT_TRUE(model[4].toggle && model[4].pressed) << "a checked cell is a pressed toggle";
    EXPECT_FALSE(model[5].toggle || model[5].pressed) << "a button without a cell is neither";
}

TEST_F(cuiMenuTest, CommandsChangeSettingsAndTheStateFollows) {
    cuiMenu menu(controller, "GI_Menu_Main");
    controller.RunCell(menu.ItemAt({1, 1})->cell, cellkey::kEnter);  // COM2
    EXPECT_EQ(settings.comPort, 2);
    controller.RunCell(menu.ItemAt({0, 3, 0})->cell, cellkey::kEnter);  // 150 %
    EXPECT_EQ(settings.fontSizePercentage, 150);
    menu.UpdateStates();
    EXPECT_EQ(Shape(menu.Model()), "&File(&New &Recent Files~ - Size(Deeper*)) &Port(COM1 COM2*)");
}

// A menu with an item whose children the program makes when it opens, and the popup
// menus it can take them from.
class DynamicMenuTest : public MenuFixture {
protected:
    DynamicMenuTest()
        : MenuFixture({
              "#GI_Menu_Main_BasicCell",
              "{}",
              "#GI_Menu_Main_Body",
              "+&Edit\t{(%CL_Menu_Edit_Top)}",
              "++No item\t{(%CL_PMenu_NoItem)}",
              "+&Port",
              "++COM1\t{(%CL_Menu_Port_Com[1])}",
              "#",
              "#GI_PMenu_NoItem_BasicCell",
              "{}",
              "#GI_PMenu_NoItem_Body",
              "+Nothing here\t{(%CT_PopupMenu.CL_PMenu_NoItem)}",
              "#",
              "#GI_PMenu_Two_BasicCell",
              "{}",
              "#GI_PMenu_Two_Body",
              "+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}",
              "+-",
              "+Copy\t{(%CT_PopupMenu.CL_PMenu_Edit)}",
              "#",
              "#GI_PMenu_Nested_BasicCell",
              "{}",
              "#GI_PMenu_Nested_Body",
              "+Main\t{(%CT_PopupMenu.CL_PMenu_Edit)}",
              "  +Sub\t{(%CT_PopupMenu.CL_PMenu_Edit)}",
              "    +Deeper\t{(%CT_PopupMenu.CL_PMenu_Edit)}",
              "+Back\t{(%CT_PopupMenu.CL_PMenu_Edit)}",
              "#",
              "#GI_PMenu_Empty_BasicCell",
              "{}",
              "#GI_PMenu_Empty_Body",
              "#",
          }) {}
    cuiMenu menu{controller, "GI_Menu_Main"};
    FakeView view;
    PopupSheet sheet{events};
};

TEST_F(DynamicMenuTest, AnOpeningDynamicItemRebuildsOnlyItselfAndOnlyWhenItsShapeChanges) {
    menu.Show(view);
    auto open = [&](const char* popup) {
        sheet.popup = popup;
        view.menuCalls.clear();
        menu.ShowSubmenu(view, {0});
        return Shape(view.menu);
    };
    // Table: the popup menu of the current cell, the menu shown, the call the window gets.
    const struct {
        const char* popup;
        const char* shown;
        const char* call;
    } cases[] = {
        {"", "&Edit(Nothing here~) &Port(COM1*)", "update 0."},  // no sheet answers: same shape
        {"GI_PMenu_Two", "&Edit(Edit... - Copy) &Port(COM1*)", "show 0."},
        {"GI_PMenu_Two", "&Edit(Edit... - Copy) &Port(COM1*)", "update 0."},
        {"GI_PMenu_Empty", "&Edit(Nothing here~) &Port(COM1*)", "show 0."},  // never an empty submenu
        // Indentation before the '+' nests; a shallower line closes the submenu.
        {"GI_PMenu_Nested", "&Edit(Main(Sub(Deeper)) Back) &Port(COM1*)", "show 0."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popup);
        EXPECT_EQ(open(c.popup), c.shown);
        EXPECT_EQ(view.menuCalls, (std::vector<std::string>{c.call}));
    }
    // What the window rebuilt on opening counts as built: a later showing changes states only.
    open("GI_PMenu_Two");
    view.menuCalls.clear();
    menu.Show(view);
    EXPECT_EQ(view.menuCalls, (std::vector<std::string>{"update "}));
    EXPECT_EQ(menu.ItemAt({0, 0})->cell.key.id, CellIdOf("CL_PMenu_Edit"));
}

TEST_F(DynamicMenuTest, OpeningBeforeTheMenuWasShownOrAtAPathThatIsGoneTellsTheWindowNothing) {
    menu.ShowSubmenu(view, {0});
    menu.Show(view);
    view.menuCalls.clear();
    menu.ShowSubmenu(view, {7});
    menu.ShowSubmenu(view, {1, 0, 3});
    EXPECT_TRUE(view.menuCalls.empty());
}

}  // namespace
