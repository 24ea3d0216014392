#pragma once
// A channel-text sheet: with the style keyword "WithUsable" and the usable-font option on,
// its title names the usable characters.

#include "sheets/cuiSheet.h"

class iuiSheet : public cuiSheet {
public:
    using cuiSheet::cuiSheet;
    std::string Title() const override;
};
