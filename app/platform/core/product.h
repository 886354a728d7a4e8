#pragma once

#include <limits>

#include <QString>
#include <QtGlobal>

namespace velmora {

// The program's title: on its windows and on every message box unless a
// window sets another.
inline const QString AppTitle = QStringLiteral("Velmora");

// The largest value of the program's 16-bit counters (tasks of a test,
// steps of a task, a typed line number): one more overflows.
inline constexpr int MaxCount16 = std::numeric_limits<qint16>::max();

} // namespace velmora
