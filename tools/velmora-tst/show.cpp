// velmora-tst show: a stored test as the program opens it when a pupil chooses it.
#include "velmora-tst/command.h"

#include "platform/core/console.h"
#include "testdata/opening.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

int show(const QList<Operand> &operands, const Options &options)
{
    // Read once and judged in memory by the program's own judgement: the
    // messages name the test's copy as the program's would.
    const Operand &test = operands.at(0);
    QByteArray stored;
    if (const std::optional<Failure> failure = test.read(stored))
        return failed(*failure);
    const TestOpening opening = TestOpening::ofStoredBytes(std::move(stored), test.name);
    if (!opening.opens()) {
        writeText(stderr, opening.message() + u'\n');
        return Failed;
    }
    printTest(opening.title, opening.tasks, options.format);
    return Success;
}

} // namespace

Command showCommand()
{
    Command command;
    command.name = u"show"_s;
    command.operands = {u"ТЕСТ.tst"_s};
    command.json = true;
    command.summary = uR"(сделать то, что делает программа, когда ученик выбирает
тест: расшифровать, загрузить, проверить, что список
его покажет; вывести заголовок и задания (с --quiet —
только число заданий и число шагов))"_s;
    command.help = uR"(Делает то, что делает программа, когда ученик выбирает тест: расшифровывает
его (в памяти; программа — во временный файл), загружает задания и проверяет,
что список их покажет. Выводит заголовок и задания в том виде, в каком их
получит программа. Сообщения об ошибках и отказы те же, что у программы.
ТЕСТ читается один раз, так что годится и канал.)"_s;
    command.run = show;
    return command;
}

} // namespace velmora::tool
