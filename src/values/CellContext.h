#pragma once
// What the cell value routine may see of the program. The controller implements it; the
// routine never sees the controller itself, so a cell's behaviour can be tested against a
// small fake and the routine cannot grow into a switch over the whole application.

#include "comm/cmcCloneDrv.h"
#include "image/RecordAccessor.h"
#include "image/cmcEeprom.h"
#include "values/AdjustmentState.h"

#include <cstdint>
#include <span>
#include <string>

// The settings the routine reads to show an item's state.
struct CellSettings {
    std::int32_t fontSizePercentage = 100;
    std::int32_t toolbarVisible = 1;
    std::int32_t comPort = 1;
    std::int32_t comSpeedHigh = 0;
    std::int32_t recentFileCount = 0;
};

// Commands a cell asks the program to run. The routine decides that a command runs; the
// program decides how (dialogs, prompts, windows).
enum class CellCommand {
    FileNew,
    FileOpen,
    FileSave,         // to the current file, or Save As while untitled
    FileSaveAs,
    FileOpenRecent,   // argument: index into the recent files
    Exit,
    FontSize,         // argument: percentage
    ToggleToolbar,
    ComPort,          // argument: port number
    SpeedHigh,        // argument: 0 or 1
    ChangeModel,      // argument: model kind; asks first
    ShowAbout,
    CloneRead,
    CloneWrite,
    CloneInfo,
    ComPortDialog,    // the port selection dialog, for ports beyond COM1..COM4
    MeasuredValues,   // the measured-values window
    MeasuredValuesUpdate,  // reads the measured values again
    Refresh,          // a cell changed the image: modified flag, menus, toolbar, marks
    StartProcedure,   // argument: an AdjustmentProcedure; replaces whatever procedure runs
    StartCalibration, // argument: the two-point calibration's procedure number (2..13)
    ConfirmCalibration,  // the running calibration takes the user's value
    BankAddLastRow,   // the open bank sheet's bank took one more channel
    BanksChanged,     // a bank's count or trunking bits changed: the tree's bank icons
    BankName,         // argument: bank; its name changed (the tree's node shows it)
};

class CellContext {
public:
    virtual ~CellContext() = default;

    // The current image and its decoded tables.
    virtual cmcEeprom& Image() = 0;
    virtual RecordAccessor& Records() = 0;
    // The initial image of the model kind: where a new or freed row takes its default
    // record. None where rows are never added (a check on an image of its own); the rows
    // are then cleared records.
    virtual cmcEeprom* InitialImage() { return nullptr; }
    virtual int ModelKind() const = 0;
    virtual CellSettings Settings() const = 0;

    // Sheet services.
    virtual bool SheetOpen() const = 0;
    virtual void OpenSheet(const std::string& ref) = 0;

    // The command sink.
    virtual void RunCommand(CellCommand command, std::int32_t argument = 0) = 0;

    // The model-information block of the radio's last identification; empty before any.
    virtual std::span<const std::uint8_t> ModelInformation() const = 0;

    // --- Live adjustment ----------------------------------------------------------------
    // What the radio is known to hold: an adjustment value that differs from it is sent.
    virtual cmcEeprom& RadioImage() = 0;
    virtual AdjustmentState& Adjustment() = 0;
    virtual const AdReadings& Readings() const = 0;
    // A transfer runs or the main window is disabled: nothing can be sent now.
    virtual bool LinkBusy() const = 0;
    // One item to the radio. With `awaitReply` the radio's answer lands at `target`;
    // without, the value is stored there once it is sent. False: not sent (link busy).
    virtual bool SendLiveValue(std::uint8_t item, std::uint8_t value, std::uint8_t* target, bool awaitReply) = 0;
    // A list ended by item code 0xFF; its values must live until the transfer ends.
    virtual bool SendLiveList(std::span<const LiveItem> items) = 0;
};
