// Linked with the program's own main (app/main.cpp) into a probe for the
// benchmark of a pupil's open: once the selection window is shown it
// presses OK on the first test, then the mode window's green button, and
// the process ends the moment the main window is shown. The time from the
// press of OK to the main window shown, in milliseconds, goes to the file
// named by VELMORA_OPEN_PROBE_OUT. Nothing of this is in the program itself.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class OpenProbe final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        if (watched->inherits("velmora::frmStart") || watched->inherits("velmora::frmRegim")) {
            // Pressed once the window is up, as a pupil would.
            const bool start = watched->inherits("velmora::frmStart");
            auto *button = watched->findChild<QAbstractButton *>(QStringLiteral("Command1"));
            QTimer::singleShot(0, this, [this, button, start] {
                if (start)
                    m_clock.start();
                if (button)
                    button->click();
            });
        } else if (watched->inherits("velmora::frmMain") && m_clock.isValid()) {
            const double ms = double(m_clock.nsecsElapsed()) / 1e6;
            QFile out(qEnvironmentVariable("VELMORA_OPEN_PROBE_OUT"));
            if (out.open(QIODevice::WriteOnly))
                out.write(QByteArray::number(ms, 'f', 3));
            out.close();
            std::fflush(nullptr);
            std::_Exit(0);
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
};

void installProbe()
{
    QCoreApplication::instance()->installEventFilter(new OpenProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
