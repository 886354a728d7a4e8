#pragma once

#include <QByteArrayView>
#include <QString>

namespace velmora {

// Test files are 8-bit text. A line is read as UTF-8 when it is valid
// UTF-8 and holds a non-ASCII byte (what editors on Linux save), else as
// Windows-1251 (what the trainer has always stored).
QString decodeLine(QByteArrayView bytes);

// The same choice for a whole text (a teacher's file): a UTF-8 byte order
// mark (or a run of them) is dropped first.
QString decodeText(QByteArrayView bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

// The reverse for authoring: Windows-1251 when every character of `text`
// has a place in it and every line of the result reads back the same
// (a Windows-1251 line can happen to be valid UTF-8), else UTF-8 without
// a byte order mark.
QByteArray encodeText(const QString &text);

} // namespace velmora
