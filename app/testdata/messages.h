#pragma once

#include "platform/core/failure.h"

#include <QString>

namespace velmora {

// The program's reaction to a failure of the test-data routines, as text:
// reading past the end names the file ("Файл " + path less its last three
// characters + " поврежден или записан в неверном формате...", titled
// "Критическая ошибка"); any other failure reads "Критическая ошибка - " +
// number + " " + description under the program's title, AppTitle.
struct FailureMessage final
{
    QString text;
    QString title;
};

FailureMessage testDataFailureMessage(const Failure &failure);

} // namespace velmora
