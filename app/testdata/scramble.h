#pragma once

#include "failure.h"

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
std::optional<Failure> ScrambleFile(QString &path, const std::optional<QString> &outputPath = std::nullopt);

// The same transformation between two open devices, for in-memory use
// (authoring, the checker, fuzzing). Failure paths are left empty.
std::optional<Failure> scrambleStream(QIODevice &in, QIODevice &out);

// Convenience for bytes already in memory.
QByteArray scrambleBytes(QByteArrayView plain, std::optional<Failure> *failure = nullptr);

} // namespace velmora
