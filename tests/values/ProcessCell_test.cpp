// The value routine against a small fake of the program: what a cell runs and what state
// it reports, without a controller.

#include "overlay/cmcCellObj.h"
#include "platform/Clipboard.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"
#include "values/ProcessCell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

class FakeContext : public CellContext {
public:
    cmcEeprom image;
    RecordAccessor records{image};
    int kind = 4;
    CellSettings settings;
    bool sheetOpen = false;
    std::vector<std::string> opened;
    std::vector<std::pair<CellCommand, std::int32_t>> commands;

    cmcEeprom& Image() override { return image; }
    RecordAccessor& Records() override { return records; }
    int ModelKind() const override { return kind; }
    CellSettings Settings() const override { return settings; }
    bool SheetOpen() const override { return sheetOpen; }
    void OpenSheet(const std::string& ref) override { opened.push_back(ref); }
    void RunCommand(CellCommand c, std::int32_t a) override { commands.emplace_back(c, a); }
    std::span<const std::uint8_t> ModelInformation() const override { return identity; }
    std::vector<std::uint8_t> identity;
    // No radio: nothing is ever sent.
    cmcEeprom radio;
    AdjustmentState adjustment;
    AdReadings readings;
    cmcEeprom& RadioImage() override { return radio; }
    AdjustmentState& Adjustment() override { return adjustment; }
    const AdReadings& Readings() const override { return readings; }
    bool LinkBusy() const override { return true; }
    bool SendLiveValue(std::uint8_t, std::uint8_t, std::uint8_t*, bool) override { return false; }
    bool SendLiveList(std::span<const LiveItem>) override { return false; }
};

cmcCellObj Cell(const std::string& text) {
    cmcCellObj cell;
    ParseCell(cell, text, nullptr, nullptr);
    return cell;
}

cmcCellCapsule Evaluate(CellContext& context, cmcCellObj& cell, std::int32_t key) {
    cmcCellCapsule request;
    request.cell = &cell;
    request.key = key;
    ProcessCell(context, request);
    return request;
}

using Command = std::pair<CellCommand, std::int32_t>;

TEST(ProcessCellTest, CommandCellsActOnlyOnEnterOrDoubleClick) {
    struct Case {
        const char* cell;
        std::int32_t key;
        std::vector<Command> expected;
    };
    const Case cases[] = {
        {"{(%CL_Menu_File_New)}", cellkey::kEnter, {{CellCommand::FileNew, 0}}},
        {"{(%CL_Menu_File_New)}", cellkey::kDoubleClick, {{CellCommand::FileNew, 0}}},
        {"{(%CL_Menu_File_New)}", cellkey::kNone, {}},
        {"{(%CL_Menu_File_New)}", cellkey::kSpace, {}},
        {"{(%CL_Menu_View_FontSize[150])}", cellkey::kEnter, {{CellCommand::FontSize, 150}}},
        {"{(%CL_Menu_Port_Com[3])}", cellkey::kEnter, {{CellCommand::ComPort, 3}}},
        {"{(%CL_Menu_File_Recent[2])}", cellkey::kEnter, {{CellCommand::FileOpenRecent, 1}}},
        {"{(%CL_Menu_File_Recent[0])}", cellkey::kEnter, {}},  // the submenu itself opens nothing
        {"{(%CL_Model_Pmr_Mob)}", cellkey::kEnter, {{CellCommand::ChangeModel, 6}}},
        {"{(%CL_Menu_Debug_EeWindow)}", cellkey::kEnter, {}},  // not built yet: does nothing
    };
    for (const Case& c : cases) {
        FakeContext context;
        cmcCellObj cell = Cell(c.cell);
        Evaluate(context, cell, c.key);
        EXPECT_EQ(context.commands, c.expected) << c.cell << " key " << c.key;
    }
}

TEST(ProcessCellTest, ItemsMirrorTheSettingsAndTheProgramState) {
    FakeContext context;
    context.settings.fontSizePercentage = 150;
    context.settings.comPort = 7;
    context.kind = 2;
    struct Case {
        const char* cell;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {"{(%CL_Menu_View_FontSize[150])}", kStateChecked},
        {"{(%CL_Menu_View_FontSize[100])}", 0},
        {"{(%CL_Menu_Port_Com[7])}", kStateChecked},
        {"{(%CL_Menu_Port_Usb)}", kStateChecked},  // a port above COM4 is chosen
        {"{(%CL_Model_Pmr)}", kStateChecked},
        {"{(%CL_Model_Lmr)}", 0},
        {"{(%CL_Menu_File_Recent[0])}", kStateDisabled},  // no recent files
        {"{(%CL_Menu_File_Print_Current)}", kStateDisabled},  // no sheet open
        {"{(%CL_PMenu_NoItem)}", kStateDisabled},
    };
    for (const Case& c : cases) {
        cmcCellObj cell = Cell(c.cell);
        EXPECT_EQ(Evaluate(context, cell, cellkey::kNone).stateFlags, c.flags) << c.cell;
    }
}

TEST(ProcessCellTest, SheetLinksOpenTheirSheetAndUnbuiltCellsSayYet) {
    FakeContext context;
    cmcCellObj link = Cell("{(%CallSheet:[St_Common]GI_Sheet_Rpt,R)}");
    Evaluate(context, link, cellkey::kEnter);
    EXPECT_EQ(context.opened, std::vector<std::string>{"[St_Common]GI_Sheet_Rpt,R"});

    cmcCellObj caption = Cell("{(%Flex0)}Hello");
    EXPECT_EQ(Evaluate(context, caption, cellkey::kNone).displayText, "Hello");

    cmcCellObj unbuilt = Cell("{(%CL_Check_Common)}");
    EXPECT_EQ(Evaluate(context, unbuilt, cellkey::kNone).displayText,
              std::to_string(CellIdOf("CL_Check_Common")) + " *Yet*");
}

TEST(ProcessCellTest, TheTableNamesEachIdentifierOnce) {
    // Every identifier of the topics' rows reaches the handler of its own row.
    for (auto rows : {CommandCellRows(), CaptionCellRows(), CloneInfoCellRows(), ChannelCellRows(),
                      AdjustmentCellRows(), AdReadoutCellRows(), ParameterDumpCellRows(), SettingsCellRows(),
                      SignallingCellRows(), BankCellRows(), TrunkingCellRows(), DigitalCellRows(),
                      MskListCellRows(), ToneCodeCellRows()}) {
        for (const CellRow& row : rows) {
            if (row.fallback) continue;
            for (CellId id = row.first; id <= row.last; ++id) {
                EXPECT_EQ(DispatchOf(id).handler, row.handler) << CellIdName(id);
                EXPECT_EQ(DispatchOf(id).data, row.data) << CellIdName(id);
            }
        }
    }
}

}  // namespace

namespace {

TEST(ProcessCellTest, CloneInformationCellsShowTheLastIdentification) {
    FakeContext context;
    cmcCellObj revision = Cell("{(%CL_CloneInfo_Revision)}");
    cmcCellObj checksum = Cell("{(%CL_CloneInfo_CheckSum)}");
    EXPECT_EQ(Evaluate(context, revision, cellkey::kNone).displayText, "") << "before any identification";

    context.identity.assign(125, 0x20);
    context.identity[34] = 0x12;  // revision nibbles
    const char sum[] = "1A2B";    // bytes 60..63: the checksum as hexadecimal characters
    std::copy(sum, sum + 4, context.identity.begin() + 60);
    EXPECT_EQ(Evaluate(context, revision, cellkey::kNone).displayText, "1.2");
    EXPECT_EQ(Evaluate(context, checksum, cellkey::kNone).displayText, "$1A2B");
}

TEST(ProcessCellTest, TheSerialNumbersPopupCopiesItAsShown) {
    FakeContext context;
    platform::MemoryClipboard clipboard;
    platform::ScopedClipboard useClipboard(clipboard);
    const cmcCellObj copyItem = Cell("{(%CT_PopupMenu.CL_PMenu_WinCopy)}");
    auto copy = [&](const std::string& cellText) {
        cmcCellObj cell = Cell(cellText);
        cmcCellCapsule request;
        request.cell = &cell;
        request.popupItem = &copyItem;
        ProcessCell(context, request);
    };
    struct Case {
        const char* serial;  // bytes 37..48 of the identification block
        const char* copied;
    };
    for (const Case& c : {Case{"0A0000FF1234", "1000255"}, Case{"0A0000FF12G4", "(before)"}}) {
        SCOPED_TRACE(c.serial);
        context.identity.assign(125, 0x20);
        std::copy(c.serial, c.serial + 12, context.identity.begin() + 37);
        clipboard.text = "(before)";
        copy("{(%CL_CloneInfo_Esn)}");
        EXPECT_EQ(clipboard.text, c.copied);
        copy("{(%CL_CloneInfo_CheckSum)}");
        EXPECT_EQ(clipboard.text, c.copied) << "only the serial number copies";
    }
}

}  // namespace

namespace {

// A bank sheet's services: its records are channels first..first + count - 1.
struct BankRows : CellSheetServices {
    RecordRange rows;
    void RedrawCells(RedrawFilter, std::int32_t) override {}
    void OpenEditor(const std::string&, std::int32_t, std::int32_t) override {}
    std::optional<RecordRange> RecordRows() const override { return rows; }
};

TEST(ProcessCellTest, TheRowGuardEmptiesUnusedRowsAndSendsTypedKeysToTheReceiveFrequency) {
    FakeContext context;
    context.image.Resize(cmcEeprom::kImageSize);
    // Channel 3 is in use (it has a receive frequency); channel 4 is not. The bank shows
    // channels 2..4; channel 5 is the row after its last.
    context.records.load(1, 3);
    context.records.set(Fld::Mch_FreqR, 146'520'000);
    context.records.status |= RecordAccessor::kStatusValid;
    context.records.store(1, 3);
    ASSERT_TRUE(context.records.load(1, 3).valid());
    ASSERT_FALSE(context.records.load(1, 4).valid());
    BankRows bank;
    bank.rows = {2, 3};

    struct Case {
        const char* cell;
        std::int32_t key;
        const char* shown;  // what the cell's own case shows when it ran, else ""
        bool redirected;    // the key goes to the receive frequency of the row
    };
    // CL_Mch_No shows the channel's number and CL_Mch_Atr its marks ("---": none) when
    // their case runs; the receive frequency's own case shows nothing on a row not in use.
    const Case cases[] = {
        {"{(%CT_Mch.CL_Mch_No[3])}", 'A', "4", false},                 // a channel in use
        {"{(%CT_Mch.CL_Mch_No[4])}", 'A', "", true},                   // not in use: typing goes to FreqR
        {"{(%CT_Mch.CL_Mch_No[4])}", cellkey::kNone, "", false},       // drawn: empty, stays
        {"{(%CT_Mch.CL_Mch_No[4])}", cellkey::VirtualKey(cellkey::vk::kRight), "5", false},  // not a typed key
        {"{(%CT_Mch.CL_Mch_Atr[4])}", 'A', "---", false},              // the attributes stay
        {"{(%CT_Mch.CL_Mch_FreqR[4])}", cellkey::kNone, "", false},    // the way into use: no redirect
        {"{(%CT_Mch.CL_Mch_Atr[5])}", 'A', "", true},                  // past the bank: everything empty
        {"{(%CT_Mch.CL_Mch_No[5])}", cellkey::VirtualKey(cellkey::vk::kRight), "", false},
        {"{(%CT_Mch.CL_Mch_FreqR[5])}", 'A', "", false},               // appends a channel: no redirect
    };
    for (const Case& c : cases) {
        cmcCellObj cell = Cell(c.cell);
        cmcCellCapsule request;
        request.cell = &cell;
        request.key = c.key;
        request.sheet = &bank;
        ProcessCell(context, request);
        SCOPED_TRACE(testing::Message() << c.cell << " key " << c.key);
        EXPECT_EQ(request.displayText, c.shown);
        EXPECT_EQ(request.gotoCell.has_value(), c.redirected);
        if (c.redirected) {
            EXPECT_EQ(*request.gotoCell, (CellKey{CategoryOf("CT_Mch"), CellIdOf("CL_Mch_FreqR"), cell.key.index}));
            EXPECT_EQ(request.repeatKey, c.key);
        }
    }
}

TEST(ProcessCellTest, EnterIsEnterWhetherTypedDoubleClickedOrChosenFromThePopup) {
    FakeContext context;
    cmcCellObj cell = Cell("{(%CL_Menu_File_Open)}");
    // The popup's item as a sheet hands it on: the item's cell, an action without a key.
    const cmcCellObj editItem = Cell("{(%CT_PopupMenu.CL_PMenu_Edit)}");
    for (auto [key, popup] : {std::pair{cellkey::kEnter, false}, std::pair{cellkey::kDoubleClick, false},
                              std::pair{0, true}}) {
        cmcCellCapsule request;
        request.cell = &cell;
        request.key = key;
        if (popup) request.popupItem = &editItem;
        ProcessCell(context, request);
    }
    EXPECT_EQ(context.commands, (std::vector<Command>(3, {CellCommand::FileOpen, 0})));
}

TEST(ProcessCellTest, ACategoryThatIsNotKnownIsReportedAndWorksOnNoRecord) {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs install(dialogs);
    FakeContext context;
    cmcCellObj cell = Cell("{(%Flex0)}Text");
    cell.key.category = 40;
    EXPECT_EQ(Evaluate(context, cell, cellkey::kNone).displayText, "Text");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Unknown Cell Category. (40)");
}

}  // namespace
