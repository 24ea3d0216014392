// The real program on the offscreen platform, clicked the way a person would: commands
// change the states of the menu and toolbar the window has, and nothing is rebuilt.

#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"
#include "ui/Startup.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include <gtest/gtest.h>

#include "QtTestApp.h"

namespace {

// The menu command of that caption (the toolbar's buttons have other captions).
QAction* MenuCommand(TForm1& form, const QString& caption) {
    for (QAction* a : form.findChildren<QAction*>())
        if (a->text() == caption && !a->menu()) return a;
    return nullptr;
}

QAction* ToolButton(QToolBar* bar, const QString& tip) {
    for (QAction* a : bar->actions())
        if (a->toolTip() == tip) return a;
    return nullptr;
}

TEST(MainWindowRefreshTest, AHundredCommandsLeaveTheSameMenusAndTheToolbarWhereTheUserPutIt) {
    EnsureQtTestApp();
    platform::SettingsTree store;
    platform::MemoryInstanceLock lock;
    StartupHooks hooks;
    hooks.settings = &store;
    hooks.lock = &lock;
    bool ran = false;
    hooks.onShown = [&](TForm1& form) {
        ran = true;
        auto menus = [&] { return form.findChildren<QMenu*>().size(); };
        const auto atStart = menus();
        QAction* com1 = MenuCommand(form, "COM&1");
        QAction* com2 = MenuCommand(form, "COM&2");
        QAction* size125 = MenuCommand(form, "125 %");
        QAction* size100 = MenuCommand(form, "100 %");
        QAction* toolbarItem = MenuCommand(form, "&Toolbar");
        if (!com1 || !com2 || !size125 || !size100 || !toolbarItem) {
            ADD_FAILURE() << "a menu command is missing";
            form.close();
            return;
        }
        com2->trigger();
        const auto afterOne = menus();
        QAction* sequence[] = {com1, size125, com2, size100};
        for (int i = 1; i < 100; ++i) sequence[i % 4]->trigger();
        EXPECT_EQ(menus(), afterOne);
        EXPECT_EQ(afterOne, atStart);
        EXPECT_EQ(MenuCommand(form, "COM&2"), com2) << "the same action, not a new one";
        EXPECT_TRUE(com2->isChecked() && size100->isChecked()) << "the last clicks chose COM2 and 100 %";
        EXPECT_FALSE(com1->isChecked() || size125->isChecked());

        QToolBar* bar = form.toolbars().size() == 1 ? form.toolbars().front() : nullptr;
        QAction* com3 = bar ? ToolButton(bar, "COM3") : nullptr;
        if (!com3) {
            ADD_FAILURE() << "one toolbar row with a COM3 button expected";
            form.close();
            return;
        }
        form.addToolBar(Qt::BottomToolBarArea, bar);  // the user docks it at the bottom
        com3->trigger();
        EXPECT_TRUE(com3->isChecked());
        EXPECT_TRUE(MenuCommand(form, "COM&3")->isChecked());
        toolbarItem->trigger();
        EXPECT_TRUE(bar->isHidden());
        EXPECT_FALSE(toolbarItem->isChecked());
        toolbarItem->trigger();
        EXPECT_FALSE(bar->isHidden());
        EXPECT_TRUE(toolbarItem->isChecked());
        EXPECT_EQ(form.toolbars().front(), bar);
        EXPECT_EQ(ToolButton(bar, "COM3"), com3);
        EXPECT_EQ(form.toolBarArea(bar), Qt::BottomToolBarArea);
        EXPECT_EQ(menus(), atStart);
        form.close();
    };
    EXPECT_EQ(RunTrelvix(*qApp, hooks), 0);
    EXPECT_TRUE(ran);
}

}  // namespace
