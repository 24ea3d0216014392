#pragma once
// A sheet's surroundings for the benchmarks: the product overlay, an image whose bank 0
// holds enough channels to fill the 522-row array, and the real value routine.

#include "overlay/cmcGTex.h"
#include "sheets/iuiSh_ChBank.h"
#include "support/SheetSupport.h"

#include <memory>
#include <string>

// The tests' fixed context, with bank 0 holding enough channels to fill the 522-row array.
class BenchContext : public testsupport::RecordingContext {
public:
    BenchContext() { records.setBankCount(0, 500); }
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
