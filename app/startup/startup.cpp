#include "startup/startup.h"

#include "testdata/authoring.h"
#include "selection/frmgdi.h"
#include "selection/frmsplash.h"
#include "selection/frmregim.h"
#include "selection/frmstart.h"
#include "testdata/temporarycopy.h"
#include "run/frmmain.h"
#include "run/frmoutrez.h"
#include "run/frmhelp.h"
#include "platform/core/nativefiles.h"
#include "platform/runtime.h"
#include "program/program.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace velmora {

QString argumentString(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}

bool isAuthoringCommandLine(const QString &argumentString)
{
    return argumentString.right(3).compare(u"qjx"_s, Qt::CaseInsensitive) == 0;
}

void defineForms(Program &program)
{
    Forms &forms = program.forms();
    forms.define<frmSplash>([&program](Forms &) { return std::make_unique<frmSplash>(program); });
    forms.define<frmStart>([&program](Forms &) {
        // Along the authoring path a folder without tests is no reason to end.
        const auto purpose = isAuthoringCommandLine(program.commandLine()) ? frmStart::Purpose::Authoring
                                                                           : frmStart::Purpose::Choosing;
        return std::make_unique<frmStart>(program, purpose);
    });
    forms.define<frmGdi>([&program](Forms &) { return std::make_unique<frmGdi>(program); });
    forms.define<frmRegim>([&program](Forms &) { return std::make_unique<frmRegim>(program); });
    forms.define<frmMain>([&program](Forms &) { return std::make_unique<frmMain>(program); });
    forms.define<frmOutRez>([&program](Forms &) { return std::make_unique<frmOutRez>(program); });
    forms.define<frmHelp>([&program](Forms &) { return std::make_unique<frmHelp>(program); });
}

namespace {

void startProgram(Program &program)
{
    Forms &forms = program.forms();
    if (Form *splash = forms.load<frmSplash>()) {
        splash->showModeless();
        splash->repaint();
    }

    // The command line first: the selection window's load depends on it
    // (in authoring mode a folder without tests does not end the program).
    const bool authoring = isAuthoringCommandLine(program.commandLine());
    // A load the program never finished (killed meanwhile) left the test
    // in plain text, answers in order: gone before anyone picks a test.
    // One that a signal ends from here on removes its copy itself.
    TemporaryCopy::sweep(program.folder());
    removeHeldFileOnSignals();
    Form *start = forms.load<frmStart>();
    if (!start)
        return;

    forms.unload<frmSplash>();
    if (!authoring) {
        start->showModeless();
        return;
    }
    runAuthoringMode(program);
}

} // namespace

void Main(Program &program)
{
    try {
        startProgram(program);
    } catch (const EndOfProgram &) {
        // The program ended on the way (no test in its folder, a failure
        // while authoring): every window is gone already.
    }
}

bool canWriteFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    // Who may write is not always in the folder's mode: Windows keeps it in
    // access lists that Qt does not read (Program Files looks writable to a
    // teacher who cannot write there). A file is made there and removed.
    QTemporaryFile probe(QDir(folder).filePath(u"velmora-XXXXXX.probe"_s));
    return probe.open();
}

namespace {

// The success message names the file; a test written outside the
// program's folder is not yet in the pupils' list, and the teacher is told so.
QString authoredMessage(const QString &destination, const QString &programFolder)
{
    const QFileInfo written(destination);
    QString text = u"Файл был успешно закодирован.\nТест записан в файл "_s
                   + QDir::toNativeSeparators(written.absoluteFilePath());
    if (written.canonicalPath() != QFileInfo(programFolder).canonicalFilePath()) {
        text += u"\nУченики увидят тест в списке, когда его скопируют в папку программы "_s
                + QDir::toNativeSeparators(programFolder) + u"."_s;
    }
    return text;
}

// A problem as the teacher reads it: its line, then what it is.
QString problemText(const Finding &problem)
{
    return (problem.line > 0 ? u"Строка %1: "_s.arg(problem.line) : QString()) + problem.message;
}

} // namespace

void runAuthoringMode(Program &program, const FolderCheck &canWrite)
{
    Desktop &desktop = program.desktop();
    const std::optional<QString> source = desktop.openFileDialog(
        {u"Текстовый файл *.txt |*.txt | Все файлы *.* | *.*"_s, u"Выберите файл для шифрования"_s, QString()});
    std::optional<QString> destination;
    if (source && !source->isEmpty()) {
        // An installed program's folder is shared and read-only: the test
        // is proposed where the teacher can write it.
        const QString folder = canWrite(program.folder()) ? program.folder() : QDir::homePath();
        destination = desktop.saveFileDialog({u"Файлы тестов *.tst |*.tst"_s, u"Сохранить резултат в файле"_s,
                                              QDir(folder).filePath(u"тест1.tst"_s)});
    }
    if (source && !source->isEmpty() && destination && !destination->isEmpty()) {
        // A test no pupil could take is written only when the teacher, told
        // why and where first, still wants it.
        bool refused = false;
        const WriteAnyway askFirst = [&](const QList<Finding> &found) {
            refused = program.msgBox(u"Внимание: программа не сможет открыть этот тест или покажет его не так, как "
                                     "он написан. "_s
                                         + problemText(found.constFirst()) + u"\n\nЗаписать тест всё равно?"_s,
                                     AppTitle, MsgButtons::YesNo)
                      != MsgAnswer::Yes;
            return !refused;
        };
        QList<Finding> problems;
        if (const std::optional<Failure> failure = AuthorTest(*source, *destination, &problems, askFirst))
            program.endWithTestDataFailure(*failure);
        if (!refused) {
            program.msgBox(authoredMessage(*destination, program.folder()));
            // Written, and pupils can take it; what else the checker found
            // (steps that look alike, a line of blanks) is told after.
            if (!problems.isEmpty() && !Finding::anyBlocks(problems))
                program.msgBox(u"Внимание: у этого теста есть замечания. "_s + problemText(problems.constFirst()));
        }
    }
    // The selection window was loaded but never shown; with it gone no
    // window is left and the program ends.
    program.forms().unload<frmStart>();
}

} // namespace velmora
