#pragma once

namespace velmora {

// The key codes the windows' handlers receive: virtual-key codes of a key
// going down or up, character codes of a key press, and the modifier state.
namespace KeyCodes {
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Alt = 18;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
// Modifier state of a key handler, added: Shift 1, Ctrl 2, Alt 4.
inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;
// Exactly Shift and Alt held, Ctrl not: the teacher keys' state.
inline constexpr int ShiftAndAlt = ShiftMask + AltMask;
} // namespace KeyCodes

} // namespace velmora
