#include "platform/core/nativefiles.h"
#include "tasklist.h"
#include "testdata/authoring.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"
#include "testdata/temporarycopy.h"
#include "testdata/textcodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {

// "Чай" and friends, spelled out in both encodings.
const QByteArray TeaCp1251("\xD7\xE0\xE9");
const QByteArray TeaUtf8("\xD0\xA7\xD0\xB0\xD0\xB9");
// "Чай\r\nA ✓\r\n" as Notepad's "Unicode" saves it, each character in two bytes.
const QByteArray TeaUtf16Le("\x27\x04\x30\x04\x39\x04\r\0\n\0A\0 \0\x13\x27\r\0\n\0", 20);

QByteArray swappedPairs(QByteArray bytes)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_Authoring final : public QObject
{
    Q_OBJECT

private slots:
    void decodeLine_data();
    void decodeLine();
    void storedFormEncoding_data();
    void storedFormEncoding();
    void storedForm_data();
    void storedForm();
    void authoredTestLoadsAsWritten();
    void authorTestFailures();
    void unopenableTestIsReported_data();
    void unopenableTestIsReported();
};

void tst_Authoring::decodeLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII") << QByteArray("Step 1") << QStringLiteral("Step 1");
    QTest::newRow("Windows-1251") << TeaCp1251 << QStringLiteral("Чай");
    QTest::newRow("UTF-8") << TeaUtf8 << QStringLiteral("Чай");
    QTest::newRow("Windows-1251 upper half")
        << QByteArray("\xC0\xFF\xA8\xB8\xB9\x88") << QStringLiteral("АяЁё№€");
    QTest::newRow("UTF-8 outside Windows-1251") << QByteArray("\xE2\x9C\x93 \xF0\x9F\x98\x80")
                                               << QStringLiteral("✓ ") + QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("overlong form is not UTF-8") << QByteArray("\xC0\x80") << QStringLiteral("А\u0402");
    QTest::newRow("surrogate is not UTF-8") << QByteArray("\xED\xA0\x80") << QStringLiteral("н\u00A0\u0402");
    QTest::newRow("above U+10FFFF is not UTF-8") << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("ф\u0452\u0402\u0402");
    QTest::newRow("cut sequence is not UTF-8") << QByteArray("\xD0") << QStringLiteral("Р");
    QTest::newRow("UTF-8 and Windows-1251 mixed") << TeaUtf8 + TeaCp1251 << QStringLiteral("Р§Р°Р№Чай");
}

void tst_Authoring::decodeLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(velmora::decodeLine(bytes), text);
}

void tst_Authoring::storedFormEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QStringLiteral("Tea\r\n") << QByteArray("Tea\r\n");
    QTest::newRow("Russian fits Windows-1251") << QStringLiteral("Чай\r\n") << TeaCp1251 + "\r\n";
    QTest::newRow("a character outside it") << QStringLiteral("Чай ✓\r\n") << TeaUtf8 + " \xE2\x9C\x93\r\n";
    // "ВЁ" in Windows-1251 is C2 A8, which is valid UTF-8: it would read back as "¨".
    QTest::newRow("Windows-1251 line that reads as UTF-8")
        << QStringLiteral("Чай\r\nВЁ\r\n") << TeaUtf8 + "\r\n\xD0\x92\xD0\x81\r\n";
}

// The stored form is Windows-1251 where the text fits it, UTF-8 where not.
void tst_Authoring::storedFormEncoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const QByteArray encoded = TeacherText(text.toUtf8()).storedForm();
    QCOMPARE(encoded, bytes);
    // Whatever the encoding, every line reads back as it was written.
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const QList<QByteArray> encodedLines = encoded.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(velmora::decodeLine(encodedLines.at(i).chopped(i + 1 < lines.size() ? 1 : 0)), lines.at(i));
}

void tst_Authoring::storedForm_data()
{
    QTest::addColumn<QByteArray>("teacherText");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("already stored form") << QByteArray("T\r\nS\r\nA\r\n") << QByteArray("T\r\nS\r\nA\r\n");
    QTest::newRow("LF line ends") << QByteArray("T\nS\nA\n") << QByteArray("T\r\nS\r\nA\r\n");
    QTest::newRow("CR line ends") << QByteArray("T\rS\rA\r") << QByteArray("T\r\nS\r\nA\r\n");
    QTest::newRow("mixed line ends") << QByteArray("T\r\nS\nA\rB") << QByteArray("T\r\nS\r\nA\r\nB\r\n");
    QTest::newRow("no break after the last line") << QByteArray("T\nS\nA") << QByteArray("T\r\nS\r\nA\r\n");
    QTest::newRow("trailing empty lines") << QByteArray("T\nS\nA\n\n\n") << QByteArray("T\r\nS\r\nA\r\n");
    QTest::newRow("inner empty lines stay")
        << QByteArray("T\nS\nA\n\n\nS2\nB\n") << QByteArray("T\r\nS\r\nA\r\n\r\n\r\nS2\r\nB\r\n");
    QTest::newRow("spaces stay") << QByteArray(" T \n S\nA \n  \n") << QByteArray(" T \r\n S\r\nA \r\n  \r\n");
    QTest::newRow("UTF-8 with BOM to Windows-1251")
        << QByteArray("\xEF\xBB\xBF") + TeaUtf8 + "\n" << TeaCp1251 + "\r\n";
    QTest::newRow("UTF-8 to Windows-1251") << TeaUtf8 + "\n" + TeaUtf8 + "\n" << TeaCp1251 + "\r\n" + TeaCp1251 + "\r\n";
    QTest::newRow("Windows-1251 stays") << TeaCp1251 + "\n" << TeaCp1251 + "\r\n";
    QTest::newRow("UTF-8 that does not fit stays UTF-8")
        << TeaUtf8 + " \xE2\x9C\x93\n" << TeaUtf8 + " \xE2\x9C\x93\r\n";
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("only line ends") << QByteArray("\n\r\n\r") << QByteArray();
    QTest::newRow("BOM alone") << QByteArray("\xEF\xBB\xBF") << QByteArray();
    QTest::newRow("title alone") << QByteArray("Title") << QByteArray("Title\r\n");
    QTest::newRow("UTF-16 LE with its mark")
        << "\xFF\xFE" + TeaUtf16Le << TeaUtf8 + "\r\nA \xE2\x9C\x93\r\n";
    QTest::newRow("UTF-16 BE with its mark")
        << "\xFE\xFF" + swappedPairs(TeaUtf16Le) << TeaUtf8 + "\r\nA \xE2\x9C\x93\r\n";
    QTest::newRow("UTF-16 LE without a mark, to Windows-1251")
        << TeaUtf16Le.first(10) << TeaCp1251 + "\r\n";
    QTest::newRow("8-bit text with NUL bytes stays 8-bit")
        << QByteArray("T\r\nS\r/K\x04\0\0\r\r\nC", 14) << QByteArray("T\r\nS\r\n/K\x04\0\0\r\n\r\nC\r\n", 18);
    QTest::newRow("8-bit text with a mark and NUL bytes stays 8-bit")
        << QByteArray("\xFF\xFE\r\n\0S\r\n\0", 9) << QByteArray("\xFF\xFE\r\n\0S\r\n\0\r\n", 11);
    QTest::newRow("Windows-1251 that begins with the bytes of a mark stays")
        << QByteArray("\xFF\xFE\r\nS\r\nA\r\n") << QByteArray("\xFF\xFE\r\nS\r\nA\r\n");
    QTest::newRow("a Windows-1251 line among UTF-8")
        << TeaUtf8 + "\n" + TeaCp1251 + "\n" + TeaUtf8 + "\n" << TeaCp1251 + "\r\n" + TeaCp1251 + "\r\n" + TeaCp1251 + "\r\n";
    QTest::newRow("a UTF-8 line among Windows-1251 that does not fit it")
        << TeaCp1251 + "\r\n\xE2\x9C\x93\r\n" << TeaUtf8 + "\r\n\xE2\x9C\x93\r\n";
    QTest::newRow("a line of blanks stays")
        << QByteArray("T\r\nS\r\nA\r\n \t\xA0\r\nS2\r\nB\r\n") << QByteArray("T\r\nS\r\nA\r\n \t\xA0\r\nS2\r\nB\r\n");
}

void tst_Authoring::storedForm()
{
    QFETCH(QByteArray, teacherText);
    QFETCH(QByteArray, stored);
    QCOMPARE(TeacherText(teacherText).storedForm(), stored);
    QCOMPARE(TeacherText(stored).storedForm(), stored); // the stored form is a fixed point
}

void tst_Authoring::authoredTestLoadsAsWritten()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("чай.txt"));
    const QString destination = dir.filePath(QStringLiteral("тест1.tst"));
    const QByteArray text = QStringLiteral("\uFEFFЧай\nЗаварить чай\nВскипятить воду\nЗалить заварку\n\n"
                                           "Подать\nНалить\nПоставить на стол\n\n")
                                .toUtf8();
    QVERIFY(writeFile(source, text));
    QCOMPARE(AuthorTest(source, destination), std::nullopt);

    QFile stored(destination);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(readTitle(stored), std::optional<QString>(QStringLiteral("Чай")));
    stored.close();

    // Opened as a pupil's choice opens it.
    TaskTable Tasks;
    QVERIFY(TemporaryCopy::loadChosenTest(nativePath(destination), QStringLiteral("Чай"), Tasks).opens());
    QCOMPARE(velmora::test::tasksOf(Tasks), (QList<QStringList>{
                                {QStringLiteral("Заварить чай"), QStringLiteral("Вскипятить воду"), QStringLiteral("Залить заварку")},
                                {QStringLiteral("Подать"), QStringLiteral("Налить"), QStringLiteral("Поставить на стол")}}));

    // A title alone is scrambled as well.
    QVERIFY(writeFile(source, "Title only\n"));
    QCOMPARE(AuthorTest(source, destination), std::nullopt);
    QFile titleOnly(destination);
    QVERIFY(titleOnly.open(QIODevice::ReadOnly));
    QCOMPARE(titleOnly.readAll(), QByteArray("Title only\r\n\xF5"));
}

void tst_Authoring::authorTestFailures()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.txt"));
    const QString destination = dir.filePath(QStringLiteral("тест1.tst"));

    std::optional<Failure> failure = AuthorTest(source, destination);
    QVERIFY(failure);
    QCOMPARE(failure->number, 53);
    QCOMPARE(failure->path, source);

    // An empty text cannot be scrambled: the message names the destination.
    QVERIFY(writeFile(source, "\n\n"));
    QVERIFY(writeFile(destination, "old"));
    failure = AuthorTest(source, destination);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(failure->path, destination);
    QFile old(destination); // what stood there stays whole
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));

    // Writing the test over its own source would lose the text.
    QVERIFY(writeFile(source, "T\nS\nA\n"));
    failure = AuthorTest(source, source);
    QVERIFY(failure);
    QCOMPARE(failure->number, 75);
    QFile kept(source);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("T\nS\nA\n"));
}

void tst_Authoring::unopenableTestIsReported_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("firstLine");   // of the first problem; -1: the program opens the test
    QTest::addColumn<QString>("mentions"); // in the first problem
    QTest::addColumn<bool>("blocks");      // the first problem stops the program: refused
    QTest::newRow("opens") << QByteArray("T\nS\nA\nB\n\n") << -1 << QString() << false;
    QTest::newRow("LF ends, two empty lines, a task without steps, an empty line at the end")
        << QByteArray("Lesson\nS1\nA\nB\n\n\nS2\nC\n\nS3\n\n") << 10 << QStringLiteral("нет ни одного шага") << true;
    QTest::newRow("title alone") << QByteArray("Title\n") << 0 << QStringLiteral("нет ни одного задания") << true;
    QByteArray longTask("T\nS\n");
    for (int k = 1; k <= 21; ++k)
        longTask += "step " + QByteArray::number(k) + "\n";
    QTest::newRow("21 steps") << longTask << 2 << QStringLiteral("21 шаг") << true;
    // Opens, as one task: written as the text says, and the line told.
    QTest::newRow("spaces between two tasks")
        << QByteArray("T\nS\nA\nB\n  \nS2\nC\nD\n") << 5 << QStringLiteral("не разделяет задания") << false;
    QTest::newRow("UTF-16 with a tab between two tasks")
        << QByteArray("\xFF\xFET\0\n\0S\0\n\0A\0\n\0B\0\n\0\t\0\n\0S\0\n\0C\0\n\0D\0\n\0", 34) << 5
        << QStringLiteral("не разделяет задания") << false;
    // Opens, but the second task swallows the third.
    QTest::newRow("a task without steps in the middle")
        << QByteArray("T\nS1\nA\nB\n\nS2\n\nS3\nC\nD\n") << 7 << QStringLiteral("нет ни одного шага") << true;
    QTest::newRow("a Word document") << QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10) + "\r\n\x9c\r\nword/document.xml\n" << 0
                                     << QStringLiteral("это не текст, а документ Word") << true;
    QTest::newRow("a WordPad document") << QByteArray("{\\rtf1\\ansi\\deff0\r\n\\par Tea\r\n\\par Boil\r\n}\r\n") << 0
                                        << QStringLiteral("это не текст, а документ RTF") << true;
    QTest::newRow("a test already scrambled") << scrambleBytes("T\r\nS\r\nA\r\nB\r\n") << 0
                                              << QStringLiteral("это уже тест") << true;
    // Opens as written: the look-alike steps told, the test written.
    QTest::newRow("steps that look alike") << QByteArray("T\nS\nA\nA \n") << 4 << QStringLiteral("выглядят одинаково")
                                           << false;
}

void tst_Authoring::unopenableTestIsReported()
{
    QFETCH(QByteArray, text);
    QFETCH(int, firstLine);
    QFETCH(QString, mentions);
    QFETCH(bool, blocks);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("lesson.txt"));
    const QString destination = dir.filePath(QStringLiteral("lesson.tst"));
    QVERIFY(writeFile(source, text));
    QVERIFY(writeFile(destination, "old"));

    // Refused when asked: nothing written, the problems named with their
    // lines. The question comes before the destination is touched.
    QList<Finding> problems;
    QByteArray whenAsked;
    const auto refuse = [&](const QList<Finding> &) {
        whenAsked = readFile(destination);
        return false;
    };
    QCOMPARE(AuthorTest(source, destination, &problems, refuse), std::nullopt);
    QCOMPARE(problems.isEmpty(), firstLine < 0);
    QCOMPARE(whenAsked, blocks ? QByteArray("old") : QByteArray());
    QCOMPARE(readFile(destination) == "old", blocks);
    if (firstLine < 0)
        return;
    QCOMPARE(problems.constFirst().blocksOpening, blocks);
    QCOMPARE(problems.constFirst().line, firstLine);
    QVERIFY2(problems.constFirst().message.contains(mentions), qPrintable(problems.constFirst().message));
    if (!blocks)
        return;

    // Insisted on: written all the same, the same problems told.
    QList<Finding> again;
    QCOMPARE(AuthorTest(source, destination, &again), std::nullopt);
    QCOMPARE(again.size(), problems.size());
    QVERIFY(readFile(destination) != "old");
}

QTEST_GUILESS_MAIN(tst_Authoring)
#include "tst_authoring.moc"
