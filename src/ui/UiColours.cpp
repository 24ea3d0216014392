#include "ui/UiColours.h"

#include <QApplication>
#include <QPalette>

QColor ToQColor(std::uint32_t colour) {
    if ((colour & 0x80000000u) == 0) {
        return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                      static_cast<int>((colour >> 16) & 0xFF));
    }
    const QPalette pal = QApplication::palette();
    // System colour indexes, in the order the program's colour names use them.
    switch (colour & 0xFF) {
        case 0x01: return pal.color(QPalette::Window);           // clBackground
        case 0x02: return pal.color(QPalette::Highlight);        // clActiveCaption
        case 0x03: return pal.color(QPalette::Mid);              // clInactiveCaption
        case 0x04: return pal.color(QPalette::Window);           // clMenu
        case 0x05: return pal.color(QPalette::Base);             // clWindow
        case 0x06: return pal.color(QPalette::Shadow);           // clWindowFrame
        case 0x07: return pal.color(QPalette::WindowText);       // clMenuText
        case 0x08: return pal.color(QPalette::Text);             // clWindowText
        case 0x09: return pal.color(QPalette::HighlightedText);  // clCaptionText
        case 0x0A: return pal.color(QPalette::Mid);              // clActiveBorder
        case 0x0B: return pal.color(QPalette::Midlight);         // clInactiveBorder
        case 0x0C: return pal.color(QPalette::Dark);             // clAppWorkSpace
        case 0x0D: return pal.color(QPalette::Highlight);        // clHighlight
        case 0x0E: return pal.color(QPalette::HighlightedText);  // clHightlightText
        case 0x0F: return pal.color(QPalette::Button);           // clBtnFace
        case 0x10: return pal.color(QPalette::Dark);             // clBtnShadow
        case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);  // clGrayText
        case 0x12: return pal.color(QPalette::ButtonText);       // clBtnText
        case 0x13: return pal.color(QPalette::Disabled, QPalette::WindowText);  // clInactiveCaptionText
        case 0x14: return pal.color(QPalette::Light);            // clBtnHighlight
        default: return pal.color(QPalette::Window);
    }
}
