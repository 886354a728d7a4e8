// velmora-tst scramble: a teacher's text made a test, as the authoring mode makes it.
#include "velmora-tst/command.h"

#include "platform/core/console.h"
#include "testdata/opening.h"
#include "testdata/teachertext.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

int scramble(const QList<Operand> &operands, const Options &options)
{
    const Operand &text = operands.at(0);
    const Operand &test = operands.at(1);
    QFile source;
    TeacherText teacherText;
    QList<Finding> problems;
    std::optional<Failure> failure = test.writable();
    if (!failure)
        failure = text.open(source);
    if (!failure)
        failure = teacherText.read(source, text.name);
    if (!failure)
        failure = teacherText.writeTest(text.isText() ? text.name : QString(), test.name, &problems,
                                        [&options](const QList<Finding> &) { return options.force; });
    if (failure)
        return failed(*failure);
    if (problems.isEmpty())
        return Success;
    const bool blocks = Finding::anyBlocks(problems);
    const QString report = findingsReport(text.name, problems);
    // A test pupils can take was written; what the checker found is a warning.
    if (!blocks) {
        writeText(stderr, report + Program + u": "_s + test.name + u" записан, но с замечаниями (выше).\n"_s);
        return Success;
    }
    writeText(stdout, report);
    if (options.force)
        return Success;
    writeText(stderr, Program + u": "_s + test.name
                          + u" не записан: программа не откроет этот тест или покажет его не так, как он написан "
                            "(замечания выше). Записать всё равно: --force\n"_s);
    return Failed;
}

} // namespace

Command scrambleCommand()
{
    Command command;
    command.name = u"scramble"_s;
    command.operands = {u"ТЕКСТ"_s, u"ТЕСТ"_s};
    command.force = true;
    command.summary = uR"(привести текст учителя к виду, который читает программа,
и зашифровать его в файл ТЕСТ (.tst); тест, который
программа не откроет или покажет не так, как он
написан, записывается только с --force)"_s;
    command.help = uR"(Делает из текста учителя файл теста, как режим составления тестов
программы: текст в UTF-8 (с меткой порядка байтов или без) или в
Windows-1251 с концами строк LF, CR LF или CR приводится к виду, который
читает программа (концы строк CR LF, кодировка Windows-1251, если в неё
помещаются все символы, иначе UTF-8, ровно один перевод строки после
последней непустой строки, пустые строки в конце убираются), затем
шифруется в файл ТЕСТ. Больше в тексте ничего не меняется.

Текст теста: первая строка — заголовок; затем задания, каждое — условие и
шаги в правильном порядке, по строке на шаг; задания разделяются одной
пустой строкой. Проверить текст заранее: velmora-tst check ТЕКСТ.

Если программа не сможет открыть такой тест или покажет его не так, как он
написан (задание без шагов, в том числе в середине текста, где оно поглотит
следующее; задание больше чем из %1 шагов; текст без заданий; документ Word,
OpenDocument или RTF вместо текста; уже зашифрованный тест), тест не
записывается: замечания с номерами строк выводятся, код завершения 1.
С --force тест записывается всё равно (замечания выводятся так же).
Остальные замечания check (например, шаги, которые выглядят одинаково)
выводятся в поток ошибок, и тест записывается. Файл ТЕСТ пишется сначала
рядом и переименовывается поверх прежнего только целиком.)"_s.arg(MaxStepsPerTask);
    command.run = scramble;
    return command;
}

} // namespace velmora::tool
