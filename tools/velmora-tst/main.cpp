// velmora-tst: the teacher's tool for Velmora's test files. Every command
// goes through the same routines as the program itself.

#include "platform/core/console.h"
#include "platform/core/nativefiles.h"
#include "platform/core/product.h"
#include "testdata/authoring.h"
#include "testdata/checker.h"
#include "testdata/linereader.h"
#include "testdata/loader.h"
#include "testdata/messages.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "velmora-tst/commandline.h"
#include "version.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

enum ExitStatus { Success = 0, Failed = 1, UsageError = 2 };

void print(std::FILE *stream, const QString &text)
{
    writeText(stream, text);
}

const QString Program = u"velmora-tst"_s;

const QString ToolHelp = uR"(Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ...
Работа с файлами тестов %1: шифрование и расшифровка, загрузка, проверка.
Все команды пользуются теми же процедурами, что и сама программа.

Команды:
  unscramble ВХОД ВЫХОД   пропустить ВХОД через процедуру шифрования программы и
                          записать результат в ВЫХОД (шифрование и расшифровка —
                          одно и то же действие, байт в байт)
  scramble [--force] ТЕКСТ ТЕСТ
                          привести текст учителя к виду, который читает программа,
                          и зашифровать его в файл ТЕСТ (.tst); тест, который
                          программа не откроет или покажет не так, как он
                          написан, записывается только с --force
  load [--json | --quiet] ФАЙЛ
                          загрузить уже расшифрованный ФАЙЛ и вывести задания
                          (с --quiet — только число заданий и число шагов)
  show [--json | --quiet] ТЕСТ.tst
                          сделать то, что делает программа, когда ученик выбирает
                          тест: расшифровать, загрузить, проверить, что список
                          его покажет; вывести заголовок и задания (с --quiet —
                          только число заданий и число шагов)
  check ФАЙЛ              проверить текст теста (в том виде, в каком его запишет
                          scramble) или файл .tst: назвать с номерами строк всё,
                          из-за чего тест загрузится не так, как записан, или не
                          откроется в программе

Файлы ВЫХОД и ТЕСТ записываются так, как это делают редакторы: сначала рядом,
затем переименованием поверх, так что прежний файл остаётся целым, пока новый
не записан полностью. Устройство или папка под этим именем не трогаются.

Параметры:
  -h, --help              показать эту справку и выйти
  -V, --version           показать версию и выйти

Справка по команде: velmora-tst КОМАНДА --help

Код завершения:
  0  успешно (для check: тест загрузится так, как записан)
  1  ошибка в файле или при работе с ним (сообщение программы — в потоке ошибок);
     для check — найдены замечания; для scramble — программа не откроет тест
     или покажет его не так, как он написан, и он не записан
  2  ошибка в командной строке
)"_s.arg(AppTitle);

// A file named on the command line: as shown, and as the system gave it.
struct Operand final
{
    QString name;
    QByteArray native;

    // Whether Qt can open it by its name: not so for bytes that are no text.
    bool isText() const { return nativePath(name) == native; }
};

struct Options final
{
    bool json = false;
    bool quiet = false;
    bool force = false;
};

struct Command final
{
    QString name;
    QStringList operands; // their names, as the usage line shows them
    bool json = false;    // takes --json and --quiet
    QString help;         // what the command does
    std::function<int(const QList<Operand> &operands, const Options &options)> run;
    bool force = false;   // takes --force

    QString usage() const
    {
        return u"Использование: velmora-tst "_s + name + (json ? u" [--json | --quiet]"_s : QString())
               + (force ? u" [--force]"_s : QString()) + u' ' + operands.join(u' ');
    }

    // Usage, what the command does, its options and exit status.
    QString fullHelp() const
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
               + (force ? forceOption : QString()) + u"  -h, --help  показать эту справку и выйти\n\nКод завершения: "_s
               + exitStatus;
    }
};

int failed(const Failure &failure)
{
    print(stderr, testDataFailureMessage(failure).text + u'\n');
    return Failed;
}

// A text as a JSON string, escaped by Qt's own JSON writer.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2); // without the brackets
}

// {"title": "…", "tasks": [["условие", "шаг 1", …], …]}, on one line.
QByteArray testJson(const QString &title, const TaskTable &Tasks)
{
    QByteArray json = "{\"title\": " + jsonString(title) + ", \"tasks\": [";
    for (int n = 1; n <= Tasks.count(); ++n) {
        json += n > 1 ? ", [" : "[";
        for (int index = 0; index <= Tasks.stepCount(n); ++index)
            json += (index > 0 ? ", " : "") + jsonString(Tasks.text(n, index));
        json += ']';
    }
    return json + "]}\n";
}

void printTest(const QString &title, const TaskTable &Tasks, const Options &options)
{
    if (options.json) {
        print(stdout, QString::fromUtf8(testJson(title, Tasks)));
        return;
    }
    if (options.quiet) {
        qint64 steps = 0;
        for (int n = 1; n <= Tasks.count(); ++n)
            steps += Tasks.stepCount(n);
        print(stdout, u"Заданий: "_s + QString::number(Tasks.count()) + u"\nШагов: "_s + QString::number(steps) + u'\n');
        return;
    }
    QString text = u"Заголовок: "_s + title + u"\nЗаданий: "_s + QString::number(Tasks.count()) + u'\n';
    for (int n = 1; n <= Tasks.count(); ++n) {
        text += u"\nЗадание "_s + QString::number(n) + u": "_s + Tasks.text(n, 0) + u'\n';
        for (int k = 1; k <= Tasks.stepCount(n); ++k)
            text += u"  "_s + QString::number(k) + u". "_s + Tasks.text(n, k) + u'\n';
    }
    print(stdout, text);
}

// The most of a file the tool holds at once; the program's loader holds
// no more either.
constexpr qint64 InputLimit = MaxTableBytes;

// Opens an input operand, whatever it is (a file, a pipe, `<(…)`) and
// whatever bytes name it.
std::optional<Failure> openInput(QFile &file, const Operand &input)
{
    if (!input.isText())
        return openNativeFile(file, input.native, input.name);
    file.setFileName(input.name);
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file, input.name);
    return std::nullopt;
}

// An output is written beside its name and renamed: it needs a name Qt can hold.
std::optional<Failure> outputFailure(const Operand &output)
{
    if (output.isText())
        return std::nullopt;
    return Failure::of(FailureNumber::BadFileName, output.name);
}

// Reads an input once.
std::optional<Failure> readInput(const Operand &input, QByteArray &bytes)
{
    QFile file;
    if (std::optional<Failure> failure = openInput(file, input))
        return failure;
    // A file too large is refused before a byte of it is read.
    if (!file.isSequential() && file.size() > InputLimit)
        return Failure::of(FailureNumber::OutOfMemory, input.name);
    // Room for the byte the unscrambling appends: a test is then opened
    // in the same memory.
    if (!readWhole(file, bytes, InputLimit, 1) || file.error() != QFileDevice::NoError)
        return fileFailure(file, input.name);
    if (bytes.size() > InputLimit)
        return Failure::of(FailureNumber::OutOfMemory, input.name);
    return std::nullopt;
}

QString findingLine(const QString &path, const Finding &finding)
{
    return path + u':' + (finding.line > 0 ? QString::number(finding.line) + u':' : QString()) + u' '
           + finding.message + u'\n';
}

int unscramble(const QList<Operand> &operands, const Options &)
{
    const Operand &input = operands.at(0);
    const Operand &output = operands.at(1);
    QFile in;
    std::optional<Failure> failure = outputFailure(output);
    if (!failure)
        failure = openInput(in, input);
    if (!failure)
        failure = scrambleToFile(in, output.name, input.isText() ? input.name : QString());
    return failure ? failed(*failure) : Success;
}

int scramble(const QList<Operand> &operands, const Options &options)
{
    const Operand &text = operands.at(0);
    const Operand &test = operands.at(1);
    QFile source;
    TeacherText teacherText;
    QList<Finding> problems;
    std::optional<Failure> failure = outputFailure(test);
    if (!failure)
        failure = openInput(source, text);
    if (!failure)
        failure = readTeacherText(source, text.name, teacherText);
    if (!failure)
        failure = authorText(teacherText, text.isText() ? text.name : QString(), test.name, &problems,
                             [&options](const QList<Finding> &) { return options.force; });
    if (failure)
        return failed(*failure);
    if (problems.isEmpty())
        return Success;
    const bool blocks = problems.constFirst().blocksOpening;
    std::stable_sort(problems.begin(), problems.end(), [](const Finding &a, const Finding &b) { return a.line < b.line; });
    QString report;
    for (const Finding &finding : problems)
        report += findingLine(text.name, finding);
    // A test pupils can take was written; what the checker found is a warning.
    if (!blocks) {
        print(stderr, report + Program + u": "_s + test.name + u" записан, но с замечаниями (выше).\n"_s);
        return Success;
    }
    print(stdout, report);
    if (options.force)
        return Success;
    print(stderr, Program + u": "_s + test.name
                      + u" не записан: программа не откроет этот тест или покажет его не так, как он написан "
                        "(замечания выше). Записать всё равно: --force\n"_s);
    return Failed;
}

int load(const QList<Operand> &operands, const Options &options)
{
    const Operand &input = operands.at(0);
    QByteArray bytes;
    if (const std::optional<Failure> failure = readInput(input, bytes))
        return failed(*failure);
    TaskTable Tasks;
    LoadResult loaded = LoadTest(std::move(bytes), Tasks);
    if (loaded.failure) {
        loaded.failure->path = input.name;
        return failed(*loaded.failure);
    }
    printTest(loaded.title, Tasks, options);
    return Success;
}

int show(const QList<Operand> &operands, const Options &options)
{
    // Read once and judged in memory by the program's own judgement: the
    // messages name the test's copy as the program's would.
    const Operand &test = operands.at(0);
    QByteArray stored;
    if (const std::optional<Failure> failure = readInput(test, stored))
        return failed(*failure);
    const TestOpening opening = openStoredBytes(std::move(stored), test.name);
    if (!opening.opens()) {
        print(stderr, opening.message() + u'\n');
        return Failed;
    }
    printTest(opening.title, opening.tasks, options);
    return Success;
}

int check(const QList<Operand> &operands, const Options &)
{
    const QString &path = operands.at(0).name;
    QByteArray bytes;
    if (const std::optional<Failure> failure = readInput(operands.at(0), bytes))
        return failed(*failure);

    // A test as it is stored; a text as scramble and the authoring mode
    // will write it.
    QByteArray stored;
    QByteArray plain;
    if (path.endsWith(u".tst"_s, Qt::CaseInsensitive)) {
        const std::optional<QByteArray> unscrambled = plainTextOfStored(bytes);
        if (!unscrambled) // the program would fail unscrambling it
            return failed(Failure::of(FailureNumber::InputPastEnd, path + u".tmp"_s));
        stored = bytes;
        plain = *unscrambled;
    } else {
        // A document or a test is no text: named as what it is, nothing more.
        if (const std::optional<Finding> notText = notATeachersText(bytes)) {
            print(stdout, findingLine(path, *notText));
            return Failed;
        }
        plain = toStoredForm(bytes);
        stored = scrambleBytes(plain);
    }
    // Lines in another encoding than the rest are seen in what the teacher
    // wrote: scramble stores the text in one.
    QList<Finding> findings = CheckTest(plain) + mixedEncodingFindings(stored == bytes ? plain : bytes);
    std::stable_sort(findings.begin(), findings.end(), [](const Finding &a, const Finding &b) { return a.line < b.line; });
    QString report;
    for (const Finding &finding : findings)
        report += findingLine(path, finding);
    // What the program itself will say, from the program's own judgement;
    // a text is named as the test scramble would make of it.
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString test = stored == bytes                 ? path
                         : dot > path.lastIndexOf(u'/') ? path.left(dot) + u".tst"_s
                                                        : path + u".tst"_s;
    const TestOpening opening = openStoredBytes(std::move(stored), test);
    if (!plain.isEmpty() && !opening.opens())
        report += path + u": программа не откроет тест: "_s + opening.message() + u'\n';
    if (report.isEmpty())
        report = path + u": замечаний нет, тест загрузится так, как записан.\n"_s;
    print(stdout, report);
    return findings.isEmpty() && opening.opens() ? Success : Failed;
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

Файл ВЫХОД пишется сначала рядом и переименовывается поверх прежнего только
целиком: если обработка не удалась, прежний файл остаётся как был, а новый
не появляется. Устройство или папка под этим именем не трогаются.

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

Если программа не сможет открыть такой тест или покажет его не так, как он
написан (задание без шагов, в том числе в середине текста, где оно поглотит
следующее; задание больше чем из %1 шагов; текст без заданий; документ Word,
OpenDocument или RTF вместо текста; уже зашифрованный тест), тест не
записывается: замечания с номерами строк выводятся, код завершения 1.
С --force тест записывается всё равно (замечания выводятся так же).
Остальные замечания check (например, шаги, которые выглядят одинаково)
выводятся в поток ошибок, и тест записывается. Файл ТЕСТ пишется сначала
рядом и переименовывается поверх прежнего только целиком.

)"_s.arg(MaxStepsPerTask),
         scramble, true},
        {u"load"_s, {u"ФАЙЛ"_s}, true,
         uR"(Загружает уже расшифрованный ФАЙЛ процедурой загрузки программы и выводит
заголовок и задания: условие и шаги в правильном порядке. Строка кончается
на CR или CR LF; последняя строка файла никогда не становится шагом.

)"_s,
         load},
        {u"show"_s, {u"ТЕСТ.tst"_s}, true,
         uR"(Делает то, что делает программа, когда ученик выбирает тест: расшифровывает
его (в памяти; программа — во временный файл), загружает задания и проверяет,
что список их покажет. Выводит заголовок и задания в том виде, в каком их
получит программа. Сообщения об ошибках и отказы те же, что у программы.
ТЕСТ читается один раз, так что годится и канал.

)"_s,
         show},
        {u"check"_s, {u"ФАЙЛ"_s}, false,
         uR"(Проверяет текст теста или файл теста (.tst, по расширению в любом регистре:
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
последней строкой выводится то, что она скажет.

)"_s.arg(MaxStepsPerTask),
         check},
    };
}

int usageError(const QString &problem, const QString &usage)
{
    print(stderr, Program + u": "_s + problem + u'\n' + usage + u"\nПодробнее: velmora-tst --help\n"_s);
    return UsageError;
}

const QString ToolUsage = u"Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ..."_s;

int run(const QStringList &arguments, const QList<QByteArray> &native)
{
    using Kind = CommandLineEntry::Kind;
    if (arguments.size() < 2)
        return usageError(u"не указана команда"_s, ToolUsage);

    // The tool's own word comes first: its help, its version or a command.
    // The parser's verdict in English is not the teacher's: the entries it
    // found say what to answer.
    QCommandLineParser tool;
    prepareParser(tool, OptionsEnd::AtFirstOperand);
    const QCommandLineOption toolHelp(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption version(QStringList{u"V"_s, u"version"_s});
    tool.addOptions({toolHelp, version});
    tool.addPositionalArgument(u"КОМАНДА"_s, {});
    tool.parse(arguments);
    const CommandLineEntry first = commandLineEntries(tool, arguments, OptionsEnd::AtFirstOperand).constFirst();
    const QString &word = arguments.at(first.index);
    if ((first.kind == Kind::Option && toolHelp.names().contains(first.option))
        || (first.kind == Kind::Operand && word == u"help"_s)) {
        print(stdout, ToolHelp);
        return Success;
    }
    if (first.kind == Kind::Option && version.names().contains(first.option)) {
        print(stdout, Program + u' ' + QString::fromLatin1(VersionString) + u'\n');
        return Success;
    }
    const QList<Command> all = commands();
    const auto command = std::find_if(all.cbegin(), all.cend(), [&](const Command &c) { return c.name == word; });
    if (command == all.cend()) {
        if (word.startsWith(u'-'))
            return usageError(u"неизвестный параметр «"_s + word + u"»"_s, ToolUsage);
        return usageError(u"неизвестная команда «"_s + word + u"»"_s, ToolUsage);
    }

    // The command's own line: the command stands where the program's name
    // stood, and the options may come before, between or after its operands.
    const QStringList line = arguments.mid(first.index);
    QCommandLineParser parser;
    prepareParser(parser, OptionsEnd::AtEndOfOptions);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption json(u"json"_s);
    const QCommandLineOption quiet(u"quiet"_s);
    const QCommandLineOption force(u"force"_s);
    parser.addOption(help);
    if (command->json)
        parser.addOptions({json, quiet});
    if (command->force)
        parser.addOption(force);
    for (const QString &operand : command->operands)
        parser.addPositionalArgument(operand, {});
    parser.parse(line);

    // Whichever comes first of a help request and a wrong option answers.
    QList<Operand> operands;
    for (const CommandLineEntry &entry : commandLineEntries(parser, line, OptionsEnd::AtEndOfOptions)) {
        const QString &argument = line.at(entry.index);
        if (entry.kind == Kind::Operand)
            operands << Operand{argument, native.at(first.index + entry.index)};
        else if (entry.kind == Kind::UnknownOption)
            return usageError(u"неизвестный параметр «"_s + argument + u"»"_s, command->usage());
        else if (entry.kind == Kind::Option && help.names().contains(entry.option)) {
            print(stdout, command->fullHelp());
            return Success;
        }
    }
    Options options;
    options.json = command->json && parser.isSet(json);
    options.quiet = command->json && parser.isSet(quiet);
    options.force = command->force && parser.isSet(force);
    if (options.json && options.quiet)
        return usageError(u"--json и --quiet вместе не указываются"_s, command->usage());
    if (operands.size() < command->operands.size())
        return usageError(u"не хватает аргументов"_s, command->usage());
    if (operands.size() > command->operands.size())
        return usageError(u"лишний аргумент «"_s + operands.at(command->operands.size()).name + u"»"_s,
                          command->usage());
    for (const Operand &operand : operands) {
        if (operand.name.isEmpty()) // no file has an empty name
            return failed(Failure::of(FailureNumber::PathFileAccessError));
    }
    return command->run(operands, options);
}

// Qt's own diagnostics are not for teachers: a failure is one line, ours.
void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

int main(int argc, char *argv[])
{
    // A reader that went away (`| head`) ends the output, not the tool
    // midway: writes then simply fail.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    qInstallMessageHandler(quiet);
    QCoreApplication app(argc, argv);
    // File names as the system gave them, bytes that are no text included:
    // inputs are opened by those bytes.
    QStringList arguments;
    QList<QByteArray> native;
#ifdef Q_OS_WIN
    // The system's own command line is text already.
    arguments = QCoreApplication::arguments();
    for (const QString &argument : std::as_const(arguments))
        native << nativePath(argument);
#else
    for (int i = 0; i < argc; ++i) {
        native << QByteArray(argv[i]);
        arguments << shownPath(QByteArray(argv[i]));
    }
#endif
    return run(arguments, native);
}
