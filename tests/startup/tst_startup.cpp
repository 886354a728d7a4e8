#include "testdata/authoring.h"
#include "program/formnames.h"
#include "selection/frmgdi.h"
#include "selection/frmsplash.h"
#include "selection/frmstart.h"
#include "program/program.h"
#include "platform/twips.h"
#include "testdata/scramble.h"
#include "scripteddesktop.h"
#include "startup/startup.h"
#include "testfolder.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace velmora;
using velmora::test::plainTest;

namespace {
const QByteArray SampleTest = plainTest({"Чай", "Заварите чай", "Вскипятить воду", "Залить заварку"});
}

class tst_Startup final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestFolder> m_folder;
    std::unique_ptr<test::ScriptedDesktop> m_desktop;
    std::unique_ptr<Program> m_program;
    QTemporaryDir m_temp;

    void start(const QString &commandLine)
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), commandLine);
        defineForms(*m_program);
        Main(*m_program);
    }

    // The authoring path with the teacher choosing source.txt and out.tst.
    void author()
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_desktop->openAnswers.enqueue(m_folder->filePath(u"source.txt"_s));
        m_desktop->saveAnswers.enqueue(m_folder->filePath(u"out.tst"_s));
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), u"qjx"_s);
        defineForms(*m_program);
        Main(*m_program);
    }

private Q_SLOTS:
    // The program's private temporary folder: this test's own.
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_temp.path())); }
    void init()
    {
        m_folder = std::make_unique<test::TestFolder>();
        QVERIFY(m_folder->writeTest(u"есть.tst"_s, SampleTest));
    }
    void cleanup()
    {
        m_program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_desktop.reset();
        m_folder.reset();
    }

    void commandLineRule_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("authoring");
        QTest::newRow("empty") << QStringList{u"velmora"_s} << false;
        QTest::newRow("word") << QStringList{u"velmora"_s, u"qjx"_s} << true;
        QTest::newRow("mixed case") << QStringList{u"velmora"_s, u"QjX"_s} << true;
        QTest::newRow("after a slash") << QStringList{u"velmora"_s, u"/qjx"_s} << true;
        QTest::newRow("file-name ending") << QStringList{u"velmora"_s, u"tests.qjx"_s} << true;
        QTest::newRow("joined arguments") << QStringList{u"velmora"_s, u"-a"_s, u"q"_s, u"jx"_s} << false;
        QTest::newRow("ends with space") << QStringList{u"velmora"_s, u"qjx "_s} << false;
        QTest::newRow("two letters") << QStringList{u"velmora"_s, u"jx"_s} << false;
        QTest::newRow("other word") << QStringList{u"velmora"_s, u"qjy"_s} << false;
        QTest::newRow("inside") << QStringList{u"velmora"_s, u"qjxa"_s} << false;
    }
    void commandLineRule()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, authoring);
        QCOMPARE(isAuthoringCommandLine(argumentString(arguments)), authoring);
    }

    void normalPathShowsSelection()
    {
        start(QString());
        Forms &forms = m_program->forms();
        QVERIFY(!forms.isLoaded<frmSplash>());
        QVERIFY(forms.loaded<frmStart>()->isVisible());
        QVERIFY(m_desktop->openRequests.isEmpty());
        QVERIFY(m_desktop->boxes.isEmpty());
    }

    // A folder without tests ends the pupil's path before any dialog; the
    // teacher's path goes on to author the folder's first test.
    void folderWithoutTests_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("ends");
        QTest::newRow("normal") << QString() << true;
        QTest::newRow("authoring") << u"qjx"_s << false;
    }
    void folderWithoutTests()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, ends);
        QVERIFY(QFile::remove(m_folder->filePath(u"есть.tst"_s)));
        QVERIFY(m_folder->writeRaw(u"source.txt"_s, SampleTest));
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_desktop->openAnswers.enqueue(m_folder->filePath(u"source.txt"_s));
        m_desktop->saveAnswers.enqueue(m_folder->filePath(u"тест1.tst"_s));
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), commandLine);
        defineForms(*m_program);
        Main(*m_program);
        QCOMPARE(m_desktop->ended, ends);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes.constFirst().text.startsWith(u"Не могу найти файлы тестов"_s), ends);
        QCOMPARE(m_desktop->openRequests.size(), ends ? 0 : 1);
        QCOMPARE(QFile::exists(m_folder->filePath(u"тест1.tst"_s)), !ends);
        QCOMPARE(m_program->forms().loadedCount(), 0);
    }

    // A plain copy left by a load that never finished is gone at start-up,
    // on both paths.
    void staleCopyRemovedAtStart_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("normal") << QString();
        QTest::newRow("authoring") << u"qjx"_s;
    }
    void staleCopyRemovedAtStart()
    {
        QFETCH(QString, commandLine);
        QVERIFY(m_folder->writeRaw(u"есть.tst.tmp"_s, SampleTest));
        start(commandLine);
        QVERIFY(!QFile::exists(m_folder->filePath(u"есть.tst.tmp"_s)));
    }

    // The teacher's text as an editor saves it becomes the stored test.
    void authoringWritesTheTest()
    {
        const QByteArray teacherText = "\xEF\xBB\xBFЧай\nЗаварите чай\nВскипятить воду\nЗалить заварку\n\n";
        QVERIFY(m_folder->writeRaw(u"source.txt"_s, teacherText));
        QVERIFY(m_folder->writeRaw(u"тест1.tst"_s, "old contents"));
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_desktop->openAnswers.enqueue(m_folder->filePath(u"source.txt"_s));
        m_desktop->saveAnswers.enqueue(m_folder->filePath(u"тест1.tst"_s));
        QByteArray writtenWhenTold;
        m_desktop->onMsgBox = [&](const MsgBoxRequest &) { writtenWhenTold = m_folder->read(u"тест1.tst"_s); };
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), u"/QJX"_s);
        defineForms(*m_program);
        Main(*m_program);

        QCOMPARE(m_desktop->openRequests.size(), 1);
        QCOMPARE(m_desktop->openRequests.constFirst().filter, u"Текстовый файл *.txt |*.txt | Все файлы *.* | *.*"_s);
        QCOMPARE(m_desktop->openRequests.constFirst().title, u"Выберите файл для шифрования"_s);
        QCOMPARE(m_desktop->saveRequests.size(), 1);
        QCOMPARE(m_desktop->saveRequests.constFirst().filter, u"Файлы тестов *.tst |*.tst"_s);
        QCOMPARE(m_desktop->saveRequests.constFirst().title, u"Сохранить резултат в файле"_s);
        QCOMPARE(m_desktop->saveRequests.constFirst().fileName, m_folder->filePath(u"тест1.tst"_s));

        const QByteArray expected = scrambleBytes(QByteArray("\xd7\xe0\xe9\r\n\xc7\xe0\xe2\xe0\xf0\xe8\xf2\xe5 \xf7\xe0\xe9\r\n"
                                                             "\xc2\xf1\xea\xe8\xef\xff\xf2\xe8\xf2\xfc \xe2\xee\xe4\xf3\r\n"
                                                             "\xc7\xe0\xeb\xe8\xf2\xfc \xe7\xe0\xe2\xe0\xf0\xea\xf3\r\n"));
        QCOMPARE(m_folder->read(u"тест1.tst"_s), expected);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes.constFirst().text, u"Файл был успешно закодирован.\nТест записан в файл "_s
                                                          + QDir::toNativeSeparators(m_folder->filePath(u"тест1.tst"_s)));
        QCOMPARE(m_desktop->boxes.constFirst().title, u"Velmora"_s);
        QCOMPARE(writtenWhenTold, expected); // told only once the file is complete
        QCOMPARE(m_program->forms().loadedCount(), 0);
    }

    void cancelledDialogWritesNothing_data()
    {
        QTest::addColumn<bool>("cancelOpen");
        QTest::newRow("open cancelled") << true;
        QTest::newRow("save cancelled") << false;
    }
    void cancelledDialogWritesNothing()
    {
        QFETCH(bool, cancelOpen);
        QVERIFY(m_folder->writeRaw(u"source.txt"_s, SampleTest));
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_desktop->openAnswers.enqueue(cancelOpen ? std::nullopt : std::optional(m_folder->filePath(u"source.txt"_s)));
        m_desktop->saveAnswers.enqueue(std::nullopt);
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), u"qjx"_s);
        defineForms(*m_program);
        Main(*m_program);
        QCOMPARE(m_desktop->saveRequests.size(), cancelOpen ? 0 : 1);
        QVERIFY(m_desktop->boxes.isEmpty());
        QVERIFY(!QFile::exists(m_folder->filePath(u"тест1.tst"_s)));
        QCOMPARE(m_program->forms().loadedCount(), 0);
    }

    void authoringFailureEndsWithItsMessage_data()
    {
        QTest::addColumn<QByteArray>("source"); // empty: no source file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing source") << QByteArray() << u"Критическая ошибка - 53 File not found"_s;
        QTest::newRow("empty text") << QByteArray("\n\n") << u"Файл %1/out. поврежден или записан в неверном формате..."_s;
    }
    void authoringFailureEndsWithItsMessage()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, message);
        if (!source.isEmpty())
            QVERIFY(m_folder->writeRaw(u"source.txt"_s, source));
        author();
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes.constFirst().text, message.arg(m_folder->path()));
        QVERIFY(m_desktop->ended);
    }

    // A test no pupil could take is written only when the teacher, told
    // why first, insists; one with lesser problems is written and they are
    // told after.
    void authoringWarnsOfAnUnopenableTest_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("warning"); // empty: none
        QTest::addColumn<bool>("asked");      // before writing, Yes or No
        const QString blocks = u"Внимание: программа не сможет открыть этот тест или покажет его не так, как он написан. "_s;
        QTest::newRow("opens") << SampleTest << QString() << false;
        QTest::newRow("a task without steps")
            << QByteArray("Урок\nS1\nA\nB\n\n\nS2\nC\n\nS3\n\n") << blocks + u"Строка 10: У задания 3 нет ни одного шага"_s
            << true;
        QTest::newRow("a title alone") << QByteArray("Урок\n") << blocks + u"В тесте нет ни одного задания"_s << true;
        QTest::newRow("a task without steps in the middle")
            << QByteArray("Урок\nS1\nA\nB\n\nS2\n\nS3\nC\nD\n") << blocks + u"Строка 7: Пустая строка сразу после условия"_s
            << true;
        QTest::newRow("a Word document") << QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10) + "\r\nword/document.xml"
                                         << blocks + u"Файл — это не текст, а документ Word (.docx)"_s << true;
        QTest::newRow("a test already scrambled")
            << scrambleBytes("Урок\r\nS\r\nA\r\nB\r\n") << blocks + u"Файл — это уже тест"_s << true;
        QTest::newRow("spaces between two tasks")
            << QByteArray("Урок\nS1\nA\nB\n \nS2\nC\nD\n")
            << u"Внимание: у этого теста есть замечания. Строка 5: Строка из одних пробелов"_s << false;
        QTest::newRow("steps that look alike") << QByteArray("Урок\nS1\nСложить\nCложить\n")
                                               << u"Внимание: у этого теста есть замечания. Строка 4: Шаги на строках 3 и 4"_s
                                               << false;
    }
    void authoringWarnsOfAnUnopenableTest()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, warning);
        QFETCH(bool, asked);
        for (const bool insist : {false, true}) {
            if (!asked && !insist)
                continue;
            QVERIFY(m_folder->writeRaw(u"source.txt"_s, source));
            QFile::remove(m_folder->filePath(u"out.tst"_s));
            m_desktop = std::make_unique<test::ScriptedDesktop>();
            m_desktop->openAnswers.enqueue(m_folder->filePath(u"source.txt"_s));
            m_desktop->saveAnswers.enqueue(m_folder->filePath(u"out.tst"_s));
            bool writtenWhenAsked = true;
            m_desktop->onMsgBox = [&](const MsgBoxRequest &request) {
                if (request.buttons == MsgButtons::YesNo)
                    writtenWhenAsked = QFile::exists(m_folder->filePath(u"out.tst"_s));
            };
            m_desktop->answers.enqueue(insist ? MsgAnswer::Yes : MsgAnswer::No);
            m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), u"qjx"_s);
            defineForms(*m_program);
            Main(*m_program);
            QCOMPARE(QFile::exists(m_folder->filePath(u"out.tst"_s)), insist);
            QStringList boxes;
            for (const MsgBoxRequest &box : std::as_const(m_desktop->boxes))
                boxes << box.text.section(u'\n', 0, 0);
            QCOMPARE(boxes.size(), (asked ? 1 : 0) + (insist ? 1 : 0) + (!asked && !warning.isEmpty() ? 1 : 0));
            if (asked) {
                QVERIFY(!writtenWhenAsked);
                QVERIFY2(boxes.constFirst().startsWith(warning), qPrintable(boxes.constFirst()));
                QCOMPARE(m_desktop->boxes.constFirst().buttons, MsgButtons::YesNo);
                boxes.removeFirst();
            }
            if (insist)
                QCOMPARE(boxes.takeFirst(), u"Файл был успешно закодирован."_s);
            if (!asked && !warning.isEmpty())
                QVERIFY2(boxes.constFirst().startsWith(warning), qPrintable(boxes.constFirst()));
            QCOMPARE(m_program->forms().loadedCount(), 0);
        }
    }

    // An installed program's folder is shared and read-only: the teacher is
    // offered the home folder instead, and told where the test went and
    // that pupils see it only once it is in the program's folder.
    void authoringProposesAWritableFolder_data()
    {
        QTest::addColumn<bool>("programFolderWritable");
        QTest::newRow("program's folder writable") << true;
        QTest::newRow("program's folder read-only") << false;
    }
    void authoringProposesAWritableFolder()
    {
        QFETCH(bool, programFolderWritable);
        const QTemporaryDir home;
        QVERIFY(home.isValid());
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", savedHome); });
        if (QDir::homePath() != home.path())
            QSKIP("the home folder is not taken from HOME here");

        QVERIFY(m_folder->writeRaw(u"source.txt"_s, SampleTest));
        const QString proposed = QDir(programFolderWritable ? m_folder->path() : home.path()).filePath(u"тест1.tst"_s);
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_desktop->openAnswers.enqueue(m_folder->filePath(u"source.txt"_s));
        m_desktop->saveAnswers.enqueue(proposed); // the teacher accepts what is proposed
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), u"qjx"_s);
        defineForms(*m_program);
        QStringList asked;
        runAuthoringMode(*m_program, [&](const QString &folder) {
            asked << folder;
            return programFolderWritable;
        });
        QCOMPARE(asked, QStringList{m_folder->path()});
        QCOMPARE(m_desktop->saveRequests.size(), 1);
        QCOMPARE(m_desktop->saveRequests.constFirst().fileName, proposed);
        QVERIFY(QFile::exists(proposed));
        QCOMPARE(m_desktop->boxes.size(), 1);
        const QStringList lines = m_desktop->boxes.constFirst().text.split(u'\n');
        QCOMPARE(lines.value(0), u"Файл был успешно закодирован."_s);
        QCOMPARE(lines.value(1), u"Тест записан в файл "_s + QDir::toNativeSeparators(proposed));
        QCOMPARE(lines.size(), programFolderWritable ? 2 : 3);
        if (!programFolderWritable)
            QVERIFY2(lines.at(2).contains(QDir::toNativeSeparators(m_folder->path())), qPrintable(lines.at(2)));
    }

    // Whether the program's folder can take a new test. A folder under a
    // file cannot be made by anyone, root included; a folder without write
    // permission stops everyone but root, so that row is skipped when the
    // system lets this user write there all the same.
    void canWriteFolderRule_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("writable");
        QTest::newRow("ordinary folder") << u"folder"_s << true;
        QTest::newRow("missing folder") << u"missing"_s << false;
        QTest::newRow("a file, not a folder") << u"file"_s << false;
        QTest::newRow("under a file") << u"under file"_s << false;
        QTest::newRow("without write permission") << u"read-only"_s << false;
    }
    void canWriteFolderRule()
    {
        QFETCH(QString, kind);
        QFETCH(bool, writable);
        QVERIFY(m_folder->writeRaw(u"plain"_s, "text"));
        QString folder = m_folder->filePath(u"sub"_s);
        if (kind == u"folder"_s || kind == u"read-only"_s)
            QVERIFY(QDir().mkdir(folder));
        else if (kind == u"file"_s)
            folder = m_folder->filePath(u"plain"_s);
        else if (kind == u"under file"_s)
            folder = m_folder->filePath(u"plain/sub"_s);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        if (kind == u"read-only"_s) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
            QFile probe(folder + u"/probe"_s);
            if (probe.open(QIODevice::WriteOnly))
                QSKIP("this user writes into folders without write permission (root)");
        }
        QCOMPARE(canWriteFolder(folder), writable);
    }

    void splashShowsVersion()
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), QString());
        defineForms(*m_program);
        auto *splash = m_program->forms().load<frmSplash>();
        QVERIFY(splash);
        QCOMPARE(splash->lblVersion->text(), u"Version 0.9.0"_s);
        QCOMPARE(splash->lblProductName->text(), u"Velmora"_s);
        QCOMPARE(splash->lblPlatform->text(), u"Platform: Windows 9x"_s);
        QCOMPARE(splash->size(), QSize(492, 282)); // 7380 × 4236 twips
        QVERIFY(!splash->imgLogo->pixmap().isNull());
    }

    // Right-aligned labels that size themselves keep their right edge: a wide
    // font grows them to the left, the whole text inside the frame.
    void splashLabelsKeepTheirRightEdge_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QRect>("design");
        QTest::addColumn<int>("pointSize");
        QTest::newRow("version, design font") << u"lblVersion"_s << QRect(5970, 2700, 885, 285) << 0;
        QTest::newRow("version, wide font") << u"lblVersion"_s << QRect(5970, 2700, 885, 285) << 20;
        QTest::newRow("platform, design font") << u"lblPlatform"_s << QRect(3555, 2340, 3300, 360) << 0;
        QTest::newRow("platform, wide font") << u"lblPlatform"_s << QRect(3555, 2340, 3300, 360) << 18;
    }
    void splashLabelsKeepTheirRightEdge()
    {
        QFETCH(QString, label);
        QFETCH(QRect, design);
        QFETCH(int, pointSize);
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), QString());
        defineForms(*m_program);
        auto *splash = m_program->forms().load<frmSplash>();
        QVERIFY(splash);
        auto *shown = splash->Frame1->findChild<QLabel *>(label);
        QVERIFY(shown);
        if (pointSize > 0) {
            QFont wide = shown->font();
            wide.setPointSize(pointSize);
            wide.setStretch(QFont::Expanded);
            shown->setFont(wide);
        }
        const QRect designed = Twips::toPixels(design.left(), design.top(), design.width(), design.height())
                                   .translated(-splash->Frame1->pos());
        QCOMPARE(shown->geometry().right(), designed.right());
        const int advance = shown->fontMetrics().horizontalAdvance(shown->text());
        QVERIFY(shown->width() >= advance);
        // Inside the frame whenever the text can be (Wine's Arial at 18 points is wider than it).
        if (advance <= splash->Frame1->width())
            QVERIFY(splash->Frame1->rect().contains(shown->geometry()));
    }

    // A key or a click on the frame closes the splash early; start-up goes on.
    void splashClosesEarly_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("key") << true;
        QTest::newRow("frame click") << false;
    }
    void splashClosesEarly()
    {
        QFETCH(bool, byKey);
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), QString());
        defineForms(*m_program);
        auto *splash = m_program->forms().load<frmSplash>();
        splash->showModeless();
        if (byKey)
            QTest::keyClick(splash, Qt::Key_A);
        else
            QTest::mouseClick(splash->Frame1, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!m_program->forms().isLoaded<frmSplash>());
        Main(*m_program);
        QVERIFY(m_program->forms().loaded<frmStart>()->isVisible());
        QVERIFY(!m_desktop->ended);
    }

    void waitWindowDesign()
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder->path(), QString());
        defineForms(*m_program);
        auto *gdi = m_program->forms().load<frmGdi>();
        QCOMPARE(gdi->Label1->text(), u"Подождите пожалуйста"_s);
        QCOMPARE(gdi->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(gdi->size(), QSize(170, 82));
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
