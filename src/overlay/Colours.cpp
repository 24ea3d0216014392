#include "overlay/Colours.h"

#include "overlay/cmcHash.h"

std::optional<cmcColour> ParseColour(std::string_view name) {
    static const cmcHash table = [] {
        cmcHash t;
        for (const ColourEntry& e : kColourTable) t.Insert(e.name, static_cast<std::int32_t>(e.value));
        return t;
    }();
    if (const auto* value = table.Find(name)) return static_cast<cmcColour>(*value);
    return std::nullopt;
}
