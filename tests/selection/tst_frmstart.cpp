#include "program/formnames.h"
#include "selection/frmgdi.h"
#include "selection/frmstart.h"
#include "platform/core/nativefiles.h"
#include "program/program.h"
#include "scripteddesktop.h"
#include "handlers.h"
#include "nativefile.h"
#include "testdata/lines.h"
#include "testdata/loader.h"
#include "testfolder.h"

#include <QAccessible>
#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using namespace velmora;
using velmora::test::plainTest;

namespace {

// Stand-ins for the run's windows, so the hand-over can be watched.
class StubForm final : public Form
{
    Q_OBJECT
public:
    explicit StubForm(Forms &forms)
        : Form(forms)
    {
    }
};

const QByteArray TeaTest = plainTest({"Чай", "Заварите чай", "Вскипятить воду", "Залить заварку"});

QByteArray unscrambledTea()
{
    return velmora::scrambleBytes(velmora::scrambleBytes(TeaTest));
}

QByteArray stepsTest(int steps)
{
    QByteArray text = "Длинный\r\nЗадание\r\n";
    for (int i = 1; i <= steps; ++i)
        text += "Шаг " + QByteArray::number(i) + "\r\n";
    return text;
}

} // namespace

class tst_frmStart final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestFolder> m_folder;
    std::unique_ptr<test::ScriptedDesktop> m_desktop;
    std::unique_ptr<Program> m_program;

    void makeProgram(bool withRunWindows)
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), QString());
        Forms &forms = m_program->forms();
        Program &program = *m_program;
        forms.define<frmStart>([&program](Forms &) { return std::make_unique<frmStart>(program); });
        forms.define<frmGdi>([&program](Forms &) { return std::make_unique<frmGdi>(program); });
        if (withRunWindows) {
            forms.define<frmMain>([](Forms &f) { return std::make_unique<StubForm>(f); });
            forms.define<frmRegim>([](Forms &f) { return std::make_unique<StubForm>(f); });
        }
    }
    frmStart *loadStart(bool withRunWindows = true)
    {
        makeProgram(withRunWindows);
        frmStart *start = nullptr;
        test::endsProgram([&] { start = m_program->forms().load<frmStart>(); });
        if (start)
            start->showModeless();
        return start;
    }
    QStringList listed(frmStart *start) const
    {
        QStringList titles;
        for (int i = 0; i < start->List1->count(); ++i)
            titles << start->List1->item(i)->text();
        return titles;
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<test::TestFolder>(); }
    void cleanup()
    {
        m_program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_desktop.reset();
        m_folder.reset();
    }

    void designAsDrawn()
    {
        QVERIFY(m_folder->writeTest(u"a.tst"_s, TeaTest));
        frmStart *start = loadStart();
        QCOMPARE(start->windowTitle(), u"Выбор теста"_s);
        QCOMPARE(start->size(), QSize(312, 213)); // 4680 × 3192 twips
        QCOMPARE(start->List1->geometry(), QRect(3, 39, 217, 157));
        QCOMPARE(start->Command1->geometry(), QRect(225, 3, 82, 31));
        QCOMPARE(start->Command2->text(), u"Отмена"_s);
        QVERIFY(start->Command1->isDefault());
        QCOMPARE(start->Label1->text(), u"Выберите тест из списка и нажмиете ок"_s);
        QVERIFY(start->windowFlags().testFlag(Qt::Tool));
        // Tab order: the list, OK, Отмена.
        QWidget *next = start->List1->nextInFocusChain();
        while (start->List1->isAncestorOf(next))
            next = next->nextInFocusChain();
        QCOMPARE(next, start->Command1);
        QCOMPARE(start->Command1->nextInFocusChain(), start->Command2);
    }

    // Titled and empty files are listed, hidden files and folders are not.
    void listing()
    {
        QVERIFY(m_folder->writeTest(u"titled.tst"_s, TeaTest));
        QVERIFY(m_folder->writeRaw(u"empty.tst"_s, QByteArray()));
        QVERIFY(m_folder->writeTest(u".hidden.tst"_s, TeaTest));
        QVERIFY(m_folder->writeTest(u"notes.txt"_s, TeaTest));
        QVERIFY(QDir(m_folder->path()).mkdir(u"folder.tst"_s));
        frmStart *start = loadStart();
        QVERIFY(start);
        QCOMPARE(start->TestFileNames().size(), 2);
        QCOMPARE(start->List1->count(), 2);
        for (int i = 0; i < 2; ++i) {
            const QString name = start->TestFileNames().at(i);
            QCOMPARE(start->List1->item(i)->text(), name == u"titled.tst"_s ? u"Чай"_s : u"empty.tst"_s);
        }
        QCOMPARE(start->List1->currentRow(), 0);
        QVERIFY(start->List1->item(0)->isSelected());
        QVERIFY(m_desktop->boxes.isEmpty());
    }

    // Only regular files (links followed) are tests: a pipe would hang the
    // listing, a device would never end its title.
    void nonRegularFilesAreNotTests_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << u"pipe"_s;
        QTest::newRow("link to a pipe") << u"link to a pipe"_s;
        QTest::newRow("link to a device without end") << u"/dev/zero"_s;
        QTest::newRow("dangling link") << u"nowhere"_s;
        QTest::newRow("link to a file of the system's that says it is empty") << u"/proc/self/environ"_s;
    }
    void nonRegularFilesAreNotTests()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs named pipes and devices");
#else
        QFETCH(QString, kind);
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        const QString pipe = m_folder->filePath(kind == u"pipe"_s ? u"x.tst"_s : u"pipe"_s);
        if (kind.contains(u"pipe"_s))
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        if (kind != u"pipe"_s)
            QVERIFY(QFile::link(kind.startsWith(u'/') || kind == u"nowhere"_s ? kind : pipe, m_folder->filePath(u"x.tst"_s)));
        frmStart *start = loadStart();
        QCOMPARE(listed(start), QStringList{u"Чай"_s});
        QVERIFY(m_desktop->boxes.isEmpty());
#endif
    }

    // Only the folder's own tests: a link planted to another account's
    // private file is not followed, a title line that is no text is no test's.
    void onlyTheFoldersOwnTests_data()
    {
        QTest::addColumn<QString>("target"); // whose file the link leads to; "text" a file of the folder
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("offered");
        QTest::newRow("a link to its owner's private file") << u"link owner's"_s << 0600 << true;
        QTest::newRow("a link to another account's file every account reads") << u"another's"_s << 0644 << true;
        QTest::newRow("a link to another account's private file") << u"another's"_s << 0600 << false;
        QTest::newRow("a title with a NUL byte") << u"text"_s << 0644 << false;
    }
    void onlyTheFoldersOwnTests()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs accounts and links");
#else
        QFETCH(QString, target);
        QFETCH(int, mode);
        QFETCH(bool, offered);
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        const QString link = m_folder->filePath(u"x.tst"_s);
        QTemporaryDir elsewhere;
        if (target == u"text"_s) {
            QVERIFY(m_folder->writeTest(u"x.tst"_s, QByteArray("Ч") + '\0' + "ай\r\nЗ\r\nШ\r\n"));
        } else {
            const QString file = elsewhere.filePath(u"x.tst"_s);
            QVERIFY(QFile::link(file, link));
            QFile written(file);
            QVERIFY(written.open(QIODevice::WriteOnly));
            QVERIFY(written.write(scrambleBytes(plainTest({"Другой", "З", "Ш"}))) > 0);
            written.close();
            QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);
            // The link is one account's, the file the same account's or another's.
            const uid_t linkOwner = 1234;
            const uid_t fileOwner = target == u"another's"_s ? 4321 : linkOwner;
            if (::lchown(QFile::encodeName(link).constData(), linkOwner, gid_t(-1)) != 0
                || ::chown(QFile::encodeName(file).constData(), fileOwner, gid_t(-1)) != 0)
                QSKIP("needs files of other accounts (root)");
        }
        frmStart *start = loadStart();
        QCOMPARE(listed(start).size(), offered ? 2 : 1);
        QVERIFY(m_desktop->boxes.isEmpty());
#endif
    }

    void titleLinesDecoded_data()
    {
        QTest::addColumn<QByteArray>("titleLine");
        QTest::addColumn<QString>("shown");
        QTest::newRow("windows-1251") << QByteArray("\xd7\xe0\xe9") << u"Чай"_s;
        QTest::newRow("utf-8") << QByteArray("Чай") << u"Чай"_s;
        QTest::newRow("cut at a lone CR") << QByteArray("Чай\rс лимоном") << u"Чай"_s;
        QTest::newRow("markup stays as written") << QByteArray("<b>Чай</b>") << u"<b>Чай</b>"_s;
        QTest::newRow("the mark of unsaved changes") << QByteArray("Чай [*]") << u"Чай [*]"_s;
    }
    // Listed, and then in the main window's caption, as a screen reader reads it.
    void titleLinesDecoded()
    {
        QFETCH(QByteArray, titleLine);
        QFETCH(QString, shown);
        QVERIFY(m_folder->writeTest(u"t.tst"_s, titleLine + "\r\nЗ\r\nШ\r\n"));
        frmStart *start = loadStart();
        QCOMPARE(listed(start), QStringList{shown});
        start->Command1->click();
        Form *main = m_program->forms().loaded<frmMain, Form>();
        QVERIFY(main);
        QCOMPARE(QAccessible::queryAccessibleInterface(main)->text(QAccessible::Name), u"Velmora - "_s + shown);
    }

    void noTestsEndsTheProgram()
    {
        QVERIFY(m_folder->writeTest(u"notes.txt"_s, TeaTest));
        QVERIFY(!loadStart());
        QCOMPARE(m_desktop->boxes.size(), 1);
        const MsgBoxRequest &box = m_desktop->boxes.constFirst();
        QCOMPARE(box.text, u"Не могу найти файлы тестов. Программа завершает работу"_s);
        QCOMPARE(box.title, u"Критическая ошибка"_s);
        QCOMPARE(box.icon, MsgIcon::Critical);
        QVERIFY(m_desktop->ended);
        QCOMPARE(m_program->forms().loadedCount(), 0);
    }

    // A file that opens but cannot be read stops the listing with its failure.
    void unreadableFileStopsListing()
    {
#ifndef Q_OS_LINUX
        QSKIP("needs a file that opens but cannot be read");
#else
        QVERIFY(QFile::link(u"/proc/self/mem"_s, m_folder->filePath(u"broken.tst"_s)));
        frmStart *start = loadStart();
        QVERIFY(start);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes.constFirst().text, u"Error: 57    Device I/O error"_s);
        QCOMPARE(m_desktop->boxes.constFirst().title, u"Velmora"_s);
        QCOMPARE(start->List1->currentRow(), -1);
        QVERIFY(start->List1->selectedItems().isEmpty());
        QVERIFY(!m_desktop->ended);
        // OK with nothing selected does nothing.
        start->Command1_Click();
        QVERIFY(start->isVisible());
        QVERIFY(!m_program->forms().isLoaded<frmGdi>());
#endif
    }

    void okHandsOverToTheRun_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("click") << 0;
        QTest::newRow("enter") << 1;
        QTest::newRow("double click") << 2;
    }
    void okHandsOverToTheRun()
    {
        QFETCH(int, how);
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        QPointer<frmStart> start = loadStart();
        if (how == 0) {
            QTest::mouseClick(start->Command1, Qt::LeftButton);
        } else if (how == 1) {
            start->List1->setFocus();
            QTest::keyClick(start->List1, Qt::Key_Return);
        } else {
            const QRect item = start->List1->visualItemRect(start->List1->item(0));
            QTest::mouseClick(start->List1->viewport(), Qt::LeftButton, {}, item.center());
            QTest::mouseDClick(start->List1->viewport(), Qt::LeftButton, {}, item.center());
        }
        Forms &forms = m_program->forms();
        QVERIFY(!forms.isLoaded<frmStart>());
        QVERIFY(!forms.isLoaded<frmGdi>());
        QVERIFY(forms.isLoaded<frmMain>());
        const Form *main = forms.loaded<frmMain, Form>();
        QCOMPARE(main->windowTitle(), u"Velmora - Чай"_s);
        QVERIFY(!main->isVisible());
        const Form *regim = forms.loaded<frmRegim, Form>();
        QVERIFY(regim->isVisible());
        QCOMPARE(m_program->Tasks().count(), 1);
        QCOMPARE(m_program->Tasks().task(1),
                 QStringList({u"Заварите чай"_s, u"Вскипятить воду"_s, u"Залить заварку"_s}));
        QCOMPARE(m_folder->leftovers(), QStringList());
        QVERIFY(m_desktop->boxes.isEmpty());
    }

    // A test is listed and opened by the bytes of its name: a name from
    // another system, a name as long as the file system takes.
    void okOpensTheNameAsListed_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("no text") << QByteArray("\xff\xfe\xc0.tst");
        QTest::newRow("windows-1251") << QByteArray("\xd7\xe0\xe9.tst");
        QTest::newRow("upper case") << QByteArray("TEA.TST");
        QTest::newRow("252 bytes") << QByteArray(248, 'x') + ".tst";
        QTest::newRow("255 bytes") << QByteArray("Т") + QByteArray(249, 'x') + ".tst";
    }
    void okOpensTheNameAsListed()
    {
        QFETCH(QByteArray, name);
        // The folder's own removal cannot name bytes that are no text.
        const QByteArray path = nativePath(m_folder->path()) + '/' + name;
        const auto removeTest = qScopeGuard([&] { test::removeFile(path); });
        if (!test::writeNative(path, velmora::scrambleBytes(TeaTest)))
            QSKIP("this file system does not take such names");
        frmStart *start = loadStart();
        QCOMPARE(listed(start), QStringList{u"Чай"_s});
        start->Command1_Click();
        QVERIFY(m_desktop->boxes.isEmpty());
        QVERIFY(m_program->forms().isLoaded<frmMain>());
        QCOMPARE(m_program->Tasks().count(), 1);
        QCOMPARE(m_folder->leftovers(), QStringList());
    }

    // Enter presses the focused button; on the list it presses the default, OK.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<bool>("loadsTheTest");
        QTest::newRow("list") << 0 << true;
        QTest::newRow("OK") << 1 << true;
        QTest::newRow("Отмена") << 2 << false;
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(int, tabs);
        QFETCH(bool, loadsTheTest);
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        frmStart *start = loadStart();
        start->List1->setFocus();
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(start->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(start->focusWidget(), Qt::Key_Return);
        QCOMPARE(m_program->forms().isLoaded<frmMain>(), loadsTheTest);
        QVERIFY(!m_program->forms().isLoaded<frmStart>());
    }

    void escCancels()
    {
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        frmStart *start = loadStart();
        QSignalSpy lastAfter(&m_program->forms(), &Forms::lastUnloaded);
        QTest::keyClick(start, Qt::Key_Escape);
        QVERIFY(!m_program->forms().isLoaded<frmStart>());
        QCOMPARE(lastAfter.count(), 1);
    }

    // Damaged tests end the program with the message naming the test; the
    // plain copy (the answers in order) never stays behind.
    void damagedTest_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no line break") << QByteArray("Заголовок без конца");
        QTest::newRow("ends after a statement") << velmora::scrambleBytes("Т\r\nЗадание\r\n");
        QTest::newRow("ends with an empty line") << velmora::scrambleBytes("Т\r\nЗадание\r\nШаг\r\n\r\n");
        QTest::newRow("title without a line end within the longest line")
            << QByteArray(TitleLimit + 1, 'x') + "\r\nS\r\n";
    }
    void damagedTest()
    {
        QFETCH(QByteArray, stored);
        QVERIFY(m_folder->writeRaw(u"bad.tst"_s, stored));
        frmStart *start = loadStart();
        QVERIFY(test::endsProgram([&] { start->Command1_Click(); }));
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes.constFirst().text,
                 u"Файл "_s + m_folder->path() + u"/bad.tst. поврежден или записан в неверном формате..."_s);
        QCOMPARE(m_desktop->boxes.constFirst().title, u"Критическая ошибка"_s);
        QVERIFY(m_desktop->ended);
        QCOMPARE(m_program->forms().loadedCount(), 0);
        QCOMPARE(m_folder->leftovers(), QStringList());
    }

    // Tests the run cannot show are refused here; the pupil stays in the window.
    void refusedTests_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("21 steps") << stepsTest(21) << u"в задании 1 больше 20 шагов"_s;
        QTest::newRow("title alone") << QByteArray("Длинный\r\n") << u"нет ни одного задания"_s;
    }
    void refusedTests()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QString, mentions);
        QVERIFY(m_folder->writeTest(u"long.tst"_s, plain));
        frmStart *start = loadStart();
        // The tasks of the test taken before stay as they were.
        QByteArray before = unscrambledTea();
        QCOMPARE(LoadTest(std::move(before), m_program->Tasks()).failure, std::nullopt);
        start->Command1_Click();
        QCOMPARE(m_program->Tasks().count(), 1);
        QCOMPARE(m_program->Tasks().text(1, 0), u"Заварите чай"_s);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY2(m_desktop->boxes.constFirst().text.contains(mentions), qPrintable(m_desktop->boxes.constFirst().text));
        QVERIFY(m_desktop->boxes.constFirst().text.contains(u"«Длинный»"_s));
        QVERIFY(!m_desktop->ended);
        QVERIFY(start->isVisible());
        QVERIFY(!m_program->forms().isLoaded<frmMain>());
        QVERIFY(!m_program->forms().isLoaded<frmGdi>());
        QCOMPARE(m_folder->leftovers(), QStringList());
    }

    void twentyStepsAccepted()
    {
        QVERIFY(m_folder->writeTest(u"long.tst"_s, stepsTest(20)));
        frmStart *start = loadStart();
        start->Command1_Click();
        QVERIFY(m_desktop->boxes.isEmpty());
        QCOMPARE(m_program->Tasks().stepCount(1), 20);
    }

    // A link planted at the temporary name is removed, never followed.
    void plantedLinkNotFollowed()
    {
        QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(u"victim.txt"_s);
        {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("precious");
        }
        if (!QFile::link(victim, m_folder->filePath(u"tea.tst.tmp"_s)))
            QSKIP("symbolic links are not available here");
        frmStart *start = loadStart();
        start->Command1_Click();
        QVERIFY(m_desktop->boxes.isEmpty());
        QCOMPARE(m_program->Tasks().count(), 1);
        QFile file(victim);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));
        QCOMPARE(m_folder->leftovers(), QStringList());
    }

    // When the copy cannot be written beside the test (a folder at its name:
    // under the next name), it goes to the temporary folder and the test
    // still loads.
    void unwritableFolderUsesTemporaryFolder_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("read-only folder") << u"read-only"_s;
        QTest::newRow("name taken by a folder") << u"folder"_s;
        QTest::newRow("full disk") << u"full"_s;
    }
    void unwritableFolderUsesTemporaryFolder()
    {
        QFETCH(QString, why);
        QFile folder(m_folder->path());
        const QFile::Permissions before = folder.permissions();
        if (why == u"read-only"_s) {
            QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
            folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
            QFile probe(m_folder->filePath(u"probe"_s));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.close();
                probe.remove();
                folder.setPermissions(before);
                QSKIP("this user can write into read-only folders (root)");
            }
        } else if (why == u"folder"_s) {
            QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
            QVERIFY(QDir(m_folder->path()).mkpath(u"tea.tst.tmp/inside"_s));
        }
        // A file system of its own, filled up once the test is in it.
        const auto unmount = qScopeGuard([&] {
            if (why == u"full"_s)
                QProcess::execute(u"umount"_s, {u"-l"_s, m_folder->path()});
        });
        if (why == u"full"_s) {
            if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s, m_folder->path()}) != 0)
                QSKIP("needs a small file system of its own (mount, as root)");
            QVERIFY(m_folder->writeTest(u"tea.tst"_s, TeaTest));
            QFile filler(m_folder->filePath(u"filler"_s));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {
            }
        }
        frmStart *start = loadStart();
        start->Command1_Click();
        folder.setPermissions(before);
        QVERIFY(m_desktop->boxes.isEmpty());
        QVERIFY(!m_desktop->ended);
        QCOMPARE(m_program->Tasks().count(), 1);
        QVERIFY(m_program->forms().isLoaded<frmMain>());
        QCOMPARE(m_folder->leftovers(), why == u"folder"_s ? QStringList{u"tea.tst.tmp"_s} : QStringList());
    }
};

QTEST_MAIN(tst_frmStart)
#include "tst_frmstart.moc"
