// Arbitrary bytes through the program's own path: scrambling (both
// directions) and loading. Never a crash, never a hang, and the stored
// form's rules hold for every input. The lines of each input are read
// twice: split in memory, as the loader loads a test in place, and from a
// pipe that gives a few bytes a read, as the loader reads a pipe, so that
// every line and every CR LF pair also meets the end of a block; both
// reads must give the same lines (the tasks are made of them by one and
// the same routine).
#include "testdata/linereader.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>

using namespace velmora;

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// A pipe that gives at most `chunk` bytes a read.
class Trickle final : public QIODevice
{
public:
    Trickle(QByteArrayView bytes, qint64 chunk) : m_bytes(bytes), m_chunk(chunk) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(qMin(maxSize, m_chunk), qint64(m_bytes.size()) - m_pos);
        std::memcpy(data, m_bytes.data() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArrayView m_bytes;
    qint64 m_chunk;
    qint64 m_pos = 0;
};

std::optional<Failure> load(QByteArray bytes, TaskTable &Tasks, int *tasksRead)
{
    const LoadResult result = LoadTest(std::move(bytes), Tasks);
    *tasksRead = result.tasksRead;
    return result.failure;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    QByteArray source = input;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    // Scrambled as the authoring mode writes a test: block by block into a file.
    static const QTemporaryDir folder;
    require(folder.isValid());
    const QString outputPath = folder.filePath(QStringLiteral("out.tst"));
    const std::optional<Failure> failure = scrambleToFile(in, outputPath);
    QByteArray output;
    if (!failure) {
        QFile out(outputPath);
        require(out.open(QIODevice::ReadOnly));
        output = out.readAll();
        out.close();
        out.remove();
    }
    const qsizetype pair = input.indexOf("\r\n");
    // No CR LF pair, or none within the longest line the loader reads.
    require(failure.has_value() == (pair < 0 || pair > LineReader::DefaultMaxLineLength));
    if (failure) {
        require(failure->number == FailureNumber::InputPastEnd);
    } else {
        // The title stays, everything after it is complemented, one byte more.
        require(output.size() == input.size() + 1);
        require(output.first(pair + 2) == input.first(pair + 2));
        require(plainTextOfStored(output) == input);
    }

    // The loader on the input as it is and on what unscrambling gives.
    TaskTable Tasks;
    int tasksRead = 0;
    const std::optional<Failure> loaded = load(input, Tasks, &tasksRead);
    require(!loaded || Tasks.isEmpty());
    for (int n = 1; n <= Tasks.count(); ++n)
        require(Tasks.stepCount(n) >= 1);
    {
        Trickle pipe(input, 1 + (input.isEmpty() ? 0 : uchar(input.back()) % 17));
        pipe.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        LineReader reader(pipe);
        qsizetype start = 0;
        while (!reader.atEnd() && !reader.tooLong()) {
            const LineSpan line = lineAt(QByteArrayView(input), start);
            const std::optional<QByteArrayView> piped = reader.nextLine();
            if (!piped) // longer than any line the loader reads
                require(reader.tooLong() && line.size > LineReader::DefaultMaxLineLength);
            else
                require(*piped == QByteArrayView(input).sliced(line.start, line.size));
            start = line.next();
        }
        require(reader.tooLong() || (start == input.size() && !reader.nextLine()));
    }
    if (!failure) {
        TaskTable again = Tasks;
        const std::optional<Failure> reloaded = load(scrambleBytes(output), again, &tasksRead);
        if (reloaded)
            require(again.tasks() == Tasks.tasks()); // a failed load leaves the table alone
    }

    QBuffer titleDevice(&source);
    titleDevice.open(QIODevice::ReadOnly);
    require(readTitle(titleDevice).has_value() == !input.isEmpty());
    return 0;
}
