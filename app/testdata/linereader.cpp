#include "testdata/linereader.h"

#include "platform/core/largepages.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace velmora {

qint64 readSize(const QIODevice &device)
{
    // A megabyte at a time, less for a small file: the selection list and
    // the fuzzers read many of those.
    constexpr qint64 Largest = 1024 * 1024;
    constexpr qint64 Smallest = 64 * 1024;
    if (device.isSequential())
        return Largest;
    return qBound(Smallest, device.bytesAvailable() + 1, Largest);
}

bool readWhole(QIODevice &device, QByteArray &bytes, qint64 limit, qint64 spare)
{
    bytes.clear();
    if (!device.isSequential()) {
        const qint64 expected = qBound<qint64>(0, device.size() - device.pos(), limit + 1);
        bytes.reserve(qsizetype(expected + spare));
        adviseLargePages(bytes.data(), std::size_t(bytes.capacity()));
        bytes.resize(qsizetype(expected));
        const qint64 got = device.read(bytes.data(), expected);
        if (got < 0)
            return false;
        bytes.truncate(qsizetype(got));
        if (device.atEnd())
            return true;
    }
    // A pipe, or a file that has grown since its size was taken.
    while (bytes.size() <= limit) {
        const qsizetype kept = bytes.size();
        const qint64 want = qMin(readSize(device), limit + 1 - kept);
        bytes.resize(kept + qsizetype(want));
        const qint64 got = device.read(bytes.data() + kept, want);
        bytes.truncate(kept + qsizetype(qMax<qint64>(got, 0)));
        if (got < 0)
            return false;
        if (got == 0)
            break;
    }
    return true;
}

quint64 LineScanner::crsOf(qsizetype block) const
{
    const auto *bytes = reinterpret_cast<const uchar *>(m_bytes.data()) + block;
    const qsizetype size = qMin(Block, m_bytes.size() - block);
    quint64 crs = 0;
#if defined(__SSE2__) || defined(_M_X64)
    if (size == Block) {
        const __m128i cr = _mm_set1_epi8('\r');
        for (int i = 0; i < Block; i += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
            crs |= quint64(quint16(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)))) << i;
        }
        return crs;
    }
#endif
    for (qsizetype i = 0; i < size; ++i)
        crs |= quint64(bytes[i] == '\r') << i;
    return crs;
}

LineReader::LineReader(QIODevice &device, qsizetype maxLineLength)
    : m_device(device)
    , m_maxLineLength(maxLineLength)
{
}

// Keeps the unread bytes, moved to the front, and appends what the device
// gives next. False when it gave nothing: the end, or a read error.
bool LineReader::fill()
{
    if (m_failed)
        return false;
    const qsizetype kept = m_buffer.size() - m_pos;
    if (m_pos > 0) {
        if (kept > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(kept));
        m_buffer.truncate(kept);
        m_pos = 0;
    }
    const qint64 want = readSize(m_device);
    m_buffer.resize(kept + want);
    qint64 got = m_device.read(m_buffer.data() + kept, want);
    if (got < 0) {
        m_failed = true;
        got = 0;
    }
    m_buffer.truncate(kept + qsizetype(got));
    return got > 0;
}

bool LineReader::atEnd()
{
    return m_pos >= m_buffer.size() && !fill();
}

std::optional<QByteArrayView> LineReader::nextLine()
{
    if (m_tooLong || atEnd())
        return std::nullopt;
    bool more = true;
    for (;;) {
        const LineSpan line = lineAt(QByteArrayView(m_buffer), m_pos);
        if (line.size > m_maxLineLength) {
            m_tooLong = true;
            return std::nullopt;
        }
        // A line the buffer's end ends, or a CR at the end of the buffer
        // (an LF may follow in the next block): read on, unless that was
        // the end of the data.
        const bool cut = line.terminator == 0 || (line.terminator == 1 && line.next() == m_buffer.size());
        if (cut && more) {
            more = fill(); // moves the unread bytes to the front
            continue;
        }
        m_pos = line.next();
        return QByteArrayView(m_buffer).sliced(line.start, line.size);
    }
}

std::optional<QByteArray> LineReader::readLine()
{
    if (const std::optional<QByteArrayView> line = nextLine())
        return line->toByteArray();
    return std::nullopt;
}

} // namespace velmora
