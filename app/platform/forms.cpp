#include "platform/forms.h"

#include "platform/runtime.h"
#include "platform/twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace velmora {

Form::Form(Forms &forms, const QString &name)
    : QDialog(nullptr)
    , m_forms(forms)
    , m_name(name)
{
    setObjectName(name);
    setModal(false);
}

Form::~Form() = default;

void Form::showModeless()
{
    if (!m_forms.isLoaded(m_name))
        return;
    setWindowModality(Qt::NonModal);
    show();
    activateWindow();
}

void Form::showModal()
{
    if (!m_forms.isLoaded(m_name))
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

void Form::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void Form::closeEvent(QCloseEvent *event)
{
    // The program's own unloads hide the window themselves; a close that
    // reaches here comes from the user or the system.
    event->ignore();
    if (!m_unloading)
        m_forms.unload(this, UnloadMode::ControlMenu);
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
        Form_Activate();
}

void Form::reject()
{
    if (m_cancelButton && m_cancelButton->isEnabled() && m_cancelButton->isVisible())
        m_cancelButton->click();
}

Forms::~Forms()
{
    const auto loadedNow = m_loaded;
    m_loaded.clear();
    for (const QPointer<Form> &form : loadedNow)
        delete form.data();
}

void Forms::define(const QString &name, Factory factory)
{
    m_factories.insert(name, std::move(factory));
}

Form *Forms::load(const QString &name)
{
    if (Form *form = loaded(name))
        return form;
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.cend())
        return nullptr;
    std::unique_ptr<Form> made = (*factory)(*this);
    QPointer<Form> form(made.release());
    m_loaded.insert(name, form);
    form->Form_Load();
    // The load handler may have unloaded the window or ended the program.
    return (form && m_loaded.value(name) == form) ? form.data() : nullptr;
}

bool Forms::unload(const QString &name, UnloadMode mode)
{
    return unload(loaded(name), mode);
}

bool Forms::unload(Form *form, UnloadMode mode)
{
    if (!form || form->m_unloading || m_loaded.value(form->formName()) != form)
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
    m_loaded.remove(form->formName());
    form->hide();
    Q_EMIT form->hiddenOrUnloaded();
    // The window may be unloading itself from one of its own handlers.
    form->deleteLater();
    if (m_loaded.isEmpty())
        Q_EMIT lastUnloaded();
    return true;
}

void Forms::unloadAllNow()
{
    m_ending = true;
    const auto loadedNow = m_loaded;
    m_loaded.clear();
    for (const QPointer<Form> &form : loadedNow) {
        if (form) {
            form->m_unloading = true;
            form->hide();
            form->deleteLater(); // it may be running one of its handlers
        }
    }
}

} // namespace velmora
