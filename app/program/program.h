#pragma once

#include "platform/desktop.h"
#include "platform/core/failure.h"
#include "platform/forms.h"
#include "testdata/tasktable.h"

#include "platform/core/random.h"

#include <QString>

#include <memory>

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
    // The generator the run draws from; tests put in their own.
    RandomSource &random() { return *m_random; }
    void setRandom(std::unique_ptr<RandomSource> random) { m_random = std::move(random); }

    MsgAnswer msgBox(const QString &text, const QString &title = AppTitle,
                     MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);

    // Ends the program at once: every window goes, no further event runs.
    // Never returns: where the desktop does not end the process (a test's
    // desktop), it unwinds to the event loop or to the caller of the
    // handler by throwing EndOfProgram, so no caller can go on by mistake.
    [[noreturn]] void end(int exitCode = 0);
    bool ended() const { return m_ended; }

    // A test-data routine failed: its message, then the end.
    [[noreturn]] void endWithTestDataFailure(const Failure &failure);
    // A failure escaped an event handler: its number and description, then the end.
    [[noreturn]] void endWithRuntimeFailure(const Failure &failure);

private:
    Desktop &m_desktop;
    Forms m_forms;
    TaskTable m_tasks;
    QString m_folder;
    QString m_commandLine;
    std::unique_ptr<RandomSource> m_random = std::make_unique<TimeOfDayRandom>();
    bool m_ended = false;
};

} // namespace velmora
