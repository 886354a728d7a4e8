#include "platform/keyevents.h"

#include <QGuiApplication>

#include <array>
#include <string>
#include <utility>

namespace velmora {
namespace {

constexpr bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// The letter or digit at an X keycode of the standard evdev keymap (the
// keycode is the kernel's scan code plus 8), whatever layout is active.
int keyAtEvdevKeycode(quint32 keycode)
{
    static constexpr std::array<std::pair<quint32, const char *>, 4> Rows = {{
        {10, "1234567890"},
        {24, "QWERTYUIOP"},
        {38, "ASDFGHJKL"},
        {52, "ZXCVBNM"},
    }};
    for (const auto &[first, keys] : Rows) {
        const auto length = quint32(std::char_traits<char>::length(keys));
        if (keycode >= first && keycode < first + length)
            return keys[keycode - first];
    }
    return 0;
}

bool keycodesAreEvdev()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

// Keys whose code does not depend on the layout.
int fixedKeyCode(int key, bool keypad)
{
    if (keypad && inRange(key, Qt::Key_0, Qt::Key_9))
        return 96 + key - Qt::Key_0;
    if (inRange(key, Qt::Key_F1, Qt::Key_F24))
        return 112 + key - Qt::Key_F1;
    switch (key) {
    case Qt::Key_Backspace: return KeyCodes::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return KeyCodes::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return KeyCodes::Enter;
    case Qt::Key_Shift: return KeyCodes::Shift;
    case Qt::Key_Control: return KeyCodes::Control;
    case Qt::Key_Alt: return KeyCodes::Alt;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return KeyCodes::Escape;
    case Qt::Key_Space: return KeyCodes::Space;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: break;
    }
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 110;
        case Qt::Key_Slash: return 111;
        default: return 0;
        }
    }
    return 0;
}

// Punctuation of the US layout, for layouts that give it.
int punctuationCode(int key)
{
    switch (key) {
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default: return 0;
    }
}

bool isLetterOrDigitCode(int code)
{
    return inRange(code, 'A', 'Z') || inRange(code, '0', '9');
}

} // namespace

int virtualKeyCode(const QKeyEvent &event)
{
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (const int code = fixedKeyCode(key, keypad))
        return code;
#ifdef Q_OS_WIN
    // Windows hands the virtual key itself: the key's position under any
    // layout (Latin letters, digits, VK_OEM_* for punctuation).
    if (const auto native = int(event.nativeVirtualKey()); native > 0 && native < 256)
        return native;
#endif
    if (isLetterOrDigitCode(key))
        return key;
    // A non-Latin layout (Cyrillic) or a shifted digit: the key's position.
    if (keycodesAreEvdev())
        if (const int code = keyAtEvdevKeycode(event.nativeScanCode()))
            return code;
    return punctuationCode(key);
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        state += KeyCodes::ShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        state += KeyCodes::CtrlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        state += KeyCodes::AltMask;
    return state;
}

bool isAltShortcut(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier)
        && !event.text().isEmpty();
}

std::optional<int> keyAsciiOf(const QKeyEvent &event, bool withEscape)
{
    switch (event.key()) {
    case Qt::Key_Backspace: return KeyCodes::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return KeyCodes::Enter;
    case Qt::Key_Escape:
        if (withEscape)
            return KeyCodes::Escape;
        return std::nullopt;
    default: break;
    }
    // Ctrl or Alt alone make a shortcut, not a character (both: AltGr).
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    const bool alt = event.modifiers().testFlag(Qt::AltModifier);
    if (ctrl != alt)
        return std::nullopt;
    const QString text = event.text();
    if (text.isEmpty() || !isTypedCharacter(text.at(0).unicode()))
        return std::nullopt;
    return int(text.at(0).unicode());
}

} // namespace velmora
