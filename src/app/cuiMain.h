#pragma once
// The application controller: owns the radio images and the contents of the main window
// (menu, toolbar, sheet tree, sheet area, status bar) and runs the program's periodic
// work. It composes the pieces that have a job of their own: the document service (files),
// the clone session (the radio), the sheet host (the open sheet and the memory of earlier
// positions), the warning check, and the cell context the value routine sees. It is
// written for any radio model; indMain specialises it for this family through the
// virtual operations, which keep the slot order of the framework (0 to 18), and the
// family's data-file rules.
//
// The window is a MainView: the controller tells it what to show and receives what the
// user does as MainEvents, so everything here runs and is tested without a display.

#include "app/CloneSession.h"
#include "app/CloneView.h"
#include "app/DocumentService.h"
#include "app/MainView.h"
#include "app/cmcEvMan.h"
#include "app/cuiSheetHost.h"
#include "app/cuiWarningCheck.h"
#include "app/indEnviron.h"
#include "comm/cmcTick.h"
#include "image/cmcEeprom.h"
#include "platform/Dialogs.h"
#include "values/AdjustmentState.h"

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class cmcTask;
class cuiMenu;
class cuiToolBar;
class cuiSheetTree;
class cmcCellObj;
class cuiCellContext;
class CellContext;

// How a file command ended. A cancelled dialog or prompt is not a failure: a failure has
// shown its message.
enum class [[nodiscard]] FileCommand { Done, Cancelled, Failed };

class cuiMain : public MainEvents {
public:
    static constexpr std::int32_t kMapSize = cmcEeprom::kImageSize;  // what the EEPROM map needs
    static constexpr int kTickMs = 50;

    // `rules` are the family's data-file and image rules (the model controller's).
    cuiMain(indEnviron& settings, cmcEvMan& events, std::int32_t imageSize, std::unique_ptr<DocumentRules> rules);
    ~cuiMain() override;  // slot 0
    cuiMain(const cuiMain&) = delete;
    cuiMain& operator=(const cuiMain&) = delete;

    // --- Virtual operations in slot order (0 is the destructor) ---------------------
    virtual void ResetModelParameters();                                        // 1
    virtual void BuildMainWindow(MainView& view);                               // 2
    virtual void BuildTree();                                                   // 3
    virtual int CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText);  // 4
    virtual int CheckNewerData(const std::uint8_t* data, std::size_t size);    // 5
    // After a data file or a radio's image became the current image; `modelKind` is the
    // kind the image's own bits name.
    virtual void AfterImageLoaded(cmcEeprom& image, int modelKind);             // 6
    virtual void NormaliseImage(cmcEeprom& image, bool forWriting);             // 7
    virtual void SpareHook() {}                                                 // 8
    virtual void RunWarningCheck(int& errors, int& warnings);                   // 9
    virtual void CreateSheet(const std::string& ref);                           // 10
    virtual void LoadInitialImage(int modelKind);                               // 11
    virtual void StartCloneWrite();                                             // 12
    // Told the status of each identification of a clone write.
    virtual void CloneWritePhaseTwo(int /*result*/) {}                          // 13
    virtual bool CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& error);  // 14
    virtual AddressRangeList AddressRanges(int rangeKind);                      // 15
    virtual void TypedCharacter(int /*ch*/) {}                                  // 16
    virtual void StatusBarResized() {}                                          // 17
    virtual void DrawStatusPanel() {}                                           // 18

    // Display text of bank b's label for the tree ("b+1: NAME").
    std::string BankLabel(int bank);

    // --- MainEvents --------------------------------------------------------------
    void OnShow() override;
    void OnMenuClick(const ItemPath& item) override;
    void OnMenuAboutToShow(const ItemPath& item) override;
    void OnToolClick(int button) override;
    void OnTreeSelect(const ItemPath& node) override;
    void OnTreeExpand(const ItemPath& node, bool expanded) override;
    bool OnCloseQuery() override;
    void OnClose() override;
    void OnActivate(bool active) override { inactive_ = !active; }
    void OnCancelClone() override { CancelCloneRead(); }
    void OnMeasuredValuesUpdate() override { UpdateMeasuredValues(); }
    bool OnMeasuredValuesClose(const WinRect& placement) override {
        if (!MayCloseMeasuredValues()) return false;
        MeasuredValuesClosed(placement);
        return true;
    }
    void OnCloneInformationClose() override { CloneInformationClosed(); }

    // --- File commands: the document service with dialogs, recent files and the
    // modified flag on top -----------------------------------------------------------
    FileCommand New();
    FileCommand Open();
    FileCommand OpenFile(const std::string& path);
    FileCommand OpenRecent(int index);
    platform::DlgAnswer SavePrompt();
    FileCommand Save(const std::string& path);
    FileCommand SaveAs();
    FileCommand SaveCurrent();  // Save to the current file, or Save As while untitled
    void MarkSaved();
    void SetCurrentFileName(const std::string& path);
    bool IsUntitled() const { return currentFileName_.empty(); }
    std::string DisplayName() const;
    // Sets the modified flag when the current image differs from the saved one.
    void CheckModified();
    bool Modified() const { return modified_; }
    const std::string& CurrentFileName() const { return currentFileName_; }
    const std::string& WorkingDirectory() const { return workingDirectory_; }
    // Where the initial data files lie: the executable's directory unless a test says otherwise.
    void SetDataDirectory(const std::string& dir) { dataDirectory_ = dir; }
    DocumentService& Documents() { return documents_; }

    // --- Sheets and the tree --------------------------------------------------------
    void OpenSheetRef(const std::string& ref);
    void CloseSheet();
    const OpenSheet* Sheet() const { return sheets_.Sheet(); }
    OpenSheet* Sheet() { return sheets_.Sheet(); }
    const std::list<SheetMemory>& SheetMemoryList() const { return sheets_.Memory(); }
    void RequestWarningCheck() { warningCheck_.Request(); }
    // After a cell changed the image: the modified flag, the menus and toolbar, and the
    // tree's marks follow.
    void AfterCellChange();
    void Tick();
    void RefreshBankLabels();

    // --- Commands the value routine runs --------------------------------------------
    // What the value routine sees of the controller.
    CellContext& Cells();
    // Evaluates a cell: Enter runs its command; without a key it only reports the state
    // flags. Returns the routine's result byte.
    int RunCell(cmcCellObj& cell, int key);
    void ExitProgram();
    void SetFontPercentage(int percentage);
    void ToggleToolbar();
    void SetComPort(int port);
    void SetSpeedHigh(int high);

    // --- Clone commands (cuiMainClone.cpp); each does nothing while a transfer runs ----
    void CloneRead();
    void CloneWrite();
    void CloneInformation();
    void CancelCloneRead() { clone_.CancelRead(); }
    // The COM port selection dialog, and what its OK button does with the edit's text.
    void ComPortDialog();
    bool AcceptComPortText(const std::string& text);
    ComPortDialogModel PortDialogModel() const;
    // The Clone Information window after a successful identification: the overlay's sheet
    // of the radio's identity (opened once; a later identification repaints it).
    static constexpr const char* kCloneInfoSheet = "GI_Sheet_CloneInfo";
    CloneInfoModel CloneInformationModel();
    void CloneInformationClosed() { sheets_.CloseWindowSheet(kCloneInfoSheet); }

    // --- Live adjustment ---------------------------------------------------------------
    // Sends one value to the radio at once. With `awaitReply` the radio's answer is stored
    // at `target`; without, the value itself is. Nothing while a transfer runs or the main
    // window is disabled; returns whether it was sent.
    // After a live request failed, further sends wait for the user (an edit, Update, a
    // procedure started, a radio operation that succeeds): every redraw would otherwise
    // try the missing radio again and show its message again.
    bool SendLiveValue(std::uint8_t itemCode, std::uint8_t value, std::uint8_t* target, bool awaitReply);
    bool LiveHeld() const { return liveHeld_; }
    void ReleaseLiveHold() { liveHeld_ = false; }
    // Sends a list of items ended by code 0xFF, under the same conditions. The entries'
    // values and reply targets must live until the list has been sent.
    bool SendLiveList(std::span<const LiveItem> items);
    // The measured-values window: opened (or brought to the front) and filled from the
    // radio; Update fills it again; Close is refused while a transfer runs.
    static constexpr const char* kMeasuredValuesSheet = "GI_Sheet_Win_AD";
    void OpenMeasuredValues();
    bool MeasuredValuesOpen();
    void UpdateMeasuredValues();
    bool MayCloseMeasuredValues() const { return !clone_.Busy() && (!view_ || view_->isEnabled()); }
    void MeasuredValuesClosed(const WinRect& placement);
    MeasuredValuesModel MeasuredValuesView();
    // The model controller's read-back list, its parameters and the value last read for
    // each; whether one of its procedures asks for the slow item tick.
    virtual std::span<const LiveItem> ReadBackList() { return {}; }
    virtual std::span<const std::uint8_t> ReadBackParameters() const { return {}; }
    virtual std::uint8_t MeasuredValue(int /*parameter*/) const { return 0; }
    virtual bool AdjustmentProcedureRunning() const { return false; }
    // The model controller's live adjustment: the state its cells share with its
    // procedures, and the procedures' starters. The framework has none.
    virtual AdjustmentState* LiveAdjustment() { return nullptr; }
    virtual const AdReadings* LiveReadings() const { return nullptr; }
    virtual void StartAdjustment(AdjustmentProcedure /*p*/) {}
    virtual void StartCalibration(int /*procedureNumber*/) {}
    virtual void ConfirmCalibration() {}
    // A transfer runs or the main window is disabled: no live value can go out.
    bool LinkBusy() const { return clone_.Busy() || (view_ && !view_->isEnabled()); }
    // Told how each live request ended, before the redraw that follows it.
    virtual void LiveRequestEnded(bool /*ok*/) {}
    // Model kinds are the model controller's; the framework has one.
    virtual int ModelKind() const { return 0; }
    virtual void ChangeModel(int /*kind*/, bool /*ask*/) {}

    // --- State ---------------------------------------------------------------------------
    indEnviron& Settings() { return settings_; }
    const indEnviron& Settings() const { return settings_; }
    cmcEvMan& Events() { return events_; }
    MainView* View() { return view_; }
    cmcEeprom& CurrentImage() { return current_; }
    cmcEeprom& RadioImage() { return radio_; }
    cmcEeprom& SavedImage() { return saved_; }
    cmcEeprom& InitialImage() { return initial_; }
    std::int32_t ImageSize() const { return imageSize_; }
    std::int32_t ModelCode() const { return modelCode_; }
    std::int32_t ExtraCode() const { return extraCode_; }
    bool MakerMode() const { return makerMode_; }
    bool Inactive() const { return inactive_; }
    const StatusModel& Status() const { return status_; }
    cuiSheetTree* Tree() { return tree_.get(); }
    int WarningChecksRun() const { return warningCheck_.Runs(); }
    CloneSession& Clone() { return clone_; }

protected:
    void OnEvent(cmcEvMessage& m);
    void ShowMenus();
    void ShowToolbar();
    platform::DlgAnswer Ask(const std::string& text, platform::DlgIcon icon, platform::DlgButtons buttons);
    void Tell(const std::string& text, platform::DlgIcon icon);
    DocumentRules& Rules() { return *rules_; }

    std::int32_t modelCode_ = 0;
    std::int32_t extraCode_ = 0;
    bool makerMode_ = false;

private:
    static void TickTask(void* self, cmcTask*);
    static void ProgressTask(void* self, cmcTask*);
    // Around every clone flow: the main window is disabled while it runs; at its end the
    // message for its status, the window enabled again, the progress window closed.
    void BeginClone();
    void EndClone(const CloneOutcome& outcome);
    void AfterCloneRead(CloneOutcome& outcome);
    void EndLive(const CloneOutcome& outcome);
    bool StartLiveList(std::span<const LiveItem> items, CloneSession::Done done);
    CloneView* Windows() { return view_ ? view_->cloneView() : nullptr; }
    void TreeSelectionDue();
    void ShowTreeMarks(const cuiWarningCheck::Result& result);

    indEnviron& settings_;
    cmcEvMan& events_;
    std::int32_t imageSize_;
    std::unique_ptr<DocumentRules> rules_;
    DocumentService documents_;
    MainView* view_ = nullptr;
    cmcEeprom current_, radio_, saved_, initial_, reference_;
    std::string workingDirectory_;
    std::string dataDirectory_;
    std::string currentFileName_;
    bool modified_ = false;
    bool liveHeld_ = false;
    bool inactive_ = false;
    StatusModel status_;
    std::unique_ptr<cuiMenu> menu_;
    std::unique_ptr<cuiToolBar> toolbar_;
    std::unique_ptr<cuiSheetTree> tree_;
    cuiSheetHost sheets_;
    cuiWarningCheck warningCheck_;
    CloneSession clone_;
    std::optional<cmcTick> treeChangeDue_;
    ItemPath pendingTreeNode_;
    cmcTask* tickTask_ = nullptr;
    cmcTask* progressTask_ = nullptr;  // repaints the progress window every 30 ms
    std::unique_ptr<cuiCellContext> cellContext_;
};
