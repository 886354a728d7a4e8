#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace velmora::tool {

// A file named on the command line: as shown, and as the system gave it.
struct Operand final
{
    QString name;
    QByteArray native;

    // Whether Qt can open it by its name: not so for bytes that are no text.
    bool isText() const;

    // Opens the operand for reading, whatever it is (a file, a pipe, `<(…)`)
    // and whatever bytes name it. Failures name it.
    std::optional<Failure> open(QFile &file) const;
    // Reads it once, whole: no more than the program's loader holds
    // (FailureNumber::OutOfMemory beyond), a file too large refused before
    // a byte of it is read. Room is left for the byte unscrambling appends.
    std::optional<Failure> read(QByteArray &bytes) const;
    // An output is written beside its name and renamed: it needs a name Qt
    // can hold (FailureNumber::BadFileName).
    std::optional<Failure> writable() const;
};

} // namespace velmora::tool
