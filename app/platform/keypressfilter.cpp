#include "platform/keypressfilter.h"

#include "platform/keyevents.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

#include <utility>

namespace velmora {

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
    if (isAltShortcut(*key) || key->matches(QKeySequence::Paste))
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
        if (!isTypedCharacter(received))
            continue; // only printable text is committed as typing
        if (!runKeyPressHandler(target, received, m_handler, true)) {
            // Left as it came: the box takes the character as typed.
            ReplacedKeyEvent typed(received, true);
            QCoreApplication::sendEvent(target, &typed);
        }
    }
}

} // namespace velmora
