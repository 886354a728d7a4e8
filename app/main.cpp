#include "program/program.h"
#include "assets/producticon.h"
#include "platform/runtime.h"
#include "platform/translations.h"
#include "startup/startup.h"
#include "version.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    velmora::Application app(argc, argv);
    QCoreApplication::setApplicationName(velmora::AppTitle);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(velmora::VersionString));
    QGuiApplication::setWindowIcon(velmora::productIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(velmora::DesktopFileName));
    // The windows' own quit rule: the program ends when no window is loaded.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // Qt's own dialogs (file dialogs, message box buttons) speak Russian too.
    velmora::installRussianTranslations(app);

    velmora::QtDesktop desktop;
    velmora::Program program(desktop, QCoreApplication::applicationDirPath(),
                             velmora::argumentString(QCoreApplication::arguments()));
    app.setFailureHandler([&program](const velmora::Failure &failure) { program.endWithRuntimeFailure(failure); });
    // Checked once the handler that unloaded the last window has finished:
    // it may load another window right after.
    QObject::connect(
        &program.forms(), &velmora::Forms::lastUnloaded, &app,
        [&program] {
            if (program.forms().loadedCount() == 0)
                QCoreApplication::quit();
        },
        Qt::QueuedConnection);

    velmora::defineForms(program);
    velmora::Main(program);

    int code = 0;
    if (program.forms().loadedCount() > 0)
        code = QCoreApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
