#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <optional>

namespace velmora {

// Reads text lines by the test format's rule: a line ends at CR or at
// CR LF; a lone LF is an ordinary character. The end counts as reached as
// soon as the last line has been read, so a CR LF at the very end does not
// make one more empty line. Reading when the end has been reached is
// reading past the end of the file. Buffered: never one system call a byte.
//
// A line longer than `maxLineLength` bytes is not read at all: no test has
// one, and a file of junk without any CR must not fill the memory.
class LineReader final
{
public:
    static constexpr qsizetype DefaultMaxLineLength = 4 * 1024 * 1024;

    explicit LineReader(QIODevice &device, qsizetype maxLineLength = DefaultMaxLineLength);

    bool atEnd(); // no byte left to read
    // The next line without its terminator; nullopt when the end had
    // already been reached (reading past the end), when the device failed
    // or when the line is too long.
    std::optional<QByteArray> readLine();
    // The same without a copy: the view stays valid until the next call.
    std::optional<QByteArrayView> nextLine();

    bool failed() const { return m_failed; }   // the device reported a read error
    bool tooLong() const { return m_tooLong; } // a line was longer than allowed

private:
    bool fill();

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_maxLineLength;
    bool m_failed = false;
    bool m_tooLong = false;
};

// How much to ask a device for at once: blockwise, never a byte a call.
qint64 readSize(const QIODevice &device);

// Reads what is left of `device` into `bytes`, at once for a file (the
// buffer sized from the file, with room for `spare` bytes more), blockwise
// for a pipe; stops once more than `limit` bytes have been read. False on
// a read error.
bool readWhole(QIODevice &device, QByteArray &bytes, qint64 limit, qint64 spare = 0);

} // namespace velmora
