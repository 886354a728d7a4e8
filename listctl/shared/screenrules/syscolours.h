#pragma once

// Needs Qt Gui: included only where the target links it.

#include "screenrules/colourcodes.h"

#include <QColor>
#include <QPalette>

#include <array>
#include <optional>

namespace screenrules {

namespace detail {

// The system colours that follow the palette of the moment.
inline std::optional<QPalette::ColorRole> paletteRoleOf(quint32 index)
{
    switch (index) {
    case 5: return QPalette::Base;
    case 8: return QPalette::Text;
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;
    case 18: return QPalette::ButtonText;
    default: return std::nullopt;
    }
}

// The standard desktop scheme, for system colours without a palette role
// (9 caption text white, 19 inactive caption text light grey, …).
inline constexpr std::array<QRgb, 25> ClassicScheme = {
    0xd4d0c8, 0x3a6ea5, 0x0a246a, 0x808080, 0xd4d0c8, 0xffffff, 0x000000, 0x000000, 0x000000,
    0xffffff, 0xd4d0c8, 0xd4d0c8, 0x808080, 0x0a246a, 0xffffff, 0xd4d0c8, 0x808080, 0x808080,
    0x000000, 0xd4d0c8, 0xffffff, 0x404040, 0xd4d0c8, 0x000000, 0xffffe1,
};

} // namespace detail

// Resolves a stored colour code when it is painted: a system colour (high
// bit set) through the palette of the moment — 5 window background, 8
// window text, 13 highlight, 14 highlight text, 15 button face, 18 button
// text; indices without a palette role take the standard desktop scheme's
// values — a plain one as 0x00BBGGRR.
inline QColor systemColour(quint32 code, const QPalette &palette)
{
    if (code & ColourCode::SystemFlag) {
        const quint32 index = code & 0xffu;
        if (const auto role = detail::paletteRoleOf(index))
            return palette.color(QPalette::Active, *role);
        if (index < detail::ClassicScheme.size())
            return QColor::fromRgb(detail::ClassicScheme.at(index));
        return QColor(Qt::black);
    }
    return QColor(static_cast<int>(code & 0xffu), static_cast<int>((code >> 8) & 0xffu),
                  static_cast<int>((code >> 16) & 0xffu));
}

} // namespace screenrules
