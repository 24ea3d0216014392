#include "CloneTool.h"

#include "app/CloneWriteGuards.h"
#include "app/ModelRules.h"
#include "image/FileMessages.h"
#include "image/cmcIcfFile.h"
#include "image/RadioText.h"
#include "image/RecordAccessor.h"
#include "overlay/cmcGTex.h"
#include "platform/FatalStop.h"
#include "values/CloneInfoText.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>

namespace {

std::string Hex4(std::int32_t v) {
    char t[8];
    std::snprintf(t, sizeof t, "%04X", static_cast<unsigned>(v & 0xFFFF));
    return t;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            default:
                if (c < 0x20) {
                    char t[8];
                    std::snprintf(t, sizeof t, "\\u%04X", c);
                    out += t;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string TrimmedRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string Lines(const std::string& text, const std::string& separator) {
    std::string out = text;
    for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + separator.size())) {
        out.replace(at, 1, separator);
    }
    return out;
}

}  // namespace

CloneTool::CloneTool(platform::PollLoop& loop, std::ostream& out, std::ostream& err)
    : loop_(loop), out_(out), err_(err), session_(rules_, cmcEeprom::kImageSize) {}

void CloneTool::Interrupt() {
    interrupted_ = true;
    session_.CancelAny();
}

bool CloneTool::UsePort(const std::string& port) {
    static const std::regex com("[Cc][Oo][Mm]([0-9]{1,3})");
    std::smatch m;
    if (std::regex_match(port, m, com)) {
        const int n = std::stoi(m[1].str());
        if (n < 1 || n > 256) return false;
        return session_.UsePort(n);
    }
    return !port.empty() && session_.UsePortPath(port);
}

void CloneTool::DrawProgress(bool last) {
    if (!progressBar_) return;
    const CloneProgress p = session_.Progress();
    if (!p.visible && !last) return;
    const int cells = std::min(p.Filled(), CloneProgress::kCells);
    if (cells == lastCells_ && !last) return;
    lastCells_ = cells;
    const int percent = p.total > 0 ? static_cast<int>(100LL * p.done / p.total) : 0;
    err_ << "\r[" << std::string(static_cast<std::size_t>(cells), '#')
         << std::string(static_cast<std::size_t>(CloneProgress::kCells - cells), '.') << "] " << percent << "%";
    if (last) err_ << "\n";
    err_.flush();
}

CloneOutcome CloneTool::Run(const std::function<bool(CloneSession::Done)>& start) {
    std::optional<CloneOutcome> outcome;
    if (!start([&](CloneOutcome& o) { outcome = std::move(o); })) {
        CloneOutcome refused;
        refused.status = CloneStatus::PortOpen;
        return refused;
    }
    auto bar = loop_.createTimer([this] { DrawProgress(false); });
    if (progressBar_) bar->start(100);
    while (!outcome) loop_.runOnce(100);
    bar->stop();
    if (lastCells_ >= 0) DrawProgress(true);
    return std::move(*outcome);
}

int CloneTool::ExitStatus(const CloneOutcome& outcome) {
    if (!outcome.message.empty()) err_ << outcome.message << "\n";
    if (outcome.status == CloneStatus::Cancelled || interrupted_) return kInterrupted;
    if (outcome.declined) return kDeclined;
    return static_cast<int>(outcome.status);
}

bool CloneTool::InitialImage(int kind, cmcEeprom& image) {
    std::string dir = platform::executableDirectory();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string path = dir + GTex().GetLine("GI_App_InitialFile", kind);
    image.Resize(cmcEeprom::kImageSize);
    if (const int code = documents_.ReadInitialImage(path, image); code != 0) {
        err_ << overlayBlock(fileErrorKey(code)) << "\n" << path << "\n";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- identify

int CloneTool::Identify(const std::string& port, bool json) {
    if (!UsePort(port)) return kUsageError;
    const CloneOutcome outcome = Run([this](CloneSession::Done d) { return session_.Identify(std::move(d)); });
    if (!outcome.ok()) return ExitStatus(outcome);
    const CloneIdentity& id = *session_.LastIdentity();
    const cloneinfo::Block b(id.block);
    const std::string model = Lines(cloneinfo::Model(b), ", ");
    const std::vector<std::string> options = cloneinfo::Options(b);
    const AddressRangeList range = session_.ReadRanges(id.EndAddress());
    const std::string first = Hex4(range.front().start), last = Hex4(range.front().end);
    struct Field {
        const char* name;
        std::string value;
    };
    const Field fields[] = {
        {"model", model},
        {"modelCode", Hex4(id.modelCode)},
        {"revision", cloneinfo::Revision(b)},
        {"serialNumber", cloneinfo::SerialNumber(b)},
        {"comment1", TrimmedRight(cloneinfo::Comment(b, 1))},
        {"comment2", TrimmedRight(cloneinfo::Comment(b, 2))},
        {"overVoltage", cloneinfo::OverVoltage(b)},
        {"checksum", cloneinfo::CheckSum(b)},
    };
    if (json) {
        out_ << "{";
        for (const Field& f : fields) out_ << JsonString(f.name) << ":" << JsonString(f.value) << ",";
        out_ << "\"options\":[";
        for (std::size_t i = 0; i < options.size(); ++i) out_ << (i ? "," : "") << JsonString(options[i]);
        out_ << "],\"addressRange\":{\"start\":" << JsonString(first) << ",\"end\":" << JsonString(last) << "}}\n";
    } else {
        for (const Field& f : fields) out_ << f.name << ": " << f.value << "\n";
        std::string joined;
        for (const std::string& o : options) joined += (joined.empty() ? "" : "; ") + o;
        out_ << "options: " << joined << "\n" << "addressRange: " << first << "-" << last << "\n";
    }
    return 0;
}

// ---------------------------------------------------------------- read

int CloneTool::Read(const std::string& port, const std::string& outFile) {
    if (!UsePort(port)) return kUsageError;
    // The same checks as the program's read: the maker identity against an image of this
    // family, then the newer-data lock.
    cmcEeprom reference;
    if (!InitialImage(model::kDefaultKind, reference)) return FileError::FileOpen;
    session_.SetImageCheck([&reference](const cmcEeprom& received) {
        if (model::checkMakerIdentity(received, reference, true) != 0) return CloneStatus::ImageCheck;
        if (model::newerDataLocked(received.Data(), static_cast<std::size_t>(received.Size())))
            return CloneStatus::NewerData;
        return CloneStatus::Success;
    });
    CloneOutcome outcome = Run([this](CloneSession::Done d) { return session_.Read(std::move(d)); });
    if (!outcome.ok() || interrupted_) return ExitStatus(outcome);
    // The kind the image's own bits name, prepared with that kind's initial image and saved
    // as the program's Save does: atomically, so a failure leaves no partial file.
    cmcEeprom image = std::move(outcome.image);
    int kind = rules_.RebuildWorkingArea(image);
    if (!model::isKind(kind)) kind = model::kDefaultKind;
    cmcEeprom initial;
    if (!InitialImage(kind, initial)) return FileError::FileOpen;
    documents_.PrepareLoaded(image, initial, kind);
    const SaveResult saved = documents_.Save(outFile, image, initial, kind);
    if (saved.outcome == SaveResult::Outcome::Overflow) {
        err_ << GTex().GetBlock("GI_AppMess_SaveOverflow") << "\n";
        return FileError::FileAccess;
    }
    if (!saved.ok()) {
        err_ << overlayBlock(fileErrorKey(saved.code)) << "\n";
        return saved.code;
    }
    return 0;
}

// ---------------------------------------------------------------- write

int CloneTool::LoadFile(const std::string& file, LoadResult& loaded, cmcEeprom& initial) {
    // As the program's Open: the file's checks, then the model kind from the file itself.
    loaded = documents_.Load(file, cmcEeprom(cmcEeprom::kImageSize));
    if (!loaded.ok()) {
        err_ << overlayBlock("GI_Mess_FileErr_Headline") << "\n" << overlayBlock(fileErrorKey(loaded.code)) << "\n";
        return loaded.code;
    }
    if (!model::isKind(loaded.modelKind)) loaded.modelKind = model::kDefaultKind;
    if (!InitialImage(loaded.modelKind, initial)) return FileError::FileOpen;
    documents_.PrepareLoaded(loaded.image, initial, loaded.modelKind);
    return 0;
}

int CloneTool::Write(const std::string& port, const std::string& inFile, bool highSpeed) {
    if (!UsePort(port)) return kUsageError;
    LoadResult loaded;
    cmcEeprom initial;
    if (const int code = LoadFile(inFile, loaded, initial); code != 0) return code;
    if (interrupted_) return kInterrupted;
    // The program's guards, before the port is touched.
    const std::string refused = clonewrite::refusal(
        loaded.image, [&] { return clonewrite::warningErrors(loaded.image, loaded.modelKind); });
    if (!refused.empty()) {
        err_ << GTex().GetBlock(refused) << "\n";
        return kDeclined;
    }
    CloneSession::WriteRequest request;
    request.image = &loaded.image;
    request.initial = &initial;
    request.modelKind = loaded.modelKind;
    request.handheld = !model::isMobile(loaded.modelKind);
    request.highSpeed = highSpeed;
    request.confirm = [](const CloneIdentity&) { return true; };  // --yes
    const CloneOutcome outcome =
        Run([this, &request](CloneSession::Done d) { return session_.Write(request, std::move(d)); });
    if (outcome.ok()) out_ << GTex().GetBlock("GI_Mess_CloneWrite_Succeeded") << "\n";
    return ExitStatus(outcome);
}

// ---------------------------------------------------------------- check and list

int CloneTool::Check(const std::string& file) {
    LoadResult loaded;
    cmcEeprom initial;
    if (const int code = LoadFile(file, loaded, initial); code != 0) return code;
    out_ << file << ": " << Lines(GTex().GetLine("GI_AppInd_ModelTree", loaded.modelKind), "") << "\n";
    return 0;
}

int CloneTool::List(const std::string& file) {
    LoadResult loaded;
    cmcEeprom initial;
    if (const int code = LoadFile(file, loaded, initial); code != 0) return code;
    // The channels of the banks in bank order; a channel is in use when it has a receive
    // frequency.
    RecordAccessor records(loaded.image);
    const int kind = model::channelRecordKind(loaded.modelKind);
    for (int n = 0; n < records.totalChannels(); ++n) {
        if (!records.channelValid(n)) continue;
        records.load(kind, n);
        char line[128];
        std::snprintf(line, sizeof line, "%3d  bank %3d  %-16s  RX %11.6f  TX %11.6f", n + 1,
                      records.bankOfChannel(n) + 1, TrimmedRight(radioToDisplay(records.name)).c_str(),
                      records.get(Fld::Mch_FreqR) / 1e6, records.get(Fld::Mch_FreqT) / 1e6);
        out_ << line << "\n";
    }
    return 0;
}
