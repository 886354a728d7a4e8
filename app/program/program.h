#pragma once

#include "platform/desktop.h"
#include "platform/core/failure.h"
#include "platform/forms.h"
#include "testdata/tasktable.h"

#include <QString>

namespace velmora {

// What the whole program shares, owned in one place (main): its windows,
// the desktop it talks to, its folder and command line, and the task table
// `Tasks` that each load replaces and the run reads.
class Program final
{
public:
    Program(Desktop &desktop, QString folder, QString commandLine);
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    Forms &forms() { return m_forms; }
    Desktop &desktop() { return m_desktop; }
    TaskTable &Tasks() { return m_tasks; }             // for the load that replaces it
    const TaskTable &Tasks() const { return m_tasks; } // what the run reads
    const QString &folder() const { return m_folder; } // the program's folder: its tests live there
    const QString &commandLine() const { return m_commandLine; }

    MsgAnswer msgBox(const QString &text, const QString &title = QString::fromLatin1(AppTitle),
                     MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);

    // Ends the program at once: every window goes, no further event runs.
    // (A test's desktop returns from here; callers return right after.)
    void end(int exitCode = 0);
    bool ended() const { return m_ended; }

    // A test-data routine failed: its message, then the end.
    void endWithTestDataFailure(const Failure &failure);
    // A failure escaped an event handler: its number and description, then the end.
    void endWithRuntimeFailure(const Failure &failure);

private:
    Desktop &m_desktop;
    Forms m_forms;
    TaskTable m_tasks;
    QString m_folder;
    QString m_commandLine;
    bool m_ended = false;
};

} // namespace velmora
