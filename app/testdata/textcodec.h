#pragma once

#include <QByteArrayView>
#include <QString>

namespace velmora {

// Test files are 8-bit text. A line is read as UTF-8 when it is valid
// UTF-8 and holds a non-ASCII byte (what editors on Linux save), else as
// Windows-1251 (what the trainer has always stored).
QString decodeLine(QByteArrayView bytes);

// The reverse for authoring: Windows-1251 when every character of `text`
// has a place in it, else UTF-8 without a byte order mark.
QByteArray encodeText(const QString &text);

} // namespace velmora
