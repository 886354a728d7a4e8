#include "platform/runtime.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <new>

using namespace Qt::StringLiterals;

namespace velmora {

QString runtimeErrorText(const Failure &failure)
{
    return u"Ошибка выполнения "_s + QString::number(failure.number) + u":\n\n"_s + failure.description;
}

void processEventsOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

Failure Application::failureOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError &e) {
        return e.failure();
    } catch (const std::bad_alloc &) {
        return Failure::of(FailureNumber::OutOfMemory);
    } catch (const std::exception &e) {
        return Failure{51, u"Internal error: "_s + QString::fromLocal8Bit(e.what()), {}};
    } catch (...) {
        return Failure{51, u"Internal error"_s, {}};
    }
}

void runHandler(const std::function<void()> &body)
{
    try {
        body();
    } catch (const EndOfProgram &) {
        // Every window is gone; nothing more of the handler runs.
    } catch (...) {
        auto *app = qobject_cast<Application *>(QCoreApplication::instance());
        if (!app)
            throw; // a bare test application: the test sees the failure
        app->handleFailure(std::current_exception());
    }
}

void Application::handleFailure(std::exception_ptr error)
{
    const Failure failure = failureOf(error);
    if (!m_failureHandler)
        std::terminate();
    try {
        m_failureHandler(failure); // shows it and ends the program
    } catch (const EndOfProgram &) {
    }
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EndOfProgram &) {
        // Every window is gone already; the handler that ended the program
        // has been unwound, and nothing else of it runs.
        return true;
    } catch (...) {
        handleFailure(std::current_exception());
        return true;
    }
}

} // namespace velmora
