#pragma once

#include "platform/core/failure.h"

#include <QApplication>

#include <functional>

namespace velmora {

// A failure raised where a handler cannot go on; caught at one place (the
// application's event dispatch), shown with its number and description.
// The test data's own routines raise the same type.
using RuntimeError = FailureError;

// Thrown by the end of the program: it unwinds whatever handler ended the
// program back to the event loop (or to the test that called the handler),
// so no code after an end ever runs. Not an error: nothing is shown.
struct EndOfProgram final
{
    int exitCode = 0;
};

// The text shown for a failure that escaped an event handler.
QString runtimeErrorText(const Failure &failure);

// Lets pending window messages be processed once, so the screen shows a change.
void processEventsOnce();

// The program's application object: any exception escaping an event
// handler ends up here, is turned into a failure and handed to the
// failure handler (which shows it and ends the program) — never a crash.
class Application final : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    void setFailureHandler(std::function<void(const Failure &)> handler) { m_failureHandler = std::move(handler); }
    bool notify(QObject *receiver, QEvent *event) override;
    // A failure escaped a handler: the failure handler shows it and ends the program.
    void handleFailure(std::exception_ptr error);

    // The failure an exception stands for.
    static Failure failureOf(std::exception_ptr error);

private:
    std::function<void(const Failure &)> m_failureHandler;
};

// The edge between Qt and one of the program's event handlers: the end of
// the program stops the handler here, and a failure escaping it is handed
// to the application's failure handler here, so that nothing unwinds
// through Qt's own code. Every handler the program connects to a control
// runs through it (see `handler`); the window's own events (load, resize,
// activation, keys, close) run through it in Form.
void runHandler(const std::function<void()> &body);

// A slot that runs `method` of `object` through runHandler.
template <class Object, class... Args>
auto handler(Object *object, void (Object::*method)(Args...))
{
    return [object, method](Args... args) { runHandler([&] { (object->*method)(args...); }); };
}

} // namespace velmora
