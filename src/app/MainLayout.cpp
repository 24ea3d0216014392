#include "app/MainLayout.h"

#include "platform/SettingsStore.h"

#include <algorithm>

WinRect KeepReachable(WinRect w, const WorkArea& a) {
    if (a.right - 16 < w.left) w.left = a.right - 16;
    if (a.bottom - 16 < w.top) w.top = a.bottom - 16;
    if (w.width + w.left < a.left + 16) w.left = a.left - w.width + 16;
    if (w.top < a.top) w.top = a.top;
    return w;
}

std::int32_t TreePanelWidth(std::int32_t splitterV) { return std::max(kMinTreeWidth, splitterV); }

std::int32_t MessagePanelWidth(std::int32_t barWidth, std::int32_t otherPanelsWidth) {
    return std::max(kMinMessagePanelWidth, barWidth - otherPanelsWidth);
}

SheetRef ParseSheetRef(std::string_view link) {
    SheetRef ref;
    std::string_view rest = link;
    if (auto open = link.find('['); open != std::string_view::npos) {
        auto close = link.find(']', open);
        if (close != std::string_view::npos) {
            ref.style = std::string(link.substr(open + 1, close - open - 1));
            rest = link.substr(close + 1);
        }
    }
    const auto comma = rest.find(',');
    ref.key = std::string(rest.substr(0, comma));
    if (comma != std::string_view::npos) ref.options = std::string(rest.substr(comma + 1));
    return ref;
}

bool SameSheetRef(std::string_view a, std::string_view b) { return platform::EqualsNoCase(a, b); }

namespace {

OutlineNode ToNode(const std::string& line) {
    OutlineNode n;
    n.level = static_cast<int>(std::find_if(line.begin(), line.end(), [](char c) { return c != '+'; }) - line.begin());
    n.text = line.substr(static_cast<std::size_t>(n.level));
    return n;
}

std::vector<OutlineNode> Group(const std::vector<OutlineNode>& flat, std::size_t& i) {
    std::vector<OutlineNode> group;
    const int level = flat[i].level;
    while (i < flat.size()) {
        const OutlineNode& n = flat[i];
        if (n.level < level) break;
        if (n.level > level && !group.empty()) {
            group.back().children = Group(flat, i);
            continue;
        }
        group.push_back(n);
        ++i;
    }
    return group;
}

}  // namespace

std::vector<OutlineNode> BuildOutline(const std::vector<std::string>& lines) {
    std::vector<OutlineNode> flat;
    flat.reserve(lines.size());
    for (const auto& l : lines) flat.push_back(ToNode(l));
    std::vector<OutlineNode> top;
    std::size_t i = 0;
    // A line shallower than the first ends the first group; the rest forms further groups
    // at the top so that no line is lost.
    while (i < flat.size()) {
        auto g = Group(flat, i);
        top.insert(top.end(), std::make_move_iterator(g.begin()), std::make_move_iterator(g.end()));
    }
    return top;
}
