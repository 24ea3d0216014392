// The guards before a clone write: an image without a programmed channel, and one the
// warning check finds errors in, are refused with their texts; a clean image passes.

#include "app/CloneWriteGuards.h"
#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "app/ModelRules.h"
#include "image/RecordAccessor.h"
#include "overlay/cmcGTex.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::int32_t kChannels = 0xFF80;  // 30-byte main records; bytes 0..3 the receive frequency

// An image whose banks hold `bankCounts` channels, channel `channel` with the first and
// last byte of its receive frequency given.
cmcEeprom WithChannel(std::vector<int> bankCounts, int channel, std::uint8_t b0, std::uint8_t b3) {
    cmcEeprom image(cmcEeprom::kImageSize);
    RecordAccessor banks(image);
    for (std::size_t b = 0; b < bankCounts.size(); ++b) banks.setBankCount(static_cast<int>(b), bankCounts[b]);
    image.SetByte(kChannels + 30 * channel, b0);
    image.SetByte(kChannels + 30 * channel + 3, b3);
    return image;
}

TEST(CloneWriteGuardsTest, AChannelIsProgrammedWhenABankHoldsItAndItHasAReceiveFrequency) {
    std::vector<int> lastBankFull(128, 0);
    lastBankFull[127] = 512;
    struct Case {
        const char* what;
        cmcEeprom image;
        bool programmed;
    } cases[] = {
        {"no channel", cmcEeprom(cmcEeprom::kImageSize), false},
        {"channel 0 with only its inhibit bit", WithChannel({1}, 0, 0x80, 0x00), false},
        {"channel 0, 0.000001 MHz", WithChannel({1}, 0, 0x00, 0x01), true},
        {"channel 511, in the last bank", WithChannel(lastBankFull, 511, 0x08, 0x00), true},
        {"channel 5, outside every bank", WithChannel({2, 3}, 5, 0x08, 0x00), false},
    };
    for (Case& c : cases) EXPECT_EQ(clonewrite::hasProgrammedChannel(c.image), c.programmed) << c.what;
}

TEST(CloneWriteGuardsTest, RefusalsInTheirOrder) {
    int checks = 0;
    auto errors = [&](int n) {
        return [&checks, n] {
            ++checks;
            return n;
        };
    };
    cmcEeprom none(cmcEeprom::kImageSize);
    EXPECT_EQ(clonewrite::refusal(none, errors(1)), "GI_AppMess_CloneErr_NoActualCh");
    EXPECT_EQ(checks, 0) << "without a channel there is nothing for the warning check to look at";

    cmcEeprom one = WithChannel({8}, 7, 0x09, 0x40);
    EXPECT_EQ(clonewrite::refusal(one, errors(1)), "GI_Mess_DataError");
    EXPECT_EQ(clonewrite::refusal(one, errors(0)), "");
    EXPECT_EQ(checks, 2);
}

// The warning check outside the program: the check cells of the product overlay run on the
// image alone, and the initial image of every kind, with a channel, has no error.
TEST(CloneWriteGuardsTest, TheInitialImagesPassTheWarningCheckOnTheirOwn) {
    cmcGTex overlay;
    overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    ScopedGTex install(overlay);
    FamilyRules rules;
    DocumentService documents(rules);
    for (int kind = 0; kind < model::kKinds; ++kind) {
        cmcEeprom image(cmcEeprom::kImageSize);
        const std::string file =
            std::string(TRELVIX_SOURCE_DIR) + "/data/" + GTex().GetLine("GI_App_InitialFile", kind);
        ASSERT_EQ(documents.ReadInitialImage(file, image), 0) << file;
        RecordAccessor channels(image);
        channels.load(model::channelRecordKind(kind), 0);
        channels.status |= RecordAccessor::kStatusValid;
        channels.set(Fld::Mch_FreqR, 150'125'000);
        channels.store(model::channelRecordKind(kind), 0);
        EXPECT_EQ(clonewrite::warningErrors(image, kind), 0) << kind;
        EXPECT_EQ(clonewrite::refusal(image, [&] { return clonewrite::warningErrors(image, kind); }), "") << kind;
    }
}

}  // namespace
