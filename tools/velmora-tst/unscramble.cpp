// velmora-tst unscramble: a file through the program's ScrambleFile.
#include "velmora-tst/command.h"

#include "testdata/scramble.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

int unscramble(const QList<Operand> &operands, const Options &)
{
    const Operand &input = operands.at(0);
    const Operand &output = operands.at(1);
    QFile in;
    std::optional<Failure> failure = output.writable();
    if (!failure)
        failure = input.open(in);
    if (!failure)
        failure = writeScrambledFile(in, output.name, input.isText() ? input.name : QString());
    return failure ? failed(*failure) : Success;
}

} // namespace

Command unscrambleCommand()
{
    Command command;
    command.name = u"unscramble"_s;
    command.operands = {u"ВХОД"_s, u"ВЫХОД"_s};
    command.summary = uR"(пропустить ВХОД через процедуру шифрования программы и
записать результат в ВЫХОД (шифрование и расшифровка —
одно и то же действие, байт в байт))"_s;
    command.help = uR"(Пропускает файл ВХОД через процедуру шифрования программы и записывает
результат в файл ВЫХОД. Шифрование и расшифровка — одно и то же действие:
первая строка (заголовок) до первой пары CR LF копируется как есть, каждый
следующий байт заменяется дополнением, и в конце дописывается ещё один байт.
Расшифрованный тест поэтому кончается двумя лишними байтами, которые
программа при загрузке не читает.

Файл ВЫХОД пишется сначала рядом и переименовывается поверх прежнего только
целиком: если обработка не удалась, прежний файл остаётся как был, а новый
не появляется. Устройство или папка под этим именем не трогаются.)"_s;
    command.run = unscramble;
    return command;
}

} // namespace velmora::tool
