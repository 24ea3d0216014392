// File commands of the controller: the initial image, New, the save prompt, Save, Save
// As, Open and the recent files, the display name and the working directory. The document
// service reads and writes; this adds the dialogs, the messages, the recent files and the
// modified flag.

#include "app/cuiMain.h"

#include "image/RadioText.h"
#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"
#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"

#include <filesystem>

namespace fs = std::filesystem;
using platform::DlgAnswer;
using platform::DlgButtons;
using platform::DlgIcon;

namespace {

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

void TrimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

platform::FileRequest DataFileRequest(const std::string& directory) {
    platform::FileRequest request;
    request.title = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    request.defaultExtension = GTex().GetLine("GI_Sys_Dialog_FOpen", 0);
    request.filters = platform::FileFiltersFromPairs(GTex().GetLine("GI_Sys_Dialog_FOpen", 1));
    request.directory = directory;
    return request;
}

}  // namespace

std::string cuiMain::DisplayName() const {
    if (!currentFileName_.empty()) return currentFileName_;
    std::string dir = workingDirectory_;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "Untitled";
}

void cuiMain::MarkSaved() {
    saved_.Assign(current_);
    modified_ = false;
    if (view_) view_->setTitle(GTex().GetLine("GI_Sys_AppTitle_ADJ", 0));
}

void cuiMain::SetCurrentFileName(const std::string& path) {
    currentFileName_ = path;
    if (view_) view_->setTitle(GTex().GetLine("GI_Sys_AppTitle_ADJ", 0));
}

void cuiMain::CheckModified() {
    // Only the current image's own bytes count: a save or New resets the comparison.
    if (!modified_ && !current_.Equals(saved_)) modified_ = true;
}

void cuiMain::AfterCellChange() {
    liveHeld_ = false;  // the user changed something: the radio is tried again
    CheckModified();
    ShowMenus();
    ShowToolbar();
    warningCheck_.Request();
}

void cuiMain::LoadInitialImage(int modelKind) {
    std::string dir = dataDirectory_.empty() ? platform::executableDirectory() : dataDirectory_;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string path = dir + GTex().GetLine("GI_App_InitialFile", modelKind);
    // Without its initial image the program has nothing to show or to build on.
    if (const int code = documents_.ReadInitialImage(path, initial_); code != FileError::Ok) {
        cmcIcfFile::ShowMessage(code);
        platform::fatalStop(platform::formatOne("Cannot open '%s'.", path));
    }
}

std::string cuiMain::BankLabel(int bank) {
    // "n: NAME" with the bank's 12-character name in the radio's character codes.
    RecordAccessor banks(current_);
    std::string name = radioToDisplay(banks.load(RecordAccessor::kBankOperationKind, bank).name);
    TrimRight(name);
    return std::to_string(bank + 1) + ": " + name;
}

void cuiMain::RefreshBankLabels() {
    if (current_.Size() < kMapSize) return;
    for (int b = 0; b < RecordAccessor::kBanks; ++b) events_.PostText(EvMsg::BankName, 0, b, BankLabel(b));
}

FileCommand cuiMain::New() {
    if (SavePrompt() == DlgAnswer::Cancel) return FileCommand::Cancelled;
    current_.Assign(initial_);
    radio_.Assign(initial_);
    static_cast<void>(rules_->BuildParameterTable(current_, false));
    MarkSaved();
    SetCurrentFileName("");
    CloseSheet();  // the tick reopens the tree's sheet
    RefreshBankLabels();
    return FileCommand::Done;
}

DlgAnswer cuiMain::SavePrompt() {
    events_.Send(EvMsg::CommitEdit);
    CheckModified();
    if (!modified_) return DlgAnswer::Yes;
    const std::string text =
        platform::formatOne(GTex().GetLine("GI_Mess_Confirm_WriteFile", 0), FileNamePart(DisplayName()));
    const DlgAnswer answer = Ask(text, DlgIcon::Warning, DlgButtons::YesNoCancel);
    if (answer != DlgAnswer::Yes) return answer;
    return SaveCurrent() == FileCommand::Done ? DlgAnswer::Yes : DlgAnswer::Cancel;
}

FileCommand cuiMain::SaveCurrent() { return IsUntitled() ? SaveAs() : Save(currentFileName_); }

FileCommand cuiMain::SaveAs() {
    platform::FileRequest request = DataFileRequest(workingDirectory_);
    request.fileName = IsUntitled() ? "Untitled" : FileNamePart(currentFileName_);
    auto path = platform::dialogs().saveFile(request);
    if (!path) return FileCommand::Cancelled;
    return Save(*path);
}

FileCommand cuiMain::Save(const std::string& path) {
    events_.Send(EvMsg::CommitEdit);
    // The service packs a copy: an image that does not fit is refused before anything is
    // written, and the user's image stays exactly as it was.
    const SaveResult result = documents_.Save(path, current_, initial_, ModelKind());
    switch (result.outcome) {
        case SaveResult::Outcome::Overflow:
            Tell(GTex().GetBlock("GI_AppMess_SaveOverflow"), DlgIcon::Error);
            return FileCommand::Failed;
        case SaveResult::Outcome::WriteFailed:
            cmcIcfFile::ShowMessage(result.code);
            return FileCommand::Failed;
        case SaveResult::Outcome::Saved: break;
    }
    current_.Assign(result.packed);
    workingDirectory_ = fs::path(path).parent_path().string();
    settings_.currentDirectory = workingDirectory_;
    SetCurrentFileName(path);
    settings_.RecentAddFront(path);
    MarkSaved();
    if (menu_) ShowMenus();  // the recent files submenu changed
    return FileCommand::Done;
}

FileCommand cuiMain::Open() {
    if (SavePrompt() == DlgAnswer::Cancel) return FileCommand::Cancelled;
    auto path = platform::dialogs().openFile(DataFileRequest(workingDirectory_));
    if (!path) return FileCommand::Cancelled;
    return OpenFile(*path);
}

FileCommand cuiMain::OpenRecent(int index) {
    const std::string path = settings_.RecentItem(index);
    if (path.empty()) return FileCommand::Cancelled;
    if (SavePrompt() == DlgAnswer::Cancel) return FileCommand::Cancelled;
    return OpenFile(path);
}

FileCommand cuiMain::OpenFile(const std::string& path) {
    // The service reads into an image of its own: a file that fails any check leaves the
    // user's image, file name and flags untouched.
    LoadResult loaded = documents_.Load(path, current_);
    if (!loaded.ok()) {
        cmcIcfFile::ShowMessage(loaded.code);
        return FileCommand::Failed;
    }
    current_.Assign(loaded.image);
    AfterImageLoaded(current_, loaded.modelKind);
    workingDirectory_ = fs::path(path).parent_path().string();
    settings_.currentDirectory = workingDirectory_;
    settings_.RecentAddFront(path);
    SetCurrentFileName(path);
    MarkSaved();
    CloseSheet();
    RefreshBankLabels();
    if (menu_) ShowMenus();
    return FileCommand::Done;
}
