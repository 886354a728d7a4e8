#include "velmora-tst/command.h"

#include "platform/core/product.h"

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

const QString UsagePrefix = u"Использование: velmora-tst "_s;
const QString HelpOption = u"показать эту справку и выйти"_s;

// Where the tool's help starts a command's summary.
constexpr qsizetype SummaryColumn = 26;

// A command's entry in the tool's help: its synopsis, and its summary from
// the summary column on, on the same line where the synopsis leaves room.
QString helpEntry(const Command &command)
{
    const QString indent(SummaryColumn, u' ');
    QString entry = u"  "_s + command.synopsis();
    entry += entry.size() + 2 <= SummaryColumn ? QString(SummaryColumn - entry.size(), u' ') : u'\n' + indent;
    return entry + command.summary.trimmed().replace(u"\n"_s, u'\n' + indent) + u'\n';
}

} // namespace

const QString ToolUsage = UsagePrefix + u"КОМАНДА [ПАРАМЕТР]... ФАЙЛ..."_s;

QString Command::synopsis() const
{
    return name + (json ? u" [--json | --quiet]"_s : QString()) + (force ? u" [--force]"_s : QString()) + u' '
           + operands.join(u' ');
}

QString Command::usage() const
{
    return UsagePrefix + synopsis();
}

QString Command::fullHelp() const
{
    const QString jsonOption = uR"(      --json  вывести один объект JSON в UTF-8:
              {"title": "…", "tasks": [["условие", "шаг 1", …], …]}
      --quiet вывести только число заданий и число шагов:
              Заданий: N
              Шагов: M
)"_s;
    const QString forceOption = uR"(      --force записать тест, даже если программа его не откроет
              или покажет не так, как он написан
)"_s;
    const QString exitStatus = name == u"check"_s
                                   ? u"0 — тест загрузится так, как записан; 1 — есть замечания\n"
                                     "или файл не прочитан; 2 — ошибка в командной строке.\n"_s
                                   : u"0 — успешно, 1 — ошибка (сообщение программы в потоке\n"
                                     "ошибок)"_s
                                         + (force ? u" или тест не записан, потому что программа его не откроет или\n"
                                                    "покажет не так, как он написан"_s
                                                  : QString())
                                         + u", 2 — ошибка в командной строке.\n"_s;
    return usage() + u'\n' + help.trimmed() + u"\n\nПараметры:\n"_s + (json ? jsonOption : QString())
           + (force ? forceOption : QString()) + u"  -h, --help  "_s + HelpOption + u"\n\nКод завершения: "_s
           + exitStatus;
}

QList<Command> commands()
{
    return {unscrambleCommand(), scrambleCommand(), loadCommand(), showCommand(), checkCommand()};
}

QString toolHelp()
{
    QString entries;
    for (const Command &command : commands())
        entries += helpEntry(command);
    return ToolUsage + u'\n' + uR"(Работа с файлами тестов %1: шифрование и расшифровка, загрузка, проверка.
Все команды пользуются теми же процедурами, что и сама программа.

Команды:
)"_s.arg(AppTitle)
           + entries + uR"(
Файлы ВЫХОД и ТЕСТ записываются так, как это делают редакторы: сначала рядом,
затем переименованием поверх, так что прежний файл остаётся целым, пока новый
не записан полностью. Устройство или папка под этим именем не трогаются.

Параметры:
  -h, --help              )"_s
           + HelpOption + uR"(
  -V, --version           показать версию и выйти

Справка по команде: velmora-tst КОМАНДА --help

Код завершения:
  0  успешно (для check: тест загрузится так, как записан)
  1  ошибка в файле или при работе с ним (сообщение программы — в потоке ошибок);
     для check — найдены замечания; для scramble — программа не откроет тест
     или покажет его не так, как он написан, и он не записан
  2  ошибка в командной строке
)"_s;
}

} // namespace velmora::tool
