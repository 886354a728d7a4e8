#pragma once

#include <QtGlobal>

namespace screenrules {

// Colour codes as the windows and the list control store them: the high bit
// marks a system colour whose low bits are the index; anything else is a
// plain colour, 0x00BBGGRR.
namespace ColourCode {
inline constexpr quint32 SystemFlag = 0x80000000u;
inline constexpr quint32 WindowBackground = 0x80000005u;
inline constexpr quint32 WindowText = 0x80000008u;
inline constexpr quint32 CaptionText = 0x80000009u;
inline constexpr quint32 Highlight = 0x8000000Du;
inline constexpr quint32 HighlightText = 0x8000000Eu;
inline constexpr quint32 ButtonFace = 0x8000000Fu;
inline constexpr quint32 ButtonText = 0x80000012u;
inline constexpr quint32 InactiveCaptionText = 0x80000013u;
} // namespace ColourCode

} // namespace screenrules
