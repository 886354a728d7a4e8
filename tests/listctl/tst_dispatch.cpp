// Late-bound calls on the list control's model: kinds, argument counts and
// the conversion of every argument form to the declared types.

#include "dispatcher.h"
#include "linemodel.h"

#include <QTest>

using namespace tabulo;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tabulo::DispId)
Q_DECLARE_METATYPE(tabulo::CallKind)

class tst_Dispatch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusals_data();
    void refusals();
    void lineCountArguments_data();
    void lineCountArguments();
    void flagAndTextArguments_data();
    void flagAndTextArguments();
    void byReferenceReadsTheVariable();
    void refusedArgumentChangesNothing();
    void resultsHaveDeclaredTypes();
};

void tst_Dispatch::refusals_data()
{
    QTest::addColumn<DispId>("dispid");
    QTest::addColumn<CallKind>("kind");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    const QString notSupported = u"Object doesn't support this property or method"_s;
    const QString wrongCount = u"Wrong number of arguments or invalid property assignment"_s;
    const QString mismatch = u"Type mismatch"_s;
    const auto get = CallKind::PropertyGet;
    const auto put = CallKind::PropertyPut;
    const auto method = CallKind::Method;
    QTest::newRow("unknown member") << DispId(0x60030099) << method << QVariantList{} << 438 << notSupported;
    QTest::newRow("unknown kind") << DispId::MaxLbl << CallKind(3) << QVariantList{} << 438 << notSupported;
    QTest::newRow("property called") << DispId::MaxLbl << method << QVariantList{} << 438 << notSupported;
    QTest::newRow("method read") << DispId::Clear << get << QVariantList{} << 438 << notSupported;
    QTest::newRow("method written") << DispId::Swap << put << QVariantList{1, 2} << 438 << notSupported;
    QTest::newRow("Clear with argument") << DispId::Clear << method << QVariantList{1} << 450 << wrongCount;
    QTest::newRow("Swap one line") << DispId::Swap << method << QVariantList{1} << 450 << wrongCount;
    QTest::newRow("MaxLbl write empty") << DispId::MaxLbl << put << QVariantList{} << 450 << wrongCount;
    QTest::newRow("txtData read no index") << DispId::txtData << get << QVariantList{} << 450 << wrongCount;
    QTest::newRow("txtData write no text") << DispId::txtData << put << QVariantList{1} << 450 << wrongCount;
    QTest::newRow("no value") << DispId::MaxLbl << put << QVariantList{QVariant()} << 13 << mismatch;
    QTest::newRow("letters") << DispId::MaxLbl << put << QVariantList{u"пять"_s} << 13 << mismatch;
    QTest::newRow("empty text") << DispId::MaxLbl << put << QVariantList{QString()} << 13 << mismatch;
    QTest::newRow("bytes") << DispId::MaxLbl << put << QVariantList{QByteArray("5")} << 13 << mismatch;
    QTest::newRow("null reference")
        << DispId::MaxLbl << put << QVariantList{QVariant::fromValue(Int16Ref{})} << 13 << mismatch;
    QTest::newRow("text as flag") << DispId::Selection << put << QVariantList{1, u"может"_s} << 13 << mismatch;
    QTest::newRow("nan") << DispId::Swap << method << QVariantList{qQNaN(), 1} << 13 << mismatch;
    QTest::newRow("40000") << DispId::MaxLbl << put << QVariantList{40000} << 6 << u"Overflow"_s;
    QTest::newRow("-32769") << DispId::Swap << method << QVariantList{-32769, 1} << 6 << u"Overflow"_s;
    QTest::newRow("2^40") << DispId::Selection << get << QVariantList{qint64(1) << 40} << 6 << u"Overflow"_s;
    QTest::newRow("infinity") << DispId::txtData << get << QVariantList{qInf()} << 6 << u"Overflow"_s;
}

void tst_Dispatch::refusals()
{
    QFETCH(DispId, dispid);
    QFETCH(CallKind, kind);
    QFETCH(QVariantList, arguments);
    QFETCH(int, number);
    QFETCH(QString, description);
    LineModel model;
    const Result r = dispatch(model, dispid, kind, arguments);
    QVERIFY(!r.ok());
    QCOMPARE(r.failure->number, number);
    QCOMPARE(r.failure->description, description);
    QVERIFY(!r.value.isValid());
    QCOMPARE(model.lineCount(), qint16(20));
}

// Any integer width, booleans, reals and texts reach MaxLbl as 16 bits.
void tst_Dispatch::lineCountArguments_data()
{
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<int>("count"); // 0: refused with 666
    QTest::newRow("int") << QVariant(7) << 7;
    QTest::newRow("short") << QVariant::fromValue(qint16(8)) << 8;
    QTest::newRow("unsigned char") << QVariant::fromValue(quint8(9)) << 9;
    QTest::newRow("unsigned long long") << QVariant::fromValue(quint64(12)) << 12;
    QTest::newRow("2.5 to even") << QVariant(2.5) << 2;
    QTest::newRow("3.5 to even") << QVariant(3.5) << 4;
    QTest::newRow("text") << QVariant(u" 6 "_s) << 6;
    QTest::newRow("true is -1") << QVariant(true) << 0;
}

void tst_Dispatch::lineCountArguments()
{
    QFETCH(QVariant, argument);
    QFETCH(int, count);
    LineModel model;
    const Result r = dispatch(model, DispId::MaxLbl, CallKind::PropertyPut, {argument});
    if (count == 0) {
        QCOMPARE(r.failure->number, 666);
        QCOMPARE(model.lineCount(), qint16(20));
    } else {
        QVERIFY(r.ok());
        QCOMPARE(model.lineCount(), qint16(count));
    }
}

void tst_Dispatch::flagAndTextArguments_data()
{
    QTest::addColumn<QVariant>("flag");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("bool, text") << QVariant(true) << true << QVariant(u"шаг"_s) << u"шаг"_s;
    QTest::newRow("zero, number") << QVariant(0) << false << QVariant(42) << u"42"_s;
    QTest::newRow("-1, bool") << QVariant(-1) << true << QVariant(false) << u"False"_s;
    QTest::newRow("words, real") << QVariant(u"true"_s) << true << QVariant(2.25) << u"2.25"_s;
    QTest::newRow("False, empty") << QVariant(u"False"_s) << false << QVariant(QString()) << QString();
    QTest::newRow("numeric text") << QVariant(u"0"_s) << false << QVariant(u"0"_s) << u"0"_s;
}

void tst_Dispatch::flagAndTextArguments()
{
    QFETCH(QVariant, flag);
    QFETCH(bool, selected);
    QFETCH(QVariant, text);
    QFETCH(QString, stored);
    LineModel model;
    QVERIFY(dispatch(model, DispId::Selection, CallKind::PropertyPut, {3, flag}).ok());
    QCOMPARE(dispatch(model, DispId::Selection, CallKind::PropertyGet, {3}).value.toBool(), selected);
    QCOMPARE(model.PendingLine(), qint16(3));
    QVERIFY(dispatch(model, DispId::txtData, CallKind::PropertyPut, {3, text}).ok());
    QCOMPARE(dispatch(model, DispId::txtData, CallKind::PropertyGet, {3}).value.toString(), stored);
}

void tst_Dispatch::byReferenceReadsTheVariable()
{
    LineModel model;
    qint16 from = 2;
    qint16 inTo = 5;
    model.setTxtData(2, u"два"_s);
    model.setTxtData(5, u"пять"_s);
    QVERIFY(dispatch(model, DispId::Swap, CallKind::Method, {byRef(from), byRef(inTo)}).ok());
    QCOMPARE(model.line(5).text, u"два"_s);
    QCOMPARE(from, qint16(2));
    qint16 index = 5;
    QCOMPARE(dispatch(model, DispId::txtData, CallKind::PropertyGet, {byRef(index)}).value.toString(),
             u"два"_s);
    QCOMPARE(dispatch(model, DispId::txtData, CallKind::PropertyPut, {1, byRef(index)}).ok(), true);
    QCOMPARE(model.line(1).text, u"5"_s);
    qint16 flag = -1;
    QVERIFY(dispatch(model, DispId::Selection, CallKind::PropertyPut, {byRef(index), byRef(flag)}).ok());
    QVERIFY(model.LineSelected(5));
}

// A refused argument stops the call before the member runs.
void tst_Dispatch::refusedArgumentChangesNothing()
{
    LineModel model;
    model.setTxtData(1, u"один"_s);
    QCOMPARE(dispatch(model, DispId::Swap, CallKind::Method, {1, u"x"_s}).failure->number, 13);
    QCOMPARE(dispatch(model, DispId::Selection, CallKind::PropertyPut, {2, QVariant()}).failure->number, 13);
    QCOMPARE(model.line(1).text, u"один"_s);
    QCOMPARE(model.PendingLine(), qint16(0));
}

void tst_Dispatch::resultsHaveDeclaredTypes()
{
    LineModel model;
    const Result count = dispatch(model, DispId::MaxLbl, CallKind::PropertyGet, {});
    QCOMPARE(count.value.metaType(), QMetaType::fromType<qint16>());
    QCOMPARE(count.value.value<qint16>(), qint16(20));
    QCOMPARE(dispatch(model, DispId::Selection, CallKind::PropertyGet, {1}).value.metaType(),
             QMetaType::fromType<bool>());
    QCOMPARE(dispatch(model, DispId::txtData, CallKind::PropertyGet, {1}).value.metaType(),
             QMetaType::fromType<QString>());
    const Result methodResult = dispatch(model, DispId::Clear, CallKind::Method, {});
    QVERIFY(methodResult.ok());
    QVERIFY(!methodResult.value.isValid());
}

QTEST_GUILESS_MAIN(tst_Dispatch)
#include "tst_dispatch.moc"
