#include "sheets/iuiSheet.h"

#include "overlay/cmcGTex.h"

std::string iuiSheet::Title() const {
    if (!style_.withUsable || !site_.UsableFontOption()) return style_.title;
    return style_.title + " " + store_.GetLine("GI_AppInd_chSheet_Usable_Title", 0);
}
