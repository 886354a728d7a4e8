// velmora-tst: the teacher's tool for Velmora's test files. Every command
// goes through the same routines as the program itself.

#include "testdata/authoring.h"
#include "testdata/checker.h"
#include "testdata/loader.h"
#include "testdata/messages.h"
#include "testdata/scramble.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

enum ExitStatus { Success = 0, Failed = 1, UsageError = 2 };

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

const QString Program = u"velmora-tst"_s;

const QString ToolHelp = uR"(Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ...
Работа с файлами тестов Velmora: шифрование и расшифровка, загрузка, проверка.
Все команды пользуются теми же процедурами, что и сама программа.

Команды:
  unscramble ВХОД ВЫХОД   пропустить ВХОД через процедуру шифрования программы и
                          записать результат в ВЫХОД (шифрование и расшифровка —
                          одно и то же действие, байт в байт)
  scramble ТЕКСТ ТЕСТ     привести текст учителя к виду, который читает программа,
                          и зашифровать его в файл ТЕСТ (.tst)
  load ФАЙЛ [--json]      загрузить уже расшифрованный ФАЙЛ и вывести задания
  show ТЕСТ.tst [--json]  сделать то, что делает программа, когда ученик выбирает
                          тест: расшифровать, загрузить, убрать временный файл;
                          вывести заголовок и задания
  check ФАЙЛ              проверить текст теста или файл .tst: назвать с номерами
                          строк всё, из-за чего тест загрузится не так, как
                          записан, или не откроется в программе

Параметры:
  -h, --help              показать эту справку и выйти
  -V, --version           показать версию и выйти

Справка по команде: velmora-tst КОМАНДА --help

Код завершения:
  0  успешно (для check: тест загрузится так, как записан)
  1  ошибка в файле или при работе с ним (сообщение программы — в потоке ошибок);
     для check — найдены замечания
  2  ошибка в командной строке
)"_s;

struct Command final
{
    QString name;
    QStringList operands; // their names, as the usage line shows them
    bool json = false;    // takes --json
    QString help;         // what the command does
    std::function<int(const QStringList &operands, bool json)> run;

    QString usage() const
    {
        return u"Использование: velmora-tst "_s + name + (json ? u" [--json]"_s : QString()) + u' '
               + operands.join(u' ');
    }

    // Usage, what the command does, its options and exit status.
    QString fullHelp() const
    {
        const QString jsonOption = uR"(      --json  вывести один объект JSON в UTF-8:
              {"title": "…", "tasks": [["условие", "шаг 1", …], …]}
)"_s;
        const QString exitStatus = name == u"check"_s
                                       ? u"0 — тест загрузится так, как записан; 1 — есть замечания\n"
                                         "или файл не прочитан; 2 — ошибка в командной строке.\n"_s
                                       : u"0 — успешно, 1 — ошибка (сообщение программы в потоке\n"
                                         "ошибок), 2 — ошибка в командной строке.\n"_s;
        return usage() + u'\n' + help.trimmed() + u"\n\nПараметры:\n"_s + (json ? jsonOption : QString())
               + u"  -h, --help  показать эту справку и выйти\n\nКод завершения: "_s + exitStatus;
    }
};

int failed(const Failure &failure)
{
    print(stderr, testDataFailureMessage(failure).text + u'\n');
    return Failed;
}

QString jsonString(const QString &text)
{
    QString quoted = u"\""_s;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': quoted += u"\\\""_s; break;
        case '\\': quoted += u"\\\\"_s; break;
        case '\b': quoted += u"\\b"_s; break;
        case '\f': quoted += u"\\f"_s; break;
        case '\n': quoted += u"\\n"_s; break;
        case '\r': quoted += u"\\r"_s; break;
        case '\t': quoted += u"\\t"_s; break;
        default:
            if (c.unicode() < 0x20)
                quoted += u"\\u%1"_s.arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    return quoted + u'"';
}

void printTest(const QString &title, const TaskTable &Tasks, bool json)
{
    QString text;
    if (json) {
        QStringList tasks;
        for (const Task &task : Tasks.tasks()) {
            QStringList items;
            for (const QString &item : task)
                items << jsonString(item);
            tasks << u'[' + items.join(u", "_s) + u']';
        }
        text = u"{\"title\": "_s + jsonString(title) + u", \"tasks\": ["_s + tasks.join(u", "_s) + u"]}\n"_s;
    } else {
        text = u"Заголовок: "_s + title + u"\nЗаданий: "_s + QString::number(Tasks.count()) + u'\n';
        for (int n = 1; n <= Tasks.count(); ++n) {
            text += u"\nЗадание "_s + QString::number(n) + u": "_s + Tasks.text(n, 0) + u'\n';
            for (int k = 1; k <= Tasks.stepCount(n); ++k)
                text += u"  "_s + QString::number(k) + u". "_s + Tasks.text(n, k) + u'\n';
        }
    }
    print(stdout, text);
}

std::optional<QString> titleOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readTitle(file);
}

int unscramble(const QStringList &operands, bool)
{
    QString path = operands.at(0);
    if (const std::optional<Failure> failure = ScrambleFile(path, operands.at(1)))
        return failed(*failure);
    return Success;
}

int scramble(const QStringList &operands, bool)
{
    if (const std::optional<Failure> failure = AuthorTest(operands.at(0), operands.at(1)))
        return failed(*failure);
    return Success;
}

int load(const QStringList &operands, bool json)
{
    const QString &path = operands.at(0);
    TaskTable Tasks;
    if (const std::optional<Failure> failure = LoadTest(path, Tasks))
        return failed(*failure);
    printTest(titleOf(path).value_or(QString()), Tasks, json);
    return Success;
}

int show(const QStringList &operands, bool json)
{
    const QString &test = operands.at(0);
    // The program writes its copy beside the test; this tool keeps the
    // teacher's folder clean and names the test as the program would.
    const QString programCopy = test + u".tmp"_s;
    QTemporaryDir folder;
    if (!folder.isValid())
        return failed(Failure::of(FailureNumber::PathFileAccessError, folder.path()));
    const QString copy = folder.filePath(QFileInfo(test).fileName() + u".tmp"_s);
    auto asProgram = [&](Failure failure) {
        if (failure.path == copy)
            failure.path = programCopy;
        return failure;
    };

    QString path = test;
    if (const std::optional<Failure> failure = ScrambleFile(path, copy))
        return failed(asProgram(*failure));
    TaskTable Tasks;
    const std::optional<Failure> failure = LoadTest(path, Tasks);
    QFile::remove(path);
    if (failure)
        return failed(asProgram(*failure));
    printTest(titleOf(test).value_or(QString()), Tasks, json);
    return Success;
}

int check(const QStringList &operands, bool)
{
    const QString &path = operands.at(0);
    constexpr qint64 Limit = 256 * 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(fileFailure(file, path));
    QByteArray bytes = file.read(Limit + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(fileFailure(file, path));
    if (bytes.size() > Limit)
        return failed(Failure::of(FailureNumber::OutOfMemory, path));

    if (path.endsWith(u".tst"_s, Qt::CaseInsensitive)) {
        const std::optional<QByteArray> plain = plainTextOfStored(bytes);
        if (!plain) // the program would fail unscrambling it
            return failed(Failure::of(FailureNumber::InputPastEnd, path + u".tmp"_s));
        bytes = *plain;
    }
    const QList<Finding> findings = CheckTest(bytes);
    QString report;
    for (const Finding &finding : findings)
        report += path + u':' + (finding.line > 0 ? QString::number(finding.line) + u':' : QString()) + u' '
                  + finding.message + u'\n';
    if (findings.isEmpty())
        report = path + u": замечаний нет, тест загрузится так, как записан.\n"_s;
    print(stdout, report);
    return findings.isEmpty() ? Success : Failed;
}

QList<Command> commands()
{
    return {
        {u"unscramble"_s, {u"ВХОД"_s, u"ВЫХОД"_s}, false,
         uR"(Пропускает файл ВХОД через процедуру шифрования программы и записывает
результат в файл ВЫХОД. Шифрование и расшифровка — одно и то же действие:
первая строка (заголовок) до первой пары CR LF копируется как есть, каждый
следующий байт заменяется дополнением, и в конце дописывается ещё один байт.
Расшифрованный тест поэтому кончается двумя лишними байтами, которые
программа при загрузке не читает.

Файл ВЫХОД создаётся заново: то, что лежало под этим именем (файл или
ссылка), удаляется, ссылка при этом никогда не разыменовывается. Если
обработка не удалась, файл ВЫХОД не остаётся.

)"_s,
         unscramble},
        {u"scramble"_s, {u"ТЕКСТ"_s, u"ТЕСТ"_s}, false,
         uR"(Делает из текста учителя файл теста, как режим составления тестов
программы: текст в UTF-8 (с меткой порядка байтов или без) или в
Windows-1251 с концами строк LF, CR LF или CR приводится к виду, который
читает программа (концы строк CR LF, кодировка Windows-1251, если в неё
помещаются все символы, иначе UTF-8, ровно один перевод строки после
последней непустой строки, пустые строки в конце убираются), затем
шифруется в файл ТЕСТ. Больше в тексте ничего не меняется.

Текст теста: первая строка — заголовок; затем задания, каждое — условие и
шаги в правильном порядке, по строке на шаг; задания разделяются одной
пустой строкой. Проверить текст заранее: velmora-tst check ТЕКСТ.

)"_s,
         scramble},
        {u"load"_s, {u"ФАЙЛ"_s}, true,
         uR"(Загружает уже расшифрованный ФАЙЛ процедурой загрузки программы и выводит
заголовок и задания: условие и шаги в правильном порядке. Строка кончается
на CR или CR LF; последняя строка файла никогда не становится шагом.

)"_s,
         load},
        {u"show"_s, {u"ТЕСТ.tst"_s}, true,
         uR"(Делает то, что делает программа, когда ученик выбирает тест: расшифровывает
его во временный файл, загружает задания и удаляет временный файл. Выводит
заголовок и задания в том виде, в каком их получит программа. Сообщения об
ошибках те же, что у программы.

)"_s,
         show},
        {u"check"_s, {u"ФАЙЛ"_s}, false,
         uR"(Проверяет текст теста или файл теста (.tst, по расширению в любом регистре:
он расшифровывается в памяти) и называет с номерами строк всё, из-за чего
тест загрузится не так, как записан, или не откроется в программе: нет
заголовка; в задании больше 20 шагов; две пустые строки подряд; пустой
первый шаг; последняя строка без перевода строки; пустая строка в конце;
строки, которые кончаются одним LF; задание, все шаги которого одинаковы
(любой ответ верен); текст без единого задания.

)"_s,
         check},
    };
}

int usageError(const QString &problem, const QString &usage)
{
    print(stderr, Program + u": "_s + problem + u'\n' + usage + u"\nПодробнее: velmora-tst --help\n"_s);
    return UsageError;
}

const QString ToolUsage = u"Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ..."_s;

int run(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usageError(u"не указана команда"_s, ToolUsage);
    const QString &first = arguments.at(1);
    if (first == u"-h"_s || first == u"--help"_s || first == u"help"_s) {
        print(stdout, ToolHelp);
        return Success;
    }
    if (first == u"-V"_s || first == u"--version"_s) {
        print(stdout, Program + u' ' + QStringLiteral(VELMORA_VERSION) + u'\n');
        return Success;
    }
    const QList<Command> all = commands();
    const auto command = std::find_if(all.cbegin(), all.cend(), [&](const Command &c) { return c.name == first; });
    if (command == all.cend()) {
        if (first.startsWith(u'-'))
            return usageError(u"неизвестный параметр «"_s + first + u"»"_s, ToolUsage);
        return usageError(u"неизвестная команда «"_s + first + u"»"_s, ToolUsage);
    }

    QStringList operands;
    bool json = false;
    bool optionsEnded = false;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || argument == u"-"_s || !argument.startsWith(u'-')) {
            operands << argument;
        } else if (argument == u"--"_s) {
            optionsEnded = true;
        } else if (argument == u"-h"_s || argument == u"--help"_s) {
            print(stdout, command->fullHelp());
            return Success;
        } else if (argument == u"--json"_s && command->json) {
            json = true;
        } else {
            return usageError(u"неизвестный параметр «"_s + argument + u"»"_s, command->usage());
        }
    }
    if (operands.size() < command->operands.size())
        return usageError(u"не хватает аргументов"_s, command->usage());
    if (operands.size() > command->operands.size())
        return usageError(u"лишний аргумент «"_s + operands.at(command->operands.size()) + u"»"_s, command->usage());
    return command->run(operands, json);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
