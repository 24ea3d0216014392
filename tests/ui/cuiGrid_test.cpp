// The sheet grid on the offscreen platform: keys, the in-place editor, selection, paging,
// popup menus and the sheet memory, driven with the events a person's keyboard and mouse
// send. The sheet's rules are tested in tests/sheets; here the widget must pass them on.

#include "app/ControllerWorld.h"
#include "app/indMain.h"
#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"
#include "ui/TForm1.h"
#include "ui/cuiGrid.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

#include "QtTestApp.h"

namespace {

using testsupport::OverlayFragment;
using testsupport::RecordingSite;
using testsupport::ScriptedCallback;

void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(to, &press);
}

void Click(QWidget* viewport, QPoint at, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

// Widgets need the application before they are made.
struct WithQtApp {
    WithQtApp() { EnsureQtTestApp(); }
};

// A grid over a sheet of `rows` channels in "Line" multiple selection.
struct GridFixture : ::testing::Test, WithQtApp {
    explicit GridFixture(int rows = 40)
        : overlay({"#GI_Sheet_G_Style", "(FixedRows=1)(MultiSelect=Line)", "#GI_Sheet_G_BasicCell", "{H}",
                   "#GI_Sheet_G_Cells", "{W}Frequency|{W}Name", ":(LoopFrom " + std::to_string(rows) + ")",
                   "{S(%CT_Mch.CL_Mch_FreqR[0])}|{S(%CT_Mch.CL_Mch_Text[0])}", ":(LoopTo)", "#End_Of_Ovl"}) {
        EnsureQtTestApp();
        sheet = std::make_unique<cuiSheet>(site, overlay.store(), "GI_Sheet_G");
        sheet->SetMetrics(&grid.metrics());
        sheet->SetValueCallback(values.Callback());
        sheet->Show();
        grid.resize(400, 300);
        grid.setSheet(sheet.get());
        grid.show();
        grid.setFocus();
    }
    RecordingSite site;
    ScriptedCallback values;
    OverlayFragment overlay;
    cuiGrid grid;
    std::unique_ptr<cuiSheet> sheet;
};

TEST_F(GridFixture, TypingOpensTheEditorOnlyWhenTheCallbackAnswersTwo) {
    Key(&grid, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(grid.editor()->isVisible()) << "the callback did not ask for the editor";

    values.answer = [](cmcCellCapsule& r) {
        if (r.mode != CellMode::Action) return CellResult::None;
        r.editText = "146.52";
        r.editStart = 0;
        r.editLength = 6;
        return CellResult::StartEdit;
    };
    Key(&grid, Qt::Key_1, Qt::NoModifier, "1");
    ASSERT_TRUE(grid.editor()->isVisible());
    EXPECT_EQ(grid.editor()->text(), "146.52");
    EXPECT_EQ(grid.editor()->selectedText(), "146.52");
    const QRect cell(grid.editor()->geometry());
    EXPECT_EQ(cell.width(), sheet->ColWidth(0)) << "as wide as its cell";

    Key(grid.editor(), Qt::Key_Escape);
    EXPECT_FALSE(grid.editor()->isVisible());
    EXPECT_TRUE(values.Of(CellMode::SetText).empty()) << "Escape keeps the value";

    Key(&grid, Qt::Key_1, Qt::NoModifier, "1");
    Key(grid.editor(), Qt::Key_4, Qt::NoModifier, "4");  // replaces the selected text
    Key(grid.editor(), Qt::Key_Return);
    EXPECT_FALSE(grid.editor()->isVisible());
    ASSERT_EQ(values.Of(CellMode::SetText).size(), 1u);
    EXPECT_EQ(values.Of(CellMode::SetText)[0].text, "4") << "Enter commits through set-text";
}

TEST_F(GridFixture, ShiftDownSelectsARangeOfLines) {
    Key(&grid, Qt::Key_Down, Qt::ShiftModifier);
    Key(&grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 3}));
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(sheet->EntryAt(1, r).rowSelected) << r;
    EXPECT_FALSE(sheet->EntryAt(1, 4).rowSelected);
}

TEST_F(GridFixture, PageDownMovesTenRowsAndTheScrollBarFollows) {
    Key(&grid, Qt::Key_PageDown);
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 11}));
    Key(&grid, Qt::Key_PageDown);
    Key(&grid, Qt::Key_PageDown);
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 31}));
    EXPECT_EQ(grid.verticalScrollBar()->value(), sheet->TopRow());
    EXPECT_GT(sheet->TopRow(), 1);
    grid.verticalScrollBar()->setValue(1);
    EXPECT_EQ(sheet->TopRow(), 1) << "dragging the thumb scrolls at once";
}

TEST_F(GridFixture, AClickMakesACellCurrentAndADoubleClickActs) {
    const auto rect = sheet->CellRect(1, 2);
    ASSERT_TRUE(rect);
    const QPoint at(rect->left + 2, rect->top + 2);
    Click(grid.viewport(), at, Qt::LeftButton);
    EXPECT_EQ(sheet->Current(), (SheetPos{1, 2}));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &dbl);
    ASSERT_EQ(values.Of(CellMode::Action).size(), 1u);
    EXPECT_EQ(values.Of(CellMode::Action)[0].key, 256);
}

struct BigGridFixture : GridFixture {
    BigGridFixture() : GridFixture(520) {}
};

TEST_F(BigGridFixture, OnlyVisibleCellsAreAskedForTheirText) {
    values.calls.clear();
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    grid.paintTo(image);
    const std::size_t draws = values.Of(CellMode::Draw).size();
    EXPECT_GT(draws, 0u);
    EXPECT_LE(draws, 2u * static_cast<std::size_t>(sheet->LastVisibleRow() - sheet->TopRow() + 1));
    for (const auto& call : values.Of(CellMode::Draw)) EXPECT_LE(call.index, sheet->LastVisibleRow());
}

// The real controller and window.
struct ProgramFixture : ::testing::Test, WithQtApp, ControllerWorld {
    ProgramFixture() {
        EnsureQtTestApp();
        form.resize(1024, 700);
        controller.BuildMainWindow(form);
        form.show();
    }
    QMenu* EditMenu() {
        for (QAction* a : form.menuBar()->actions())
            if (a->text() == "&Edit") return a->menu();
        return nullptr;
    }
    indMain controller{settings, events};
    TForm1 form{controller};
};

TEST_F(ProgramFixture, ARightClickOpensThePopupAndTheEditMenuShowsTheSameItems) {
    controller.OpenSheetRef("[St_ChBank]GI_Sheet_Mch_LMR_Mob,Bank 0");
    cuiGrid* grid = form.grid();
    ASSERT_NE(grid->sheet(), nullptr);
    EXPECT_EQ(grid->sheet()->ArrayRows(), 522);
    EXPECT_TRUE(form.sheetTitle()->isVisible());
    QStringList popup;
    grid->setPopupRunner([&](QMenu& menu, const QPoint&) {
        for (QAction* a : menu.actions()) popup << a->text();
        return nullptr;
    });
    const auto rect = grid->sheet()->CellRect(2, 1);
    ASSERT_TRUE(rect);
    Click(grid->viewport(), QPoint(rect->left + 3, rect->top + 3), Qt::RightButton);
    EXPECT_EQ(grid->sheet()->Current(), (SheetPos{2, 1}));
    EXPECT_EQ(popup, QStringList{"Edit..."});

    QMenu* edit = EditMenu();
    ASSERT_NE(edit, nullptr);
    QMetaObject::invokeMethod(edit, "aboutToShow", Qt::DirectConnection);
    QStringList mirrored;
    for (QAction* a : edit->actions())
        if (!a->isSeparator()) mirrored << a->text();
    EXPECT_TRUE(mirrored.contains("Edit...")) << mirrored.join(",").toStdString();
}

TEST_F(ProgramFixture, EditFromThePopupOrTheEditMenuOpensTheCellsEditor) {
    controller.OpenSheetRef("GI_Sheet_Common");
    cuiGrid* grid = form.grid();
    ASSERT_NE(grid->sheet(), nullptr);
    const auto rect = grid->sheet()->CellRect(1, 1);  // the user password
    ASSERT_TRUE(rect);
    grid->setPopupRunner([](QMenu& menu, const QPoint&) { return menu.actions().value(0); });
    Click(grid->viewport(), QPoint(rect->left + 3, rect->top + 3), Qt::RightButton);
    EXPECT_TRUE(grid->sheet()->EditorOpen()) << "the popup's Edit...";
    grid->sheet()->CancelEditor();

    QMenu* edit = EditMenu();
    ASSERT_NE(edit, nullptr);
    QMetaObject::invokeMethod(edit, "aboutToShow", Qt::DirectConnection);
    QAction* item = nullptr;
    for (QAction* a : edit->actions())
        if (a->text() == "Edit...") item = a;
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_TRUE(grid->sheet()->EditorOpen()) << "the Edit menu's Edit...";
}

TEST_F(ProgramFixture, TheScrollPositionAndCurrentCellSurviveClosingAndReopeningTheNode) {
    controller.OpenSheetRef("GI_Sheet_BankOp");
    cuiGrid* grid = form.grid();
    ASSERT_NE(grid->sheet(), nullptr);
    grid->setFocus();
    for (int i = 0; i < 4; ++i) Key(grid, Qt::Key_PageDown);
    const SheetPosition left = grid->sheet()->Position();
    const int scroll = grid->verticalScrollBar()->value();
    ASSERT_EQ(left.row, 41);
    ASSERT_GT(scroll, 1);

    controller.OpenSheetRef("GI_Sheet_Dtmf");
    EXPECT_NE(grid->sheet()->Name(), "GI_Sheet_BankOp");
    controller.OpenSheetRef("GI_Sheet_BankOp");
    ASSERT_NE(grid->sheet(), nullptr);
    EXPECT_EQ(grid->sheet()->Position().row, left.row);
    EXPECT_EQ(grid->sheet()->Position().topRow, left.topRow);
    EXPECT_EQ(grid->verticalScrollBar()->value(), scroll);
}

}  // namespace
