#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <bit>

namespace velmora {

// The longest line the loader reads, in bytes: no test has one near it,
// and a file of junk without any CR must not fill the memory.
inline constexpr qsizetype MaxLineLength = 4 * 1024 * 1024;

// The longest title a test has: its first line, no longer than any line
// the loader reads. Whoever looks for a title looks no further.
inline constexpr qsizetype TitleLimit = MaxLineLength;

// Where lines end. The test format's rule: at CR or at CR LF, a lone LF
// being an ordinary character. A text editor's: at CR, at LF or at CR LF.
enum class LineEnds { Test, Editor };

// One line of a text: where it starts, its length without the terminator,
// and the terminator's length (0 for a line the end of the text ends).
struct LineSpan final
{
    qsizetype start = 0;
    qsizetype size = 0;
    qsizetype terminator = 0;

    qsizetype end() const { return start + size; }
    qsizetype next() const { return start + size + terminator; } // where the next line starts

    // The line from `from` to `end`, where a line end (or the end of
    // `text`) stands: how long its terminator is.
    template <typename View>
    static LineSpan endingAt(View text, qsizetype from, qsizetype end)
    {
        using Char = typename View::value_type;
        LineSpan line{from, end - from, 0};
        if (end < text.size())
            line.terminator =
                text.at(end) == Char(u'\r') && end + 1 < text.size() && text.at(end + 1) == Char(u'\n') ? 2 : 1;
        return line;
    }

    // The line of `text` (bytes or characters) that starts at `from`. The
    // one place where lines are split: every reader of test data and of a
    // teacher's text goes through it (LineScanner finds the same lines
    // faster, one after another).
    template <typename View>
    static LineSpan at(View text, qsizetype from, LineEnds ends = LineEnds::Test)
    {
        using Char = typename View::value_type;
        const Char cr(u'\r');
        const Char lf(u'\n');
        qsizetype end = from;
        if (ends == LineEnds::Test) {
            end = text.indexOf(cr, from);
            if (end < 0)
                end = text.size();
        } else {
            while (end < text.size() && text.at(end) != cr && text.at(end) != lf)
                ++end;
        }
        return endingAt(text, from, end);
    }
};

// The lines of a block of bytes by the test format's rule, one after
// another, exactly as LineSpan::at splits them: the loader's hot path. The
// CRs are found 64 bytes at a time, so a line of a few dozen bytes costs a
// few instructions rather than a search of its own.
class LineScanner final
{
public:
    explicit LineScanner(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }

    qsizetype position() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    // The line at the position, the position moved past it; not atEnd().
    LineSpan next()
    {
        const LineSpan line = LineSpan::endingAt(m_bytes, m_pos, nextCr(m_pos));
        m_pos = line.next();
        return line;
    }

private:
    static constexpr qsizetype Block = 64;

    // The first CR at or after `from`, or the size.
    qsizetype nextCr(qsizetype from)
    {
        const qsizetype block = from & ~(Block - 1);
        if (block != m_block) {
            m_block = block;
            m_crs = crsOf(block);
        }
        quint64 crs = m_crs & (~quint64(0) << (from - block));
        while (crs == 0) {
            m_block += Block;
            if (m_block >= m_bytes.size())
                return m_bytes.size();
            crs = m_crs = crsOf(m_block);
        }
        return m_block + std::countr_zero(crs);
    }
    quint64 crsOf(qsizetype block) const; // bit i: a CR at block + i

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    qsizetype m_block = -1; // where the block of m_crs starts
    quint64 m_crs = 0;
};

} // namespace velmora
