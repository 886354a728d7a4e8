// Hosting of the list control: finding the library by its metadata, the
// failures a user sees when it is missing or broken, and the typed proxy.

#include "platform/controlhost/controllibrary.h"
#include "platform/controlhost/tabulolist.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velmora;
using namespace Qt::StringLiterals;

namespace {

QString programFolder()
{
    return qEnvironmentVariable("VELMORA_BIN_DIR");
}

QStringView progId()
{
    return QStringView(tabulo::ProgId);
}

QStringView classId()
{
    return QStringView(tabulo::ClassId);
}

} // namespace

class tst_ControlHost final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void findsTheLibraryByMetadata_data();
    void findsTheLibraryByMetadata();
    void refusesWhatIsNotTheControl_data();
    void refusesWhatIsNotTheControl();
    void brokenLibraryIsAFailure();
    void overrideReplacesTheFolders();
    void missingLibraryLeavesTheWindowEmpty();
    void proxyCallsTheControl();
    void proxyPassesEventsOn();
    void proxyOutlivesTheControl();

private:
    std::unique_ptr<QWidget> m_window;
};

void tst_ControlHost::init()
{
    qputenv(ControlLibrary::OverrideVariable, programFolder().toLocal8Bit());
    m_window = std::make_unique<QWidget>();
}

void tst_ControlHost::findsTheLibraryByMetadata_data()
{
    QTest::addColumn<QString>("asked");
    QTest::newRow("as written") << progId().toString();
    QTest::newRow("letter case ignored") << u"TABULO.MYCONTROL"_s;
}

void tst_ControlHost::findsTheLibraryByMetadata()
{
    QFETCH(QString, asked);
    // The mismatching library comes first and is passed by.
    const auto found = ControlLibrary::find(asked, classId(),
                                            {QStringLiteral(FAKE_MISMATCH_DIR), programFolder()});
    QVERIFY(found.ok());
    QCOMPARE(QFileInfo(found.value).fileName(), QStringLiteral(TABULO_FILE_NAME));
}

void tst_ControlHost::refusesWhatIsNotTheControl_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("classIdAsked");
    QTest::newRow("no such folder") << u"/nonexistent/velmora"_s << classId().toString();
    QTest::newRow("empty folder") << u"empty"_s << classId().toString();
    QTest::newRow("not a library") << u"garbage"_s << classId().toString();
    QTest::newRow("other class identity") << QStringLiteral(FAKE_MISMATCH_DIR) << classId().toString();
    QTest::newRow("asked for another class") << programFolder() << u"{11111111-2222-4333-8444-555555555555}"_s;
    QTest::newRow("class identity not a uuid") << programFolder() << u"myControl"_s;
}

void tst_ControlHost::refusesWhatIsNotTheControl()
{
    QFETCH(QString, folder);
    QFETCH(QString, classIdAsked);
    QTemporaryDir scratch;
    if (folder == u"empty" || folder == u"garbage") {
        if (folder == u"garbage") {
            QFile junk(scratch.filePath(QStringLiteral(TABULO_FILE_NAME)));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(4096, '\x7f'));
        }
        folder = scratch.path();
    }
    const auto found = ControlLibrary::find(progId(), classIdAsked, {folder});
    QVERIFY(!found.ok());
    QCOMPARE(found.failure->number, 429);
    QCOMPARE(found.failure->description,
             u"Не найдена библиотека элемента управления «Tabulo.myControl». Переустановите программу."_s);
}

void tst_ControlHost::brokenLibraryIsAFailure()
{
    const auto found = ControlLibrary::find(progId(), classId(), {QStringLiteral(FAKE_NOTFACTORY_DIR)});
    QVERIFY(found.ok());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"does not make controls"_s));
    const auto made = ControlLibrary::create(progId(), classId(), m_window.get(),
                                             {QStringLiteral(FAKE_NOTFACTORY_DIR)});
    QVERIFY(!made.ok());
    QCOMPARE(made.failure->number, 429);
    QVERIFY(made.failure->description.startsWith(u"Библиотека элемента управления повреждена"_s));
    QCOMPARE(made.failure->path, found.value);
}

void tst_ControlHost::overrideReplacesTheFolders()
{
    QCOMPARE(ControlLibrary::searchFolders(), QStringList{programFolder()});
    qunsetenv(ControlLibrary::OverrideVariable);
    const QStringList usual = ControlLibrary::searchFolders();
    QCOMPARE(usual.value(0), QCoreApplication::applicationDirPath());
    QCOMPARE(usual.size(), 3);
}

void tst_ControlHost::missingLibraryLeavesTheWindowEmpty()
{
    QTemporaryDir empty;
    qputenv(ControlLibrary::OverrideVariable, empty.path().toLocal8Bit());
    const auto made = TabuloList::create(m_window.get());
    QVERIFY(!made.ok());
    QCOMPARE(made.failure->number, 429);
    QVERIFY(m_window->children().isEmpty());
}

void tst_ControlHost::proxyCallsTheControl()
{
    const auto made = TabuloList::create(m_window.get());
    QVERIFY(made.ok());
    TabuloList *control = made.value;
    QCOMPARE(control->widget()->parentWidget(), m_window.get());
    QCOMPARE(control->MaxLbl().value, qint16(20));

    const auto refused = control->setMaxLbl(21);
    QVERIFY(refused);
    QCOMPARE(refused->number, 666);
    QCOMPARE(refused->description, u"Типа оно должно быть от 1 до 20"_s);

    QVERIFY(!control->Clear());
    QVERIFY(!control->setMaxLbl(3));
    QVERIFY(!control->setTxtData(1, u"Налить воду"_s));
    QVERIFY(!control->setTxtData(3, u"Вскипятить"_s));
    QVERIFY(!control->setSelection(1, true));
    QCOMPARE(control->Selection(1).value, true);
    QVERIFY(!control->ClearSelection());
    QCOMPARE(control->Selection(1).value, false);
    QVERIFY(!control->Swap(1, 3));
    QCOMPARE(control->txtData(1).value, u"Вскипятить"_s);
    QCOMPARE(control->txtData(3).value, u"Налить воду"_s);
    QCOMPARE(control->txtData(25).failure->number, 340);
    QCOMPARE(control->Selection(0).failure->number, 9);
    QCOMPARE(control->Swap(0, 1)->number, 340);
}

void tst_ControlHost::proxyPassesEventsOn()
{
    const auto made = TabuloList::create(m_window.get());
    QVERIFY(made.ok());
    TabuloList *control = made.value;
    m_window->resize(400, 320);
    control->widget()->setGeometry(0, 0, 400, 300);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QStringList heard;
    connect(control, &TabuloList::StartSwap, this, [&](qint16 from) { heard << u"StartSwap %1"_s.arg(from); });
    connect(control, &TabuloList::lblMouseMove, this, [&](qint16 i) { heard << u"move %1"_s.arg(i); });
    connect(control, &TabuloList::OverSwap, this, [&] {
        heard << u"OverSwap"_s;
        // The main window moves on from inside OverSwap.
        QVERIFY(!control->setSelection(4, true));
    });
    auto *line2 = control->widget()->findChild<QWidget *>(u"lblData_2"_s);
    auto *line3 = control->widget()->findChild<QWidget *>(u"lblData_3"_s);
    QVERIFY(line2 && line3);
    QTest::mouseClick(line2, Qt::LeftButton);
    QTest::mouseMove(line3, QPoint(2, 2));
    QTest::mouseMove(line3, QPoint(3, 2));
    QTest::mouseClick(line3, Qt::LeftButton);
    heard.removeDuplicates();
    QCOMPARE(heard, (QStringList{u"StartSwap 2"_s, u"move 3"_s, u"OverSwap"_s}));
    QCOMPARE(control->Selection(4).value, true);
}

void tst_ControlHost::proxyOutlivesTheControl()
{
    const auto made = TabuloList::create(m_window.get());
    QVERIFY(made.ok());
    const QPointer<TabuloList> control = made.value;
    delete control->widget();
    QVERIFY(!control->widget());
    QCOMPARE(control->Clear()->number, TabuloList::ObjectNotSet);
    QCOMPARE(control->MaxLbl().failure->number, TabuloList::ObjectNotSet);
    m_window.reset();
    QVERIFY(!control);
}

QTEST_MAIN(tst_ControlHost)
#include "tst_controlhost.moc"
