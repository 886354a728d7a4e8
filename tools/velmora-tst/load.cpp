// velmora-tst load: an unscrambled test through the program's LoadTest.
#include "velmora-tst/command.h"

#include "testdata/loader.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

int load(const QList<Operand> &operands, const Options &options)
{
    const Operand &input = operands.at(0);
    QByteArray bytes;
    if (const std::optional<Failure> failure = input.read(bytes))
        return failed(*failure);
    TaskTable Tasks;
    LoadResult loaded = LoadTest(std::move(bytes), Tasks);
    if (loaded.failure) {
        loaded.failure->path = input.name;
        return failed(*loaded.failure);
    }
    printTest(loaded.title, Tasks, options.format);
    return Success;
}

} // namespace

Command loadCommand()
{
    Command command;
    command.name = u"load"_s;
    command.operands = {u"ФАЙЛ"_s};
    command.json = true;
    command.summary = uR"(загрузить уже расшифрованный ФАЙЛ и вывести задания
(с --quiet — только число заданий и число шагов))"_s;
    command.help = uR"(Загружает уже расшифрованный ФАЙЛ процедурой загрузки программы и выводит
заголовок и задания: условие и шаги в правильном порядке. Строка кончается
на CR или CR LF; последняя строка файла никогда не становится шагом.)"_s;
    command.run = load;
    return command;
}

} // namespace velmora::tool
