#include "platform/heldkeyfilter.h"

#include "platform/keyevents.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace velmora {

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
    if (isAltShortcut(*key))
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
