#pragma once
// A sheet's surroundings for the benchmarks: the product overlay, an image whose bank 0
// holds enough channels to fill the 522-row array, and the real value routine.

#include "overlay/cmcGTex.h"
#include "sheets/iuiSh_ChBank.h"
#include "support/SheetSupport.h"

#include <memory>
#include <string>

// The tests' fixed context, with bank 0 holding enough channels to fill the 522-row array,
// each of them in use with its own frequencies, name and tones, so that every cell shows
// a real value.
class BenchContext : public testsupport::RecordingContext {
public:
    BenchContext() {
        records.setBankCount(0, 500);
        for (int n = 0; n < 500; ++n) {
            records.load(1, n);
            records.set(Fld::Mch_FreqR, 146'000'000u + 12'500u * static_cast<std::uint32_t>(n));
            records.set(Fld::Mch_FreqT, 146'600'000u + 12'500u * static_cast<std::uint32_t>(n % 7));
            records.set(Fld::Mch_RfPo, static_cast<std::uint32_t>(n % 3));
            ToneSetting tone;
            tone.on = n % 2 == 0;
            tone.code = static_cast<std::uint16_t>(n % 50);
            records.setTone(Fld::Mch_CTone_R, tone);
            records.name = "CHANNEL " + std::to_string(n);
            records.status |= RecordAccessor::kStatusValid;
            records.store(1, n);
        }
    }
};

class BenchSite : public cuiSheetSite {
public:
    BenchContext context;
    CellContext* Cells() override { return &context; }
    RowConditions Conditions() const override { return {}; }
    std::int32_t FontSizePercentage() const override { return 100; }
};

// The product overlay, attached once for the process.
inline cmcGTex& ProductOverlay() {
    static cmcGTex store;
    static ScopedGTex install(store);
    static const bool attached = store.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
    static_cast<void>(attached);
    return store;
}

// The LMR mobile bank sheet of bank 0: 1 heading row and 501 channel rows.
inline std::unique_ptr<iuiSh_ChBank> BuildBankSheet(BenchSite& site, const TextMetrics* metrics) {
    auto sheet = std::make_unique<iuiSh_ChBank>(site, ProductOverlay(), "GI_Sheet_Mch_LMR_Mob");
    sheet->SetMetrics(metrics);
    sheet->SetParameter("Bank 0");
    sheet->Show();
    return sheet;
}
