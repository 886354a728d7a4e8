#pragma once

#include <QColor>
#include <QPalette>

namespace velmora {

// Flag of a system colour code: the low bits are the system colour's index.
inline constexpr quint32 SystemColourFlag = 0x80000000u;

// Resolves a stored colour code when it is painted: a system colour (high
// bit set) through the palette of the moment — 5 window background, 8
// window text, 13 highlight, 14 highlight text, 15 button face, 18 button
// text; indices without a palette role take the standard desktop scheme's values — a
// plain one as 0x00BBGGRR.
QColor systemColour(quint32 code, const QPalette &palette);
// The same through the application's palette.
QColor systemColour(quint32 code);

} // namespace velmora
