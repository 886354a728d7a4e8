#pragma once

#include "platform/desktop.h"

#include <QList>
#include <QQueue>

#include <functional>

namespace velmora::test {

// A desktop that needs no person: message boxes are recorded and answered
// from a script, file dialogs return scripted paths, and the end of the
// process is recorded instead of happening.
class ScriptedDesktop final : public Desktop
{
public:
    MsgAnswer msgBox(const MsgBoxRequest &request) override
    {
        boxes << request;
        if (onMsgBox)
            onMsgBox(request);
        return answers.isEmpty() ? (request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok)
                                 : answers.dequeue();
    }
    std::optional<QString> openFileDialog(const FileDialogRequest &request) override
    {
        openRequests << request;
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
    }
    std::optional<QString> saveFileDialog(const FileDialogRequest &request) override
    {
        saveRequests << request;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
    }
    void beep() override { ++beeps; }
    void endProcess(int code) override
    {
        ended = true;
        exitCode = code;
    }

    QList<MsgBoxRequest> boxes;
    QQueue<MsgAnswer> answers;
    std::function<void(const MsgBoxRequest &)> onMsgBox;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QQueue<std::optional<QString>> openAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    int beeps = 0;
    bool ended = false;
    int exitCode = -1;
};

} // namespace velmora::test
