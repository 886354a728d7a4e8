#pragma once

#include "platform/core/failure.h"

#include <QString>

namespace velmora {

// The program's reaction to a failure of the test-data routines, as text.
struct FailureMessage final
{
    // FailureNumber::InputPastEnd: "Файл " + the failure's path less its last three characters + " поврежден
    // или записан в неверном формате...", titled "Критическая ошибка"; any other failure:
    // "Критическая ошибка - " + number + " " + description, under the program's title, AppTitle.
    explicit FailureMessage(const Failure &failure);

    QString text;
    QString title;
};

} // namespace velmora
