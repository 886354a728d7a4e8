#pragma once

#include <QKeyEvent>
#include <QObject>

#include <functional>
#include <optional>

class QLineEdit;

namespace velmora {

// The key codes the windows' handlers receive.
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
} // namespace KeyCodes

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

// A key press standing in for one whose character a handler changed. The
// window's key preview has always seen it already (it runs before any
// control's own handler); `keyPressReported` says whether the text box's
// handler has too, so each handler runs once per key.
class ReplacedKeyEvent final : public QKeyEvent
{
public:
    ReplacedKeyEvent(int keyAscii, bool keyPressReported);
    bool keyPressReported() const { return m_keyPressReported; }

private:
    bool m_keyPressReported;
};

// Runs a key-press handler on the character `received` of a key meant for
// `receiver`. Returns true when the key is to be dropped: the handler
// swallowed it (0), or changed it, and `receiver` has been handed the new
// character instead.
bool runKeyPressHandler(QObject *receiver, int received, const std::function<void(int &KeyAscii)> &handler,
                        bool keyPressReported);

// A text box's key press: the handler sees the character code before the
// box does. Setting it to 0 swallows the key; changing it to another code
// types that character instead; leaving it lets the key reach the box as
// it came. The handler may change the box's text and caret itself.
//
// Every character comes this way: what an input method commits (a dead
// key, the Compose key, an input method's text) reaches the handler
// character by character as if typed, and an input method's unfinished
// text is never shown. Alt shortcuts and pasting (Ctrl+V, Shift+Insert,
// the middle mouse button) type nothing into the box.
class KeyPressFilter final : public QObject
{
public:
    using Handler = std::function<void(int &KeyAscii)>;
    KeyPressFilter(QLineEdit *box, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The characters an input method committed, each as a typed key.
    void typeCommitted(QObject *box, const QString &text);

    Handler m_handler;
};

// A held key repeats; a repeat must never do what only a press does. The
// auto-repeats of Enter and Esc, of the space bar on a button and of Alt
// with a key (a button's shortcut) reach no window and no control, so a
// held key presses a button or closes a message box once, on its first
// press, as it did before. The program installs one for the whole
// application (Forms does); other held keys, a digit in a text box among
// them, repeat as usual.
class HeldKeyFilter final : public QObject
{
public:
    explicit HeldKeyFilter(QObject *parent);

    // True for a key event that is a repeat of a key that presses buttons.
    static bool isHeldButtonKey(const QObject *receiver, const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A repeat the platform did not mark: X repeats a held key as a release
    // and a press with the same time stamp, which no person types.
    bool isUnmarkedRepeat(const QEvent *event);

    int m_releasedKey = 0;
    quint64 m_releasedAt = 0;
};

} // namespace velmora
