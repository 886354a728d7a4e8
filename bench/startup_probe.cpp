// Linked with the program's own main (app/main.cpp) into a probe for the
// start-up benchmark: the process ends the moment the selection window
// frmStart is shown. Nothing of this is in the program itself.
#include <QCoreApplication>
#include <QEvent>

#include <cstdio>
#include <cstdlib>

namespace {

class ShownProbe final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->inherits("velmora::frmStart")) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
        return false;
    }
};

void installProbe()
{
    QCoreApplication::instance()->installEventFilter(new ShownProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
