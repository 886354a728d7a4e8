#include "testdata/loader.h"

#include "platform/core/largepages.h"
#include "platform/core/product.h"
#include "testdata/linereader.h"
#include "testdata/opening.h"
#include "testdata/taskreading.h"
#include "testdata/textcodec.h"

#include <QFile>

#include <limits>

namespace velmora {

// The loader's hands on the table it builds. Lines are added in two moves:
// a line's bytes are made the pending line, then kept as the task's next
// line or dropped. The bytes come from a device (copied in after the last
// line kept) or from the block itself: a test read whole is loaded in
// place, its bytes the table's without a copy, each line found where the
// file has it.
class TaskTableBuilder final
{
public:
    static_assert(MaxTableBytes < std::numeric_limits<qint32>::max());

    explicit TaskTableBuilder(TaskTable &table)
        : m_table(table)
    {
    }
    void reserveBytes(qsizetype size) { m_table.m_bytes.reserve(size); }
    // The whole input becomes the block; lines are then set by position.
    // The list of lines is sized once, for more lines than a test of that
    // size has (up to the largest test's worth): grown line by line it
    // would be copied over and over. What it does not use is never touched
    // and costs no memory.
    void adopt(QByteArray &&bytes, std::shared_ptr<const void> holder)
    {
        m_table.m_bytes = std::move(bytes);
        m_table.m_holder = std::move(holder);
        constexpr qsizetype LargestTest = qsizetype(MaxCount16) * (MaxStepsPerTask + 2);
        m_table.m_lines.reserve(std::size_t(qMin(m_table.m_bytes.size() / 16 + 1, LargestTest)));
        adviseLargePages(m_table.m_lines.data(), std::size_t(m_table.m_lines.capacity()) * sizeof(TaskTable::Span));
        m_reserved = true;
    }
    const QByteArray &block() const { return m_table.m_bytes; }

    void startTask() { m_table.m_firstLine.append(qint32(m_table.m_lines.size())); }
    void setPending(QByteArrayView bytes)
    {
        m_table.m_bytes.truncate(m_kept);
        m_table.m_bytes.append(bytes);
        m_pending = {qint32(m_kept), qint32(m_table.m_bytes.size())};
    }
    // The line at `from` in the block.
    void setPendingFrom(qsizetype from, qsizetype size) { m_pending = {qint32(from), qint32(from + size)}; }
    bool pendingIsEmpty() const { return m_pending.start == m_pending.end; }
    QByteArrayView pending() const
    {
        return QByteArrayView(m_table.m_bytes).sliced(m_pending.start, m_pending.end - m_pending.start);
    }
    void keepPending()
    {
        m_table.m_lines.push_back(m_pending);
        m_kept = m_pending.end;
    }
    void dropPending() { m_pending.end = m_pending.start; }

    // The block ends with the last line kept.
    void finish()
    {
        QByteArray &bytes = m_table.m_bytes;
        // Bytes kept by a holder are not the block's own: cut, they would
        // be copied whole.
        if (!m_table.m_holder) {
            bytes.truncate(m_kept);
            // Sized from the file, the block is a little too large; copying
            // it all would cost more than that slack. A block grown rather
            // than sized may be half empty.
            if (bytes.capacity() - bytes.size() > bytes.size() / 4)
                bytes.squeeze();
        }
        // The same for the list of lines grown as they were read.
        std::vector<TaskTable::Span> &lines = m_table.m_lines;
        if (!m_reserved && lines.capacity() - lines.size() > lines.size() / 4)
            lines.shrink_to_fit();
        m_table.m_firstLine.squeeze();
    }

private:
    TaskTable &m_table;
    qsizetype m_kept = 0; // where the last line kept ends
    bool m_reserved = false; // the list of lines was sized up front
    TaskTable::Span m_pending;
};

namespace {

// The list needs no more of an over-long first line than this.
constexpr qsizetype TitleLimit = 64 * 1024;
constexpr qint64 MemoryBudget = MaxTableBytes;
constexpr qint64 LineOverhead = sizeof(qsizetype);

// What every source of lines shares: the budget, and the failure that
// ended the reading.
class LineBudget
{
public:
    std::optional<Failure> failure;

protected:
    bool spend(qsizetype lineSize)
    {
        m_used += LineOverhead + lineSize;
        if (m_used <= MemoryBudget)
            return true;
        failure = Failure::of(FailureNumber::OutOfMemory);
        return false;
    }

private:
    qint64 m_used = 0;
};

// The lines of a device, each copied in as the table's pending line.
class DeviceLines final : public LineBudget
{
public:
    DeviceLines(QIODevice &device, TaskTableBuilder &table)
        : m_reader(device)
        , m_table(table)
    {
    }

    bool atEnd()
    {
        const bool end = m_reader.atEnd();
        if (m_reader.failed() && !failure)
            failure = Failure::of(FailureNumber::DeviceIoError);
        return end;
    }

    // The next line as the table's pending line; false on a failure, kept
    // in `failure`.
    bool next()
    {
        const std::optional<QByteArrayView> bytes = m_reader.nextLine();
        if (!bytes) {
            if (m_reader.failed())
                failure = Failure::of(FailureNumber::DeviceIoError);
            else if (m_reader.tooLong())
                failure = Failure::of(FailureNumber::OutOfMemory);
            else
                failure = Failure::of(FailureNumber::InputPastEnd);
            return false;
        }
        if (!spend(bytes->size()))
            return false;
        m_table.setPending(*bytes);
        return true;
    }

private:
    LineReader m_reader;
    TaskTableBuilder &m_table;
};

// The lines of the table's own block, by LineReader's rules: a line ends at
// CR or CR LF, a line longer than LineReader::DefaultMaxLineLength is not
// read, and the end counts as reached once the last line has been read.
class BlockLines final : public LineBudget
{
public:
    explicit BlockLines(TaskTableBuilder &table)
        : m_table(table)
        , m_scanner(QByteArrayView(table.block()))
    {
    }

    bool atEnd() const { return m_scanner.atEnd(); }

    bool next()
    {
        if (atEnd()) {
            failure = Failure::of(FailureNumber::InputPastEnd);
            return false;
        }
        const LineSpan line = m_scanner.next();
        if (line.size > LineReader::DefaultMaxLineLength) {
            failure = Failure::of(FailureNumber::OutOfMemory);
            return false;
        }
        if (!spend(line.size))
            return false;
        m_table.setPendingFrom(line.start, line.size);
        return true;
    }

private:
    TaskTableBuilder &m_table;
    LineScanner m_scanner;
};

// The table's content is replaced only when the test has been read whole
// and holds a task: a load that reads no task leaves the table as it was,
// and one that fails leaves no half-read task for anybody to meet.
template <typename Lines>
LoadResult finishLoad(Lines &lines, TaskTable &loaded, TaskTableBuilder &builder, TaskTable &Tasks)
{
    LoadResult result;
    result.failure = readTaskLines(lines, builder, result.tasksRead,
                                   [&] { result.title = decodeLine(builder.pending()); });
    if (!result.failure && lines.failure)
        result.failure = lines.failure;
    if (!result.failure && result.tasksRead > 0) {
        builder.finish();
        Tasks = std::move(loaded);
    }
    return result;
}

// A file is read whole, at once, and loaded in place; a pipe, or a file
// larger than the table may hold, line by line.
LoadResult loadFrom(QIODevice &device, TaskTable &Tasks)
{
    if (!device.isSequential()) {
        const qint64 start = device.pos();
        if (device.size() - start <= MemoryBudget) {
            QByteArray bytes;
            if (!readWhole(device, bytes, MemoryBudget))
                return {Failure::of(FailureNumber::DeviceIoError), 0, {}};
            if (bytes.size() <= MemoryBudget)
                return LoadTest(std::move(bytes), Tasks);
            device.seek(start); // grown past its size meanwhile: line by line
        }
    }
    TaskTable loaded;
    TaskTableBuilder builder(loaded);
    if (!device.isSequential() && device.size() > 0)
        builder.reserveBytes(qMin(device.size(), MemoryBudget));
    DeviceLines lines(device, builder);
    return finishLoad(lines, loaded, builder, Tasks);
}

} // namespace

LoadResult LoadTest(QByteArray &&plain, TaskTable &Tasks, std::shared_ptr<const void> holder)
{
    TaskTable loaded;
    TaskTableBuilder builder(loaded);
    builder.adopt(std::move(plain), std::move(holder));
    BlockLines lines(builder);
    return finishLoad(lines, loaded, builder, Tasks);
}

LoadResult LoadTest(const QString &path, TaskTable &Tasks)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {fileFailure(file, path), 0, {}};
    LoadResult result = loadFrom(file, Tasks);
    if (result.failure) {
        if (result.failure->number == FailureNumber::DeviceIoError)
            result.failure = fileFailure(file, path);
        result.failure->path = path;
    }
    return result;
}

std::optional<QString> titleOf(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const QByteArrayView head = bytes.first(qMin(bytes.size(), TitleLimit));
    return decodeLine(head.first(lineAt(head, 0).size));
}

std::optional<QString> readTitle(QIODevice &device)
{
    QByteArray head;
    while (lineAt(QByteArrayView(head), 0).terminator == 0 && head.size() < TitleLimit) {
        const QByteArray block = device.read(qMin<qsizetype>(4096, TitleLimit - head.size()));
        if (block.isEmpty())
            break;
        head += block;
    }
    return titleOf(head);
}

double MaxValue(std::span<const double> values)
{
    if (values.empty())
        return 0.0;
    double maximum = values.front();
    for (const double value : values)
        if (maximum < value)
            maximum = value;
    return maximum;
}

} // namespace velmora
