#include "platform/core/nativefiles.h"
#include "selection/testcatalog.h"
#include "testdata/loader.h"
#include "testfolder.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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

bool writeNative(const QByteArray &path, const QByteArray &bytes)
{
    QFile file;
    return !createPrivateFile(file, path, QString()) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_TestCatalog final : public QObject
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
        const QByteArray copy = copyName(name, 255, number);
        QVERIFY(copy.size() <= 255);
        QVERIFY(copy.endsWith(suffix));
        QCOMPARE(copy == name + suffix, suffixed);
        QVERIFY(QString::fromUtf8(copy).toUtf8() == copy); // never cut inside a letter
        // Another test that differs only at its end, and the next copy of
        // the same test, have copies of their own.
        QByteArray other = name;
        other[other.size() - 5] = other.at(other.size() - 5) == 'b' ? 'c' : 'b';
        QVERIFY(copyName(other, 255, number) != copy);
        QVERIFY(copyName(name, 255, number + 1) != copy);
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
            << QList<QByteArray>{nameOf(253), copyName(nameOf(253), 255)} << QList<QByteArray>{}
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
                removeFile(native(folder, name));
        });
        std::vector<std::unique_ptr<HeldFile>> held; // by programs still running
        const auto make = [&](const QByteArray &path) {
            if (!path.contains('!'))
                return writeNative(path, "x");
            held.push_back(std::make_unique<HeldFile>());
            return !held.back()->create(QByteArray(path).replace('!', ""), QString());
        };
        for (const QByteArray &name : files) {
            if (name.endsWith('/'))
                QVERIFY(QDir(folder.path()).mkdir(QString::fromUtf8(name.chopped(1))));
            else if (!make(native(folder, name)))
                QSKIP("this file system does not take such names");
        }
        const std::optional<QByteArray> own = privateCopyFolder();
        QVERIFY(own);
        QList<QByteArray> ownKept;
        for (const QByteArray &name : ownFiles) {
            QVERIFY(make(*own + '/' + name));
            if (name.startsWith('!'))
                ownKept << name.sliced(1);
        }

        QCOMPARE(sweepStaleCopies(folder.path()), int(files.size() - kept.size() + ownFiles.size() - ownKept.size()));
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
        const ChosenTestLoad load = loadChosenTest(native(folder, "big.tst"), u"Большой"_s, Tasks);
        QVERIFY(load.failure);
        QCOMPARE(load.failure->number, FailureNumber::OutOfMemory);
        QCOMPARE(folder.read(u"big.tst.tmp"_s), QByteArray("marker"));
        QCOMPARE(listFolder(*privateCopyFolder()).names, QList<QByteArray>());
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
            QCOMPARE(others.back()->create(native(folder, copyName("tea.tst", 255, number)), QString()), std::nullopt);
            QCOMPARE(others.back()->file().write("held"), 4);
        }
        TaskTable Tasks;
        const ChosenTestLoad load = loadChosenTest(native(folder, "tea.tst"), u"Чай"_s, Tasks);
        QCOMPARE(load.failure, std::nullopt);
        QCOMPARE(load.refusal, std::nullopt);
        QCOMPARE(Tasks.count(), 1);
        for (const std::unique_ptr<HeldFile> &other : others)
            QCOMPARE(folder.read(shownPath(other->path()).section(u'/', -1)), QByteArray("held"));
        QCOMPARE(folder.leftovers().size(), heldBeside);
        QCOMPARE(listFolder(*privateCopyFolder()).names, QList<QByteArray>());
    }
};

QTEST_GUILESS_MAIN(tst_TestCatalog)
#include "tst_testcatalog.moc"
