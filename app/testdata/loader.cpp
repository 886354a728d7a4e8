#include "loader.h"

#include "linereader.h"
#include "textcodec.h"

#include <QFile>

#include <limits>

namespace velmora {
namespace {

// The task and step counters are 16-bit: one more than this overflows.
constexpr int CounterLimit = std::numeric_limits<qint16>::max();

// What the table may hold, counted roughly (a string's text plus its
// bookkeeping). A real test is a few megabytes; a file of millions of
// tiny lines must end in a failure, not in an exhausted memory.
constexpr qint64 MemoryBudget = qint64(1) << 30;
constexpr qint64 StringOverhead = 64; // the string in its list and its heap block

// Reads the lines of one load, keeping the failure that ended it.
class Lines final
{
public:
    explicit Lines(QIODevice &device)
        : m_reader(device)
    {
    }

    bool atEnd()
    {
        const bool end = m_reader.atEnd();
        if (m_reader.failed() && !failure)
            failure = Failure::of(FailureNumber::DeviceIoError);
        return end;
    }

    // The next line decoded into `line`; false on a failure, kept in `failure`.
    bool next(QString &line)
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
        m_used += StringOverhead + 2 * bytes->size();
        if (m_used > MemoryBudget) {
            failure = Failure::of(FailureNumber::OutOfMemory);
            return false;
        }
        line = decodeLine(*bytes);
        return true;
    }

    std::optional<Failure> failure;

private:
    LineReader m_reader;
    qint64 m_used = 0;
};

std::optional<Failure> load(Lines &lines, TaskTable &Tasks, int &n)
{
    QString line;
    if (!lines.next(line)) // the title
        return lines.failure;
    qsizetype lastSize = 8; // tasks of a test tend to be alike: no regrowing
    while (!lines.atEnd()) {
        if (n == CounterLimit)
            return Failure::of(FailureNumber::Overflow);
        ++n;
        Tasks.resize(n);
        Task task;
        task.reserve(lastSize);
        if (!lines.next(line)) // the statement
            return lines.failure;
        task.append(std::move(line));
        // The first step is read without looking for the end: it is stored
        // even when empty, and a file that ends here was cut short.
        QString holding;
        if (!lines.next(holding))
            return lines.failure;
        int k = 0;
        do {
            if (k == CounterLimit)
                return Failure::of(FailureNumber::Overflow);
            ++k;
            task.append(std::move(holding));
            if (!lines.next(holding))
                return lines.failure;
            // The line that meets the end is never stored: in an unscrambled
            // test it is the pair of bytes the scrambling added.
        } while (!holding.isEmpty() && !lines.atEnd());
        lastSize = task.size();
        Tasks.setTask(n, std::move(task));
    }
    if (lines.failure)
        return lines.failure;
    return std::nullopt;
}

} // namespace

std::optional<Failure> loadTestFrom(QIODevice &device, TaskTable &Tasks, int *tasksRead)
{
    // A load that fails leaves the table as it found it: nobody may read a
    // half-read task.
    const TaskTable before = Tasks;
    Lines lines(device);
    int n = 0;
    std::optional<Failure> failure = load(lines, Tasks, n);
    if (!failure && lines.failure)
        failure = lines.failure;
    if (failure)
        Tasks = before;
    if (tasksRead)
        *tasksRead = n;
    return failure;
}

std::optional<Failure> LoadTest(const QString &path, TaskTable &Tasks, int *tasksRead)
{
    if (tasksRead)
        *tasksRead = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fileFailure(file, path);
    std::optional<Failure> failure = loadTestFrom(file, Tasks, tasksRead);
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
