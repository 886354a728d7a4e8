#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace velmora {

// How a line of a test file is read. Test files are 8-bit text: a line is
// read as UTF-8 when it is valid UTF-8 and holds a non-ASCII byte (what
// editors on Linux save), else as Windows-1251 (what the trainer has always
// stored); a line of ASCII alone reads the same either way.
enum class LineEncoding { Ascii, Utf8, Windows1251 };

LineEncoding lineEncoding(QByteArrayView line);
QString decodeLine(QByteArrayView bytes);

// A teacher's text saved as UTF-16 (Notepad's "Unicode", little or big
// endian): recognised by its byte order mark, or without one by NUL bytes
// that turn into line ends when read in pairs. The text without the mark;
// nullopt for an 8-bit text.
std::optional<QString> decodeUtf16Text(QByteArrayView bytes);

// A whole text (a teacher's file): UTF-16 as above; otherwise a UTF-8 byte
// order mark (or a run of them) is dropped and every line (ended by CR, LF
// or CR LF) is read as the loader reads it, so that a line pasted in from a
// file in the other encoding keeps its own.
QString decodeText(QByteArrayView bytes);

// The reverse for authoring: Windows-1251 when every character of `text`
// has a place in it and every line of the result reads back the same
// (a Windows-1251 line can happen to be valid UTF-8), else UTF-8 without
// a byte order mark.
QByteArray encodeText(const QString &text);

} // namespace velmora
