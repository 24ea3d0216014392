// Selection lists a cell opens as a popup: the sheet asks its site for the list and its
// view to show it at the cell; the list's pick comes back to the original cell as one Pick
// request, after the list is gone; Escape and a dismissal change nothing.

#include "platform/doubles/VirtualScheduler.h"
#include "sheets/cuiSheet.h"
#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"
#include "values/KeyCodes.h"

#include <gtest/gtest.h>

#include <tuple>

#include <list>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::OverlayFragment;
using testsupport::RecordingSite;
using testsupport::RecordingView;
using testsupport::ScriptedCallback;
namespace vk = cellkey::vk;

constexpr CellId kFlex0 = CellIdOf("Flex0");
constexpr CellId kKeyOpt = CellIdOf("FlexKeyOpt");

// A sheet of two choice cells, and two lists: three items of Flex0, two of FlexKeyOpt.
const std::vector<std::string> kOverlay{
    "#GI_Sheet_T_Style", "", "#GI_Sheet_T_BasicCell", "{H}", "#GI_Sheet_T_Cells",
    "{W}Mode|{S(%CT_Mch.CL_Mch_FreqR[0])}", "{W}Key|{S(%CT_Mch.CL_Mch_FreqR[1])}", "#",
    "#GI_Sheet_Sel_T_Style", "", "#GI_Sheet_Sel_T_BasicCell", "{H}", "#GI_Sheet_Sel_T_Cells",
    "{<WS(%CT_Null.Flex0[0])}Off", "{<WS(%CT_Null.Flex0[1])}On", "{<WS(%CT_Null.Flex0[2])}Auto", "#",
    "#GI_Sheet_Sel_Opt_Style", "", "#GI_Sheet_Sel_Opt_BasicCell", "{H}", "#GI_Sheet_Sel_Opt_Cells",
    "{<WS(%CT_Null.FlexKeyOpt[0])}/L", "{<WS(%CT_Null.FlexKeyOpt[1])}/H", "#", "#End_Of_Ovl"};

struct ChoiceListTest : ::testing::Test {
    ChoiceListTest() {
        site.makeList = [this](const std::string& name, CellId kind, std::int32_t value) {
            auto list = std::make_unique<cuiSheet>(site, overlay.store(), name, kind, value);
            list->SetValueCallback(listValues.Callback());
            list->AttachView(&listViews.emplace_back());
            return list;
        };
        sheet = std::make_unique<cuiSheet>(site, overlay.store(), "GI_Sheet_T");
        sheet->SetMetrics(&metrics);
        sheet->SetValueCallback(values.Callback());
        sheet->AttachView(&view);
        sheet->Show();
        // Enter (or a double click) on a choice cell opens its list with the value `value`,
        // as the choice editor does.
        values.answer = [this](cmcCellCapsule& r) {
            if (r.mode == CellMode::Action && (r.key == cellkey::kEnter || r.key == cellkey::kDoubleClick))
                return r.sheet->OpenChoiceList("GI_Sheet_Sel_T", kFlex0, value) ? CellResult::PopupOpened : CellResult::None;
            return CellResult::None;
        };
    }
    SheetKey Char(std::int32_t ch) { return {0, ch, false, false, false}; }
    SheetKey Key(std::int32_t code, bool shift = false) { return {code, 0, shift, false, false}; }

    platform::ScopedVirtualTime time;
    OverlayFragment overlay{kOverlay};
    RecordingSite site;
    FixedTextMetrics metrics;
    ScriptedCallback values, listValues;
    RecordingView view;
    std::list<RecordingView> listViews;
    std::unique_ptr<cuiSheet> sheet;
    std::int32_t value = 2;
};

TEST_F(ChoiceListTest, EnterOpensTheListAtTheCellWithTheValueCurrent) {
    sheet->SelectAt(1, 1);
    sheet->KeyDown(Char(cellkey::kEnter));
    EXPECT_EQ(site.lists, (std::vector<std::string>{"list GI_Sheet_Sel_T " + std::to_string(kFlex0) + " 2"}));
    cuiSheet* list = sheet->ChoiceList();
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->Framed());
    EXPECT_EQ(list->ChoiceOwner(), sheet.get());
    EXPECT_EQ(list->Current(), (SheetPos{0, 2})) << "the item numbered with the value is current";
    ASSERT_EQ(view.shownLists.size(), 1u);
    EXPECT_EQ(view.shownLists[0], (std::pair<cuiSheet*, SheetPos>{list, SheetPos{1, 1}})) << "anchored at the cell";
}

TEST_F(ChoiceListTest, APickReachesTheOriginalCellOnceWithThePickedItem) {
    sheet->SelectAt(1, 1);
    sheet->KeyDown(Char(cellkey::kEnter));
    cuiSheet* list = sheet->ChoiceList();
    ASSERT_TRUE(list);
    list->KeyDown(Key(vk::kDown));  // wraps from the last item to the first
    ASSERT_EQ(list->Current(), (SheetPos{0, 0}));
    list->KeyDown(Char(cellkey::kEnter));

    const auto picks = values.Of(CellMode::Pick);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].index, 1) << "the request names the cell that opened the list";
    ASSERT_TRUE(picks[0].picked);
    EXPECT_EQ(picks[0].picked->id, kFlex0);
    EXPECT_EQ(picks[0].picked->index, 0);
    EXPECT_TRUE(listValues.Of(CellMode::Pick).empty()) << "the list's own callback never sees the pick";
    EXPECT_FALSE(sheet->ChoiceList());
    EXPECT_EQ(listViews.front().closed, 1) << "the popup closed";
    EXPECT_EQ(sheet->Current(), (SheetPos{1, 1}));
}

TEST_F(ChoiceListTest, TheMouseSelectsByHoverAndPicksOnlyWithAPressInTheList) {
    sheet->SelectAt(1, 0);
    sheet->DoubleClick(1, 0);  // a double click counts as Enter for the cell
    cuiSheet* list = sheet->ChoiceList();
    ASSERT_TRUE(list);
    list->Hover(0, 1);
    EXPECT_EQ(list->Current(), (SheetPos{0, 1}));
    list->MouseUp(0, 1);
    EXPECT_TRUE(values.Of(CellMode::Pick).empty()) << "the release of the opening click picks nothing";
    list->MouseDown(0, 1, false);
    list->MouseUp(0, 1);
    const auto picks = values.Of(CellMode::Pick);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].index, 0);
    EXPECT_EQ(picks[0].picked->index, 1);
}

TEST_F(ChoiceListTest, EscapeAndADismissalCloseTheListWithoutAPick) {
    sheet->KeyDown(Char(cellkey::kEnter));
    ASSERT_TRUE(sheet->ChoiceList());
    sheet->ChoiceList()->KeyDown(Char(cellkey::kEscape));
    EXPECT_FALSE(sheet->ChoiceList());
    EXPECT_EQ(listViews.back().closed, 1);

    sheet->KeyDown(Char(cellkey::kEnter));
    ASSERT_TRUE(sheet->ChoiceList());
    sheet->DismissChoiceList();  // a click outside the popup
    EXPECT_FALSE(sheet->ChoiceList());

    EXPECT_TRUE(values.Of(CellMode::Pick).empty());
    EXPECT_TRUE(listValues.Of(CellMode::Action).empty()) << "Escape is no key of the list's items";
}

TEST_F(ChoiceListTest, APickMayOpenASecondListOnceTheFirstIsGone) {
    // A key's function, then at once its option (the second list), as key assignments do.
    bool firstGoneAtPick = false;
    values.answer = [&](cmcCellCapsule& r) {
        if (r.mode == CellMode::Action && r.key == cellkey::kEnter)
            return r.sheet->OpenChoiceList("GI_Sheet_Sel_T", kFlex0, 1) ? CellResult::PopupOpened : CellResult::None;
        if (r.mode == CellMode::Pick && r.picked->key.id == kFlex0) {
            firstGoneAtPick = !sheet->ChoiceList() && listViews.front().gone == 1;
            return r.sheet->OpenChoiceList("GI_Sheet_Sel_Opt", kKeyOpt, 1) ? CellResult::PopupOpened : CellResult::None;
        }
        return CellResult::None;
    };
    sheet->SelectAt(1, 1);
    sheet->KeyDown(Char(cellkey::kEnter));
    sheet->ChoiceList()->KeyDown(Char(cellkey::kEnter));
    EXPECT_TRUE(firstGoneAtPick) << "the first popup is gone before the cell hears of the pick";
    cuiSheet* second = sheet->ChoiceList();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Name(), "GI_Sheet_Sel_Opt");
    EXPECT_EQ(second->Current(), (SheetPos{0, 1}));
    ASSERT_EQ(view.shownLists.size(), 2u);
    EXPECT_EQ(view.shownLists[1].second, (SheetPos{1, 1}));

    second->KeyDown(Key(vk::kUp));
    second->KeyDown(Char(cellkey::kEnter));
    const auto picks = values.Of(CellMode::Pick);
    ASSERT_EQ(picks.size(), 2u);
    EXPECT_EQ(picks[1].index, 1);
    EXPECT_EQ(picks[1].picked->id, kKeyOpt);
    EXPECT_EQ(picks[1].picked->index, 0);
    EXPECT_FALSE(sheet->ChoiceList());
}

TEST_F(ChoiceListTest, NoListWhereNoneCanBeShown) {
    view.showsLists = false;
    sheet->KeyDown(Char(cellkey::kEnter));
    EXPECT_FALSE(sheet->ChoiceList()) << "the view cannot show it";
    site.makeList = nullptr;
    view.showsLists = true;
    sheet->KeyDown(Char(cellkey::kEnter));
    EXPECT_FALSE(sheet->ChoiceList()) << "the site builds none";
    EXPECT_TRUE(view.shownLists.empty());
}

TEST_F(ChoiceListTest, ClosingTheSheetClosesItsList) {
    sheet->KeyDown(Char(cellkey::kEnter));
    ASSERT_TRUE(sheet->ChoiceList());
    sheet->Halt();
    EXPECT_FALSE(sheet->ChoiceList());
    EXPECT_EQ(listViews.front().closed, 1);
    EXPECT_EQ(listViews.front().gone, 1);
}

TEST_F(ChoiceListTest, ActionsCarryTheShiftKey) {
    // Right on the last column acts on the cell; adjustment cells step by 5 with Shift.
    sheet->SelectAt(1, 0);
    sheet->KeyDown(Key(vk::kRight, true));
    sheet->KeyDown(Key(vk::kRight, false));
    sheet->KeyDown({0, ' ', true, false, false});
    const auto actions = values.Of(CellMode::Action);
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].key, 0x2700);
    EXPECT_TRUE(actions[0].shift);
    EXPECT_FALSE(actions[1].shift);
    EXPECT_TRUE(actions[2].shift);
}

TEST_F(ChoiceListTest, AnAutoRepeatKeepsTheShiftOfItsKey) {
    int repeats = 0;
    values.answer = [&](cmcCellCapsule& r) {
        if (r.mode == CellMode::Action && repeats++ < 1) r.repeatKey = r.key;
        return CellResult::None;
    };
    sheet->SelectAt(1, 0);
    sheet->KeyDown(Key(vk::kRight, true));
    time.clock.advance(cuiSheet::kRepeatFirstMs);
    const auto actions = values.Of(CellMode::Action);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_TRUE(actions[1].shift);
}

}  // namespace

namespace {

TEST(ChoiceListPlacement, BelowTheCellAboveWhenNoRoomAndAlwaysOnTheScreen) {
    const cuiSheet::Rect screen{0, 0, 1024, 768};
    struct Case {
        const char* name;
        cuiSheet::Rect cell;
        std::int32_t width, height;
        cuiSheet::Rect placed;
    };
    const Case cases[] = {
        {"room below", {100, 200, 180, 220}, 120, 300, {100, 220, 220, 520}},
        {"no room below: above", {100, 600, 180, 620}, 120, 300, {100, 300, 220, 600}},
        {"no room either way: from the top", {100, 300, 180, 320}, 120, 700, {100, 0, 220, 700}},
        {"taller than the screen: cut", {100, 10, 180, 30}, 120, 2000, {100, 0, 220, 768}},
        {"past the right edge: moved left", {980, 200, 1020, 220}, 120, 100, {904, 220, 1024, 320}},
    };
    for (const Case& c : cases) {
        const cuiSheet::Rect r = PlaceChoiceList(c.cell, c.width, c.height, screen);
        EXPECT_EQ(std::tie(r.left, r.top, r.right, r.bottom),
                  std::tie(c.placed.left, c.placed.top, c.placed.right, c.placed.bottom))
            << c.name;
    }
}

}  // namespace
