#include "velmora-tst/commandline.h"

using namespace Qt::StringLiterals;

namespace velmora {

void prepareParser(QCommandLineParser &parser, OptionsEnd end)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(end == OptionsEnd::AtFirstOperand
                                                      ? QCommandLineParser::ParseAsPositionalArguments
                                                      : QCommandLineParser::ParseAsOptions);
}

QList<CommandLineEntry> commandLineEntries(const QCommandLineParser &parser, const QStringList &arguments,
                                           OptionsEnd end)
{
    using Kind = CommandLineEntry::Kind;
    const QStringList known = parser.optionNames();
    const QStringList unknown = parser.unknownOptionNames();
    qsizetype nextKnown = 0;
    qsizetype nextUnknown = 0;
    bool optionsEnded = false;
    QList<CommandLineEntry> entries;
    // The parser's own division: after `--` everything is an operand, and so
    // are `-` and what has no leading dash.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || argument == u"-"_s || !argument.startsWith(u'-')) {
            entries << CommandLineEntry{Kind::Operand, i, {}};
            optionsEnded = optionsEnded || end == OptionsEnd::AtFirstOperand;
            continue;
        }
        if (argument == u"--"_s) {
            entries << CommandLineEntry{Kind::EndOfOptions, i, {}};
            optionsEnded = true;
            continue;
        }
        // The name the parser found in this entry comes next in one of its
        // two lists, in the order written.
        const QString name = argument.mid(argument.startsWith(u"--"_s) ? 2 : 1).section(u'=', 0, 0);
        if (nextKnown < known.size() && known.at(nextKnown) == name) {
            ++nextKnown;
            // An option counts only in its own spelling: `-h`, `--help`.
            const bool asWritten = argument == (name.size() == 1 ? u"-"_s : u"--"_s) + name;
            entries << CommandLineEntry{asWritten ? Kind::Option : Kind::UnknownOption, i, name};
        } else {
            if (nextUnknown < unknown.size() && unknown.at(nextUnknown) == name)
                ++nextUnknown;
            entries << CommandLineEntry{Kind::UnknownOption, i, name};
        }
    }
    return entries;
}

} // namespace velmora
