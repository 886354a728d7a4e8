#pragma once

#include "velmora-tst/operand.h"
#include "velmora-tst/output.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace velmora::tool {

// The options a command was given.
struct Options final
{
    TestFormat format = TestFormat::Text; // --json, --quiet
    bool force = false;
};

// One command of the tool: what its usage line, its help and the tool's
// help say of it, and what it does.
struct Command final
{
    QString name;
    QStringList operands; // their names, as the usage line shows them
    bool json = false;    // takes --json and --quiet
    bool force = false;   // takes --force
    QString summary;      // its lines in the tool's help
    QString help;         // what the command does, in its own help
    std::function<int(const QList<Operand> &operands, const Options &options)> run;

    // "КОМАНДА [ПАРАМЕТР]... ОПЕРАНД...", as the usage line and the tool's help show it.
    QString synopsis() const;
    // Its usage line.
    QString usage() const;
    // Usage, what the command does, its options and exit status.
    QString fullHelp() const;
};

// The commands, each in a file of its own.
Command unscrambleCommand();
Command scrambleCommand();
Command loadCommand();
Command showCommand();
Command checkCommand();

QList<Command> commands();

// The tool's usage line, and its help: every command with its summary.
extern const QString ToolUsage;
QString toolHelp();

} // namespace velmora::tool
