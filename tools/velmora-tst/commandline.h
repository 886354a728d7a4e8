#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// One entry of a command line, as the parser took it. The parser reports
// its options and its operands apart; the tool needs them in the order
// written: which came first of a help request and a wrong option, and each
// operand's own argv entry (its native bytes).
struct CommandLineEntry final
{
    enum class Kind {
        Operand,
        Option,        // one the parser knows, written as the usage writes it
        UnknownOption, // unknown, or known but written otherwise (`--h`, `-help`, `--json=1`)
        EndOfOptions,  // `--`
    };
    Kind kind = Kind::Operand;
    qsizetype index = 0; // in the arguments parsed
    QString option;      // an option's name as the parser found it
};

enum class OptionsEnd { AtEndOfOptions, AtFirstOperand };

// The entries of `arguments` (the first one is the program) after `parser`
// has parsed them in the single-dash-word mode of long options, with no
// option that takes a value: every option entry is then one name the parser
// found, known or unknown. `end` is the parser's mode for options after an
// operand.
QList<CommandLineEntry> commandLineEntries(const QCommandLineParser &parser, const QStringList &arguments,
                                           OptionsEnd end);

// A parser for such a command line: one word an option, none takes a value.
void prepareParser(QCommandLineParser &parser, OptionsEnd end);

} // namespace velmora
