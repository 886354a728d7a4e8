#include "testdata/linereader.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace velmora;
using namespace Qt::StringLiterals;

using TaskList = QList<QStringList>;

namespace {

// What the program reads after unscrambling a test written as `plain`.
QByteArray unscrambledCopy(const QByteArray &plain)
{
    return scrambleBytes(scrambleBytes(plain));
}

std::optional<Failure> loadBytes(QByteArray bytes, TaskTable &Tasks, int *tasksRead = nullptr)
{
    const LoadResult result = LoadTest(std::move(bytes), Tasks);
    if (tasksRead)
        *tasksRead = result.tasksRead;
    return result.failure;
}

#ifdef Q_OS_UNIX
// Loads `bytes` as the program loads a test that is a pipe: line by line,
// through a named pipe another thread writes them into.
LoadResult loadPiped(const QByteArray &bytes, TaskTable &Tasks)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(u"pipe"_s);
    if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0)
        return {Failure::of(FailureNumber::DeviceIoError), 0, {}};
    std::thread writer([&] {
        QFile in(pipe);
        if (in.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            in.write(bytes);
    });
    LoadResult result = LoadTest(pipe, Tasks);
    writer.join();
    return result;
}
#endif

// The lines of `bytes` by the test format's rule.
QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const LineSpan line = lineAt(QByteArrayView(bytes), start);
        lines << bytes.sliced(line.start, line.size);
        start = line.next();
    }
    return lines;
}

// A device that hands out a few bytes at a time, like a slow pipe: the
// line rules must not depend on where the reads happen to split.
class TrickleDevice final : public QIODevice
{
public:
    TrickleDevice(QByteArray data, quint32 seed)
        : m_data(std::move(data))
        , m_random(seed)
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min<qint64>({maxSize, qint64(m_random.bounded(1, 8)), qint64(m_data.size() - m_pos)});
        std::memcpy(data, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
    QRandomGenerator m_random;
};

QByteArray manyTasks(int tasks, int steps)
{
    QByteArray text("Title\r\n");
    for (int n = 0; n < tasks; ++n) {
        if (n > 0)
            text += "\r\n";
        text += "S\r\n";
        for (int k = 0; k < steps; ++k)
            text += "a\r\n";
    }
    return text;
}

} // namespace

class tst_Loader final : public QObject
{
    Q_OBJECT

private slots:
    void loadCases_data();
    void loadCases();
    void loadingDoesNotDependOnReadSizes();
    void lineReaderRules();
    void lineSplitting_data();
    void lineSplitting();
    void tableIsSizedNotCleared();
    void readsOutsideTheTableFail_data();
    void readsOutsideTheTableFail();
    void taskLimits_data();
    void taskLimits();
    void overLongLine();
    void loadTestFromFile();
    void readTitle_data();
    void readTitle();
    void maxValue_data();
    void maxValue();
};

void tst_Loader::loadCases_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TaskList>("tasks");
    QTest::addColumn<int>("failure");

    QTest::newRow("one task, unscrambled")
        << unscrambledCopy("Test\r\nTask\r\nStep\r\n") << TaskList{{u"Task"_s, u"Step"_s}} << 0;
    QTest::newRow("as written, without the two bytes") << QByteArray("Test\r\nTask\r\nStep\r\n") << TaskList{} << 62;
    QTest::newRow("two tasks")
        << unscrambledCopy("T\r\nS1\r\nA\r\nB\r\n\r\nS2\r\nC\r\nD\r\n")
        << TaskList{{u"S1"_s, u"A"_s, u"B"_s}, {u"S2"_s, u"C"_s, u"D"_s}} << 0;
    QTest::newRow("empty line after statement is the first step")
        << unscrambledCopy("T\r\nS\r\n\r\nA\r\nB\r\n\r\nS2\r\nC\r\n")
        << TaskList{{u"S"_s, u""_s, u"A"_s, u"B"_s}, {u"S2"_s, u"C"_s}} << 0;
    QTest::newRow("two empty lines: the second is a statement")
        << unscrambledCopy("T\r\nS\r\nA\r\n\r\n\r\nB\r\nC\r\n") << TaskList{{u"S"_s, u"A"_s}, {u""_s, u"B"_s, u"C"_s}} << 0;
    QTest::newRow("lone LF is an ordinary character")
        << unscrambledCopy("T\r\nS\nX\r\nA\nB\r\n") << TaskList{{u"S\nX"_s, u"A\nB"_s}} << 0;
    QTest::newRow("lines ending in CR alone") << unscrambledCopy("T\r\nS\rA\rB\r") << TaskList{{u"S"_s, u"A"_s, u"B"_s}} << 0;
    QTest::newRow("lone CR in the title")
        << unscrambledCopy("Ti\rtle\r\nS\r\nA\r\nB\r\n") << TaskList{{u"tle"_s, u"S"_s, u"A"_s, u"B"_s}} << 0;
    QTest::newRow("last line without break is lost")
        << unscrambledCopy("T\r\nS\r\nA\r\nB") << TaskList{{u"S"_s, u"A"_s}} << 0;
    QTest::newRow("last line without break as first step")
        << unscrambledCopy("T\r\nS\r\nA\r\n\r\nS2\r\nB") << TaskList{} << 62;
    QTest::newRow("empty line at the end") << unscrambledCopy("T\r\nS\r\nA\r\n\r\n") << TaskList{} << 62;
    QTest::newRow("ends right after a statement") << QByteArray("T\r\nS\r\n") << TaskList{} << 62;
    QTest::newRow("statement without steps at the end")
        << unscrambledCopy("T\r\nS\r\nA\r\n\r\nS2\r\n") << TaskList{} << 62;
    QTest::newRow("title alone, plain") << QByteArray("Title\r\n") << TaskList{} << 0;
    QTest::newRow("title alone, unscrambled") << unscrambledCopy("Title\r\n") << TaskList{} << 62;
    QTest::newRow("empty file") << QByteArray() << TaskList{} << 62;
    QTest::newRow("no CR at all") << QByteArray("just one line") << TaskList{} << 0;
    QTest::newRow("Windows-1251 and UTF-8 lines")
        << unscrambledCopy("T\r\n\xC7\xE0\xE4\xE0\xF7\xE0\r\n\xD0\xA8\xD0\xB0\xD0\xB3\r\n\xD8\xE0\xE3\r\n")
        << TaskList{{u"Задача"_s, u"Шаг"_s, u"Шаг"_s}} << 0;
}

void tst_Loader::loadCases()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TaskList, tasks);
    QFETCH(int, failure);

    // Read whole and loaded in place, and line by line from a pipe.
#ifdef Q_OS_UNIX
    TaskTable piped;
    const LoadResult pipedResult = loadPiped(bytes, piped);
    QCOMPARE(pipedResult.failure ? pipedResult.failure->number : 0, failure);
    QCOMPARE(piped.tasks(), failure ? TaskList() : tasks);
#endif

    TaskTable Tasks;
    int tasksRead = -1;
    const std::optional<Failure> result = loadBytes(bytes, Tasks, &tasksRead);
    QCOMPARE(result ? result->number : 0, failure);
    if (!failure) {
        QCOMPARE(Tasks.tasks(), tasks);
        QCOMPARE(tasksRead, int(tasks.size()));
        for (int n = 1; n <= Tasks.count(); ++n)
            QCOMPARE(Tasks.stepCount(n), int(tasks.at(n - 1).size()) - 1);
    } else {
        QVERIFY(Tasks.isEmpty());
    }
}

void tst_Loader::loadingDoesNotDependOnReadSizes()
{
    QRandomGenerator random(7);
    const char alphabet[] = {'\r', '\n', 'a', 'b', '\xE0'};
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int length = random.bounded(60);
        for (int i = 0; i < length; ++i)
            bytes.append(alphabet[random.bounded(int(sizeof alphabet))]);

        // The loader reads a pipe through LineReader: its lines must be
        // those of the bytes read whole, however the reads split them.
        TrickleDevice trickle(bytes, quint32(round));
        LineReader reader(trickle);
        QList<QByteArray> pieces;
        while (!reader.atEnd())
            pieces << *reader.readLine();
        QCOMPARE(pieces, splitLines(bytes));
        QCOMPARE(reader.readLine(), std::nullopt);
    }
}

void tst_Loader::lineReaderRules()
{
    QByteArray bytes("a\r\nb\rc\nd\r\n\r\ne\r");
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    LineReader reader(device);
    QStringList lines;
    while (!reader.atEnd())
        lines << QString::fromLatin1(*reader.readLine());
    QCOMPARE(lines, (QStringList{u"a"_s, u"b"_s, u"c\nd"_s, u""_s, u"e"_s}));
    QCOMPARE(reader.readLine(), std::nullopt);
    QVERIFY(!reader.failed());

    // A CR at the end of one block, its LF at the start of the next.
    QByteArray big(1024 * 1024 - 1, 'x');
    big += "\r\ny\r\n";
    QBuffer bigDevice(&big);
    bigDevice.open(QIODevice::ReadOnly);
    LineReader bigReader(bigDevice);
    QCOMPARE(bigReader.readLine()->size(), 1024 * 1024 - 1);
    QCOMPARE(bigReader.readLine(), std::optional<QByteArray>("y"));
    QVERIFY(bigReader.atEnd());
}

void tst_Loader::lineSplitting_data()
{
    // Each line as its text and its terminator's length.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<LineEnds>("ends");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR, CR LF; LF is a character") << QByteArray("a\r\nb\rc\nd") << LineEnds::Test
                                                  << QStringList{u"a/2"_s, u"b/1"_s, u"c\nd/0"_s};
    QTest::newRow("an editor also ends at LF") << QByteArray("a\r\nb\rc\nd") << LineEnds::Editor
                                               << QStringList{u"a/2"_s, u"b/1"_s, u"c/1"_s, u"d/0"_s};
    QTest::newRow("LF CR is two ends to an editor") << QByteArray("a\n\rb") << LineEnds::Editor
                                                    << QStringList{u"a/1"_s, u"/1"_s, u"b/0"_s};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\r\n") << LineEnds::Test
                                 << QStringList{u"/2"_s, u"/1"_s, u"/2"_s};
    QTest::newRow("a CR at the very end") << QByteArray("a\r") << LineEnds::Test << QStringList{u"a/1"_s};
    // The scanner looks 64 bytes at a time: lines ending on either side of
    // those edges, a CR LF split by one, a line longer than two.
    const QByteArray x63(63, 'x'), y64(64, 'y'), z130(130, 'z');
    QTest::newRow("CRs at the scanner's block edges")
        << QByteArray(x63 + "\r\n" + y64 + "\r" + z130 + "\r\r") << LineEnds::Test
        << QStringList{QString::fromLatin1(x63) + u"/2"_s, QString::fromLatin1(y64) + u"/1"_s,
                       QString::fromLatin1(z130) + u"/1"_s, u"/1"_s};
    QTest::newRow("no CR in three blocks") << QByteArray(z130 + "\n" + y64) << LineEnds::Test
                                           << QStringList{QString::fromLatin1(z130 + "\n" + y64) + u"/0"_s};
}

void tst_Loader::lineSplitting()
{
    QFETCH(QByteArray, text);
    QFETCH(LineEnds, ends);
    QFETCH(QStringList, lines);
    QStringList got;
    QStringList gotWide; // the same rules over characters
    const QString wide = QString::fromLatin1(text);
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan line = lineAt(QByteArrayView(text), start, ends);
        got << QString::fromLatin1(text.sliced(line.start, line.size)) + u'/' + QString::number(line.terminator);
        const LineSpan wideLine = lineAt(QStringView(wide), start, ends);
        gotWide << wide.sliced(wideLine.start, wideLine.size) + u'/' + QString::number(wideLine.terminator);
        start = line.next();
    }
    QCOMPARE(got, lines);
    QCOMPARE(gotWide, lines);
    if (ends == LineEnds::Test) { // the loader's scanner finds the same lines
        QStringList scanned;
        for (LineScanner scanner{QByteArrayView(text)}; !scanner.atEnd();) {
            const LineSpan line = scanner.next();
            scanned << QString::fromLatin1(text.sliced(line.start, line.size)) + u'/' + QString::number(line.terminator);
        }
        QCOMPARE(scanned, lines);
    }
}

void tst_Loader::tableIsSizedNotCleared()
{
    TaskTable Tasks;
    QCOMPARE(loadBytes(unscrambledCopy(manyTasks(5, 2)), Tasks), std::nullopt);
    QCOMPARE(Tasks.count(), 5);
    QCOMPARE(loadBytes(unscrambledCopy("T\r\nX\r\nY\r\n\r\nZ\r\nW\r\n\r\nV\r\nU\r\n"), Tasks), std::nullopt);
    QCOMPARE(Tasks.count(), 3);
    QCOMPARE(Tasks.task(3), (QStringList{u"V"_s, u"U"_s}));

    // A load that reads no task leaves the table as it was.
    int tasksRead = -1;
    QCOMPARE(loadBytes("Only a title\r\n", Tasks, &tasksRead), std::nullopt);
    QCOMPARE(tasksRead, 0);
    QCOMPARE(Tasks.count(), 3);

    // So does a load that fails: nobody may see a half-read task.
    const std::optional<Failure> failure = loadBytes("T\r\nS\r\nA\r\n\r\nS2\r\n", Tasks, &tasksRead);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(tasksRead, 2);
    QCOMPARE(Tasks.count(), 3);
    QCOMPARE(Tasks.task(1), (QStringList{u"X"_s, u"Y"_s}));
}

void tst_Loader::readsOutsideTheTableFail_data()
{
    // Two tasks: S1 with two steps, S2 with one.
    QTest::addColumn<QString>("read"); // text, task or steps
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("index");
    QTest::newRow("line past the first task's steps") << u"text"_s << 1 << 3;
    QTest::newRow("line past the last task's steps") << u"text"_s << 2 << 2;
    QTest::newRow("negative line") << u"text"_s << 1 << -1;
    QTest::newRow("task 0") << u"text"_s << 0 << 0;
    QTest::newRow("task past the count") << u"text"_s << 3 << 0;
    QTest::newRow("whole task past the count") << u"task"_s << 3 << 0;
    QTest::newRow("steps of task 0") << u"steps"_s << 0 << 0;
}

void tst_Loader::readsOutsideTheTableFail()
{
    QFETCH(QString, read);
    QFETCH(int, number);
    QFETCH(int, index);
    TaskTable Tasks;
    QCOMPARE(loadBytes(unscrambledCopy("T\r\nS1\r\nA\r\nB\r\n\r\nS2\r\nC\r\n"), Tasks), std::nullopt);
    const TaskTable &view = Tasks;
    try {
        if (read == u"text"_s)
            qWarning() << "read" << view.text(number, index);
        else if (read == u"task"_s)
            qWarning() << "read" << view.task(number);
        else
            qWarning() << "read" << view.stepCount(number);
        QFAIL("a read outside the table returned something");
    } catch (const FailureError &error) {
        QCOMPARE(error.failure().number, 9);
        QCOMPARE(error.failure().description, u"Subscript out of range"_s);
    }
}

void tst_Loader::taskLimits_data()
{
    QTest::addColumn<int>("tasks");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("failure");
    QTest::newRow("32767 tasks") << 32767 << 1 << 0;
    QTest::newRow("32768 tasks") << 32768 << 1 << 6;
    QTest::newRow("32767 steps") << 1 << 32767 << 0;
    QTest::newRow("32768 steps") << 1 << 32768 << 6;
    QTest::newRow("32767 steps, then more tasks") << 3 << 32767 << 0;
}

void tst_Loader::taskLimits()
{
    QFETCH(int, tasks);
    QFETCH(int, steps);
    QFETCH(int, failure);
    TaskTable Tasks;
    int tasksRead = 0;
    const std::optional<Failure> result = loadBytes(unscrambledCopy(manyTasks(tasks, steps)), Tasks, &tasksRead);
    QCOMPARE(result ? result->number : 0, failure);
    if (failure) {
        QCOMPARE(result->description, QStringLiteral("Overflow"));
        QVERIFY(Tasks.isEmpty());
    } else {
        QCOMPARE(Tasks.count(), tasks);
        QCOMPARE(Tasks.stepCount(tasks), steps);
    }
}

void tst_Loader::overLongLine()
{
    // A file of junk without a single CR must not end up in memory whole.
    QByteArray junk("T\r\n");
    junk += QByteArray(LineReader::DefaultMaxLineLength + 10, 'j');
    TaskTable Tasks;
    const std::optional<Failure> failure = loadBytes(junk, Tasks);
    QVERIFY(failure);
    QCOMPARE(failure->number, 7);
}

void tst_Loader::loadTestFromFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("тест.tst.tmp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("T\r\nS\r\n");
    file.close();

    TaskTable Tasks;
    std::optional<Failure> failure = LoadTest(path, Tasks).failure;
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(failure->path, path);

    failure = LoadTest(dir.filePath(QStringLiteral("missing")), Tasks).failure;
    QVERIFY(failure);
    QCOMPARE(failure->number, 53);
    QCOMPARE(failure->path, dir.filePath(QStringLiteral("missing")));

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(unscrambledCopy(manyTasks(40000 / 21, 20)));
    file.close();
    QCOMPARE(LoadTest(path, Tasks).failure, std::nullopt);
    QCOMPARE(Tasks.count(), 40000 / 21);
}

void tst_Loader::readTitle_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hasTitle");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain title") << QByteArray("Title\r\n\x01\x02") << true << QStringLiteral("Title");
    QTest::newRow("ends at a lone CR") << QByteArray("Ti\rtle\r\n") << true << QStringLiteral("Ti");
    QTest::newRow("LF is part of it") << QByteArray("Ti\ntle\r\n") << true << QStringLiteral("Ti\ntle");
    QTest::newRow("Windows-1251") << QByteArray("\xD7\xE0\xE9\r\n") << true << QStringLiteral("Чай");
    QTest::newRow("UTF-8") << QByteArray("\xD0\xA7\xD0\xB0\xD0\xB9\r\n") << true << QStringLiteral("Чай");
    QTest::newRow("no line end") << QByteArray("abc") << true << QStringLiteral("abc");
    QTest::newRow("empty title") << QByteArray("\r\nx") << true << QString();
    QTest::newRow("empty file") << QByteArray() << false << QString();
}

void tst_Loader::readTitle()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hasTitle);
    QFETCH(QString, title);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const std::optional<QString> read = velmora::readTitle(device);
    QCOMPARE(read.has_value(), hasTitle);
    if (read)
        QCOMPARE(*read, title);
}

void tst_Loader::maxValue_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("maximum");
    QTest::newRow("120, 360") << QList<double>{120, 360} << 360.0;
    QTest::newRow("360, 120") << QList<double>{360, 120} << 360.0;
    QTest::newRow("single") << QList<double>{42} << 42.0;
    QTest::newRow("negative") << QList<double>{-5, -1, -3} << -1.0;
    QTest::newRow("fractions") << QList<double>{1, 2.5, 2.25} << 2.5;
}

void tst_Loader::maxValue()
{
    QFETCH(QList<double>, values);
    QFETCH(double, maximum);
    QCOMPARE(MaxValue(values), maximum);
}

QTEST_GUILESS_MAIN(tst_Loader)
#include "tst_loader.moc"
