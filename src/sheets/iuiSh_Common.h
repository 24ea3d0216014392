#pragma once
// A sheet whose rows may depend on the model family: it knows the model conditions
// (Only_Lmr, Only_Pmr, Only_BIIS, Only_notBIIS, Only_Digi, Only_SACC) besides the
// directives of every sheet.

#include "sheets/cuiSheet.h"

class iuiSh_Common : public cuiSheet {
public:
    using cuiSheet::cuiSheet;
    void RowDirective(std::string_view group) override {
        if (auto d = ParseRowDirective(group, true)) ApplyDirective(*d);
    }
};
