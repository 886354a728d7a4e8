#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <optional>

namespace velmora {

// The one routine for both directions of the stored test form: the title
// line up to and including the first CR LF pair is copied unchanged,
// every later byte is complemented, and one byte more than the input had
// is written: the complement of the byte written last.
//
// `path` names the input on entry and holds the path written on return:
// `outputPath` when given, else `path` + ".tmp". The output is created
// afresh: whatever stands at that name (a file, a link) is removed first
// and the file is created exclusively, so a link planted there is never
// followed. Returns the failure instead of ending the program; a failure
// to find a CR LF pair in the input is failure 62 naming the output path.
// On any failure after the output was created, the output is removed
// again; an output that names the input itself is refused (75) before
// anything is touched.
std::optional<Failure> ScrambleFile(QString &path, const std::optional<QString> &outputPath = std::nullopt);

// The transformation from an open device into a file created afresh at
// `outputPath`, with the output rules of ScrambleFile. `inputPath`, when
// the input is a file, guards against writing over it.
std::optional<Failure> scrambleToFile(QIODevice &in, const QString &outputPath, const QString &inputPath = {});

// The same transformation between two open devices, for in-memory use
// (authoring, the checker, fuzzing). Failure paths are left empty.
std::optional<Failure> scrambleStream(QIODevice &in, QIODevice &out);

// Convenience for bytes already in memory. On failure the result is empty.
QByteArray scrambleBytes(QByteArrayView plain, std::optional<Failure> *failure = nullptr);

// The plain text a stored test was made from: the stored bytes
// unscrambled, less the two bytes that unscrambling appends. nullopt when
// the bytes hold no CR LF pair (they cannot be unscrambled).
std::optional<QByteArray> plainTextOfStored(QByteArrayView stored);

} // namespace velmora
