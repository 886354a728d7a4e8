// The real Tabulo library, as any host meets it: found by its metadata in
// the program's folder, created through its factory and driven only through
// the contract header.

#include <tabulo/control.h>

#include <QDir>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QTest>
#include <QUuid>
#include <QWidget>

#include <memory>

using namespace tabulo;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tabulo::DispId)
Q_DECLARE_METATYPE(tabulo::CallKind)

namespace {

class Sink final : public EventSink
{
public:
    QList<EventId> heard;

    void onEvent(EventId id, const QVariantList &) override { heard << id; }
};

QString pluginFolder()
{
    const QString override = qEnvironmentVariable("VELMORA_PLUGIN_PATH");
    return override.isEmpty() ? qEnvironmentVariable("VELMORA_BIN_DIR") : override;
}

} // namespace

class tst_TabuloPlugin final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void metadataNamesTheControl();
    void failures_data();
    void failures();
    void lettersSwapWithOneOverSwap();
    void byReferenceCrossesTheBoundary();
    void eachCreateIsItsOwnInstance();

private:
    Result call(DispId id, CallKind kind, const QVariantList &arguments = {})
    {
        return m_control->invoke(id, kind, arguments);
    }

    QString m_path;
    QJsonObject m_metaData;
    ControlFactory *m_factory = nullptr;
    std::unique_ptr<QWidget> m_window;
    Control *m_control = nullptr;
    Sink m_sink;
};

void tst_TabuloPlugin::initTestCase()
{
    const QDir folder(pluginFolder());
    QVERIFY2(folder.exists(), qPrintable(folder.path()));
    const auto files = folder.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        if (!QLibrary::isLibrary(file.fileName()))
            continue;
        const QPluginLoader reader(file.absoluteFilePath());
        const QJsonObject metaData = reader.metaData();
        if (metaData.value("MetaData"_L1).toObject().value(QStringView(ProgIdKey)).toString()
            == QStringView(ProgId)) {
            m_path = file.absoluteFilePath();
            m_metaData = metaData;
        }
    }
    QVERIFY2(!m_path.isEmpty(), "no library names Tabulo.myControl");
    QPluginLoader loader(m_path);
    m_factory = qobject_cast<ControlFactory *>(loader.instance());
    QVERIFY2(m_factory, qPrintable(loader.errorString()));
}

void tst_TabuloPlugin::init()
{
    m_window = std::make_unique<QWidget>();
    m_control = m_factory->create(m_window.get());
    QVERIFY(m_control);
    QCOMPARE(m_control->widget()->parentWidget(), m_window.get());
    m_sink.heard.clear();
    m_control->advise(&m_sink);
}

void tst_TabuloPlugin::cleanup()
{
    m_window.reset();
    m_control = nullptr;
}

void tst_TabuloPlugin::metadataNamesTheControl()
{
    QCOMPARE(m_metaData.value("IID"_L1).toString(), QLatin1StringView(TABULO_CONTROLFACTORY_IID));
    const QJsonObject own = m_metaData.value("MetaData"_L1).toObject();
    QCOMPARE(QUuid(own.value(QStringView(ClassIdKey)).toString()), QUuid(QStringView(ClassId)));
    QVERIFY(!QUuid(QStringView(ClassId)).isNull());
}

void tst_TabuloPlugin::failures_data()
{
    QTest::addColumn<DispId>("dispid");
    QTest::addColumn<CallKind>("kind");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    const auto get = CallKind::PropertyGet;
    const auto put = CallKind::PropertyPut;
    const auto method = CallKind::Method;
    const QString count = u"Типа оно должно быть от 1 до 20"_s;
    QTest::newRow("MaxLbl 0") << DispId::MaxLbl << put << QVariantList{0} << 666 << count;
    QTest::newRow("MaxLbl 21") << DispId::MaxLbl << put << QVariantList{21} << 666 << count;
    QTest::newRow("txtData(25) read") << DispId::txtData << get << QVariantList{25} << 340
                                      << u"Control array element '25' doesn't exist"_s;
    QTest::newRow("txtData(0) write") << DispId::txtData << put << QVariantList{0, u"x"_s} << 340
                                      << u"Control array element '0' doesn't exist"_s;
    QTest::newRow("Swap(3, 21)") << DispId::Swap << method << QVariantList{3, 21} << 340
                                 << u"Control array element '21' doesn't exist"_s;
    QTest::newRow("Selection(0) read") << DispId::Selection << get << QVariantList{0} << 9
                                       << u"Subscript out of range"_s;
    QTest::newRow("Selection(21) write") << DispId::Selection << put << QVariantList{21, true} << 9
                                         << u"Subscript out of range"_s;
    QTest::newRow("text as count") << DispId::MaxLbl << put << QVariantList{u"x"_s} << 13
                                   << u"Type mismatch"_s;
    QTest::newRow("count too wide") << DispId::MaxLbl << put << QVariantList{70000} << 6 << u"Overflow"_s;
    QTest::newRow("Swap one argument") << DispId::Swap << method << QVariantList{1} << 450
                                       << u"Wrong number of arguments or invalid property assignment"_s;
    QTest::newRow("unknown member") << DispId(0x60030006) << method << QVariantList{} << 438
                                    << u"Object doesn't support this property or method"_s;
}

void tst_TabuloPlugin::failures()
{
    QFETCH(DispId, dispid);
    QFETCH(CallKind, kind);
    QFETCH(QVariantList, arguments);
    QFETCH(int, number);
    QFETCH(QString, description);
    call(DispId::txtData, CallKind::PropertyPut, {3, u"три"_s});
    const Result r = call(dispid, kind, arguments);
    QVERIFY(!r.ok());
    QCOMPARE(r.failure->number, number);
    QCOMPARE(r.failure->description, description);
    QCOMPARE(call(DispId::MaxLbl, CallKind::PropertyGet).value.value<qint16>(), qint16(20));
    QCOMPARE(call(DispId::txtData, CallKind::PropertyGet, {3}).value.toString(), u"три"_s);
    QVERIFY(m_sink.heard.isEmpty());
}

void tst_TabuloPlugin::lettersSwapWithOneOverSwap()
{
    QVERIFY(call(DispId::Clear, CallKind::Method).ok());
    QVERIFY(call(DispId::MaxLbl, CallKind::PropertyPut, {7}).ok());
    const QString letters = u"abcdefg"_s;
    for (int i = 1; i <= 7; ++i)
        QVERIFY(call(DispId::txtData, CallKind::PropertyPut, {i, QString(letters.at(i - 1))}).ok());
    QVERIFY(call(DispId::Selection, CallKind::PropertyPut, {2, true}).ok());
    QVERIFY(call(DispId::Swap, CallKind::Method, {2, 7}).ok());
    QString now;
    for (int i = 1; i <= 7; ++i) {
        now += call(DispId::txtData, CallKind::PropertyGet, {i}).value.toString();
        QCOMPARE(call(DispId::Selection, CallKind::PropertyGet, {i}).value.toBool(), false);
    }
    QCOMPARE(now, u"agcdefb"_s);
    QCOMPARE(m_sink.heard, QList<EventId>{EventId::OverSwap});
    QVERIFY(call(DispId::Swap, CallKind::Method, {4, 4}).ok());
    QCOMPARE(call(DispId::txtData, CallKind::PropertyGet, {4}).value.toString(), u"d"_s);
    QCOMPARE(m_sink.heard.size(), 2);
}

// The host passes line numbers by reference; the library sees the
// variable's value, whichever side registered the type first.
void tst_TabuloPlugin::byReferenceCrossesTheBoundary()
{
    qint16 index = 6;
    qint16 count = 9;
    QVERIFY(call(DispId::MaxLbl, CallKind::PropertyPut, {byRef(count)}).ok());
    QCOMPARE(call(DispId::MaxLbl, CallKind::PropertyGet).value.value<qint16>(), qint16(9));
    QVERIFY(call(DispId::txtData, CallKind::PropertyPut, {byRef(index), u"шесть"_s}).ok());
    QCOMPARE(call(DispId::txtData, CallKind::PropertyGet, {6}).value.toString(), u"шесть"_s);
    QCOMPARE(call(DispId::MaxLbl, CallKind::PropertyPut, {QVariant::fromValue(Int16Ref{})})
                 .failure->number,
             13);
}


void tst_TabuloPlugin::eachCreateIsItsOwnInstance()
{
    Control *other = m_factory->create(m_window.get());
    QVERIFY(other && other != m_control);
    other->invoke(DispId::MaxLbl, CallKind::PropertyPut, {3});
    QCOMPARE(call(DispId::MaxLbl, CallKind::PropertyGet).value.value<qint16>(), qint16(20));
    delete other->widget();
}

QTEST_MAIN(tst_TabuloPlugin)
#include "tst_tabuloplugin.moc"
