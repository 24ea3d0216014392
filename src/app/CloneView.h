#pragma once
// The small windows of the clone commands as the controller sees them: the progress
// window, the COM port selection dialog and the Clone Information window. The Qt skin
// renders them; tests record what they were asked to show.

#include "app/CloneSession.h"
#include "app/MainLayout.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class cuiSheet;
class cuiSheetHost;

struct CloneProgressModel {
    std::string caption;     // "Cloning"
    std::string cancelText;  // the Cancel button, shown while a read runs
    CloneProgress progress;
};

struct ComPortDialogModel {
    std::string caption;
    std::string notice;
    std::string okText, cancelText;
    std::string buttonWidthText;  // each button is as wide as this text
    std::string editWidthText = "255WWWW";
    std::string current;          // the port number now chosen, in decimal
    std::string devicesHeading;
    // The numbers that reach a present device, as "COM n: /dev/..." lines to pick from.
    std::vector<std::pair<int, std::string>> devices;
};

// The Clone Information window: the overlay's sheet of the radio's identity, with Close.
struct CloneInfoModel {
    std::string caption;
    std::string sheetKey = "GI_Sheet_CloneInfo";
    std::string closeText;
    // The sheet the window shows, and the host that answers its popup menu (the serial
    // number's copy); null when none could be built.
    cuiSheet* sheet = nullptr;
    cuiSheetHost* host = nullptr;
    // The same displays as texts, for the controller's own checks.
    std::vector<std::pair<std::string, std::string>> rows;  // label, text (may hold line breaks)
};

// The measured-values window: the sheet of the values the radio read back, with Update
// and Close.
struct MeasuredValuesModel {
    std::string caption;
    std::string sheetKey = "GI_Sheet_Win_AD";  // its placement is stored under this key
    std::string updateText, closeText;
    // The sheet the window shows (its cells read the values through the value routine);
    // null when none could be built. The window lets go of it when it closes.
    cuiSheet* sheet = nullptr;
    cuiSheetHost* host = nullptr;
    // The values last read, as texts: what the sheet's cells show, for the controller's
    // own checks and for windows without a sheet.
    std::vector<std::pair<std::string, std::string>> rows;  // parameter, value
    std::optional<WinRect> placement;  // the stored size and position, if any
};

class CloneView {
public:
    virtual ~CloneView() = default;
    // Shows the progress window, or repaints it with new figures.
    virtual void showProgress(const CloneProgressModel& model) = 0;
    virtual void hideProgress() = 0;
    // Modal. `accept` is called with the edit's text when the user presses OK: true closes
    // the dialog, false keeps it open with the focus back in the edit field.
    virtual void askComPort(const ComPortDialogModel& model, const std::function<bool(const std::string&)>& accept) = 0;
    virtual void showCloneInformation(const CloneInfoModel& model) = 0;
    // Opens the measured-values window, or brings the open one to the front; later calls
    // show new values.
    virtual void showMeasuredValues(const MeasuredValuesModel& model) = 0;
};

// The COM port number a text names: decimal, blanks around it allowed, 1..256.
std::optional<int> ParseComPortText(const std::string& text);
