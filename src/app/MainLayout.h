#pragma once
// Rules of the main window's layout that do not need a window: keeping a saved
// placement reachable on the desktop, the sheet reference notation, and the outline of
// "+"-levelled lines that menus and the sheet tree are built from.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct WinRect {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WinRect&) const = default;
};

struct WorkArea {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Keeps at least a 16-pixel strip of the window on the work area horizontally and its
// title bar below the work area's top.
WinRect KeepReachable(WinRect window, const WorkArea& area);

// The tree panel is never narrower than this many pixels.
constexpr std::int32_t kMinTreeWidth = 8;
std::int32_t TreePanelWidth(std::int32_t splitterV);

// The status bar's message panel takes what the other panels leave of the bar, and never
// less than this many pixels, so a narrow window still shows the start of a message.
constexpr std::int32_t kMinMessagePanelWidth = 100;
std::int32_t MessagePanelWidth(std::int32_t barWidth, std::int32_t otherPanelsWidth);

// A sheet reference: "[style]key,options" (style and brackets optional).
struct SheetRef {
    std::string style;
    std::string key;
    std::string options;
};
SheetRef ParseSheetRef(std::string_view link);
bool SameSheetRef(std::string_view a, std::string_view b);  // without regard to case

// A line of a menu or tree body: its level is the number of leading '+' characters, its
// text the rest. Children hold the lines of deeper levels that follow it.
struct OutlineNode {
    int level = 0;
    std::string text;
    std::vector<OutlineNode> children;
};
// The first line fixes the level of its group; a deeper line opens a group under the
// item before it; a shallower line closes the group.
std::vector<OutlineNode> BuildOutline(const std::vector<std::string>& lines);
