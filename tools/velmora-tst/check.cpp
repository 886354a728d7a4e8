// velmora-tst check: what would make a test load differently from what the teacher wrote.
#include "velmora-tst/command.h"

#include "platform/core/console.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "testdata/teachertext.h"
#include "testdata/temporarycopy.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

int check(const QList<Operand> &operands, const Options &)
{
    const QString &path = operands.at(0).name;
    QByteArray bytes;
    if (const std::optional<Failure> failure = operands.at(0).read(bytes))
        return failed(*failure);

    // A test as it is stored; a text as scramble and the authoring mode
    // will write it.
    const bool isTest = path.endsWith(u".tst"_s, Qt::CaseInsensitive);
    std::optional<TeacherText> text;
    if (isTest) {
        text = TeacherText::ofStoredTest(bytes);
        if (!text) // the program would fail unscrambling it
            return failed(Failure::of(FailureNumber::InputPastEnd, TemporaryCopy::messagePath(path)));
    } else {
        text.emplace(bytes);
        // A document or a test is no text: named as what it is, nothing more.
        if (text->notText()) {
            writeText(stdout, findingsReport(path, {*text->notText()}));
            return Failed;
        }
    }
    const QByteArray &plain = text->storedForm();
    // Lines in another encoding than the rest are seen in what the teacher
    // wrote: scramble stores the text in one.
    const QList<Finding> findings = CheckTest(plain) + text->mixedEncodings();
    QString report = findingsReport(path, findings);
    // What the program itself will say, from the program's own judgement;
    // a text is named as the test scramble would make of it.
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString test = isTest                         ? path
                         : dot > path.lastIndexOf(u'/') ? path.left(dot) + u".tst"_s
                                                        : path + u".tst"_s;
    const TestOpening opening = TestOpening::ofStoredBytes(isTest ? std::move(bytes) : scrambleBytes(plain), test);
    if (!plain.isEmpty() && !opening.opens())
        report += path + u": программа не откроет тест: "_s + opening.message() + u'\n';
    if (report.isEmpty())
        report = path + u": замечаний нет, тест загрузится так, как записан.\n"_s;
    writeText(stdout, report);
    return findings.isEmpty() && opening.opens() ? Success : Failed;
}

} // namespace

Command checkCommand()
{
    Command command;
    command.name = u"check"_s;
    command.operands = {u"ФАЙЛ"_s};
    command.summary = uR"(проверить текст теста (в том виде, в каком его запишет
scramble) или файл .tst: назвать с номерами строк всё,
из-за чего тест загрузится не так, как записан, или не
откроется в программе)"_s;
    command.help = uR"(Проверяет текст теста или файл теста (.tst, по расширению в любом регистре:
он расшифровывается в памяти). Текст проверяется в том виде, в каком его
запишут scramble и режим составления тестов (концы строк, кодировка и пустые
строки в конце уже исправлены). Называет с номерами строк всё, из-за чего
тест загрузится не так, как записан, не откроется в программе или собьёт
ученика: нет заголовка; в задании больше %1 шагов; две пустые строки
подряд; задание без шагов (пустая строка сразу после условия: задание
поглотит следующее); последняя строка без перевода строки; пустая строка
в конце; строки, которые кончаются одним LF; задание, все шаги которого
одинаковы (любой ответ верен); шаги одного задания, которые выглядят
одинаково, но различаются невидимым или похожим знаком (неразрывный пробел,
пробел в конце строки, латинская C вместо русской С и т. п.); текст без
единого задания. Документ Word, OpenDocument или RTF и уже зашифрованный
тест вместо текста называются как таковые. Если программа тест не откроет,
последней строкой выводится то, что она скажет.)"_s.arg(MaxStepsPerTask);
    command.run = check;
    return command;
}

} // namespace velmora::tool
