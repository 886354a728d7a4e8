#pragma once

#include <QKeyEvent>
#include <QObject>

#include <functional>

class QLineEdit;

namespace velmora {

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

// Runs a key-press handler (a window's or a text box's) on the character
// `received` of a key meant for `receiver`. Returns true when the key is to
// be dropped: the handler swallowed it (0), or changed it, and `receiver`
// has been handed the new character instead.
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

} // namespace velmora
