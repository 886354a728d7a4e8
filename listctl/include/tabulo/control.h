#pragma once

// The contract between the Tabulo library and any host: how the control is
// identified, created, called and heard. The only header a host includes.

#include <tabulo/dispatch.h>

#include <QVariantList>
#include <QtPlugin>

class QWidget;

namespace tabulo {

// The identity of myControl as the plugin metadata states it. A host finds
// the library by reading the metadata of the files in its plugin folders,
// without loading them: the keys below sit in the "MetaData" object.
inline constexpr char16_t ProgIdKey[] = u"ProgID";
inline constexpr char16_t ClassIdKey[] = u"ClassID";
inline constexpr char16_t ProgId[] = u"Tabulo.myControl";
inline constexpr char16_t ClassId[] = u"{d40a6389-c5ea-4b99-be7d-bb7bce3f9a78}";

// The host's end of the event interface. Events are delivered synchronously
// on the user-interface thread, before the operation that raised them goes
// on: a handler may call back into the control (invoke) while the raising
// member is still running. A handler must not delete the control; use
// deleteLater() for that.
class EventSink
{
public:
    EventSink() = default;
    virtual ~EventSink() = default;
    Q_DISABLE_COPY_MOVE(EventSink)

    virtual void onEvent(EventId id, const QVariantList &arguments) = 0;
};

// One instance of a control. It lives as a QWidget child of the parent it
// was created in, and goes when that parent goes (or on delete widget()).
class Control
{
public:
    Control() = default;
    virtual ~Control() = default;
    Q_DISABLE_COPY_MOVE(Control)

    // Calls a member by its dispatch identifier. Arguments are QVariants of
    // any integer width, booleans, strings, or tabulo::byRef(qint16&); each
    // is converted to the member's declared type. Never throws; every
    // refusal comes back as the result's failure:
    //   438 unknown member, or a member called with the wrong kind
    //   450 wrong number of arguments
    //    13 an argument that can't be converted ("Type mismatch")
    //     6 a number outside the 16-bit range ("Overflow")
    // and the member's own failures (9, 340, 666).
    virtual Result invoke(DispId dispid, CallKind kind, const QVariantList &arguments) = 0;

    // Registers or removes an event sink; the sink is not owned. A sink
    // must be removed before it is destroyed if the control outlives it.
    virtual void advise(EventSink *sink) = 0;
    virtual void unadvise(EventSink *sink) = 0;

    virtual QWidget *widget() = 0;
};

// The root object of the library, reached through QPluginLoader::instance().
class ControlFactory
{
public:
    ControlFactory() = default;
    virtual ~ControlFactory() = default;
    Q_DISABLE_COPY_MOVE(ControlFactory)

    // Creates a new instance as a child widget of `parent`, which owns it.
    virtual Control *create(QWidget *parent) = 0;
};

} // namespace tabulo

// Bump the version whenever anything in this header changes its meaning.
#define TABULO_CONTROLFACTORY_IID "org.velmora.Tabulo.ControlFactory/1.0"
Q_DECLARE_INTERFACE(tabulo::ControlFactory, TABULO_CONTROLFACTORY_IID)
