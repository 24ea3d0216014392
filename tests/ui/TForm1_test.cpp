#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

#include "QtTestApp.h"

namespace {

// Records what the window reports.
struct FakeEvents : MainEvents {
    std::vector<std::string> log;
    bool allowClose = true;
    static std::string Path(const ItemPath& p) {
        std::string s;
        for (int i : p) s += std::to_string(i) + ".";
        return s;
    }
    void OnShow() override { log.push_back("show"); }
    // What the controller does in answer, when a test needs it to do something.
    std::function<void(const ItemPath&)> onMenu, onAboutToShow;
    std::function<void(int)> onTool;
    void OnMenuClick(const ItemPath& p) override {
        log.push_back("menu " + Path(p));
        if (onMenu) onMenu(p);
    }
    void OnMenuAboutToShow(const ItemPath& p) override {
        log.push_back("about " + Path(p));
        if (onAboutToShow) onAboutToShow(p);
    }
    void OnToolClick(int b) override {
        log.push_back("tool " + std::to_string(b));
        if (onTool) onTool(b);
    }
    void OnTreeSelect(const ItemPath& p) override { log.push_back("select " + Path(p)); }
    void OnTreeExpand(const ItemPath& p, bool e) override { log.push_back((e ? "expand " : "collapse ") + Path(p)); }
    bool OnCloseQuery() override {
        log.push_back("closequery");
        return allowClose;
    }
    void OnClose() override { log.push_back("close"); }
    void OnActivate(bool) override {}
};

MenuItemModel Item(const char* caption, std::vector<MenuItemModel> children = {}) {
    MenuItemModel m;
    m.caption = caption;
    m.children = std::move(children);
    return m;
}

ToolButtonModel Button(ToolButtonModel::Kind kind, const char* tip = "", int image = -1) {
    ToolButtonModel b;
    b.kind = kind;
    b.tooltip = tip;
    b.imageIndex = image;
    return b;
}

TreeNodeModel Node(const char* text, int image, std::vector<TreeNodeModel> children = {}) {
    TreeNodeModel n;
    n.text = text;
    n.imageIndex = image;
    n.children = std::move(children);
    n.expanded = !n.children.empty();
    return n;
}

MenuItemModel Checked(MenuItemModel m, bool checked) {
    m.checked = checked;
    return m;
}

// Deletes what was handed to deleteLater, as the event loop would.
void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class TForm1Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtTestApp(); }
    // File(New, -, Port(COM1, COM2)), Help; one of the two ports checked.
    static std::vector<MenuItemModel> PortMenu(int checkedPort, const char* newCaption = "&New") {
        return {Item("&File", {Item(newCaption), Item("-"),
                               Item("Port", {Checked(Item("COM1"), checkedPort == 1),
                                             Checked(Item("COM2"), checkedPort == 2)})}),
                Item("&Help", {Item("&About")})};
    }
    static int MenuCount(const TForm1& form) { return static_cast<int>(form.findChildren<QMenu*>().size()); }
    FakeEvents events;
};

TEST_F(TForm1Test, MenuItemsReportTheirPathAndShowTheirState) {
    TForm1 form(events);
    MenuItemModel newItem = Item("&New");
    newItem.shortcut = "Ctrl+N";
    MenuItemModel com1Item = Item("COM1");
    com1Item.checked = true;
    MenuItemModel help = Item("&Help");
    help.hidden = true;
    form.showMenu({}, {Item("&File", {newItem, Item("-"), Item("Port", {com1Item})}), help});
    QList<QAction*> top = form.menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_FALSE(top[1]->isVisible()) << "hidden item";
    QList<QAction*> fileItems = top[0]->menu()->actions();
    ASSERT_EQ(fileItems.size(), 3);
    EXPECT_TRUE(fileItems[1]->isSeparator());
    EXPECT_EQ(fileItems[0]->shortcut(), QKeySequence("Ctrl+N"));
    fileItems[0]->trigger();
    QAction* com1 = fileItems[2]->menu()->actions().at(0);
    EXPECT_TRUE(com1->isChecked());
    com1->trigger();
    EXPECT_EQ(events.log, (std::vector<std::string>{"menu 0.0.", "menu 0.2.0."}));
}

TEST_F(TForm1Test, StateChangesReachTheActionsThatExistAndLeaveNoMenuBehind) {
    TForm1 form(events);
    form.showMenu({}, PortMenu(1));
    const int menus = MenuCount(form);
    ASSERT_EQ(menus, 3);
    QMenu* file = form.menuBar()->actions().at(0)->menu();
    QAction* newItem = file->actions().at(0);
    QAction* com2 = file->actions().at(2)->menu()->actions().at(1);
    for (int i = 0; i < 100; ++i) form.updateMenu({}, PortMenu(i % 2 + 1, "&New image"));
    EXPECT_EQ(MenuCount(form), menus);
    EXPECT_EQ(form.menuBar()->actions().at(0)->menu(), file);
    EXPECT_EQ(file->actions().at(0), newItem);
    EXPECT_EQ(newItem->text(), "&New image");
    EXPECT_TRUE(com2->isChecked()) << "the last state reached the existing action";

    // A new structure builds the menu anew, and the old menus go.
    for (int i = 0; i < 100; ++i) {
        form.showMenu({}, PortMenu(1));
        RunDeferredDeletes();
    }
    EXPECT_EQ(MenuCount(form), menus);
    // States whose shape is not the built one are not forced onto the wrong items.
    form.updateMenu({}, {Item("&File", {Item("&Open")})});
    ASSERT_EQ(form.menuBar()->actions().size(), 1);
    EXPECT_EQ(form.menuBar()->actions().at(0)->menu()->actions().at(0)->text(), "&Open");
}

TEST_F(TForm1Test, ASubmenuAboutToOpenAsksTheControllerWhichMayGiveItNewChildren) {
    TForm1 form(events);
    form.showMenu({}, {Item("&Edit", {Item("No item")}), Item("&View", {Item("&Toolbar")})});
    QMenu* edit = form.menuBar()->actions().at(0)->menu();
    QPointer<QAction> noItem = edit->actions().at(0);
    events.onAboutToShow = [&](const ItemPath& path) {
        form.showMenu(path, {Item("Cut"), Item("-"), Item("Paste")});
    };
    emit edit->aboutToShow();
    EXPECT_EQ(form.menuBar()->actions().at(0)->menu(), edit) << "the opening menu itself stays";
    ASSERT_EQ(edit->actions().size(), 3);
    EXPECT_TRUE(edit->actions().at(1)->isSeparator());
    edit->actions().at(2)->trigger();
    EXPECT_EQ(events.log, (std::vector<std::string>{"about 0.", "menu 0.2."}));
    RunDeferredDeletes();
    EXPECT_TRUE(noItem.isNull()) << "the replaced child is deleted";
}

TEST_F(TForm1Test, ACommandMayRebuildTheMenuOrToolbarOfItsOwnAction) {
    TForm1 form(events);
    using K = ToolButtonModel::Kind;
    form.showMenu({}, PortMenu(1));
    form.showToolbar({Button(K::Button, "New", 0)}, true);
    QPointer<QAction> tool = form.toolbars().at(0)->actions().at(0);
    QPointer<QAction> com1 = form.menuBar()->actions().at(0)->menu()->actions().at(2)->menu()->actions().at(0);
    events.onTool = [&](int) { form.showToolbar({Button(K::Button, "Open", 1), Button(K::Button, "Save", 2)}, true); };
    events.onMenu = [&](const ItemPath&) { form.showMenu({}, {Item("&Help", {Item("&About")})}); };
    tool->trigger();
    com1->trigger();
    EXPECT_FALSE(tool.isNull() || com1.isNull()) << "the clicked actions outlive their handlers";
    RunDeferredDeletes();
    EXPECT_TRUE(tool.isNull() && com1.isNull());
    EXPECT_EQ(form.toolbars().at(0)->actions().at(1)->toolTip(), "Save");
    EXPECT_EQ(form.menuBar()->actions().at(0)->text(), "&Help");
}

TEST_F(TForm1Test, TheToolbarStaysWhereTheUserDockedItAcrossStatesAndHiding) {
    TForm1 form(events);
    using K = ToolButtonModel::Kind;
    ToolButtonModel com1 = Button(K::Button, "COM1", 3);
    const std::vector<ToolButtonModel> before{Button(K::Button, "New", 0), com1};
    com1.toggle = com1.pressed = true;
    const std::vector<ToolButtonModel> after{Button(K::Button, "New", 0), com1};
    form.showToolbar(before, true);
    QToolBar* bar = form.toolbars().at(0);
    QAction* com1Action = bar->actions().at(1);
    form.addToolBar(Qt::LeftToolBarArea, bar);  // the user drags it to the left edge
    form.updateToolbar(after, false);
    EXPECT_TRUE(bar->isHidden());
    form.updateToolbar(after, true);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(form.toolbars().at(0), bar);
    EXPECT_EQ(form.toolBarArea(bar), Qt::LeftToolBarArea);
    EXPECT_EQ(bar->actions().at(1), com1Action);
    EXPECT_TRUE(com1Action->isChecked());
}

TEST_F(TForm1Test, ToolbarKeepsLineOrderAndWrapsOnSlash) {
    TForm1 form(events);
    using K = ToolButtonModel::Kind;
    ToolButtonModel read = Button(K::Button, "Read", 7);
    read.toggle = read.pressed = true;
    form.showToolbar({Button(K::Button, "New", 0), Button(K::Separator), Button(K::Button, "Open", 1),
                      Button(K::WrapSeparator), read},
                     true);
    QList<QToolBar*> bars = form.findChildren<QToolBar*>();
    ASSERT_EQ(bars.size(), 2);
    QList<QAction*> first = bars[0]->actions();
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0]->toolTip(), "New");
    EXPECT_EQ(first[2]->toolTip(), "Open");
    QAction* readAction = bars[1]->actions().at(0);
    EXPECT_TRUE(readAction->isChecked()) << "a checked cell shows a pressed toggle";
    readAction->trigger();
    EXPECT_EQ(events.log.back(), "tool 4");
}

TEST_F(TForm1Test, TreeReportsSelectionAndExpansionButNotWhileFilling) {
    TForm1 form(events);
    TreeNodeModel root = Node("Radio", 0, {Node("Settings", 2), Node("Banks", 1, {Node("Bank 1", 4)})});
    form.showTree(&root);
    EXPECT_TRUE(events.log.empty()) << "filling reports nothing";
    form.selectTreeNode({0, 1, 0});
    EXPECT_EQ(events.log.back(), "select 0.1.0.");
    form.tree()->topLevelItem(0)->child(1)->setExpanded(false);
    EXPECT_EQ(events.log.back(), "collapse 0.1.");
    TreeNodeModel marked = Node("Settings *", 2);
    marked.error = true;
    form.updateTreeNode({0, 0}, marked);
    EXPECT_EQ(form.tree()->topLevelItem(0)->child(0)->text(0), "Settings *");
}

TEST_F(TForm1Test, ImageListsHoldEveryIconInIndexOrder) {
    EXPECT_EQ(TForm1::TreeImages().size(), 12u);
    EXPECT_EQ(TForm1::ToolbarImages().size(), 13u);
    for (const QIcon& icon : TForm1::TreeImages()) EXPECT_FALSE(icon.pixmap(16, 16).isNull());
    for (const QIcon& icon : TForm1::ToolbarImages()) EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

TEST_F(TForm1Test, ClosingWhileMaximisedStoresTheRestoredBounds) {
    TForm1 form(events);
    form.setGeometry(100, 120, 640, 480);
    form.show();
    form.showMaximized();
    QApplication::processEvents();
    const std::optional<WinRect> bounds = form.restoredBounds();
    ASSERT_TRUE(bounds.has_value());
    EXPECT_EQ(bounds->width, 640);
    EXPECT_EQ(bounds->height, 480);
}

TEST_F(TForm1Test, CloseAsksTheController) {
    TForm1 form(events);
    form.show();
    events.allowClose = false;
    form.close();
    EXPECT_TRUE(form.isVisible());
    events.allowClose = true;
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(events.log, (std::vector<std::string>{"show", "closequery", "closequery", "close"}));
}

}  // namespace
