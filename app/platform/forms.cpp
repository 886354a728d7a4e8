#include "platform/forms.h"

#include "platform/desktop.h"
#include "platform/heldkeyfilter.h"
#include "platform/keyevents.h"
#include "platform/keypressfilter.h"
#include "platform/runtime.h"
#include "platform/twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace velmora {

// The window's key preview: an application event filter that passes the
// key events of the window and everything in it to the window's handlers
// before the control they are meant for. A key event a control ignores
// travels on to the control's parents as the same event object; the
// preview ran for it already, so that trip is recognised and let pass.
class Form::KeyPreview final : public QObject
{
public:
    explicit KeyPreview(Form *form)
        : QObject(form)
        , m_form(form)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
            m_last = nullptr; // whatever key event came before has ended
            return false;
        }
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (event == m_last && type == m_lastType && m_lastReceiver && widget->isAncestorOf(m_lastReceiver)) {
            m_lastReceiver = widget;
            return false;
        }
        m_last = nullptr;
        if (widget->window() != m_form || dynamic_cast<ReplacedKeyEvent *>(event))
            return false;
        m_last = event;
        m_lastType = type;
        m_lastReceiver = widget;
        return m_form->runKeyHandlers(watched, static_cast<QKeyEvent *>(event));
    }

private:
    Form *m_form;
    const QEvent *m_last = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    QPointer<QWidget> m_lastReceiver;
};

Form::Form(Forms &forms)
    : QDialog(nullptr)
    , m_forms(forms)
{
    setModal(false);
}

Form::~Form() = default;

void Form::showModeless()
{
    if (!m_forms.isLoaded(this))
        return;
    setWindowModality(Qt::NonModal);
    show();
    activateWindow();
}

void Form::showModal()
{
    if (!m_forms.isLoaded(this))
        return;
    QPointer<Form> self(this);
    QEventLoop loop;
    connect(this, &Form::hiddenOrUnloaded, &loop, &QEventLoop::quit);
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (self)
        self->setWindowModality(Qt::NonModal);
    // The program ended while this window was up: the caller must not go on.
    if (m_forms.ending())
        throw EndOfProgram{};
}

bool Form::unloadMe()
{
    return m_forms.unload(this, UnloadMode::Code);
}

void Form::setClientSizeTwips(int width, int height)
{
    setFixedSize(Twips::toPixelsX(width), Twips::toPixelsY(height));
}

void Form::setCaption(const QString &text)
{
    setWindowTitle(literalTitle(text));
}

void Form::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void Form::setKeyPreview(bool on)
{
    if (on && !m_keyPreview && QCoreApplication::instance()) {
        m_keyPreview = new KeyPreview(this);
    } else if (!on && m_keyPreview) {
        // A key handler may turn the preview off while the preview runs it.
        QCoreApplication::instance()->removeEventFilter(m_keyPreview);
        m_keyPreview->deleteLater();
        m_keyPreview = nullptr;
    }
}

bool Form::runKeyHandlers(QObject *receiver, QKeyEvent *event)
{
    const int shift = shiftState(event->modifiers());
    if (event->type() == QEvent::KeyRelease) {
        if (!event->isAutoRepeat()) // a held key comes up once
            runHandler([&] { Form_KeyUp(virtualKeyCode(*event), shift); });
        return false;
    }
    runHandler([&] { Form_KeyDown(virtualKeyCode(*event), shift); });
    const std::optional<int> received = keyAsciiOf(*event, true);
    return received
        && runKeyPressHandler(
            receiver, *received, [this](int &keyAscii) { runHandler([&] { Form_KeyPress(keyAscii); }); }, false);
}

void Form::keyPressEvent(QKeyEvent *event)
{
    // With key preview on, the preview has run the handlers already; a
    // character they replaced has been through them too.
    if (!m_keyPreview && !dynamic_cast<ReplacedKeyEvent *>(event) && runKeyHandlers(this, event))
        return;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter presses the focused button, else the window's default
        // button, else nothing. (Left to itself a dialog makes the first
        // button after the focus its default, and Enter in a text box
        // would press a button nobody chose.)
        QWidget *focus = focusWidget();
        if (auto *button = qobject_cast<QAbstractButton *>(focus); button && button->isEnabled()) {
            button->click();
        } else if (m_defaultButton && m_defaultButton->isEnabled() && m_defaultButton->isVisible()) {
            m_defaultButton->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_keyPreview && runKeyHandlers(this, event))
        return;
    QDialog::keyReleaseEvent(event);
}

void Form::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    runHandler([this] { Form_Resize(); });
}

void Form::closeEvent(QCloseEvent *event)
{
    // The program's own unloads hide the window themselves; a close that
    // reaches here comes from the user or the system.
    event->ignore();
    if (!m_unloading)
        runHandler([this] { m_forms.unload(this, UnloadMode::ControlMenu); });
}

void Form::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    Q_EMIT hiddenOrUnloaded();
}

void Form::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runHandler([this] { Form_Activate(); });
    else if (event->type() == QEvent::WindowStateChange)
        runHandler([this] { Form_Resize(); });
}

void Form::reject()
{
    if (m_cancelButton && m_cancelButton->isEnabled() && m_cancelButton->isVisible())
        m_cancelButton->click();
}

Forms::Forms()
{
    new HeldKeyFilter(this);
}

Forms::~Forms()
{
    const auto loadedNow = m_loaded;
    m_loaded.clear();
    for (const auto &entry : loadedNow)
        delete entry.second.data();
}

void Forms::define(Key key, Factory factory)
{
    m_factories.insert_or_assign(key, std::move(factory));
}

Form *Forms::loaded(Key key) const
{
    const auto found = m_loaded.find(key);
    return found == m_loaded.end() ? nullptr : found->second.data();
}

bool Forms::isLoaded(const Form *form) const
{
    return form && std::any_of(m_loaded.begin(), m_loaded.end(), [form](const auto &entry) {
        return entry.second == form;
    });
}

QList<QPointer<Form>> Forms::loadedForms() const
{
    QList<QPointer<Form>> forms;
    for (const auto &entry : m_loaded)
        forms << entry.second;
    return forms;
}

Form *Forms::load(Key key)
{
    if (Form *form = loaded(key))
        return form;
    const auto factory = m_factories.find(key);
    if (factory == m_factories.end())
        return nullptr;
    std::unique_ptr<Form> made = factory->second(*this);
    // Named after its class, as the window was designed ("frmMain").
    made->setObjectName(QString::fromLatin1(made->metaObject()->className()).section(u"::"_s, -1));
    QPointer<Form> form(made.release());
    m_loaded.insert_or_assign(key, form);
    form->Form_Load();
    // The load handler may have unloaded the window or ended the program.
    return (form && loaded(key) == form) ? form.data() : nullptr;
}

bool Forms::unload(Form *form, UnloadMode mode)
{
    if (!form || form->m_unloading || !isLoaded(form))
        return true;
    QPointer<Form> guard(form);
    form->m_unloading = true;
    const bool agreed = form->Form_QueryUnload(mode);
    if (!guard)
        return true;
    if (!agreed) {
        form->m_unloading = false;
        return false;
    }
    form->Form_Unload();
    if (!guard)
        return true;
    std::erase_if(m_loaded, [form](const auto &entry) { return entry.second == form; });
    form->hide();
    Q_EMIT form->hiddenOrUnloaded();
    // The window may be unloading itself from one of its own handlers.
    form->deleteLater();
    if (m_loaded.empty())
        Q_EMIT lastUnloaded();
    return true;
}

void Forms::unloadAllNow()
{
    m_ending = true;
    const auto loadedNow = m_loaded;
    m_loaded.clear();
    for (const auto &entry : loadedNow) {
        if (Form *form = entry.second) {
            form->m_unloading = true;
            form->hide();
            form->deleteLater(); // it may be running one of its handlers
        }
    }
}

} // namespace velmora
