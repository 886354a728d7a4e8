#include "platform/core/nativefiles.h"
#include "testdata/linereader.h"
#include "testdata/messages.h"
#include "testdata/scramble.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <limits>
#include <QTest>

#include <cstring>

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

const QByteArray LongestTitlePlusOne = QByteArray(LineReader::DefaultMaxLineLength + 3, 'x') + "\r\nS\r\nA\r\n";

} // namespace

class tst_Scramble final : public QObject
{
    Q_OBJECT

private slots:
    void copyOfStoredTest_data();
    void copyOfStoredTest();
    void copyTakesANameNoOneHolds_data();
    void copyTakesANameNoOneHolds();
    void byteVectors_data();
    void byteVectors();
    void noCrLfPairIsInputPastEnd_data();
    void noCrLfPairIsInputPastEnd();
    void titleEndAcrossBlocks();
    void roundTripOnGeneratedTexts();
    void plainTextOfStored();

    void scrambleFileWritesTmpBesideInput();
    void scrambleFileReplacesExistingOutput();
    void plantedLinkIsNeverFollowed();
    void damagedInputNamesOutputAndLeavesNothing();
    void missingInput();
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
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("t.tst.tmp"));
    QBuffer stored;
    stored.setData(input);
    stored.open(QIODevice::ReadOnly);
    const std::optional<Failure> failure = ScrambleFile(stored, {}, CopyPlace{nativePath(copy), copy}).failure;
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(failure->description, QStringLiteral("Input past end of file"));
    QVERIFY(!QFileInfo::exists(copy));
}

void tst_Scramble::titleEndAcrossBlocks()
{
    // The copy is written from blocks of a megabyte: a pair split between
    // two blocks still ends the title, and the copy holds what the
    // transformation in memory gives.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("t.tst.tmp"));
    const auto written = [&](const QByteArray &input) {
        QBuffer in;
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        QFile::remove(copy);
        return ScrambleFile(in, {}, CopyPlace{nativePath(copy), copy}).failure ? QByteArray() : readAll(copy);
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

void tst_Scramble::plainTextOfStored()
{
    const QByteArray plain("Test\r\nTask\r\nStep\r\n");
    QCOMPARE(velmora::plainTextOfStored(scrambleBytes(plain)), std::optional<QByteArray>(plain));
    QCOMPARE(velmora::plainTextOfStored(scrambleBytes("Title\r\n")), std::optional<QByteArray>("Title\r\n"));
    // A stored file cut right after its title: nothing before the title's end goes.
    QCOMPARE(velmora::plainTextOfStored("Title\r\n"), std::optional<QByteArray>("Title\r\n"));
    QCOMPARE(velmora::plainTextOfStored("no pair"), std::nullopt);
}

void tst_Scramble::scrambleFileWritesTmpBesideInput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString test = dir.filePath(QStringLiteral("тест1.tst"));
    const QByteArray plain("Test\r\nTask\r\nStep 1\r\nStep 2\r\n");
    QVERIFY(writeFile(test, scrambleBytes(plain)));

    QString path = test;
    QCOMPARE(ScrambleFile(path), std::nullopt);
    QCOMPARE(path, test + QStringLiteral(".tmp"));
    QCOMPARE(readAll(path), plain + "\xF5\n");
    QCOMPARE(readAll(test), scrambleBytes(plain)); // the input is left as it was

    path = test;
    const QString elsewhere = dir.filePath(QStringLiteral("plain.txt"));
    QCOMPARE(ScrambleFile(path, elsewhere), std::nullopt);
    QCOMPARE(path, elsewhere);
}

void tst_Scramble::scrambleFileReplacesExistingOutput()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    QVERIFY(writeFile(output, QByteArray(10000, 'o')));
    QString path = input;
    QCOMPARE(ScrambleFile(path, output), std::nullopt);
    QCOMPARE(readAll(output), scrambleBytes("T\r\nS\r\nA\r\n"));
}

void tst_Scramble::plantedLinkIsNeverFollowed()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    const QString victim = dir.filePath(QStringLiteral("victim"));
    const QString output = dir.filePath(QStringLiteral("in.txt.tmp"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    QVERIFY(writeFile(victim, "precious"));
#ifndef Q_OS_UNIX
    QSKIP("QFile::link makes a Windows shortcut here: an ordinary file, followed by nothing");
#endif
    if (!QFile::link(victim, output))
        QSKIP("symbolic links are not available here");
    QVERIFY(QFileInfo(output).isSymLink());

    QString path = input;
    QCOMPARE(ScrambleFile(path), std::nullopt);
    QCOMPARE(readAll(victim), QByteArray("precious"));
    QVERIFY(!QFileInfo(output).isSymLink());
    QCOMPARE(readAll(output), scrambleBytes("T\r\nS\r\nA\r\n"));

    // A dangling link is removed as well, not written through.
    const QString nowhere = dir.filePath(QStringLiteral("nowhere"));
    QVERIFY(QFile::remove(output));
    QVERIFY(QFile::link(nowhere, output));
    path = input;
    QCOMPARE(ScrambleFile(path), std::nullopt);
    QVERIFY(!QFileInfo::exists(nowhere));
    QVERIFY(!QFileInfo(output).isSymLink());
}

void tst_Scramble::damagedInputNamesOutputAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("broken.tst"));
    QVERIFY(writeFile(input, "no line break at all"));
    QString path = input;
    const std::optional<Failure> failure = ScrambleFile(path);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(failure->path, input + QStringLiteral(".tmp"));
    QCOMPARE(path, input + QStringLiteral(".tmp"));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(testDataFailureMessage(*failure).text,
             QStringLiteral("Файл ") + input + QStringLiteral(". поврежден или записан в неверном формате..."));

    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    QVERIFY(writeFile(empty, {}));
    path = empty;
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    const std::optional<Failure> emptyFailure = ScrambleFile(path, output);
    QVERIFY(emptyFailure);
    QCOMPARE(emptyFailure->number, 62);
    QCOMPARE(emptyFailure->path, output);
}

void tst_Scramble::missingInput()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("missing.tst"));
    QString path = input;
    const std::optional<Failure> failure = ScrambleFile(path);
    QVERIFY(failure);
    QCOMPARE(failure->number, 53);
    QCOMPARE(failure->description, QStringLiteral("File not found"));
    QCOMPARE(failure->path, input);
    QCOMPARE(path, input); // the output path is taken only after the input opened
    QVERIFY(!QFileInfo::exists(input + QStringLiteral(".tmp")));

    path = dir.filePath(QStringLiteral("no/such/folder/x.tst"));
    QCOMPARE(ScrambleFile(path)->number, 76);
    path = dir.path();
    QCOMPARE(ScrambleFile(path)->number, 75);
}

void tst_Scramble::outputFailures()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));

    QString path = input;
    std::optional<Failure> failure = ScrambleFile(path, dir.filePath(QStringLiteral("missing/out.tst")));
    QVERIFY(failure);
    QCOMPARE(failure->number, 76);

    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    path = input;
    failure = ScrambleFile(path, dir.filePath(QStringLiteral("sub")));
    QVERIFY(failure);
    QCOMPARE(failure->number, 75);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("sub"))).isDir());
}

void tst_Scramble::outputNamingInputIsRefused()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    QVERIFY(writeFile(input, "no pair here"));
    QString path = input;
    const std::optional<Failure> failure = ScrambleFile(path, input);
    QVERIFY(failure);
    QCOMPARE(failure->number, 75);
    QCOMPARE(readAll(input), QByteArray("no pair here"));

    // A given output is written through a link: a link to the input is the input.
    QVERIFY(writeFile(input, "T\r\nS\r\nA\r\n"));
    const QString link = dir.filePath(QStringLiteral("link.tst"));
#ifndef Q_OS_UNIX
    QSKIP("QFile::link makes a Windows shortcut here: an ordinary file, followed by nothing");
#endif
    if (!QFile::link(input, link))
        QSKIP("symbolic links are not available here");
    path = input;
    QCOMPARE(ScrambleFile(path, link)->number, 75);
    QCOMPARE(readAll(input), QByteArray("T\r\nS\r\nA\r\n"));
}

void tst_Scramble::endlessInputStops()
{
    ZeroDevice in;
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("out.tst"));
    const std::optional<Failure> failure = scrambleToFile(in, output);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QVERIFY2(in.consumed() <= LineReader::DefaultMaxLineLength + 2 + 1024 * 1024, qPrintable(QString::number(in.consumed())));
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
    QString path = source;
    const std::optional<Failure> failure = ScrambleFile(path, output);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
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
    QString path = input;
    const std::optional<Failure> failure = ScrambleFile(path, pipe);
    QVERIFY(failure);
    QCOMPARE(failure->number, 75);
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
    const FailureMessage message = testDataFailureMessage(Failure::of(number, path));
    QCOMPARE(message.text, text);
    QCOMPARE(message.title, title);
}

void tst_Scramble::copyOfStoredTest_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("copyNamesInput");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("failure");
    const qint64 any = std::numeric_limits<qint64>::max();
    QTest::newRow("a test") << scrambleBytes("T\r\nS\r\nA\r\n") << false << any << 0;
    QTest::newRow("a test as large as allowed") << scrambleBytes("T\r\nS\r\nA\r\n") << false << qint64(10) << 0;
    QTest::newRow("larger than allowed") << scrambleBytes("T\r\nS\r\nA\r\n") << false << qint64(9) << 7;
    QTest::newRow("no CR LF pair") << QByteArray("no line end") << false << any << 62;
    QTest::newRow("the copy is the test itself") << scrambleBytes("T\r\nS\r\nA\r\n") << true << any << 75;
}

void tst_Scramble::copyOfStoredTest()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, copyNamesInput);
    QFETCH(qint64, limit);
    QFETCH(int, failure);
    QTemporaryDir dir;
    const QString test = dir.filePath(QStringLiteral("t.tst"));
    QVERIFY(writeFile(test, stored));
    const QString copy = copyNamesInput ? test : test + QStringLiteral(".tmp");
    QFile in(test);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const ScrambledCopy written = ScrambleFile(in, nativePath(test), CopyPlace{nativePath(copy), QStringLiteral("shown.tmp")}, {}, limit);
    QCOMPARE(written.failure ? written.failure->number : 0, failure);
    QCOMPARE(readAll(test), stored); // the test itself is only read
    if (failure) {
        QCOMPARE(written.failure->path, QStringLiteral("shown.tmp"));
        QVERIFY(written.writtenPath.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no copy left
        return;
    }
    QCOMPARE(readAll(copy), scrambleBytes(stored));
#ifdef Q_OS_UNIX // Windows keeps no file modes; the copy is private by its folder there
    QCOMPARE(QFileInfo(copy).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
#endif
    QCOMPARE(written.writtenPath, nativePath(copy));
}

// Programs that load the same test at once each write a copy of their own:
// a name another program holds is passed over, never taken from it.
void tst_Scramble::copyTakesANameNoOneHolds_data()
{
    QTest::addColumn<QStringList>("standing"); // held by another program; "name/" a folder, "name=" a stale copy
    QTest::addColumn<QString>("taken");        // "elsewhere/" when every name beside is held
    QTest::newRow("nothing there") << QStringList() << u"t.tst.tmp"_s;
    QTest::newRow("a stale copy") << QStringList{u"t.tst.tmp="_s} << u"t.tst.tmp"_s;
    QTest::newRow("the plain name held") << QStringList{u"t.tst.tmp"_s} << u"t.tst.1.tmp"_s;
    QTest::newRow("two names held") << QStringList{u"t.tst.tmp"_s, u"t.tst.1.tmp"_s} << u"t.tst.2.tmp"_s;
    QTest::newRow("a folder at the plain name") << QStringList{u"t.tst.tmp/"_s} << u"t.tst.1.tmp"_s;
    QTest::newRow("every name held") << QStringList{u"t.tst.tmp"_s, u"t.tst.1.tmp"_s, u"t.tst.2.tmp"_s}
                                     << u"elsewhere/t.tst.tmp"_s;
}

void tst_Scramble::copyTakesANameNoOneHolds()
{
    QFETCH(QStringList, standing);
    QFETCH(QString, taken);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"elsewhere"_s));
    const QByteArray stored = scrambleBytes("T\r\nS\r\nA\r\n");
    QVERIFY(writeFile(dir.filePath(u"t.tst"_s), stored));
    std::vector<std::unique_ptr<HeldFile>> others;
    for (const QString &name : standing) {
        if (name.endsWith(u'/')) {
            QVERIFY(QDir(dir.path()).mkdir(name.chopped(1)));
        } else if (name.endsWith(u'=')) {
            QVERIFY(writeFile(dir.filePath(name.chopped(1)), "stale"));
        } else {
            others.push_back(std::make_unique<HeldFile>());
            QCOMPARE(others.back()->create(nativePath(dir.filePath(name)), name), std::nullopt);
            QCOMPARE(others.back()->file().write("held"), 4);
        }
    }
    const auto place = [&](const QString &folder) {
        return CopyPlace{nativePath(folder + u"/t.tst.tmp"_s), u"shown.tmp"_s, [folder](int n) {
                             return n <= 2 ? nativePath(folder + u"/t.tst.%1.tmp"_s.arg(n)) : QByteArray();
                         }};
    };
    QFile in(dir.filePath(u"t.tst"_s));
    QVERIFY(in.open(QIODevice::ReadOnly));
    const ScrambledCopy written = ScrambleFile(in, nativePath(in.fileName()), place(dir.path()),
                                               [&] { return std::optional(place(dir.filePath(u"elsewhere"_s))); });
    QCOMPARE(written.failure, std::nullopt);
    QCOMPARE(written.writtenPath, nativePath(dir.filePath(taken)));
    QCOMPARE(readAll(dir.filePath(taken)), scrambleBytes(stored));
    for (const std::unique_ptr<HeldFile> &other : others)
        QCOMPARE(readAll(shownPath(other->path())), QByteArray("held"));
}

QTEST_GUILESS_MAIN(tst_Scramble)
#include "tst_scramble.moc"
