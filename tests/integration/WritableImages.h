#pragma once
// Images a clone write lets through, and what a radio must hold after one. The initial data
// files program no channel, so the write guards refuse them as they stand.

#include "app/CloneSession.h"
#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "app/ModelRules.h"
#include "image/RecordAccessor.h"
#include "image/cmcIcfFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

inline const std::string kInitialFileDir = std::string(TRELVIX_BIN_DIR) + "/";

// Gives channel 0 of an image of `kind` a receive frequency.
inline void programChannel(cmcEeprom& image, int kind) {
    RecordAccessor channels(image);
    const int record = model::channelRecordKind(kind);
    channels.load(record, 0);
    channels.status |= RecordAccessor::kStatusValid;
    channels.set(Fld::Mch_FreqR, 150'125'000);
    channels.set(Fld::Mch_FreqT, 155'250'000);
    channels.store(record, 0);
}

// Receive tones of a two-tone code, and (when given) its windows, in 0.1 Hz.
struct TwoToneCode {
    int number = 3;
    std::uint16_t first = 10000, second = 2550;
};
inline void setTwoTone(cmcEeprom& image, const TwoToneCode& code) {
    RecordAccessor codes(image);
    codes.load(12, code.number);
    codes.set(Fld::TwoT_RxFreq_1st, code.first);
    codes.set(Fld::TwoT_RxFreq_2nd, code.second);
    codes.store(12, code.number);
}
inline void setWindows(cmcEeprom& image, int number, std::uint16_t lower1, std::uint16_t upper1, std::uint16_t lower2,
                       std::uint16_t upper2) {
    RecordAccessor codes(image);
    codes.load(12, number);
    codes.set(Fld::TwoT_Lower1, lower1);
    codes.set(Fld::TwoT_Upper1, upper1);
    codes.set(Fld::TwoT_Lower2, lower2);
    codes.set(Fld::TwoT_Upper2, upper2);
    codes.store(12, number);
}

// An image as Open loads `file` (with the initial image of its kind, and the kind).
struct OpenedFile {
    cmcEeprom image;
    cmcEeprom initial{cmcEeprom::kImageSize};
    int kind = -1;
};
inline OpenedFile openFile(const std::string& file) {
    FamilyRules rules;
    DocumentService documents(rules);
    LoadResult loaded = documents.Load(file, cmcEeprom(cmcEeprom::kImageSize));
    EXPECT_TRUE(loaded.ok()) << file;
    OpenedFile opened;
    opened.kind = loaded.modelKind;
    // The initial data files are named after the kinds' family texts.
    const std::string initial = kInitialFileDir + "Init_" + model::familyText(opened.kind) + ".tdf";
    EXPECT_EQ(documents.ReadInitialImage(initial, opened.initial), 0) << initial;
    documents.PrepareLoaded(loaded.image, opened.initial, opened.kind);
    opened.image = std::move(loaded.image);
    return opened;
}

// The initial data file `source` (a file name beside the program) with channel 0 programmed
// and, when given, a two-tone code's tones set (its windows left as they were), saved at
// `path` as the program saves.
inline std::string writableFile(const std::string& path, const std::string& source = "Init_LMR_Mob.tdf",
                                std::optional<TwoToneCode> code = std::nullopt) {
    OpenedFile opened = openFile(kInitialFileDir + source);
    programChannel(opened.image, opened.kind);
    if (code) setTwoTone(opened.image, *code);
    FamilyRules rules;
    DocumentService documents(rules);
    EXPECT_TRUE(documents.Save(path, opened.image, opened.initial, opened.kind).ok()) << path;
    return path;
}

// The EEPROM part of a data file, whatever its header says.
inline cmcEeprom eepromOf(const std::string& path) {
    static const AddressRange whole[] = {{0x0000, 0xFF7F}, {1, 0}};
    cmcEeprom image(cmcEeprom::kEepromSize);
    cmcIcfFile file(image);
    file.SetShowMessages(false);
    file.SetCodes(0x2897, 0);
    file.SetMapRevisionCheck([](std::int32_t) { return true; });
    EXPECT_EQ(file.Read(path, whole), FileError::Ok) << path;
    return image;
}

// What a radio must hold after writing `image` of `kind`: the copy prepared as the program
// prepares it, with the two-tone windows given by hand and the radio's level at 0x108. The
// addresses of the write range where the radio's bytes differ from it.
inline std::vector<std::int32_t> differencesFromPrepared(const cmcEeprom& radio, cmcEeprom image,
                                                         const cmcEeprom& initial, int kind, std::uint8_t level) {
    FamilyRules rules;
    CloneSession session(rules, cmcEeprom::kImageSize);
    CloneSession::WriteRequest request;
    request.image = &image;
    request.initial = &initial;
    request.modelKind = kind;
    const auto plan = session.PrepareWrite(request);
    EXPECT_TRUE(plan);
    if (!plan) return {-1};
    std::vector<std::int32_t> differ;
    const AddressRange range = plan->ranges.front();
    for (std::int32_t a = range.start; a <= range.end; ++a) {
        const std::uint8_t expected = a == CloneSession::kLevelAddress ? level : plan->image.GetByte(a);
        if (radio.GetByte(a) != expected) differ.push_back(a);
    }
    return differ;
}

// The lines of a radio's frame trace (empty when the file is empty or missing).
inline std::vector<std::string> traceLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A write refused after the radio identified itself: the radio heard one identification
// and the speed setting around it, and nothing else.
inline void ExpectOnlyOneIdentification(const std::string& tracePath) {
    const std::vector<std::string> frames = traceLines(tracePath);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "E0"), 1) << "one identification";
    for (const std::string& frame : frames) {
        EXPECT_TRUE(frame == "E0" || frame.rfind("E8 ", 0) == 0) << "only the identification and its speed: " << frame;
    }
}

}  // namespace testsupport
