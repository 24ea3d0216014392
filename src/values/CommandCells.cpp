// The command cells of the menus, the toolbar and the tree. Each acts only on Enter;
// without a key it reports the state its item shows (checked, hidden, disabled).

#include "overlay/cmcCellObj.h"
#include "values/CellDispatch.h"
#include "values/KeyCodes.h"

namespace {

bool Enter(const cmcCellCapsule& r) { return r.key == cellkey::kEnter; }
std::int32_t Number(const cmcCellCapsule& r) { return r.cell->key.index; }

CellResult Command(CellContext& c, cmcCellCapsule& r, std::int32_t command) {
    if (Enter(r)) c.RunCommand(static_cast<CellCommand>(command));
    return CellResult::None;
}

// Items numbered by the value they choose: Enter chooses it, and the item is checked while
// the setting has that value. The row's data picks the setting and its command.
struct SettingChoice {
    CellCommand command;
    std::int32_t CellSettings::*setting;
};
constexpr SettingChoice kChoices[] = {
    {CellCommand::FontSize, &CellSettings::fontSizePercentage},
    {CellCommand::ComPort, &CellSettings::comPort},
    {CellCommand::SpeedHigh, &CellSettings::comSpeedHigh},
};
enum ChoiceIndex : std::int32_t { kFontSize, kComPort, kSpeedHigh };

CellResult Choice(CellContext& c, cmcCellCapsule& r, std::int32_t index) {
    const SettingChoice& choice = kChoices[index];
    if (Enter(r)) c.RunCommand(choice.command, Number(r));
    if (c.Settings().*choice.setting == Number(r)) r.stateFlags |= kStateChecked;
    return CellResult::None;
}

// The port submenu beyond COM1..COM4: checked while one of those higher ports is chosen.
CellResult UsbPort(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    if (Enter(r)) c.RunCommand(CellCommand::ComPortDialog);
    if (c.Settings().comPort > 4) r.stateFlags |= kStateChecked;
    return CellResult::None;
}

CellResult ToolBar(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    if (Enter(r)) c.RunCommand(CellCommand::ToggleToolbar);
    if (c.Settings().toolbarVisible != 0) r.stateFlags |= kStateChecked;
    return CellResult::None;
}

// Number 0 is the submenu itself, disabled while the list is empty; its items carry the
// numbers 1, 2, ... of the files they open.
CellResult Recent(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const std::int32_t n = Number(r);
    if (Enter(r) && n > 0) c.RunCommand(CellCommand::FileOpenRecent, n - 1);
    if (n == 0 && c.Settings().recentFileCount == 0) r.stateFlags |= kStateDisabled;
    return CellResult::None;
}

CellResult PrintCurrent(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    if (!c.SheetOpen()) r.stateFlags |= kStateDisabled;
    return CellResult::None;
}

// The eight model items in model-kind order.
CellResult Model(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    const int kind = r.cell->key.id - CellIdOf("CL_Model_Lmr");
    if (Enter(r)) c.RunCommand(CellCommand::ChangeModel, kind);
    if (c.ModelKind() == kind) r.stateFlags |= kStateChecked;
    return CellResult::None;
}

CellResult CallSheet(CellContext& c, cmcCellCapsule& r, std::int32_t) {
    if (Enter(r) && r.cell->parameter) c.OpenSheet(*r.cell->parameter);
    return CellResult::None;
}

CellResult Disabled(CellContext&, cmcCellCapsule& r, std::int32_t) {
    r.stateFlags |= kStateDisabled;
    return CellResult::None;
}

// Commands whose parts arrive later (printing, measured values, help contents)
// show as items that do nothing yet.
CellResult NotYet(CellContext&, cmcCellCapsule&, std::int32_t) { return CellResult::None; }

constexpr std::int32_t Do(CellCommand c) { return static_cast<std::int32_t>(c); }

constexpr CellRow kRows[] = {
    Row("CL_Menu_File_New", Command, Do(CellCommand::FileNew)),
    Row("CL_Menu_File_Open", Command, Do(CellCommand::FileOpen)),
    Row("CL_Menu_File_Save", Command, Do(CellCommand::FileSave)),
    Row("CL_Menu_File_SaveAs", Command, Do(CellCommand::FileSaveAs)),
    Row("CL_Menu_File_Exit", Command, Do(CellCommand::Exit)),
    Row("CL_Help_About", Command, Do(CellCommand::ShowAbout)),
    Row("CL_Menu_Clone_Read", Command, Do(CellCommand::CloneRead)),
    Row("CL_Menu_Clone_Write", Command, Do(CellCommand::CloneWrite)),
    Row("CL_Menu_Clone_Info", Command, Do(CellCommand::CloneInfo)),
    Row("CL_Menu_View_Ad", Command, Do(CellCommand::MeasuredValues)),
    Row("CL_Menu_View_Ad_Update", Command, Do(CellCommand::MeasuredValuesUpdate)),
    Row("CL_Menu_File_Recent", Recent),
    Row("CL_Menu_File_Print_Current", PrintCurrent),
    Row("CL_Menu_View_FontSize", Choice, kFontSize),
    Row("CL_Menu_View_ToolBar", ToolBar),
    Row("CL_Menu_Port_Com", Choice, kComPort),
    Row("CL_Menu_Port_Usb", UsbPort),
    Row("CL_Menu_Port_SpeedHigh", Choice, kSpeedHigh),
    Rows("CL_Model_Lmr", "CL_Model_BiisPmr_Mob", Model),
    Row("CallSheet", CallSheet),
    Row("CL_PMenu_NoItem", Disabled),
    FallbackRows("CL_Menu_File_New", "CL_Menu_Debug_EeWindow", NotYet),
};

}  // namespace

std::span<const CellRow> CommandCellRows() { return kRows; }
