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

// Whether a character code is typed text: not a control character (below
// Space) and not Delete (0x7f).
constexpr bool isTypedCharacter(int code)
{
    return code >= KeyCodes::Space && code != 0x7f;
}

// Alt without Ctrl, on a key that has text: a button's shortcut (the
// teacher keys among them), not typing. (Ctrl with Alt is AltGr.)
bool isAltShortcut(const QKeyEvent &event);

// The character code a key-press handler receives: Backspace 8,
// Enter/Return 13, printable text its first UTF-16 unit (not with Ctrl or
// Alt alone: those make shortcuts, as the teacher keys); nullopt for keys
// that type nothing. `withEscape` also reports Esc as 27 (a window's own
// key press does; a text box's does not).
std::optional<int> keyAsciiOf(const QKeyEvent &event, bool withEscape = false);

} // namespace velmora
