#include "testdata/lines.h"
#include "testdata/messages.h"
#include "testdata/scramble.h"
#include "testdata/teachertext.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

QByteArray complemented(QByteArray bytes)
{
    for (char &c : bytes)
        c = char(~c);
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A device of zero bytes without a line end, far longer than any title.
class ZeroDevice final : public QIODevice
{
public:
    ZeroDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 consumed() const { return Length - m_left; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, m_left);
        std::memset(data, 0, size_t(n));
        m_left -= n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    static constexpr qint64 Length = qint64(64) << 20;
    qint64 m_left = Length;
};

const QByteArray LongestTitlePlusOne = QByteArray(TitleLimit + 1, 'x') + "\r\nS\r\nA\r\n";

// ScrambleFile from bytes in memory into memory; `written` gets what it wrote.
std::optional<Failure> scrambled(const QByteArray &input, QByteArray &written,
                                 qint64 limit = std::numeric_limits<qint64>::max())
{
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    return ScrambleFile(in, out, limit);
}

// writeScrambledFile from the file `input`, as the tool's unscramble runs it.
std::optional<Failure> writeFrom(const QString &input, const QString &output)
{
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly))
        return fileFailure(in, input);
    return writeScrambledFile(in, output, input);
}

} // namespace

class tst_Scramble final : public QObject
{
    Q_OBJECT

private slots:
    void byteVectors_data();
    void byteVectors();
    void noCrLfPairIsInputPastEnd_data();
    void noCrLfPairIsInputPastEnd();
    void titleEndAcrossBlocks();
    void roundTripOnGeneratedTexts();
    void readLimit_data();
    void readLimit();
    void textOfStoredTest();

    void writeReplacesExistingOutput();
    void emptyInputNamesOutput();
    void outputFailures();
    void outputNamingInputIsRefused();
    void endlessInputStops();
    void failedWriteKeepsTheOldOutput_data();
    void failedWriteKeepsTheOldOutput();
    void nonFileOutputIsRefused();

    void failureMessages_data();
    void failureMessages();
};

void tst_Scramble::byteVectors_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("title, statement, two steps")
        << QByteArray("Test\r\nTask\r\nStep 1\r\nStep 2\r\n")
        << QByteArray("Test\r\n") + complemented("Task\r\nStep 1\r\nStep 2\r\n") + QByteArray("\n");
    QTest::newRow("title alone") << QByteArray("Title\r\n") << QByteArray("Title\r\n\xF5");
    QTest::newRow("empty title") << QByteArray("\r\nX\r\n") << QByteArray("\r\n") + complemented("X\r\n") + "\n";
    QTest::newRow("lone CR stays in the title")
        << QByteArray("A\rB\r\nC\r\n") << QByteArray("A\rB\r\n") + complemented("C\r\n") + "\n";
    QTest::newRow("LF before the pair") << QByteArray("\n\r\nX") << QByteArray("\n\r\n") + complemented("X") + "X";
    QTest::newRow("last line without break")
        << QByteArray("T\r\nab") << QByteArray("T\r\n") + complemented("ab") + "b";
    QTest::newRow("every byte value")
        << [] {
               QByteArray all("T\r\n");
               for (int b = 0; b < 256; ++b)
                   all.append(char(b));
               return all;
           }()
        << [] {
               QByteArray body;
               for (int b = 0; b < 256; ++b)
                   body.append(char(b));
               return QByteArray("T\r\n") + complemented(body) + QByteArray(1, char(0xFF));
           }();
}

void tst_Scramble::byteVectors()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, stored);
    QByteArray bytes = plain;
    QCOMPARE(scrambleBytes(std::move(bytes)), stored); // transformed where they lie
    QCOMPARE(scrambleBytes(plain), stored);
    QByteArray written;
    QCOMPARE(scrambled(plain, written), std::nullopt);
    QCOMPARE(written, stored);

    // The same routine unscrambles: the text comes back with two bytes more,
    // the complement of its last byte and that byte itself.
    const QByteArray unscrambled = scrambleBytes(stored);
    QCOMPARE(unscrambled.size(), plain.size() + 2);
    QCOMPARE(unscrambled.first(plain.size()), plain);
}

void tst_Scramble::noCrLfPairIsInputPastEnd_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no line break") << QByteArray("abc");
    QTest::newRow("CR and LF apart") << QByteArray("a\rb\nc");
    QTest::newRow("LF CR") << QByteArray("\n\r");
    QTest::newRow("CR alone") << QByteArray("\r");
    QTest::newRow("lone CRs and LFs") << QByteArray("\n\r\rx\n\n\r");
    QTest::newRow("CR LF only after the longest line the loader reads") << LongestTitlePlusOne;
}

void tst_Scramble::noCrLfPairIsInputPastEnd()
{
    QFETCH(QByteArray, input);
    QCOMPARE(scrambleBytes(input), QByteArray());
    QByteArray written;
    const std::optional<Failure> failure = scrambled(input, written);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::InputPastEnd);
    QCOMPARE(failure->description, QStringLiteral("Input past end of file"));
    QCOMPARE(written, QByteArray()); // nothing is written before the title's end
}

void tst_Scramble::titleEndAcrossBlocks()
{
    // The input is read in blocks of a megabyte: a pair split between two
    // blocks still ends the title, and the output holds what the
    // transformation in memory gives.
    const auto written = [](const QByteArray &input) {
        QByteArray output;
        return scrambled(input, output) ? QByteArray() : output;
    };
    for (qsizetype crAt : {qsizetype(1024 * 1024 - 1), qsizetype(1024 * 1024), qsizetype(2 * 1024 * 1024 - 1)}) {
        QByteArray plain(crAt, 'x');
        plain += "\r\nbody";
        const QByteArray stored = scrambleBytes(plain);
        QCOMPARE(stored.size(), plain.size() + 1);
        QCOMPARE(stored.first(crAt + 2), plain.first(crAt + 2));
        QCOMPARE(stored.sliced(crAt + 2), complemented("body") + "y");
        QCOMPARE(written(plain), stored);
        QCOMPARE(written(plain + QByteArray(3 * 1024 * 1024, 'b')), scrambleBytes(plain + QByteArray(3 * 1024 * 1024, 'b')));
    }
    // A CR ending one block and a byte other than LF starting the next.
    QByteArray plain(1024 * 1024 - 1, 'x');
    plain += "\rx\r\nz";
    QCOMPARE(scrambleBytes(plain), plain.first(plain.size() - 1) + complemented("z") + "z");
    QCOMPARE(written(plain), scrambleBytes(plain));
}

void tst_Scramble::roundTripOnGeneratedTexts()
{
    QRandomGenerator random(20240601);
    for (int round = 0; round < 200; ++round) {
        QByteArray plain;
        const int titleLength = random.bounded(20);
        for (int i = 0; i < titleLength; ++i)
            plain.append(char(random.bounded(256)));
        plain.append("\r\n");
        const int bodyLength = random.bounded(round < 100 ? 50 : 5000);
        for (int i = 0; i < bodyLength; ++i)
            plain.append(char(random.bounded(256)));

        const QByteArray stored = scrambleBytes(plain);
        QCOMPARE(stored.size(), plain.size() + 1);
        const QByteArray unscrambled = scrambleBytes(stored);
        QVERIFY(!unscrambled.isEmpty());
        const char last = plain.back();
        const qsizetype firstPair = plain.indexOf("\r\n");
        if (firstPair + 2 == plain.size()) {
            // Nothing after the title: the stored byte is the complement of its LF.
            QCOMPARE(unscrambled, plain + "\n\xF5");
        } else {
            QCOMPARE(unscrambled, plain + char(~last) + last);
        }
    }
}

void tst_Scramble::readLimit_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("failure");
    // The stored test below brings ten bytes.
    QTest::newRow("as large as allowed") << qint64(10) << 0;
    QTest::newRow("larger than allowed") << qint64(9) << int(FailureNumber::OutOfMemory);
}

void tst_Scramble::readLimit()
{
    QFETCH(qint64, limit);
    QFETCH(int, failure);
    const QByteArray stored = scrambleBytes("T\r\nS\r\nA\r\n");
    QByteArray written;
    const std::optional<Failure> result = scrambled(stored, written, limit);
    QCOMPARE(result ? result->number : 0, failure);
    if (!failure)
        QCOMPARE(written, scrambleBytes(stored));
}

void tst_Scramble::textOfStoredTest()
{
    const auto textOf = [](const QByteArray &stored) {
        const std::optional<TeacherText> text = TeacherText::ofStoredTest(stored);
        return text ? std::optional<QByteArray>(text->storedForm()) : std::nullopt;
    };
    const QByteArray plain("Test\r\nTask\r\nStep\r\n");
    QCOMPARE(textOf(scrambleBytes(plain)), std::optional<QByteArray>(plain));
    QCOMPARE(textOf(scrambleBytes("Title\r\n")), std::optional<QByteArray>("Title\r\n"));
    // A stored file cut right after its title: nothing before the title's end goes.
    QCOMPARE(textOf("Title\r\n"), std::optional<QByteArray>("Title\r\n"));
    QCOMPARE(textOf("no pair"), std::nullopt);
    QCOMPARE(textOf(LongestTitlePlusOne), std::nullopt);
}

void tst_Scramble::writeReplacesExistingOutput()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    QVERIFY(writeFile(output, QByteArray(10000, 'o')));
    QCOMPARE(writeFrom(input, output), std::nullopt);
    QCOMPARE(readAll(output), scrambleBytes("T\r\nS\r\nA\r\n"));
    QCOMPARE(readAll(input), QByteArray("T\r\nS\r\nA\r\n")); // the input is left as it was
}

void tst_Scramble::emptyInputNamesOutput()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    QVERIFY(writeFile(empty, {}));
    const std::optional<Failure> failure = writeFrom(empty, output);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::InputPastEnd);
    QCOMPARE(failure->path, output);
    QCOMPARE(FailureMessage(*failure).text,
             QStringLiteral("Файл ") + output.chopped(3) + QStringLiteral(" поврежден или записан в неверном формате..."));
    QVERIFY(!QFileInfo::exists(output));
}

void tst_Scramble::outputFailures()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));

    std::optional<Failure> failure = writeFrom(input, dir.filePath(QStringLiteral("missing/out.tst")));
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PathNotFound);

    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    failure = writeFrom(input, dir.filePath(QStringLiteral("sub")));
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PathFileAccessError);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("sub"))).isDir());
}

void tst_Scramble::outputNamingInputIsRefused()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(input, "no pair here"));
    const std::optional<Failure> failure = writeFrom(input, input);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PathFileAccessError);
    QCOMPARE(readAll(input), QByteArray("no pair here"));

    // A given output is written through a link: a link to the input is the input.
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    const QString link = dir.filePath(QStringLiteral("link.tst"));
#ifndef Q_OS_UNIX
    QSKIP("QFile::link makes a Windows shortcut here: an ordinary file, followed by nothing");
#endif
    if (!QFile::link(input, link))
        QSKIP("symbolic links are not available here");
    QCOMPARE(writeFrom(input, link)->number, FailureNumber::PathFileAccessError);
    QCOMPARE(readAll(input), QByteArray("T\r\nS\r\nA\r\n"));
}

void tst_Scramble::endlessInputStops()
{
    ZeroDevice in;
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    const std::optional<Failure> failure = writeScrambledFile(in, output);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::InputPastEnd);
    QVERIFY2(in.consumed() <= TitleLimit + 2 + 1024 * 1024, qPrintable(QString::number(in.consumed())));
    QVERIFY(!QFileInfo::exists(output));
}

void tst_Scramble::failedWriteKeepsTheOldOutput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("empty input") << QByteArray();
    QTest::newRow("no CR LF pair") << QByteArray("no line end");
    QTest::newRow("title longer than the longest line") << LongestTitlePlusOne;
}

void tst_Scramble::failedWriteKeepsTheOldOutput()
{
    QFETCH(QByteArray, input);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("in.txt"));
    const QString output = dir.filePath(QStringLiteral("good.tst"));
    QVERIFY(writeFile(source, input));
    QVERIFY(writeFile(output, "a good test"));
    const std::optional<Failure> failure = writeFrom(source, output);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::InputPastEnd);
    QCOMPARE(failure->path, output);
    QCOMPARE(readAll(output), QByteArray("a good test"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // nothing half-written beside it
}

void tst_Scramble::nonFileOutputIsRefused()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::optional<Failure> failure = writeFrom(input, pipe);
    QVERIFY(failure);
    QCOMPARE(failure->number, FailureNumber::PathFileAccessError);
    QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile()); // left alone, not replaced
#else
    QSKIP("no named pipes here");
#endif
}

void tst_Scramble::failureMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");

    QTest::newRow("temporary copy of a test")
        << 62 << QStringLiteral("C:/Velmora/тест1.tst.tmp")
        << QStringLiteral("Файл C:/Velmora/тест1.tst. поврежден или записан в неверном формате...")
        << QStringLiteral("Критическая ошибка");
    QTest::newRow("authoring destination") << 62 << QStringLiteral("/home/t/тест1.tst")
                                           << QStringLiteral("Файл /home/t/тест1. поврежден или записан в неверном формате...")
                                           << QStringLiteral("Критическая ошибка");
    QTest::newRow("path shorter than three") << 62 << QStringLiteral("ab")
                                             << QStringLiteral("Файл  поврежден или записан в неверном формате...")
                                             << QStringLiteral("Критическая ошибка");
    QTest::newRow("file not found") << 53 << QStringLiteral("/x/y.tst")
                                    << QStringLiteral("Критическая ошибка - 53 File not found") << QStringLiteral("Velmora");
    QTest::newRow("overflow") << 6 << QString() << QStringLiteral("Критическая ошибка - 6 Overflow")
                              << QStringLiteral("Velmora");
    QTest::newRow("unknown number") << 1234 << QString()
                                    << QStringLiteral("Критическая ошибка - 1234 Application-defined or object-defined error")
                                    << QStringLiteral("Velmora");
}

void tst_Scramble::failureMessages()
{
    QFETCH(int, number);
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(QString, title);
    const FailureMessage message(Failure::of(number, path));
    QCOMPARE(message.text, text);
    QCOMPARE(message.title, title);
}

QTEST_GUILESS_MAIN(tst_Scramble)
#include "tst_scramble.moc"
