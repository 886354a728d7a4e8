#include "platform/syscolours.h"

#include <QGuiApplication>

#include <array>
#include <optional>

namespace velmora {
namespace {

std::optional<QPalette::ColorRole> roleOf(quint32 index)
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
constexpr std::array<QRgb, 25> ClassicScheme = {
    0xd4d0c8, 0x3a6ea5, 0x0a246a, 0x808080, 0xd4d0c8, 0xffffff, 0x000000, 0x000000, 0x000000,
    0xffffff, 0xd4d0c8, 0xd4d0c8, 0x808080, 0x0a246a, 0xffffff, 0xd4d0c8, 0x808080, 0x808080,
    0x000000, 0xd4d0c8, 0xffffff, 0x404040, 0xd4d0c8, 0x000000, 0xffffe1,
};

} // namespace

QColor systemColour(quint32 code, const QPalette &palette)
{
    if (code & SystemColourFlag) {
        const quint32 index = code & 0xffu;
        if (const auto role = roleOf(index))
            return palette.color(QPalette::Active, *role);
        if (index < ClassicScheme.size())
            return QColor::fromRgb(ClassicScheme.at(index));
        return QColor(Qt::black);
    }
    return QColor(int(code & 0xffu), int((code >> 8) & 0xffu), int((code >> 16) & 0xffu));
}

QColor systemColour(quint32 code)
{
    return systemColour(code, QGuiApplication::palette());
}

} // namespace velmora
