#pragma once
// The application controller: owns the radio images, the contents of the main window
// (menu, toolbar, sheet tree, sheet area, status bar), the open sheet and the memory of
// earlier sheet positions, and the program's periodic work. It is written for any radio
// model; indMain specialises it for this family through the virtual operations, which
// keep the slot order of the framework (0 to 18).
//
// The window is a MainView: the controller tells it what to show and receives what the
// user does as MainEvents, so everything here runs and is tested without a display.

#include "app/MainView.h"
#include "app/cmcEvMan.h"
#include "app/indEnviron.h"
#include "comm/cmcTick.h"
#include "image/cmcEeprom.h"
#include "image/cmcIcfFile.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class cmcTask;
class cuiMenu;
class cuiToolBar;
class cuiSheetTree;
class cmcCellObj;
struct cmcCellCapsule;

// Remembered view position of a closed sheet.
struct SheetMemory {
    std::string ref;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
};

// The sheet shown in the right panel. Until sheets are built from the overlay it names
// the sheet it stands for.
struct OpenSheet {
    std::string ref;
    SheetRef parsed;
    enum class Kind { Plain, ChBank, Common, Repeater } kind = Kind::Plain;
    std::int32_t topRow = 0, leftCol = 0, curRow = 0, curCol = 0;
};

class cuiMain : public MainEvents {
public:
    static constexpr std::int32_t kMapSize = cmcEeprom::kImageSize;  // what the EEPROM map needs
    static constexpr int kTickMs = 50;
    static constexpr int kWarningDelayMs = 250;
    static constexpr int kBanks = 128;

    cuiMain(indEnviron& settings, cmcEvMan& events, std::int32_t imageSize);
    ~cuiMain() override;  // slot 0
    cuiMain(const cuiMain&) = delete;
    cuiMain& operator=(const cuiMain&) = delete;

    // --- Virtual operations in slot order (0 is the destructor) ---------------------
    virtual void ResetModelParameters();                                        // 1
    virtual void BuildMainWindow(MainView& view);                               // 2
    virtual void BuildTree();                                                   // 3
    virtual int CheckMakerIdentity(const std::uint8_t* data, std::size_t size, bool withIdentityText);  // 4
    virtual int CheckNewerData(const std::uint8_t* data, std::size_t size);    // 5
    virtual void AfterImageLoaded(cmcEeprom& image);                            // 6
    virtual void NormaliseImage(cmcEeprom& image, bool forWriting);             // 7
    virtual void SpareHook() {}                                                 // 8
    virtual void RunWarningCheck(int& errors, int& warnings);                   // 9
    virtual void CreateSheet(const std::string& ref);                           // 10
    virtual void LoadInitialImage(int modelKind);                               // 11
    virtual void StartCloneWrite() {}                                           // 12
    virtual void CloneWritePhaseTwo(int /*result*/) {}                          // 13
    virtual bool CheckFileCodes(std::int32_t modelCode, std::int32_t extraCode, int& error);  // 14
    virtual AddressRangeList AddressRanges(int rangeKind);                      // 15
    virtual void TypedCharacter(int /*ch*/) {}                                  // 16
    virtual void StatusBarResized() {}                                          // 17
    virtual void DrawStatusPanel() {}                                           // 18

    // --- Image preparation hooks (the model controller packs and unpacks) ---------
    // Fills the working area of an image read from an initial data file.
    virtual void FillWorkingArea(cmcEeprom& /*image*/) {}
    // Packs the working area into the EEPROM part; true when it overflowed.
    virtual bool BuildParameterTable(cmcEeprom& /*image*/, bool /*cloneWrite*/) { return false; }
    // Display text of bank b's label for the tree ("b+1: NAME").
    std::string BankLabel(int bank) const;

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

    // --- File commands -------------------------------------------------------------
    int New();
    int Open();                       // 0 opened; non-zero cancelled or failed (message shown)
    int OpenFile(const std::string& path);
    int OpenRecent(int index);
    platform::DlgAnswer SavePrompt();
    int Save(const std::string& path);
    int SaveAs();
    int SaveCurrent();                // Save to the current file, or Save As while untitled
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

    // --- Sheets and the tree --------------------------------------------------------
    void OpenSheetRef(const std::string& ref);
    void CloseSheet();
    const OpenSheet* Sheet() const { return sheet_.get(); }
    const std::list<SheetMemory>& SheetMemoryList() const { return sheetMemory_; }
    void RequestWarningCheck();
    void Tick();
    void RefreshBankLabels();

    // --- Commands the value routine runs --------------------------------------------
    // Evaluates a cell: Enter (13) runs its command; without a key it only reports the
    // state flags. Returns the routine's result byte.
    int RunCell(cmcCellObj& cell, int key);
    void ExitProgram();
    void SetFontPercentage(int percentage);
    void ToggleToolbar();
    void SetComPort(int port);
    void SetSpeedHigh(int high);
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
    int WarningChecksRun() const { return warningChecksRun_; }
    static std::string ModelFamilyText(int kind);

protected:
    void OnEvent(cmcEvMessage& m);
    void ShowMenus();
    void ShowToolbar();
    // Reads a data file into `target` with the controller's codes and checks; the
    // message of a failure has been shown. Returns the file result code.
    int ReadDataFile(const std::string& path, cmcEeprom& target, int rangeKind);
    platform::DlgAnswer Ask(const std::string& text, platform::DlgIcon icon, platform::DlgButtons buttons);
    void Tell(const std::string& text, platform::DlgIcon icon);

    std::int32_t modelCode_ = 0;
    std::int32_t extraCode_ = 0;
    bool makerMode_ = false;

private:
    static void TickTask(void* self, cmcTask*);
    void TreeSelectionDue();
    void ApplyWarningMarks(const std::vector<std::string>& errors, const std::vector<std::string>& warnings);

    indEnviron& settings_;
    cmcEvMan& events_;
    std::int32_t imageSize_;
    MainView* view_ = nullptr;
    cmcEeprom current_, radio_, saved_, initial_, reference_;
    std::string workingDirectory_;
    std::string dataDirectory_;
    std::string currentFileName_;
    bool modified_ = false;
    bool inactive_ = false;
    StatusModel status_;
    std::unique_ptr<cuiMenu> menu_;
    std::unique_ptr<cuiToolBar> toolbar_;
    std::unique_ptr<cuiSheetTree> tree_;
    std::unique_ptr<OpenSheet> sheet_;
    std::list<SheetMemory> sheetMemory_;
    std::optional<cmcTick> warningDue_;
    std::optional<cmcTick> treeChangeDue_;
    ItemPath pendingTreeNode_;
    cmcTask* tickTask_ = nullptr;
    int warningChecksRun_ = 0;
};
