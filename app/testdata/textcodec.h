#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace velmora {

// How a line of a test file is read. Test files are 8-bit text: a line is
// read as UTF-8 when it is valid UTF-8 and holds a non-ASCII byte (what
// editors on Linux save), else as Windows-1251 (what the trainer has always
// stored); a line of ASCII alone reads the same either way.
enum class LineEncoding { Ascii, Utf8, Windows1251 };

// How `line` is read: LineEncoding::Utf8 when it is valid UTF-8 (strictly: no overlong form, no
// surrogate) with a non-ASCII byte, LineEncoding::Ascii without one, else LineEncoding::Windows1251.
LineEncoding lineEncoding(QByteArrayView line);

// A line of a test file as text, in the encoding lineEncoding() tells; never fails, every byte
// has a character in Windows-1251 (0x98, unassigned, stands for U+0098).
QString decodeLine(QByteArrayView bytes);

// The Windows-1251 bytes of `text`, the reverse of decodeLine for such a line; nullopt when a
// character has no place in Windows-1251.
std::optional<QByteArray> toWindows1251(QStringView text);

} // namespace velmora
