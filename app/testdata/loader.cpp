#include "testdata/loader.h"

#include "platform/core/largepages.h"
#include "platform/core/product.h"
#include "testdata/lines.h"
#include "testdata/opening.h"
#include "testdata/taskreading.h"
#include "testdata/textcodec.h"

#include <limits>

namespace velmora {

// The loader's hands on the table it builds: the test's bytes become the
// table's block, loaded in place without a copy, and each line kept is
// recorded where the block has it.
class TaskTableBuilder final
{
public:
    static_assert(MaxTableBytes < std::numeric_limits<qint32>::max());

    // The whole input becomes the block. The list of lines is sized once,
    // for more lines than a test of that size has (up to the largest
    // test's worth): grown line by line it would be copied over and over.
    // What it does not use is never touched and costs no memory.
    TaskTableBuilder(TaskTable &table, QByteArray &&bytes, std::shared_ptr<const void> holder)
        : m_table(table)
    {
        m_table.m_bytes = std::move(bytes);
        m_table.m_holder = std::move(holder);
        constexpr qsizetype LargestTest = qsizetype(MaxCount16) * (MaxStepsPerTask + 2);
        m_table.m_lines.reserve(std::size_t(qMin(m_table.m_bytes.size() / 16 + 1, LargestTest)));
        adviseLargePages(m_table.m_lines.data(), std::size_t(m_table.m_lines.capacity()) * sizeof(TaskTable::Span));
    }
    QByteArrayView block() const { return m_table.m_bytes; }

    void startTask() { m_table.m_firstLine.append(qint32(m_table.m_lines.size())); }
    void keep(const LineSpan &line)
    {
        m_table.m_lines.push_back({qint32(line.start), qint32(line.end())});
        m_kept = line.end();
    }

    // The block ends with the last line kept.
    void finish()
    {
        QByteArray &bytes = m_table.m_bytes;
        // Bytes kept by a holder are not the block's own: cut, they would
        // be copied whole.
        if (!m_table.m_holder) {
            bytes.truncate(m_kept);
            // Sized from the file, the block is a little too large; copying
            // it all would cost more than that slack.
            if (bytes.capacity() - bytes.size() > bytes.size() / 4)
                bytes.squeeze();
        }
        m_table.m_firstLine.squeeze();
    }

private:
    TaskTable &m_table;
    qsizetype m_kept = 0; // where the last line kept ends
};

namespace {

// The lines of the table's block, found where the block has them; the
// budget of the table counted as they are read.
class BlockLines final
{
public:
    explicit BlockLines(QByteArrayView block)
        : m_scanner(block)
    {
    }

    std::optional<Failure> failure;

    bool atEnd() const { return m_scanner.atEnd(); }
    static bool isEmpty(const LineSpan &line) { return line.size == 0; }

    std::optional<LineSpan> next()
    {
        if (atEnd()) {
            failure = Failure::of(FailureNumber::InputPastEnd);
            return std::nullopt;
        }
        const LineSpan line = m_scanner.next();
        m_used += LineOverhead + line.size;
        if (line.size > MaxLineLength || m_used > MaxTableBytes) {
            failure = Failure::of(FailureNumber::OutOfMemory);
            return std::nullopt;
        }
        return line;
    }

private:
    static constexpr qint64 LineOverhead = sizeof(qsizetype);

    LineScanner m_scanner;
    qint64 m_used = 0;
};

} // namespace

LoadResult LoadTest(QByteArray &&plain, TaskTable &Tasks, std::shared_ptr<const void> holder)
{
    // The table's content is replaced only when the test has been read
    // whole and holds a task: a load that reads no task leaves the table as
    // it was, and one that fails leaves no half-read task for anybody to meet.
    TaskTable loaded;
    TaskTableBuilder builder(loaded, std::move(plain), std::move(holder));
    BlockLines lines(builder.block());
    LoadResult result;
    result.failure = readTaskLines(lines, builder, result.tasksRead, [&](const LineSpan &title) {
        result.title = decodeLine(builder.block().sliced(title.start, title.size));
    });
    if (!result.failure && result.tasksRead > 0) {
        builder.finish();
        Tasks = std::move(loaded);
    }
    return result;
}

std::optional<QString> readTitle(QIODevice &device)
{
    // A few kilobytes hold any real title; an over-long one is read in
    // growing blocks.
    QByteArray head;
    while (LineSpan::at(QByteArrayView(head), 0).terminator == 0 && head.size() < TitleLimit) {
        const QByteArray block = device.read(qMin(qMax<qsizetype>(4096, head.size()), TitleLimit - head.size()));
        if (block.isEmpty())
            break;
        head += block;
    }
    return titleOf(head);
}

std::optional<QString> titleOf(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const QByteArrayView head = bytes.first(qMin(bytes.size(), TitleLimit));
    return decodeLine(head.first(LineSpan::at(head, 0).size));
}

} // namespace velmora
