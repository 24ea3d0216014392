#include "app/cuiCellContext.h"

#include "app/cuiMain.h"

cuiCellContext::cuiCellContext(cuiMain& controller)
    : controller_(controller), records_(controller.CurrentImage()) {}

cmcEeprom& cuiCellContext::Image() { return controller_.CurrentImage(); }

cmcEeprom* cuiCellContext::InitialImage() { return &controller_.InitialImage(); }

int cuiCellContext::ModelKind() const { return controller_.ModelKind(); }

CellSettings cuiCellContext::Settings() const {
    const indEnviron& s = controller_.Settings();
    CellSettings out;
    out.fontSizePercentage = s.fontSizePercentage;
    out.toolbarVisible = s.toolbarVisible;
    out.comPort = s.comPort;
    out.comSpeedHigh = s.comSpeedHigh;
    out.recentFileCount = s.RecentCount();
    return out;
}

bool cuiCellContext::SheetOpen() const { return controller_.Sheet() != nullptr; }

void cuiCellContext::OpenSheet(const std::string& ref) { controller_.OpenSheetRef(ref); }

void cuiCellContext::RunCommand(CellCommand command, std::int32_t argument) {
    cuiMain& c = controller_;
    switch (command) {
        case CellCommand::FileNew: static_cast<void>(c.New()); break;
        case CellCommand::FileOpen: static_cast<void>(c.Open()); break;
        case CellCommand::FileSave: static_cast<void>(c.SaveCurrent()); break;
        case CellCommand::FileSaveAs: static_cast<void>(c.SaveAs()); break;
        case CellCommand::FileOpenRecent: static_cast<void>(c.OpenRecent(argument)); break;
        case CellCommand::Exit: c.ExitProgram(); break;
        case CellCommand::FontSize: c.SetFontPercentage(argument); break;
        case CellCommand::ToggleToolbar: c.ToggleToolbar(); break;
        case CellCommand::ComPort: c.SetComPort(argument); break;
        case CellCommand::SpeedHigh: c.SetSpeedHigh(argument); break;
        case CellCommand::ChangeModel: c.ChangeModel(argument, true); break;
        case CellCommand::ShowAbout: c.Events().Post(EvMsg::ShowAbout); break;
        case CellCommand::CloneRead: c.CloneRead(); break;
        case CellCommand::CloneWrite: c.CloneWrite(); break;
        case CellCommand::CloneInfo: c.CloneInformation(); break;
        case CellCommand::ComPortDialog: c.ComPortDialog(); break;
        case CellCommand::MeasuredValues: c.Events().Post(EvMsg::OpenAdWindow); break;
        case CellCommand::Refresh: c.AfterCellChange(); break;
        case CellCommand::MeasuredValuesUpdate:
            c.Settings().adWindowOpen = true;
            c.UpdateMeasuredValues();
            break;
        case CellCommand::StartProcedure: c.StartAdjustment(static_cast<AdjustmentProcedure>(argument)); break;
        case CellCommand::StartCalibration: c.StartCalibration(argument); break;
        case CellCommand::ConfirmCalibration: c.ConfirmCalibration(); break;
        // Posted: the sheet and the tree follow once the cell's own call has finished.
        case CellCommand::BankAddLastRow: c.Events().Post(EvMsg::BankAddLastRow); break;
        case CellCommand::BanksChanged: c.Events().Post(EvMsg::BanksChanged); break;
        case CellCommand::BankName: c.Events().PostText(EvMsg::BankName, 0, argument, c.BankLabel(argument)); break;
    }
}

std::span<const std::uint8_t> cuiCellContext::ModelInformation() const {
    const auto& identity = controller_.Clone().LastIdentity();
    if (!identity) return {};
    return identity->block;
}

cmcEeprom& cuiCellContext::RadioImage() { return controller_.RadioImage(); }

AdjustmentState& cuiCellContext::Adjustment() {
    AdjustmentState* state = controller_.LiveAdjustment();
    return state ? *state : noAdjustment_;
}

const AdReadings& cuiCellContext::Readings() const {
    const AdReadings* readings = controller_.LiveReadings();
    return readings ? *readings : noReadings_;
}

bool cuiCellContext::LinkBusy() const { return controller_.LinkBusy(); }

bool cuiCellContext::SendLiveValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) {
    return controller_.SendLiveValue(item, value, target, awaitReply);
}

bool cuiCellContext::SendLiveList(std::span<const LiveItem> items) { return controller_.SendLiveList(items); }
