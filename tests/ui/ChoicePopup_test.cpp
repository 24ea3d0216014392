// A selection list in its popup window on the offscreen platform: it opens at the cell,
// a pick (key or mouse) closes it and reaches the cell, Escape or a click elsewhere closes
// it with no change. The rules are the sheet's (tests/sheets); here the window passes them on.

#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"
#include "ui/cuiGrid.h"
#include "values/KeyCodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <list>
#include <memory>

#include "QtTestApp.h"

namespace {

using testsupport::OverlayFragment;
using testsupport::RecordingSite;
using testsupport::ScriptedCallback;

constexpr CellId kFlex0 = CellIdOf("Flex0");

void Key(QWidget* to, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

void Mouse(QWidget* viewport, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &e);
}

// Widgets need the application before they are made.
struct WithQtApp {
    WithQtApp() { EnsureQtTestApp(); }
};

struct ChoicePopupTest : ::testing::Test, WithQtApp {
    ChoicePopupTest()
        : overlay({"#GI_Sheet_T_Style", "", "#GI_Sheet_T_BasicCell", "{H}", "#GI_Sheet_T_Cells",
                   "{W}Mode|{WS(%CT_Mch.CL_Mch_FreqR[0])}Wide", "{W}Power|{WS(%CT_Mch.CL_Mch_FreqR[1])}High", "#",
                   "#GI_Sheet_Sel_T_Style", "", "#GI_Sheet_Sel_T_BasicCell", "{H}", "#GI_Sheet_Sel_T_Cells",
                   "{<WS(%CT_Null.Flex0[0])}Off", "{<WS(%CT_Null.Flex0[1])}On", "{<WS(%CT_Null.Flex0[2])}Auto", "#",
                   "#End_Of_Ovl"}) {
        site.makeList = [this](const std::string& name, CellId kind, std::int32_t value) {
            auto list = std::make_unique<cuiSheet>(site, overlay.store(), name, kind, value);
            list->SetValueCallback(listValues.Callback());
            return list;
        };
        values.answer = [](cmcCellCapsule& r) {
            if (r.mode == CellMode::Action && (r.key == cellkey::kEnter || r.key == cellkey::kDoubleClick))
                return r.sheet->OpenChoiceList("GI_Sheet_Sel_T", kFlex0, 1) ? CellResult::PopupOpened : CellResult::None;
            return CellResult::None;
        };
        sheet = std::make_unique<cuiSheet>(site, overlay.store(), "GI_Sheet_T");
        sheet->SetMetrics(&grid.metrics());
        sheet->SetValueCallback(values.Callback());
        sheet->Show();
        grid.resize(300, 200);
        grid.setSheet(sheet.get());
        grid.show();
        grid.setFocus();
        sheet->SelectAt(1, 1);
    }
    ~ChoicePopupTest() override { grid.setSheet(nullptr); }

    // Opens the list at the current cell with Enter; its grid.
    cuiGrid* Open() {
        Key(&grid, Qt::Key_Return);
        QApplication::processEvents();  // the scroll bars show or hide on a queued call
        return grid.choiceGrid();
    }

    RecordingSite site;
    ScriptedCallback values, listValues;
    OverlayFragment overlay;
    cuiGrid grid;
    std::unique_ptr<cuiSheet> sheet;
};

TEST_F(ChoicePopupTest, OpensAtTheCellAndAPickClosesItAndReachesTheCell) {
    cuiGrid* list = Open();
    ASSERT_TRUE(list);
    QWidget* popup = grid.choicePopup();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->windowFlags() & Qt::Popup);
    const auto cell = sheet->CellRect(1, 1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(popup->geometry().topLeft(), grid.viewport()->mapToGlobal(QPoint(cell->left, cell->bottom)))
        << "just below the cell";
    EXPECT_GE(popup->width(), cell->right - cell->left);
    ASSERT_EQ(list->sheet(), sheet->ChoiceList());
    EXPECT_EQ(list->sheet()->Current(), (SheetPos{0, 1})) << "the current value's item";
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible() || list->verticalScrollBar()->isVisible())
        << "the whole list shows (so its moves wrap around)";

    Key(list, Qt::Key_Down);
    Key(list, Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    const auto picks = values.Of(CellMode::Pick);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].index, 1) << "the cell that opened the list";
    EXPECT_EQ(picks[0].picked->id, kFlex0);
    EXPECT_EQ(picks[0].picked->index, 2);
    EXPECT_FALSE(sheet->ChoiceList());
}

TEST_F(ChoicePopupTest, TheMousePicksWhereItIsReleased) {
    cuiGrid* list = Open();
    ASSERT_TRUE(list);
    const auto item = list->sheet()->CellRect(0, 0);
    ASSERT_TRUE(item);
    const QPoint at(item->left + 2, item->top + 2);
    Mouse(list->viewport(), QEvent::MouseMove, at, Qt::NoButton);
    EXPECT_EQ(list->sheet()->Current(), (SheetPos{0, 0})) << "hover selection";
    Mouse(list->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(list->viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_FALSE(grid.choicePopup()->isVisible());
    const auto picks = values.Of(CellMode::Pick);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].picked->index, 0);
}

TEST_F(ChoicePopupTest, EscapeOrAClickElsewhereClosesItWithoutChange) {
    cuiGrid* list = Open();
    ASSERT_TRUE(list);
    Key(list, Qt::Key_Escape);
    EXPECT_FALSE(grid.choicePopup()->isVisible());
    EXPECT_FALSE(sheet->ChoiceList());

    list = Open();
    ASSERT_TRUE(list && grid.choicePopup()->isVisible());
    grid.choicePopup()->hide();  // what the toolkit does with a popup on a click elsewhere
    EXPECT_FALSE(sheet->ChoiceList()) << "the sheet hears that its list closed";
    EXPECT_TRUE(values.Of(CellMode::Pick).empty());

    ASSERT_TRUE(Open()) << "and it opens again";
    EXPECT_TRUE(grid.choicePopup()->isVisible());
}

}  // namespace
