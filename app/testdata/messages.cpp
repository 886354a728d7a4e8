#include "testdata/messages.h"

#include "platform/core/product.h"

namespace velmora {

FailureMessage::FailureMessage(const Failure &failure)
{
    if (failure.number == FailureNumber::InputPastEnd) {
        // Three characters less, not four: for a test's temporary copy
        // ("….tst.tmp") the message names the test followed by a full stop.
        const QString shown = failure.path.left(qMax<qsizetype>(0, failure.path.size() - 3));
        text = QStringLiteral("Файл ") + shown + QStringLiteral(" поврежден или записан в неверном формате...");
        title = QStringLiteral("Критическая ошибка");
        return;
    }
    text = QStringLiteral("Критическая ошибка - ") + QString::number(failure.number) + QLatin1Char(' ')
           + failure.description;
    title = AppTitle;
}

} // namespace velmora
