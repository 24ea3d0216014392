// File commands of the controller: the initial image, New, the save prompt, Save, Save
// As, Open and the recent files, the display name and the working directory.

#include "app/cuiMain.h"

#include "image/RadioText.h"
#include "platform/FatalStop.h"
#include "overlay/cmcGTex.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;
using platform::DlgAnswer;
using platform::DlgButtons;
using platform::DlgIcon;

namespace {

constexpr std::int32_t kMapRevision = 5;
constexpr std::int32_t kComment1 = 0x16A89;  // the radio's two 16-character comment texts
constexpr std::int32_t kComment2 = 0x16A99;
constexpr std::int32_t kCommentLength = 16;
constexpr std::int32_t kBankNames = 0x16DF9;  // 12 characters a bank

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

void TrimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
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

int cuiMain::ReadDataFile(const std::string& path, cmcEeprom& target, int rangeKind) {
    cmcIcfFile file(target);
    file.SetCodes(modelCode_, extraCode_);
    file.SetHeaderCheck([this](std::int32_t model, std::int32_t extra, int& code) {
        return CheckFileCodes(model, extra, code);
    });
    file.SetMapRevisionCheck([](std::int32_t revision) { return revision == kMapRevision; });
    const AddressRangeList ranges = AddressRanges(rangeKind);
    return file.Read(path, ranges);
}

void cuiMain::LoadInitialImage(int modelKind) {
    std::string dir = dataDirectory_.empty() ? platform::executableDirectory() : dataDirectory_;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string path = dir + GTex().GetLine("GI_App_InitialFile", modelKind);
    if (ReadDataFile(path, initial_, 3) != FileError::Ok)
        platform::fatalStop(platform::formatOne("Cannot open '%s'.", path));
}

std::string cuiMain::BankLabel(int bank) const {
    // "n: NAME" with the bank's 12-character name in the radio's character codes.
    std::string codes(12, '\0');
    current_.ReadBlock(kBankNames + 12 * bank, codes.data(), 12);
    std::string name = radioToDisplay(codes);
    TrimRight(name);
    return std::to_string(bank + 1) + ": " + name;
}

void cuiMain::RefreshBankLabels() {
    if (current_.Size() < kBankNames + 12 * kBanks) return;
    for (int b = 0; b < kBanks; ++b) events_.PostText(EvMsg::BankName, 0, b, BankLabel(b));
}

int cuiMain::New() {
    if (SavePrompt() == DlgAnswer::Cancel) return 1;
    current_.Assign(initial_);
    radio_.Assign(initial_);
    BuildParameterTable(current_, false);
    MarkSaved();
    SetCurrentFileName("");
    CloseSheet();  // the tick reopens the tree's sheet
    RefreshBankLabels();
    return 0;
}

DlgAnswer cuiMain::SavePrompt() {
    events_.Send(EvMsg::CommitEdit);
    CheckModified();
    if (!modified_) return DlgAnswer::Yes;
    const std::string text =
        platform::formatOne(GTex().GetLine("GI_Mess_Confirm_WriteFile", 0), FileNamePart(DisplayName()));
    const DlgAnswer answer = Ask(text, DlgIcon::Warning, DlgButtons::YesNoCancel);
    if (answer != DlgAnswer::Yes) return answer;
    return SaveCurrent() == 0 ? DlgAnswer::Yes : DlgAnswer::Cancel;
}

int cuiMain::SaveCurrent() { return IsUntitled() ? SaveAs() : Save(currentFileName_); }

int cuiMain::SaveAs() {
    platform::FileRequest request;
    request.title = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    request.defaultExtension = GTex().GetLine("GI_Sys_Dialog_FOpen", 0);
    request.filters = platform::FileFiltersFromPairs(GTex().GetLine("GI_Sys_Dialog_FOpen", 1));
    request.fileName = IsUntitled() ? "Untitled" : FileNamePart(currentFileName_);
    request.directory = workingDirectory_;
    auto path = platform::dialogs().saveFile(request);
    if (!path) return 1;
    return Save(*path);
}

int cuiMain::Save(const std::string& path) {
    events_.Send(EvMsg::CommitEdit);
    // Packing works on a copy: an image that does not fit is refused before anything
    // is written, and the user's image stays exactly as it was.
    cmcEeprom packed(current_);
    NormaliseImage(packed, true);
    if (BuildParameterTable(packed, false)) {
        Tell(GTex().GetBlock("GI_AppMess_SaveOverflow"), DlgIcon::Error);
        return FileError::FileAccess;
    }
    std::string comment1, comment2;
    for (int i = 0; i < kCommentLength; ++i) {
        auto printable = [](std::uint8_t c) { return (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : ' '; };
        comment1 += printable(packed.GetByte(kComment1 + i));
        comment2 += printable(packed.GetByte(kComment2 + i));
    }
    TrimRight(comment1);
    std::string comment = comment1 + comment2;
    TrimRight(comment);

    cmcIcfFile file(packed);
    file.SetCodes(modelCode_, extraCode_);
    file.SetMapRevision(kMapRevision);
    file.SetComment(comment);
    const int code = file.Write(path, AddressRanges(2));
    if (code != FileError::Ok) return code;

    current_.Assign(packed);
    workingDirectory_ = fs::path(path).parent_path().string();
    settings_.currentDirectory = workingDirectory_;
    SetCurrentFileName(path);
    settings_.RecentAddFront(path);
    MarkSaved();
    if (menu_) ShowMenus();  // the recent files submenu changed
    return 0;
}

int cuiMain::Open() {
    if (SavePrompt() == DlgAnswer::Cancel) return 1;
    platform::FileRequest request;
    request.title = GTex().GetLine("GI_Sys_AppTitle_ADJ", 0);
    request.defaultExtension = GTex().GetLine("GI_Sys_Dialog_FOpen", 0);
    request.filters = platform::FileFiltersFromPairs(GTex().GetLine("GI_Sys_Dialog_FOpen", 1));
    request.directory = workingDirectory_;
    auto path = platform::dialogs().openFile(request);
    if (!path) return 1;
    return OpenFile(*path);
}

int cuiMain::OpenRecent(int index) {
    const std::string path = settings_.RecentItem(index);
    if (path.empty()) return 1;
    if (SavePrompt() == DlgAnswer::Cancel) return 1;
    return OpenFile(path);
}

int cuiMain::OpenFile(const std::string& path) {
    // Read into a scratch image: a file that fails any check leaves the user's image,
    // file name and flags untouched (the message has been shown).
    cmcEeprom loaded(current_);
    const int code = ReadDataFile(path, loaded, 3);
    if (code != FileError::Ok) return code;
    current_.Assign(loaded);
    AfterImageLoaded(current_);
    BuildParameterTable(current_, false);
    workingDirectory_ = fs::path(path).parent_path().string();
    settings_.currentDirectory = workingDirectory_;
    settings_.RecentAddFront(path);
    SetCurrentFileName(path);
    MarkSaved();
    CloseSheet();
    RefreshBankLabels();
    if (menu_) ShowMenus();
    return 0;
}
