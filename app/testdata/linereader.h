#pragma once

#include <QByteArray>
#include <QIODevice>

#include <optional>

namespace velmora {

// Reads text lines by the test format's rule: a line ends at CR or at
// CR LF; a lone LF is an ordinary character. The end counts as reached as
// soon as the last line has been read, so a CR LF at the very end does not
// make one more empty line. Reading when the end has been reached is
// reading past the end of the file. Buffered: never one system call a byte.
class LineReader final
{
public:
    explicit LineReader(QIODevice &device);

    bool atEnd(); // no byte left to read
    // The next line without its terminator; nullopt when the end had
    // already been reached (reading past the end).
    std::optional<QByteArray> readLine();
    bool failed() const { return m_failed; } // the device reported a read error

private:
    bool fill();

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

} // namespace velmora
