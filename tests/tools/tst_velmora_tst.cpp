#include "testdata/scramble.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run final
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// What a run of the tool left, once it has ended.
Run finished(QProcess &process)
{
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

Run velmoraTst(const QStringList &arguments, const QString &folder = {}, const QByteArray &input = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VELMORA_TST), arguments);
    process.write(input);
    process.closeWriteChannel();
    return finished(process);
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

const QByteArray TeaText = u"Чай\nЗаварить чай\nВскипятить воду\nЗалить \"заварку\"\n\nПодать\nНалить\tчай\nПоставить \\ на стол\n\n"_s.toUtf8();
const QByteArray TeaJson =
    u"{\"title\": \"Чай\", \"tasks\": [[\"Заварить чай\", \"Вскипятить воду\", \"Залить \\\"заварку\\\"\"], "
    "[\"Подать\", \"Налить\\tчай\", \"Поставить \\\\ на стол\"]]}\n"_s.toUtf8();

// A text as Notepad saves it as "Unicode", little or big endian, with its mark.
QByteArray utf16(const QString &text, QSysInfo::Endian endian)
{
    QByteArray bytes;
    for (const QChar c : QChar(0xFEFF) + text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(endian == QSysInfo::LittleEndian ? low : high).append(endian == QSysInfo::LittleEndian ? high : low);
    }
    return bytes;
}

const QString TeaCrLf = QString::fromUtf8(TeaText).replace(u"\n"_s, u"\r\n"_s);

// What a word processor saves: a ZIP archive whose names say Word, and WordPad's RTF.
const QByteArray WordDocument = QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10) + "\r\n[Content_Types].xml\r\nword/document.xml";
const QByteArray WordPadDocument = "{\\rtf1\\ansi\\ansicpg1251\\deff0\r\n\\par \\'d7\\'e0\\'e9\r\n}\r\n";

#ifdef Q_OS_UNIX
// Names of bytes that are not UTF-8 reach the tool only through a shell:
// `commands` run where "$name.txt" holds a test's text, $name a byte that
// is no UTF-8 and $0 the tool.
Run withNameThatIsNoText(const QString &commands, const QString &folder)
{
    const QString script = u"name=$(printf '\\377') && printf 'T\\r\\nS\\r\\nA\\r\\nB\\r\\n' > \"$name.txt\" && "_s + commands
                           // Qt cannot remove what it cannot name: the shell does.
                           + u"; status=$?; rm -f \"$name.txt\"; exit $status"_s;
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start(u"/bin/sh"_s, {u"-c"_s, script, QStringLiteral(VELMORA_TST)});
    return finished(shell);
}
#endif

} // namespace

class tst_VelmoraTst final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void scrambleThenShow();
    void showTextOutput();
    void unscrambleIsByteExact();
    void loadPlainFile();
    void failuresGoToStderr_data();
    void failuresGoToStderr();
    void usageErrors_data();
    void usageErrors();
    void help_data();
    void help();
    void check_data();
    void check();
    void showReadsItsInputOnce();
    void scrambleTeachersTexts_data();
    void scrambleTeachersTexts();
    void scrambleRefusesWhatTheProgramCannotOpen_data();
    void scrambleRefusesWhatTheProgramCannotOpen();
    void nameThatIsNoText();
    void operandsKeepTheirBytes_data();
    void operandsKeepTheirBytes();
    void sampleTexts_data();
    void sampleTexts();
    void sampleTestsInProgramFolder();

private:
    std::optional<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void tst_VelmoraTst::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
}

void tst_VelmoraTst::scrambleThenShow()
{
    QVERIFY(writeFile(path(u"чай.txt"_s), TeaText));
    Run run = velmoraTst({u"scramble"_s, path(u"чай.txt"_s), path(u"тест1.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, QByteArray());
    QVERIFY(readFile(path(u"тест1.tst"_s)).startsWith("\xD7\xE0\xE9\r\n")); // the title in Windows-1251

    run = velmoraTst({u"show"_s, u"--json"_s, path(u"тест1.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, TeaJson);
    QVERIFY(QJsonDocument::fromJson(run.out).isObject());
    // The temporary copy is cleaned up and never lands beside the test.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void tst_VelmoraTst::showTextOutput()
{
    QVERIFY(writeFile(path(u"t.tst"_s), velmora::scrambleBytes("Tea\r\nMake tea\r\nBoil\r\nPour\r\n")));
    const Run run = velmoraTst({u"show"_s, path(u"t.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out),
             u"Заголовок: Tea\nЗаданий: 1\n\nЗадание 1: Make tea\n  1. Boil\n  2. Pour\n"_s);
}

void tst_VelmoraTst::unscrambleIsByteExact()
{
    const QByteArray plain("Title\r\nTask\r\nStep 1\r\nStep 2\r\n");
    QVERIFY(writeFile(path(u"in"_s), plain));
    Run run = velmoraTst({u"unscramble"_s, path(u"in"_s), path(u"stored"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readFile(path(u"stored"_s)), velmora::scrambleBytes(plain));
    run = velmoraTst({u"unscramble"_s, path(u"stored"_s), path(u"back"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readFile(path(u"back"_s)), plain + "\xF5\n");
}

void tst_VelmoraTst::loadPlainFile()
{
    QVERIFY(writeFile(path(u"plain"_s), "T\r\nS\r\n\r\nA\r\n\xF5\n"));
    const Run run = velmoraTst({u"load"_s, path(u"plain"_s), u"--json"_s});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject test = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(test.value(u"title"_s).toString(), u"T"_s);
    QCOMPARE(test.value(u"tasks"_s).toArray(), (QJsonArray{QJsonArray{u"S"_s, u""_s, u"A"_s}}));

    QVERIFY(writeFile(path(u"title only"_s), "Just a title\r\n"));
    const Run empty = velmoraTst({u"load"_s, u"--json"_s, path(u"title only"_s)});
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.out, QByteArray("{\"title\": \"Just a title\", \"tasks\": []}\n"));

    // --quiet: the counts only, from load and from show alike.
    const Run counts = velmoraTst({u"load"_s, u"--quiet"_s, path(u"plain"_s)});
    QCOMPARE(counts.exitCode, 0);
    QCOMPARE(QString::fromUtf8(counts.out), u"Заданий: 1\nШагов: 2\n"_s);
    QVERIFY(writeFile(path(u"plain.tst"_s), velmora::scrambleBytes("T\r\nS\r\nA\r\n\r\nB\r\nC\r\nD\r\n")));
    const Run shown = velmoraTst({u"show"_s, path(u"plain.tst"_s), u"--quiet"_s});
    QCOMPARE(QString::fromUtf8(shown.out), u"Заданий: 2\nШагов: 3\n"_s);
    QCOMPARE(velmoraTst({u"show"_s, u"--quiet"_s, u"--json"_s, path(u"plain.tst"_s)}).exitCode, 2);
}

void tst_VelmoraTst::failuresGoToStderr_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // %1: the temporary folder

    QTest::newRow("show a damaged test")
        << QStringList{u"show"_s, u"%1/bad.tst"_s}
        << u"Файл %1/bad.tst. поврежден или записан в неверном формате..."_s;
    QTest::newRow("show a test that ends after a statement")
        << QStringList{u"show"_s, u"%1/short.tst"_s}
        << u"Файл %1/short.tst. поврежден или записан в неверном формате..."_s;
    QTest::newRow("show a missing test") << QStringList{u"show"_s, u"%1/missing.tst"_s}
                                         << u"Критическая ошибка - 53 File not found"_s;
    QTest::newRow("load a file cut short") << QStringList{u"load"_s, u"%1/short.txt"_s, u"--json"_s}
                                           << u"Файл %1/short. поврежден или записан в неверном формате..."_s;
    QTest::newRow("unscramble into a missing folder")
        << QStringList{u"unscramble"_s, u"%1/short.txt"_s, u"%1/no/such/out"_s}
        << u"Критическая ошибка - 76 Path not found"_s;
    QTest::newRow("scramble an empty text") << QStringList{u"scramble"_s, u"%1/empty.txt"_s, u"%1/new.tst"_s}
                                            << u"Файл %1/new. поврежден или записан в неверном формате..."_s;
    QTest::newRow("check a missing file") << QStringList{u"check"_s, u"%1/missing.txt"_s}
                                          << u"Критическая ошибка - 53 File not found"_s;
    QTest::newRow("check a .tst that cannot be unscrambled")
        << QStringList{u"check"_s, u"%1/bad.tst"_s}
        << u"Файл %1/bad.tst. поврежден или записан в неверном формате..."_s;
    QTest::newRow("show a test of 21 steps, as the program refuses it")
        << QStringList{u"show"_s, u"%1/long.tst"_s}
        << u"Тест «Длинный» нельзя открыть: в задании 1 больше 20 шагов, а список вмещает не больше 20. "
           "Выберите другой тест."_s;
    QTest::newRow("show a title alone, as the program refuses it")
        << QStringList{u"show"_s, u"%1/title.tst"_s}
        << u"Тест «Title» нельзя открыть: в нём нет ни одного задания. Выберите другой тест."_s;
    QTest::newRow("show an empty name") << QStringList{u"show"_s, QString()}
                                        << u"Критическая ошибка - 75 Path/File access error"_s;
    QTest::newRow("show a dangling link") << QStringList{u"show"_s, u"%1/dangling.tst"_s}
                                          << u"Критическая ошибка - 53 File not found"_s;
    QTest::newRow("unscramble a device without end")
        << QStringList{u"unscramble"_s, u"/dev/zero"_s, u"%1/new.tst"_s}
        << u"Файл %1/new. поврежден или записан в неверном формате..."_s;
}

void tst_VelmoraTst::failuresGoToStderr()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QVERIFY(writeFile(path(u"bad.tst"_s), "no line break"));
    QVERIFY(writeFile(path(u"short.tst"_s), velmora::scrambleBytes("T\r\nS\r\nA\r\n\r\nS2\r\n")));
    QVERIFY(writeFile(path(u"short.txt"_s), "T\r\nS\r\n"));
    QVERIFY(writeFile(path(u"empty.txt"_s), ""));
    QByteArray longTest("Длинный\r\nЗадание\r\n");
    for (int k = 1; k <= 21; ++k)
        longTest += QByteArray::number(k) + "\r\n";
    QVERIFY(writeFile(path(u"long.tst"_s), velmora::scrambleBytes(longTest)));
    QVERIFY(writeFile(path(u"title.tst"_s), velmora::scrambleBytes("Title\r\n")));
    for (QString &argument : arguments) {
        argument.replace(u"%1"_s, m_dir->path());
        if (argument.startsWith(u"/dev/"_s) && !QFile::exists(argument))
            QSKIP("no such device here");
        if (argument.endsWith(u"dangling.tst"_s)) {
#ifndef Q_OS_UNIX
            QSKIP("QFile::link makes a Windows shortcut here: an ordinary file, followed by nothing");
#endif
            if (!QFile::link(path(u"nowhere"_s), argument))
                QSKIP("symbolic links are not available here");
        }
    }

    const Run run = velmoraTst(arguments);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err), message.replace(u"%1"_s, m_dir->path()) + u'\n');
    QVERIFY(!QFile::exists(path(u"new.tst"_s)));
}

void tst_VelmoraTst::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<QString>("problem"); // the first line, when the row names it
    const QString tool = u"Использование: velmora-tst КОМАНДА"_s;
    QTest::newRow("no command") << QStringList{} << tool << QString();
    QTest::newRow("unknown command") << QStringList{u"frob"_s} << tool << QString();
    QTest::newRow("unknown option") << QStringList{u"--frob"_s} << tool << QString();
    QTest::newRow("missing operand") << QStringList{u"unscramble"_s, u"in"_s} << u"Использование: velmora-tst unscramble"_s << QString();
    QTest::newRow("extra operand") << QStringList{u"check"_s, u"a"_s, u"b"_s} << u"Использование: velmora-tst check ФАЙЛ"_s << QString();
    QTest::newRow("--json where it means nothing")
        << QStringList{u"check"_s, u"--json"_s, u"a"_s} << u"Использование: velmora-tst check ФАЙЛ"_s << QString();
    QTest::newRow("unknown option of a command")
        << QStringList{u"show"_s, u"-x"_s, u"a.tst"_s} << u"Использование: velmora-tst show [--json | --quiet] ТЕСТ.tst"_s << QString();
    // A wrong option is named as written, and answers before a later help.
    const QString check = u"Использование: velmora-tst check ФАЙЛ"_s;
    const QString load = u"Использование: velmora-tst load [--json | --quiet] ФАЙЛ"_s;
    QTest::newRow("letters run together") << QStringList{u"-xyz"_s} << tool << u"неизвестный параметр «-xyz»"_s;
    QTest::newRow("a value to an option without one")
        << QStringList{u"load"_s, u"--json=1"_s, u"a"_s} << load << u"неизвестный параметр «--json=1»"_s;
    QTest::newRow("an option of another command")
        << QStringList{u"check"_s, u"--json=1"_s, u"a"_s} << check << u"неизвестный параметр «--json=1»"_s;
    QTest::newRow("help after a wrong option")
        << QStringList{u"load"_s, u"--frob"_s, u"-h"_s} << load << u"неизвестный параметр «--frob»"_s;
    QTest::newRow("a long name with one dash")
        << QStringList{u"check"_s, u"-help"_s} << check << u"неизвестный параметр «-help»"_s;
    QTest::newRow("a short name with two dashes") << QStringList{u"--h"_s} << tool << u"неизвестный параметр «--h»"_s;
    QTest::newRow("the tool's option after a command")
        << QStringList{u"check"_s, u"a"_s, u"-V"_s} << check << u"неизвестный параметр «-V»"_s;
    QTest::newRow("end of options before the command")
        << QStringList{u"--"_s, u"check"_s, u"a"_s} << tool << u"неизвестный параметр «--»"_s;
    QTest::newRow("a dash for a command") << QStringList{u"-"_s} << tool << u"неизвестный параметр «-»"_s;
    QTest::newRow("an option after end of options is an operand")
        << QStringList{u"check"_s, u"--"_s, u"a"_s, u"--json"_s} << check << u"лишний аргумент «--json»"_s;
}

void tst_VelmoraTst::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    QFETCH(QString, problem);
    const Run run = velmoraTst(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.startsWith(u"velmora-tst: "_s) && err.contains(u'\n' + usage), qPrintable(err));
    if (!problem.isEmpty())
        QCOMPARE(err.section(u'\n', 0, 0), u"velmora-tst: "_s + problem);
}

void tst_VelmoraTst::help_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("tool") << QStringList{u"--help"_s} << u"Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ..."_s;
    QTest::newRow("tool, short") << QStringList{u"-h"_s} << u"Использование: velmora-tst КОМАНДА [ПАРАМЕТР]... ФАЙЛ..."_s;
    QTest::newRow("unscramble") << QStringList{u"unscramble"_s, u"--help"_s} << u"Использование: velmora-tst unscramble ВХОД ВЫХОД"_s;
    QTest::newRow("scramble") << QStringList{u"scramble"_s, u"-h"_s} << u"Использование: velmora-tst scramble [--force] ТЕКСТ ТЕСТ"_s;
    QTest::newRow("load") << QStringList{u"load"_s, u"--help"_s} << u"Использование: velmora-tst load [--json | --quiet] ФАЙЛ"_s;
    QTest::newRow("show") << QStringList{u"show"_s, u"x.tst"_s, u"--help"_s} << u"Использование: velmora-tst show [--json | --quiet] ТЕСТ.tst"_s;
    QTest::newRow("check") << QStringList{u"check"_s, u"--help"_s} << u"Использование: velmora-tst check ФАЙЛ"_s;
    QTest::newRow("version") << QStringList{u"--version"_s} << u"velmora-tst "_s;
    QTest::newRow("help before a wrong option")
        << QStringList{u"show"_s, u"-h"_s, u"--frob"_s} << u"Использование: velmora-tst show [--json | --quiet] ТЕСТ.tst"_s;
    QTest::newRow("tool help before a command") << QStringList{u"-h"_s, u"check"_s} << u"Использование: velmora-tst КОМАНДА"_s;
}

void tst_VelmoraTst::help()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const Run run = velmoraTst(arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY(QString::fromUtf8(run.out).startsWith(firstLine));
}

void tst_VelmoraTst::check_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // %1: the file's path

    QTest::newRow("good text") << u"good.txt"_s << QByteArray("T\r\nS\r\nA\r\nB\r\n") << 0
                               << QStringList{u"%1: замечаний нет, тест загрузится так, как записан."_s};
    QTest::newRow("good test, upper-case extension")
        << u"GOOD.TST"_s << velmora::scrambleBytes("T\r\nS\r\nA\r\nB\r\n") << 0
        << QStringList{u"%1: замечаний нет, тест загрузится так, как записан."_s};
    QTest::newRow("empty first step") << u"bad.txt"_s << QByteArray("T\r\nS\r\n\r\nA\r\nB\r\n") << 1
                                      << QStringList{u"%1:3: Пустая строка сразу после условия"_s};
    // What the program will say comes last, in its own words.
    QTest::newRow("test without a task")
        << u"empty.tst"_s << velmora::scrambleBytes("Title\r\n") << 1
        << QStringList{u"%1: В тесте нет ни одного задания"_s,
                       u"%1: программа не откроет тест: Тест «Title» нельзя открыть: в нём нет ни одного задания."_s};
    // A text is checked as scramble will write it: the empty line at the
    // end is gone then.
    QTest::newRow("two findings") << u"two.txt"_s << QByteArray("T\r\nS\r\nA\r\nA\r\n\r\nS2\r\nB\r\n\r\n") << 1
                                  << QStringList{u"%1:2: В задании 1 все шаги одинаковы"_s,
                                                 u"%1:6: В задании 2 только один шаг"_s};
    QTest::newRow("LF text: what remains after scramble")
        << u"lesson.txt"_s << QByteArray("Lesson\nS1\nA\nB\n\n\nS2\nC\n\nS3\n\n") << 1
        << QStringList{u"%1:6: Две пустые строки подряд"_s, u"%1:10: У задания 3 нет ни одного шага"_s,
                       u"%1: программа не откроет тест: Файл "_s};
    // Teachers' texts from real editors.
    QTest::newRow("UTF-16 LE") << u"le.txt"_s << utf16(TeaCrLf, QSysInfo::LittleEndian) << 0
                               << QStringList{u"%1: замечаний нет"_s};
    QTest::newRow("UTF-16 BE") << u"be.txt"_s << utf16(TeaCrLf, QSysInfo::BigEndian) << 0
                               << QStringList{u"%1: замечаний нет"_s};
    QTest::newRow("a Windows-1251 line pasted into UTF-8")
        << u"mixed.txt"_s << QByteArray("\xD0\xA7\xD0\xB0\xD0\xB9\nS\n\xD7\xE0\xE9\nB\n") << 1
        << QStringList{u"%1:3: Строка в кодировке Windows-1251, а остальной текст — в UTF-8"_s};
    QTest::newRow("a stored test with a UTF-8 line among Windows-1251")
        << u"mixed.tst"_s << velmora::scrambleBytes("\xD7\xE0\xE9\r\nS\r\n\xD7\xE0\xE9\r\n\xD0\xA7\r\n") << 1
        << QStringList{u"%1:4: Строка в кодировке UTF-8"_s};
    QTest::newRow("spaces between two tasks")
        << u"blank.txt"_s << QByteArray("T\nS\nA\nB\n \t\nS2\nC\nD\n") << 1
        << QStringList{u"%1:5: Строка из одних пробелов не разделяет задания"_s};
    QTest::newRow("a task without steps in the middle")
        << u"middle.txt"_s << QByteArray("T\nS\nA\nB\n\nS2\n\nS3\nC\nD\n") << 1
        << QStringList{u"%1:7: Пустая строка сразу после условия не завершает задание 2: у него нет ни одного шага"_s};
    QTest::newRow("steps that look alike") << u"alike.txt"_s << QByteArray("T\nS\nA\xC2\xA0" "B\nA B\n") << 1
                                           << QStringList{u"%1:4: Шаги на строках 3 и 4 выглядят одинаково"_s};
    // A document or a test is named as what it is, and nothing more.
    QTest::newRow("a Word document") << u"урок.docx"_s << WordDocument << 1
                                     << QStringList{u"%1: Файл — это не текст, а документ Word (.docx)"_s};
    QTest::newRow("a WordPad document") << u"урок.rtf"_s << WordPadDocument << 1
                                        << QStringList{u"%1: Файл — это не текст, а документ RTF (.rtf)"_s};
    QTest::newRow("a test given as a text") << u"урок.txt"_s << velmora::scrambleBytes("T\r\nS\r\nA\r\nB\r\n") << 1
                                            << QStringList{u"%1: Файл — это уже тест"_s};
}

void tst_VelmoraTst::check()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QVERIFY(writeFile(path(name), bytes));
    const Run run = velmoraTst({u"check"_s, path(name)});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err, QByteArray());
    const QStringList out = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(out.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(out.at(i).startsWith(lines.at(i).arg(path(name))), qPrintable(out.at(i)));
}

void tst_VelmoraTst::showReadsItsInputOnce()
{
    if (!QFile::exists(u"/dev/stdin"_s))
        QSKIP("no /dev/stdin here");
    const Run run = velmoraTst({u"show"_s, u"--json"_s, u"/dev/stdin"_s}, {},
                               velmora::scrambleBytes("Tea\r\nMake tea\r\nBoil\r\nPour\r\n"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, QByteArray("{\"title\": \"Tea\", \"tasks\": [[\"Make tea\", \"Boil\", \"Pour\"]]}\n"));
}

void tst_VelmoraTst::scrambleTeachersTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("json"); // what show makes of the test written
    QTest::addColumn<QString>("warning"); // on standard error; empty: none
    QTest::newRow("UTF-16 LE") << utf16(TeaCrLf, QSysInfo::LittleEndian) << TeaJson << QString();
    QTest::newRow("UTF-16 BE") << utf16(TeaCrLf, QSysInfo::BigEndian) << TeaJson << QString();
    QTest::newRow("a Windows-1251 line pasted into UTF-8")
        << QByteArray("\xD0\xA7\xD0\xB0\xD0\xB9\nS\n\xD7\xE0\xE9\nB\n")
        << u"{\"title\": \"Чай\", \"tasks\": [[\"S\", \"Чай\", \"B\"]]}\n"_s.toUtf8() << QString();
    // Written as the text says: one task, the line of blanks a step.
    QTest::newRow("spaces between two tasks")
        << QByteArray("T\nS\nA\n \nS2\nC\n") << QByteArray("{\"title\": \"T\", \"tasks\": [[\"S\", \"A\", \" \", \"S2\", \"C\"]]}\n")
        << u"%1:4: Строка из одних пробелов не разделяет задания"_s;
    QTest::newRow("steps that look alike")
        << QByteArray("T\nS\nA\nA \n") << QByteArray("{\"title\": \"T\", \"tasks\": [[\"S\", \"A\", \"A \"]]}\n")
        << u"%1:4: Шаги на строках 3 и 4 выглядят одинаково, но различаются (пробел в конце строки)"_s;
}

void tst_VelmoraTst::scrambleTeachersTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, json);
    QFETCH(QString, warning);
    QVERIFY(writeFile(path(u"lesson.txt"_s), text));
    Run run = velmoraTst({u"scramble"_s, path(u"lesson.txt"_s), path(u"lesson.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray());
    const QStringList err = QString::fromUtf8(run.err).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(err.size(), warning.isEmpty() ? 0 : 2);
    if (!warning.isEmpty())
        QVERIFY2(err.constFirst().startsWith(warning.arg(path(u"lesson.txt"_s))), qPrintable(err.constFirst()));
    run = velmoraTst({u"show"_s, u"--json"_s, path(u"lesson.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, json);
}

void tst_VelmoraTst::scrambleRefusesWhatTheProgramCannotOpen_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines"); // how each line on standard output begins, after the text's path
    QTest::newRow("two empty lines, a task without steps")
        << QByteArray("Lesson\nS1\nA\nB\n\n\nS2\nC\n\nS3\n\n") << QStringList{u":6: "_s, u":10: "_s};
    QTest::newRow("a task without steps in the middle")
        << QByteArray("Lesson\nS1\nA\nB\n\nS2\n\nS3\nC\nD\n") << QStringList{u":7: Пустая строка сразу после условия"_s};
    QTest::newRow("a Word document") << WordDocument << QStringList{u": Файл — это не текст, а документ Word"_s};
    QTest::newRow("a WordPad document") << WordPadDocument << QStringList{u": Файл — это не текст, а документ RTF"_s};
    QTest::newRow("a test already scrambled")
        << velmora::scrambleBytes("Lesson\r\nS\r\nA\r\nB\r\n") << QStringList{u": Файл — это уже тест"_s};
}

void tst_VelmoraTst::scrambleRefusesWhatTheProgramCannotOpen()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, lines);
    QVERIFY(writeFile(path(u"lesson.txt"_s), text));
    QVERIFY(writeFile(path(u"lesson.tst"_s), "old"));
    Run run = velmoraTst({u"scramble"_s, path(u"lesson.txt"_s), path(u"lesson.tst"_s)});
    QCOMPARE(run.exitCode, 1);
    const QStringList out = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(out.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(out.at(i).startsWith(path(u"lesson.txt"_s) + lines.at(i)), qPrintable(out.at(i)));
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.err.contains("--force"));
    QCOMPARE(readFile(path(u"lesson.tst"_s)), QByteArray("old"));

    run = velmoraTst({u"scramble"_s, u"--force"_s, path(u"lesson.txt"_s), path(u"lesson.tst"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY(readFile(path(u"lesson.tst"_s)) != "old");
}

void tst_VelmoraTst::nameThatIsNoText()
{
#ifndef Q_OS_UNIX
    QSKIP("file names are text here");
#else
    // Names of bytes that are not UTF-8 reach the tool only through a shell:
    // the text is read by its bytes; an output needs a name Qt can hold.
    const Run run = withNameThatIsNoText(u"\"$0\" check \"$name.txt\"; \"$0\" scramble \"$name.txt\" \"$name.tst\""_s,
                                         m_dir->path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.out), u"\uFFFD.txt: замечаний нет, тест загрузится так, как записан.\n"_s);
    QCOMPARE(QString::fromUtf8(run.err), u"Критическая ошибка - 52 Bad file name or number\n"_s);
#endif
}

void tst_VelmoraTst::operandsKeepTheirBytes_data()
{
    QTest::addColumn<QString>("arguments"); // for the shell; $name: a byte that is no UTF-8
    QTest::addColumn<QString>("out");
    const QString noRemarks = u"\uFFFD.txt: замечаний нет, тест загрузится так, как записан.\n"_s;
    QTest::newRow("after end of options") << u"check -- \"$name.txt\""_s << noRemarks;
    QTest::newRow("after an option") << u"load --quiet \"$name.txt\""_s << u"Заданий: 1\nШагов: 1\n"_s;
    QTest::newRow("before an option")
        << u"load \"$name.txt\" --json"_s << u"{\"title\": \"T\", \"tasks\": [[\"S\", \"A\"]]}\n"_s;
}

void tst_VelmoraTst::operandsKeepTheirBytes()
{
#ifndef Q_OS_UNIX
    QSKIP("file names are text here");
#else
    QFETCH(QString, arguments);
    QFETCH(QString, out);
    // Each operand is opened by the bytes of its own place on the command line.
    const Run run = withNameThatIsNoText(u"\"$0\" "_s + arguments, m_dir->path());
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out), out);
#endif
}

void tst_VelmoraTst::sampleTexts_data()
{
    QTest::addColumn<QString>("text");
    const QStringList names = QDir(QStringLiteral(VELMORA_SAMPLES_DIR)).entryList({u"*.txt"_s}, QDir::Files);
    QVERIFY(names.size() >= 2);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << QDir(QStringLiteral(VELMORA_SAMPLES_DIR)).filePath(name);
}

void tst_VelmoraTst::sampleTexts()
{
    QFETCH(QString, text);
    const Run run = velmoraTst({u"check"_s, text});
    QVERIFY2(run.exitCode == 0, run.out.constData());
}

void tst_VelmoraTst::sampleTestsInProgramFolder()
{
    // The build scrambles every sample into the program's folder; together
    // they hold a task of 20 steps and a task with two identical steps.
    const QDir programFolder(qEnvironmentVariable("VELMORA_BIN_DIR"));
    const QStringList tests = programFolder.entryList({u"*.tst"_s}, QDir::Files);
    QVERIFY(tests.size() >= 2);
    bool twentySteps = false;
    bool twinSteps = false;
    for (const QString &test : tests) {
        const Run run = velmoraTst({u"show"_s, u"--json"_s, programFolder.filePath(test)});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray tasks = QJsonDocument::fromJson(run.out).object().value(u"tasks"_s).toArray();
        QVERIFY(!tasks.isEmpty());
        for (const QJsonValue &task : tasks) {
            const QJsonArray lines = task.toArray();
            twentySteps = twentySteps || lines.size() - 1 == 20;
            QStringList steps;
            for (qsizetype k = 1; k < lines.size(); ++k)
                steps << lines.at(k).toString();
            twinSteps = twinSteps || steps.removeDuplicates() > 0;
        }
    }
    QVERIFY(twentySteps);
    QVERIFY(twinSteps);
}

QTEST_GUILESS_MAIN(tst_VelmoraTst)
#include "tst_velmora_tst.moc"
