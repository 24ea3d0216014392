// The product overlay against the program: every menu, toolbar button and tree node of
// every model kind parses, binds to known identifiers, and the tree keeps exactly the
// nodes of the kind. A missing key or bad markup fails here, not in a user's hands.

#include "app/cuiMenu.h"
#include "app/cuiSheetTree.h"
#include "app/cuiWarningCheck.h"
#include "app/ModelRules.h"
#include "app/indMain.h"
#include "sheets/cuiSheet.h"
#include "ControllerWorld.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"
#include "overlay/cmcGTex.h"
#include "values/CellDispatch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

namespace {

class ProductOverlayTest : public ::testing::Test, protected ControllerWorld {};

std::size_t CountItems(const std::vector<cuiMenuItem>& items) {
    std::size_t n = items.size();
    for (const auto& i : items) n += CountItems(i.children);
    return n;
}

TEST_F(ProductOverlayTest, MenuAndToolbarBuild) {
    indMain controller(settings, events);
    cuiMenu menu(controller, "GI_Menu_Main");
    menu.UpdateStates();
    EXPECT_GT(CountItems(menu.Items()), 30u);
    ASSERT_NE(menu.FindCommand(CellIdOf("CL_Menu_File_Save")), nullptr);
    EXPECT_TRUE(menu.FindCommand(CellIdOf("CL_Model_Lmr_Mob"))->shown.checked) << "default kind 4";
    cuiToolBar bar(controller, "GI_ToolBar_Main");
    bar.UpdateStates();
    for (const cuiToolButton& b : bar.Buttons()) {
        if (b.shown.kind == ToolButtonModel::Kind::Button) {
            EXPECT_TRUE(b.hasCell) << b.shown.tooltip;
            EXPECT_GE(b.shown.imageIndex, 0) << b.shown.tooltip;
            EXPECT_LE(b.shown.imageIndex, 12) << b.shown.tooltip;
        }
    }
}

TEST_F(ProductOverlayTest, TreeOfEveryModelKindKeepsOnlyItsNodes) {
    for (int kind = 0; kind < 8; ++kind) {
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.BuildTree();
        cuiSheetTree& tree = *controller.Tree();
        struct {
            bool lmr, p25, biis;
        } t{model::isLmr(kind), model::isP25(kind), model::isBiisPmr(kind)};
        int banks = 0, nodes = 0;
        tree.ForEach([&](cuiTreeNode& node, const ItemPath&) {
            ++nodes;
            const std::uint32_t f = node.NodeFlags();
            EXPECT_FALSE(f & 0x04) << "maker-only node " << node.shown.text;
            EXPECT_FALSE(!t.lmr && (f & 0x08)) << kind << " " << node.shown.text;
            EXPECT_FALSE(t.lmr && (f & 0x10)) << kind << " " << node.shown.text;
            EXPECT_FALSE(!t.biis && (f & 0x20)) << kind << " " << node.shown.text;
            EXPECT_FALSE(!t.p25 && (f & 0x40)) << kind << " " << node.shown.text;
            EXPECT_EQ(node.cell.key.id, CellIdOf("CallSheet")) << node.shown.text;
            const SheetRef ref = ParseSheetRef(node.Link());
            if (ref.style == "St_ChBank") {
                EXPECT_EQ(ref.key, "GI_Sheet_Mch_" + model::familyText(kind));
                EXPECT_EQ(ref.options, "Bank " + std::to_string(banks));
                ++banks;
            }
            if (node.Link() == "GI_Sheet_Memory_CH_Top") {
                EXPECT_TRUE(node.children.empty());
            }
        });
        EXPECT_EQ(banks, 128) << kind;
        EXPECT_GT(nodes, 140) << kind;
        EXPECT_NE(tree.Root()->shown.text.find(GTex().GetLine("GI_AppInd_ModelTree", kind)), std::string::npos);
        EXPECT_EQ(tree.FindLink("GI_Sheet_Digi_Top").empty(), !t.p25) << kind;
        EXPECT_EQ(tree.FindLink("GI_Sheet_Trunk_Top").empty(), !t.biis) << kind;
        for (const char* analog : {"GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx", "GI_Sheet_2ToneTx"})
            EXPECT_EQ(tree.FindLink(analog).empty(), !t.lmr) << kind << " " << analog;
    }
}

TEST_F(ProductOverlayTest, TheSheetOfEveryTreeNodeBuildsForEveryModelKind) {
    for (int kind = 0; kind < 8; ++kind) {
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.BuildTree();
        std::vector<std::string> links;
        controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath&) { links.push_back(node.Link()); });
        for (const std::string& link : links) {
            controller.OpenSheetRef(link);
            ASSERT_NE(controller.Sheet(), nullptr) << link;
            const cuiSheet* sheet = controller.Sheet()->grid.get();
            ASSERT_NE(sheet, nullptr) << link;
            EXPECT_GT(sheet->ColCount(), 0) << link;
            if (controller.Sheet()->kind == OpenSheet::Kind::ChBank) {
                EXPECT_EQ(sheet->ArrayRows(), 522) << link;
                EXPECT_TRUE(sheet->Enabled()) << "a bank always has the row for a new channel: " << link;
            }
        }
    }
}

// The warning check's list: each check names a sheet some model's tree reaches, and a
// fault in a table marks the sheet that holds it (a clean image marks nothing).
TEST_F(ProductOverlayTest, TheWarningCheckListMarksTheSheetThatHoldsAFault) {
    std::set<std::string> treeLinks;
    for (int kind = 0; kind < 8; ++kind) {
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.BuildTree();
        controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath&) { treeLinks.insert(node.Link()); });
    }
    for (int n = 0;; ++n) {
        const std::string line = GTex().GetLine("GI_WarningCheckList", n);
        if (line.empty() || line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(cell, line, nullptr, nullptr);
        EXPECT_TRUE(treeLinks.count(cell.parameter.value_or(""))) << line;
    }

    auto setWord = [](cmcEeprom& image, std::int32_t a, std::uint16_t v) {
        image.SetByte(a, static_cast<std::uint8_t>(v >> 8));
        image.SetByte(a + 1, static_cast<std::uint8_t>(v));
    };
    struct Case {
        int kind;
        const char* fault;
        void (*make)(cmcEeprom&, decltype(setWord)&);
        bool error;
        const char* link;
    };
    const Case cases[] = {
        {7, "killer address among the group addresses",
         [](cmcEeprom& e, decltype(setWord)& w) { w(e, 0x17B5E, 200); }, true, "GI_Sheet_Msk"},
        {4, "user tone window upside down",
         [](cmcEeprom& e, decltype(setWord)& w) { w(e, 0x16D79, 10000), w(e, 0x16D97, 11000), w(e, 0x16D99, 9000); },
         false, "GI_Sheet_UserTone"},
        {5, "selected NAC channel sending a receive-any code",
         [](cmcEeprom& e, decltype(setWord)& w) { e.SetByte(0x16953, 0x80), w(e, 0x194D2 + 2, 0xF7E); }, true,
         "GI_Sheet_DigiNac"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        settings.modelType = c.kind;
        indMain controller(settings, events);
        controller.BuildTree();
        cuiWarningCheck check;
        // A sound MSK plan: individual addresses 0..99, the own one 10, groups from 100 up.
        cmcEeprom& image = controller.CurrentImage();
        setWord(image, 0x17B5A, 100);
        setWord(image, 0x17B5E, 50);
        for (int group = 0; group < 8; ++group) setWord(image, 0x17A62 + 31 * group, group == 0 ? 10 : 200);
        const auto clean = check.Run(controller.Cells(), model::familyText(c.kind));
        EXPECT_EQ(clean.errors() + clean.warnings(), 0);
        c.make(image, setWord);
        const auto found = check.Run(controller.Cells(), model::familyText(c.kind));
        const auto& links = c.error ? found.errorLinks : found.warningLinks;
        EXPECT_EQ(links, std::vector<std::string>{c.link});
    }
}

TEST_F(ProductOverlayTest, TheChoiceListsOfTheValueCellsBuild) {
    indMain controller(settings, events);
    for (const char* list : {"GI_Sheet_Sel_Mch_Nar", "GI_Sheet_Sel_Mch_RfPwr", "GI_Sheet_Sel_Mch_Scan",
                             "GI_Sheet_Sel_Mch_CH_TxInh", "GI_Sheet_Sel_Mch_Lockout_Lmr", "GI_Sheet_Sel_Misc_OnOff",
                             "GI_Sheet_Sel_Misc_OnOff2_I", "GI_Sheet_Sel_MSK_Country_Code",
                             "GI_Sheet_Sel_ScanList_ScanMode", "GI_Sheet_Sel_ScanList_DispText",
                             "GI_Sheet_Sel_5T_Digit", "GI_Sheet_Sel_Mch_CH_Inh", "GI_Sheet_Sel_Mch_AutoReset_Pmr",
                             "GI_Sheet_Sel_Mch_2Tone", "GI_Sheet_Sel_Mch_Log", "GI_Sheet_Sel_Mch_ScrmType",
                             "GI_Sheet_Sel_Mch_SqlType", "GI_Sheet_Sel_Mch_RxCNo", "GI_Sheet_Sel_Mch_MskStatus",
                             "GI_Sheet_Sel_Mch_MskRxCNo"}) {
        controller.OpenSheetRef(list);
        ASSERT_NE(controller.Sheet()->grid, nullptr) << list;
        EXPECT_TRUE(controller.Sheet()->grid->Enabled()) << list;
        EXPECT_EQ(controller.Sheet()->grid->CellAt(0, 0).key.id, CellIdOf("Flex0")) << list;
    }
}

// A list opens as a popup as big as its rows: an item whose row is not sized from its text
// (no H) would leave a popup a few pixels high, unreadable on screen.
TEST_F(ProductOverlayTest, EverySelectionListHasRowsAsTallAsTheirText) {
    indMain controller(settings, events);
    std::ifstream in(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    int lists = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.starts_with("#GI_Sheet_Sel_") || !line.ends_with("_Cells")) continue;
        const std::string list = line.substr(1, line.size() - 1 - 6);
        controller.OpenSheetRef(list);
        ASSERT_TRUE(controller.Sheet() && controller.Sheet()->grid) << list;
        cuiSheet& sheet = *controller.Sheet()->grid;
        for (std::int32_t row = 0; row < sheet.RowCount(); ++row) EXPECT_GE(sheet.RowHeight(row), 10) << list << " row " << row;
        ++lists;
    }
    EXPECT_GT(lists, 20);
}

// Every cell the settings sheets bind is one of the settings table's, so none of them
// shows a stand-in text; and the lists those cells open build as lists.
TEST_F(ProductOverlayTest, TheSettingsSheetsBindOnlyBuiltCells) {
    std::set<CellId> built;
    for (const CellRow& row : SettingsCellRows())
        for (CellId id = row.first; id <= row.last; ++id) built.insert(id);
    for (int kind : {0, 1, 4, 7}) {
        settings.modelType = kind;
        indMain controller(settings, events);
        for (const char* name :
             {"[St_Common]GI_Sheet_SetMode", "[St_Common]GI_Sheet_KDisp", "[St_Common]GI_Sheet_Exp",
              "[St_Common]GI_Sheet_CommPort", "[St_Common]GI_Sheet_Common", "[St_Common]GI_Sheet_Maker",
              "[St_Common]GI_Sheet_ScanComm"}) {
            controller.OpenSheetRef(name);
            ASSERT_NE(controller.Sheet(), nullptr) << name;
            cuiSheet& sheet = *controller.Sheet()->grid;
            int bound = 0;
            for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
                for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                    const CellId id = sheet.CellAt(col, row).key.id;
                    if (id == kNoCellId || CellIdName(id).rfind("CL_", 0) != 0) continue;
                    ++bound;
                    EXPECT_TRUE(built.contains(id)) << name << ": " << CellIdName(id);
                }
            }
            EXPECT_GT(bound, 0) << name;
        }
    }
    indMain controller(settings, events);
    for (const char* list :
         {"GI_Sheet_Sel_SetM_Handy_Backlight", "GI_Sheet_Sel_SetM_Mob_Backlight", "GI_Sheet_Sel_SetM_BeepLev",
          "GI_Sheet_Sel_SetM_VoxGain", "GI_Sheet_Sel_SetM_VoxDelay", "GI_Sheet_Sel_SetM_AudioFilt",
          "GI_Sheet_Sel_SetM_MicGain", "GI_Sheet_Sel_UserSetEnable", "GI_Sheet_Sel_Comm_RS232C_SPEED",
          "GI_Sheet_Sel_Comm_RS232C_Mode", "GI_Sheet_Sel_Maker_PllType", "GI_Sheet_Sel_Maker_DtcsPolar",
          "GI_Sheet_Sel_Dials_Conv", "GI_Sheet_Sel_Dials_Conv_BiisPmr", "GI_Sheet_Sel_KDisp_KeyOpt_HL", "GI_Sheet_Sel_KDisp_Tenkey",
          "GI_Sheet_Sel_KDisp_Rotary", "GI_Sheet_Sel_KDisp_DispLines", "GI_Sheet_Sel_KDisp_PwrSW",
          "GI_Sheet_Sel_KDisp_PwrSW_HH", "GI_Sheet_Sel_KDisp_Led", "GI_Sheet_Sel_MSK_SyncWord",
          "GI_Sheet_Sel_MSK_GpsSentence", "GI_Sheet_Sel_Comm_SetModeAccess", "GI_Sheet_Sel_Comm_ScrmType",
          "GI_Sheet_Sel_Comm_EmerIn", "GI_Sheet_Sel_Exp_BattChangeMode", "GI_Sheet_Sel_Exp_ExPttFtsw",
          "GI_Sheet_Sel_Exp_EpttFtsw", "GI_Sheet_Sel_Maker_DtcsDecode", "GI_Sheet_Sel_Maker_MchPitch"}) {
        controller.OpenSheetRef(list);
        ASSERT_NE(controller.Sheet()->grid, nullptr) << list;
        EXPECT_TRUE(controller.Sheet()->grid->Enabled()) << list;
    }
}

// The settings sheets are common sheets, so a row of one model family is left out of the
// sheet on the others: the tree opens them that way, and each conditioned row is there for
// one kind and absent for the other.
TEST_F(ProductOverlayTest, SettingsRowsOfOneModelFamilyAreLeftOutOnTheOthers) {
    const std::set<std::string> settingsSheets = {"GI_Sheet_Common", "GI_Sheet_SetMode", "GI_Sheet_KDisp",
                                                  "GI_Sheet_Exp",    "GI_Sheet_CommPort", "GI_Sheet_ScanComm",
                                                  "GI_Sheet_Maker"};
    for (int kind = 0; kind < 8; ++kind) {
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.BuildTree();
        controller.Tree()->ForEach([&](cuiTreeNode& node, const ItemPath&) {
            const SheetRef ref = ParseSheetRef(node.Link());
            if (settingsSheets.contains(ref.key)) {
                EXPECT_EQ(ref.style, "St_Common") << node.Link();
            }
        });
    }
    struct Case {
        const char* sheet;
        const char* cell;
        int with, without;  // model kinds: 0 LMR, 1 LMR P25, 2 PMR, 3 BIIS PMR; +4 mobile
    };
    const Case cases[] = {
        {"GI_Sheet_Exp", "CL_Exp_Ignition", 4, 0},                   // mobile, handheld
        {"GI_Sheet_Exp", "CL_Exp_BattTypeChange", 0, 4},             // handheld, mobile
        {"GI_Sheet_Common", "CL_Comm_ManDown_ON", 2, 6},             // handheld, mobile
        {"GI_Sheet_SetMode", "CL_SetM_Backlight_HH", 0, 4},          // handheld, mobile
        {"GI_Sheet_SetMode", "CL_SetM_Backlight", 4, 0},             // mobile, handheld
        {"GI_Sheet_SetMode", "CL_SetM_BERDisp", 1, 0},               // P25, LMR
        {"GI_Sheet_ScanComm", "CL_ScanComm_AutoChCall_PmrOnly", 2, 0},  // PMR, LMR
        {"GI_Sheet_Common", "CL_Comm_Tot_Dtmf_ID_Out", 0, 2},        // LMR, PMR
        {"GI_Sheet_Common", "CL_Comm_Tot_ID_Out", 2, 0},             // PMR, LMR
        {"GI_Sheet_Common", "CL_Comm_TRDataOut", 7, 6},              // BIIS PMR, PMR
    };
    const auto binds = [&](int kind, const std::string& link, CellId id) {
        settings.modelType = kind;
        indMain controller(settings, events);
        controller.OpenSheetRef(link);
        cuiSheet& sheet = *controller.Sheet()->grid;
        for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
            for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                if (sheet.CellAt(col, row).key.id == id) return true;
            }
        }
        return false;
    };
    for (const Case& c : cases) {
        const std::string link = std::string("[St_Common]") + c.sheet;
        EXPECT_TRUE(binds(c.with, link, CellIdFromName(c.cell))) << c.cell << " kind " << c.with;
        EXPECT_FALSE(binds(c.without, link, CellIdFromName(c.cell))) << c.cell << " kind " << c.without;
    }
}

// The trunking, scan-list and MSK settings sheets bind only cells the value routine has a
// case for (none shows its stand-in text), and each binds some.
TEST_F(ProductOverlayTest, TheTrunkingScanAndMskSheetsBindOnlyBuiltCells) {
    settings.modelType = 3;
    indMain controller(settings, events);
    for (const char* name :
         {"GI_Sheet_Rpt,R", "GI_Sheet_ScanList", "GI_Sheet_ScanComm", "GI_Sheet_MskTiming", "GI_Sheet_MskCfg"}) {
        controller.OpenSheetRef(name);
        ASSERT_NE(controller.Sheet(), nullptr) << name;
        ASSERT_NE(controller.Sheet()->grid, nullptr) << name;
        cuiSheet& sheet = *controller.Sheet()->grid;
        int bound = 0;
        for (std::int32_t row = 0; row < sheet.RowCount(); ++row) {
            for (std::int32_t col = 0; col < sheet.ColCount(); ++col) {
                const CellId id = sheet.CellAt(col, row).key.id;
                if (id == kNoCellId || CellIdName(id).rfind("CL_", 0) != 0) continue;
                ++bound;
                EXPECT_NE(DispatchOf(id).handler, nullptr) << name << ": " << CellIdName(id);
            }
        }
        EXPECT_GT(bound, 0) << name;
    }
}

}  // namespace

namespace {

// The store keeps one text per key; a key written twice leaves one of the texts unread,
// whichever it is, so two authors' sheets of one name must fail here.
TEST(ProductOverlayFile, EveryKeyIsWrittenOnce) {
    std::ifstream in(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ASSERT_TRUE(in);
    std::set<std::string> keys;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 2 || line[0] != '#' || line.find_first_of(" \t") != std::string::npos) continue;
        EXPECT_TRUE(keys.insert(line.substr(1)).second) << line.substr(1) << " is written twice";
    }
    EXPECT_GT(keys.size(), 100u);
}

}  // namespace
