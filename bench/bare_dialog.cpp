// The yardstick for the program's start-up: a bare Qt Widgets dialog that
// lists the titles (first lines, Windows-1251) of the .tst files in its own
// folder and ends the moment it is shown.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

namespace {

class ShownProbe final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    auto *list = new QListWidget(&dialog);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    const QDir folder(QCoreApplication::applicationDirPath());
    for (const QString &name : folder.entryList({QStringLiteral("*.tst")}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QStringDecoder decoder("windows-1251");
        list->addItem(decoder.decode(file.readLine().trimmed()));
    }
    dialog.installEventFilter(new ShownProbe(&dialog));
    dialog.show();
    return QApplication::exec();
}
