#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace velmora {

// Brings a teacher's text as today's editors save it (UTF-8 with or without
// a byte order mark, or Windows-1251; LF, CR LF or CR line ends; trailing
// empty lines) to the form the loader reads: CR LF line ends, Windows-1251
// when every character fits in it, else UTF-8 without a byte order mark,
// and exactly one CR LF after the last non-empty line. Nothing else in the
// text changes. A text with no non-empty line becomes empty.
QByteArray toStoredForm(QByteArrayView teacherText);

// The authoring path: reads `sourcePath`, brings it to the stored form and
// scrambles it into `destinationPath` exactly as ScrambleFile does (same
// routine, same failures; the damaged-file failure names the destination).
std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath);

} // namespace velmora
