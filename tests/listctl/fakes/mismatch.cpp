// A library that claims the ProgID but under another class identity: a host
// must pass it by without loading it.

#include <tabulo/control.h>

#include <QObject>

class MismatchedLibrary final : public QObject, public tabulo::ControlFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TABULO_CONTROLFACTORY_IID FILE "mismatch.json")
    Q_INTERFACES(tabulo::ControlFactory)

public:
    tabulo::Control *create(QWidget *) override { return nullptr; }
};

#include "mismatch.moc"
