#include "testdata/loader.h"

#include "testdata/linereader.h"
#include "testdata/textcodec.h"

#include <QFile>

#include <limits>

namespace velmora {

// The loader's hands on the table it builds.
class TaskTableBuilder final
{
public:
    explicit TaskTableBuilder(TaskTable &table)
        : m_table(table)
    {
    }
    void reserveBytes(qsizetype size) { m_table.reserveBytes(size); }
    void startTask() { m_table.startTask(); }
    void setPending(QByteArrayView bytes) { m_table.setPending(bytes); }
    bool pendingIsEmpty() const { return m_table.pendingIsEmpty(); }
    QByteArrayView pending() const { return QByteArrayView(m_table.m_bytes).sliced(m_table.keptEnd()); }
    void keepPending() { m_table.keepPending(); }
    void dropPending() { m_table.dropPending(); }
    void squeeze() { m_table.squeeze(); }

private:
    TaskTable &m_table;
};

namespace {

// The task and step counters are 16-bit: one more than this overflows.
constexpr int CounterLimit = std::numeric_limits<qint16>::max();

// What the table may hold, counted roughly (a line's bytes and its place
// in the table). A real test is a few megabytes; a file of millions of
// tiny lines must end in a failure, not in an exhausted memory.
constexpr qint64 MemoryBudget = qint64(1) << 30;
constexpr qint64 LineOverhead = sizeof(qsizetype);

// Reads the lines of one load into the table's pending line, keeping the
// failure that ended it.
class Lines final
{
public:
    Lines(QIODevice &device, TaskTableBuilder &table)
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

    // The next line as the table's pending line; false on a
    // failure, kept in `failure`.
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
        m_used += LineOverhead + bytes->size();
        if (m_used > MemoryBudget) {
            failure = Failure::of(FailureNumber::OutOfMemory);
            return false;
        }
        m_table.setPending(*bytes);
        return true;
    }

    std::optional<Failure> failure;

private:
    LineReader m_reader;
    TaskTableBuilder &m_table;
    qint64 m_used = 0;
};

// Reads into `loaded`, a fresh table, counting the tasks started in `n`.
std::optional<Failure> load(Lines &lines, TaskTableBuilder &loaded, int &n, QString *title)
{
    if (!lines.next()) // the title, dropped
        return lines.failure;
    if (title)
        *title = decodeLine(loaded.pending());
    loaded.dropPending();
    while (!lines.atEnd()) {
        if (n == CounterLimit)
            return Failure::of(FailureNumber::Overflow);
        ++n;
        loaded.startTask();
        if (!lines.next()) // the statement
            return lines.failure;
        loaded.keepPending();
        // The first step is read without looking for the end: it is stored
        // even when empty, and a file that ends here was cut short.
        if (!lines.next())
            return lines.failure;
        int k = 0;
        do {
            if (k == CounterLimit)
                return Failure::of(FailureNumber::Overflow);
            ++k;
            loaded.keepPending();
            if (!lines.next())
                return lines.failure;
            // The line that meets the end is never stored: in an unscrambled
            // test it is the pair of bytes the scrambling added.
        } while (!loaded.pendingIsEmpty() && !lines.atEnd());
        loaded.dropPending();
    }
    if (lines.failure)
        return lines.failure;
    return std::nullopt;
}

} // namespace

std::optional<Failure> loadTestFrom(QIODevice &device, TaskTable &Tasks, int *tasksRead, QString *title)
{
    // The test is read into a table of its own and replaces the table's
    // content only when it has been read whole and holds a task: a load
    // that reads no task leaves the table as it was, and one that fails
    // leaves no half-read task for anybody to meet.
    TaskTable loaded;
    TaskTableBuilder builder(loaded);
    if (!device.isSequential() && device.size() > 0)
        builder.reserveBytes(qMin(device.size(), MemoryBudget));
    Lines lines(device, builder);
    int n = 0;
    std::optional<Failure> failure = load(lines, builder, n, title);
    if (!failure && lines.failure)
        failure = lines.failure;
    if (!failure && n > 0) {
        builder.squeeze();
        Tasks = std::move(loaded);
    }
    if (tasksRead)
        *tasksRead = n;
    return failure;
}

std::optional<Failure> LoadTest(const QString &path, TaskTable &Tasks, int *tasksRead, QString *title)
{
    if (tasksRead)
        *tasksRead = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fileFailure(file, path);
    std::optional<Failure> failure = loadTestFrom(file, Tasks, tasksRead, title);
    if (failure) {
        if (failure->number == FailureNumber::DeviceIoError)
            *failure = fileFailure(file, path);
        failure->path = path;
    }
    return failure;
}

std::optional<QString> readTitle(QIODevice &device)
{
    // The list needs no more of an over-long first line than this.
    constexpr qsizetype TitleLimit = 64 * 1024;
    QByteArray head;
    qsizetype lineEnd = -1;
    while (lineEnd < 0 && head.size() < TitleLimit) {
        const QByteArray block = device.read(qMin<qsizetype>(4096, TitleLimit - head.size()));
        if (block.isEmpty())
            break;
        head += block;
        lineEnd = head.indexOf('\r');
    }
    if (head.isEmpty())
        return std::nullopt;
    return decodeLine(QByteArrayView(head).first(lineEnd < 0 ? head.size() : lineEnd));
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
