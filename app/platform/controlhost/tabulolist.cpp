#include "platform/controlhost/tabulolist.h"

#include "platform/controlhost/controllibrary.h"

namespace velmora {

using tabulo::CallKind;
using tabulo::DispId;

namespace {

template <typename T>
Outcome<T> typed(const Outcome<QVariant> &result)
{
    if (!result.ok())
        return Outcome<T>::fail(*result.failure);
    if (result.value.metaType() != QMetaType::fromType<T>())
        return Outcome<T>::fail(Failure::of(FailureNumber::TypeMismatch));
    return Outcome<T>::of(result.value.value<T>());
}

} // namespace

Outcome<TabuloList *> TabuloList::create(QWidget *container)
{
    const auto made = ControlLibrary::create(QStringView(tabulo::ProgId),
                                             QStringView(tabulo::ClassId), container);
    if (!made.ok())
        return Outcome<TabuloList *>::fail(*made.failure);
    return Outcome<TabuloList *>::of(new TabuloList(made.value, container));
}

TabuloList::TabuloList(tabulo::Control *control, QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_widget(control ? control->widget() : nullptr)
{
    if (m_widget)
        m_control->advise(this);
}

TabuloList::~TabuloList()
{
    if (m_widget)
        m_control->unadvise(this);
}

Outcome<QVariant> TabuloList::invoke(DispId dispid, CallKind kind, const QVariantList &arguments)
{
    if (!m_widget)
        return Outcome<QVariant>::fail(
            Failure{ObjectNotSet, QStringLiteral("Object variable or With block variable not set"), {}});
    const tabulo::Result result = m_control->invoke(dispid, kind, arguments);
    if (!result.ok())
        return Outcome<QVariant>::fail(
            Failure{result.failure->number, result.failure->description, {}});
    return Outcome<QVariant>::of(result.value);
}

std::optional<Failure> TabuloList::call(DispId dispid, CallKind kind, const QVariantList &arguments)
{
    return invoke(dispid, kind, arguments).failure;
}

std::optional<Failure> TabuloList::Clear()
{
    return call(DispId::Clear, CallKind::Method, {});
}

std::optional<Failure> TabuloList::ClearSelection()
{
    return call(DispId::ClearSelection, CallKind::Method, {});
}

std::optional<Failure> TabuloList::Swap(qint16 from, qint16 inTo)
{
    return call(DispId::Swap, CallKind::Method, {tabulo::byRef(from), tabulo::byRef(inTo)});
}

std::optional<Failure> TabuloList::setMaxLbl(qint16 n)
{
    return call(DispId::MaxLbl, CallKind::PropertyPut, {tabulo::byRef(n)});
}

Outcome<qint16> TabuloList::MaxLbl()
{
    return typed<qint16>(invoke(DispId::MaxLbl, CallKind::PropertyGet, {}));
}

std::optional<Failure> TabuloList::setTxtData(qint16 index, const QString &text)
{
    return call(DispId::txtData, CallKind::PropertyPut, {tabulo::byRef(index), text});
}

Outcome<QString> TabuloList::txtData(qint16 index)
{
    return typed<QString>(invoke(DispId::txtData, CallKind::PropertyGet, {tabulo::byRef(index)}));
}

std::optional<Failure> TabuloList::setSelection(qint16 index, bool flag)
{
    return call(DispId::Selection, CallKind::PropertyPut, {tabulo::byRef(index), flag});
}

Outcome<bool> TabuloList::Selection(qint16 index)
{
    return typed<bool>(invoke(DispId::Selection, CallKind::PropertyGet, {tabulo::byRef(index)}));
}

void TabuloList::onEvent(tabulo::EventId id, const QVariantList &arguments)
{
    const auto line = [&arguments] {
        return arguments.isEmpty() ? qint16(0) : arguments.constFirst().value<qint16>();
    };
    switch (id) {
    case tabulo::EventId::StartSwap: Q_EMIT StartSwap(line()); break;
    case tabulo::EventId::lblMouseMove: Q_EMIT lblMouseMove(line()); break;
    case tabulo::EventId::OverSwap: Q_EMIT OverSwap(); break;
    }
}

} // namespace velmora
