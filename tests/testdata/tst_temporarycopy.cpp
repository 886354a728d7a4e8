#include "platform/core/nativefiles.h"
#include "testdata/lines.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"
#include "testdata/temporarycopy.h"
#include "nativefile.h"
#include "testfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

QByteArray nameOf(qsizetype bytes, char fill = 'a')
{
    return QByteArray(bytes - 4, fill) + ".tst";
}

QByteArray native(const test::TestFolder &folder, const QByteArray &name)
{
    return nativePath(folder.path()) + '/' + name;
}

} // namespace

class tst_TemporaryCopy final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_temp; // the user's temporary folder for these tests
    QByteArray m_savedTemp;

private Q_SLOTS:
    void initTestCase()
    {
        m_savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", nativePath(m_temp.path()));
    }
    void cleanupTestCase() { qputenv("TMPDIR", m_savedTemp); }

    // The copy's name always fits the file system and is never a test.
    void copyNameFits_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("number");   // of the copy: 0 for the first
        QTest::addColumn<bool>("suffixed"); // the test's name + the number + ".tmp"
        QTest::newRow("short") << QByteArray("tea.tst") << 0 << true;
        QTest::newRow("251 bytes") << nameOf(251) << 0 << true;
        QTest::newRow("252 bytes") << nameOf(252) << 0 << false;
        QTest::newRow("255 bytes") << nameOf(255) << 0 << false;
        QTest::newRow("255 bytes of two-byte letters") << QByteArray("Т") + nameOf(253, 'x') << 0 << false;
        QTest::newRow("cut inside a letter") << QByteArray(1, 'x') + QByteArray("я").repeated(125) + ".tst" << 0 << false;
        QTest::newRow("a second copy") << QByteArray("tea.tst") << 1 << true;
        QTest::newRow("the 99th copy of 248 bytes") << nameOf(248) << 99 << true;
        QTest::newRow("the 99th copy of 249 bytes") << nameOf(249) << 99 << false;
        QTest::newRow("a second copy of 255 bytes") << nameOf(255) << 1 << false;
    }
    void copyNameFits()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, number);
        QFETCH(bool, suffixed);
        const QByteArray suffix = (number > 0 ? "." + QByteArray::number(number) : QByteArray()) + ".tmp";
        const QByteArray copy = TemporaryCopy::name(name, 255, number);
        QVERIFY(copy.size() <= 255);
        QVERIFY(copy.endsWith(suffix));
        QCOMPARE(copy == name + suffix, suffixed);
        QVERIFY(QString::fromUtf8(copy).toUtf8() == copy); // never cut inside a letter
        // Another test that differs only at its end, and the next copy of
        // the same test, have copies of their own.
        QByteArray other = name;
        other[other.size() - 5] = other.at(other.size() - 5) == 'b' ? 'c' : 'b';
        QVERIFY(TemporaryCopy::name(other, 255, number) != copy);
        QVERIFY(TemporaryCopy::name(name, 255, number + 1) != copy);
    }

    // Only what is certainly a stale copy of the program's goes at start-up.
    void staleCopiesSwept_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");   // a trailing '/' makes a folder, a leading '!' a held copy
        QTest::addColumn<QList<QByteArray>>("ownFiles"); // files of the private folder, '!' as well
        QTest::addColumn<QList<QByteArray>>("kept");
        QTest::newRow("the copy beside its test")
            << QList<QByteArray>{"tea.tst", "tea.tst.tmp"} << QList<QByteArray>{} << QList<QByteArray>{"tea.tst"};
#ifdef Q_OS_UNIX // where names are bytes and their letter case counts
        QTest::newRow("the letter case of the test's name")
            << QList<QByteArray>{"TEA.TST", "TEA.TST.tmp", "tea.tst.tmp"} << QList<QByteArray>{}
            << QList<QByteArray>{"TEA.TST", "tea.tst.tmp"};
#endif
        QTest::newRow("a teacher's .tmp files")
            << QList<QByteArray>{"notes.tmp", "gone.tst.tmp", "tea.tst", "tea.tmp"} << QList<QByteArray>{}
            << QList<QByteArray>{"gone.tst.tmp", "notes.tmp", "tea.tmp", "tea.tst"};
        QTest::newRow("a folder named as a test")
            << QList<QByteArray>{"tea.tst/", "tea.tst.tmp"} << QList<QByteArray>{}
            << QList<QByteArray>{"tea.tst", "tea.tst.tmp"};
        QTest::newRow("a folder at the copy's name")
            << QList<QByteArray>{"tea.tst", "tea.tst.tmp/"} << QList<QByteArray>{}
            << QList<QByteArray>{"tea.tst", "tea.tst.tmp"};
        QTest::newRow("the short copy of a long name")
            << QList<QByteArray>{nameOf(253), TemporaryCopy::name(nameOf(253), 255)} << QList<QByteArray>{}
            << QList<QByteArray>{nameOf(253)};
#ifdef Q_OS_UNIX
        QTest::newRow("a name that is no text")
            << QList<QByteArray>{"\xff\xfe\xc0.tst", "\xff\xfe\xc0.tst.tmp"} << QList<QByteArray>{}
            << QList<QByteArray>{"\xff\xfe\xc0.tst"};
#endif
        QTest::newRow("the private folder")
            << QList<QByteArray>{"tea.tst"} << QList<QByteArray>{"tea.tst.tmp", "other.tst.tmp"}
            << QList<QByteArray>{"tea.tst"};
        QTest::newRow("a copy a running program holds")
            << QList<QByteArray>{"tea.tst", "!tea.tst.tmp"} << QList<QByteArray>{}
            << QList<QByteArray>{"tea.tst", "tea.tst.tmp"};
        QTest::newRow("numbered copies")
            << QList<QByteArray>{"tea.tst", "tea.tst.1.tmp", "!tea.tst.2.tmp", "tea.tst.99.tmp", "tea.tst.100.tmp",
                                 "tea.tst.x.tmp"}
            << QList<QByteArray>{} << QList<QByteArray>{"tea.tst", "tea.tst.100.tmp", "tea.tst.2.tmp", "tea.tst.x.tmp"};
        QTest::newRow("a held copy in the private folder")
            << QList<QByteArray>{"tea.tst"} << QList<QByteArray>{"!tea.tst.tmp", "tea.tst.1.tmp"}
            << QList<QByteArray>{"tea.tst"};
    }
    void staleCopiesSwept()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QList<QByteArray>, ownFiles);
        QFETCH(QList<QByteArray>, kept);
        test::TestFolder folder;
        // The folder's own removal cannot name bytes that are no text.
        const auto removeFiles = qScopeGuard([&] {
            for (const QByteArray &name : listFolder(nativePath(folder.path())).names)
                test::removeFile(native(folder, name));
        });
        std::vector<std::unique_ptr<HeldFile>> held; // by programs still running
        const auto make = [&](const QByteArray &path) {
            if (!path.contains('!'))
                return test::writeNative(path, "x");
            held.push_back(std::make_unique<HeldFile>());
            return !held.back()->create(QByteArray(path).replace('!', ""), QString());
        };
        for (const QByteArray &name : files) {
            if (name.endsWith('/'))
                QVERIFY(QDir(folder.path()).mkdir(QString::fromUtf8(name.chopped(1))));
            else if (!make(native(folder, name)))
                QSKIP("this file system does not take such names");
        }
        const std::optional<QByteArray> own = TemporaryCopy::privateFolder();
        QVERIFY(own);
        QList<QByteArray> ownKept;
        for (const QByteArray &name : ownFiles) {
            QVERIFY(make(*own + '/' + name));
            if (name.startsWith('!'))
                ownKept << name.sliced(1);
        }

        QCOMPARE(TemporaryCopy::sweep(folder.path()), int(files.size() - kept.size() + ownFiles.size() - ownKept.size()));
        QList<QByteArray> left = listFolder(nativePath(folder.path())).names;
        std::sort(left.begin(), left.end());
        std::sort(kept.begin(), kept.end());
        QCOMPARE(left, kept);
        QCOMPARE(listFolder(*own).names, ownKept);
    }

    // The copy is for its owner alone from its first byte, whatever the
    // umask, and whatever stood at its name.
    void copyIsTheOwnersAlone_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("nothing") << u"nothing"_s;
        QTest::newRow("a file every account may read") << u"file"_s;
        QTest::newRow("a link to another file") << u"link"_s;
    }
    void copyIsTheOwnersAlone()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs file modes");
#else
        QFETCH(QString, before);
        test::TestFolder folder;
        const QString copy = folder.filePath(u"tea.tst.tmp"_s);
        QVERIFY(folder.writeRaw(u"victim"_s, "precious"));
        if (before == u"file"_s) {
            QVERIFY(folder.writeRaw(u"tea.tst.tmp"_s, "old"));
            QVERIFY(QFile::setPermissions(copy, QFile::Permissions(0x6666)));
        } else if (before == u"link"_s) {
            QVERIFY(QFile::link(folder.filePath(u"victim"_s), copy));
        }
        const mode_t savedMask = ::umask(0);
        HeldFile file;
        const std::optional<Failure> failure = file.create(nativePath(copy), copy);
        ::umask(savedMask);
        QCOMPARE(failure, std::nullopt);
        struct stat status = {};
        QCOMPARE(::lstat(QFile::encodeName(copy).constData(), &status), 0);
        QVERIFY(S_ISREG(status.st_mode));
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
        QCOMPARE(folder.read(u"victim"_s), QByteArray("precious"));
#endif
    }

    // A stored test larger than the loader ever takes is refused before any
    // plain copy is written: what stands at the copy's name stays untouched.
    void oversizedTestRefusedBeforeTheCopy_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("one byte too many") << MaxTableBytes + 1;
        QTest::newRow("1.5 GB") << qint64(1500) * 1000 * 1000;
    }
    void oversizedTestRefusedBeforeTheCopy()
    {
        QFETCH(qint64, size);
        test::TestFolder folder;
        QFile big(folder.filePath(u"big.tst"_s));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write("Большой\r\n");
        if (!big.resize(size)) // sparse: no disk is used
            QSKIP("this file system takes no file of that size");
        big.close();
        QVERIFY(folder.writeRaw(u"big.tst.tmp"_s, "marker"));
        TaskTable Tasks;
        const TestOpening load = TemporaryCopy::loadChosenTest(native(folder, "big.tst"), u"Большой"_s, Tasks);
        QVERIFY(load.failure);
        QCOMPARE(load.failure->number, FailureNumber::OutOfMemory);
        QCOMPARE(folder.read(u"big.tst.tmp"_s), QByteArray("marker"));
        QCOMPARE(listFolder(*TemporaryCopy::privateFolder()).names, QList<QByteArray>());
    }

    // Two programs that open the same test at once: each loads a copy of
    // its own and leaves the other's alone.
    void copiesOfOtherProgramsLeftAlone_data()
    {
        QTest::addColumn<int>("heldBeside"); // copies of other programs beside the test
        QTest::newRow("the plain copy held") << 1;
        QTest::newRow("every copy beside held") << 100;
    }
    void copiesOfOtherProgramsLeftAlone()
    {
        QFETCH(int, heldBeside);
        test::TestFolder folder;
        QVERIFY(folder.writeTest(u"tea.tst"_s, "Чай\r\nЗаварите\r\nВскипятить\r\n"));
        std::vector<std::unique_ptr<HeldFile>> others;
        for (int number = 0; number < heldBeside; ++number) {
            others.push_back(std::make_unique<HeldFile>());
            QCOMPARE(others.back()->create(native(folder, TemporaryCopy::name("tea.tst", 255, number)), QString()), std::nullopt);
            QCOMPARE(others.back()->file().write("held"), 4);
        }
        TaskTable Tasks;
        const TestOpening load = TemporaryCopy::loadChosenTest(native(folder, "tea.tst"), u"Чай"_s, Tasks);
        QCOMPARE(load.failure, std::nullopt);
        QCOMPARE(load.refusal, std::nullopt);
        QCOMPARE(Tasks.count(), 1);
        for (const std::unique_ptr<HeldFile> &other : others)
            QCOMPARE(folder.read(shownPath(other->path()).section(u'/', -1)), QByteArray("held"));
        QCOMPARE(folder.leftovers().size(), heldBeside);
        QCOMPARE(listFolder(*TemporaryCopy::privateFolder()).names, QList<QByteArray>());
    }

    // A test that cannot be opened, or whose copy cannot be loaded, fails
    // with the message the program shows; nothing is left behind and the
    // tasks the pupil had stay.
    void failedTests_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("failure");
        QTest::addColumn<bool>("namesCopy"); // the message names the copy, else the test
        QTest::newRow("gone") << u"missing"_s << QByteArray() << int(FailureNumber::FileNotFound) << false;
        QTest::newRow("a folder named as a test") << u"folder"_s << QByteArray()
                                                  << int(FailureNumber::PathFileAccessError) << false;
        QTest::newRow("no line break") << u"file"_s << QByteArray("Заголовок без конца")
                                       << int(FailureNumber::InputPastEnd) << true;
        QTest::newRow("empty") << u"file"_s << QByteArray() << int(FailureNumber::InputPastEnd) << true;
        QTest::newRow("ends after a statement") << u"file"_s << scrambleBytes("Т\r\nЗадание\r\n")
                                                << int(FailureNumber::InputPastEnd) << true;
        QTest::newRow("a title longer than a title may be")
            << u"file"_s << QByteArray(TitleLimit + 1, 'x') + "\r\nS\r\n" << int(FailureNumber::InputPastEnd) << true;
        QTest::newRow("a 32768th task") << u"file"_s << scrambleBytes(QByteArray("T\r\n") + QByteArray("S\r\nA\r\n\r\n").repeated(32768))
                                        << int(FailureNumber::Overflow) << true;
    }
    void failedTests()
    {
        QFETCH(QString, what);
        QFETCH(QByteArray, stored);
        QFETCH(int, failure);
        QFETCH(bool, namesCopy);
        test::TestFolder folder;
        if (what == u"file"_s)
            QVERIFY(folder.writeRaw(u"bad.tst"_s, stored));
        else if (what == u"folder"_s)
            QVERIFY(QDir(folder.path()).mkdir(u"bad.tst"_s));
        TaskTable Tasks;
        QVERIFY(folder.writeTest(u"tea.tst"_s, "Чай\r\nЗаварите\r\nВскипятить\r\n"));
        QVERIFY(TemporaryCopy::loadChosenTest(native(folder, "tea.tst"), u"Чай"_s, Tasks).opens());

        const TestOpening load = TemporaryCopy::loadChosenTest(native(folder, "bad.tst"), u"Плохой"_s, Tasks);
        QVERIFY(load.failure);
        QCOMPARE(load.failure->number, failure);
        const QString test = folder.filePath(u"bad.tst"_s);
        QCOMPARE(load.failure->path, namesCopy ? test + u".tmp"_s : test);
        if (failure == FailureNumber::InputPastEnd)
            QCOMPARE(load.message(), u"Файл "_s + test + u". поврежден или записан в неверном формате..."_s);
        QCOMPARE(Tasks.count(), 1);
        QCOMPARE(Tasks.text(1, 0), u"Заварите"_s);
        QCOMPARE(folder.leftovers(), QStringList());
        QCOMPARE(listFolder(*TemporaryCopy::privateFolder()).names, QList<QByteArray>());
        if (what == u"file"_s)
            QCOMPARE(folder.read(u"bad.tst"_s), stored); // the test is only read
    }

    // Whatever stands at the copy's name: a stale copy is replaced, a link
    // is removed and never followed, a folder is passed over; a second name
    // for the test itself is refused rather than written over.
    void whatStandsAtTheCopysName_data()
    {
        QTest::addColumn<QString>("standing");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QStringList>("left"); // in the folder afterwards, beside the test and "victim"
        QTest::newRow("a stale copy") << u"stale"_s << 0 << QStringList();
        QTest::newRow("a folder") << u"folder"_s << 0 << QStringList{u"tea.tst.tmp"_s};
#ifdef Q_OS_UNIX // QFile::link makes a Windows shortcut there: an ordinary file
        QTest::newRow("a link to another file") << u"link"_s << 0 << QStringList();
        QTest::newRow("a link to nowhere") << u"nowhere"_s << 0 << QStringList();
        QTest::newRow("the test itself under that name") << u"hard link"_s << int(FailureNumber::PathFileAccessError)
                                                         << QStringList{u"tea.tst.tmp"_s};
#endif
    }
    void whatStandsAtTheCopysName()
    {
        QFETCH(QString, standing);
        QFETCH(int, failure);
        QFETCH(QStringList, left);
        test::TestFolder folder;
        const QByteArray stored = scrambleBytes("Чай\r\nЗаварите\r\nВскипятить\r\n");
        QVERIFY(folder.writeRaw(u"tea.tst"_s, stored));
        QVERIFY(folder.writeRaw(u"victim"_s, "precious"));
        const QString copy = folder.filePath(u"tea.tst.tmp"_s);
        if (standing == u"stale"_s)
            QVERIFY(folder.writeRaw(u"tea.tst.tmp"_s, "Чай\r\nanswers in order"));
        else if (standing == u"folder"_s)
            QVERIFY(QDir(folder.path()).mkpath(u"tea.tst.tmp/inside"_s));
        else if (standing == u"link"_s)
            QVERIFY(QFile::link(folder.filePath(u"victim"_s), copy));
        else if (standing == u"nowhere"_s)
            QVERIFY(QFile::link(folder.filePath(u"nowhere"_s), copy));
#ifdef Q_OS_UNIX
        else if (standing == u"hard link"_s)
            QCOMPARE(::link(QFile::encodeName(folder.filePath(u"tea.tst"_s)).constData(), QFile::encodeName(copy).constData()), 0);
#endif
        TaskTable Tasks;
        const TestOpening load = TemporaryCopy::loadChosenTest(native(folder, "tea.tst"), u"Чай"_s, Tasks);
        QCOMPARE(load.failure ? load.failure->number : 0, failure);
        QCOMPARE(Tasks.count(), failure ? 0 : 1);
        QCOMPARE(folder.read(u"tea.tst"_s), stored);
        QCOMPARE(folder.read(u"victim"_s), QByteArray("precious"));
        QVERIFY(!QFileInfo::exists(folder.filePath(u"nowhere"_s)));
        QCOMPARE(folder.leftovers(), left);
    }
};

QTEST_GUILESS_MAIN(tst_TemporaryCopy)
#include "tst_temporarycopy.moc"
