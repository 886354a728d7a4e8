#include "program/program.h"

#include "testdata/messages.h"
#include "platform/runtime.h"

namespace velmora {

Program::Program(Desktop &desktop, QString folder, QString commandLine)
    : m_desktop(desktop)
    , m_folder(std::move(folder))
    , m_commandLine(std::move(commandLine))
{
}

MsgAnswer Program::msgBox(const QString &text, const QString &title, MsgButtons buttons, MsgIcon icon)
{
    return m_desktop.msgBox(MsgBoxRequest{text, title, buttons, icon});
}

void Program::end(int exitCode)
{
    if (!m_ended) {
        m_ended = true;
        m_forms.unloadAllNow();
        m_desktop.endProcess(exitCode);
    }
    throw EndOfProgram{exitCode};
}

void Program::endWithTestDataFailure(const Failure &failure)
{
    const FailureMessage message(failure);
    msgBox(message.text, message.title);
    end(1);
}

void Program::endWithRuntimeFailure(const Failure &failure)
{
    msgBox(runtimeErrorText(failure), AppTitle, MsgButtons::Ok, MsgIcon::Critical);
    end(1);
}

} // namespace velmora
