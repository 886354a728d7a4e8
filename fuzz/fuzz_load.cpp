// Arbitrary bytes through the program's own path: scrambling (both
// directions) and loading. Never a crash, never a hang, and the stored
// form's rules hold for every input. The input is scrambled twice: from a
// pipe that gives a few bytes a read, so that the title's CR LF pair also
// meets the end of a block, and in memory; both must give the same bytes.
// The lines the loader finds one after another are those split one by one.
#include "testdata/lines.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"
#include "testdata/teachertext.h"

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
    const std::optional<Failure> failure = writeScrambledFile(in, outputPath);
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
    require(failure.has_value() == (pair < 0 || pair > TitleLimit));
    if (failure) {
        require(failure->number == FailureNumber::InputPastEnd);
    } else {
        // The title stays, everything after it is complemented, one byte more.
        require(output.size() == input.size() + 1);
        require(output.first(pair + 2) == input.first(pair + 2));
        const std::optional<TeacherText> text = TeacherText::ofStoredTest(output);
        require(text && text->storedForm() == input);
    }

    // The loader on the input as it is and on what unscrambling gives.
    TaskTable Tasks;
    int tasksRead = 0;
    const std::optional<Failure> loaded = load(input, Tasks, &tasksRead);
    require(!loaded || Tasks.isEmpty());
    for (int n = 1; n <= Tasks.count(); ++n)
        require(Tasks.stepCount(n) >= 1);
    {
        // Scrambled from a pipe, block by block, as from memory.
        Trickle pipe(input, 1 + (input.isEmpty() ? 0 : uchar(input.back()) % 17));
        pipe.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QByteArray piped;
        QBuffer out(&piped);
        out.open(QIODevice::WriteOnly);
        require(ScrambleFile(pipe, out).has_value() == failure.has_value());
        require(failure || piped == output);
        // The scanner's lines are those split one by one.
        LineScanner scanner{QByteArrayView(input)};
        for (qsizetype start = 0; start < input.size();) {
            const LineSpan line = LineSpan::at(QByteArrayView(input), start);
            const LineSpan scanned = scanner.next();
            require(scanned.start == line.start && scanned.size == line.size && scanned.terminator == line.terminator);
            start = line.next();
        }
        require(scanner.atEnd());
    }
    if (!failure) {
        TaskTable again = Tasks;
        const std::optional<Failure> reloaded = load(scrambleBytes(output), again, &tasksRead);
        if (reloaded) { // a failed load leaves the table alone
            require(again.count() == Tasks.count());
            for (int n = 1; n <= Tasks.count(); ++n)
                require(again.task(n) == Tasks.task(n));
        }
    }

    QBuffer titleDevice(&source);
    titleDevice.open(QIODevice::ReadOnly);
    require(readTitle(titleDevice).has_value() == !input.isEmpty());
    return 0;
}
