#include "platform/keypress.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

#include <array>
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
    if (text.isEmpty() || text.at(0).unicode() < KeyCodes::Space || text.at(0).unicode() == 0x7f)
        return std::nullopt;
    return int(text.at(0).unicode());
}

namespace {

int qtKeyOf(int keyAscii)
{
    switch (keyAscii) {
    case KeyCodes::Backspace: return Qt::Key_Backspace;
    case KeyCodes::Enter: return Qt::Key_Return;
    case KeyCodes::Escape: return Qt::Key_Escape;
    default: return Qt::Key_unknown;
    }
}

} // namespace

ReplacedKeyEvent::ReplacedKeyEvent(int keyAscii, bool keyPressReported)
    : QKeyEvent(QEvent::KeyPress, qtKeyOf(keyAscii), Qt::NoModifier, QString(QChar(char16_t(keyAscii))))
    , m_keyPressReported(keyPressReported)
{
}

bool runKeyPressHandler(QObject *receiver, int received, const std::function<void(int &KeyAscii)> &handler,
                        bool keyPressReported)
{
    QPointer<QObject> target(receiver); // the handler may close its window
    int keyAscii = received;
    handler(keyAscii);
    if (keyAscii == received)
        return false;
    if (keyAscii != 0 && target) {
        ReplacedKeyEvent replaced(keyAscii, keyPressReported);
        QCoreApplication::sendEvent(target, &replaced);
    }
    return true;
}

KeyPressFilter::KeyPressFilter(QLineEdit *box, Handler handler)
    : QObject(box)
    , m_handler(std::move(handler))
{
    // No input method composes inside the box: dead keys and the like then
    // come as keys, and whatever an input method still commits is typed
    // below through the handler.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::InputMethodQuery: {
        // Asked alone whether it takes an input method, the box says no.
        auto *query = static_cast<QInputMethodQueryEvent *>(event);
        if (query->queries() != Qt::ImEnabled)
            return false;
        query->setValue(Qt::ImEnabled, false);
        query->accept();
        return true;
    }
    case QEvent::InputMethod:
        if (m_handler)
            typeCommitted(watched, static_cast<const QInputMethodEvent *>(event)->commitString());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The middle button pastes the X selection: refused like Ctrl+V.
        return static_cast<const QMouseEvent *>(event)->button() == Qt::MiddleButton;
    case QEvent::KeyPress: break;
    default: return false;
    }
    if (!m_handler)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (const auto *replaced = dynamic_cast<const ReplacedKeyEvent *>(key); replaced && replaced->keyPressReported())
        return false;
    // Alt with a letter is a shortcut (the teacher keys among them), and
    // text pasted in would pass by the handler: neither reaches the box.
    const bool shortcut = key->modifiers().testFlag(Qt::AltModifier) && !key->modifiers().testFlag(Qt::ControlModifier);
    if ((shortcut && !key->text().isEmpty()) || key->matches(QKeySequence::Paste))
        return true;
    const std::optional<int> received = keyAsciiOf(*key);
    return received && runKeyPressHandler(watched, *received, m_handler, true);
}

void KeyPressFilter::typeCommitted(QObject *box, const QString &text)
{
    QPointer<QObject> target(box); // the handler may close its window
    for (const QChar ch : text) {
        if (!target)
            return;
        const int received = ch.unicode();
        if (received < KeyCodes::Space || received == 0x7f)
            continue; // only printable text is committed as typing
        if (!runKeyPressHandler(target, received, m_handler, true)) {
            // Left as it came: the box takes the character as typed.
            ReplacedKeyEvent typed(received, true);
            QCoreApplication::sendEvent(target, &typed);
        }
    }
}

HeldKeyFilter::HeldKeyFilter(QObject *parent)
    : QObject(parent)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool HeldKeyFilter::isHeldButtonKey(const QObject *receiver, const QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (!key->isAutoRepeat())
        return false;
    if (key->modifiers().testFlag(Qt::AltModifier) && !key->modifiers().testFlag(Qt::ControlModifier)
        && !key->text().isEmpty())
        return true; // a button's shortcut
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: return true;
    case Qt::Key_Space: return qobject_cast<const QAbstractButton *>(receiver) != nullptr;
    default: return false;
    }
}

bool HeldKeyFilter::isUnmarkedRepeat(const QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (type == QEvent::KeyRelease) {
        m_releasedKey = key->key();
        m_releasedAt = key->timestamp();
        return false;
    }
    return key->timestamp() != 0 && key->timestamp() == m_releasedAt && key->key() == m_releasedKey;
}

bool HeldKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (isUnmarkedRepeat(event)) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        QKeyEvent marked(key->type(), key->key(), key->modifiers(), key->text(), true);
        if (isHeldButtonKey(watched, &marked))
            return true;
    }
    if (!isHeldButtonKey(watched, event))
        return false;
    // Taken as a plain key, a repeat never reaches the shortcuts; as a key
    // it then goes nowhere.
    if (event->type() == QEvent::ShortcutOverride)
        event->accept();
    return true;
}

} // namespace velmora
