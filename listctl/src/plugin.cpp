#include "mycontrol.h"

#include <tabulo/control.h>

#include <QObject>

namespace tabulo {

// The library's root object: makes myControl instances for a host.
class TabuloPlugin final : public QObject, public ControlFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TABULO_CONTROLFACTORY_IID FILE "tabulo.json")
    Q_INTERFACES(tabulo::ControlFactory)

public:
    TabuloPlugin() = default;

    Control *create(QWidget *parent) override { return new myControl(parent); }
};

} // namespace tabulo

// The metadata is compiled into this file, so the JSON is its dependency.
#include "plugin.moc"
