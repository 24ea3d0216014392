#include "values/ProcessCell.h"

#include "app/cuiMain.h"
#include "overlay/cmcCellObj.h"

#include <string>

namespace {

constexpr int kEnter = 13;

// The command cells of the menus, the toolbar and the tree. Each acts only on Enter;
// without a key it reports the state its item shows (checked, hidden, disabled).
void CommandCell(cuiMain& ctl, cmcCellCapsule& r) {
    const cmcCellObj& cell = *r.cell;
    const CellId id = cell.key.id;
    const std::int32_t n = cell.key.index;
    const bool enter = r.key == kEnter;
    indEnviron& settings = ctl.Settings();

    switch (id) {
        case CellIdOf("CL_Menu_File_New"):
            if (enter) ctl.New();
            break;
        case CellIdOf("CL_Menu_File_Open"):
            if (enter) ctl.Open();
            break;
        case CellIdOf("CL_Menu_File_Save"):
            if (enter) ctl.SaveCurrent();
            break;
        case CellIdOf("CL_Menu_File_SaveAs"):
            if (enter) ctl.SaveAs();
            break;
        case CellIdOf("CL_Menu_File_Recent"):
            // Number 0 is the submenu itself, disabled while the list is empty; its items
            // carry the numbers 1, 2, ... of the files they open.
            if (enter && n > 0) ctl.OpenRecent(n - 1);
            if (n == 0 && settings.RecentCount() == 0) r.stateFlags |= kStateDisabled;
            break;
        case CellIdOf("CL_Menu_File_Exit"):
            if (enter) ctl.ExitProgram();
            break;
        case CellIdOf("CL_Menu_File_Print_Current"):
            if (!ctl.Sheet()) r.stateFlags |= kStateDisabled;
            break;
        case CellIdOf("CL_Menu_View_FontSize"):
            if (enter) ctl.SetFontPercentage(n);
            if (settings.fontSizePercentage == n) r.stateFlags |= kStateChecked;
            break;
        case CellIdOf("CL_Menu_View_ToolBar"):
            if (enter) ctl.ToggleToolbar();
            if (settings.toolbarVisible != 0) r.stateFlags |= kStateChecked;
            break;
        case CellIdOf("CL_Menu_Port_Com"):
            if (enter) ctl.SetComPort(n);
            if (settings.comPort == n) r.stateFlags |= kStateChecked;
            break;
        case CellIdOf("CL_Menu_Port_Usb"):
            if (settings.comPort > 4) r.stateFlags |= kStateChecked;
            break;
        case CellIdOf("CL_Menu_Port_SpeedHigh"):
            if (enter) ctl.SetSpeedHigh(n);
            if (settings.comSpeedHigh == n) r.stateFlags |= kStateChecked;
            break;
        case CellIdOf("CL_Model_Lmr"):
        case CellIdOf("CL_Model_LmrP25"):
        case CellIdOf("CL_Model_Pmr"):
        case CellIdOf("CL_Model_BiisPmr"):
        case CellIdOf("CL_Model_Lmr_Mob"):
        case CellIdOf("CL_Model_LmrP25_Mob"):
        case CellIdOf("CL_Model_Pmr_Mob"):
        case CellIdOf("CL_Model_BiisPmr_Mob"): {
            const int kind = id - CellIdOf("CL_Model_Lmr");
            if (enter) ctl.ChangeModel(kind, true);
            if (ctl.ModelKind() == kind) r.stateFlags |= kStateChecked;
            break;
        }
        case CellIdOf("CL_Help_About"):
            if (enter) ctl.Events().Post(EvMsg::ShowAbout);
            break;
        case CellIdOf("CallSheet"):
            if (enter && cell.parameter) ctl.OpenSheetRef(*cell.parameter);
            break;
        case CellIdOf("CL_PMenu_NoItem"):
            r.stateFlags |= kStateDisabled;
            break;
        default:
            // Commands whose parts arrive later (clone, printing, measured values, help
            // contents) show as items that do nothing yet.
            break;
    }
}

bool IsCommandCell(CellId id) {
    return (id >= CellIdOf("CL_Menu_File_New") && id <= CellIdOf("CL_Menu_Debug_EeWindow")) ||
           id == CellIdOf("CallSheet") || id == CellIdOf("CL_PMenu_NoItem");
}

bool IsCaptionCell(CellId id) {
    return id == CellIdOf("Flex0") || id == CellIdOf("Flex1") || id == CellIdOf("FlexMark") ||
           id == CellIdOf("FlexDtcs") || id == CellIdOf("FlexKeyOpt");
}

}  // namespace

CellResult ProcessCell(cuiMain& controller, cmcCellCapsule& request) {
    request.displayText.clear();
    request.markFlags &= static_cast<std::uint8_t>(~(kMarkFlagWarning | kMarkFlagError));
    request.stateFlags = 0;
    if (request.key == 256) request.key = kEnter;
    if (!request.cell) return CellResult::None;
    request.imageIndex = request.cell->imageIndex;
    const CellId id = request.cell->key.id;

    if (IsCommandCell(id)) {
        CommandCell(controller, request);
    } else if (IsCaptionCell(id)) {
        request.displayText = request.cell->content.value_or("");
    } else if (id != kNoCellId) {
        // Cells whose behaviour has not been built yet say so with their number.
        request.displayText = std::to_string(id) + " *Yet*";
    }
    return CellResult::None;
}

CellMarks CheckCell(cuiMain& controller, cmcCellObj& cell, std::uint32_t index) {
    cmcCellCapsule request;
    request.cell = &cell;
    request.index = index;
    ProcessCell(controller, request);
    return {(request.markFlags & kMarkFlagError) != 0, (request.markFlags & kMarkFlagWarning) != 0};
}
