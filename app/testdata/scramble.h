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
// `outputPath` when given, else `path` + ".tmp". A given output is written
// as editors write: beside it first, then renamed over it when complete,
// so a file already there stays whole until the new one is; only a file
// is ever replaced (a folder or device named as the output is failure 75).
// The temporary copy (no `outputPath`) is created afresh: whatever stands
// at that name (a file, a link) is removed first and the copy is created
// exclusively, so a link planted there is never followed. Returns the
// failure instead of ending the program; an input without a CR LF pair
// within the longest line the loader reads is failure 62 naming the output
// path. On any failure no output is left (a given output keeps what it
// held); an output that names the input itself is refused (75) before
// anything is touched.
std::optional<Failure> ScrambleFile(QString &path, const std::optional<QString> &outputPath = std::nullopt);

// The transformation from an open device into `outputPath`, with the output
// rules of ScrambleFile for a given output. `inputPath`, when the input is
// a file, guards against writing over it.
std::optional<Failure> scrambleToFile(QIODevice &in, const QString &outputPath, const QString &inputPath = {});

// The same into a temporary copy created afresh at `copyPath`, with the
// rules of ScrambleFile's copy.
std::optional<Failure> scrambleToCopy(QIODevice &in, const QString &copyPath, const QString &inputPath = {});

// The same, reading the input whole (at most `limit` bytes, else failure 7)
// and leaving what was written in `plain` as well (empty on a failure):
// whoever goes on to load the copy needs not read it back.
std::optional<Failure> scrambleToCopy(QIODevice &in, const QString &copyPath, const QString &inputPath,
                                      QByteArray &plain, qint64 limit);

// The transformation of bytes in memory, in place: one byte longer on
// return (reserve it to spare a copy). On failure the bytes are unchanged.
std::optional<Failure> scrambleInPlace(QByteArray &bytes);

// The same transformation between two open devices, for in-memory use
// (authoring, the checker, fuzzing). Failure paths are left empty.
std::optional<Failure> scrambleStream(QIODevice &in, QIODevice &out);

// Convenience for bytes already in memory. On failure the result is empty.
QByteArray scrambleBytes(QByteArrayView plain, std::optional<Failure> *failure = nullptr);

// The plain text a stored test was made from: the stored bytes
// unscrambled, less the two bytes that unscrambling appends. nullopt when
// they cannot be unscrambled (no CR LF pair ends the title in time).
std::optional<QByteArray> plainTextOfStored(QByteArrayView stored);

} // namespace velmora
