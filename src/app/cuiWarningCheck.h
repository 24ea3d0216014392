#pragma once
// The warning check: every check cell of the overlay's list and one channel-bank check per
// bank is evaluated, and the links of the cells that report an error or a warning are
// collected for the tree's marks. Requests within the delay of each other run one check,
// the delay after the last.

#include "comm/cmcTick.h"
#include "values/CellContext.h"

#include <optional>
#include <string>
#include <vector>

class cuiWarningCheck {
public:
    static constexpr int kDelayMs = 250;

    struct Result {
        std::vector<std::string> errorLinks;
        std::vector<std::string> warningLinks;
        int errors() const { return static_cast<int>(errorLinks.size()); }
        int warnings() const { return static_cast<int>(warningLinks.size()); }
    };

    // (Re)starts the delay.
    void Request();
    // True once, when a requested check has become due.
    bool TakeDue();

    // Runs the check for the model kind now; `familyText` names the kind's bank sheets.
    Result Run(CellContext& cells, const std::string& familyText);
    int Runs() const { return runs_; }

private:
    std::optional<cmcTick> due_;
    int runs_ = 0;
};
