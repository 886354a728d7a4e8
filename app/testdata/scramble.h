#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <limits>
#include <optional>

namespace velmora {

// ScrambleFile, both directions of the stored form, from `in` (read from where it stands) into `out`: the
// title up to its first CR LF pair kept, every later byte complemented, one byte more written at the end.
// FailureNumber::InputPastEnd when no pair ends a title within TitleLimit (nothing is written then),
// FailureNumber::OutOfMemory once `in` brings more than `limit` bytes; else the devices' own failures.
std::optional<Failure> ScrambleFile(QIODevice &in, QIODevice &out, qint64 limit = std::numeric_limits<qint64>::max());

// ScrambleFile into the file `outputPath`, written beside it and renamed over it only when whole: a failure
// leaves what stood there, and names `outputPath`. FailureNumber::PathFileAccessError, nothing touched, for
// an output that is a folder, a device or a pipe, or that names the input file `inputPath`.
std::optional<Failure> writeScrambledFile(QIODevice &in, const QString &outputPath, const QString &inputPath = {});

// ScrambleFile over bytes in memory, transformed where they lie (moved in, they are not copied): one byte
// longer on return. Empty for bytes ScrambleFile refuses with FailureNumber::InputPastEnd.
QByteArray scrambleBytes(QByteArray bytes);

// Where the plain title of either form ends: just after its first CR LF pair, which ScrambleFile keeps;
// nullopt for bytes without a pair (FailureNumber::InputPastEnd to ScrambleFile, as is a title past TitleLimit).
std::optional<qsizetype> titleEnd(QByteArrayView bytes);

// Whether `name`, a file's name as the system has it, names a test: it ends in ".tst", letter case
// ignored. No temporary copy of a test ever does.
bool isTestName(QByteArrayView name);

} // namespace velmora
