// A library whose metadata is right in every respect but whose root object
// makes no controls: loading it must end in a failure, not a crash.

#include <tabulo/control.h>

#include <QObject>

class NotAFactory final : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TABULO_CONTROLFACTORY_IID FILE "notfactory.json")
};

#include "notfactory.moc"
