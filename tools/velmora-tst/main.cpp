// velmora-tst: the teacher's tool for Velmora's test files. Every command
// goes through the same routines as the program itself; each has a file of
// its own.

#include "platform/core/console.h"
#include "platform/core/nativefiles.h"
#include "velmora-tst/command.h"
#include "velmora-tst/commandline.h"
#include "version.h"

#include <QCommandLineOption>
#include <QCoreApplication>

#include <algorithm>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace velmora;
using namespace velmora::tool;

namespace {

int usageError(const QString &problem, const QString &usage)
{
    writeText(stderr, Program + u": "_s + problem + u'\n' + usage + u"\nПодробнее: velmora-tst --help\n"_s);
    return UsageError;
}

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
        writeText(stdout, tool::toolHelp());
        return Success;
    }
    if (first.kind == Kind::Option && version.names().contains(first.option)) {
        writeText(stdout, Program + u' ' + QString::fromLatin1(VersionString) + u'\n');
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
            writeText(stdout, command->fullHelp());
            return Success;
        }
    }
    const bool asJson = command->json && parser.isSet(json);
    const bool quietly = command->json && parser.isSet(quiet);
    if (asJson && quietly)
        return usageError(u"--json и --quiet вместе не указываются"_s, command->usage());
    Options options;
    options.format = asJson ? TestFormat::Json : quietly ? TestFormat::Counts : TestFormat::Text;
    options.force = command->force && parser.isSet(force);
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
