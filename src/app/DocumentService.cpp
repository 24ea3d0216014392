#include "app/DocumentService.h"

#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"

namespace {

void TrimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

}  // namespace

int DocumentService::Read(const std::string& path, cmcEeprom& target, int rangeKind) const {
    // The reader restores the image on failure; reading into a copy keeps even that
    // promise out of the caller's way.
    cmcEeprom scratch(target);
    cmcIcfFile file(scratch);
    file.SetShowMessages(false);
    file.SetCodes(rules_.ModelCode(), rules_.ExtraCode());
    file.SetHeaderCheck([this](std::int32_t model, std::int32_t extra, int& code) {
        return rules_.CheckFileCodes(model, extra, code);
    });
    file.SetMapRevisionCheck([this](std::int32_t revision) { return rules_.CheckMapRevision(revision); });
    const AddressRangeList ranges = rules_.AddressRanges(rangeKind);
    const int code = file.Read(path, ranges);
    if (code == 0) target.Assign(scratch);
    return code;
}

int DocumentService::ReadInitialImage(const std::string& path, cmcEeprom& target) const {
    const int code = Read(path, target, static_cast<int>(RangeKind::InitialLoad));
    if (code == 0) rules_.FillWorkingArea(target);
    return code;
}

LoadResult DocumentService::Load(const std::string& path, const cmcEeprom& base) const {
    LoadResult result;
    result.image.Assign(base);
    result.code = Read(path, result.image, static_cast<int>(RangeKind::InitialLoad));
    if (result.ok()) result.modelKind = rules_.RebuildWorkingArea(result.image);
    return result;
}

void DocumentService::PrepareLoaded(cmcEeprom& image, const cmcEeprom& initial, int kind) const {
    rules_.NormaliseImage(image, initial, kind, false);
    // A file the radio's own packing produced always fits again.
    static_cast<void>(rules_.BuildParameterTable(image, false));
}

SaveResult DocumentService::Save(const std::string& path, const cmcEeprom& image, const cmcEeprom& initial,
                                 int kind) const {
    SaveResult result;
    result.packed.Assign(image);
    rules_.NormaliseImage(result.packed, initial, kind, true);
    if (rules_.BuildParameterTable(result.packed, false)) {
        result.outcome = SaveResult::Outcome::Overflow;
        return result;
    }
    cmcIcfFile file(result.packed);
    file.SetShowMessages(false);
    file.SetCodes(rules_.ModelCode(), rules_.ExtraCode());
    file.SetMapRevision(rules_.MapRevision());
    file.SetComment(CommentOf(result.packed));
    const AddressRangeList ranges = rules_.AddressRanges(static_cast<int>(RangeKind::Save));
    result.code = file.Write(path, ranges);
    if (result.code != 0) result.outcome = SaveResult::Outcome::WriteFailed;
    return result;
}

std::string DocumentService::CommentOf(const cmcEeprom& image) {
    // Only printable characters go into the file's comment line; the two texts are joined
    // after the first is trimmed, so "SITE A" and "NORTH" read "SITE ANORTH" as the radio
    // shows them side by side.
    auto text = [&](std::int32_t address) {
        std::string s;
        for (int i = 0; i < RecordAccessor::kCommentLength; ++i) {
            const std::uint8_t c = image.IsValidIndex(address + i) ? image.GetByte(address + i) : 0x20;
            s += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : ' ';
        }
        TrimRight(s);
        return s;
    };
    std::string comment = text(RecordAccessor::kComment1);
    comment += text(RecordAccessor::kComment2);
    TrimRight(comment);
    return comment;
}
