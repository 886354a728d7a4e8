#include "tasklist.h"
#include "testdata/checker.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"
#include "testdata/teachertext.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velmora;
using namespace Qt::StringLiterals;

namespace {

QByteArray steps(int count, const char *prefix = "Step ")
{
    QByteArray text;
    for (int k = 1; k <= count; ++k)
        text += prefix + QByteArray::number(k) + "\r\n";
    return text;
}

// Each expected finding as "line:words the message holds", in order.
void verifyFindings(const QList<Finding> &found, const QStringList &expected)
{
    QStringList got;
    for (const Finding &finding : found)
        got << QString::number(finding.line) + u':' + finding.message;
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString line = expected.at(i).section(u':', 0, 0);
        const QString words = expected.at(i).section(u':', 1);
        QVERIFY2(got.at(i).startsWith(line + u':') && got.at(i).contains(words), qPrintable(got.join(u'\n')));
    }
}

} // namespace

class tst_Checker final : public QObject
{
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
    void mixedEncodings_data();
    void mixedEncodings();
    void notText_data();
    void notText();
    void cleanVerdictMeansLoadsAsWritten();
    void taskCounterLimit();
};

void tst_Checker::findings_data()
{
    // Each expected finding as "line:words the message holds".
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a good test") << QByteArray("Tea\r\nMake tea\r\nBoil\r\nPour\r\n\r\nServe\r\nCup\r\nSugar\r\n")
                                 << QStringList{};
    QTest::newRow("two identical steps of three are fine")
        << QByteArray("T\r\nRoad\r\nLook left\r\nLook right\r\nLook left\r\n") << QStringList{};
    QTest::newRow("exactly 20 steps") << QByteArray("T\r\nS\r\n") + steps(20) << QStringList{};
    QTest::newRow("empty file") << QByteArray() << QStringList{u"1:Файл пуст"_s};
    QTest::newRow("no title") << QByteArray("\r\nS\r\nA\r\nB\r\n") << QStringList{u"1:Нет заголовка"_s};
    QTest::newRow("21 steps") << QByteArray("T\r\nS\r\n") + steps(21) << QStringList{u"2:21 шаг,"_s};
    QTest::newRow("25 steps in the second task")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\nS2\r\n") + steps(25) << QStringList{u"6:В задании 2 25 шагов"_s};
    QTest::newRow("two empty lines in a row")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\n\r\nS2\r\nC\r\nD\r\n") << QStringList{u"6:Две пустые строки подряд"_s};
    QTest::newRow("empty line right after the title")
        << QByteArray("T\r\n\r\nS\r\nA\r\nB\r\n") << QStringList{u"2:сразу после заголовка"_s};
    QTest::newRow("empty first step")
        << QByteArray("T\r\nS\r\n\r\nA\r\nB\r\n") << QStringList{u"3:пустым первым шагом"_s};
    QTest::newRow("last line without a line break")
        << QByteArray("T\r\nS\r\nA\r\nB") << QStringList{u"4:без перевода строки"_s};
    QTest::newRow("empty line at the end")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\n") << QStringList{u"5:Пустая строка в конце"_s};
    QTest::newRow("empty lines at the end")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\n\r\n\r\n") << QStringList{u"5:Пустые строки в конце (3)"_s};
    QTest::newRow("LF line ends")
        << QByteArray("T\nS\nA\nB\n")
        << QStringList{u"0:нет ни одного перевода строки CR LF"_s, u"0:нет ни одного задания"_s, u"1:таких строк: 4"_s};
    QTest::newRow("one LF line end among CR LF")
        << QByteArray("T\r\nS\r\nA\nB\r\nC\r\n") << QStringList{u"3:таких строк: 1"_s};
    QTest::newRow("all steps identical")
        << QByteArray("T\r\nS\r\nA\r\nA\r\nA\r\n") << QStringList{u"2:все шаги одинаковы"_s};
    QTest::newRow("a single step") << QByteArray("T\r\nS\r\nA\r\n") << QStringList{u"2:только один шаг"_s};
    QTest::newRow("title alone") << QByteArray("Title\r\n") << QStringList{u"0:нет ни одного задания"_s};
    QTest::newRow("statement without steps at the end")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\nS2\r\n") << QStringList{u"6:нет ни одного шага"_s};
    QTest::newRow("statement without steps in the middle swallows the next task")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\nS2\r\n\r\nS3\r\nC\r\nD\r\n")
        << QStringList{u"7:задание 2: у него нет ни одного шага"_s};
    QTest::newRow("more steps than the counter holds")
        << QByteArray("T\r\nS\r\n") + steps(32768) << QStringList{u"2:больше 32767 шагов"_s};
    QTest::newRow("blank step and too many steps")
        << QByteArray("T\r\nS\r\n \r\n") + steps(32768)
        << QStringList{u"2:больше 32767 шагов"_s, u"3:пробелов станет шагом задания 1"_s};
    QTest::newRow("lone CR in the title")
        << QByteArray("Ti\rtle\r\nS\r\nA\r\nB\r\n") << QStringList{u"1:CR без LF"_s};
    QTest::newRow("CR line ends load as written") << QByteArray("T\r\nS\rA\rB\r") << QStringList{};
    QTest::newRow("line numbers count LF as an editor does")
        << QByteArray("T\r\nS\nX\r\nA\r\nB\r\n\r\n") << QStringList{u"2:таких строк: 1"_s, u"6:Пустая строка в конце"_s};
    // Lines that look empty but are not: the program reads them as text.
    QTest::newRow("spaces between two tasks")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n  \r\nS2\r\nC\r\nD\r\n") << QStringList{u"5:не разделяет задания"_s};
    QTest::newRow("a tab and a Windows-1251 no-break space between two tasks")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\t\xA0\r\nS2\r\nC\r\nD\r\n") << QStringList{u"5:задание 1 продолжится"_s};
    QTest::newRow("a UTF-8 no-break space between the second and third tasks")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\nS2\r\nC\r\nD\r\n\xC2\xA0\r\nS3\r\nE\r\nF\r\n")
        << QStringList{u"9:задание 2 продолжится"_s};
    QTest::newRow("spaces after the last step")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n \r\n") << QStringList{u"5:станет шагом задания 1"_s};
    QTest::newRow("spaces as a statement")
        << QByteArray("T\r\nS\r\nA\r\nB\r\n\r\n \r\nS2\r\nC\r\n") << QStringList{u"6:станет условием задания 2"_s};
    QTest::newRow("spaces inside a step are no blank line")
        << QByteArray("T\r\nS\r\nA B\r\n C\r\n") << QStringList{};
    // Steps that look the same to the pupil and are not: both lines named.
    QTest::newRow("a zero-width space") << QByteArray("T\r\nS\r\nВзять\xE2\x80\x8B мел\r\nВзять мел\r\n")
                                        << QStringList{u"4:строках 3 и 4 выглядят одинаково, но различаются (невидимый знак (U+200B))"_s};
    QTest::newRow("a Windows-1251 no-break space") << QByteArray("T\r\nS\r\nA\xA0" "B\r\nA B\r\n")
                                                   << QStringList{u"4:(неразрывный пробел (U+00A0), пробел)"_s};
    QTest::newRow("a trailing blank") << QByteArray("T\r\nS\r\nВзять мел \r\nПисать\r\nВзять мел\r\n")
                                      << QStringList{u"5:строках 3 и 5 выглядят одинаково, но различаются (пробел в конце строки)"_s};
    QTest::newRow("Latin C for Cyrillic С") << QByteArray("T\r\nS\r\nСложить\r\nCложить\r\n")
                                            << QStringList{u"4:(русская буква «С» (U+0421), латинская буква «C» (U+0043))"_s};
    QTest::newRow("a Greek omicron for Cyrillic о") << QByteArray("T\r\nS\r\nок\r\n\xCE\xBFк\r\n")
                                                    << QStringList{u"4:греческая буква «ο» (U+03BF)"_s};
    QTest::newRow("a minus sign for a hyphen") << QByteArray("T\r\nS\r\na-b\r\na\xE2\x88\x92" "b\r\n")
                                               << QStringList{u"4:знак «−» (U+2212)"_s};
    QTest::newRow("two spaces for one") << QByteArray("T\r\nS\r\nA  B\r\nA B\r\n") << QStringList{u"4:(число пробелов)"_s};
    QTest::newRow("ё is no е: it shows") << QByteArray("T\r\nS\r\nВсё\r\nВсе\r\n") << QStringList{};
}

void tst_Checker::findings()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    verifyFindings(CheckTest(text), expected);
}

void tst_Checker::mixedEncodings_data()
{
    // "Чай" in either encoding; ASCII lines read the same in both.
    const QByteArray cp1251("\xD7\xE0\xE9");
    const QByteArray utf8("\xD0\xA7\xD0\xB0\xD0\xB9");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one Windows-1251 line among UTF-8")
        << utf8 + "\n" + utf8 + "\n" + cp1251 + "\nA\n" + utf8 + "\n" << QStringList{u"3:в кодировке Windows-1251, а остальной текст — в UTF-8"_s};
    QTest::newRow("one UTF-8 line among Windows-1251, CR LF")
        << cp1251 + "\r\n" + utf8 + "\r\nA\r\n" + cp1251 + "\r\n" << QStringList{u"2:в кодировке UTF-8, а остальной текст — в Windows-1251"_s};
    QTest::newRow("lines numbered as an editor does, after a byte order mark")
        << "\xEF\xBB\xBF" + utf8 + "\rA\n\n" + cp1251 + "\r\n" + utf8 << QStringList{u"4:Windows-1251"_s};
    QTest::newRow("a tie: the first line decides") << cp1251 + "\n" + utf8 + "\n" << QStringList{u"2:UTF-8"_s};
    QTest::newRow("Windows-1251 throughout") << cp1251 + "\r\nA\r\n" + cp1251 + "\r\n" << QStringList{};
    QTest::newRow("UTF-8 and ASCII") << utf8 + "\nA\n" << QStringList{};
    // Read as 8-bit lines, its second line would pass for UTF-8 among Windows-1251.
    QTest::newRow("UTF-16 is one encoding")
        << QByteArray("\xFF\xFE" "A\0" "\n\0" "\xD0\xA7" "\n\0" "\xD7\xE0", 12) << QStringList{};
}

void tst_Checker::mixedEncodings()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    verifyFindings(TeacherText(text).mixedEncodings(), expected);
}

void tst_Checker::notText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("named"); // in the finding; empty: a text
    // The archives of today's office documents: a ZIP header, then the names inside.
    const QByteArray zip("PK\x03\x04\x14\0\0\0\x08\0", 10);
    QTest::newRow("Word") << zip + "[Content_Types].xml\r\x9c\rword/document.xml" << u"это не текст, а документ Word (.docx)"_s;
    QTest::newRow("OpenDocument") << zip + "mimetypeapplication/vnd.oasis.opendocument.text"
                                  << u"это не текст, а документ OpenDocument (.odt)"_s;
    QTest::newRow("WordPad") << QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Calibri;}}\r\n\\par\r\n}\r\n")
                             << u"это не текст, а документ RTF (.rtf)"_s;
    QTest::newRow("Word 97") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10) << u"это не текст, а документ Microsoft Office"_s;
    QTest::newRow("PDF") << QByteArray("%PDF-1.7\r\n") << u"это не текст, а документ PDF"_s;
    QTest::newRow("another ZIP archive") << zip + "lesson.txt" << u"это не текст, а архив ZIP"_s;
    QTest::newRow("a test") << scrambleBytes("\xD7\xE0\xE9\r\n\xD1\r\n\xC0\r\n\xC1\r\n") << u"это уже тест"_s;
    QTest::newRow("a test of a title alone") << scrambleBytes("Title\r\n") << u"это уже тест"_s;
    QTest::newRow("a text") << QByteArray("\xD7\xE0\xE9\r\n\xD1\r\n\xC0\r\n\xC1\r\n") << QString();
    // "отход" holds the bytes of a scrambled CR LF; a line ending in "х" and
    // an LF ends like a scrambled test.
    QTest::newRow("a Windows-1251 text that ends like a test")
        << QByteArray("\xD3\xF0\xEE\xEA\n\xEE\xF2\xF5\xEE\xE4\n\xE2\xE7\xEC\xE0\xF5\n") << QString();
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFET\0\r\0\n\0S\0\r\0\n\0", 14) << QString();
}

void tst_Checker::notText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, named);
    const std::optional<Finding> found = TeacherText(bytes).notText();
    QCOMPARE(found.has_value(), !named.isEmpty());
    if (!found)
        return;
    QVERIFY2(found->message.contains(named), qPrintable(found->message));
    QCOMPARE(found->line, 0);
    QVERIFY(found->blocksOpening);
}

void tst_Checker::cleanVerdictMeansLoadsAsWritten()
{
    // On generated texts: whenever the checker finds nothing, the program
    // reads exactly the tasks written, blocks of lines between empty lines.
    QRandomGenerator random(99);
    const QList<QByteArray> words{"a", "b", "c", "", ""};
    const QList<QByteArray> ends{"\r\n", "\r\n", "\r\n", "\r\n", "\r", "\n", ""};
    int clean = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray text("Title\r\n");
        const int length = random.bounded(1, 12);
        for (int i = 0; i < length; ++i)
            text += words.at(random.bounded(int(words.size()))) + ends.at(random.bounded(int(ends.size())));
        const QList<Finding> found = CheckTest(text);
        // Every difference has its own explanation, never the last resort.
        for (const Finding &finding : found)
            QVERIFY2(!finding.message.startsWith(u"Программа загрузит тест не так"), text.toPercentEncoding().constData());
        if (!found.isEmpty())
            continue;
        ++clean;
        TaskTable Tasks;
        QCOMPARE(LoadTest(scrambleBytes(scrambleBytes(text)), Tasks).failure, std::nullopt);
        QByteArray body = text.sliced(7);
        body.chop(body.endsWith("\r\n") ? 2 : 1);
        const QList<QByteArray> blocks = body.split('\r');
        QList<QStringList> written{{}};
        for (const QByteArray &line : blocks) {
            const QByteArray bare = line.startsWith('\n') ? line.sliced(1) : line;
            if (bare.isEmpty())
                written.append(QStringList{});
            else
                written.last().append(QString::fromLatin1(bare));
        }
        QCOMPARE(velmora::test::tasksOf(Tasks), written);
    }
    QVERIFY2(clean > 20, QByteArray::number(clean).constData());
}

void tst_Checker::taskCounterLimit()
{
    QByteArray text("Title\r\n");
    for (int n = 0; n < 32767; ++n)
        text += n == 0 ? "S\r\nA\r\nB\r\n" : "\r\nS\r\nA\r\nB\r\n";
    QCOMPARE(CheckTest(text).size(), 0);

    text += "\r\nS\r\nA\r\nB\r\n";
    const QList<Finding> found = CheckTest(text);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().line, 2 + 32767 * 4);
    QVERIFY(found.first().message.contains(u"32767"));
}

QTEST_GUILESS_MAIN(tst_Checker)
#include "tst_checker.moc"
