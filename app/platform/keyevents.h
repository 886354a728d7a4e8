#pragma once

#include "platform/keycodes.h"

#include <QKeyEvent>

#include <optional>

namespace velmora {

// The virtual-key code of a key: letters 65..90 and the digit row 48..57
// whatever the keyboard layout and Shift; function keys 112..123; 0 for a
// key without a code. With a non-Latin layout (Cyrillic) the letter comes
// from the key's position: the Windows virtual key where the event carries
// one, the X keycode of the standard evdev keymap on X11 and Wayland.
int virtualKeyCode(const QKeyEvent &event);

// Shift 1 + Ctrl 2 + Alt 4 of the event's modifiers.
int shiftState(Qt::KeyboardModifiers modifiers);

// The character code a key-press handler receives: Backspace 8,
// Enter/Return 13, printable text its first UTF-16 unit (not with Ctrl or
// Alt alone: those make shortcuts, as the teacher keys); nullopt for keys
// that type nothing. `withEscape` also reports Esc as 27 (a window's own
// key press does; a text box's does not).
std::optional<int> keyAsciiOf(const QKeyEvent &event, bool withEscape = false);

} // namespace velmora
