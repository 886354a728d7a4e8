#include "tasklist.h"
#include "testdata/lines.h"
#include "testdata/loader.h"
#include "testdata/maxvalue.h"
#include "testdata/scramble.h"

#include <QBuffer>
#include <QTest>

using namespace velmora;
using velmora::test::tasksOf;
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
    void lineSplitting_data();
    void lineSplitting();
    void tableIsSizedNotCleared();
    void readsOutsideTheTableFail_data();
    void readsOutsideTheTableFail();
    void taskLimits_data();
    void taskLimits();
    void overLongLine();
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

    TaskTable Tasks;
    int tasksRead = -1;
    const std::optional<Failure> result = loadBytes(bytes, Tasks, &tasksRead);
    QCOMPARE(result ? result->number : 0, failure);
    if (!failure) {
        QCOMPARE(tasksOf(Tasks), tasks);
        QCOMPARE(tasksRead, int(tasks.size()));
        for (int n = 1; n <= Tasks.count(); ++n)
            QCOMPARE(Tasks.stepCount(n), int(tasks.at(n - 1).size()) - 1);
    } else {
        QVERIFY(Tasks.isEmpty());
    }
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
        const LineSpan line = LineSpan::at(QByteArrayView(text), start, ends);
        got << QString::fromLatin1(text.sliced(line.start, line.size)) + u'/' + QString::number(line.terminator);
        const LineSpan wideLine = LineSpan::at(QStringView(wide), start, ends);
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
    junk += QByteArray(MaxLineLength + 10, 'j');
    TaskTable Tasks;
    const std::optional<Failure> failure = loadBytes(junk, Tasks);
    QVERIFY(failure);
    QCOMPARE(failure->number, 7);
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
    QTest::newRow("longer than a title may be") << QByteArray(TitleLimit + 10, 'x') + "\r\n" << true
                                                << QString(TitleLimit, u'x');
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
